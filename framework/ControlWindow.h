#pragma once
#include <windows.h>

#include "framework/WindowBase.h"

// A thin wrapper over a child control. It holds the control's handle without taking over its
// messages (its windowProc is never called by the system). Every operation does nothing, or
// gives its failure value, while the wrapper holds no window.
class ControlWindow : public WindowBase {
public:
    // The control is created later with create().
    explicit ControlWindow(HINSTANCE instance);
    // Wraps an existing control; the instance is the control's own.
    explicit ControlWindow(HWND control);

    // Only while no window is held: a visible tab-stop child of `parent` with `controlId`.
    HWND create(const char* className, HWND parent, UINT controlId);

    BOOL setText(const char* text);
    int getText(char* buffer, int size);
    // Both give the previous style, 0 without a window.
    LONG_PTR addStyle(DWORD bits);
    LONG_PTR setStyle(DWORD value);
    // add and remove compute the new extended style and hand it to setExStyle.
    virtual void addExStyle(DWORD bits);
    virtual void removeExStyle(DWORD bits);
    virtual void setExStyle(DWORD value);
    // The window that had the focus, or null.
    HWND setFocus();

    // Forgets the control without destroying it (it dies with its parent); returns it.
    HWND release();
};
