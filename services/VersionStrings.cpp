#include "services/VersionStrings.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "services/ByteBuffer.h"

namespace {

constexpr DWORD kModulePathBytes = 520;

// One string of the resource; its length comes from the resource and is checked against
// the block, so a string without its NUL cannot be read past the version data.
bool queryString(const ByteBuffer& block, WORD language, WORD codePage, const char* name, ByteString& out) {
    char query[96];
    std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", language, codePage, name);
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block.data(), query, &value, &length) || !value || length == 0) return false;
    const char* text = static_cast<const char*>(value);
    const uint8_t* begin = block.data();
    const uint8_t* at = static_cast<const uint8_t*>(value);
    if (at < begin || at >= begin + block.size()) return false;
    size_t room = static_cast<size_t>(begin + block.size() - at);
    if (length > room) length = static_cast<UINT>(room);
    size_t bytes = strnlen(text, length);
    if (bytes == 0) return false;
    return out.append(text, bytes);
}

}  // namespace

int readVersionStrings(const char* modulePath, ByteString& fileDescription, ByteString& fileVersion,
                       ByteString& legalCopyright) {
    fileDescription.clear();
    fileVersion.clear();
    legalCopyright.clear();

    char ownPath[kModulePathBytes];
    if (!modulePath) {
        DWORD n = ::GetModuleFileNameA(NULL, ownPath, kModulePathBytes);
        if (n == 0 || n >= kModulePathBytes) return 0;
        modulePath = ownPath;
    }
    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeA(modulePath, &handle);
    if (size == 0) return 0;
    ByteBuffer block;
    if (!block.allocate(size)) return 0;
    if (!::GetFileVersionInfoA(modulePath, 0, size, block.data())) return 0;

    void* translation = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translation, &length) || !translation ||
        length < 4)
        return 0;
    DWORD first = 0;
    std::memcpy(&first, translation, sizeof first);
    WORD language = LOWORD(first);
    WORD codePage = HIWORD(first);

    if (!queryString(block, language, codePage, "FileDescription", fileDescription)) return 0;
    if (!queryString(block, language, codePage, "FileVersion", fileVersion)) return 0;
    if (!queryString(block, language, codePage, "LegalCopyright", legalCopyright)) return 0;
    return 1;
}
