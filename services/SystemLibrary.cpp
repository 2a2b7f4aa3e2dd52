#include "services/SystemLibrary.h"

#include <cstring>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace {

bool isBareName(const char* name) {
    for (const char* p = name; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') return false;
    return true;
}

// True when the activation context maps `name` to a side-by-side assembly.
bool redirectedByActivationContext(const char* name) {
    ACTCTX_SECTION_KEYED_DATA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = sizeof data;
    return ::FindActCtxSectionStringA(0, NULL, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, name, &data) != FALSE;
}

}  // namespace

HMODULE loadSystemLibrary(const char* name) {
    if (!name || !*name || !isBareName(name)) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return NULL;
    }
    HMODULE module = ::LoadLibraryExA(name, NULL, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module || ::GetLastError() != ERROR_INVALID_PARAMETER) return module;
    // Systems without the search flags (XP, 6.x without its update).
    if (redirectedByActivationContext(name)) return ::LoadLibraryA(name);
    char path[MAX_PATH];
    const UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
    const size_t nameLength = std::strlen(name);
    if (length == 0 || length + 1 + nameLength >= MAX_PATH) {
        ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return NULL;
    }
    path[length] = '\\';
    std::memcpy(path + length + 1, name, nameLength + 1);
    return ::LoadLibraryA(path);
}
