#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "settings/LogNameRules.h"

namespace {

// "表" in Shift-JIS: its trail byte is the backslash byte.
#define HYOU "\x95\x5C"
// "ソ", another character that ends in 0x5C.
#define SO "\x83\x5C"

TEST(LogNameRules, ShiftJisIsTheCodePage) {
    // Every double-byte case below depends on it.
    ASSERT_TRUE(::IsDBCSLeadByte(0x95));
    EXPECT_STREQ("表", HYOU);
}

struct NormaliseCase {
    const char* typed;
    int result;
    const char* path;  // expected when the result is kLogNameOk
};

TEST(LogNameRules, NormalisationTable) {
    const std::string longName(247, 'a');
    const std::string fits = "C:\\" + longName;          // 250
    const std::string tooLong = "C:\\" + longName + "b";  // 251
    // Longer than 250 as typed, 250 once the doubled separators are gone.
    const std::string shrinks = "C:\\\\\\\\" + longName;
    const NormaliseCase cases[] = {
        {"C:/logs//print .log ", kLogNameOk, "C:\\logs\\print .log"},
        {"C: \\x.log", kLogNameOk, "C:\\x.log"},
        {"C:\\logs\\ \\x.log", kLogNameOk, "C:\\logs\\x.log"},
        {"C:\\logs   /x.log", kLogNameOk, "C:\\logs\\x.log"},
        {"C:\\a\\b...", kLogNameOk, "C:\\a\\b"},
        {"C:\\a\\b. . ", kLogNameOk, "C:\\a\\b"},
        {"C:\\\\\\logs\\\\x.log", kLogNameOk, "C:\\logs\\x.log"},
        {"\\\\server\\share\\x.log", kLogNameOk, "\\\\server\\share\\x.log"},
        {"\\\\\\server\\share\\x.log", kLogNameOk, "\\\\server\\share\\x.log"},
        {"\\ \\server\\x.log", kLogNameOk, "\\\\server\\x.log"},
        {"//server/share/x.log", kLogNameOk, "\\\\server\\share\\x.log"},
        {"C:\\logs\\.\\print.log", kLogNameInvalid, nullptr},
        {"C:\\logs\\..\\print.log", kLogNameInvalid, nullptr},
        {"C:\\logs\\.hidden", kLogNameInvalid, nullptr},
        {"C:\\logs\\ .hidden", kLogNameInvalid, nullptr},
        {"print.log", kLogNameInvalid, nullptr},
        {"C:print.log", kLogNameInvalid, nullptr},
        {"\\logs\\print.log", kLogNameInvalid, nullptr},
        {"", kLogNameInvalid, nullptr},
        {"   ", kLogNameInvalid, nullptr},
        {fits.c_str(), kLogNameOk, fits.c_str()},
        {tooLong.c_str(), kLogNameMalformed, nullptr},
        {shrinks.c_str(), kLogNameOk, fits.c_str()},
        // Trail bytes 0x5C are no separators: nothing to collapse, no dot component, no
        // space before a separator to drop.
        {"C:\\logs\\" HYOU ".log", kLogNameOk, "C:\\logs\\" HYOU ".log"},
        {"C:\\" HYOU "\\x.log", kLogNameOk, "C:\\" HYOU "\\x.log"},
        {"C:\\" HYOU "/x.log", kLogNameOk, "C:\\" HYOU "\\x.log"},
        {"C:\\" HYOU " \\x.log", kLogNameOk, "C:\\" HYOU "\\x.log"},
        {"C:\\" SO " x.log", kLogNameOk, "C:\\" SO " x.log"},
        {"C:\\x\\" HYOU, kLogNameOk, "C:\\x\\" HYOU},
        {"C:\\x\\" HYOU "..", kLogNameOk, "C:\\x\\" HYOU},
        {HYOU ":\\x.log", kLogNameInvalid, nullptr},
    };
    for (const NormaliseCase& c : cases) {
        ByteString out;
        EXPECT_EQ(c.result, normaliseLogName(c.typed, out)) << c.typed;
        if (c.result == kLogNameOk) {
            EXPECT_STREQ(c.path, out.c_str()) << c.typed;
        }
    }
}

TEST(LogNameRules, FileNameStartsAfterTheLastRealSeparator) {
    const struct {
        const char* path;
        size_t offset;
    } cases[] = {
        {"C:\\logs\\print.log", 8},
        {"C:/logs/print.log", 8},
        {"print.log", 0},
        {"", 0},
        {"C:\\logs\\", 8},
        {"C:\\logs\\" HYOU ".log", 8},
        {"C:\\" HYOU, 3},
        {"C:\\" HYOU HYOU SO, 3},
        {HYOU ".log", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.offset, fileNameOffset(c.path)) << c.path;
}

TEST(LogNameRules, FixedFolderFileNames) {
    const std::string folder = "C:\\ProgramData\\Norvale\\Quillbridge2\\";  // 36 bytes
    const std::string fits(250 - folder.size(), 'f');
    const std::string tooLong(251 - folder.size(), 'f');
    const struct {
        std::string file;
        int result;
    } cases[] = {
        {"print.log", kLogNameOk},
        {HYOU ".log", kLogNameOk},
        {SO HYOU, kLogNameOk},
        {fits, kLogNameOk},
        {tooLong, kLogNameInvalid},
        {"", kLogNameInvalid},
        {"logs\\print.log", kLogNameInvalid},
        {"logs/print.log", kLogNameInvalid},
        {HYOU "\\print.log", kLogNameInvalid},
    };
    for (const auto& c : cases) {
        ByteString out;
        EXPECT_EQ(c.result, joinLogFolderAndFile(folder.c_str(), c.file.c_str(), out)) << c.file;
        if (c.result == kLogNameOk) {
            EXPECT_EQ(folder + c.file, out.c_str());
        }
    }
}

}  // namespace
