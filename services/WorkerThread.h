#pragma once
#include <windows.h>

// A thread started with a procedure and an argument. Stopping waits for it to end by
// itself (it is told to by its owner) and terminates it only after 30 s.
class WorkerThread {
public:
    typedef DWORD(WINAPI* Procedure)(void* argument);

    WorkerThread() = default;
    ~WorkerThread() { stop(); }
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Non-zero when the thread was started.
    int start(Procedure procedure, void* argument);
    bool isRunning() const;
    // Polls every `pollMs` while the thread runs; after more than `limitMs` terminates it
    // with exit code 0. Closes the handle either way.
    void stop(DWORD pollMs = 500, DWORD limitMs = 30000);

    HANDLE handle() const { return handle_; }
    DWORD id() const { return id_; }

private:
    HANDLE handle_ = NULL;
    DWORD id_ = 0;
};
