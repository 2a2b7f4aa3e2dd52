// The watcher of the main window: a worker thread that posts ticks, and the reload that
// checks the log file's write time and size under the log-file lock.
#include <cstdio>

#include "app/CommandLine.h"
#include "framework/PrivateMessages.h"
#include "resources/MenuIds.h"
#include "services/ScopedHandle.h"
#include "settings/LogSettings.h"
#include "store/LogLock.h"
#include "viewer/PrintLogWindow.h"
#include "viewer/ViewerTexts.h"

namespace {
constexpr DWORD kTickIntervalMs = 15000;
}

DWORD WINAPI PrintLogWindow::autoUpdateWorker(void* argument) {
    PrintLogWindow* window = static_cast<PrintLogWindow*>(argument);
    if (!window || !window->destroyEvent_ || !window->setupEvent_) return 0;
    HANDLE events[2] = {window->destroyEvent_, window->setupEvent_};
    for (;;) {
        DWORD wait = ::WaitForMultipleObjects(2, events, FALSE, kTickIntervalMs);
        if (wait != WAIT_TIMEOUT && wait != WAIT_OBJECT_0 + 1) return 0;
        // The window may not exist yet (or any more): a tick then goes nowhere.
        HWND target = window->hwnd();
        if (target) ::PostMessageA(target, WM_COMMAND, MAKEWPARAM(IDM_REFRESH, kAutoUpdateCode), 0);
    }
}

bool PrintLogWindow::canAutoUpdate() {
    return !settingsDialog_.isActive() && !infoDialog_.isActive();
}

UINT PrintLogWindow::onTick(HWND hwnd, UINT id) {
    (void)hwnd;
    (void)id;
    if (mode_ != kModeView) return 0;
    ScopedHandle suppress(::CreateMutexA(NULL, FALSE, kAutoUpdateMutex));
    if (!suppress.valid()) return 0;
    if (::GetLastError() == ERROR_ALREADY_EXISTS) return 0;
    if (!canAutoUpdate() || busy_) return 0;
    return reloadLog(0);
}

UINT PrintLogWindow::reloadLog(int showSettingsOnReadError) {
    UINT reloaded = 0;
    int outcome = 1;
    int status = 0;
    FILETIME writeTime = {0, 0};
    DWORD size = 0;
    bool seen = false;
    HWND hwnd = hwnd_;

    if (mode_ == kModeView) {
        HANDLE lock = enterExclude();
        if (!lock) {
            showWarning(kWarnRead, kErrorInUse);
            return 1;
        }
        {
            ScopedHandle file(::CreateFileA(store_.logPath(), GENERIC_READ, 0, NULL, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, NULL));
            if (file.valid()) {
                ::GetFileTime(file.get(), NULL, NULL, &writeTime);
                size = ::GetFileSize(file.get(), NULL);
                seen = true;
                if (writeTime.dwLowDateTime == lastWriteLow_ && writeTime.dwHighDateTime == lastWriteHigh_ &&
                    size == lastSize_) {
                    leaveExclude(lock);
                    return 0;
                }
            }
        }
        if (busy_) {
            leaveExclude(lock);
            return 1;
        }
        busy_ = 1;
        status = store_.load();
        // Made before the lock goes back, so that no intake stores a record in between.
        if (status == kLoadMissing) store_.ensureLogFile();
        leaveExclude(lock);
    } else if (mode_ == kModeWriteError) {
        const int kind = errorKindArgument_;
        LogSettings reset;
        reset.errorType = 0;
        reset.save();
        outcome = showWarning(kWarnWrite, kind);
        if (kind == kErrorInUse) {
            onClose(hwnd, IDM_CLOSE);
            return 0;
        }
    }

    if (mode_ == kModeView) {
        switch (status) {
        case kLoadUnchanged:
        case kLoadChanged:
            if (seen) {
                lastWriteLow_ = writeTime.dwLowDateTime;
                lastWriteHigh_ = writeTime.dwHighDateTime;
                lastSize_ = size;
            }
            break;
        case kLoadBroken:
            if (showSettingsOnReadError) {
                ::MessageBoxA(hwnd, kReadFailedLine, kLogNameCaption, MB_OK | MB_ICONHAND);
                outcome = static_cast<int>(onSettings(hwnd, IDM_SETTINGS));
            } else {
                outcome = showWarning(kWarnRead, kErrorDataBroken);
            }
            break;
        case kLoadMissing:
            break;
        case kLoadOtherForm:
            outcome = showWarning(kWarnRead, kErrorNotLogFile);
            break;
        case kLoadBusy:
            outcome = showWarning(kWarnRead, kErrorInUse);
            break;
        case kLoadNoFolder:
            outcome = showWarning(kWarnRead, kErrorNoFolder);
            break;
        default:
            outcome = showWarning(kWarnRead, kErrorOther);
            break;
        }
        reloaded = 1;
    }

    while (!outcome) {
        busy_ = 1;
        char text[512];
        std::snprintf(text, sizeof text, "%s%s", mode_ == kModeView ? kCannotReadLine : kCannotWriteLine,
                      kExitQuestionLine);
        int answer = ::MessageBoxA(hwnd, text, kWarningCaptionText, MB_OKCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2);
        // A box that could not be shown counts as the answer to exit: after a WM_CLOSE from
        // outside, neither the box nor the settings dialog has an owner any more, and asking
        // again would spin for ever holding the single-instance mutex.
        if (answer != IDCANCEL) {
            onClose(hwnd, IDM_CLOSE);
            return reloaded;
        }
        outcome = static_cast<int>(onSettings(hwnd, IDM_SETTINGS));
    }

    // Gone with the window during the write warning: no load, and no read warning either.
    if (mode_ == kModeWriteError && hwnd_) {
        mode_ = kModeView;
        reloadLog(0);
    }
    busy_ = 0;
    if (reloaded && hwnd && ::IsWindow(hwnd)) ::SendMessageA(hwnd, kRunAllMessage, 0, 0);
    return reloaded;
}
