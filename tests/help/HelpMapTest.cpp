#include <gtest/gtest.h>

#include <string>

#include "help/HelpMap.h"
#include "tests/support/TestEnvironment.h"

namespace {

std::wstring wide(const std::string& s) {
    wchar_t buffer[MAX_PATH];
    int n = ::MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, buffer, MAX_PATH);
    return n > 0 ? std::wstring(buffer) : std::wstring();
}

TEST(HelpContextTable, FirstPairOfTheControlBeforeTheEndGivesItsContext) {
    const HelpContextPair table[] = {{1000, 5}, {1, 8}, {1000, 99}, {0, 0}, {7, 7}};
    const DWORD cases[][2] = {{1000, 5}, {1, 8}, {2, 0}, {7, 0}, {0, 0}};
    for (const auto& c : cases) EXPECT_EQ(c[1], findHelpContextId(c[0], table)) << c[0];
    EXPECT_EQ(0u, findHelpContextId(1000, nullptr));
}

// Small help files, some edited into malformed streams (see tests/CMakeLists.txt).
TEST(HelpMap, LookupFindsOnlyWellFormedPairs) {
    const struct {
        const char* file;
        DWORD context;
        const char* expected;  // "-": the file does not load
    } cases[] = {
        {"missing.chm", 7, "-"},
        {"nomap.chm", 7, "-"},  // no "#IVB" stream
        {"sample.chm", 7, "first.htm"},  // listed twice: the first pair
        {"sample.chm", 8, "third.htm"},
        {"sample.chm", 9, ""},
        {"oneword.chm", 0, ""},  // the length word alone
        {"badivb.chm", 7, ""},   // offset far past "#STRINGS"
        {"badivb.chm", 8, "first.htm"},
        {"badivb.chm", 10, ""},  // the empty name at offset 0
        {"badivb.chm", 9, ""},   // last word, no offset after it
        {"unterminated.chm", 4, ""},
    };
    for (const auto& c : cases) {
        HelpMap map;
        const int loaded = loadHelpMap(wide(testBinaryDir() + "helpfiles\\" + c.file).c_str(), &map);
        const char* topic = findHelpTopic(c.context, &map);
        EXPECT_EQ(c.expected, loaded ? std::string(topic ? topic : "") : "-") << c.file << " " << c.context;
        EXPECT_EQ(loaded != 0, map.ivb != nullptr && map.strings != nullptr && map.count > 0) << c.file;
        freeHelpMap(&map);
        EXPECT_EQ(nullptr, findHelpTopic(8, &map));
    }
    EXPECT_EQ(0, loadHelpMap(nullptr, nullptr));
    EXPECT_EQ(nullptr, findHelpTopic(7, nullptr));
}

}  // namespace
