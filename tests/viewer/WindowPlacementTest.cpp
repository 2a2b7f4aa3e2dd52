#include <gtest/gtest.h>

#include "viewer/WindowPlacement.h"

// At least 10 pixels of the window stay on the work area, by strict bounds on all four
// sides; otherwise the window goes to the corner with its size. It never starts maximised.
// The work area does not start at the origin (taskbar at the top): 1024 x 728 once moved.
TEST(WindowPlacement, KeepsTenPixelsOnTheWorkArea) {
    const struct { const char* what; LONG left, top, w, h, expectLeft, expectTop; } cases[] = {
        {"left just inside 10 - w", -389, 50, 400, 300, -389, 50},
        {"left exactly 10 - w", -390, 50, 400, 300, 0, 0},
        {"left exactly width - 10", 1014, 50, 400, 300, 0, 0},
        {"left just inside width - 10", 1013, 50, 400, 300, 1013, 50},
        {"top just inside 10 - h", 100, -289, 400, 300, 100, -289},
        {"top exactly 10 - h", 100, -290, 400, 300, 0, 0},
        {"top just inside the moved work area", 100, 717, 400, 300, 100, 717},
        {"top exactly moved height - 10", 100, 718, 400, 300, 0, 0},
        {"an empty window cannot keep 10 pixels", 5, 5, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WINDOWPLACEMENT p = {};
        p.length = sizeof p;
        p.showCmd = SW_SHOWMAXIMIZED;
        p.rcNormalPosition = {c.left, c.top, c.left + c.w, c.top + c.h};
        clampPlacement(p, RECT{0, 40, 1024, 768});
        const RECT expected = {c.expectLeft, c.expectTop, c.expectLeft + c.w, c.expectTop + c.h};
        EXPECT_TRUE(::EqualRect(&expected, &p.rcNormalPosition));
        EXPECT_EQ(UINT(SW_SHOWNORMAL), p.showCmd);
    }
}
