#include "tests/support/TestGuard.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

constexpr DWORD kGraceMs = 5000;
CRITICAL_SECTION g_lock;
std::vector<const ExpectedDialogs*> g_expected;
std::string g_reports;

struct Locked {
    Locked() { ::EnterCriticalSection(&g_lock); }
    ~Locked() { ::LeaveCriticalSection(&g_lock); }
};

struct Candidate {
    DWORD since;
    int tries;
};

BOOL CALLBACK collect(HWND hwnd, LPARAM param) {
    char cls[16] = "";
    ::GetClassNameA(hwnd, cls, sizeof cls);
    if (!::lstrcmpA(cls, "#32770") && ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd))
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

// Closes what outlived the grace time: Cancel, No, OK, then WM_CLOSE, one a round.
DWORD WINAPI watch(void*) {
    std::map<HWND, Candidate> seen;
    for (;; ::Sleep(250)) {
        std::vector<HWND> dialogs;
        ::EnumWindows(collect, reinterpret_cast<LPARAM>(&dialogs));
        for (auto it = seen.begin(); it != seen.end();)
            it = std::count(dialogs.begin(), dialogs.end(), it->first) ? std::next(it) : seen.erase(it);
        for (HWND dialog : dialogs) {
            char caption[256] = "", text[1024] = "";
            ::GetWindowTextA(dialog, caption, sizeof caption);
            {
                Locked lock;
                if (std::any_of(g_expected.begin(), g_expected.end(),
                                [&](const ExpectedDialogs* e) { return e->covers(caption); }))
                    continue;
            }
            Candidate& c = seen.emplace(dialog, Candidate{::GetTickCount(), 0}).first->second;
            if (::GetTickCount() - c.since < kGraceMs) continue;
            if (c.tries == 0) {
                ::GetDlgItemTextA(dialog, 0xFFFF, text, sizeof text);
                Locked lock;
                g_reports += std::string("unexpected dialog \"") + caption + "\" closed: " + text + "\n";
            }
            static const WPARAM answers[] = {IDCANCEL, IDNO, IDOK};
            if (c.tries < 3)
                ::PostMessageA(dialog, WM_COMMAND, answers[c.tries], 0);
            else
                ::PostMessageA(dialog, WM_CLOSE, 0, 0);
            ++c.tries;
        }
    }
}

LONG WINAPI reportCrash(EXCEPTION_POINTERS* info) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::fflush(stdout);
    std::fprintf(stderr, "\nCRASH in %s.%s: exception 0x%08lx at %p\n", test ? test->test_suite_name() : "?",
                 test ? test->name() : "?", info->ExceptionRecord->ExceptionCode,
                 info->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    return EXCEPTION_EXECUTE_HANDLER;
}

class WatchdogListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { takeWatchdogReports(); }
    // Runs before the printer's end of the test, so the failure counts for this test.
    void OnTestEnd(const ::testing::TestInfo&) override {
        const std::string reports = takeWatchdogReports();
        if (!reports.empty()) ADD_FAILURE() << reports;
    }
};

}  // namespace

ExpectedDialogs::ExpectedDialogs(const char* caption) : caption_(caption ? caption : ""), any_(!caption) {
    Locked lock;
    g_expected.push_back(this);
}

ExpectedDialogs::~ExpectedDialogs() {
    Locked lock;
    g_expected.erase(std::find(g_expected.begin(), g_expected.end(), this));
}

std::string takeWatchdogReports() {
    Locked lock;
    std::string reports;
    reports.swap(g_reports);
    return reports;
}

int main(int argc, char** argv) {
    ::InitializeCriticalSection(&g_lock);
    ::SetUnhandledExceptionFilter(reportCrash);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new WatchdogListener);
    ::CloseHandle(::CreateThread(NULL, 0, watch, NULL, 0, NULL));
    return RUN_ALL_TESTS();
}
