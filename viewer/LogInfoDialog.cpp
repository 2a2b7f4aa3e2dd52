#include "viewer/LogInfoDialog.h"

#include <cstdio>
#include <cstring>

#include "framework/ButtonControl.h"
#include "framework/MenuHandle.h"
#include "framework/Placement.h"
#include "framework/PrivateMessages.h"
#include "presentation/PresentationTexts.h"
#include "resources/LogInfoDialogIds.h"
#include "resources/ResourceIds.h"
#include "services/AccessRights.h"
#include "help/ContextHelp.h"
#include "settings/LogSettings.h"
#include "store/FileAccessor.h"

const MessageMap::HandlerRow LogInfoDialog::kInitialisers[] = {
    {IDC_LOGINFO_STEP_UP, &LogInfoDialog::initStepUp},
    {IDC_LOGINFO_STEP_DOWN, &LogInfoDialog::initStepDown},
};

const MessageMap::HandlerRow LogInfoDialog::kUpdaters[] = {
    {IDC_LOGINFO_DATE, &LogInfoDialog::updateDate},
    {IDC_LOGINFO_PRINTER, &LogInfoDialog::updatePrinter},
    {IDC_LOGINFO_USER, &LogInfoDialog::updateUser},
    {IDC_LOGINFO_DOCUMENT, &LogInfoDialog::updateDocument},
    {IDC_LOGINFO_TRAY, &LogInfoDialog::updateTray},
    {IDC_LOGINFO_REQUESTER, &LogInfoDialog::updateRequester},
    {IDC_LOGINFO_STEP_UP, &LogInfoDialog::updateStepUp},
    {IDC_LOGINFO_STEP_DOWN, &LogInfoDialog::updateStepDown},
    {IDC_LOGINFO_ICON, &LogInfoDialog::updateIcon},
    {IDC_LOGINFO_CATEGORY, &LogInfoDialog::updateCategory},
    {IDC_LOGINFO_DETAILS, &LogInfoDialog::updateDetails},
    {IDC_LOGINFO_SHEETS, &LogInfoDialog::updateSheets},
    {IDC_LOGINFO_PAGES, &LogInfoDialog::updatePages},
    {IDC_LOGINFO_MONO, &LogInfoDialog::updateMono},
    {IDC_LOGINFO_COLOUR, &LogInfoDialog::updateColour},
};

const MessageMap::CommandRow LogInfoDialog::kCommands[] = {
    {IDC_LOGINFO_STEP_UP, BN_CLICKED, &LogInfoDialog::stepUp},
    {IDC_LOGINFO_STEP_DOWN, BN_CLICKED, &LogInfoDialog::stepDown},
    {IDOK, BN_CLICKED, &LogInfoDialog::closeWithOk},
    {IDCANCEL, BN_CLICKED, &LogInfoDialog::closeWithCancel},
};

const HelpContextPair LogInfoDialog::kHelpTable[] = {
    {IDC_LOGINFO_ICON, 11},
    {IDC_LOGINFO_DATE_LABEL, 12},      {IDC_LOGINFO_DATE_COLON, 12},      {IDC_LOGINFO_DATE, 12},
    {IDC_LOGINFO_PRINTER_LABEL, 13},   {IDC_LOGINFO_PRINTER_COLON, 13},   {IDC_LOGINFO_PRINTER, 13},
    {IDC_LOGINFO_CATEGORY_LABEL, 14},  {IDC_LOGINFO_CATEGORY_COLON, 14},  {IDC_LOGINFO_CATEGORY, 14},
    {IDC_LOGINFO_DETAILS, 14},
    {IDC_LOGINFO_USER_LABEL, 17},      {IDC_LOGINFO_USER_COLON, 17},      {IDC_LOGINFO_USER, 17},
    {IDC_LOGINFO_DOCUMENT_LABEL, 18},  {IDC_LOGINFO_DOCUMENT_COLON, 18},  {IDC_LOGINFO_DOCUMENT, 18},
    {IDC_LOGINFO_PAGES_LABEL, 19},     {IDC_LOGINFO_PAGES_COLON, 19},     {IDC_LOGINFO_PAGES, 19},
    {IDC_LOGINFO_MONO_LABEL, 24},      {IDC_LOGINFO_MONO_COLON, 24},      {IDC_LOGINFO_MONO, 24},
    {IDC_LOGINFO_COLOUR_LABEL, 25},    {IDC_LOGINFO_COLOUR_COLON, 25},    {IDC_LOGINFO_COLOUR, 25},
    {IDC_LOGINFO_SHEETS_LABEL, 20},    {IDC_LOGINFO_SHEETS_COLON, 20},    {IDC_LOGINFO_SHEETS, 20},
    {IDC_LOGINFO_TRAY_LABEL, 21},      {IDC_LOGINFO_TRAY_COLON, 21},      {IDC_LOGINFO_TRAY, 21},
    {IDC_LOGINFO_REQUESTER_LABEL, 22}, {IDC_LOGINFO_REQUESTER_COLON, 22}, {IDC_LOGINFO_REQUESTER, 22},
    {IDOK, 23},
    {IDC_LOGINFO_STEP_UP, 15},
    {IDC_LOGINFO_STEP_DOWN, 16},
    {0, 0},
};

