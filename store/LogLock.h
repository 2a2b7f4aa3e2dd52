#pragma once
#include <windows.h>

// The one lock between all processes that touch the print log file.
constexpr const char* kLogFileMutexName = "Quillbridge2 KqvtPrt Log File";

// Takes the log-file mutex, waiting without limit once it is open. Null on failure
// (access denied for 3000 ms, another open error, or an abandoned or failed wait).
HANDLE enterExclude();
// Gives back a handle from enterExclude; null is ignored.
void leaveExclude(HANDLE mutex);

// Holds the log-file lock for one scope.
class ExcludeLock {
public:
    ExcludeLock() : mutex_(enterExclude()) {}
    ~ExcludeLock() { leaveExclude(mutex_); }
    ExcludeLock(const ExcludeLock&) = delete;
    ExcludeLock& operator=(const ExcludeLock&) = delete;
    bool held() const { return mutex_ != NULL; }

private:
    HANDLE mutex_;
};
