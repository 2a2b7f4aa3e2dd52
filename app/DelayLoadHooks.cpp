// The user interface DLLs are bound at their first call (delay-load import libraries, see
// cmake/DelayImports.cmake): an intake process loads none of them. These hooks of the
// delay-load helper load each DLL from the system folder only, and end the process visibly
// when a DLL or an entry of it is missing, as the system's loader would have at start.
#include <windows.h>
#include <delayimp.h>

#include <cstdio>

#include "app/AppTexts.h"
#include "diagnostics/DiagLog.h"
#include "services/SystemLibrary.h"

namespace {

[[noreturn]] void failBinding(const DelayLoadInfo* info) {
    const char* entry = "";
    char ordinal[16] = "";
    if (info->dlp.fImportByName) {
        entry = info->dlp.szProcName;
    } else {
        std::snprintf(ordinal, sizeof ordinal, "#%lu", static_cast<unsigned long>(info->dlp.dwOrdinal));
        entry = ordinal;
    }
    char text[300];
    std::snprintf(text, sizeof text, kBindFailedLine, info->szDll, entry, static_cast<int>(info->dwLastError));
    writeDiagnosticLine("%s", text);
    ::FatalAppExitA(0, text);
    ::ExitProcess(0);
}

FARPROC WINAPI notifyHook(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary) return nullptr;
    // Returning null here would let the helper search the DLL by name.
    HMODULE module = loadSystemLibrary(info->szDll);
    if (!module) {
        info->dwLastError = ::GetLastError();
        failBinding(info);
    }
    return reinterpret_cast<FARPROC>(module);
}

FARPROC WINAPI failureHook(unsigned notification, PDelayLoadInfo info) {
    (void)notification;
    failBinding(info);
}

}  // namespace

PfnDliHook __pfnDliNotifyHook2 = notifyHook;
PfnDliHook __pfnDliFailureHook2 = failureHook;
