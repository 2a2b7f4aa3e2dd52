#include "framework/UpDownControl.h"

#include <commctrl.h>

void UpDownControl::setRange(int upper, int lower) {
    if (hwnd_ == NULL) return;
    ::SendMessageA(hwnd_, UDM_SETRANGE, 1,
                   MAKELPARAM(static_cast<WORD>(upper), static_cast<WORD>(lower)));
}

void UpDownControl::setPos(int position) {
    if (hwnd_ == NULL) return;
    ::SendMessageA(hwnd_, UDM_SETPOS, 1, MAKELPARAM(static_cast<WORD>(position), 0));
}

int UpDownControl::getPos(uint16_t* position) {
    if (hwnd_ == NULL || position == nullptr) return 0;
    LRESULT result = ::SendMessageA(hwnd_, UDM_GETPOS, 0, 0);
    if (HIWORD(result) != 0) return 0;
    *position = LOWORD(result);
    return 1;
}
