#include "services/ByteBuffer.h"

#include <windows.h>
#include <cstring>

ByteBuffer::~ByteBuffer() { release(); }

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept : data_(other.data_), size_(other.size_) {
    other.data_ = nullptr;
    other.size_ = 0;
}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
        release();
        data_ = other.data_;
        size_ = other.size_;
        other.data_ = nullptr;
        other.size_ = 0;
    }
    return *this;
}

bool ByteBuffer::allocate(size_t size) {
    release();
    if (size == 0) return true;
    void* p = ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, size);
    if (!p) return false;
    data_ = static_cast<uint8_t*>(p);
    size_ = size;
    return true;
}

bool ByteBuffer::resize(size_t size) {
    if (size == size_) return true;
    if (size == 0 || !data_) return allocate(size);
    void* p = ::HeapReAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, data_, size);
    if (!p) {
        release();
        return false;
    }
    data_ = static_cast<uint8_t*>(p);
    size_ = size;
    return true;
}

bool ByteBuffer::assign(const void* data, size_t size) {
    if (!allocate(size)) return false;
    if (size) std::memcpy(data_, data, size);
    return true;
}

void ByteBuffer::release() {
    if (data_) ::HeapFree(::GetProcessHeap(), 0, data_);
    data_ = nullptr;
    size_ = 0;
}

uint8_t* ByteBuffer::detach() {
    uint8_t* p = data_;
    data_ = nullptr;
    size_ = 0;
    return p;
}

bool ByteBuffer::sameBytes(const void* data, size_t size) const {
    if (size != size_) return false;
    return size == 0 || std::memcmp(data_, data, size) == 0;
}
