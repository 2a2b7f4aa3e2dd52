#include "viewer/PrintLogWindow.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "framework/DummyWindow.h"
#include "framework/Placement.h"
#include "framework/PrivateMessages.h"
#include "app/CommandLine.h"
#include "framework/MenuHandle.h"
#include "presentation/KindPresentation.h"
#include "resources/MenuIds.h"
#include "resources/ResourceIds.h"
#include "help/AboutDialog.h"
#include "services/AccessRights.h"
#include "services/ByteBuffer.h"
#include "help/ContextHelp.h"
#include "services/CriticalSectionLock.h"
#include "viewer/RowIndex.h"
#include "viewer/ViewerTexts.h"
#include "viewer/WindowPlacement.h"

namespace {

constexpr int kColumnCountPlain = 9;
constexpr int kColumnCountAll = 10;
constexpr int kDefaultSortColumn = 7;
constexpr UINT kListStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                            LVS_SHOWSELALWAYS;
constexpr DWORD kListExStyle = LVS_EX_FULLROWSELECT | LVS_EX_REGIONAL;
// A batch this large is applied with the list view's redraw switched off: each insertion
// or deletion in a list that redraws costs about as much as redrawing it once.
constexpr size_t kQuietBatch = 2;

const HelpContextPair kMainHelpTable[] = {
    {kStatusBarId, 4},
    {kListViewId, 3},
    {0, 0},
};

const MessageMap::HandlerRow kUpdaters[] = {
    {kListViewId, &PrintLogWindow::syncRows},
    {IDM_SHOW_LOG_INFO, &PrintLogWindow::updateShowInfo},
    {IDM_CLEAR_ALL, &PrintLogWindow::updateClearAll},
    {IDM_REFRESH, &PrintLogWindow::updateRefresh},
    {kStatusBarId, &PrintLogWindow::updateStatus},
};

const MessageMap::CommandRow kCommands[] = {
    {IDM_CLOSE, 0, &PrintLogWindow::onClose},
    {IDM_CONTEXT_HELP, 0, &PrintLogWindow::onContextHelp},
    {IDM_SETTINGS, 0, &PrintLogWindow::onSettings},
    {IDM_SHOW_LOG_INFO, 0, &PrintLogWindow::onShowLogInfo},
    {IDM_REFRESH, 0, &PrintLogWindow::onRefresh},
    {IDM_CLEAR_ALL, 0, &PrintLogWindow::onClearAll},
    {IDM_REFRESH, kAutoUpdateCode, &PrintLogWindow::onTick},
    {IDM_CLEAR_ALL, kAutoUpdateCode, &PrintLogWindow::onTick},
    {IDM_HELP_CONTENTS, 0, &PrintLogWindow::onHelpContents},
    {IDM_ABOUT, 0, &PrintLogWindow::onAbout},
    {IDM_EXPORT_CSV, 0, &PrintLogWindow::onExportCsv},
    {IDM_TOTALS, 0, &PrintLogWindow::onTotals},
    {IDM_FIND, 0, &PrintLogWindow::onFind},
    {IDM_FIND_AGAIN, 0, &PrintLogWindow::onFindAgain},
};

const MessageMap::NotifyRow kNotifications[] = {
    {kListViewId, UINT(NM_DBLCLK), &PrintLogWindow::onListActivate},
    {kListViewId, UINT(NM_RETURN), &PrintLogWindow::onListActivate},
    {kListViewId, UINT(LVN_ITEMCHANGED), &PrintLogWindow::onItemChanged},
    {kListViewId, UINT(LVN_COLUMNCLICK), &PrintLogWindow::onColumnClick},
    {kListViewId, UINT(LVN_KEYDOWN), &PrintLogWindow::onListKeyDown},
    {kListViewId, UINT(LVN_KEYDOWN), &PrintLogWindow::onReportKeyDown},
};

const MessageMap::HandlerRow kContextMenus[] = {
    {kStatusBarId, &PrintLogWindow::onContextMenu},
    {kListViewId, &PrintLogWindow::onContextMenu},
};

bool isNumericColumn(int column) { return column == 3 || column == 4 || column == 5 || column == 9; }

}  // namespace

