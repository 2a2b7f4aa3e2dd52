#pragma once
#include <windows.h>

// Holds one menu. The holder owns what it holds: the destructor (and set with another menu)
// destroys it. A menu that belongs to a window (GetMenu, GetSubMenu of it) must be given
// back with release() before the holder goes away.
class MenuHandle {
public:
    MenuHandle() = default;
    explicit MenuHandle(HMENU menu) : menu_(menu) {}
    ~MenuHandle();
    MenuHandle(const MenuHandle&) = delete;
    MenuHandle& operator=(const MenuHandle&) = delete;

    void set(HMENU menu);
    // Forgets the menu without destroying it; returns it.
    HMENU release();
    HMENU get() const { return menu_; }

    // Enables or greys the item with `commandId` (searched in every pop-up). The item's
    // previous state, or -1 when there is no such item or no menu.
    int enable(UINT commandId, bool on);

    // Shows the menu's first pop-up at the cursor (`atCursor`) or at the top-left corner of
    // the owner's client area, with `defaultId` in bold unless it is (UINT)-1. The choice
    // reaches the owner as WM_COMMAND. FALSE when there is no pop-up or it cannot be shown.
    BOOL trackPopup(HWND owner, bool atCursor, UINT defaultId);

private:
    HMENU menu_ = NULL;
};
