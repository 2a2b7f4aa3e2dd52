#include "viewer/TotalsDialog.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "framework/ListViewControl.h"
#include "presentation/CsvText.h"
#include "resources/ReportDialogIds.h"
#include "viewer/CsvExport.h"
#include "viewer/CsvSaving.h"
#include "viewer/ViewerTexts.h"

namespace {
constexpr int kNameWidth = 100;
}

const MessageMap::HandlerRow TotalsDialog::kInitialisers[] = {
    {IDC_TOTALS_LIST, &TotalsDialog::initList},
    {IDC_TOTALS_BY_USER, &TotalsDialog::initGrouping},
};

const MessageMap::HandlerRow TotalsDialog::kUpdaters[] = {
    {IDC_TOTALS_LIST, &TotalsDialog::updateList},
};

const MessageMap::CommandRow TotalsDialog::kCommands[] = {
    {IDC_TOTALS_BY_USER, BN_CLICKED, &TotalsDialog::chooseGrouping},
    {IDC_TOTALS_BY_PRINTER, BN_CLICKED, &TotalsDialog::chooseGrouping},
    {IDC_TOTALS_BY_REQUESTER, BN_CLICKED, &TotalsDialog::chooseGrouping},
    {IDC_TOTALS_SAVE, BN_CLICKED, &TotalsDialog::saveCsv},
    {IDCANCEL, BN_CLICKED, &TotalsDialog::close},
};

const MessageMap::NotifyRow TotalsDialog::kNotifications[] = {
    {IDC_TOTALS_LIST, UINT(LVN_COLUMNCLICK), &TotalsDialog::sortByColumn},
};

const HelpContextPair TotalsDialog::kHelpTable[] = {
    {IDC_TOTALS_GROUP_LABEL, 63}, {IDC_TOTALS_BY_USER, 63}, {IDC_TOTALS_BY_PRINTER, 63},
    {IDC_TOTALS_BY_REQUESTER, 63}, {IDC_TOTALS_LIST, 64}, {IDC_TOTALS_SAVE, 65},
    {IDCANCEL, 66}, {0, 0},
};

TotalsDialog::TotalsDialog(HINSTANCE instance, const char* helpFilePath, const HelpMap* helpMap)
    : ContextHelpDialog(instance, kHelpTable, helpFilePath, helpMap) {
    map_.setInitialisers(kInitialisers);
    map_.setUpdaters(kUpdaters);
    map_.setCommands(kCommands);
    map_.setNotifications(kNotifications);
}

bool TotalsDialog::prepare(LogRecordView* const* rows, size_t count) {
    for (int grouping = kTotalsByUser; grouping <= kTotalsByRequester; ++grouping)
        if (!totals_[grouping].compute(rows, count, grouping)) return false;
    return true;
}

INT_PTR TotalsDialog::show(HWND parent) { return showTemplate(kTemplateId, parent); }

UINT TotalsDialog::initList(HWND hwnd, UINT controlId) {
    ListViewControl list(::GetDlgItem(hwnd, static_cast<int>(controlId)));
    list.addExStyle(LVS_EX_FULLROWSELECT);
    LVCOLUMNA columns[kTotalsColumnCount];
    std::memset(columns, 0, sizeof columns);
    for (int i = 0; i < kTotalsColumnCount; ++i) {
        columns[i].mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
        columns[i].fmt = i == kTotalsName ? LVCFMT_LEFT : LVCFMT_RIGHT;
        columns[i].pszText = const_cast<char*>(totalsHeader(grouping_, i));
        columns[i].iSubItem = i;
    }
    list.insertColumns(columns, kTotalsColumnCount, 0);
    for (int i = 0; i < kTotalsColumnCount; ++i)
        list.setColumnWidth(i, i == kTotalsName ? kNameWidth : list.stringWidth(totalsHeader(grouping_, i)) + 20);
    list.release();
    return 0;
}

UINT TotalsDialog::initGrouping(HWND hwnd, UINT controlId) {
    ::CheckRadioButton(hwnd, IDC_TOTALS_BY_USER, IDC_TOTALS_BY_REQUESTER, static_cast<int>(controlId) + grouping_);
    return 0;
}

UINT TotalsDialog::updateList(HWND hwnd, UINT controlId) {
    HWND list = ::GetDlgItem(hwnd, static_cast<int>(controlId));
    if (list == NULL) return 0;
    LVCOLUMNA nameColumn;
    std::memset(&nameColumn, 0, sizeof nameColumn);
    nameColumn.mask = LVCF_TEXT;
    nameColumn.pszText = const_cast<char*>(totalsHeader(grouping_, kTotalsName));
    ::SendMessageA(list, LVM_SETCOLUMNA, kTotalsName, reinterpret_cast<LPARAM>(&nameColumn));

    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    const PrintTotals& shown = totals();
    // The lines in their order, then the sum, which no sort moves.
    for (size_t line = 0; line <= shown.lineCount(); ++line) {
        const bool sum = line == shown.lineCount();
        LVITEMA item;
        std::memset(&item, 0, sizeof item);
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(line);
        item.pszText = const_cast<char*>(sum ? kTotalsSumName : shown.name(line));
        const int row = static_cast<int>(::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        if (row < 0) break;
        for (int column = kTotalsRows; column < kTotalsColumnCount; ++column) {
            char text[24];
            std::snprintf(text, sizeof text, "%lld",
                          static_cast<long long>(sum ? shown.total(column) : shown.figure(line, column)));
            LVITEMA cell;
            std::memset(&cell, 0, sizeof cell);
            cell.iSubItem = column;
            cell.pszText = text;
            ::SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
        }
    }
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, NULL, TRUE);
    return 0;
}

UINT TotalsDialog::chooseGrouping(HWND hwnd, UINT controlId) {
    (void)hwnd;
    grouping_ = static_cast<int>(controlId) - IDC_TOTALS_BY_USER;
    totals_[grouping_].sortBy(sortColumn_, directions_[sortColumn_] == 1);
    map_.markPending(IDC_TOTALS_LIST);
    return 0;
}

UINT TotalsDialog::sortByColumn(HWND hwnd, WPARAM wParam, NMHDR* header) {
    (void)hwnd;
    (void)wParam;
    const int column = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
    if (column < 0 || column >= kTotalsColumnCount) return 0;
    sortColumn_ = column;
    directions_[column] = directions_[column] == 0 ? 1 : 0;
    totals_[grouping_].sortBy(column, directions_[column] == 1);
    map_.markPending(IDC_TOTALS_LIST);
    return 0;
}

UINT TotalsDialog::saveCsv(HWND hwnd, UINT controlId) {
    (void)controlId;
    char path[MAX_PATH];
    if (!askCsvTarget(hwnd, kTotalsFileNameFormat, path, sizeof path)) return 0;
    CsvText csv;
    buildTotalsCsv(totals(), grouping_, csv);
    saveCsvOrWarn(hwnd, path, csv);
    return 0;
}

UINT TotalsDialog::close(HWND hwnd, UINT controlId) {
    (void)controlId;
    ::EndDialog(hwnd, IDCANCEL);
    return 0;
}
