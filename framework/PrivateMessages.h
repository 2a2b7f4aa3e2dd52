#pragma once
#include <windows.h>

// Window messages private to the program, in the WM_APP range.

// Handled by the message map of every window and dialog.
constexpr UINT kRunPendingMessage = WM_APP + 100;  // run the pending update handlers
constexpr UINT kRunAllMessage = WM_APP + 101;      // run all update handlers
constexpr UINT kInitialiseMessage = WM_APP + 102;  // initialisation, then all update handlers

// Sent by a dialog to the main window: wParam the dialog's window, lParam its template ID.
constexpr UINT kDialogOpenedMessage = WM_APP + 200;
constexpr UINT kDialogClosedMessage = WM_APP + 201;
