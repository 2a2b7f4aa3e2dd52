#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "services/ByteBuffer.h"

class ListViewControl;

// The item data of every row of a list view, in the list's order, kept beside the list so
// that a reload finds the rows it changes without reading thousands of rows back from the
// list view (each read is a message). Its owner keeps it in step with every change of the
// rows it makes; a change it did not make (a sort) it announces with invalidate, and a
// change of the row count or of the first or last row is noticed by matches.
class RowIndex {
public:
    // Reads the item data of every row; false when the memory cannot be had (the index is
    // then out of step until the next read).
    bool readFrom(ListViewControl& list);
    void invalidate() { valid_ = false; }
    // True when the index stands for the list's rows.
    bool matches(ListViewControl& list);
    // The row whose item data is `data`, or -1.
    int find(LPARAM data);
    // After rows were deleted (one byte per row in `doomed`, non-zero for each deleted row)
    // and `freshCount` rows inserted on top with the item data of `fresh`, in order.
    // False when the memory cannot be had (the index is then out of step).
    bool update(const uint8_t* doomed, const LPARAM* fresh, size_t freshCount);
    size_t rows() const { return rows_; }

private:
    struct Slot {
        LPARAM data;
        size_t row;
    };
    const LPARAM* rowData() const { return reinterpret_cast<const LPARAM*>(data_.data()); }
    bool hash();

    ByteBuffer data_;  // one LPARAM per row
    size_t rows_ = 0;
    bool valid_ = false;
    ByteBuffer slots_;  // open addressing from item data to row, built on demand
    size_t mask_ = 0;
    bool hashed_ = false;
};
