#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "help/AboutDialog.h"
#include "resources/AboutDialogIds.h"
#include "tests/support/DialogScript.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/VersionResource.h"
#include "tests/support/WindowTestSupport.h"

namespace {

// Opened centred over the main window; OK gives 1, Esc and the close button 2.
TEST(AboutDialog, OpensCentredAndClosesWithOneAfterOkAndTwoOtherwise) {
    const struct {
        UINT message;
        WPARAM wParam;
        INT_PTR expected;
    } cases[] = {{WM_KEYDOWN, VK_RETURN, 1}, {WM_KEYDOWN, VK_ESCAPE, 2}, {WM_SYSCOMMAND, SC_CLOSE, 2}};
    HostWindow owner;
    ::MoveWindow(owner.hwnd(), 40, 30, 600, 450, FALSE);
    // One object for all: the main window may show the same dialog again.
    AboutDialog dialog(testInstance());
    for (const auto& c : cases) {
        RECT at = {};
        DialogStep step = [&](HWND hwnd) {
            ::GetWindowRect(hwnd, &at);
            ::PostMessageA(c.message == WM_KEYDOWN ? ::GetDlgItem(hwnd, IDOK) : hwnd, c.message, c.wParam, 0);
        };
        EXPECT_EQ(c.expected, showScripted(dialog, owner.hwnd(), {step})) << c.wParam;
        EXPECT_EQ(nullptr, dialog.hwnd());
        EXPECT_EQ((680 - (at.right - at.left)) / 2, at.left);
        EXPECT_EQ((510 - (at.bottom - at.top)) / 2, at.top);
    }
}

constexpr const char* kTextsFileVariable = "KQVT_ABOUT_TEXTS_FILE";

// Run only in a copy of this program that carries a version resource: writes the texts the
// dialog shows (description, version, legal notice; one a line) to the file the test names.
TEST(AboutDialogInCopy, DISABLED_WriteTheTextsShown) {
    const char* target = std::getenv(kTextsFileVariable);
    ASSERT_NE(nullptr, target);
    HostWindow owner;
    AboutDialog dialog(testInstance());
    std::string shown;
    ASSERT_EQ(IDOK, showScripted(dialog, owner.hwnd(), {[&](HWND hwnd) {
                                     for (int id : {IDC_ABOUT_DESCRIPTION, IDC_ABOUT_VERSION, IDC_ABOUT_COPYRIGHT})
                                         shown += dialogItemText(hwnd, id) + "\n";
                                     clickButton(hwnd, IDOK);
                                 }}));
    ASSERT_TRUE(writeFileBytes(target, shown.data(), shown.size()));
}

// Copies of this program with a version resource: what their About dialog shows.
TEST(AboutDialog, ShowsTheStringsOfTheRunningProgramsVersionResource) {
    const std::vector<uint8_t> english = {0x09, 0x04, 0xB0, 0x04};
    const std::vector<VersionString> all = {{L"ProductVersion", L"9.9"}, {L"FileDescription", L"試験の説明"},
                                            {L"FileVersion", L"1.2.3.4"}, {L"LegalCopyright", L"(C) 試験"}};
    const std::pair<std::vector<uint8_t>, std::string> cases[] = {
        {buildVersionResource(L"041103a4", all, kJapaneseTranslation), "試験の説明\n1.2.3.4\n(C) 試験\n"},
        {buildVersionResource(L"040904b0", all, english), "試験の説明\n1.2.3.4\n(C) 試験\n"},
        // No table for the translation: the template's stand-ins give way to nothing.
        {buildVersionResource(L"041103a4", all, english), "\n\n\n"},
        // The first string missing ends the reading.
        {buildVersionResource(L"041103a4", {all[1], all[3]}, kJapaneseTranslation), "試験の説明\n\n\n"},
    };
    char self[MAX_PATH];
    ASSERT_NE(0u, ::GetModuleFileNameA(NULL, self, sizeof self));
    TempDir dir;
    const std::string texts = dir.file("texts.txt");
    ::SetEnvironmentVariableA(kTextsFileVariable, texts.c_str());
    int n = 0;
    for (const auto& [resource, expected] : cases) {
        const std::string copy = dir.file("about" + std::to_string(n++) + ".exe");
        ASSERT_TRUE(copyWithVersionResource(self, copy, resource));
        ::DeleteFileA(texts.c_str());
        ChildProcess child;
        DWORD exitCode = 99;
        ASSERT_TRUE(child.start(copy, "--gtest_also_run_disabled_tests --gtest_filter=AboutDialogInCopy.*"));
        ASSERT_TRUE(child.wait(60000, &exitCode));
        EXPECT_EQ(0u, exitCode);
        const std::vector<unsigned char> bytes = readFileBytes(texts);
        EXPECT_EQ(expected, std::string(bytes.begin(), bytes.end()));
    }
    ::SetEnvironmentVariableA(kTextsFileVariable, nullptr);
}

}  // namespace
