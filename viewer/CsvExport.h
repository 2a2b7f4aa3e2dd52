#pragma once
#include <windows.h>

#include <cstddef>

#include "presentation/CsvText.h"
#include "presentation/PrintTotals.h"

class LogRecordView;

// The export of list rows: a header line with the list's `listColumns` (9 or 10) headers
// and the machine-readable fields, then one line per row in the given order: the list's
// cells, the event time "YYYY-MM-DD hh:mm:ss", job ID, kind, error code and detail (both
// unsigned decimal) and the details dialog's message or deviation text. Views without a
// record are skipped. False when memory ran out.
bool buildExportCsv(LogRecordView* const* rows, size_t count, int listColumns, CsvText& out);

// Header of a totals column: the list's header of the grouping's name column, the list's
// count headers, "件数" and "要確認".
const char* totalsHeader(int grouping, int column);
// The totals as CSV: header line, the lines in their current order, then "合計".
bool buildTotalsCsv(const PrintTotals& totals, int grouping, CsvText& out);

// Writes the CSV to `path` through a temporary file beside it (replaceFileContents), but
// never over a print log file, which the CSV would destroy: ERROR_FILE_EXISTS for the
// settings' log (even while it is missing) or a file with the log signature, and the
// system's error for a target that cannot be read to check.
DWORD writeCsvFile(const char* path, const CsvText& csv);

// Today's file name from a format with year, month and day.
void formatCsvFileName(const char* format, char* out, size_t size);
