#include "tests/support/TestGuard.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "tests/support/WindowTestSupport.h"

namespace {

constexpr DWORD kGraceMs = 5000;
constexpr DWORD kRoundMs = 50;
CRITICAL_SECTION g_lock;
std::vector<BoxAnswerer*> g_answerers;
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

// Hands each dialog to the answerers after one round (it finishes its own initialisation
// first) and closes what none took within the grace time: Cancel, No, OK, then WM_CLOSE.
DWORD WINAPI watch(void*) {
    std::map<HWND, Candidate> seen;
    for (;; ::Sleep(kRoundMs)) {
        std::vector<HWND> dialogs;
        ::EnumWindows(collect, reinterpret_cast<LPARAM>(&dialogs));
        for (auto it = seen.begin(); it != seen.end();)
            it = std::count(dialogs.begin(), dialogs.end(), it->first) ? std::next(it) : seen.erase(it);
        for (HWND dialog : dialogs) {
            Candidate& c = seen.emplace(dialog, Candidate{::GetTickCount(), 0}).first->second;
            const DWORD age = ::GetTickCount() - c.since;
            if (age < kRoundMs) continue;
            // Read outside the lock: the texts come from the dialog's own thread.
            char caption[256] = "", text[1024] = "";
            ::GetWindowTextA(dialog, caption, sizeof caption);
            ::GetDlgItemTextA(dialog, 0xFFFF, text, sizeof text);
            {
                Locked lock;
                if (std::any_of(g_answerers.begin(), g_answerers.end(),
                                [&](BoxAnswerer* a) { return a->answer(dialog, caption, text); }))
                    continue;
                if (age < kGraceMs) continue;
                if (c.tries == 0)
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

BoxAnswerer::BoxAnswerer(const char* caption, int button, int times)
    : BoxAnswerer(caption, std::vector<int>(size_t(times), button)) {}

BoxAnswerer::BoxAnswerer(const std::vector<int>& buttons) : BoxAnswerer(nullptr, buttons) {}

BoxAnswerer::BoxAnswerer(const char* caption, const std::vector<int>& buttons)
    : caption_(caption ? caption : ""), anyCaption_(caption == nullptr), buttons_(buttons) {
    Locked lock;
    g_answerers.push_back(this);
}

BoxAnswerer::~BoxAnswerer() {
    Locked lock;
    g_answerers.erase(std::find(g_answerers.begin(), g_answerers.end(), this));
}

bool BoxAnswerer::wait(DWORD timeoutMs) {
    // The boxes run in the caller's thread: keep its messages moving while waiting.
    const DWORD start = ::GetTickCount();
    for (;; ::Sleep(10)) {
        if (answered() == int(buttons_.size())) return true;
        if (::GetTickCount() - start >= timeoutMs) return false;
        pumpMessages();
    }
}

int BoxAnswerer::answered() const {
    Locked lock;
    return int(answered_.size());
}

std::vector<std::string> BoxAnswerer::texts() const {
    Locked lock;
    return texts_;
}

std::vector<std::string> BoxAnswerer::titles() const {
    Locked lock;
    return titles_;
}

bool BoxAnswerer::answer(HWND dialog, const std::string& title, const std::string& text) {
    if (std::count(answered_.begin(), answered_.end(), dialog)) return true;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(dialog, &pid);
    if (pid != ::GetCurrentProcessId() || answered_.size() == buttons_.size() || (!anyCaption_ && title != caption_))
        return false;
    texts_.push_back(text);
    titles_.push_back(title);
    const int id = buttons_[answered_.size()];
    answered_.push_back(dialog);
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(::GetDlgItem(dialog, id)));
    return true;
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