PrintLogWindow::PrintLogWindow(HINSTANCE instance, int argc, char** argv)
    : RegisteredWindow(instance),
      store_(),
      infoDialog_(instance, &listView_),
      settingsDialog_(instance, &store_),
      statusBar_(instance),
      listView_(instance),
      findDialog_(instance, this, helpFilePath_, &helpMap_) {
    helpFilePath_[0] = '\0';
    errorMessage_ = ::RegisterWindowMessageA(kErrorMessageName);
    parseArguments(argc, argv);
    if (mode_ != kModeIntake) {
        HANDLE mutex = ::CreateMutexA(NULL, TRUE, kSingleInstanceMutex);
        if (mutex && ::GetLastError() == ERROR_ALREADY_EXISTS) {
            alreadyRunning_ = 1;
            ::CloseHandle(mutex);
        } else {
            // Without a handle this viewer still runs as the first one.
            instanceMutex_ = mutex;
            map_.setUpdaters(kUpdaters);
            map_.setCommands(kCommands);
            map_.setNotifications(kNotifications);
            map_.setContextMenus(kContextMenus);
            ::InitializeCriticalSection(&rowLock_);
            rowLockReady_ = true;
            destroyEvent_ = ::CreateEventA(NULL, FALSE, FALSE, kDestroyEventName);
            setupEvent_ = ::CreateEventA(NULL, FALSE, FALSE, kSetupEventName);
            if (destroyEvent_ && setupEvent_) worker_.start(&PrintLogWindow::autoUpdateWorker, this);
        }
    }
    store_.setPendingValueName(pendingName_);
    if (buildHelpFilePath(NULL, helpFilePath_, sizeof helpFilePath_)) {
        wchar_t widePath[MAX_PATH];
        if (::MultiByteToWideChar(CP_ACP, 0, helpFilePath_, -1, widePath, MAX_PATH) > 0)
            deferHelpMap(widePath, &helpMap_);
    }
    infoDialog_.setHelpMap(&helpMap_);
    settingsDialog_.setHelpMap(&helpMap_);
}

PrintLogWindow::~PrintLogWindow() {
    freeHelpMap(&helpMap_);
    if (mode_ != kModeIntake && !alreadyRunning_) {
        if (destroyEvent_) ::SetEvent(destroyEvent_);
        for (DWORD waited = 0; worker_.isRunning() && waited <= 3000; waited += 100) ::Sleep(100);
        if (destroyEvent_) ::CloseHandle(destroyEvent_);
        if (setupEvent_) ::CloseHandle(setupEvent_);
        destroyEvent_ = setupEvent_ = NULL;
        if (rowLockReady_) ::DeleteCriticalSection(&rowLock_);
        rowLockReady_ = false;
        if (instanceMutex_) {
            ::ReleaseMutex(instanceMutex_);
            ::CloseHandle(instanceMutex_);
        }
        instanceMutex_ = NULL;
    }
    worker_.stop();
}

void PrintLogWindow::parseArguments(int argc, char** argv) {
    CommandLine line = parseCommandLine(argc, argv);
    mode_ = line.mode;
    pendingName_ = line.pendingName;
    errorKindArgument_ = line.errorKind;
}

void PrintLogWindow::setAllView(DWORD on) {
    allView_ = on;
    store_.setAllRecords(on);
}

HWND PrintLogWindow::createWindow(int showCommand) {
    HICON icon = ::LoadIconA(NULL, IDI_APPLICATION);
    if (!registerClass(kMainClassName, icon, ::LoadCursorA(NULL, IDC_ARROW),
                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), MAKEINTRESOURCEA(IDR_MAIN_MENU)))
        return NULL;
    return create(kMainClassName, NULL, NULL, showCommand, WS_OVERLAPPEDWINDOW, 0);
}

