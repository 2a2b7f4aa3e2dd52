#pragma once
#include "framework/ControlWindow.h"

class ButtonControl : public ControlWindow {
public:
    using ControlWindow::ControlWindow;

    // Turns the button into an icon button showing `icon`; the previous image, or null.
    HANDLE setIcon(HICON icon);
};
