#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "services/VersionStrings.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/VersionResource.h"

namespace {

// A copy of a small test program carrying the given version resource.
bool makeProgramWithVersion(const std::string& path, const std::vector<uint8_t>& resource) {
    return copyWithVersionResource(testBinaryDir() + "kqvt_holder.exe", path, resource);
}

struct Read {
    int result;
    std::string description, version, copyright;
};

Read readFrom(const char* path) {
    ByteString description, version, copyright;
    description.assign("old");
    version.assign("old");
    copyright.assign("old");
    Read r;
    r.result = readVersionStrings(path, description, version, copyright);
    r.description = description.c_str();
    r.version = version.c_str();
    r.copyright = copyright.c_str();
    return r;
}

TEST(VersionStrings, TheProductShowsItsDescriptionVersionAndNotice) {
    Read r = readFrom(productExePath().c_str());
    EXPECT_EQ(1, r.result);
    EXPECT_EQ("Quillbridge2 印刷ログビューア", r.description);
    EXPECT_EQ("1.1.1.0", r.version);
    EXPECT_EQ("Copyright (C) 2026 Norvale. 無断複製を禁じます。", r.copyright);
}

TEST(VersionStrings, ARunningProgramWithoutVersionResourceGivesEmptyFields) {
    // The test program itself has none; a null path reads the running executable.
    Read r = readFrom(nullptr);
    EXPECT_EQ(0, r.result);
    EXPECT_EQ("", r.description);
    EXPECT_EQ("", r.version);
    EXPECT_EQ("", r.copyright);
}

TEST(VersionStrings, ReadingStopsAtTheFirstMissingOrEmptyString) {
    const std::wstring table = L"041103a4";
    struct Case {
        const char* what;
        std::wstring table;
        std::vector<VersionString> strings;
        std::vector<uint8_t> translation;
        Read expected;
    } cases[] = {
        {"all three",
         table,
         {{L"FileDescription", L"試験の説明"}, {L"FileVersion", L"2.0.0.1"}, {L"LegalCopyright", L"(C) 試験"}},
         kJapaneseTranslation,
         {1, "試験の説明", "2.0.0.1", "(C) 試験"}},
        {"version missing",
         table,
         {{L"FileDescription", L"試験の説明"}, {L"LegalCopyright", L"(C) 試験"}},
         kJapaneseTranslation,
         {0, "試験の説明", "", ""}},
        {"empty description",
         table,
         {{L"FileDescription", L""}, {L"FileVersion", L"2.0.0.1"}, {L"LegalCopyright", L"(C) 試験"}},
         kJapaneseTranslation,
         {0, "", "", ""}},
        {"strings under another language than the translation",
         L"040904b0",
         {{L"FileDescription", L"d"}, {L"FileVersion", L"v"}, {L"LegalCopyright", L"c"}},
         kJapaneseTranslation,
         {0, "", "", ""}},
        {"translation shorter than one entry",
         table,
         {{L"FileDescription", L"d"}, {L"FileVersion", L"v"}, {L"LegalCopyright", L"c"}},
         {0x11, 0x04},
         {0, "", "", ""}},
    };
    TempDir dir;
    int n = 0;
    for (const Case& c : cases) {
        std::string path = dir.file("program" + std::to_string(n++) + ".exe");
        ASSERT_TRUE(makeProgramWithVersion(path, buildVersionResource(c.table, c.strings, c.translation))) << c.what;
        Read r = readFrom(path.c_str());
        EXPECT_EQ(c.expected.result, r.result) << c.what;
        EXPECT_EQ(c.expected.description, r.description) << c.what;
        EXPECT_EQ(c.expected.version, r.version) << c.what;
        EXPECT_EQ(c.expected.copyright, r.copyright) << c.what;
    }
}

}  // namespace
