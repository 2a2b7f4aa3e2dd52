#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include "framework/Placement.h"
#include "tests/support/WindowTestSupport.h"

namespace {

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(Placement, TaskbarIsCutOffOnTheEdgeItLiesAt) {
    const RECT screen = {0, 0, 1024, 768};
    struct Case {
        RECT taskbar;
        UINT reportedEdge;
        RECT expected;
    } cases[] = {
        {{0, 728, 1024, 768}, ABE_BOTTOM, {0, 0, 1024, 728}},
        {{0, 0, 1024, 40}, ABE_TOP, {0, 40, 1024, 768}},     // docked at the top
        {{984, 0, 1024, 768}, ABE_RIGHT, {0, 0, 984, 768}},
        {{0, 0, 60, 768}, ABE_LEFT, {60, 0, 1024, 768}},
        {{0, 728, 1024, 768}, ABE_TOP, {0, 0, 1024, 728}},   // the rectangle beats the report
        {{0, 0, 1024, 40}, ABE_LEFT, {0, 40, 1024, 768}},
        {{0, 0, 60, 768}, 7, {0, 0, 1024, 768}},              // unknown edge: whole screen
    };
    for (const Case& c : cases) {
        RECT area = workAreaBesideTaskbar(screen, c.taskbar, c.reportedEdge);
        EXPECT_TRUE(sameRect(c.expected, area))
            << "taskbar " << c.taskbar.left << "," << c.taskbar.top << " edge " << c.reportedEdge << " gave "
            << area.left << "," << area.top << "," << area.right << "," << area.bottom;
    }
}

TEST(Placement, CentredOverTheParentOnlyWhileHalfTheWindowStaysInTheWorkArea) {
    const RECT area = {0, 40, 1000, 700};
    const SIZE size = {200, 100};
    const POINT fallback = {400, 320};
    struct Case {
        RECT parent;
        bool hasParent;
        POINT expected;
    } cases[] = {
        {{100, 100, 500, 400}, true, {200, 200}},
        {{-900, 100, -300, 400}, true, fallback},   // mostly off the left edge
        {{-81, 100, 200, 400}, true, {-40, 200}},   // -81 / 2 rounds toward zero
        {{800, 100, 1200, 400}, true, {900, 200}},  // x = right - w/2: the last accepted
        {{801, 100, 1201, 400}, true, fallback},
        {{100, -300, 500, 0}, true, fallback},      // above the screen
        {{100, 0, 500, 30}, true, fallback},        // y = -35
        {{100, 0, 500, 120}, true, {200, 10}},      // y is measured from the screen's top
        {{100, 600, 500, 800}, true, {200, 650}},   // y = bottom - h/2: the last accepted
        {{100, 601, 500, 801}, true, fallback},
        {{100, 100, 500, 400}, false, fallback},
    };
    for (const Case& c : cases) {
        POINT at = centredPosition(size, c.hasParent ? &c.parent : nullptr, area);
        EXPECT_EQ(c.expected.x, at.x) << "parent left " << c.parent.left << " top " << c.parent.top;
        EXPECT_EQ(c.expected.y, at.y) << "parent left " << c.parent.left << " top " << c.parent.top;
    }
}

TEST(Placement, RealWindowsAreMovedWithinTheWorkArea) {
    RECT area;
    getWorkArea(&area);
    EXPECT_GE(area.left, 0);
    EXPECT_GE(area.top, 0);
    EXPECT_LE(area.right, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_LE(area.bottom, ::GetSystemMetrics(SM_CYSCREEN));
    EXPECT_LT(area.left, area.right);
    EXPECT_LT(area.top, area.bottom);

    HostWindow parent, child;
    ASSERT_NE(nullptr, parent.hwnd());
    ASSERT_NE(nullptr, child.hwnd());
    ::MoveWindow(child.hwnd(), 0, 0, 200, 100, FALSE);

    ::MoveWindow(parent.hwnd(), area.left + 50, area.top + 50, 400, 300, FALSE);
    centerWindowInWorkArea(child.hwnd(), parent.hwnd());
    RECT r;
    ::GetWindowRect(child.hwnd(), &r);
    EXPECT_EQ(area.left + 150, r.left);
    EXPECT_EQ(area.top + 150, r.top);
    EXPECT_EQ(200, r.right - r.left);
    EXPECT_EQ(100, r.bottom - r.top);

    ::MoveWindow(parent.hwnd(), area.left - 1000, area.top + 50, 400, 300, FALSE);
    centerWindowInWorkArea(child.hwnd(), parent.hwnd());
    ::GetWindowRect(child.hwnd(), &r);
    EXPECT_EQ((area.left + area.right - 200) / 2, r.left);
    EXPECT_EQ((area.top + area.bottom - 100) / 2, r.top);

    centerWindowInWorkArea(NULL, parent.hwnd());  // nothing to move
}

}  // namespace
