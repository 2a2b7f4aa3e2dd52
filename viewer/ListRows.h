#pragma once
#include "services/ByteBuffer.h"

class ListViewControl;
class LogRecordView;

// The rows of a list whose item data are LogRecordView pointers, read only through the
// list wrapper (count, item data, selection), so that it works for any kind of list view.

// The views of every row in the list's current order, as an array of pointers in `out`;
// the number of rows, or -1 when memory ran out.
int collectListRows(ListViewControl& list, ByteBuffer& out);

// The next row, after `from` (forward) or before it, whose first `columns` cells contain
// `needle` (containsText), going round the list once: `from` itself is looked at last and
// -1 starts before the first row (after the last one backwards). -1 when none matches.
int findListRow(ListViewControl& list, int columns, const char* needle, int from, bool forward);
