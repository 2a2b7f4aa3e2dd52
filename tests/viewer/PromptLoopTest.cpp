// The viewer process whose main window is closed from another process while one of its
// prompts is up: it ends with 0 and leaves nothing that keeps the next viewer out.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/SettingsFile.h"
#include "tests/support/TestEnvironment.h"
#include "viewer/ViewerTexts.h"

// A shown top-level window of this class (and title) other than `skip`; null after 20 s.
static HWND waitFor(const char* windowClass, const char* title, HWND skip = NULL) {
    for (int i = 0; i < 400; ++i) {
        HWND w = NULL;
        while ((w = ::FindWindowExA(NULL, w, windowClass, title)) != NULL)
            if (w != skip && ::IsWindowVisible(w)) return w;
        ::Sleep(50);
    }
    return NULL;
}

// WM_CLOSE from another process (taskkill, an installer, a log-off) while a warning, or
// after the given answers the settings dialog or the exit question, is up; with a broken
// log at the start or a write error handed over with "-b". Only the viewer has "#32770".
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
        HWND prompt = waitFor("#32770", NULL);
        for (WPARAM answer : c.answers) {
            ::PostMessageA(prompt, WM_COMMAND, answer, 0);
            prompt = waitFor("#32770", NULL, prompt);
        }
        ASSERT_TRUE(prompt);
        ::PostMessageA(::FindWindowA(kMainClassName, kMainTitle), WM_CLOSE, 0, 0);
        DWORD code = 1;
        ASSERT_TRUE(viewer.wait(10000, &code));
        EXPECT_EQ(0u, code);

        ::DeleteFileA(log.c_str());
        ChildProcess next;
        ASSERT_TRUE(next.start(productExePath(), ""));
        HWND shown = waitFor(kMainClassName, kMainTitle);
        ASSERT_TRUE(shown);
        ::PostMessageA(shown, WM_CLOSE, 0, 0);
        EXPECT_TRUE(next.wait(10000));
    }
}
