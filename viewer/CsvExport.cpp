#include "viewer/CsvExport.h"

#include <cstdio>

#include "presentation/LogRecordView.h"
#include "services/FileReplacement.h"
#include "services/ScopedHandle.h"
#include "settings/LogSettings.h"
#include "store/LogFormat.h"
#include "viewer/ViewerTexts.h"

namespace {

bool sameFilePath(const char* a, const char* b) {
    char fullA[MAX_PATH], fullB[MAX_PATH];
    const DWORD lengthA = ::GetFullPathNameA(a, MAX_PATH, fullA, NULL);
    const DWORD lengthB = ::GetFullPathNameA(b, MAX_PATH, fullB, NULL);
    return lengthA && lengthA < MAX_PATH && lengthB && lengthB < MAX_PATH && ::lstrcmpiA(fullA, fullB) == 0;
}

// The target must not be the log the intake writes to: by its name (while it is missing no
// signature guards it), by its signature, or because it cannot be looked at (a writer
// holds the log without sharing).
DWORD checkCsvTarget(const char* path) {
    LogSettings settings;
    settings.load();
    if (sameFilePath(path, settings.logName.c_str())) return ERROR_FILE_EXISTS;
    ScopedHandle target(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));
    if (!target.valid()) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : error;
    }
    char head[sizeof kLogSignature] = {};
    DWORD got = 0;
    return ::ReadFile(target.get(), head, sizeof head, &got, NULL) && hasLogSignature(head, got) ? ERROR_FILE_EXISTS
                                                                                                 : 0;
}

bool isNumericColumn(int column) {
    return column == kColumnMonoPages || column == kColumnColourPages || column == kColumnSheets ||
           column == kColumnJobId;
}

void addExportRow(CsvText& out, LogRecordView& view, int listColumns) {
    char buffer[32];
    for (int column = 0; column < listColumns; ++column) {
        const char* text = view.columnText(column, buffer, sizeof buffer);
        if (isNumericColumn(column))
            out.addNumber(text);
        else
            out.addText(text);
    }
    const LogRecord& record = *view.record;
    const SYSTEMTIME& t = record.eventTime;
    std::snprintf(buffer, sizeof buffer, kExportDateFormat, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    out.addText(buffer);
    out.addNumber(int64_t(record.jobId));
    out.addNumber(int64_t(record.eventKind));
    out.addNumber(int64_t(record.errorCode));
    out.addNumber(int64_t(record.errorDetail));
    out.addText(view.detailsText());
    out.endLine();
}

}  // namespace

bool buildExportCsv(LogRecordView* const* rows, size_t count, int listColumns, CsvText& out) {
    if (listColumns < 0) listColumns = 0;
    if (listColumns > kListColumnCount) listColumns = kListColumnCount;
    for (int column = 0; column < listColumns; ++column) out.addText(kColumnHeaders[column]);
    for (const char* header : kExportExtraHeaders) out.addText(header);
    out.endLine();
    for (size_t i = 0; i < count; ++i)
        if (rows[i] != nullptr && rows[i]->record != nullptr) addExportRow(out, *rows[i], listColumns);
    return !out.failed();
}

const char* totalsHeader(int grouping, int column) {
    switch (column) {
    case kTotalsName: return kColumnHeaders[totalsNameColumn(grouping)];
    case kTotalsRows: return kTotalsRowsHeader;
    case kTotalsMonoPages: return kColumnHeaders[kColumnMonoPages];
    case kTotalsColourPages: return kColumnHeaders[kColumnColourPages];
    case kTotalsSheets: return kColumnHeaders[kColumnSheets];
    case kTotalsUnconfirmed: return kTotalsUnconfirmedHeader;
    default: return "";
    }
}

bool buildTotalsCsv(const PrintTotals& totals, int grouping, CsvText& out) {
    for (int column = 0; column < kTotalsColumnCount; ++column) out.addText(totalsHeader(grouping, column));
    out.endLine();
    for (size_t line = 0; line <= totals.lineCount(); ++line) {
        const bool sum = line == totals.lineCount();
        out.addText(sum ? kTotalsSumName : totals.name(line));
        for (int column = kTotalsRows; column < kTotalsColumnCount; ++column)
            out.addNumber(sum ? totals.total(column) : totals.figure(line, column));
        out.endLine();
    }
    return !out.failed();
}

DWORD writeCsvFile(const char* path, const CsvText& csv) {
    if (csv.failed()) return ERROR_NOT_ENOUGH_MEMORY;
    const DWORD refused = path != nullptr ? checkCsvTarget(path) : 0;
    return refused != 0 ? refused : replaceFileContents(path, csv.data(), csv.size());
}

void formatCsvFileName(const char* format, char* out, size_t size) {
    SYSTEMTIME today;
    ::GetLocalTime(&today);
    std::snprintf(out, size, format, today.wYear, today.wMonth, today.wDay);
}
