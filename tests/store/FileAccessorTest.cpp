#include <gtest/gtest.h>

#include <cstring>

#include "services/ScopedHandle.h"
#include "store/FileAccessor.h"
#include "tests/support/DiagCapture.h"
#include "tests/support/RecordBuilder.h"
#include "tests/support/TestEnvironment.h"

namespace {

TEST(FileAccessor, QuotedNameIsStoredWithoutQuotes) {
    TempDir dir;
    std::string path = dir.file("a.log");
    ASSERT_TRUE(writeFileBytes(path, "x", 1));
    FileAccessor file;
    EXPECT_EQ(1, file.setName(("\"" + path + "\"").c_str(), FILE_SHARE_READ));
    EXPECT_EQ(path, file.name());
    EXPECT_EQ(0, file.setName(nullptr, FILE_SHARE_READ));
}

TEST(FileAccessor, FailuresTellTheirCausesApart) {
    TempDir dir;
    // A folder in place of the file is denied even to an administrator (a read-only
    // attribute is not, when the tests run as root).
    std::string folder = dir.file("folder.log");
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    ChildProcess holder;
    ReadyEvent ready;
    std::string held = dir.file("held.log");
    ASSERT_TRUE(startHelper(holder, "kqvt_holder", "file \"" + held + "\" 5000 " + ready.name()));
    ASSERT_TRUE(ready.wait(10000));

    struct Case { std::string name; DWORD access; DWORD expected; } cases[] = {
        {dir.file("missing.log"), GENERIC_READ, ERROR_FILE_NOT_FOUND},
        {dir.file("nofolder\\x.log"), GENERIC_READ, ERROR_PATH_NOT_FOUND},
        {folder, GENERIC_WRITE, ERROR_ACCESS_DENIED},
        {held, GENERIC_READ, ERROR_SHARING_VIOLATION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FileAccessor file;
        ScopedHandle h(file.openWithRetry(c.name.c_str(), c.access, 0, OPEN_EXISTING));
        EXPECT_FALSE(h.valid());
        EXPECT_EQ(c.expected, ::GetLastError());
        EXPECT_EQ(c.expected, file.lastError());
    }
}

// A second process holds the file without sharing; the log-file retry (3000 ms in
// steps of 100 ms) outlasts a short hold and gives up on a long one.
TEST(FileAccessor, RetryOutlastsAShortHoldAndGivesUpOnALongOne) {
    TempDir dir;
    std::string path = dir.file("busy.log");
    ASSERT_TRUE(writeFileBytes(path, "x", 1));
    struct Case { DWORD holdMs; bool opens; } cases[] = {{2500, true}, {4000, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.holdMs);
        ChildProcess holder;
        ReadyEvent ready;
        ASSERT_TRUE(startHelper(holder, "kqvt_holder", "file \"" + path + "\" " + std::to_string(c.holdMs) + " " + ready.name()));
        ASSERT_TRUE(ready.wait(10000));
        FileAccessor file;
        file.setRetry(3000, 100);
        const DWORD start = ::GetTickCount();
        ScopedHandle h(file.openForReading(path.c_str(), 0));
        const DWORD elapsed = ::GetTickCount() - start;
        EXPECT_EQ(c.opens, h.valid());
        if (c.opens) {
            EXPECT_GE(elapsed, 1500u);
        } else {
            EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), file.lastError());
            EXPECT_GE(elapsed, 2900u);
            EXPECT_LT(elapsed, 3900u);
        }
        h.close();
        holder.wait(10000);
    }
}

TEST(FileAccessor, SingleAttemptByDefault) {
    TempDir dir;
    std::string path = dir.file("busy.log");
    ChildProcess holder;
    ReadyEvent ready;
    ASSERT_TRUE(startHelper(holder, "kqvt_holder", "file \"" + path + "\" 3000 " + ready.name()));
    ASSERT_TRUE(ready.wait(10000));
    FileAccessor file;
    const DWORD start = ::GetTickCount();
    ScopedHandle h(file.openForReading(path.c_str(), 0));
    EXPECT_FALSE(h.valid());
    EXPECT_LT(::GetTickCount() - start, 400u);
}

TEST(FileAccessor, ReadAllKeepsTheCacheWhileTheContentStaysTheSame) {
    TempDir dir;
    std::string path = dir.file("c.log");
    ASSERT_TRUE(writeFileBytes(path, "abcdef", 6));
    FileAccessor file;
    file.setName(path.c_str(), FILE_SHARE_READ);
    const uint8_t* first = file.readAll(0, 0);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, file.readAll(0, 0));
    EXPECT_EQ(first + 2, file.readAll(2, 0));
    EXPECT_EQ(nullptr, file.readAll(6, 0));

    ASSERT_TRUE(writeFileBytes(path, "abcxyz", 6));
    const uint8_t* second = file.readAll(0, 0);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(0, std::memcmp(second, "abcxyz", 6));

    // An emptied file is not answered with the old content.
    ASSERT_TRUE(writeFileBytes(path, "", 0));
    EXPECT_EQ(nullptr, file.readAll(0, 0));
}

