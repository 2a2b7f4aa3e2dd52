#include "services/CommonAppData.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "services/ByteBuffer.h"
#include "services/RegistryKey.h"

namespace {

constexpr const char* kShellFoldersKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr const char* kCommonAppDataValue = "Common AppData";

bool isFullPath(const char* path) {
    const bool drive = ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                       path[1] == ':' && path[2] == '\\';
    return drive || (path[0] == '\\' && path[1] == '\\');
}

bool registeredFolder(char* out, size_t size) {
    RegistryKey key;
    if (!key.open(HKEY_LOCAL_MACHINE, kShellFoldersKey, KEY_READ)) return false;
    ByteBuffer raw;
    if (!key.readValue(kCommonAppDataValue, REG_EXPAND_SZ, raw) && !key.readValue(kCommonAppDataValue, REG_SZ, raw))
        return false;
    // The value need not end with its NUL: one is added behind it.
    char value[MAX_PATH];
    if (raw.empty() || raw.size() >= sizeof value) return false;
    std::memcpy(value, raw.data(), raw.size());
    value[raw.size()] = '\0';
    const DWORD length = ::ExpandEnvironmentStringsA(value, out, static_cast<DWORD>(size));
    if (length == 0 || length > size || std::strchr(out, '%') || !isFullPath(out)) return false;
    const DWORD attributes = ::GetFileAttributesA(out);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool commonAppDataFolder(char* out, size_t size) {
    if (size < MAX_PATH) return false;
    if (registeredFolder(out, size)) return true;
    out[0] = '\0';
    return ::SHGetSpecialFolderPathA(NULL, out, CSIDL_COMMON_APPDATA, TRUE) && out[0] != '\0';
}
