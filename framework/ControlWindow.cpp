#include "framework/ControlWindow.h"

ControlWindow::ControlWindow(HINSTANCE instance) : WindowBase(instance) {}

ControlWindow::ControlWindow(HWND control)
    : WindowBase(control != NULL
                     ? reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(control, GWLP_HINSTANCE))
                     : NULL) {
    hwnd_ = control;
}

HWND ControlWindow::create(const char* className, HWND parent, UINT controlId) {
    if (hwnd_ != NULL) return NULL;
    hwnd_ = ::CreateWindowExA(0, className, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0,
                              parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId)),
                              instance_, nullptr);
    return hwnd_;
}

BOOL ControlWindow::setText(const char* text) {
    if (hwnd_ == NULL) return FALSE;
    return ::SetWindowTextA(hwnd_, text);
}

int ControlWindow::getText(char* buffer, int size) {
    if (hwnd_ == NULL || buffer == nullptr || size <= 0) return 0;
    return ::GetWindowTextA(hwnd_, buffer, size);
}

LONG_PTR ControlWindow::addStyle(DWORD bits) {
    if (hwnd_ == NULL) return 0;
    LONG_PTR style = ::GetWindowLongPtrA(hwnd_, GWL_STYLE);
    return ::SetWindowLongPtrA(hwnd_, GWL_STYLE, style | static_cast<LONG_PTR>(bits));
}

LONG_PTR ControlWindow::setStyle(DWORD value) {
    if (hwnd_ == NULL) return 0;
    return ::SetWindowLongPtrA(hwnd_, GWL_STYLE, static_cast<LONG_PTR>(value));
}

void ControlWindow::addExStyle(DWORD bits) {
    if (hwnd_ == NULL) return;
    setExStyle(static_cast<DWORD>(::GetWindowLongPtrA(hwnd_, GWL_EXSTYLE)) | bits);
}

void ControlWindow::removeExStyle(DWORD bits) {
    if (hwnd_ == NULL) return;
    setExStyle(static_cast<DWORD>(::GetWindowLongPtrA(hwnd_, GWL_EXSTYLE)) & ~bits);
}

void ControlWindow::setExStyle(DWORD value) {
    if (hwnd_ == NULL) return;
    ::SetWindowLongPtrA(hwnd_, GWL_EXSTYLE, static_cast<LONG_PTR>(value));
}

HWND ControlWindow::setFocus() {
    if (hwnd_ == NULL) return NULL;
    return ::SetFocus(hwnd_);
}

HWND ControlWindow::release() {
    HWND hwnd = hwnd_;
    hwnd_ = NULL;
    return hwnd;
}
