#include "framework/MenuHandle.h"

MenuHandle::~MenuHandle() { set(NULL); }

void MenuHandle::set(HMENU menu) {
    if (menu_ != NULL && menu_ != menu) {
        DWORD err = ::GetLastError();
        ::DestroyMenu(menu_);
        ::SetLastError(err);
    }
    menu_ = menu;
}

HMENU MenuHandle::release() {
    HMENU menu = menu_;
    menu_ = NULL;
    return menu;
}

int MenuHandle::enable(UINT commandId, bool on) {
    if (menu_ == NULL) return -1;
    return static_cast<int>(
        ::EnableMenuItem(menu_, commandId, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)));
}

BOOL MenuHandle::trackPopup(HWND owner, bool atCursor, UINT defaultId) {
    if (menu_ == NULL) return FALSE;
    HMENU popup = ::GetSubMenu(menu_, 0);
    if (popup == NULL) return FALSE;
    POINT at = {0, 0};
    if (atCursor) {
        ::GetCursorPos(&at);
    } else {
        WINDOWINFO info = {};
        info.cbSize = sizeof info;
        if (::GetWindowInfo(owner, &info)) at = POINT{info.rcClient.left, info.rcClient.top};
    }
    if (defaultId != static_cast<UINT>(-1)) ::SetMenuDefaultItem(popup, defaultId, FALSE);
    return ::TrackPopupMenu(popup, 0, at.x, at.y, 0, owner, nullptr);
}
