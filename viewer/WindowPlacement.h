#pragma once
#include <windows.h>

#include "settings/SettingsTexts.h"

// Per-user window state of the main window: placement and the widths of the first nine
// columns, under HKEY_CURRENT_USER.
constexpr const char* kWindowStateKey = kPrtLogKey;  // the same path, under HKEY_CURRENT_USER
constexpr const char* kWindowPlaceValue = "WindowPlace";
constexpr const char* kColumnWidthsValue = "ListViewColum";
constexpr int kSavedColumnLimit = 9;

// Keeps a saved position only while at least 10 pixels of the window stay on the work
// area (strict bounds); otherwise the window moves to the top-left corner. The window
// always starts in its normal state.
void clampPlacement(WINDOWPLACEMENT& placement, const RECT& workArea);

void restorePlacement(HWND window, const RECT& workArea);
void savePlacement(HWND window);

// Replaces the first widths by the saved ones; never writes past `count` entries.
void loadColumnWidths(int* widths, int count);
void saveColumnWidths(HWND listView);
