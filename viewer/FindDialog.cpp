#include "viewer/FindDialog.h"

#include "framework/EditControl.h"
#include "framework/Placement.h"
#include "help/ContextHelp.h"
#include "resources/ReportDialogIds.h"
#include "resources/ResourceIds.h"
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
    : DialogBase(instance), window_(window), helpFilePath_(helpFilePath), helpMap_(helpMap) {
    map_.setInitialisers(kInitialisers);
    map_.setCommands(kCommands);
}

FindDialog::~FindDialog() { map_.clear(); }

INT_PTR FindDialog::show(HWND parent) { return showTemplate(kTemplateId, parent); }

LRESULT FindDialog::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        HICON icon = ::LoadIconA(instance_, MAKEINTRESOURCEA(IDI_APPLICATION_LOG));
        ::SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        centerWindowInWorkArea(hwnd, ::GetParent(hwnd));
        break;
    }
    case WM_HELP: {
        const HELPINFO* info = reinterpret_cast<const HELPINFO*>(lParam);
        if (info != nullptr) showHelpFor(hwnd, info->iCtrlId);
        break;
    }
    case WM_CONTEXTMENU: {
        int id = controlIdFromContextMenu(hwnd, reinterpret_cast<HWND>(wParam), lParam);
        if (id != 0 && id != -1 && trackHelpPopupMenu(instance_, hwnd)) showHelpFor(hwnd, id);
        return 1;
    }
    default:
        break;
    }
    return map_.routeMessage(this, hwnd, message, wParam, lParam);
}

void FindDialog::showHelpFor(HWND hwnd, int controlId) {
    showControlHelp(hwnd, helpFilePath_, helpMap_, kHelpTable, static_cast<DWORD>(controlId));
}

UINT FindDialog::initText(HWND hwnd, UINT controlId) {
    EditControl edit(::GetDlgItem(hwnd, static_cast<int>(controlId)));
    edit.limitText(kTextLimit);
    edit.setText(lastText_.c_str());
    edit.selectAll();
    edit.release();
    return 0;
}

void FindDialog::search(HWND hwnd, bool forward) {
    char text[kTextLimit + 1] = "";
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