LogInfoDialog::LogInfoDialog(HINSTANCE instance, ListViewControl* listView)
    : DialogBase(instance), listView_(listView) {
    map_.setInitialisers(kInitialisers);
    map_.setUpdaters(kUpdaters);
    map_.setCommands(kCommands);
    // Without a path (one too long for the buffer) help still runs and shows the missing-file box.
    buildHelpFilePath(instance, helpFilePath_, sizeof helpFilePath_);
}

LogInfoDialog::~LogInfoDialog() { map_.clear(); }

void LogInfoDialog::setOwner(HWND mainWindow) {
    if (mainWindow != NULL) ownerWindow_ = mainWindow;
}

void LogInfoDialog::setHelpMap(const HelpMap* map) {
    if (map != nullptr) helpMap_ = map;
}

INT_PTR LogInfoDialog::show(HWND parent) { return showTemplate(kTemplateId, parent); }

void LogInfoDialog::bringToFront() {
    if (hwnd_ != NULL) ::SetForegroundWindow(hwnd_);
}

void LogInfoDialog::refresh() {
    if (hwnd_ != NULL) ::PostMessageA(hwnd_, kRunAllMessage, 0, 0);
}

void LogInfoDialog::close() {
    if (hwnd_ != NULL) ::SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

LRESULT LogInfoDialog::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        onInit(hwnd);
        map_.initialise(this);
        // Posted after the update handlers' own focus requests, so the dialog opens on OK.
        moveFocusTo(hwnd, IDOK);
        return 1;
    case WM_DESTROY:
        active_ = 0;
        if (ownerWindow_ != NULL)
            ::SendMessageA(ownerWindow_, kDialogClosedMessage, reinterpret_cast<WPARAM>(hwnd), kTemplateId);
        break;
    case WM_HELP: {
        const HELPINFO* info = reinterpret_cast<const HELPINFO*>(lParam);
        if (info != nullptr)
            showControlHelp(hwnd, helpFilePath_, helpMap_, kHelpTable, static_cast<DWORD>(info->iCtrlId));
        break;
    }
    case WM_CONTEXTMENU:
        offerControlHelp(instance_, hwnd, reinterpret_cast<HWND>(wParam), lParam, helpFilePath_, helpMap_,
                         kHelpTable);
        return 1;
    default:
        break;
    }
    return map_.routeMessage(this, hwnd, message, wParam, lParam);
}

void LogInfoDialog::onInit(HWND hwnd) {
    active_ = 1;
    if (ownerWindow_ != NULL)
        ::PostMessageA(ownerWindow_, kDialogOpenedMessage, reinterpret_cast<WPARAM>(hwnd), kTemplateId);
    HICON icon = ::LoadIconA(instance_, MAKEINTRESOURCEA(IDI_APPLICATION_LOG));
    ::SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    centerWindowInWorkArea(hwnd, ownerWindow_);
}

LogRecordView* LogInfoDialog::currentEntry() {
    if (listView_ == nullptr) return nullptr;
    LPARAM data = listView_->selectedData();
    if (data == 0) data = listView_->focusedData();
    LogRecordView* view = reinterpret_cast<LogRecordView*>(data);
    // A view whose parse failed has no fields to show.
    if (view == nullptr || view->record == nullptr) return nullptr;
    return view;
}

int LogInfoDialog::currentIndex() {
    if (listView_ == nullptr) return -1;
    int index = listView_->selectedIndex();
    return index >= 0 ? index : listView_->focusedIndex();
}

void LogInfoDialog::moveFocusTo(HWND hwnd, UINT controlId) {
    HWND control = ::GetDlgItem(hwnd, static_cast<int>(controlId));
    if (control != NULL) ::PostMessageA(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), 1);
}

void LogInfoDialog::setText(HWND hwnd, UINT controlId, const char* text) {
    ::SetDlgItemTextA(hwnd, static_cast<int>(controlId), text != nullptr ? text : "");
}

void LogInfoDialog::enable(HWND hwnd, UINT controlId, bool on) {
    HWND control = ::GetDlgItem(hwnd, static_cast<int>(controlId));
    if (control != NULL) ::EnableWindow(control, on ? TRUE : FALSE);
}

