#pragma once
#include <cstddef>
#include <cstdint>

// What the list and the details dialog show for each event kind. The list window loads the
// icons in row order, so image index n shows the icon of row n.
struct KindPresentation {
    int32_t eventKind;
    int imageIndex;
    uint32_t iconId;
};

extern const KindPresentation kKindPresentations[];
extern const size_t kKindPresentationCount;

// Image index and icon of a kind; a kind that is not in the table gives 0 for both.
int kindImageIndex(uint32_t eventKind);
uint32_t kindIconId(uint32_t eventKind);
