#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Where the running test executable lies (the build's tests folder), with a trailing "\".
std::string testBinaryDir();
// The product executable of the same build.
std::string productExePath();
// Deletes a folder with everything in it (no error when it is missing).
void removeTree(const std::string& path);
// A fresh, empty folder for one test; removed again by the TempDir destructor.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Whole-file helpers for checking what the program wrote.
std::vector<unsigned char> readFileBytes(const std::string& path);
bool writeFileBytes(const std::string& path, const void* data, size_t size);
bool fileExists(const std::string& path);
DWORD fileSize(const std::string& path);
// The access that the Everyone entries of a file's DACL allow.
ACCESS_MASK everyoneAccess(const std::string& path);

// A second process, started with CreateProcessA; killed at destruction if it still runs.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    bool start(const std::string& exe, const std::string& arguments);
    // Waits up to `timeoutMs`; true when the process ended, its code in `exitCode`.
    bool wait(DWORD timeoutMs, DWORD* exitCode = nullptr);
    void kill();
    HANDLE handle() const { return process_; }

private:
    HANDLE process_ = NULL;
};

// Starts a helper from the tests folder (tests/helpers/NAME.cpp).
bool startHelper(ChildProcess& child, const std::string& helper, const std::string& arguments);

// A named manual-reset event created by the test; the helper opens and signals it.
class ReadyEvent {
public:
    ReadyEvent();
    ~ReadyEvent();
    ReadyEvent(const ReadyEvent&) = delete;
    ReadyEvent& operator=(const ReadyEvent&) = delete;
    const std::string& name() const { return name_; }
    bool wait(DWORD timeoutMs) const;

private:
    std::string name_;
    HANDLE event_;
};

// Sets or removes values under HKEY_LOCAL_MACHINE for the length of a test and restores
// the key's absence afterwards (the tests own the Norvale keys of their prefix).
class ScopedMachineKey {
public:
    explicit ScopedMachineKey(const std::string& subKey);
    ~ScopedMachineKey();
    ScopedMachineKey(const ScopedMachineKey&) = delete;
    ScopedMachineKey& operator=(const ScopedMachineKey&) = delete;
    void setDword(const char* name, DWORD value);
    void setString(const char* name, const char* text);
    void setBinary(const char* name, const void* data, DWORD size);
    void remove(const char* name);

private:
    std::string subKey_;
    HKEY key_ = NULL;
};

// Deletes a registry key with everything below it (no error when it is missing).
void deleteRegistryTree(HKEY root, const std::string& subKey);