void LogInfoDialog::showCount(HWND hwnd, const LogRecordView& view, int32_t count, const char* format,
                              UINT valueId, UINT labelId, UINT colonId) {
    bool labelsOn;
    if (count == -1) {
        setText(hwnd, valueId, "");
        enable(hwnd, valueId, false);
        // A notice never has counts, so its labels stay readable; an ordinary record's
        // missing count greys the whole line.
        labelsOn = (view.record->flags & FLAG_NOTICE) != 0;
    } else {
        char text[32];
        std::snprintf(text, sizeof text, format, count);
        setText(hwnd, valueId, text);
        enable(hwnd, valueId, true);
        labelsOn = true;
    }
    enable(hwnd, labelId, labelsOn);
    enable(hwnd, colonId, labelsOn);
}

void LogInfoDialog::resetOwnerMenu() {
    HMENU bar = ownerWindow_ != NULL ? ::GetMenu(ownerWindow_) : NULL;
    HMENU first = bar != NULL ? ::GetSubMenu(bar, 0) : NULL;
    if (first == NULL) return;
    MenuHandle popup(first);
    popup.enable(kRefreshCommand, true);
    popup.enable(kClearAllCommand, true);

    // The settings dialog may have moved the log since this object was built: probe the
    // file the settings name now, and the one known at construction only when they name none.
    LogSettings settings;
    settings.load();
    if (!settings.logName.empty()) logStore_.setLogPath(settings.logName.c_str());
    FileAccessor probe(logStore_.logPath());
    uint32_t group = getUserGroupLevel();
    if (!probe.existsForWriting(0) || (group != GROUP_ADMINISTRATORS && group != GROUP_POWER_USERS))
        popup.enable(kClearAllCommand, false);
    popup.release();  // the menu belongs to the main window
}

// Initialisation handlers.

UINT LogInfoDialog::initStepUp(HWND hwnd, UINT controlId) {
    ButtonControl button(::GetDlgItem(hwnd, static_cast<int>(controlId)));
    button.setIcon(::LoadIconA(instance_, MAKEINTRESOURCEA(IDI_STEP_UP)));
    button.release();
    return 0;
}

UINT LogInfoDialog::initStepDown(HWND hwnd, UINT controlId) {
    ButtonControl button(::GetDlgItem(hwnd, static_cast<int>(controlId)));
    button.setIcon(::LoadIconA(instance_, MAKEINTRESOURCEA(IDI_STEP_DOWN)));
    button.release();
    return 0;
}

// Update handlers: each shows the current entry and leaves its controls alone without one.

UINT LogInfoDialog::updateDate(HWND hwnd, UINT controlId) {
    LogRecordView* view = currentEntry();
    if (view != nullptr) setText(hwnd, controlId, view->dateText);
    return 0;
}

UINT LogInfoDialog::updatePrinter(HWND hwnd, UINT controlId) {
    LogRecordView* view = currentEntry();
    if (view != nullptr) setText(hwnd, controlId, view->printerName);
    return 0;
}

UINT LogInfoDialog::updateUser(HWND hwnd, UINT controlId) {
    LogRecordView* view = currentEntry();
    if (view != nullptr) setText(hwnd, controlId, view->userName);
    return 0;
}

UINT LogInfoDialog::updateDocument(HWND hwnd, UINT controlId) {
    LogRecordView* view = currentEntry();
    if (view != nullptr) setText(hwnd, controlId, view->documentName);
    return 0;
}

UINT LogInfoDialog::updateTray(HWND hwnd, UINT controlId) {
    LogRecordView* view = currentEntry();
    if (view == nullptr) return 0;
    setText(hwnd, controlId, view->trayText);
    bool valid = std::strcmp(view->trayText, kTrayInvalid) != 0;
    HWND value = ::GetDlgItem(hwnd, static_cast<int>(controlId));
    if (value != NULL) ::ShowWindow(value, valid ? SW_SHOW : SW_HIDE);
    enable(hwnd, controlId, valid);
    enable(hwnd, IDC_LOGINFO_TRAY_LABEL, valid);
    enable(hwnd, IDC_LOGINFO_TRAY_COLON, valid);
    return 0;
}

UINT LogInfoDialog::updateRequester(HWND hwnd, UINT controlId) {
    LogRecordView* view = currentEntry();
    if (view != nullptr) setText(hwnd, controlId, view->requesterName);
    return 0;
}

UINT LogInfoDialog::updateStepUp(HWND hwnd, UINT controlId) {
    if (currentEntry() == nullptr) return 0;
    bool on = currentIndex() >= 1;
    enable(hwnd, controlId, on);
    // A disabled button must not keep the focus.
    if (!on) moveFocusTo(hwnd, listView_->itemCount() >= 2 ? IDC_LOGINFO_STEP_DOWN : IDOK);
    return 0;
}

