#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "help/ContextHelp.h"
#include "help/HelpTexts.h"
#include "tests/support/BoxAnswerer.h"
#include "tests/support/TestEnvironment.h"

namespace {

TEST(HelpFilePath, ReplacesTheModuleFileNameOrIsRefusedWhenItDoesNotFit) {
    char path[520];
    ASSERT_EQ(1, buildHelpFilePath(NULL, path, sizeof path));
    EXPECT_EQ(testBinaryDir() + "KQVTLGVW.CHM", std::string(path));
    std::vector<char> small(testBinaryDir().size() + 5, 'x');
    EXPECT_EQ(0, buildHelpFilePath(NULL, small.data(), static_cast<DWORD>(small.size())));
    EXPECT_EQ('\0', small[0]);
}

// The help file renamed away: the control fails and the user is told where it should be.
TEST(HelpFileMissing, TheMessageStartsWithThePathAndASpace) {
    TempDir dir;
    const std::string path = dir.file("KQVTLGVW.CHM");
    BoxAnswerer boxes(kHelpCaption, IDOK, 2);
    const HelpContextPair table[] = {{1003, 5}, {0, 0}};
    EXPECT_EQ(0, showControlHelp(NULL, path.c_str(), nullptr, table, 1003));
    EXPECT_EQ(IDOK, showHelpFileMissing(NULL, nullptr));
    ASSERT_TRUE(boxes.wait(15000));
    EXPECT_EQ(path + " " + kHelpFileMissingMessage, boxes.texts()[0]);
    EXPECT_EQ(kHelpFileMissingMessage, boxes.texts()[1]);
}

}  // namespace
