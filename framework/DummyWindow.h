#pragma once
#include <windows.h>

#include "framework/DialogBase.h"
#include "framework/RegisteredWindow.h"

constexpr const char* kDummyClassName = "Dummy";

// A hidden top-level window that owns a modal dialog, so that the dialog does not disable
// the main window: the dialog's modal loop dispatches the main window's messages too.
// One DummyWindow object per show; destroying it unregisters the "Dummy" class.
class DummyWindow : public RegisteredWindow {
public:
    // `dialog` is not owned.
    DummyWindow(HINSTANCE instance, DialogBase* dialog);

    // Registers "Dummy" and creates the hidden window, which runs the dialog during its
    // WM_CREATE and destroys itself when the dialog has ended. Returns 0 once the dialog has
    // closed, and 0 when the class cannot be registered (dialogResult() then stays -1).
    int run();
    LRESULT windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // What the dialog's show returned in the last run; -1 when it was not shown.
    INT_PTR dialogResult() const { return dialogResult_; }

private:
    DialogBase* dialog_;
    INT_PTR dialogResult_ = -1;
};
