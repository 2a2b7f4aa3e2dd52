#include "tests/support/BoxAnswerer.h"

namespace {

struct Search {
    const char* caption;
    HWND found;
    const std::vector<HWND>* skip;
};

BOOL CALLBACK findBox(HWND hwnd, LPARAM param) {
    Search* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != ::GetCurrentProcessId()) return TRUE;
    char className[32] = "";
    ::GetClassNameA(hwnd, className, sizeof className);
    if (lstrcmpA(className, "#32770") != 0) return TRUE;
    char title[256] = "";
    ::GetWindowTextA(hwnd, title, sizeof title);
    if (search->caption && lstrcmpA(title, search->caption) != 0) return TRUE;
    for (HWND seen : *search->skip)
        if (seen == hwnd) return TRUE;
    search->found = hwnd;
    return FALSE;
}

}  // namespace

BoxAnswerer::BoxAnswerer(const char* caption, int button, int times)
    : BoxAnswerer(caption, std::vector<int>(size_t(times), button)) {}

BoxAnswerer::BoxAnswerer(const std::vector<int>& buttons) : BoxAnswerer(nullptr, buttons) {}

BoxAnswerer::BoxAnswerer(const char* caption, const std::vector<int>& buttons)
    : caption_(caption ? caption : ""), anyCaption_(caption == nullptr), buttons_(buttons),
      times_(int(buttons.size())), expected_(caption) {
    ::InitializeCriticalSection(&lock_);
    done_ = ::CreateEventA(NULL, TRUE, FALSE, NULL);
    thread_ = ::CreateThread(NULL, 0, &BoxAnswerer::threadProc, this, 0, NULL);
}

BoxAnswerer::~BoxAnswerer() {
    ::InterlockedExchange(&stop_, 1);
    if (thread_) {
        ::WaitForSingleObject(thread_, 10000);
        ::CloseHandle(thread_);
    }
    if (done_) ::CloseHandle(done_);
    ::DeleteCriticalSection(&lock_);
}

bool BoxAnswerer::wait(DWORD timeoutMs) {
    // The boxes run in the caller's thread: keep its messages moving while waiting.
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < timeoutMs) {
        if (::WaitForSingleObject(done_, 0) == WAIT_OBJECT_0) return true;
        MSG msg;
        while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(10);
    }
    return ::WaitForSingleObject(done_, 0) == WAIT_OBJECT_0;
}

int BoxAnswerer::answered() const { return static_cast<int>(answered_); }

std::vector<std::string> BoxAnswerer::copyOf(const std::vector<std::string>& list) const {
    ::EnterCriticalSection(&lock_);
    std::vector<std::string> copy = list;
    ::LeaveCriticalSection(&lock_);
    return copy;
}

DWORD WINAPI BoxAnswerer::threadProc(void* self) {
    static_cast<BoxAnswerer*>(self)->poll();
    return 0;
}

void BoxAnswerer::poll() {
    std::vector<HWND> seen;
    const DWORD limit = ::GetTickCount() + 60000;
    while (!stop_ && answered_ < times_ && ::GetTickCount() < limit) {
        Search search = {anyCaption_ ? nullptr : caption_.c_str(), NULL, &seen};
        ::EnumWindows(findBox, reinterpret_cast<LPARAM>(&search));
        if (!search.found || !::IsWindowEnabled(search.found)) {
            ::Sleep(20);
            continue;
        }
        // Give the box a moment to finish its own initialisation.
        ::Sleep(50);
        char text[1024] = "";
        ::GetDlgItemTextA(search.found, 0xFFFF, text, sizeof text);
        char title[256] = "";
        ::GetWindowTextA(search.found, title, sizeof title);
        ::EnterCriticalSection(&lock_);
        texts_.push_back(text);
        titles_.push_back(title);
        ::LeaveCriticalSection(&lock_);
        seen.push_back(search.found);
        const int id = buttons_[size_t(answered_)];
        HWND button = ::GetDlgItem(search.found, id);
        ::PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        ::InterlockedIncrement(&answered_);
    }
    expected_.done();
    if (answered_ >= times_) ::SetEvent(done_);
}