TEST(FileAccessor, WholeFileOperations) {
    TempDir dir;
    std::string path = dir.file("w.log");
    FileAccessor file;
    EXPECT_EQ(0, file.setName(path.c_str(), FILE_SHARE_READ));
    EXPECT_EQ(0, file.existsForWriting(0));
    EXPECT_EQ(0u, file.size(0));
    EXPECT_EQ(1, file.create(path.c_str(), 0));
    EXPECT_EQ(1, file.existsForWriting(0));
    EXPECT_EQ(5u, file.append("hello", 5, 0));
    EXPECT_EQ(3u, file.append("abc", 3, 0));
    EXPECT_EQ(2u, file.writeAt("XY", 2, 1, 0));
    EXPECT_EQ(8u, file.size(0));
    const uint8_t* data = file.readAll(0, 0);
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(0, std::memcmp(data, "hXYloabc", 8));
    EXPECT_EQ(1, file.truncate(0));
    EXPECT_EQ(0u, file.size(0));
}

TEST(FileAccessor, PositionedHelpers) {
    TempDir dir;
    std::string path = dir.file("p.log");
    ASSERT_TRUE(writeFileBytes(path, "0123456789", 10));
    ScopedHandle h(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL));
    ASSERT_TRUE(h.valid());
    char buffer[4] = {0};
    EXPECT_EQ(3u, FileAccessor::readAtHandle(h.get(), 4, buffer, 3));
    EXPECT_EQ(0, std::memcmp(buffer, "456", 3));
    EXPECT_EQ(2u, FileAccessor::readAtHandle(h.get(), -2, buffer, 4, FILE_END));
    EXPECT_EQ(0, std::memcmp(buffer, "89", 2));
    EXPECT_EQ(2u, FileAccessor::writeAtHandle(h.get(), 0, "ab", 2, FILE_END));
    EXPECT_TRUE(FileAccessor::cutAtHandle(h.get(), 5));
    EXPECT_EQ(0u, FileAccessor::readAtHandle(h.get(), -100, buffer, 1, FILE_BEGIN));
    h.close();
    std::vector<unsigned char> bytes = readFileBytes(path);
    EXPECT_EQ(std::string("01234"), std::string(bytes.begin(), bytes.end()));
}

TEST(FileAccessor, VerificationCodes) {
    DiagCapture diag;
    TempDir dir;
    std::vector<uint8_t> log = buildLogFile({RecordBuilder().build()});
    ASSERT_TRUE(writeFileBytes(dir.file("good.log"), log.data(), log.size()));
    ASSERT_TRUE(writeFileBytes(dir.file("empty.log"), "", 0));
    ASSERT_TRUE(writeFileBytes(dir.file("other.log"), "ABCDEFGH", 8));
    ASSERT_TRUE(writeFileBytes(dir.file("short.log"), "KQVTLG2", 7));
    struct Case { std::string name; VerifyResult code; const char* line; } cases[] = {
        {"good.log", kVerifyOk, nullptr},
        {"empty.log", kVerifyOpenFailed, "File is not Opened.  Errcode="},
        {"missing.log", kVerifyMissing, nullptr},
        {"other.log", kVerifyOtherForm, "File is other form. Signeture=ABCDEFG\r\n"},
        {"short.log", kVerifyOtherForm, "File is other form. Signeture=KQVTLG2\r\n"},
        {"nofolder\\x.log", kVerifyNoFolder, "File path is not found.\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        diag.clear();
        FileAccessor file;
        file.setName(dir.file(c.name).c_str(), FILE_SHARE_READ);
        file.setRetry(3000, 100);
        EXPECT_EQ(c.code, file.verify());
        std::string lines = diag.text();
        if (c.line) {
            EXPECT_NE(std::string::npos, lines.find(c.line)) << lines;
        } else {
            EXPECT_EQ("", lines);
        }
    }
}

TEST(FileAccessor, VerificationOfAFileBusyForTheWholeRetry) {
    DiagCapture diag;
    TempDir dir;
    std::string path = dir.file("busy.log");
    ChildProcess holder;
    ReadyEvent ready;
    ASSERT_TRUE(startHelper(holder, "kqvt_holder", "file \"" + path + "\" 4500 " + ready.name()));
    ASSERT_TRUE(ready.wait(10000));
    FileAccessor file;
    file.setName(path.c_str(), FILE_SHARE_READ);
    file.setRetry(3000, 100);
    EXPECT_EQ(kVerifyBusy, file.verify());
    EXPECT_NE(std::string::npos, diag.text().find("Sharing violation timeout is occurred.\r\n"));
}

}  // namespace
