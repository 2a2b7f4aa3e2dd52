#pragma once
#include <windows.h>

#include <cstddef>

#include "help/ContextHelpDialog.h"
#include "presentation/PrintTotals.h"

class LogRecordView;

// "Quillbridge2 印刷ログ 集計": the totals of the listed rows per user, printer or
// requester in a report list with a last row "合計", sortable by every column, and saved
// as CSV on request. The totals of all three groupings are computed before the dialog
// opens, so it never reads the rows again while the list may change.
class TotalsDialog : public ContextHelpDialog {
public:
    static constexpr UINT kTemplateId = 121;
    // Control ID -> help context ID; ends with a pair of zeros.
    static const HelpContextPair kHelpTable[];

    // `helpFilePath` and `helpMap` are not owned and may be null.
    TotalsDialog(HINSTANCE instance, const char* helpFilePath, const HelpMap* helpMap);

    // Totals of `rows`; false when memory ran out.
    bool prepare(LogRecordView* const* rows, size_t count);
    // Modal on template 121, centred over `parent`; 2 when closed.
    INT_PTR show(HWND parent) override;

    int grouping() const { return grouping_; }
    const PrintTotals& totals() const { return totals_[grouping_]; }

private:
    UINT initList(HWND hwnd, UINT controlId);
    UINT initGrouping(HWND hwnd, UINT controlId);
    UINT updateList(HWND hwnd, UINT controlId);
    UINT chooseGrouping(HWND hwnd, UINT controlId);
    UINT saveCsv(HWND hwnd, UINT controlId);
    UINT close(HWND hwnd, UINT controlId);
    UINT sortByColumn(HWND hwnd, WPARAM wParam, NMHDR* header);

    static const MessageMap::HandlerRow kInitialisers[];
    static const MessageMap::HandlerRow kUpdaters[];
    static const MessageMap::CommandRow kCommands[];
    static const MessageMap::NotifyRow kNotifications[];

    PrintTotals totals_[3];
    int grouping_ = kTotalsByUser;
    int sortColumn_ = kTotalsSheets;
    // As in the main list: every column starts descending (1), a click reverses it.
    UINT directions_[kTotalsColumnCount] = {1, 1, 1, 1, 1, 1};
};
