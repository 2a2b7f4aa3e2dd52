#pragma once
#include "framework/ControlWindow.h"

class EditControl : public ControlWindow {
public:
    using ControlWindow::ControlWindow;

    void limitText(UINT maxBytes);
    // Selects the whole text and scrolls the caret into view.
    void selectAll();
};
