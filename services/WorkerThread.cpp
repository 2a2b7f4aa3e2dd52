#include "services/WorkerThread.h"

int WorkerThread::start(Procedure procedure, void* argument) {
    if (handle_ || !procedure) return 0;
    handle_ = ::CreateThread(NULL, 0, procedure, argument, 0, &id_);
    return handle_ != NULL;
}

bool WorkerThread::isRunning() const {
    DWORD code = 0;
    return handle_ && ::GetExitCodeThread(handle_, &code) && code == STILL_ACTIVE;
}

void WorkerThread::stop(DWORD pollMs, DWORD limitMs) {
    if (!handle_) return;
    DWORD waited = 0;
    while (isRunning()) {
        if (waited > limitMs) {
            ::TerminateThread(handle_, 0);
            ::WaitForSingleObject(handle_, 1000);
            break;
        }
        ::Sleep(pollMs);
        waited += pollMs;
    }
    ::CloseHandle(handle_);
    handle_ = NULL;
    id_ = 0;
}
