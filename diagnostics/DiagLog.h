#pragma once
#include <windows.h>

constexpr const char* kDiagLogName = "KQVTLVERR.LOG";
constexpr DWORD kDiagKindProgram = 2;
constexpr const char* kTraceKey = "SOFTWARE\\Norvale\\Quillbridge2\\trace";

// Writer of time-stamped failure lines for support staff. Silent unless the trace key
// switches it on; never reports its own failures and never changes the caller's last error.
class DiagLog {
public:
    DiagLog(const char* name, DWORD kind);
    virtual ~DiagLog() = default;
    DiagLog(const DiagLog&) = delete;
    DiagLog& operator=(const DiagLog&) = delete;

    // Applies the trace key's values; 0 when the key cannot be opened.
    int readTraceSettings();
    // Bytes written, 0 when nothing was.
    DWORD write(DWORD level, const char* text);
    DWORD writeFormat(DWORD level, const char* format, ...);

    const char* path() const { return path_; }

private:
    DWORD writeLine(DWORD level, const char* text);

    char path_[MAX_PATH];
    char name_[MAX_PATH];
    DWORD maxSizeKb_ = 500;
    DWORD level_ = 0;
    DWORD traceOn_ = 0;
    DWORD kindMask_ = 0;
    DWORD kind_;
};

// The program's usual report: one level-1 line to "KQVTLVERR.LOG", kind 2.
void writeDiagnosticLine(const char* format, ...);
