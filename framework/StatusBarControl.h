#pragma once
#include "framework/ControlWindow.h"

class StatusBarControl : public ControlWindow {
public:
    using ControlWindow::ControlWindow;

    // Only while no window is held: a status bar with a size grip at the bottom of `parent`.
    HWND create(HWND parent, UINT controlId);
};
