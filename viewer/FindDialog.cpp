#include "viewer/FindDialog.h"

#include "framework/EditControl.h"
#include "resources/ReportDialogIds.h"
#include "viewer/PrintLogWindow.h"

const MessageMap::HandlerRow FindDialog::kInitialisers[] = {
    {IDC_FIND_TEXT, &FindDialog::initText},
};

const MessageMap::CommandRow FindDialog::kCommands[] = {
    {IDC_FIND_NEXT, BN_CLICKED, &FindDialog::findNext},
    {IDC_FIND_PREVIOUS, BN_CLICKED, &FindDialog::findPrevious},
    {IDCANCEL, BN_CLICKED, &FindDialog::close},
};

const HelpContextPair FindDialog::kHelpTable[] = {
    {IDC_FIND_LABEL, 67}, {IDC_FIND_TEXT, 67}, {IDC_FIND_NEXT, 68}, {IDC_FIND_PREVIOUS, 69}, {IDCANCEL, 70}, {0, 0},
};

FindDialog::FindDialog(HINSTANCE instance, PrintLogWindow* window, const char* helpFilePath, const HelpMap* helpMap)
    : ContextHelpDialog(instance, kHelpTable, helpFilePath, helpMap), window_(window) {
    map_.setInitialisers(kInitialisers);
    map_.setCommands(kCommands);
}

INT_PTR FindDialog::show(HWND parent) { return showTemplate(kTemplateId, parent); }

UINT FindDialog::initText(HWND hwnd, UINT controlId) {
    EditControl edit(::GetDlgItem(hwnd, static_cast<int>(controlId)));
    edit.limitText(kTextLimit);
    edit.setText(lastText_.c_str());
    edit.selectAll();
    edit.release();
    return 0;
}

void FindDialog::search(HWND hwnd, bool forward) {
    // The limit counts characters (Wine's edit control keeps Unicode): two bytes each.
    char text[2 * kTextLimit + 1] = "";
    ::GetDlgItemTextA(hwnd, IDC_FIND_TEXT, text, sizeof text);
    if (text[0] == '\0') return;
    lastText_.assign(text);
    lastForward_ = forward;
    if (window_ != nullptr) window_->findInList(text, forward);
}

UINT FindDialog::findNext(HWND hwnd, UINT controlId) {
    (void)controlId;
    search(hwnd, true);
    return 0;
}

UINT FindDialog::findPrevious(HWND hwnd, UINT controlId) {
    (void)controlId;
    search(hwnd, false);
    return 0;
}

UINT FindDialog::close(HWND hwnd, UINT controlId) {
    (void)controlId;
    ::EndDialog(hwnd, IDCANCEL);
    return 0;
}
