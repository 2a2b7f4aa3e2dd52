#include "settings/LogNameRules.h"

#include <cstring>

#include "services/ByteBuffer.h"

namespace {

bool isSeparator(const char* p) { return characterLength(p) == 1 && (*p == '\\' || *p == '/'); }

}  // namespace

int joinLogFolderAndFile(const char* folder, const char* file, ByteString& out) {
    if (!folder) folder = "";
    if (!file || !*file) return kLogNameInvalid;
    if (std::strlen(folder) + std::strlen(file) > kLogNameMaxLength) return kLogNameInvalid;
    for (const char* p = file; *p; p += characterLength(p))
        if (isSeparator(p)) return kLogNameInvalid;
    if (!out.assign(folder) || !out.append(file)) return kLogNameMalformed;
    return kLogNameOk;
}

int normaliseLogName(const char* typed, ByteString& out) {
    if (!typed) return kLogNameInvalid;
    size_t length = std::strlen(typed);
    ByteBuffer work;
    if (!work.allocate(length + 1)) return kLogNameMalformed;
    char* p = reinterpret_cast<char*>(work.data());
    std::memcpy(p, typed, length + 1);

    for (size_t i = 0; p[i];) {
        const size_t n = characterLength(p + i);
        if (n == 1 && p[i] == '/') p[i] = '\\';
        if (n == 1 && p[i] == '\\') {
            // What follows a separator directly is a single-byte character when it is one of
            // these, since no lead byte has their values.
            for (;;) {
                const char next = p[i + 1];
                if (next != '/' && next != ' ' && next != '\\') break;
                // The second separator of a network path stays; a "/" there is one too.
                if (i == 0 && next != ' ') break;
                std::memmove(p + i + 1, p + i + 2, length - i - 1);
                --length;
            }
            if (p[i + 1] == '.') return kLogNameInvalid;
            // No trail byte is a space, so the bytes before the separator can be read backwards.
            size_t spaces = 0;
            while (spaces < i && p[i - spaces - 1] == ' ') ++spaces;
            if (spaces) {
                std::memmove(p + i - spaces, p + i, length - i + 1);
                length -= spaces;
                i -= spaces;
            }
        }
        i += n;
    }

    size_t end = 0;
    for (size_t i = 0; p[i];) {
        const size_t n = characterLength(p + i);
        if (!(n == 1 && (p[i] == ' ' || p[i] == '.'))) end = i + n;
        i += n;
    }
    p[end] = '\0';
    length = end;

    if (length > kLogNameMaxLength) return kLogNameMalformed;
    const bool drivePath = length >= 3 && characterLength(p) == 1 && p[1] == ':' && p[2] == '\\';
    const bool networkPath = length >= 2 && p[0] == '\\' && p[1] == '\\';
    if (!drivePath && !networkPath) return kLogNameInvalid;
    if (!out.assign(p, length)) return kLogNameMalformed;
    return kLogNameOk;
}
