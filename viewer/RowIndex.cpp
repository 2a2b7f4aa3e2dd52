#include "viewer/RowIndex.h"

#include <cstring>

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

bool RowIndex::readFrom(ListViewControl& list) {
    const int count = list.itemCount();
    const size_t rows = count > 0 ? size_t(count) : 0;
    valid_ = false;
    hashed_ = false;
    rows_ = 0;
    if (!data_.allocate((rows ? rows : 1) * sizeof(LPARAM))) return false;
    LPARAM* data = reinterpret_cast<LPARAM*>(data_.data());
    for (size_t row = 0; row < rows; ++row) data[row] = list.itemData(int(row));
    rows_ = rows;
    valid_ = true;
    return true;
}

bool RowIndex::matches(ListViewControl& list) {
    if (!valid_ || list.itemCount() != int(rows_)) return false;
    return rows_ == 0 || (list.itemData(0) == rowData()[0] && list.itemData(int(rows_ - 1)) == rowData()[rows_ - 1]);
}

bool RowIndex::hash() {
    size_t capacity = 16;
    while (capacity < rows_ * 2) capacity *= 2;
    if (!slots_.allocate(capacity * sizeof(Slot))) return false;
    mask_ = capacity - 1;
    Slot* slots = reinterpret_cast<Slot*>(slots_.data());
    for (size_t row = 0; row < rows_; ++row) {
        const LPARAM data = rowData()[row];
        if (!data) continue;
        size_t at = hashOf(data) & mask_;
        while (slots[at].data) at = (at + 1) & mask_;
        slots[at].data = data;
        slots[at].row = row;
    }
    hashed_ = true;
    return true;
}

int RowIndex::find(LPARAM data) {
    if (!valid_ || !data || (!hashed_ && !hash())) return -1;
    const Slot* slots = reinterpret_cast<const Slot*>(slots_.data());
    for (size_t at = hashOf(data) & mask_;; at = (at + 1) & mask_) {
        if (!slots[at].data) return -1;
        if (slots[at].data == data) return int(slots[at].row);
    }
}

bool RowIndex::update(const uint8_t* doomed, const LPARAM* fresh, size_t freshCount) {
    if (!valid_) return false;
    size_t kept = 0;
    for (size_t row = 0; row < rows_; ++row)
        if (!doomed || !doomed[row]) ++kept;
    ByteBuffer next;
    if (!next.allocate((kept + freshCount ? kept + freshCount : 1) * sizeof(LPARAM))) {
        valid_ = false;
        return false;
    }
    LPARAM* out = reinterpret_cast<LPARAM*>(next.data());
    if (freshCount) std::memcpy(out, fresh, freshCount * sizeof(LPARAM));
    out += freshCount;
    for (size_t row = 0; row < rows_; ++row)
        if (!doomed || !doomed[row]) *out++ = rowData()[row];
    data_ = static_cast<ByteBuffer&&>(next);
    rows_ = kept + freshCount;
    hashed_ = false;
    return true;
}
