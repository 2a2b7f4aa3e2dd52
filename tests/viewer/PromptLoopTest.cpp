// The real viewer in processes of its own.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/SettingsFile.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WindowTestSupport.h"
#include "viewer/ViewerTexts.h"

// WM_CLOSE from another process while a warning, the settings or the exit question is up:
// the viewer ends with 0 and the next one shows its window.
TEST(PromptLoop, WindowClosedFromOutsideEndsTheViewer) {
    const struct { const char* arguments; bool brokenLog; std::vector<WPARAM> answers; } cases[] = {
        {"", true, {}}, {"", true, {IDOK}}, {"", true, {IDOK, IDCANCEL}},
        {"-b 42", false, {}}, {"-b 42", false, {IDOK}}, {"-b 42", false, {IDOK, IDCANCEL}}, {"-b 2", true, {}},
    };
    TempDir dir;
    const std::string log = dir.file("KQVTPRT2.LOG");
    ScopedSettingsFile settings;
    settings.set("LogName", log);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.arguments) + " after answers: " + std::to_string(c.answers.size()));
        ::DeleteFileA(log.c_str());
        if (c.brokenLog) writeFileBytes(log, "", 0);
        ChildProcess viewer;
        ASSERT_TRUE(viewer.start(productExePath(), c.arguments));
        HWND prompt = waitForWindow("#32770", NULL);
        for (WPARAM answer : c.answers) {
            ::PostMessageA(prompt, WM_COMMAND, answer, 0);
            prompt = waitForWindow("#32770", NULL, prompt);
        }
        ASSERT_TRUE(prompt);
        ::PostMessageA(::FindWindowA(kMainClassName, kMainTitle), WM_CLOSE, 0, 0);
        DWORD code = 1;
        ASSERT_TRUE(viewer.wait(10000, &code));
        EXPECT_EQ(0u, code);

        ::DeleteFileA(log.c_str());
        ChildProcess next;
        ASSERT_TRUE(next.start(productExePath(), ""));
        ::PostMessageA(waitForWindow(kMainClassName, kMainTitle), WM_CLOSE, 0, 0);
        EXPECT_TRUE(next.wait(10000)) << "the next viewer showed no window";
    }
}

// A second viewer ends with 0 and brings the first forward; with "-b" the first, still
// running, shows the write warning for the kind.
TEST(PromptLoop, SecondViewerHandsOverToTheFirst) {
    TempDir dir;
    ScopedSettingsFile settings;
    settings.set("LogName", dir.file("KQVTPRT2.LOG"));
    ChildProcess first;
    ASSERT_TRUE(first.start(productExePath(), ""));
    HWND viewer = waitForWindow(kMainClassName, kMainTitle);
    ASSERT_TRUE(viewer);
    HostWindow other;
    ::ShowWindow(other.hwnd(), SW_SHOW);
    ::SetForegroundWindow(other.hwnd());
    ASSERT_EQ(other.hwnd(), ::GetForegroundWindow());
    for (const char* arguments : {"", "-b 3"}) {
        ChildProcess second;
        ASSERT_TRUE(second.start(productExePath(), arguments));
        DWORD code = 1;
        ASSERT_TRUE(second.wait(10000, &code));
        EXPECT_EQ(0u, code);
    }
    EXPECT_EQ(viewer, ::GetForegroundWindow());
    HWND box = waitForWindow("#32770", "Quillbridge2 印刷ログ");
    ASSERT_TRUE(box);
    EXPECT_EQ(std::string(kWriteFailedFirstLine) + kNoPermissionLine + kGrantOrRenameLine, dialogItemText(box, 0xFFFF));
    EXPECT_FALSE(first.wait(0));
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    ::PostMessageA(viewer, WM_CLOSE, 0, 0);
    EXPECT_TRUE(first.wait(10000));
}
