#pragma once
#include <windows.h>

// Brings the running viewer (or its open dialog or box) to the front and, in write-error
// mode, posts it the error kind to warn about. Nothing when no viewer window exists.
void activateRunningViewer(int mode, int errorKind, UINT errorMessage);
