#pragma once
#include <windows.h>

#include "framework/WindowBase.h"
#include "services/ByteString.h"

// A top-level window whose class the object registers itself (with sharedWindowProc) and
// unregisters when it is destroyed.
class RegisteredWindow : public WindowBase {
public:
    explicit RegisteredWindow(HINSTANCE instance);
    ~RegisteredWindow() override;

    // Styles CS_HREDRAW | CS_VREDRAW; `icon` is used as large and small icon; `menuName`
    // may be a MAKEINTRESOURCE value or null. False on failure (GetLastError tells why).
    bool registerClass(const char* className, HICON icon, HCURSOR cursor, HBRUSH background,
                       const char* menuName);
    // The system application icon, the arrow cursor, COLOR_WINDOW + 1 and no menu.
    bool registerDefaultClass(const char* className);

    // Creates the window at the default position and size with this object as its creation
    // parameter, shows it with `showCommand` and updates it. Null on failure, and when this
    // object is bound to a window that still exists (one window per object).
    HWND create(const char* className, HWND parent, HMENU menu, int showCommand, DWORD style,
                DWORD exStyle);

    const char* className() const { return className_.c_str(); }
    ATOM classAtom() const { return classAtom_; }

protected:
    ByteString className_;
    ATOM classAtom_ = 0;
};
