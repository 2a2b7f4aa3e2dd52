// The viewer process whose main window is closed from another process while one of its
// prompts is up: it ends with 0 and leaves nothing that keeps the next viewer out.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/SettingsFile.h"
#include "tests/support/TestEnvironment.h"
#include "viewer/ViewerTexts.h"

namespace {

struct PromptSearch {
    DWORD process;
    HWND skip;
    HWND found;
};

BOOL CALLBACK findPrompt(HWND hwnd, LPARAM param) {
    PromptSearch& search = *reinterpret_cast<PromptSearch*>(param);
    DWORD process = 0;
    char name[16] = "";
    ::GetWindowThreadProcessId(hwnd, &process);
    ::GetClassNameA(hwnd, name, sizeof name);
    if (process != search.process || hwnd == search.skip || std::string(name) != "#32770" || !::IsWindowVisible(hwnd))
        return TRUE;
    search.found = hwnd;
    return FALSE;
}

// A shown box or dialog of `viewer` other than `skip`; without a viewer, a shown main
// window. Null after 20 s.
HWND waitFor(HANDLE viewer, HWND skip = NULL) {
    PromptSearch search = {viewer ? ::GetProcessId(viewer) : 0, skip, NULL};
    for (int i = 0; i < 400 && !search.found; ++i) {
        HWND main = ::FindWindowA(kMainClassName, kMainTitle);
        if (viewer) ::EnumWindows(&findPrompt, reinterpret_cast<LPARAM>(&search));
        else if (main && ::IsWindowVisible(main)) search.found = main;
        if (!search.found) ::Sleep(50);
    }
    return search.found;
}

}  // namespace

// WM_CLOSE from another process (taskkill, an installer, a log-off) while a warning, the
// settings dialog after it or the exit question is up, with a broken log at the start or
// a write error handed over with "-b".
TEST(PromptLoop, WindowClosedFromOutsideEndsTheViewer) {
    const struct {
        const char* arguments;
        bool brokenLog;
        std::vector<WPARAM> answers;  // given before the window is closed
    } cases[] = {
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
        HWND prompt = waitFor(viewer.handle());
        for (WPARAM answer : c.answers) {
            ASSERT_TRUE(prompt);
            ::PostMessageA(prompt, WM_COMMAND, answer, 0);
            prompt = waitFor(viewer.handle(), prompt);
        }
        ASSERT_TRUE(prompt);
        ::PostMessageA(::FindWindowA(kMainClassName, kMainTitle), WM_CLOSE, 0, 0);
        DWORD code = 1;
        ASSERT_TRUE(viewer.wait(10000, &code));
        EXPECT_EQ(0u, code);

        ::DeleteFileA(log.c_str());
        ChildProcess next;
        ASSERT_TRUE(next.start(productExePath(), ""));
        HWND shown = waitFor(NULL);
        ASSERT_TRUE(shown);
        ::PostMessageA(shown, WM_CLOSE, 0, 0);
        EXPECT_TRUE(next.wait(10000));
    }
}
