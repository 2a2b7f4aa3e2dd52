#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "services/VersionStrings.h"
#include "tests/support/TestEnvironment.h"

namespace {

// Builds a version resource node: header, key, aligned value, aligned children.
struct VersionNode {
    std::wstring key;
    uint16_t type = 1;               // 1 text, 0 binary
    std::vector<uint8_t> value;      // bytes as stored
    uint16_t valueLength = 0;        // as the header counts it (characters for text)
    std::vector<VersionNode> children;
};

void align(std::vector<uint8_t>& out) {
    while (out.size() % 4) out.push_back(0);
}

std::vector<uint8_t> build(const VersionNode& node) {
    std::vector<uint8_t> out(6, 0);
    for (wchar_t c : node.key) {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
    align(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const VersionNode& child : node.children) {
        align(out);
        std::vector<uint8_t> bytes = build(child);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    uint16_t length = static_cast<uint16_t>(out.size());
    out[0] = static_cast<uint8_t>(length & 0xFF);
    out[1] = static_cast<uint8_t>(length >> 8);
    out[2] = static_cast<uint8_t>(node.valueLength & 0xFF);
    out[3] = static_cast<uint8_t>(node.valueLength >> 8);
    out[4] = static_cast<uint8_t>(node.type);
    out[5] = 0;
    return out;
}

VersionNode text(const std::wstring& key, const std::wstring& value) {
    VersionNode n;
    n.key = key;
    for (wchar_t c : value) {
        n.value.push_back(static_cast<uint8_t>(c & 0xFF));
        n.value.push_back(static_cast<uint8_t>(c >> 8));
    }
    n.value.push_back(0);
    n.value.push_back(0);
    n.valueLength = static_cast<uint16_t>(value.size() + 1);
    return n;
}

struct StringEntry {
    std::wstring key;
    std::wstring value;
};

std::vector<uint8_t> versionResource(const std::wstring& table, const std::vector<StringEntry>& strings,
                                     const std::vector<uint8_t>& translation) {
    VersionNode root;
    root.key = L"VS_VERSION_INFO";
    root.type = 0;
    VS_FIXEDFILEINFO fixed = {};
    fixed.dwSignature = 0xFEEF04BD;
    fixed.dwStrucVersion = 0x00010000;
    fixed.dwFileVersionMS = 0x00010001;
    fixed.dwFileVersionLS = 0x00010000;
    root.value.assign(reinterpret_cast<uint8_t*>(&fixed), reinterpret_cast<uint8_t*>(&fixed) + sizeof fixed);
    root.valueLength = sizeof fixed;

    VersionNode tableNode;
    tableNode.key = table;
    for (const StringEntry& s : strings) tableNode.children.push_back(text(s.key, s.value));
    VersionNode stringInfo;
    stringInfo.key = L"StringFileInfo";
    stringInfo.children.push_back(tableNode);

    VersionNode var;
    var.key = L"Translation";
    var.type = 0;
    var.value = translation;
    var.valueLength = static_cast<uint16_t>(translation.size());
    VersionNode varInfo;
    varInfo.key = L"VarFileInfo";
    varInfo.children.push_back(var);

    root.children.push_back(stringInfo);
    root.children.push_back(varInfo);
    return build(root);
}

// A copy of a small test program carrying the given version resource.
bool makeProgramWithVersion(const std::string& path, const std::vector<uint8_t>& resource) {
    if (!::CopyFileA((testBinaryDir() + "kqvt_holder.exe").c_str(), path.c_str(), FALSE)) return false;
    HANDLE update = ::BeginUpdateResourceA(path.c_str(), FALSE);
    if (!update) return false;
    BOOL ok = ::UpdateResourceA(update, MAKEINTRESOURCEA(16) /* RT_VERSION */, MAKEINTRESOURCEA(1),
                                MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT),
                                const_cast<uint8_t*>(resource.data()), static_cast<DWORD>(resource.size()));
    return ::EndUpdateResourceA(update, !ok) && ok;
}

const std::vector<uint8_t> kJapaneseTranslation = {0x11, 0x04, 0xA4, 0x03};  // 0x0411, 932

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
        std::vector<StringEntry> strings;
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
        ASSERT_TRUE(makeProgramWithVersion(path, versionResource(c.table, c.strings, c.translation))) << c.what;
        Read r = readFrom(path.c_str());
        EXPECT_EQ(c.expected.result, r.result) << c.what;
        EXPECT_EQ(c.expected.description, r.description) << c.what;
        EXPECT_EQ(c.expected.version, r.version) << c.what;
        EXPECT_EQ(c.expected.copyright, r.copyright) << c.what;
    }
}

}  // namespace
