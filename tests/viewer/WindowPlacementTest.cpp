#include <gtest/gtest.h>

#include <cstring>

#include "services/RegistryKey.h"
#include "viewer/WindowPlacement.h"

namespace {

WINDOWPLACEMENT placementAt(LONG left, LONG top, LONG w, LONG h, UINT show = SW_SHOWNORMAL) {
    WINDOWPLACEMENT p;
    std::memset(&p, 0, sizeof p);
    p.length = sizeof p;
    p.showCmd = show;
    p.rcNormalPosition = {left, top, left + w, top + h};
    return p;
}

// Saved per-user values for one test, removed afterwards.
class SavedWindowState {
public:
    SavedWindowState() { clear(); }
    ~SavedWindowState() { clear(); }
    void setWidths(const void* data, DWORD size) {
        RegistryKey key;
        ASSERT_TRUE(key.create(HKEY_CURRENT_USER, kWindowStateKey, KEY_ALL_ACCESS));
        ASSERT_TRUE(key.setValue(kColumnWidthsValue, REG_BINARY, data, size));
    }

private:
    void clear() {
        RegistryKey key;
        if (key.open(HKEY_CURRENT_USER, kWindowStateKey, KEY_ALL_ACCESS)) {
            key.deleteValue(kColumnWidthsValue);
            key.deleteValue(kWindowPlaceValue);
        }
    }
};

}  // namespace

TEST(WindowPlacement, KeepsTenPixelsOnTheWorkArea) {
    // A work area that does not start at the origin (taskbar at the top or left).
    const RECT work = {0, 40, 1024, 768};  // 1024 x 728 once moved to the origin
    struct Case { const char* what; WINDOWPLACEMENT in; LONG left, top; } cases[] = {
        {"inside", placementAt(100, 50, 400, 300), 100, 50},
        {"mostly off to the left", placementAt(-389, 50, 400, 300), -389, 50},
        {"left exactly 10 - w", placementAt(-390, 50, 400, 300), 0, 0},
        {"right edge bound", placementAt(1014, 50, 400, 300), 0, 0},
        {"just inside the right edge", placementAt(1013, 50, 400, 300), 1013, 50},
        {"below the moved work area", placementAt(100, 718, 400, 300), 0, 0},
        {"wholly off screen", placementAt(5000, -4000, 400, 300), 0, 0},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        clampPlacement(c.in, work);
        EXPECT_EQ(c.left, c.in.rcNormalPosition.left);
        EXPECT_EQ(c.top, c.in.rcNormalPosition.top);
        EXPECT_EQ(400, c.in.rcNormalPosition.right - c.in.rcNormalPosition.left);
        EXPECT_EQ(300, c.in.rcNormalPosition.bottom - c.in.rcNormalPosition.top);
        EXPECT_EQ(UINT(SW_SHOWNORMAL), c.in.showCmd);
    }
    WINDOWPLACEMENT maximised = placementAt(10, 10, 640, 480, SW_SHOWMAXIMIZED);
    clampPlacement(maximised, work);
    EXPECT_EQ(UINT(SW_SHOWNORMAL), maximised.showCmd);
}

TEST(WindowPlacement, SavedWidthsReplaceOnlyWhatTheyCover) {
    SavedWindowState state;
    int three[3] = {11, 22, 33};
    state.setWidths(three, sizeof three);
    int widths[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    loadColumnWidths(widths, 10);
    EXPECT_EQ(11, widths[0]);
    EXPECT_EQ(33, widths[2]);
    EXPECT_EQ(4, widths[3]);
    EXPECT_EQ(10, widths[9]);

    // Ten saved widths (40 bytes) into a table of nine: nothing beyond the table changes.
    int ten[10] = {101, 102, 103, 104, 105, 106, 107, 108, 109, 110};
    state.setWidths(ten, sizeof ten);
    int table[10] = {0, 0, 0, 0, 0, 0, 0, 0, 0, -1};
    loadColumnWidths(table, 9);
    EXPECT_EQ(109, table[8]);
    EXPECT_EQ(-1, table[9]);
}
