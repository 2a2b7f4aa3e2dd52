#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <tuple>
#include <vector>

#include "framework/Placement.h"

namespace {

std::vector<LONG> edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

TEST(Placement, TaskbarIsCutOffOnTheEdgeItLiesAt) {
    const RECT screen = {0, 0, 1024, 768};
    // The taskbar, the edge the query reported, the work area.
    const std::tuple<RECT, UINT, RECT> cases[] = {
        {{0, 0, 60, 768}, ABE_LEFT, {60, 0, 1024, 768}},
        {{0, 1, 1024, 768}, ABE_TOP, {0, 0, 1024, 1}},  // the rectangle beats the report
        {{1, 0, 1024, 768}, ABE_BOTTOM, {0, 0, 1, 768}},
        {{0, 0, 1024, 40}, ABE_LEFT, {0, 40, 1024, 768}},  // docked at the top
        {{0, 0, 1023, 40}, ABE_LEFT, {1023, 0, 1024, 768}},  // short of the right edge: the report
        {{0, 0, 60, 768}, 7, {0, 0, 1024, 768}},              // unknown edge: whole screen
    };
    for (const auto& [taskbar, edge, expected] : cases) {
        EXPECT_EQ(edges(expected), edges(workAreaBesideTaskbar(screen, taskbar, edge)))
            << "taskbar " << taskbar.left << "," << taskbar.top << "," << taskbar.right << " edge " << edge;
    }
}

TEST(Placement, CentredOverTheParentOnlyWhileHalfTheWindowStaysInTheWorkArea) {
    const RECT area = {0, 40, 1000, 700};
    const POINT fallback = {400, 320};
    // The parent and the top-left corner of a 200 x 100 window.
    const std::tuple<RECT, POINT> cases[] = {
        {{-81, 100, 200, 400}, {-40, 200}},    // -81 / 2 rounds toward zero
        {{-300, 100, 300, 400}, {-100, 200}},  // x = left - w/2: the first accepted
        {{-301, 100, 299, 400}, fallback},
        {{800, 100, 1200, 400}, {900, 200}},   // x = right - w/2: the last accepted
        {{801, 100, 1201, 400}, fallback},
        {{100, 0, 500, 100}, {200, 0}},        // y is measured from the screen's top
        {{100, -1, 500, 99}, fallback},
        {{100, 600, 500, 800}, {200, 650}},    // y = bottom - h/2: the last accepted
        {{100, 601, 500, 801}, fallback},
    };
    for (const auto& [parent, expected] : cases) {
        POINT at = centredPosition(SIZE{200, 100}, &parent, area);
        EXPECT_EQ(std::vector<LONG>({expected.x, expected.y}), std::vector<LONG>({at.x, at.y}))
            << "parent left " << parent.left << " top " << parent.top;
    }
    EXPECT_EQ(fallback.y, centredPosition(SIZE{200, 100}, nullptr, area).y);
}

}  // namespace
