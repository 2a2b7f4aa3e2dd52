#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "services/ByteBuffer.h"
#include "services/ByteString.h"
#include "services/RegistryKey.h"
#include "services/SystemLibrary.h"
#include "services/WorkerThread.h"
#include "tests/support/TestEnvironment.h"

namespace {

TEST(ByteBuffer, AllocationZeroFillsAndResizeKeepsThePrefix) {
    ByteBuffer b;
    ASSERT_TRUE(b.allocate(8));
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(0, b.data()[i]);
    std::memcpy(b.data(), "abcdefgh", 8);
    ASSERT_TRUE(b.resize(12));
    EXPECT_EQ(0, std::memcmp(b.data(), "abcdefgh\0\0\0\0", 12));
    ASSERT_TRUE(b.resize(3));
    EXPECT_EQ(3u, b.size());
    EXPECT_EQ(0, std::memcmp(b.data(), "abc", 3));
    EXPECT_TRUE(b.sameBytes("abc", 3));
    EXPECT_FALSE(b.sameBytes("abd", 3));
    // An impossible size fails and leaves the buffer empty.
    EXPECT_FALSE(b.allocate(static_cast<size_t>(-64)));
    EXPECT_TRUE(b.empty());
}

TEST(ByteString, SearchStepsOverDoubleByteCharacters) {
    ASSERT_EQ(932u, ::GetACP());
    ByteString s;
    s.assign("表示\\x");  // 0x95 0x5C is "表": its trail byte equals "\"
    EXPECT_EQ(4u, s.find("\\"));
    s.assign("表");
    EXPECT_EQ(ByteString::npos, s.find("\\"));
    EXPECT_FALSE(s.contains("\\"));
    s.assign("ソY");  // "ソ" is 0x83 0x5C
    EXPECT_TRUE(s.contains("Y"));
    s.assign("abcabc");
    EXPECT_EQ(3u, s.find("abc", 1));
    EXPECT_EQ(ByteString::npos, s.find("abd"));
}

TEST(ByteString, ReplaceAllAndAppend) {
    ByteString s;
    s.assign("a/b/表/c");
    ASSERT_TRUE(s.replaceAll("/", "\\\\"));
    EXPECT_STREQ("a\\\\b\\\\表\\\\c", s.c_str());
    s.assign("表表");
    ASSERT_TRUE(s.replaceAll("\\", "/"));  // trail bytes untouched
    EXPECT_STREQ("表表", s.c_str());
    s.assign("xx");
    ASSERT_TRUE(s.replaceAll("x", "xyx"));
    EXPECT_STREQ("xyxxyx", s.c_str());
    s.append("!");
    s.append(s.c_str(), 2);  // appending a part of itself
    EXPECT_STREQ("xyxxyx!xy", s.c_str());
    EXPECT_EQ(9u, s.length());
}

TEST(RegistryKey, ReadsOnlyTheExactType) {
    const char* sub = "SOFTWARE\\Norvale\\KqvtTest";
    ScopedMachineKey scoped(sub);
    scoped.setString("Text", "hello");
    scoped.setDword("Number", 42);
    scoped.setBinary("Unterminated", "abc", 3);
    RegistryKey key;
    ASSERT_EQ(1, key.open(HKEY_LOCAL_MACHINE, sub, KEY_READ));
    ByteString text;
    EXPECT_EQ(1, key.readString("Text", text));
    EXPECT_STREQ("hello", text.c_str());
    EXPECT_EQ(0, key.readString("Number", text));
    DWORD number = 0;
    EXPECT_EQ(1, key.readDword("Number", number));
    EXPECT_EQ(42u, number);
    EXPECT_EQ(0, key.readDword("Text", number));
    ByteBuffer raw;
    EXPECT_EQ(1, key.readValue("Unterminated", REG_BINARY, raw));
    EXPECT_EQ(3u, raw.size());
    EXPECT_EQ(0, key.readValue("Missing", REG_BINARY, raw));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), ::GetLastError());

    RegistryKey writable;
    ASSERT_EQ(1, writable.open(HKEY_LOCAL_MACHINE, sub, KEY_ALL_ACCESS));
    EXPECT_EQ(1, writable.setString("New", "v"));
    EXPECT_EQ(1, writable.deleteValue("New"));
    EXPECT_EQ(0, writable.deleteValue("New"));
}

DWORD WINAPI waitForEvent(void* event) {
    ::WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
    return 0;
}

TEST(WorkerThread, StopWaitsForTheThreadToEnd) {
    HANDLE event = ::CreateEventA(NULL, TRUE, FALSE, NULL);
    WorkerThread thread;
    ASSERT_EQ(1, thread.start(waitForEvent, event));
    EXPECT_TRUE(thread.isRunning());
    EXPECT_EQ(0, thread.start(waitForEvent, event));  // one thread per object
    ::SetEvent(event);
    thread.stop(50, 30000);
    EXPECT_EQ(NULL, thread.handle());
    ::CloseHandle(event);
}

TEST(WorkerThread, StopTerminatesAThreadThatDoesNotEnd) {
    HANDLE event = ::CreateEventA(NULL, TRUE, FALSE, NULL);
    WorkerThread thread;
    ASSERT_EQ(1, thread.start(waitForEvent, event));
    HANDLE copy;
    ::DuplicateHandle(::GetCurrentProcess(), thread.handle(), ::GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    const DWORD start = ::GetTickCount();
    thread.stop(50, 300);
    EXPECT_GE(::GetTickCount() - start, 300u);
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), ::WaitForSingleObject(copy, 2000));
    ::CloseHandle(copy);
    ::CloseHandle(event);
}

TEST(SystemLibrary, LoadsFromTheSystemFolderOnly) {
    char system[MAX_PATH];
    ASSERT_NE(0u, ::GetSystemDirectoryA(system, MAX_PATH));
    // A DLL planted beside the program: a search by name finds it, a system load does not.
    const std::string planted = testBinaryDir() + "kqvtplanted.dll";
    ASSERT_TRUE(::CopyFileA((std::string(system) + "\\msimg32.dll").c_str(), planted.c_str(), FALSE));
    EXPECT_EQ(NULL, loadSystemLibrary("kqvtplanted.dll"));
    HMODULE searched = ::LoadLibraryA("kqvtplanted.dll");
    EXPECT_NE(nullptr, searched);
    if (searched) ::FreeLibrary(searched);
    ::DeleteFileA(planted.c_str());

    ScopedLibrary version("version.dll");
    char path[MAX_PATH] = "";
    ASSERT_NE(nullptr, version.get());
    ::GetModuleFileNameA(version.get(), path, MAX_PATH);
    EXPECT_EQ(0, ::_strnicmp(path, system, std::strlen(system)));
    EXPECT_EQ(NULL, loadSystemLibrary(path));  // a path is no name of the system's
}

}  // namespace
