// The commands of the main window's list: refresh, clear all, settings and close.
#include "app/CommandLine.h"
#include "framework/PrivateMessages.h"
#include "resources/MenuIds.h"
#include "services/ScopedHandle.h"
#include "store/LogLock.h"
#include "viewer/PrintLogWindow.h"
#include "viewer/ViewerTexts.h"

UINT PrintLogWindow::onRefresh(HWND hwnd, UINT id) {
    (void)hwnd;
    (void)id;
    if (!canAutoUpdate() || busy_) return 0;
    forgetLastWriteTime();
    reloadLog(0);
    sortRows(false);
    return 1;
}

UINT PrintLogWindow::onClearAll(HWND hwnd, UINT id) {
    (void)id;
    busy_ = 1;
    if (::MessageBoxA(hwnd, kClearAllQuestion, kMainTitle, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        busy_ = 0;
        return 0;
    }
    HANDLE lock = enterExclude();
    if (lock && store_.initialise()) {
        leaveExclude(lock);
        listView_.deleteAllItems();
        busy_ = 0;
        return 1;
    }
    leaveExclude(lock);
    ::MessageBoxA(hwnd, kClearAllFailed, kMainTitle, MB_OK | MB_ICONEXCLAMATION);
    busy_ = 0;
    return 0;
}

UINT PrintLogWindow::onSettings(HWND hwnd, UINT id) {
    (void)id;
    INT_PTR result = 0;
    HANDLE mutex = ::CreateMutexA(NULL, FALSE, kSetupDialogMutex);
    if (mutex && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        // Another settings dialog is open, in this process or another.
        ::CloseHandle(mutex);
        mutex = NULL;
    } else if (mutex) {
        settingsDialog_.setStartMode(mode_);
        busy_ = 1;
        result = settingsDialog_.show(hwnd);
        busy_ = 0;
        ::CloseHandle(mutex);
        if (result == 1 && mode_ != kModeWriteError) {
            if (!store_.count()) {
                listView_.deleteAllItems();
                forgetLastWriteTime();
            }
            if (reloadLog(1) && setupEvent_) ::SetEvent(setupEvent_);
        }
    }
    if (!infoDialog_.isActive() && hwnd_) ::SendMessageA(hwnd_, kRunAllMessage, 0, 0);
    return result == 1 ? 1 : 0;
}

UINT PrintLogWindow::onClose(HWND hwnd, UINT id) {
    (void)id;
    if (infoDialog_.isActive()) {
        if (::MessageBoxA(hwnd, kCloseWithInfoOpen, kMainTitle, MB_YESNO | MB_ICONQUESTION) == IDYES) {
            infoDialog_.close();
            ::DestroyWindow(hwnd_);
        } else {
            infoDialog_.bringToFront();
        }
        return 1;
    }
    ::DestroyWindow(hwnd_);
    return 1;
}
