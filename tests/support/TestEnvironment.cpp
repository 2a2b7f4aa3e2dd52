#include "tests/support/TestEnvironment.h"

#include <aclapi.h>
#include <shellapi.h>

#include <cstdio>

std::string testBinaryDir() {
    char path[MAX_PATH];
    DWORD n = ::GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

std::string productExePath() {
    std::string dir = testBinaryDir();  // ...\tests\ ;
    std::string parent = dir.substr(0, dir.find_last_of("\\/", dir.size() - 2) + 1);
    return parent + "KQVTLGVW.exe";
}

void removeTree(const std::string& path) {
    const std::string from = path + '\0';  // a list of names, ended by a second NUL
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    ::SHFileOperationA(&operation);
}

TempDir::TempDir() {
    static LONG counter = 0;
    char base[MAX_PATH];
    ::GetTempPathA(MAX_PATH, base);
    char name[64];
    std::snprintf(name, sizeof name, "kqvt-%lu-%ld", ::GetCurrentProcessId(), ::InterlockedIncrement(&counter));
    path_ = std::string(base) + name;
    removeTree(path_);
    ::CreateDirectoryA(path_.c_str(), NULL);
}

TempDir::~TempDir() { removeTree(path_); }

std::vector<unsigned char> readFileBytes(const std::string& path) {
    std::vector<unsigned char> bytes;
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    DWORD size = ::GetFileSize(h, NULL);
    bytes.resize(size);
    DWORD got = 0;
    if (size) ::ReadFile(h, bytes.data(), size, &got, NULL);
    bytes.resize(got);
    ::CloseHandle(h);
    return bytes;
}

bool writeFileBytes(const std::string& path, const void* data, size_t size) {
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = size == 0 || ::WriteFile(h, data, static_cast<DWORD>(size), &written, NULL);
    ::CloseHandle(h);
    return ok && written == size;
}

bool fileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

DWORD fileSize(const std::string& path) { return DWORD(readFileBytes(path).size()); }

ACCESS_MASK everyoneAccess(const std::string& path) {
    SID everyone = {SID_REVISION, 1, SECURITY_WORLD_SID_AUTHORITY, {SECURITY_WORLD_RID}};
    PACL acl = NULL;
    PSECURITY_DESCRIPTOR sd = NULL;
    ACCESS_MASK mask = 0;
    if (::GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, NULL, NULL, &acl, NULL,
                                &sd) != ERROR_SUCCESS)
        return 0;
    ACCESS_ALLOWED_ACE* ace = NULL;
    for (WORD i = 0; acl && i < acl->AceCount && ::GetAce(acl, i, reinterpret_cast<void**>(&ace)); ++i)
        if (ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE && ::EqualSid(&ace->SidStart, &everyone))
            mask |= ace->Mask;
    ::LocalFree(sd);
    return mask;
}

ChildProcess::~ChildProcess() { kill(); }

bool ChildProcess::start(const std::string& exe, const std::string& arguments) {
    kill();
    std::string commandLine = "\"" + exe + "\" " + arguments;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!::CreateProcessA(exe.c_str(), buffer.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) return false;
    ::CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    return true;
}

bool ChildProcess::wait(DWORD timeoutMs, DWORD* exitCode) {
    if (!process_) return false;
    if (::WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
    if (exitCode) ::GetExitCodeProcess(process_, exitCode);
    return true;
}

void ChildProcess::kill() {
    if (!process_) return;
    if (::WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
        ::TerminateProcess(process_, 1);
        ::WaitForSingleObject(process_, 5000);
    }
    ::CloseHandle(process_);
    process_ = NULL;
}

bool startHelper(ChildProcess& child, const std::string& helper, const std::string& arguments) {
    return child.start(testBinaryDir() + helper + ".exe", arguments);
}

ReadyEvent::ReadyEvent() {
    static LONG counter = 0;
    char name[64];
    std::snprintf(name, sizeof name, "kqvt-test-ready-%lu-%ld", ::GetCurrentProcessId(), ::InterlockedIncrement(&counter));
    name_ = name;
    event_ = ::CreateEventA(NULL, TRUE, FALSE, name);
}

ReadyEvent::~ReadyEvent() {
    if (event_) ::CloseHandle(event_);
}

bool ReadyEvent::wait(DWORD timeoutMs) const { return event_ && ::WaitForSingleObject(event_, timeoutMs) == WAIT_OBJECT_0; }

void deleteRegistryTree(HKEY root, const std::string& subKey) {
    HKEY key;
    if (::RegOpenKeyExA(root, subKey.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    char name[256];
    for (;;) {
        DWORD length = sizeof name;
        if (::RegEnumKeyExA(key, 0, name, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        deleteRegistryTree(key, name);
    }
    ::RegCloseKey(key);
    ::RegDeleteKeyA(root, subKey.c_str());
}

ScopedMachineKey::ScopedMachineKey(const std::string& subKey) : subKey_(subKey) {
    deleteRegistryTree(HKEY_LOCAL_MACHINE, subKey_);
    ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey_.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key_, NULL);
}

ScopedMachineKey::~ScopedMachineKey() {
    if (key_) ::RegCloseKey(key_);
    deleteRegistryTree(HKEY_LOCAL_MACHINE, subKey_);
}

void ScopedMachineKey::setDword(const char* name, DWORD value) {
    ::RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void ScopedMachineKey::setString(const char* name, const char* text) {
    ::RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(strlen(text) + 1));
}

void ScopedMachineKey::setBinary(const char* name, const void* data, DWORD size) {
    ::RegSetValueExA(key_, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
}

void ScopedMachineKey::remove(const char* name) { ::RegDeleteValueA(key_, name); }
