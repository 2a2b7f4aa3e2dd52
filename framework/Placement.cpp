#include "framework/Placement.h"

#include <shellapi.h>

RECT workAreaBesideTaskbar(const RECT& screen, const RECT& taskbar, UINT edge) {
    RECT area = screen;
    // The reported edge is trusted last: the rectangle says where the taskbar really lies.
    if (taskbar.top > screen.top) edge = ABE_BOTTOM;
    else if (taskbar.left > screen.left) edge = ABE_RIGHT;
    else if (taskbar.right >= screen.right) edge = ABE_TOP;
    switch (edge) {
    case ABE_BOTTOM: area.bottom = taskbar.top; break;
    case ABE_RIGHT: area.right = taskbar.left; break;
    case ABE_TOP: area.top = taskbar.bottom; break;
    case ABE_LEFT: area.left = taskbar.right; break;
    default: break;
    }
    return area;
}

void getWorkArea(RECT* area) {
    if (area == nullptr) return;
    RECT screen = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    *area = screen;
    APPBARDATA taskbar = {};
    taskbar.cbSize = sizeof taskbar;
    if (!::SHAppBarMessage(ABM_GETTASKBARPOS, &taskbar)) return;
    *area = workAreaBesideTaskbar(screen, taskbar.rc, taskbar.uEdge);
}

POINT centredPosition(SIZE size, const RECT* parent, const RECT& a) {
    const LONG w = size.cx, h = size.cy;
    if (parent != nullptr) {
        POINT candidate = {(parent->left + parent->right - w) / 2, (parent->top + parent->bottom - h) / 2};
        if (a.left - w / 2 <= candidate.x && candidate.x <= a.right - w / 2 && 0 <= candidate.y &&
            candidate.y <= a.bottom - h / 2)
            return candidate;
    }
    return POINT{(a.left + a.right - w) / 2, (a.top + a.bottom - h) / 2};
}

void centerWindowInWorkArea(HWND window, HWND parent) {
    if (window == NULL) return;
    RECT r;
    if (!::GetWindowRect(window, &r)) return;
    SIZE size = {r.right - r.left, r.bottom - r.top};
    RECT p;
    bool hasParent = parent != NULL && ::GetWindowRect(parent, &p);
    RECT area;
    getWorkArea(&area);
    POINT at = centredPosition(size, hasParent ? &p : nullptr, area);
    ::MoveWindow(window, at.x, at.y, size.cx, size.cy, TRUE);
}