int PrintLogWindow::run(int showCommand) {
    if (!createWindow(showCommand)) return 0;
    MSG msg;
    while (::GetMessageA(&msg, NULL, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

LRESULT PrintLogWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        onCreate(hwnd);
        // A write-error start of kind 5 closes the window during its own creation.
        if (::IsWindow(hwnd)) map_.initialise(this);
        return 0;
    case WM_DESTROY:
        savePlacement(hwnd);
        if (images_) {
            // The window owns the list: the list view must not destroy it a second time.
            listView_.detachImageList(LVSIL_SMALL);
            ::ImageList_Destroy(images_);
            images_ = NULL;
        }
        saveColumnWidths(listView_.hwnd());
        // Emptied while this window still answers its notices (one for all rows, below);
        // destroyed full, the list would notify its unbound parent row by row.
        listView_.deleteAllItems();
        ::PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        onSize(hwnd, wParam, lParam);
        return 0;
    case WM_SETFOCUS:
        if (listView_.itemCount() > 0) listView_.setFocus();
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            // Every close goes through the close command and its question.
            ::SendMessageA(hwnd, WM_COMMAND, IDM_CLOSE, 0);
            return 0;
        }
        break;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->idFrom != kListViewId) break;
        if (header->code == UINT(LVN_GETDISPINFOA)) {
            answerCellText(*reinterpret_cast<NMLVDISPINFOA*>(lParam));
            return 0;
        }
        // Nothing here follows single deletions: one notice when the list is emptied.
        if (header->code == UINT(LVN_DELETEALLITEMS)) return TRUE;
        break;
    }
    case kDialogOpenedMessage:
    case kDialogClosedMessage:
        // The settings dialog announces itself as 119 on 6.x; the status text follows it too.
        if (lParam == 117 || lParam == 118 || lParam == 119) {
            map_.markPending(kStatusBarId);
            ::SendMessageA(hwnd, kRunPendingMessage, 0, 0);
        }
        return 0;
    default:
        if (message == errorMessage_ && errorMessage_) {
            showWarning(kWarnWrite, static_cast<int>(lParam));
            return 0;
        }
        break;
    }
    return map_.routeMessage(this, hwnd, message, wParam, lParam);
}

int PrintLogWindow::onCreate(HWND hwnd) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&controls);
    ::SetWindowTextA(hwnd, kMainTitle);
    ::SendMessageA(hwnd, WM_SETICON, ICON_BIG,
                   reinterpret_cast<LPARAM>(::LoadIconA(instance_, MAKEINTRESOURCEA(IDI_APPLICATION_LOG))));
    RECT work;
    getWorkArea(&work);
    restorePlacement(hwnd, work);

    statusBar_.create(hwnd, kStatusBarId);
    if (listView_.create(hwnd, kListViewId)) {
        listView_.setStyle(kListStyle);
        listView_.addExStyle(kListExStyle);
        createColumns();
        images_ = ::ImageList_Create(16, 16, ILC_COLOR4 | ILC_MASK, 2, 2);
        if (images_) {
            listView_.setImageList(images_, LVSIL_SMALL);
            for (size_t i = 0; i < kKindPresentationCount; ++i) {
                HICON icon = static_cast<HICON>(::LoadImageA(instance_, MAKEINTRESOURCEA(kKindPresentations[i].iconId),
                                                             IMAGE_ICON, 16, 16, 0));
                if (icon) {
                    ::ImageList_AddIcon(images_, icon);
                    ::DestroyIcon(icon);
                }
            }
        }
        // Created with no size: the first layout happens here, not only at WM_SIZE.
        RECT client;
        ::GetClientRect(hwnd, &client);
        onSize(hwnd, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
        listView_.setFocus();
    }
    infoDialog_.setOwner(hwnd);
    reloadLog(0);
    return 0;
}

void PrintLogWindow::onSize(HWND hwnd, WPARAM sizeType, LPARAM lParam) {
    (void)hwnd;
    if (statusBar_.hwnd()) ::SendMessageA(statusBar_.hwnd(), WM_SIZE, sizeType, lParam);
    int barHeight = 0;
    if (statusBar_.hwnd()) {
        RECT bar;
        ::GetClientRect(statusBar_.hwnd(), &bar);
        barHeight = bar.bottom - bar.top;
    }
    int height = HIWORD(lParam) - barHeight;
    if (listView_.hwnd()) ::MoveWindow(listView_.hwnd(), 0, 0, LOWORD(lParam), height > 0 ? height : 0, TRUE);
}

