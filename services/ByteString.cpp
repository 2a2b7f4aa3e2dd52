#include "services/ByteString.h"

#include <windows.h>
#include <cstring>

size_t characterLength(const char* p) {
    if (p[0] != '\0' && ::IsDBCSLeadByte(static_cast<BYTE>(p[0])) && p[1] != '\0') return 2;
    return 1;
}

size_t fileNameOffset(const char* path) {
    if (!path) return 0;
    size_t name = 0;
    for (size_t i = 0; path[i]; i += characterLength(path + i)) {
        if (path[i] == '\\' || path[i] == '/') name = i + 1;
    }
    return name;
}

bool ByteString::reserve(size_t capacity) {
    if (capacity <= buffer_.size()) return true;
    if (!buffer_.resize(capacity)) {
        length_ = 0;
        return false;
    }
    return true;
}

bool ByteString::assign(const char* text) { return assign(text, text ? std::strlen(text) : 0); }

bool ByteString::assign(const char* text, size_t length) {
    if (!text) length = 0;
    if (text && text >= c_str() && text < c_str() + capacity()) {
        // Assigning a part of ourselves: copy through a temporary.
        ByteString copy;
        if (!copy.assign(text, length)) return false;
        return assign(copy.c_str(), copy.length());
    }
    if (!buffer_.allocate(length + 1)) {
        length_ = 0;
        return false;
    }
    if (length) std::memcpy(buffer_.data(), text, length);
    length_ = length;
    return true;
}

bool ByteString::append(const char* text) { return append(text, text ? std::strlen(text) : 0); }

bool ByteString::append(const char* text, size_t length) {
    if (!text || length == 0) return reserve(length_ + 1);
    if (text >= c_str() && text < c_str() + capacity()) {
        ByteString copy;
        if (!copy.assign(text, length)) return false;
        return append(copy.c_str(), copy.length());
    }
    if (!reserve(length_ + length + 1)) return false;
    std::memcpy(buffer_.data() + length_, text, length);
    length_ += length;
    buffer_.data()[length_] = 0;
    return true;
}

void ByteString::clear() {
    if (!buffer_.empty()) buffer_.data()[0] = 0;
    length_ = 0;
}

void ByteString::syncLength() {
    if (buffer_.empty()) {
        length_ = 0;
        return;
    }
    buffer_.data()[buffer_.size() - 1] = 0;
    length_ = std::strlen(c_str());
}

size_t ByteString::find(const char* needle, size_t from) const {
    if (!needle || from > length_) return npos;
    const size_t needleLength = std::strlen(needle);
    const char* text = c_str();
    // Walk from the start so that `from` is measured against real character boundaries.
    size_t pos = 0;
    while (pos < from) pos += characterLength(text + pos);
    for (; pos + needleLength <= length_; pos += characterLength(text + pos)) {
        if (std::memcmp(text + pos, needle, needleLength) == 0) return pos;
        if (text[pos] == '\0') break;
    }
    return npos;
}

bool ByteString::replaceAll(const char* from, const char* to) {
    if (!from || !*from) return true;
    if (!to) to = "";
    const size_t fromLength = std::strlen(from);
    size_t pos = find(from);
    if (pos == npos) return true;
    ByteString result;
    size_t start = 0;
    while (pos != npos) {
        if (!result.append(c_str() + start, pos - start) || !result.append(to)) {
            clear();
            return false;
        }
        start = pos + fromLength;
        pos = find(from, start);
    }
    if (!result.append(c_str() + start, length_ - start)) {
        clear();
        return false;
    }
    return assign(result.c_str(), result.length());
}
