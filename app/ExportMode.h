#pragma once
#include <windows.h>

class PrintLogStore;

// Writes every record the viewer would list (closed ones only in all-records mode) as CSV
// to `target`, oldest first, with the job ID column in all-records mode. The log is read
// under the log-file lock, like a reload, and never changed (a print log as the target is
// refused); a missing log file lists no records. Returns 0, or the error kind of the failure; `systemError` (may be null) gets the
// system error of a failed write, 0 otherwise.
DWORD exportLogFile(PrintLogStore& store, const char* target, DWORD* systemError);

// The error kind of a failed file operation on the target.
DWORD errorKindOfSystemError(DWORD error);

// "-e PATH": the export of the settings' log with the current "AllView", without a window.
// Returns the exit code: 0 on success, otherwise the error kind (system errors give 2, never
// 0, so that 0 always means success), after a diagnostic line that also goes to the standard
// error handle when there is one.
int runExportMode(const char* target);
