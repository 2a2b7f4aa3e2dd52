#include "presentation/KindPresentation.h"

#include "resources/ResourceIds.h"

const KindPresentation kKindPresentations[] = {
    {0, 0, IDI_KIND_COMPLETED},
    {1, 1, IDI_KIND_DEVIATIONS},
    {2, 2, IDI_KIND_ABORTED},
    {3, 3, IDI_KIND_ERROR},
    {4, 4, IDI_KIND_DEVIATIONS},
    {5, 5, IDI_KIND_COMPLETED},
};
const size_t kKindPresentationCount = sizeof kKindPresentations / sizeof kKindPresentations[0];

namespace {

const KindPresentation* findKind(uint32_t eventKind) {
    for (size_t i = 0; i < kKindPresentationCount; ++i)
        if (static_cast<uint32_t>(kKindPresentations[i].eventKind) == eventKind) return &kKindPresentations[i];
    return nullptr;
}

}  // namespace

int kindImageIndex(uint32_t eventKind) {
    const KindPresentation* kind = findKind(eventKind);
    return kind ? kind->imageIndex : 0;
}

uint32_t kindIconId(uint32_t eventKind) {
    const KindPresentation* kind = findKind(eventKind);
    return kind ? kind->iconId : 0;
}
