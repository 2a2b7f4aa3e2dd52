#include "framework/ListViewControl.h"

#include <new>

ListViewControl::~ListViewControl() { delete[] sortEntries_; }

HWND ListViewControl::create(HWND parent, UINT controlId) {
    if (ControlWindow::create(WC_LISTVIEWA, parent, controlId) == NULL) return NULL;
    setStyle(WS_CHILD | WS_VISIBLE | LVS_REPORT);
    return hwnd_;
}

int ListViewControl::insertColumns(const LVCOLUMNA* columns, int count, int first) {
    if (hwnd_ == NULL || columns == nullptr || count <= 0) return 0;
    // Room for every entry first, so that the table never falls behind the columns.
    size_t capacity = static_cast<size_t>(sortEntryCount_) + static_cast<size_t>(count);
    if (capacity > 0xFFFF) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    SortEntry* grown = new (std::nothrow) SortEntry[capacity];
    if (grown == nullptr) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    for (uint16_t i = 0; i < sortEntryCount_; ++i) grown[i] = sortEntries_[i];
    delete[] sortEntries_;
    sortEntries_ = grown;

    int inserted = 0;
    for (int i = 0; i < count; ++i) {
        int index = static_cast<int>(send(LVM_INSERTCOLUMNA, static_cast<WPARAM>(first + i),
                                          reinterpret_cast<LPARAM>(&columns[i])));
        if (index < 0) continue;
        // The index the list view gave: a column asked for beyond the end lands at the end.
        sortEntries_[sortEntryCount_++] = SortEntry{hwnd_, index, 0, 1};
        ++inserted;
    }
    return inserted;
}

BOOL ListViewControl::setColumnWidth(int column, int width) {
    if (hwnd_ == NULL) return FALSE;
    return static_cast<BOOL>(send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                                  MAKELPARAM(static_cast<WORD>(width), 0)));
}

int ListViewControl::columnWidth(int column) {
    if (hwnd_ == NULL || column == -1) return -1;
    return static_cast<int>(send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

int ListViewControl::columnCount() {
    if (hwnd_ == NULL) return -1;
    HWND header = reinterpret_cast<HWND>(send(LVM_GETHEADER, 0, 0));
    if (header == NULL) return -1;
    return static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
}

int ListViewControl::insertItems(const LVITEMA* items, int count) {
    if (hwnd_ == NULL || items == nullptr) return 0;
    int done = 0;
    for (int i = 0; i < count; ++i)
        if (send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&items[i])) != -1) ++done;
    return done;
}

int ListViewControl::setItems(const LVITEMA* items, int count) {
    if (hwnd_ == NULL || items == nullptr) return 0;
    int done = 0;
    for (int i = 0; i < count; ++i)
        if (send(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&items[i])) != 0) ++done;
    return done;
}

BOOL ListViewControl::getItem(LVITEMA* item) {
    if (hwnd_ == NULL || item == nullptr) return FALSE;
    return static_cast<BOOL>(send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(item)));
}

BOOL ListViewControl::deleteItem(int index) {
    if (hwnd_ == NULL || index == -1) return FALSE;
    return static_cast<BOOL>(send(LVM_DELETEITEM, static_cast<WPARAM>(index), 0));
}

BOOL ListViewControl::deleteAllItems() {
    if (hwnd_ == NULL) return FALSE;
    return static_cast<BOOL>(send(LVM_DELETEALLITEMS, 0, 0));
}

int ListViewControl::itemCount() {
    if (hwnd_ == NULL) return 0;
    return static_cast<int>(send(LVM_GETITEMCOUNT, 0, 0));
}

LPARAM ListViewControl::itemData(int index) {
    if (hwnd_ == NULL || index == -1) return 0;
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return 0;
    return item.lParam;
}

int ListViewControl::selectedIndex() {
    if (hwnd_ == NULL) return -1;
    return static_cast<int>(send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int ListViewControl::focusedIndex() {
    if (hwnd_ == NULL) return -1;
    return static_cast<int>(send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

LPARAM ListViewControl::selectedData() { return itemData(selectedIndex()); }

LPARAM ListViewControl::focusedData() { return itemData(focusedIndex()); }

BOOL ListViewControl::selectItem(int index) {
    if (hwnd_ == NULL) return FALSE;
    int count = itemCount();
    int target = count > 0 ? index : 0;
    if (target < 0) target = 0;
    LVITEMA item = {};
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    return static_cast<BOOL>(send(LVM_SETITEMSTATE, static_cast<WPARAM>(target),
                                  reinterpret_cast<LPARAM>(&item)));
}

int ListViewControl::findItemByData(LPARAM data, int start) {
    if (hwnd_ == NULL || data == 0) return -1;
    LVFINDINFOA find = {};
    find.flags = LVFI_PARAM;
    find.lParam = data;
    return static_cast<int>(send(LVM_FINDITEMA, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(&find)));
}

int ListViewControl::stringWidth(const char* text) {
    if (hwnd_ == NULL || text == nullptr) return 0;
    return static_cast<int>(send(LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text)));
}

HIMAGELIST ListViewControl::setImageList(HIMAGELIST list, int kind) {
    if (hwnd_ == NULL || list == NULL) return NULL;
    return reinterpret_cast<HIMAGELIST>(
        send(LVM_SETIMAGELIST, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(list)));
}

DWORD ListViewControl::extendedStyle() {
    return static_cast<DWORD>(send(LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
}

void ListViewControl::addExStyle(DWORD bits) {
    if (hwnd_ == NULL) return;
    setExStyle(extendedStyle() | bits);
}

void ListViewControl::removeExStyle(DWORD bits) {
    if (hwnd_ == NULL) return;
    setExStyle(extendedStyle() & ~bits);
}

void ListViewControl::setExStyle(DWORD value) {
    if (hwnd_ == NULL) return;
    // Mask 0 means every bit takes the new value.
    send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(value));
}

ListViewControl::SortEntry* ListViewControl::sortEntryFor(int column) {
    for (uint16_t i = 0; i < sortEntryCount_; ++i)
        if (sortEntries_[i].column == column) return &sortEntries_[i];
    return nullptr;
}
