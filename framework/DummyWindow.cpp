#include "framework/DummyWindow.h"

DummyWindow::DummyWindow(HINSTANCE instance, DialogBase* dialog)
    : RegisteredWindow(instance), dialog_(dialog) {}

int DummyWindow::run() {
    dialogResult_ = -1;
    if (!registerDefaultClass(kDummyClassName)) return 0;
    HWND hwnd = create(kDummyClassName, NULL, NULL, SW_HIDE, WS_OVERLAPPEDWINDOW, 0);
    if (hwnd == NULL) return 0;
    // Only reached when the window outlived its creation: serve it until WM_QUIT.
    MSG msg = {};
    while (::GetMessageA(&msg, NULL, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

LRESULT DummyWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        if (dialog_ != nullptr) dialogResult_ = dialog_->show(hwnd);
        // Destroyed even without a dialog, or run() would wait for a WM_QUIT nobody posts.
        ::DestroyWindow(hwnd);
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}
