#pragma once
#include <windows.h>

enum AppMode : int {
    kModeView = 0,
    kModeWriteError = 1,
    kModeIntake = 2,
    kModeExport = 3,  // "-e PATH": the log as CSV, without a window
};

struct CommandLine {
    int mode = kModeView;
    const char* pendingName = nullptr;  // intake mode: the registry value to take in
    int errorKind = 0;                  // write-error mode: the kind to report
    const char* exportPath = nullptr;   // export mode: the target file (null when missing)
};

// Reads arguments as the start-up code split them (quotes removed).
CommandLine parseCommandLine(int argc, char** argv);

// "AllView" under the PrtLog key: 1 when its REG_SZ text contains "Y" (double-byte
// characters stepped over whole), 0 when it is missing, of another type or without "Y".
DWORD readAllViewFlag();
