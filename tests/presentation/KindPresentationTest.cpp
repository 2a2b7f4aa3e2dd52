#include <gtest/gtest.h>

#include <windows.h>

#include "presentation/KindPresentation.h"

namespace {

TEST(KindPresentation, ImageAndIconPerKind) {
    struct Case { uint32_t kind; int image; uint32_t icon; } cases[] = {
        {0, 0, 106}, {1, 1, 107}, {2, 2, 105}, {3, 3, 103}, {4, 4, 107}, {5, 5, 106},
        {6, 0, 0}, {100, 0, 0}, {0xFFFFFFFF, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        EXPECT_EQ(c.image, kindImageIndex(c.kind));
        EXPECT_EQ(c.icon, kindIconId(c.kind));
    }
}

TEST(KindPresentation, RowsAreInImageOrderAndTheirIconsExist) {
    // The list builds its image list by loading the icons in row order.
    ASSERT_EQ(6u, kKindPresentationCount);
    for (size_t i = 0; i < kKindPresentationCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(static_cast<int>(i), kKindPresentations[i].imageIndex);
        HICON icon = ::LoadIconA(::GetModuleHandleA(NULL), MAKEINTRESOURCEA(kKindPresentations[i].iconId));
        EXPECT_TRUE(icon != NULL);
    }
}

}  // namespace