UINT LogInfoDialog::updateStepDown(HWND hwnd, UINT controlId) {
    if (currentEntry() == nullptr) return 0;
    int count = listView_->itemCount();
    bool on = currentIndex() < count - 1;
    enable(hwnd, controlId, on);
    if (!on) moveFocusTo(hwnd, count >= 2 ? IDC_LOGINFO_STEP_UP : IDOK);
    return 0;
}

UINT LogInfoDialog::updateIcon(HWND hwnd, UINT controlId) {
    LogRecordView* view = currentEntry();
    if (view == nullptr) return 0;
    uint32_t iconId = LogRecordView::kindIconId(static_cast<uint32_t>(view->record->eventKind));
    // Kinds without an icon clear the picture.
    HICON icon = iconId != 0 ? ::LoadIconA(instance_, MAKEINTRESOURCEA(iconId)) : NULL;
    ::SendDlgItemMessageA(hwnd, static_cast<int>(controlId), STM_SETIMAGE, IMAGE_ICON,
                          reinterpret_cast<LPARAM>(icon));
    return 0;
}

UINT LogInfoDialog::updateCategory(HWND hwnd, UINT controlId) {
    LogRecordView* view = currentEntry();
    if (view != nullptr) setText(hwnd, controlId, view->dialogCategoryText());
    return 0;
}

UINT LogInfoDialog::updateDetails(HWND hwnd, UINT controlId) {
    LogRecordView* view = currentEntry();
    if (view != nullptr) setText(hwnd, controlId, view->detailsText());
    return 0;
}

UINT LogInfoDialog::updateSheets(HWND hwnd, UINT controlId) {
    LogRecordView* view = currentEntry();
    if (view != nullptr)
        showCount(hwnd, *view, view->record->sheetsPrinted, kDialogSheetsFormat, controlId,
                  IDC_LOGINFO_SHEETS_LABEL, IDC_LOGINFO_SHEETS_COLON);
    return 0;
}

UINT LogInfoDialog::updatePages(HWND hwnd, UINT controlId) {
    LogRecordView* view = currentEntry();
    if (view == nullptr) return 0;
    const char* text = view->pagesDetailText();
    setText(hwnd, controlId, text);
    bool shown = text != nullptr && text[0] != '\0';
    bool labelsOn = shown || (view->record->flags & FLAG_NOTICE) != 0;
    enable(hwnd, controlId, shown);
    enable(hwnd, IDC_LOGINFO_PAGES_LABEL, labelsOn);
    enable(hwnd, IDC_LOGINFO_PAGES_COLON, labelsOn);
    return 0;
}

UINT LogInfoDialog::updateMono(HWND hwnd, UINT controlId) {
    LogRecordView* view = currentEntry();
    if (view != nullptr)
        showCount(hwnd, *view, view->record->monoPages, kDialogPagesFormat, controlId,
                  IDC_LOGINFO_MONO_LABEL, IDC_LOGINFO_MONO_COLON);
    return 0;
}

UINT LogInfoDialog::updateColour(HWND hwnd, UINT controlId) {
    LogRecordView* view = currentEntry();
    if (view != nullptr)
        showCount(hwnd, *view, view->record->colourPages, kDialogPagesFormat, controlId,
                  IDC_LOGINFO_COLOUR_LABEL, IDC_LOGINFO_COLOUR_COLON);
    return 0;
}

// Commands.

UINT LogInfoDialog::stepUp(HWND hwnd, UINT) {
    int index = currentIndex();
    return stepTo(hwnd, index > 0 ? index - 1 : index);
}

UINT LogInfoDialog::stepDown(HWND hwnd, UINT) {
    int index = currentIndex();
    int count = listView_ != nullptr ? listView_->itemCount() : 0;
    return stepTo(hwnd, index + 1 < count ? index + 1 : index);
}

UINT LogInfoDialog::stepTo(HWND, int index) {
    if (listView_ != nullptr) listView_->selectItem(index);
    // Every field follows the new row once this command returns.
    for (UINT i = 0; i < sizeof kUpdaters / sizeof kUpdaters[0]; ++i) map_.markPending(kUpdaters[i].controlId, 1);
    return 1;
}

UINT LogInfoDialog::closeWithOk(HWND hwnd, UINT) {
    resetOwnerMenu();
    ::EndDialog(hwnd, IDOK);
    return 1;
}

UINT LogInfoDialog::closeWithCancel(HWND hwnd, UINT) {
    resetOwnerMenu();
    ::EndDialog(hwnd, IDCANCEL);
    return 0;
}
