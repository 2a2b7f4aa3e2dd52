#pragma once
#include <windows.h>

// Starts this program's viewer with "-b" and the kind as the user of the active console
// session, on its interactive desktop. Non-zero when the process was created.
int launchProcess(int errorKind);

// A primary token of the console session's user; non-zero when one was produced.
int queryConsoleUserToken(HANDLE* primaryToken);

// The command line handed to the relaunched viewer (application name passed apart).
void formatRelaunchArguments(int errorKind, char* out, size_t size);
