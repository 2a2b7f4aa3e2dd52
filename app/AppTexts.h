#pragma once
// Texts of start-up and the relaunch of the viewer.
constexpr const char* kLaunchFailedLine = "launchProcess失敗, ErrorCode = %d\r\n";
constexpr const char* kSessionIdFailedLine = "WTSGetActiveConsoleSessionId失敗, ErrorCode = %d\r\n";
constexpr const char* kQueryTokenFailedLine = "pfnWTSQueryUserToken失敗, ErrorCode = %d\r\n";
constexpr const char* kDuplicateFailedLine = "DuplicateTokenExResult失敗, ErrorCode = %d\r\n";
constexpr const char* kEnvironmentFailedLine = "getStr失敗, ErrorCode = %d\r\n";
constexpr const char* kCreateProcessFailedLine = "CreateProcessAsUser失敗, ErrorCode = %d\r\n";

constexpr const char* kAppPathsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\KQVTLGVW.EXE";
constexpr const char* kAllViewValue = "AllView";

// "-e": one line for support staff when the export fails.
constexpr const char* kExportFailedLine = "Export to CSV failed. Kind = %d, ErrorCode = %d\r\n";

// A DLL, or one of its entries, could not be bound at its first use.
constexpr const char* kBindFailedLine = "KQVTLGVW: %s %s could not be bound.  Errcode=%d\r\n";
