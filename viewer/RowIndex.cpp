#include "viewer/RowIndex.h"

#include "framework/ListViewControl.h"

namespace {
size_t hashOf(LPARAM data) {
    // Item data are heap addresses: the low bits carry little, so mix them in.
    size_t v = static_cast<size_t>(data);
    v ^= v >> 7;
    v *= 0x9E3779B1u;
    return v ^ (v >> 15);
}
}  // namespace

bool RowIndex::build(ListViewControl& list, int rows) {
    size_t capacity = 16;
    while (capacity < size_t(rows > 0 ? rows : 0) * 2) capacity *= 2;
    if (!slots_.allocate(capacity * sizeof(Slot))) return false;
    mask_ = capacity - 1;
    Slot* slots = reinterpret_cast<Slot*>(slots_.data());
    for (int row = 0; row < rows; ++row) {
        LPARAM data = list.itemData(row);
        if (!data) continue;
        size_t at = hashOf(data) & mask_;
        while (slots[at].data) at = (at + 1) & mask_;
        slots[at].data = data;
        slots[at].row = row;
    }
    return true;
}

int RowIndex::find(LPARAM data) const {
    if (slots_.empty() || !data) return -1;
    const Slot* slots = reinterpret_cast<const Slot*>(slots_.data());
    for (size_t at = hashOf(data) & mask_;; at = (at + 1) & mask_) {
        if (!slots[at].data) return -1;
        if (slots[at].data == data) return slots[at].row;
    }
}
