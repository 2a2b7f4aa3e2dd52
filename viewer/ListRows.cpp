#include "viewer/ListRows.h"

#include "framework/ListViewControl.h"
#include "presentation/LogRecordView.h"
#include "presentation/RecordSearch.h"

int collectListRows(ListViewControl& list, ByteBuffer& out) {
    const int count = list.itemCount();
    if (!out.allocate(size_t(count > 0 ? count : 0) * sizeof(LogRecordView*) + 1)) return -1;
    LogRecordView** views = reinterpret_cast<LogRecordView**>(out.data());
    for (int row = 0; row < count; ++row) views[row] = reinterpret_cast<LogRecordView*>(list.itemData(row));
    return count > 0 ? count : 0;
}

int findListRow(ListViewControl& list, int columns, const char* needle, int from, bool forward) {
    const int count = list.itemCount();
    if (count <= 0 || needle == nullptr || *needle == '\0') return -1;
    if (from < -1 || from >= count) from = -1;
    int row = from;
    for (int step = 0; step < count; ++step) {
        if (forward)
            row = row + 1 < count ? row + 1 : 0;
        else
            row = row > 0 ? row - 1 : count - 1;
        const LogRecordView* view = reinterpret_cast<const LogRecordView*>(list.itemData(row));
        if (view != nullptr && recordContainsText(*view, columns, needle)) return row;
    }
    return -1;
}
