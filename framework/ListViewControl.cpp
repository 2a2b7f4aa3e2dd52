#include "framework/ListViewControl.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "services/ByteBuffer.h"

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
    // The search for the first selected row looks at every row before it, so with no row
    // selected at every row of the list: the count and the focused row answer first.
    if (send(LVM_GETSELECTEDCOUNT, 0, 0) == 0) return -1;
    if (::GetWindowLongPtrA(hwnd_, GWL_STYLE) & LVS_SINGLESEL) {
        const int focused = focusedIndex();
        if (focused >= 0 && (send(LVM_GETITEMSTATE, static_cast<WPARAM>(focused), LVIS_SELECTED) & LVIS_SELECTED))
            return focused;
    }
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

HIMAGELIST ListViewControl::detachImageList(int kind) {
    if (hwnd_ == NULL) return NULL;
    return reinterpret_cast<HIMAGELIST>(send(LVM_SETIMAGELIST, static_cast<WPARAM>(kind), 0));
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

namespace {

// One row as the sort sees it, read once before the list view starts comparing.
struct SortCell {
    LPARAM data;
    int row;
    int64_t value;      // compare kind 1
    size_t textOffset;  // compare kind 0: into the text pool
};

struct SortContext {
    const SortCell* cells;
    int count;
    const char* pool;
    UINT compareKind;
    UINT direction;
};

bool cellBefore(const SortCell& a, const SortCell& b) {
    return a.data != b.data ? a.data < b.data : a.row < b.row;
}

// The first row with this item data: the row a search from the top would find.
const SortCell* findCell(const SortContext& context, LPARAM data) {
    const SortCell* end = context.cells + context.count;
    const SortCell* at = std::lower_bound(context.cells, end, data,
                                          [](const SortCell& cell, LPARAM d) { return cell.data < d; });
    return at != end && at->data == data ? at : nullptr;
}

// LVM_SORTITEMS hands over the rows' item data. Rows are looked up in the table by a binary
// search instead of a search of the list, which would make a sort of n rows cost n^2 log n.
int CALLBACK compareRows(LPARAM first, LPARAM second, LPARAM contextParam) {
    const SortContext& context = *reinterpret_cast<const SortContext*>(contextParam);
    const SortCell* a = findCell(context, first);
    const SortCell* b = findCell(context, second);
    int result;
    if (context.compareKind == 1) {
        // A row that cannot be found reads as an empty cell.
        int64_t va = a != nullptr ? a->value : 1;
        int64_t vb = b != nullptr ? b->value : 1;
        // Compared, not subtracted: the difference of two large values would wrap.
        result = va < vb ? -1 : (va > vb ? 1 : 0);
    } else {
        result = ::lstrcmpA(a != nullptr ? context.pool + a->textOffset : "",
                            b != nullptr ? context.pool + b->textOffset : "");
    }
    return context.direction == 1 ? -result : result;
}

}  // namespace

int64_t ListViewControl::numericSortValue(const char* text) {
    if (text == nullptr || text[0] == '\0') return 1;
    if (text[0] == ' ') return 0;
    const char* p = text;
    while (*p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    // Far beyond any count or 32-bit ID, and far from wrapping.
    const int64_t limit = 100000000000000000LL;
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (value < limit) value = value * 10 + (*p - '0');
    return (negative ? -value : value) + 1;
}

BOOL ListViewControl::sortByColumn(int column, UINT compareKind, int directionOp) {
    if (hwnd_ == NULL || sortEntries_ == nullptr) return FALSE;
    SortEntry* entry = sortEntryFor(column);
    if (entry == nullptr) return FALSE;
    if (directionOp == 0 || directionOp == 1)
        entry->direction = static_cast<UINT>(directionOp);
    else if (directionOp == 2)
        entry->direction = entry->direction == 0 ? 1 : 0;
    entry->compareKind = compareKind;

    int count = itemCount();
    if (count < 0) count = 0;
    SortCell* cells = new (std::nothrow) SortCell[count > 0 ? count : 1];
    if (cells == nullptr) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    ByteBuffer pool;
    size_t used = 0;
    bool numeric = compareKind == 1;
    char text[kSortTextCapacity];
    for (int row = 0; row < count; ++row) {
        text[0] = '\0';
        LVITEMA item = {};
        item.iSubItem = entry->column;
        item.pszText = text;
        item.cchTextMax = kSortTextCapacity;
        send(LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        text[kSortTextCapacity - 1] = '\0';
        cells[row] = SortCell{itemData(row), row, 0, 0};
        if (numeric) {
            cells[row].value = numericSortValue(text);
            continue;
        }
        size_t length = std::strlen(text) + 1;
        if (used + length > pool.size()) {
            size_t grown = pool.size() < 4096 ? 4096 : pool.size() * 2;
            while (grown < used + length) grown *= 2;
            if (!pool.resize(grown)) {
                delete[] cells;
                ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
                return FALSE;
            }
        }
        std::memcpy(pool.data() + used, text, length);
        cells[row].textOffset = used;
        used += length;
    }
    std::sort(cells, cells + count, cellBefore);

    SortContext context = {cells, count, numeric || pool.empty() ? "" : reinterpret_cast<const char*>(pool.data()),
                           compareKind, entry->direction};
    BOOL sorted = static_cast<BOOL>(send(LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context),
                                         reinterpret_cast<LPARAM>(&compareRows)));
    delete[] cells;
    return sorted;
}
