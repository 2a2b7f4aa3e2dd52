#include <gtest/gtest.h>

#include <regex>

#include "diagnostics/DiagLog.h"
#include "tests/support/DiagCapture.h"

// Trace settings, line format, length limit and roll-over, and the caller's last error.
TEST(DiagLog, WhatIsWrittenAndWhere) {
    // Without the trace key nothing is written; the log would lie in the current folder.
    deleteRegistryTree(HKEY_LOCAL_MACHINE, kTraceKey);
    char folder[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, folder);
    DiagLog none(kDiagLogName, 2);
    EXPECT_EQ(0, none.readTraceSettings());
    EXPECT_EQ(std::string(folder) + "\\" + kDiagLogName, none.path());
    EXPECT_EQ(0u, none.write(1, "File path is not found.\r\n"));

    DiagCapture capture;
    struct Case { DWORD traceOn, kindMask, level; bool written; } cases[] = {
        {0, 2, 1, false}, {1, 2, 0, false}, {1, 2, 1, true}, {1, 1, 1, false}, {1, 3, 5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.traceOn << "/" << c.kindMask << "/" << c.level);
        capture.clear();
        capture.key().setDword("TraceOn", c.traceOn);
        capture.key().setDword("Kind", c.kindMask);
        capture.key().setDword("Level", c.level);
        DiagLog diag(kDiagLogName, 2);
        ASSERT_EQ(1, diag.readTraceSettings());
        EXPECT_EQ(c.written, diag.write(1, "File path is not found.\r\n") > 0);
        EXPECT_EQ(c.written, fileExists(capture.path()));
    }
    capture.clear();
    ::SetLastError(ERROR_SHARING_VIOLATION);
    DiagLog diag(kDiagLogName, 2);
    diag.readTraceSettings();
    const DWORD written = diag.writeFormat(1, "File is not Opened.  Errcode=%d\r\n", 5);
    EXPECT_EQ(DWORD(ERROR_SHARING_VIOLATION), ::GetLastError());
    EXPECT_EQ(written, capture.text().size());
    EXPECT_TRUE(std::regex_match(capture.text(), std::regex(R"(\[\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}:\d{4}\] )"
                                                             R"(File is not Opened\.  Errcode=5\r\n)")));
    // The prefix is 27 bytes: prefix, text and 2 must stay below 1024.
    EXPECT_EQ(0u, diag.write(1, std::string(995, 'x').c_str()));
    EXPECT_EQ(27u + 994, diag.write(1, std::string(994, 'x').c_str()));

    // With a 1 KB limit a line that reaches 1024 bytes exactly is appended; the next one
    // first moves the older lines to the backup name.
    capture.key().setDword("FileSize", 1);
    DiagLog small(kDiagLogName, 2);
    small.readTraceSettings();
    ASSERT_TRUE(writeFileBytes(capture.path(), std::string(924, 'o').data(), 924));
    const std::string line = std::string(71, 'n') + "\r\n";  // 100 bytes with the prefix
    EXPECT_EQ(100u, small.write(1, line.c_str()));
    EXPECT_EQ(1024u, fileSize(capture.path()));
    EXPECT_EQ(100u, small.write(1, line.c_str()));
    EXPECT_EQ(1024u, fileSize(capture.folder().file("KQVTLVERR.bak")));
    EXPECT_EQ(100u, fileSize(capture.path()));
}
