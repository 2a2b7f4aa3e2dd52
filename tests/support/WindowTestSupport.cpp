#include "tests/support/WindowTestSupport.h"

#include <commctrl.h>

#include <cstdio>

namespace {
const char* const kSpyProperty = "KQVT_TEST_SPY";
}  // namespace

HINSTANCE testInstance() { return ::GetModuleHandleA(nullptr); }

void initCommonControlsForTests() {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&icc);
}

void pumpMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

HWND waitForWindow(const char* windowClass, const char* title, HWND skip, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        HWND w = NULL;
        while ((w = ::FindWindowExA(NULL, w, windowClass, title)) != NULL)
            if (w != skip && ::IsWindowVisible(w)) return w;
        ::Sleep(50);
    }
    return NULL;
}

std::string dialogItemText(HWND dialog, int id) {
    char text[1024] = "";
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

HostWindow::HostWindow() : RegisteredWindow(testInstance()) {
    // A class per object, so that hosts can coexist.
    static unsigned serial = 0;
    char name[48];
    std::snprintf(name, sizeof name, "KqvtTestHost%u", ++serial);
    if (registerDefaultClass(name)) create(name, NULL, NULL, SW_HIDE, WS_OVERLAPPEDWINDOW, 0);
}

HostWindow::~HostWindow() {
    if (hwnd() != NULL) ::DestroyWindow(hwnd());
}

MessageSpy::MessageSpy(HWND hwnd) : hwnd_(hwnd), original_(nullptr) {
    ::SetPropA(hwnd, kSpyProperty, static_cast<HANDLE>(this));
    original_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MessageSpy::spyProc)));
}

MessageSpy::~MessageSpy() {
    if (::IsWindow(hwnd_)) {
        ::SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        ::RemovePropA(hwnd_, kSpyProperty);
    }
}

std::vector<LoggedMessage> MessageSpy::received(UINT message) const {
    std::vector<LoggedMessage> out;
    for (const LoggedMessage& m : log_)
        if (m.message == message) out.push_back(m);
    return out;
}

LRESULT CALLBACK MessageSpy::spyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MessageSpy* spy = static_cast<MessageSpy*>(::GetPropA(hwnd, kSpyProperty));
    if (spy == nullptr) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    spy->log_.push_back(LoggedMessage{message, wParam, lParam});
    return ::CallWindowProcA(spy->original_, hwnd, message, wParam, lParam);
}
