#pragma once
#include <windows.h>

#include <cstddef>

#include "services/ByteBuffer.h"

class ListViewControl;

// Rows of a list view by their item data, read once, so that finding the row of each of
// thousands of records is not a search of the whole list every time.
class RowIndex {
public:
    // Reads the item data of rows 0 .. rows-1; false when the memory cannot be had.
    bool build(ListViewControl& list, int rows);
    // The row whose item data is `data`, or -1.
    int find(LPARAM data) const;

private:
    struct Slot {
        LPARAM data;
        int row;
    };
    ByteBuffer slots_;
    size_t mask_ = 0;
};
