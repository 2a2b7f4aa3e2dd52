#pragma once
#include <windows.h>

#include "framework/WindowBase.h"

// A modal dialog run from a template of the module's resources. The object is long-lived
// and may be shown many times; it is bound from WM_INITDIALOG to WM_DESTROY of each show.
class DialogBase : public WindowBase {
public:
    explicit DialogBase(HINSTANCE instance);

    // Runs the dialog's own template; returns what DialogBoxParamA returns.
    virtual INT_PTR show(HWND parent) = 0;

    // DialogBoxParamA with the shared procedure and this object. -1 (ERROR_ALREADY_EXISTS)
    // while this object is still bound to an open dialog: one window per object.
    INT_PTR showTemplate(UINT templateId, HWND parent);
};
