#include "framework/RegisteredWindow.h"

RegisteredWindow::RegisteredWindow(HINSTANCE instance) : WindowBase(instance) {}

RegisteredWindow::~RegisteredWindow() {
    if (classAtom_ != 0) {
        DWORD err = ::GetLastError();
        ::UnregisterClassA(MAKEINTATOM(classAtom_), instance_);
        ::SetLastError(err);
    }
}

bool RegisteredWindow::registerClass(const char* className, HICON icon, HCURSOR cursor,
                                     HBRUSH background, const char* menuName) {
    // Registering again through the same object replaces its class, so that one object can
    // run twice (a DummyWindow) without tripping over its own earlier registration.
    if (classAtom_ != 0) {
        if (!::UnregisterClassA(MAKEINTATOM(classAtom_), instance_)) return false;
        classAtom_ = 0;
    }
    if (className == nullptr || !className_.assign(className)) {
        ::SetLastError(className == nullptr ? ERROR_INVALID_PARAMETER : ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &sharedWindowProc;
    wc.hInstance = instance_;
    wc.hIcon = icon;
    wc.hIconSm = icon;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszMenuName = menuName;
    wc.lpszClassName = className_.c_str();
    classAtom_ = ::RegisterClassExA(&wc);
    return classAtom_ != 0;
}

bool RegisteredWindow::registerDefaultClass(const char* className) {
    return registerClass(className, ::LoadIconA(NULL, IDI_APPLICATION), ::LoadCursorA(NULL, IDC_ARROW),
                         reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)), nullptr);
}

HWND RegisteredWindow::create(const char* className, HWND parent, HMENU menu, int showCommand,
                              DWORD style, DWORD exStyle) {
    if (hwnd_ != NULL && ::IsWindow(hwnd_)) {
        ::SetLastError(ERROR_ALREADY_EXISTS);
        return NULL;
    }
    HWND hwnd = ::CreateWindowExA(exStyle, className, nullptr, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, parent, menu, instance_,
                                  static_cast<WindowBase*>(this));
    // A window that destroyed itself while it was being created comes back as null; the
    // binding was already dropped at its WM_DESTROY.
    hwnd_ = hwnd;
    if (hwnd != NULL) {
        ::ShowWindow(hwnd, showCommand);
        ::UpdateWindow(hwnd);
    }
    return hwnd;
}
