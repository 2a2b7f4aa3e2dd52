#pragma once
#include <cstddef>
#include <cstdint>

// An owned block of bytes. Allocation always zero-fills; a failed allocation leaves the
// buffer empty. Never throws.
class ByteBuffer {
public:
    ByteBuffer() = default;
    ~ByteBuffer();
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;
    ByteBuffer(ByteBuffer&& other) noexcept;
    ByteBuffer& operator=(ByteBuffer&& other) noexcept;

    // Replaces the content by `size` zero bytes. Returns false (and leaves the buffer
    // empty) when the memory cannot be had; size 0 just empties it.
    bool allocate(size_t size);
    // Changes the size keeping the common prefix; new bytes are zero.
    bool resize(size_t size);
    // Copies `size` bytes in; false (empty) when the memory cannot be had.
    bool assign(const void* data, size_t size);
    void release();
    // Gives up ownership of the block (free it with HeapFree on the process heap).
    uint8_t* detach();

    bool sameBytes(const void* data, size_t size) const;

    uint8_t* data() { return data_; }
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

private:
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};
