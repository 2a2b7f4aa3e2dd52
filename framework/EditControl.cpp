#include "framework/EditControl.h"

void EditControl::limitText(UINT maxBytes) {
    if (hwnd_ == NULL) return;
    ::SendMessageA(hwnd_, EM_LIMITTEXT, maxBytes, 0);
}

void EditControl::selectAll() {
    if (hwnd_ == NULL) return;
    ::SendMessageA(hwnd_, EM_SETSEL, 0, -1);
    ::SendMessageA(hwnd_, EM_SCROLLCARET, 0, 0);
}
