#include "tests/support/SettingsFile.h"

#include <windows.h>
#include <shlobj.h>

std::string ScopedSettingsFile::path() {
    char folder[MAX_PATH] = "";
    ::SHGetSpecialFolderPathA(NULL, folder, CSIDL_COMMON_APPDATA, TRUE);
    std::string base = std::string(folder) + "\\Norvale";
    ::CreateDirectoryA(base.c_str(), NULL);
    base += "\\Quillbridge2";
    ::CreateDirectoryA(base.c_str(), NULL);
    return base + "\\KQVTLGVW.ini";
}

ScopedSettingsFile::ScopedSettingsFile() { remove(); }

ScopedSettingsFile::~ScopedSettingsFile() { remove(); }

void ScopedSettingsFile::set(const char* key, const std::string& value) {
    ::WritePrivateProfileStringA("logviewer", key, value.c_str(), path().c_str());
}

std::string ScopedSettingsFile::get(const char* key) const {
    char text[1024] = "";
    ::GetPrivateProfileStringA("logviewer", key, "", text, sizeof text, path().c_str());
    return text;
}

void ScopedSettingsFile::remove() {
    ::WritePrivateProfileStringA(NULL, NULL, NULL, path().c_str());  // flush the profile cache
    ::SetFileAttributesA(path().c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(path().c_str());
}
