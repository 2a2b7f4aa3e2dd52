#pragma once
#include <windows.h>
#include <commctrl.h>

#include "framework/ListViewControl.h"
#include "framework/MessageMap.h"
#include "framework/RegisteredWindow.h"
#include "framework/StatusBarControl.h"
#include "viewer/FindDialog.h"
#include "viewer/LogInfoDialog.h"
#include "help/HelpMap.h"
#include "services/WorkerThread.h"
#include "settings/SettingsDialog.h"
#include "store/PrintLogStore.h"
#include "viewer/RowIndex.h"

enum WarningFamily : int {
    kWarnWrite = 0,  // an intake process could not write the log
    kWarnRead = 1,   // the viewer could not read it
};

constexpr UINT kStatusBarId = 1001;
constexpr UINT kListViewId = 1002;
constexpr WORD kAutoUpdateCode = 3;  // notification code of the watcher's tick

// The application object and main window: it owns the store, the dialogs, the controls
// and the watcher thread, and runs the mode the command line chose.
class PrintLogWindow : public RegisteredWindow {
public:
    PrintLogWindow(HINSTANCE instance, int argc, char** argv);
    ~PrintLogWindow() override;

    LRESULT windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // View and write-error modes: registers the class, creates the window shown with
    // `showCommand` and runs the message loop until WM_QUIT.
    int run(int showCommand);
    // The class and the window alone, without the loop (the loop's caller pumps).
    HWND createWindow(int showCommand);

    int mode() const { return mode_; }
    int errorKindArgument() const { return errorKindArgument_; }
    bool alreadyRunning() const { return alreadyRunning_ != 0; }
    PrintLogStore& store() { return store_; }
    void setAllView(DWORD on);
    const char* helpFilePath() const { return helpFilePath_; }
    UINT errorMessage() const { return errorMessage_; }
    ListViewControl& listView() { return listView_; }

    // Watcher.
    static DWORD WINAPI autoUpdateWorker(void* window);
    bool canAutoUpdate();
    UINT reloadLog(int showSettingsOnReadError);
    void setBusy(bool on) { busy_ = on ? 1 : 0; }
    bool isBusy() const { return busy_ != 0; }

    // Warnings.
    int showWarning(int family, int kind);
    static int showWarningBox(HWND owner, int family, int kind);

    // Update handlers.
    UINT syncRows(HWND hwnd, UINT id);
    UINT updateShowInfo(HWND hwnd, UINT id);
    UINT updateClearAll(HWND hwnd, UINT id);
    UINT updateRefresh(HWND hwnd, UINT id);
    UINT updateStatus(HWND hwnd, UINT id);
    // Command handlers.
    UINT onClose(HWND hwnd, UINT id);
    UINT onContextHelp(HWND hwnd, UINT id);
    UINT onSettings(HWND hwnd, UINT id);
    UINT onShowLogInfo(HWND hwnd, UINT id);
    UINT onRefresh(HWND hwnd, UINT id);
    UINT onClearAll(HWND hwnd, UINT id);
    UINT onTick(HWND hwnd, UINT id);
    UINT onHelpContents(HWND hwnd, UINT id);
    UINT onAbout(HWND hwnd, UINT id);
    // CSV export, totals and find (ReportCommands.cpp).
    UINT onExportCsv(HWND hwnd, UINT id);
    UINT onTotals(HWND hwnd, UINT id);
    UINT onFind(HWND hwnd, UINT id);
    UINT onFindAgain(HWND hwnd, UINT id);
    // List view notifications.
    UINT onListActivate(HWND hwnd, WPARAM wParam, NMHDR* header);
    UINT onItemChanged(HWND hwnd, WPARAM wParam, NMHDR* header);
    UINT onColumnClick(HWND hwnd, WPARAM wParam, NMHDR* header);
    UINT onListKeyDown(HWND hwnd, WPARAM wParam, NMHDR* header);
    // Ctrl+S, Ctrl+F and F3 in the list.
    UINT onReportKeyDown(HWND hwnd, WPARAM wParam, NMHDR* header);
    // Context menu of the status bar and the list view.
    UINT onContextMenu(HWND hwnd, UINT id);

    // Sort by the current column; `reverse` turns that column's direction around.
    void sortRows(bool reverse);
    int sortColumn() const { return sortColumn_; }
    // Selects and shows the next row (after the selection, or before it) that contains
    // `text` in one of its cells; says in the status bar when no row does.
    bool findInList(const char* text, bool forward);

    // The last-seen write time; 0 forces the next change check to load.
    void forgetLastWriteTime() { lastWriteLow_ = lastWriteHigh_ = 0; }

private:
    void parseArguments(int argc, char** argv);
    int onCreate(HWND hwnd);
    // Forwards WM_SIZE to the status bar as it came and lays the list view out above it.
    void onSize(HWND hwnd, WPARAM sizeType, LPARAM lParam);
    void createColumns();
    void fillRow(LogRecordView& view, int index, bool insert);
    void answerCellText(NMLVDISPINFOA& info);
    void enableMenuItem(HWND hwnd, UINT id, bool on);
    void openHelpTopic(HWND hwnd, DWORD contextId);

    // Members in the order of construction.
    PrintLogStore store_;
    LogInfoDialog infoDialog_;
    SettingsDialog settingsDialog_;
    MessageMap map_;
    StatusBarControl statusBar_;
    ListViewControl listView_;
    WorkerThread worker_;
    HIMAGELIST images_ = NULL;
    CRITICAL_SECTION rowLock_;
    int sortColumn_ = 0;
    HANDLE destroyEvent_ = NULL;
    HANDLE setupEvent_ = NULL;
    int mode_ = 0;
    const char* pendingName_ = nullptr;
    DWORD busy_ = 0;
    DWORD alreadyRunning_ = 0;
    HANDLE instanceMutex_ = NULL;
    char helpFilePath_[520];
    DWORD lastWriteLow_ = 0;
    DWORD lastWriteHigh_ = 0;
    DWORD allView_ = 0;
    HelpMap helpMap_;
    DWORD lastSize_ = 0;
    UINT errorMessage_ = 0;

    int errorKindArgument_ = 0;
    bool rowLockReady_ = false;
    FindDialog findDialog_;
    // The views of the list view's rows in its order, kept by syncRows.
    RowIndex rowIndex_;
    // The store's count of freed rows when syncRows last brought the list into line.
    uint32_t shownReleases_ = 0;
};