void PrintLogWindow::createColumns() {
    const int count = allView_ ? kColumnCountAll : kColumnCountPlain;
    LVCOLUMNA columns[kColumnCountAll];
    std::memset(columns, 0, sizeof columns);
    for (int i = 0; i < count; ++i) {
        columns[i].mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        columns[i].fmt = LVCFMT_LEFT;
        columns[i].cx = i == 0 ? 130 : 50;
        columns[i].pszText = const_cast<char*>(kColumnHeaders[i]);
        columns[i].iSubItem = i;
    }
    listView_.insertColumns(columns, count, 0);
    int widths[kColumnCountAll];
    for (int i = 0; i < count; ++i)
        widths[i] = kColumnMeasures[i] ? listView_.stringWidth(kColumnMeasures[i]) + 20 : 120;
    // Every column of the table, the job ID column included, takes a saved width.
    loadColumnWidths(widths, count);
    for (int i = 0; i < count; ++i) listView_.setColumnWidth(i, widths[i]);
    sortColumn_ = kDefaultSortColumn;
}

// A row holds its image and its view; the list view asks for the texts of its cells when
// it needs them (LVN_GETDISPINFO), so a row is one message to fill and its texts are never
// copied into the list.
void PrintLogWindow::fillRow(LogRecordView& view, int index, bool insert) {
    LVITEMA item;
    std::memset(&item, 0, sizeof item);
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = index;
    item.pszText = LPSTR_TEXTCALLBACKA;
    item.iImage = view.imageIndex();
    item.lParam = reinterpret_cast<LPARAM>(&view);
    if (insert) {
        ::SendMessageA(listView_.hwnd(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    } else {
        ::SendMessageA(listView_.hwnd(), LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        ::SendMessageA(listView_.hwnd(), LVM_REDRAWITEMS, index, index);
    }
}

void PrintLogWindow::answerCellText(NMLVDISPINFOA& info) {
    LVITEMA& item = info.item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
    item.pszText[0] = '\0';
    // Rows that the store freed since the last synchronisation may still be listed: they
    // show nothing until it removes them.
    if (store_.list().releases() != shownReleases_) return;
    const int columns = allView_ ? kColumnCountAll : kColumnCountPlain;
    LPARAM data = item.lParam ? item.lParam : listView_.itemData(item.iItem);
    if (!data || item.iSubItem < 0 || item.iSubItem >= columns) return;
    char jobText[16];
    const char* text = reinterpret_cast<const LogRecordView*>(data)->columnText(item.iSubItem, jobText, sizeof jobText);
    ::lstrcpynA(item.pszText, text, item.cchTextMax);
}

// Applies the store's row states to the list view in one pass over each: rows are found
// through the row index by their view, gone rows are deleted from the bottom up, and new
// rows go to the top (the store's last one topmost).
UINT PrintLogWindow::syncRows(HWND hwnd, UINT id) {
    (void)hwnd;
    (void)id;
    if (!listView_.hwnd() || !rowLockReady_) return 0;
    CriticalSectionLock lock(rowLock_);
    HWND list = listView_.hwnd();
    if (!store_.count()) {
        listView_.deleteAllItems();
        rowIndex_.invalidate();
        store_.removeGoneRows();
        shownReleases_ = store_.list().releases();
        return 0;
    }
    size_t changes = 0;
    for (LogRecordNode* n = store_.firstNode(); n; n = n->next) {
        int s = n->view.rowState;
        if (s == ROW_NEW || s == ROW_CHANGED || s == ROW_GONE || s == ROW_HIDDEN) ++changes;
    }
    if (!changes) {
        store_.removeGoneRows();
        shownReleases_ = store_.list().releases();
        map_.markPending(kStatusBarId);
        return 0;
    }
    const int rows = listView_.itemCount();
    // Without the index (or memory for the batch) every row is found and changed at once.
    bool indexed = rowIndex_.matches(listView_) || rowIndex_.readFrom(listView_);
    // Deletions and insertions wait for the end of the pass, so the index stays true while
    // it is used.
    ByteBuffer doomed, inserts, fresh;
    if (!doomed.allocate(size_t(rows > 0 ? rows : 0) + 1) || !inserts.allocate(changes * sizeof(LogRecordNode*)) ||
        !fresh.allocate(changes * sizeof(LPARAM)))
        indexed = false;
    const bool quiet = changes >= kQuietBatch;
    if (quiet) ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);

    size_t insertCount = 0;
    for (LogRecordNode* n = store_.firstNode(); n; n = n->next) {
        LogRecordView& view = n->view;
        if (view.rowState == ROW_CURRENT) continue;
        const LPARAM data = reinterpret_cast<LPARAM>(&view);
        int found = -1;
        if (view.rowState != ROW_NEW) found = indexed ? rowIndex_.find(data) : listView_.findItemByData(data, -1);
        switch (view.rowState) {
        case ROW_NEW:
        case ROW_CHANGED:
            if (found >= 0)
                fillRow(view, found, false);
            else if (indexed)
                reinterpret_cast<LogRecordNode**>(inserts.data())[insertCount++] = n;
            else
                fillRow(view, 0, true);
            view.rowState = ROW_CURRENT;
            break;
        default:
            if (found >= 0 && indexed) doomed.data()[found] = 1;
            else if (found >= 0) listView_.deleteItem(found);
            break;
        }
    }
    for (int i = rows - 1; i >= 0 && indexed; --i)
        if (doomed.data()[i]) listView_.deleteItem(i);
    // Each new row goes on top, so the last one of the store ends up first. Inserting them
    // last-first, each below the one before, gives that order without moving the rows
    // already inserted (into an empty list every insert is an append).
    LogRecordNode** pending = reinterpret_cast<LogRecordNode**>(inserts.data());
    for (size_t i = 0; i < insertCount; ++i) {
        LogRecordView& view = pending[insertCount - 1 - i]->view;
        fillRow(view, int(i), true);
        reinterpret_cast<LPARAM*>(fresh.data())[i] = reinterpret_cast<LPARAM>(&view);
    }
    if (!indexed || !rowIndex_.update(doomed.data(), reinterpret_cast<const LPARAM*>(fresh.data()), insertCount) ||
        rowIndex_.rows() != size_t(listView_.itemCount()))
        rowIndex_.invalidate();

    if (quiet) {
        ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(list, NULL, TRUE);
    }
    store_.removeGoneRows();
    shownReleases_ = store_.list().releases();
    map_.markPending(kStatusBarId);
    return 0;
}

void PrintLogWindow::enableMenuItem(HWND hwnd, UINT id, bool on) {
    HMENU menu = ::GetMenu(hwnd);
    HMENU popup = menu ? ::GetSubMenu(menu, 0) : NULL;
    if (popup) ::EnableMenuItem(popup, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

UINT PrintLogWindow::updateShowInfo(HWND hwnd, UINT id) {
    enableMenuItem(hwnd, id, listView_.selectedIndex() >= 0);
    return 0;
}

UINT PrintLogWindow::updateClearAll(HWND hwnd, UINT id) {
    FileAccessor probe;
    probe.setName(store_.logPath(), 0);
    bool writable = probe.existsForWriting(0) != 0;
    DWORD level = writable ? getUserGroupLevel() : 0;
    enableMenuItem(hwnd, id, writable && (level == GROUP_ADMINISTRATORS || level == GROUP_POWER_USERS) && canAutoUpdate());
    return 0;
}

UINT PrintLogWindow::updateRefresh(HWND hwnd, UINT id) {
    enableMenuItem(hwnd, id, canAutoUpdate());
    return 0;
}

UINT PrintLogWindow::updateStatus(HWND hwnd, UINT id) {
    (void)hwnd;
    (void)id;
    char text[128];
    int n = std::snprintf(text, sizeof text, kStatusFormat, listView_.itemCount());
    if (!canAutoUpdate() && n > 0 && size_t(n) < sizeof text)
        std::snprintf(text + n, sizeof text - size_t(n), "%s", kStatusSuppressed);
    statusBar_.setText(text);
    return 0;
}

UINT PrintLogWindow::onListActivate(HWND hwnd, WPARAM wParam, NMHDR* header) {
    (void)wParam;
    ::PostMessageA(hwnd, WM_COMMAND, IDM_SHOW_LOG_INFO, reinterpret_cast<LPARAM>(header->hwndFrom));
    return 0;
}

UINT PrintLogWindow::onItemChanged(HWND hwnd, WPARAM wParam, NMHDR* header) {
    (void)hwnd;
    (void)wParam;
    (void)header;
    if (infoDialog_.isActive()) infoDialog_.refresh();
    map_.markPending(IDM_SHOW_LOG_INFO);
    return 0;
}

UINT PrintLogWindow::onColumnClick(HWND hwnd, WPARAM wParam, NMHDR* header) {
    (void)hwnd;
    (void)wParam;
    sortColumn_ = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
    sortRows(true);
    return 0;
}

UINT PrintLogWindow::onListKeyDown(HWND hwnd, WPARAM wParam, NMHDR* header) {
    (void)wParam;
    if (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_F5) onRefresh(hwnd, IDM_REFRESH);
    return 0;
}

void PrintLogWindow::sortRows(bool reverse) {
    if (!rowLockReady_) return;
    CriticalSectionLock lock(rowLock_);
    rowIndex_.invalidate();
    listView_.sortByColumn(sortColumn_, isNumericColumn(sortColumn_) ? 1 : 0, reverse ? 2 : 3);
}

void PrintLogWindow::openHelpTopic(HWND hwnd, DWORD contextId) {
    showHelpTopic(hwnd, helpFilePath_, &helpMap_, contextId);
}

UINT PrintLogWindow::onContextMenu(HWND hwnd, UINT id) {
    POINT cursor;
    ::GetCursorPos(&cursor);
    POINT client = cursor;
    ::ScreenToClient(hwnd, &client);
    LVHITTESTINFO hit;
    std::memset(&hit, 0, sizeof hit);
    hit.pt = client;
    int item = static_cast<int>(::SendMessageA(listView_.hwnd(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    bool onItem = item >= 0 && (hit.flags & LVHT_ONITEM);
    RECT headerRect = {0, 0, 0, 0};
    HWND header = ::GetWindow(listView_.hwnd(), GW_CHILD);
    if (header) ::GetWindowRect(header, &headerRect);
    const LONG headerHeight = headerRect.bottom - headerRect.top;
    const bool inHeader = client.y >= 0 && client.y < headerHeight;
    if (onItem && !inHeader) {
        MenuHandle menu(::LoadMenuA(instance_, MAKEINTRESOURCEA(IDR_ROW_MENU)));
        menu.trackPopup(hwnd, true, IDM_SHOW_LOG_INFO);
        return 0;
    }
    if (!trackHelpPopupMenu(instance_, hwnd)) return 0;
    openHelpTopic(hwnd, inHeader ? 2 : findHelpContextId(id, kMainHelpTable));
    return 0;
}

UINT PrintLogWindow::onContextHelp(HWND hwnd, UINT id) {
    (void)id;
    setBusy(true);
    HWND focus = ::GetFocus();
    DWORD contextId = focus ? findHelpContextId(static_cast<DWORD>(::GetDlgCtrlID(focus)), kMainHelpTable) : 0;
    if (contextId) openHelpTopic(hwnd, contextId);
    setBusy(false);
    return 1;
}

UINT PrintLogWindow::onHelpContents(HWND hwnd, UINT id) {
    (void)id;
    setBusy(true);
    if (!HtmlHelpA(NULL, helpFilePath_, HH_DISPLAY_TOC, 0)) showHelpFileMissing(hwnd, helpFilePath_);
    setBusy(false);
    return 1;
}

UINT PrintLogWindow::onAbout(HWND hwnd, UINT id) {
    (void)id;
    AboutDialog about(instance_);
    about.show(hwnd);
    return 1;
}

UINT PrintLogWindow::onShowLogInfo(HWND hwnd, UINT id) {
    (void)id;
    if (infoDialog_.isActive()) {
        infoDialog_.bringToFront();
        return 0;
    }
    if (listView_.selectedIndex() < 0) return 0;
    DummyWindow* owner = new (std::nothrow) DummyWindow(instance_, &infoDialog_);
    if (!owner) return 0;
    enableMenuItem(hwnd, IDM_REFRESH, false);
    enableMenuItem(hwnd, IDM_CLEAR_ALL, false);
    owner->run();
    delete owner;
    return 1;
}
