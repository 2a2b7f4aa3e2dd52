#pragma once
#include <windows.h>

// The primary screen less the taskbar. The whole screen when the taskbar cannot be asked.
void getWorkArea(RECT* area);

// Centres `window` over `parent` when at least half of it then stays in the work area
// (measured from its top-left corner), else in the middle of the work area. Nothing for a
// null window.
void centerWindowInWorkArea(HWND window, HWND parent);

// The computations behind both, apart from the system queries.
// `edge` is the ABE_* value the taskbar query reported.
RECT workAreaBesideTaskbar(const RECT& screen, const RECT& taskbar, UINT edge);
// Top-left corner for a window of `size` (right, bottom = width, height); `parent` may be null.
POINT centredPosition(SIZE size, const RECT* parent, const RECT& workArea);
