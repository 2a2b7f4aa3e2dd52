#include "framework/WindowBase.h"

WindowBase::WindowBase(HINSTANCE instance) : instance_(instance) {}

WindowBase::~WindowBase() {
    // An object that dies before its window must not stay reachable through the property:
    // the next message would call into freed memory. Control wrappers never set it.
    if (hwnd_ != NULL && ::GetPropA(hwnd_, kWindowObjectProperty) == static_cast<HANDLE>(this)) {
        DWORD err = ::GetLastError();
        ::RemovePropA(hwnd_, kWindowObjectProperty);
        ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        ::SetLastError(err);
    }
}

LRESULT WindowBase::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (isDialog_ == 1) return 0;
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

int WindowBase::attach(HWND hwnd) {
    if (hwnd == NULL) return 0;
    hwnd_ = hwnd;
    isDialog_ = hasDialogProcedure(hwnd);
    ::SetPropA(hwnd, kWindowObjectProperty, static_cast<HANDLE>(this));
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return 1;
}

int WindowBase::detach() {
    if (hwnd_ == NULL) return 0;
    ::RemovePropA(hwnd_, kWindowObjectProperty);
    ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    hwnd_ = NULL;
    return 1;
}

int hasDialogProcedure(HWND hwnd) {
    // A plain window has no extra bytes: the query fails and gives 0 without touching the
    // caller's error state.
    DWORD err = ::GetLastError();
    LONG_PTR procedure = ::GetWindowLongPtrA(hwnd, DWLP_DLGPROC);
    ::SetLastError(err);
    return procedure != 0 ? 1 : 0;
}

LRESULT defaultResult(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hasDialogProcedure(hwnd)) return 0;
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK sharedWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // The property names the object; the window's user data holds the same pointer, which
    // is read without the round trip a property lookup may cost (a list view filling
    // thousands of rows sends its parent a notification for each).
    WindowBase* object = reinterpret_cast<WindowBase*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (object == nullptr) object = static_cast<WindowBase*>(::GetPropA(hwnd, kWindowObjectProperty));
    if (object == nullptr) {
        if ((message == WM_NCCREATE || message == WM_CREATE) && lParam != 0) {
            object = static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        } else if (message == WM_INITDIALOG) {
            object = reinterpret_cast<WindowBase*>(lParam);
        }
        if (object == nullptr) return defaultResult(hwnd, message, wParam, lParam);
        object->attach(hwnd);
    }
    LRESULT result = object->windowProc(hwnd, message, wParam, lParam);
    if (message == WM_DESTROY) object->detach();
    return result;
}

DLGPROC dialogProcedure() {
    // One procedure serves both roles: a dialog procedure's INT_PTR and a window
    // procedure's LRESULT are the same width on every target.
    static_assert(sizeof(INT_PTR) == sizeof(LRESULT), "dialog and window results differ in size");
    return reinterpret_cast<DLGPROC>(reinterpret_cast<void (*)()>(&sharedWindowProc));
}
