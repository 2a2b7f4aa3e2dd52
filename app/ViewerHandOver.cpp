#include "app/ViewerHandOver.h"

#include "app/CommandLine.h"
#include "viewer/ViewerTexts.h"

void activateRunningViewer(int mode, int errorKind, UINT errorMessage) {
    HWND viewer = ::FindWindowA(kMainClassName, kMainTitle);
    if (!viewer) return;
    HWND popup = ::GetLastActivePopup(viewer);
    ::SetForegroundWindow(popup ? popup : viewer);
    if (mode == kModeWriteError && errorMessage) ::PostMessageA(viewer, errorMessage, 0, errorKind);
}
