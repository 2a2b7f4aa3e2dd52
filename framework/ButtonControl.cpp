#include "framework/ButtonControl.h"

HANDLE ButtonControl::setIcon(HICON icon) {
    if (hwnd_ == NULL || icon == NULL) return NULL;
    addStyle(BS_ICON);
    return reinterpret_cast<HANDLE>(
        ::SendMessageA(hwnd_, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)));
}
