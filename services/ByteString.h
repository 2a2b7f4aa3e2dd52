#pragma once
#include <cstddef>

#include "services/ByteBuffer.h"

// An owned NUL-terminated 8-bit string in the system ANSI code page. Searching steps by
// whole characters, so a trail byte of a double-byte character is never taken for a
// character of its own. Allocation failures leave the string empty and are reported.
class ByteString {
public:
    static constexpr size_t npos = static_cast<size_t>(-1);

    ByteString() = default;
    ByteString(const ByteString&) = delete;
    ByteString& operator=(const ByteString&) = delete;

    // Makes sure the string owns a zeroed buffer of at least `capacity` bytes, keeping its text.
    bool reserve(size_t capacity);
    bool assign(const char* text);
    bool assign(const char* text, size_t length);
    bool assign(const ByteString& other) { return assign(other.c_str(), other.length()); }
    bool append(const char* text);
    bool append(const char* text, size_t length);
    void clear();

    // Byte offset of the first occurrence of `needle` at or after `from` that starts on a
    // character boundary, or npos.
    size_t find(const char* needle, size_t from = 0) const;
    bool contains(const char* needle) const { return find(needle) != npos; }
    // Replaces every occurrence of `from` by `to`; false when memory ran out (the string is then empty).
    bool replaceAll(const char* from, const char* to);

    const char* c_str() const { return buffer_.empty() ? "" : reinterpret_cast<const char*>(buffer_.data()); }
    // Writable buffer of capacity() bytes, for APIs that fill a caller's buffer; call
    // syncLength() afterwards.
    char* buffer() { return reinterpret_cast<char*>(buffer_.data()); }
    size_t capacity() const { return buffer_.size(); }
    void syncLength();

    size_t length() const { return length_; }
    bool empty() const { return length_ == 0; }
    bool hasBuffer() const { return !buffer_.empty(); }

private:
    ByteBuffer buffer_;
    size_t length_ = 0;
};

// Length in bytes of the character that starts at `p` (1 or 2; 1 for a lead byte at the end).
size_t characterLength(const char* p);

// Byte offset of the file name in `path`: after its last "\" or "/", stepping over
// double-byte characters whole (the trail byte of "表" is 0x5C); 0 for none or a null path.
size_t fileNameOffset(const char* path);
