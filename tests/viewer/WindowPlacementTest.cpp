#include <gtest/gtest.h>

#include <vector>

#include "services/RegistryKey.h"
#include "viewer/WindowPlacement.h"

namespace {

WINDOWPLACEMENT placementAt(LONG left, LONG top, LONG w, LONG h, UINT show = SW_SHOWNORMAL) {
    WINDOWPLACEMENT p = {};
    p.length = sizeof p;
    p.showCmd = show;
    p.rcNormalPosition = {left, top, left + w, top + h};
    return p;
}

}  // namespace

// At least 10 pixels of the window stay on the work area, by strict bounds on all four
// sides; otherwise the window goes to the corner with its size. It never starts maximised.
TEST(WindowPlacement, KeepsTenPixelsOnTheWorkArea) {
    // A work area that does not start at the origin (taskbar at the top).
    const RECT work = {0, 40, 1024, 768};  // 1024 x 728 once moved to the origin
    struct Case { const char* what; WINDOWPLACEMENT in; LONG left, top; } cases[] = {
        {"inside", placementAt(100, 50, 400, 300, SW_SHOWMAXIMIZED), 100, 50},
        {"left just inside 10 - w", placementAt(-389, 50, 400, 300), -389, 50},
        {"left exactly 10 - w", placementAt(-390, 50, 400, 300), 0, 0},
        {"left exactly width - 10", placementAt(1014, 50, 400, 300), 0, 0},
        {"left just inside width - 10", placementAt(1013, 50, 400, 300), 1013, 50},
        {"top just inside 10 - h", placementAt(100, -289, 400, 300), 100, -289},
        {"top exactly 10 - h", placementAt(100, -290, 400, 300), 0, 0},
        {"top just inside the moved work area", placementAt(100, 717, 400, 300), 100, 717},
        {"top exactly moved height - 10", placementAt(100, 718, 400, 300), 0, 0},
        {"an empty window cannot keep 10 pixels", placementAt(5, 5, 0, 0), 0, 0},
        {"wholly off screen", placementAt(5000, -4000, 400, 300), 0, 0},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        const LONG w = c.in.rcNormalPosition.right - c.in.rcNormalPosition.left;
        const LONG h = c.in.rcNormalPosition.bottom - c.in.rcNormalPosition.top;
        clampPlacement(c.in, work);
        EXPECT_EQ(c.left, c.in.rcNormalPosition.left);
        EXPECT_EQ(c.top, c.in.rcNormalPosition.top);
        EXPECT_EQ(w, c.in.rcNormalPosition.right - c.in.rcNormalPosition.left);
        EXPECT_EQ(h, c.in.rcNormalPosition.bottom - c.in.rcNormalPosition.top);
        EXPECT_EQ(UINT(SW_SHOWNORMAL), c.in.showCmd);
    }
}

TEST(WindowPlacement, SavedWidthsReplaceOnlyWhatTheyCover) {
    RegistryKey key;
    ASSERT_TRUE(key.create(HKEY_CURRENT_USER, "SOFTWARE\\Norvale\\Quillbridge2\\PrtLog", KEY_ALL_ACCESS));
    const int three[3] = {11, 22, 33};
    ASSERT_TRUE(key.setValue("ListViewColum", REG_BINARY, three, sizeof three));
    int widths[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    loadColumnWidths(widths, 10);
    EXPECT_EQ((std::vector<int>{11, 22, 33, 4, 5, 6, 7, 8, 9, 10}), std::vector<int>(widths, widths + 10));

    // Ten saved widths (40 bytes) into a table of nine: nothing beyond the table changes.
    const int ten[10] = {101, 102, 103, 104, 105, 106, 107, 108, 109, 110};
    ASSERT_TRUE(key.setValue("ListViewColum", REG_BINARY, ten, sizeof ten));
    int table[10] = {0, 0, 0, 0, 0, 0, 0, 0, 0, -1};
    loadColumnWidths(table, 9);
    EXPECT_EQ(109, table[8]);
    EXPECT_EQ(-1, table[9]);
    // A value of another type is not a width list.
    ASSERT_TRUE(key.setValue("ListViewColum", REG_DWORD, ten, 4));
    loadColumnWidths(widths, 10);
    EXPECT_EQ(11, widths[0]);
    key.deleteValue("ListViewColum");
}
