#include "help/AboutDialog.h"

#include "framework/Placement.h"
#include "resources/AboutDialogIds.h"
#include "services/VersionStrings.h"

const MessageMap::HandlerRow AboutDialog::kInitialisers[] = {
    {IDC_ABOUT_DESCRIPTION, &AboutDialog::setDescription},
    {IDC_ABOUT_VERSION, &AboutDialog::setVersion},
    {IDC_ABOUT_COPYRIGHT, &AboutDialog::setCopyright},
};

const MessageMap::CommandRow AboutDialog::kCommands[] = {
    {IDOK, BN_CLICKED, &AboutDialog::closeWithOk},
    {IDCANCEL, BN_CLICKED, &AboutDialog::closeWithCancel},
};

AboutDialog::AboutDialog(HINSTANCE instance) : DialogBase(instance) {
    map_.setInitialisers(kInitialisers);
    map_.setCommands(kCommands);
    // Whatever was not read stays empty, and the dialog then shows an empty field: the box
    // is informational and opens without a version resource too.
    readVersionStrings(nullptr, fileDescription_, fileVersion_, legalCopyright_);
}

INT_PTR AboutDialog::show(HWND parent) { return showTemplate(IDD_ABOUT, parent); }

LRESULT AboutDialog::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) centerWindowInWorkArea(hwnd, ::GetParent(hwnd));
    return map_.routeMessage(this, hwnd, message, wParam, lParam);
}

// The template's stand-in texts are always replaced, by an empty text when nothing was read.
UINT AboutDialog::setDescription(HWND hwnd, UINT controlId) {
    ::SetDlgItemTextA(hwnd, controlId, fileDescription_.c_str());
    return 0;
}

UINT AboutDialog::setVersion(HWND hwnd, UINT controlId) {
    ::SetDlgItemTextA(hwnd, controlId, fileVersion_.c_str());
    return 0;
}

UINT AboutDialog::setCopyright(HWND hwnd, UINT controlId) {
    ::SetDlgItemTextA(hwnd, controlId, legalCopyright_.c_str());
    return 0;
}

UINT AboutDialog::closeWithOk(HWND hwnd, UINT controlId) {
    (void)controlId;
    ::EndDialog(hwnd, IDOK);
    return 1;
}

UINT AboutDialog::closeWithCancel(HWND hwnd, UINT controlId) {
    (void)controlId;
    ::EndDialog(hwnd, IDCANCEL);
    return 0;
}
