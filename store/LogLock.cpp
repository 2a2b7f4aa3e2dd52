#include "store/LogLock.h"

#include "diagnostics/DiagLog.h"

namespace {
constexpr DWORD kDeniedRetryLimitMs = 3000;
constexpr DWORD kDeniedRetryStepMs = 100;
}

HANDLE enterExclude() {
    DWORD waited = 0;
    HANDLE mutex = NULL;
    for (;;) {
        mutex = ::CreateMutexA(NULL, FALSE, kLogFileMutexName);
        if (mutex) break;
        // A mutex made by another user with a stricter access list: its holder may soon
        // be gone and a later create then makes one of ours.
        if (::GetLastError() != ERROR_ACCESS_DENIED) break;
        ::Sleep(kDeniedRetryStepMs);
        waited += kDeniedRetryStepMs;
        if (waited >= kDeniedRetryLimitMs) {
            ::SetLastError(ERROR_ACCESS_DENIED);
            break;
        }
    }
    if (mutex) {
        DWORD wait = ::WaitForSingleObject(mutex, INFINITE);
        if (wait == WAIT_OBJECT_0) return mutex;
        // An abandoned mutex means a writer died in the middle of its work: this caller
        // gives up once (and gives the mutex back) so the next one proceeds normally.
        if (wait == WAIT_ABANDONED) ::SetLastError(ERROR_ABANDONED_WAIT_0);
    }
    DWORD error = ::GetLastError();
    writeDiagnosticLine("Error from enterExclude. Kind = %d\r\n", static_cast<int>(error));
    if (mutex) {
        // Owned after an abandoned wait: release as well as close.
        ::ReleaseMutex(mutex);
        ::CloseHandle(mutex);
    }
    ::SetLastError(error);
    return NULL;
}

void leaveExclude(HANDLE mutex) {
    if (!mutex) return;
    DWORD error = ::GetLastError();
    ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
    ::SetLastError(error);
}
