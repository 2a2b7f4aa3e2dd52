#pragma once
#include <windows.h>

// Name of the window property that carries the object bound to a window.
constexpr const char* kWindowObjectProperty = "WND_CLASS";

// A Win32 window handle bound to a C++ object. Windows of the framework's classes and its
// dialogs reach their object through sharedWindowProc, which binds the object at the first
// message that names it and unbinds it after WM_DESTROY. Destroying the object never
// destroys its window.
class WindowBase {
public:
    explicit WindowBase(HINSTANCE instance);
    virtual ~WindowBase();
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    // Called for every message from WM_NCCREATE (windows) or WM_INITDIALOG (dialogs) up to
    // and including WM_DESTROY. The default gives dialogs 0 and windows DefWindowProcA.
    virtual LRESULT windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // Binding; used by sharedWindowProc only. attach gives 0 for a null handle.
    int attach(HWND hwnd);
    int detach();

    HINSTANCE instance() const { return instance_; }
    HWND hwnd() const { return hwnd_; }
    // 1 when the bound window has a dialog procedure.
    int isDialog() const { return isDialog_; }

protected:
    HINSTANCE instance_;
    HWND hwnd_ = NULL;
    int isDialog_ = 0;
};

// The window procedure of every class the framework registers and the dialog procedure of
// every dialog it runs (passed as DLGPROC through dialogProcedure()).
LRESULT CALLBACK sharedWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
DLGPROC dialogProcedure();

// The result a message gets when nobody handles it: 0 for a window with a dialog procedure
// (its dialog manager does the default work), DefWindowProcA for any other window.
LRESULT defaultResult(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// 1 when the window has a dialog procedure.
int hasDialogProcedure(HWND hwnd);
