#pragma once
#include <cstdint>

#include "framework/ControlWindow.h"

class UpDownControl : public ControlWindow {
public:
    using ControlWindow::ControlWindow;

    // Both limits as 16-bit values; the upper one comes first.
    void setRange(int upper, int lower);
    void setPos(int position);
    // 1 with the position in `position`; 0 when the control reports an error (for example a
    // buddy text that is no number) or there is no window.
    int getPos(uint16_t* position);
};
