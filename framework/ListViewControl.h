#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "framework/ControlWindow.h"

// A report-style list view. It also keeps the sort table: one entry per column inserted
// through insertColumns, in insertion order.
class ListViewControl : public ControlWindow {
public:
    struct SortEntry {
        HWND list;         // the list view the entry belongs to
        int column;        // the column (sub-item) it sorts by
        UINT compareKind;  // 0 text, 1 number
        UINT direction;    // 0 ascending, 1 descending
    };

    using ControlWindow::ControlWindow;
    ~ListViewControl() override;

    // A report-style list view (WS_CHILD | WS_VISIBLE | LVS_REPORT), only while no window is held.
    HWND create(HWND parent, UINT controlId);

    // Inserts `count` columns at first, first + 1, ... and appends a sort entry (text,
    // descending) for each column that was inserted. The number of columns inserted; 0 when
    // the sort table cannot grow (nothing is inserted then).
    int insertColumns(const LVCOLUMNA* columns, int count, int first);
    // The width goes to the list view as its low 16 bits.
    BOOL setColumnWidth(int column, int width);
    // -1 without a window or for column -1.
    int columnWidth(int column);
    // Columns in the header; -1 when the header or its count cannot be had.
    int columnCount();

    // One LVM_INSERTITEMA / LVM_SETITEMA per element; the number that succeeded.
    int insertItems(const LVITEMA* items, int count);
    int setItems(const LVITEMA* items, int count);
    BOOL getItem(LVITEMA* item);
    BOOL deleteItem(int index);  // never for -1, which would mean every item
    BOOL deleteAllItems();
    int itemCount();  // 0 without a window
    // The item's lParam; 0 for index -1 or a missing item.
    LPARAM itemData(int index);
    int selectedIndex();  // -1 when none or without a window
    int focusedIndex();
    LPARAM selectedData();  // 0 when there is no such row
    LPARAM focusedData();
    // Selects and focuses one row: a negative index, and any index of an empty list, address
    // row 0 (never -1, which would select every row).
    BOOL selectItem(int index);
    // The row whose lParam is `data`, searching after `start` (-1: from the top); -1 when
    // none, for null data and without a window.
    int findItemByData(LPARAM data, int start);
    // Width of `text` in pixels in the list view's font; 0 without a window or text.
    int stringWidth(const char* text);
    // `kind` is LVSIL_NORMAL, LVSIL_SMALL or LVSIL_STATE; a null list is ignored. The
    // previous list, or null.
    HIMAGELIST setImageList(HIMAGELIST list, int kind);
    // Takes the list of `kind` back from the list view, which then no longer destroys it
    // with itself (it has no LVS_SHAREIMAGELISTS). The previous list, or null.
    HIMAGELIST detachImageList(int kind);

    // The list view's extended styles (LVS_EX_*), not the window's.
    void addExStyle(DWORD bits) override;
    void removeExStyle(DWORD bits) override;
    void setExStyle(DWORD value) override;

    // Orders the rows by the texts they show in `column`: compare kind 1 by number (a cell
    // that starts with a blank is 0, any other its leading decimal number plus 1), any other
    // kind by lstrcmpA. `directionOp` 0 or 1 sets the column's direction (1 descending), 2
    // reverses it, any other value keeps it; the compare kind is stored in the entry too.
    // FALSE without a window, for a column without a sort entry, and when the cell table
    // cannot be had (nothing is sorted then; the system's error says why).
    BOOL sortByColumn(int column, UINT compareKind, int directionOp);
    // The number a cell sorts by under compare kind 1. Read like atoi, but in 64 bits and
    // saturated, so that large job IDs keep their order.
    static int64_t numericSortValue(const char* text);
    // Capacity of the buffer each cell's text is read into, terminating NUL included.
    static constexpr int kSortTextCapacity = 520;

    uint16_t sortEntryCount() const { return sortEntryCount_; }
    SortEntry* sortEntries() { return sortEntries_; }
    // The entry of `column`, or null.
    SortEntry* sortEntryFor(int column);

private:
    DWORD extendedStyle();
    LRESULT send(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::SendMessageA(hwnd_, message, wParam, lParam);
    }

    SortEntry* sortEntries_ = nullptr;
    uint16_t sortEntryCount_ = 0;
};
