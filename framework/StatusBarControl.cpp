#include "framework/StatusBarControl.h"

#include <commctrl.h>

HWND StatusBarControl::create(HWND parent, UINT controlId) {
    if (hwnd_ != NULL) return NULL;
    hwnd_ = ::CreateWindowExA(0, STATUSCLASSNAMEA, nullptr,
                              WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM, 0, 0, 0, 0, parent,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId)), instance_,
                              nullptr);
    return hwnd_;
}
