#include "viewer/WindowPlacement.h"

#include <commctrl.h>

#include <cstring>

#include "services/ByteBuffer.h"
#include "services/RegistryKey.h"

void clampPlacement(WINDOWPLACEMENT& placement, const RECT& workArea) {
    RECT& normal = placement.rcNormalPosition;
    const LONG w = normal.right - normal.left;
    const LONG h = normal.bottom - normal.top;
    const LONG areaWidth = workArea.right - workArea.left;
    const LONG areaHeight = workArea.bottom - workArea.top;
    const bool onScreen = normal.left > 10 - w && normal.left < areaWidth - 10 &&
                          normal.top > 10 - h && normal.top < areaHeight - 10;
    if (!onScreen) {
        normal.left = 0;
        normal.top = 0;
    }
    normal.right = normal.left + w;
    normal.bottom = normal.top + h;
    placement.showCmd = SW_SHOWNORMAL;
}

void restorePlacement(HWND window, const RECT& workArea) {
    WINDOWPLACEMENT placement;
    std::memset(&placement, 0, sizeof placement);
    placement.length = sizeof placement;
    ::GetWindowPlacement(window, &placement);
    RegistryKey key;
    ByteBuffer saved;
    if (key.open(HKEY_CURRENT_USER, kWindowStateKey, KEY_READ) &&
        key.readValue(kWindowPlaceValue, REG_BINARY, saved) && saved.size() == sizeof placement)
        std::memcpy(&placement, saved.data(), sizeof placement);
    placement.length = sizeof placement;
    clampPlacement(placement, workArea);
    ::SetWindowPlacement(window, &placement);
}

void savePlacement(HWND window) {
    WINDOWPLACEMENT placement;
    std::memset(&placement, 0, sizeof placement);
    placement.length = sizeof placement;
    if (!::GetWindowPlacement(window, &placement)) return;
    RegistryKey key;
    if (key.create(HKEY_CURRENT_USER, kWindowStateKey, KEY_WRITE))
        key.setValue(kWindowPlaceValue, REG_BINARY, &placement, sizeof placement);
}

void loadColumnWidths(int* widths, int count) {
    RegistryKey key;
    ByteBuffer saved;
    if (!widths || count <= 0) return;
    if (!key.open(HKEY_CURRENT_USER, kWindowStateKey, KEY_READ) ||
        !key.readValue(kColumnWidthsValue, REG_BINARY, saved))
        return;
    // A value longer than the table (ten columns' worth) must not run past it.
    size_t bytes = saved.size();
    if (bytes > sizeof(int) * size_t(count)) bytes = sizeof(int) * size_t(count);
    std::memcpy(widths, saved.data(), bytes);
}

void saveColumnWidths(HWND listView) {
    HWND header = reinterpret_cast<HWND>(::SendMessageA(listView, LVM_GETHEADER, 0, 0));
    int columns = header ? static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    int n = columns < kSavedColumnLimit ? columns : kSavedColumnLimit;
    if (n <= 0) return;
    int widths[kSavedColumnLimit];
    for (int i = 0; i < n; ++i) widths[i] = static_cast<int>(::SendMessageA(listView, LVM_GETCOLUMNWIDTH, i, 0));
    RegistryKey key;
    if (key.create(HKEY_CURRENT_USER, kWindowStateKey, KEY_WRITE))
        key.setValue(kColumnWidthsValue, REG_BINARY, widths, DWORD(sizeof(int) * n));
}
