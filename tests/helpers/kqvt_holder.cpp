// Test helper: holds a resource for a while, then ends.
//   kqvt_holder file PATH MILLISECONDS READY_EVENT   open PATH without sharing, signal, hold
//   kqvt_holder mutex NAME MILLISECONDS READY_EVENT  own the named mutex, signal, hold; "abandon"
//                                                     as a fifth argument ends without releasing
#include <windows.h>

#include <cstdlib>
#include <cstring>

static void signalReady(const char* name) {
    HANDLE ready = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
    if (ready) {
        ::SetEvent(ready);
        ::CloseHandle(ready);
    }
}

int main(int argc, char** argv) {
    if (argc < 5) return 2;
    const DWORD holdMs = static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10));
    if (std::strcmp(argv[1], "file") == 0) {
        HANDLE file = ::CreateFileA(argv[2], GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_ALWAYS, 0, NULL);
        if (file == INVALID_HANDLE_VALUE) return 3;
        signalReady(argv[4]);
        ::Sleep(holdMs);
        ::CloseHandle(file);
        return 0;
    }
    if (std::strcmp(argv[1], "mutex") == 0) {
        HANDLE mutex = ::CreateMutexA(NULL, FALSE, argv[2]);
        if (!mutex) return 3;
        DWORD wait = ::WaitForSingleObject(mutex, INFINITE);
        if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return 4;
        signalReady(argv[4]);
        ::Sleep(holdMs);
        if (argc > 5 && std::strcmp(argv[5], "abandon") == 0) ::ExitProcess(0);
        ::ReleaseMutex(mutex);
        ::CloseHandle(mutex);
        return 0;
    }
    return 2;
}
