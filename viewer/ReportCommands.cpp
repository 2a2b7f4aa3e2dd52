// The main window's commands that report on the listed rows: CSV export, totals and find.
#include <cstdio>
#include <new>

#include "presentation/CsvText.h"
#include "resources/MenuIds.h"
#include "services/ByteBuffer.h"
#include "viewer/CsvExport.h"
#include "viewer/CsvSaving.h"
#include "viewer/ListRows.h"
#include "viewer/PrintLogWindow.h"
#include "viewer/TotalsDialog.h"
#include "viewer/ViewerTexts.h"

namespace {
// The columns the list shows: nine, or ten with the job ID.
int shownColumns(ListViewControl& list, DWORD allView) {
    const int columns = list.columnCount();
    return columns > 0 ? columns : (allView ? 10 : 9);
}
}  // namespace

UINT PrintLogWindow::onExportCsv(HWND hwnd, UINT id) {
    (void)id;
    // No reload may free the rows while the dialogs run their loops.
    setBusy(true);
    char path[MAX_PATH];
    bool saved = false;
    if (askCsvTarget(hwnd, kExportFileNameFormat, path, sizeof path)) {
        // What the list shows at this moment, in its order: what you see is what you get.
        ByteBuffer rows;
        const int count = collectListRows(listView_, rows);
        if (count < 0) {
            showCsvSaveFailure(hwnd, ERROR_NOT_ENOUGH_MEMORY);
        } else {
            CsvText csv;
            buildExportCsv(reinterpret_cast<LogRecordView* const*>(rows.data()), size_t(count),
                           shownColumns(listView_, allView_), csv);
            saved = saveCsvOrWarn(hwnd, path, csv);
        }
    }
    setBusy(false);
    return saved ? 1 : 0;
}

UINT PrintLogWindow::onTotals(HWND hwnd, UINT id) {
    (void)id;
    setBusy(true);
    ByteBuffer rows;
    const int count = collectListRows(listView_, rows);
    TotalsDialog* dialog = new (std::nothrow) TotalsDialog(instance_, helpFilePath_, &helpMap_);
    if (dialog != nullptr && count >= 0 &&
        dialog->prepare(reinterpret_cast<LogRecordView* const*>(rows.data()), size_t(count)))
        dialog->show(hwnd);
    else  // only memory can run out here
        ::MessageBoxA(hwnd, kNoMemoryLine, kWarningCaptionText, MB_OK | MB_ICONHAND);
    delete dialog;
    setBusy(false);
    return 0;
}

UINT PrintLogWindow::onFind(HWND hwnd, UINT id) {
    (void)id;
    setBusy(true);
    findDialog_.show(hwnd);
    setBusy(false);
    return 0;
}

UINT PrintLogWindow::onFindAgain(HWND hwnd, UINT id) {
    if (findDialog_.lastText()[0] == '\0') return onFind(hwnd, id);
    findInList(findDialog_.lastText(), findDialog_.lastForward());
    return 0;
}

UINT PrintLogWindow::onReportKeyDown(HWND hwnd, WPARAM wParam, NMHDR* header) {
    (void)wParam;
    const WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
    const bool control = ::GetKeyState(VK_CONTROL) < 0;
    UINT command = 0;
    if (control && key == 'S')
        command = IDM_EXPORT_CSV;
    else if (control && key == 'F')
        command = IDM_FIND;
    else if (!control && key == VK_F3)
        command = IDM_FIND_AGAIN;
    // Posted: the commands open dialogs, which should not run inside the list's notification.
    if (command != 0) ::PostMessageA(hwnd, WM_COMMAND, command, 0);
    return 0;
}

bool PrintLogWindow::findInList(const char* text, bool forward) {
    const int row = findListRow(listView_, shownColumns(listView_, allView_), text, listView_.selectedIndex(), forward);
    if (row < 0) {
        char message[256];
        std::snprintf(message, sizeof message, kFindNotFoundFormat, text);
        statusBar_.setText(message);
        return false;
    }
    listView_.selectItem(row);
    // Within a command the list's LVN_ITEMCHANGED is not routed: do here what it would do.
    onItemChanged(hwnd_, 0, nullptr);
    ::SendMessageA(listView_.hwnd(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    // A message of an earlier search gives way to the row count again.
    updateStatus(hwnd_, kStatusBarId);
    return true;
}
