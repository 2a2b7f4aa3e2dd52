#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "diagnostics/DiagLog.h"
#include "tests/support/DiagCapture.h"
#include "tests/support/TestEnvironment.h"

namespace {

TEST(DiagLog, WritesNothingWithoutTheTraceKey) {
    deleteRegistryTree(HKEY_LOCAL_MACHINE, kTraceKey);
    TempDir dir;
    char previous[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ::SetCurrentDirectoryA(dir.path().c_str());
    DiagLog diag(kDiagLogName, 2);
    EXPECT_EQ(0, diag.readTraceSettings());
    EXPECT_EQ(dir.file(kDiagLogName), diag.path());
    EXPECT_EQ(0u, diag.write(1, "Log File Invalid.\r\n"));
    writeDiagnosticLine("Error from enterExclude. Kind = %d\r\n", 5);
    ::SetCurrentDirectoryA(previous);
    EXPECT_FALSE(fileExists(dir.file(kDiagLogName)));
}

TEST(DiagLog, LevelAndKindDecideWhatIsWritten) {
    DiagCapture capture;
    struct Case { DWORD traceOn, kindMask, level; bool written; } cases[] = {
        {1, 2, 0, false},  // level 1 lines need Level 1
        {1, 2, 1, true},
        {1, 1, 1, false},  // this program's logs are kind 2
        {1, 3, 5, true},
        {0, 2, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.traceOn << "/" << c.kindMask << "/" << c.level);
        capture.clear();
        capture.key().setDword("TraceOn", c.traceOn);
        capture.key().setDword("Kind", c.kindMask);
        capture.key().setDword("Level", c.level);
        DiagLog diag(kDiagLogName, 2);
        ASSERT_EQ(1, diag.readTraceSettings());
        DWORD written = diag.write(1, "File path is not found.\r\n");
        EXPECT_EQ(c.written, written > 0);
        EXPECT_EQ(c.written, fileExists(capture.path()));
    }
}

TEST(DiagLog, LineFormat) {
    DiagCapture capture;
    DiagLog diag(kDiagLogName, 2);
    diag.readTraceSettings();
    const DWORD written = diag.writeFormat(1, "File is not Opened.  Errcode=%d\r\n", 5);
    std::string text = capture.text();
    EXPECT_EQ(written, text.size());
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(\[\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}:\d{4}\] File is not Opened\.  Errcode=5\r\n)")))
        << text;
}

TEST(DiagLog, TooLongMessagesAreDropped) {
    DiagCapture capture;
    DiagLog diag(kDiagLogName, 2);
    diag.readTraceSettings();
    // The prefix is 27 bytes: 27 + text + 2 must stay below 1024.
    EXPECT_EQ(0u, diag.write(1, std::string(1000, 'x').c_str()));
    EXPECT_EQ(0u, diag.write(1, std::string(995, 'x').c_str()));
    EXPECT_EQ(27u + 994, diag.write(1, std::string(994, 'x').c_str()));
}

TEST(DiagLog, RollsOverToTheBackupName) {
    DiagCapture capture;
    capture.key().setDword("FileSize", 1);
    ASSERT_TRUE(writeFileBytes(capture.path(), std::string(1000, 'o').data(), 1000));
    DiagLog diag(kDiagLogName, 2);
    diag.readTraceSettings();
    const std::string message = std::string(71, 'n') + "\r\n";  // with the prefix: 100 bytes
    EXPECT_EQ(100u, diag.write(1, message.c_str()));
    EXPECT_EQ(1000u, fileSize(capture.folder().file("KQVTLVERR.bak")));
    EXPECT_EQ(100u, fileSize(capture.path()));
    // Within the limit: appended.
    EXPECT_EQ(100u, diag.write(1, message.c_str()));
    EXPECT_EQ(200u, fileSize(capture.path()));
}

TEST(DiagLog, KeepsTheCallersLastError) {
    DiagCapture capture;
    ::SetLastError(ERROR_SHARING_VIOLATION);
    DiagLog diag(kDiagLogName, 2);
    diag.readTraceSettings();
    diag.write(1, "x\r\n");
    diag.writeFormat(1, "%d\r\n", 1);
    writeDiagnosticLine("y\r\n");
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), ::GetLastError());
    EXPECT_NE(std::string::npos, capture.text().find("y\r\n"));
}

}  // namespace
