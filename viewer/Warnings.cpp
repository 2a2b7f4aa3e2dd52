// Warning boxes for a log file that could not be read (by this viewer) or written (by an
// intake process), one box per family at a time across the session.
#include <cstring>

#include "resources/MenuIds.h"
#include "services/ScopedHandle.h"
#include "viewer/PrintLogWindow.h"
#include "viewer/ViewerTexts.h"

namespace {

bool appendText(char* buffer, size_t size, const char* text) {
    size_t used = std::strlen(buffer);
    size_t length = std::strlen(text);
    if (used + length >= size) return false;
    std::memcpy(buffer + used, text, length + 1);
    return true;
}

bool wantsSettingsDialog(int kind) { return kind != 0 && kind != 2 && kind != 5 && kind != 7; }

}  // namespace

int PrintLogWindow::showWarningBox(HWND owner, int family, int kind) {
    char text[256] = "";
    appendText(text, sizeof text, family == kWarnWrite ? kWriteFailedFirstLine : kReadFailedLine);
    switch (kind) {
    case 0:
    case 2:
        appendText(text, sizeof text, kSystemErrorLine);
        break;
    case 3:
        appendText(text, sizeof text, kNoPermissionLine);
        appendText(text, sizeof text, kGrantOrRenameLine);
        break;
    case 4:
        appendText(text, sizeof text, kNotALogLine);
        appendText(text, sizeof text, kDeleteOrRenameLine);
        break;
    case 5:
        appendText(text, sizeof text, kInUseLine);
        if (family == kWarnRead) appendText(text, sizeof text, kRestartLine);
        break;
    case 6:
        appendText(text, sizeof text, kNoFolderLine);
        appendText(text, sizeof text, kCreateOrRenameLine);
        break;
    case 7:
        appendText(text, sizeof text, kNoMemoryLine);
        if (family == kWarnRead) appendText(text, sizeof text, kRestartLine);
        break;
    case 8:
        appendText(text, sizeof text, kRegistryLine);
        break;
    case 9:
        appendText(text, sizeof text, kSettingsFileLine);
        break;
    default:
        appendText(text, sizeof text, kDataBrokenLine);
        appendText(text, sizeof text, kDeleteOrRenameLine);
        break;
    }
    return ::MessageBoxA(owner, text, kWarningCaptionText, MB_OK | MB_ICONEXCLAMATION);
}

int PrintLogWindow::showWarning(int family, int kind) {
    HWND owner = hwnd_;
    bool wanted = false;
    {
        ScopedHandle mutex(::CreateMutexA(NULL, FALSE, family == kWarnWrite ? kWriteWarningMutex : kReadWarningMutex));
        if (!mutex.valid()) return 1;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            if (owner) {
                HWND popup = ::GetLastActivePopup(owner);
                if (popup) owner = popup;
            }
            showWarningBox(owner, family, kind);
            wanted = wantsSettingsDialog(kind);
        }
    }
    if (!wanted) return 1;
    // Another box of this program (the other family, or another process) is still up.
    if (::FindWindowA(NULL, kWarningCaptionText)) return 1;
    return onSettings(owner, IDM_SETTINGS) == 1 ? 1 : 0;
}
