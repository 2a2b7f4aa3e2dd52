// Test helper: holds a resource for a while, then ends.
//   kqvt_holder file PATH MILLISECONDS READY_EVENT   open PATH without sharing, signal, hold
//   kqvt_holder mutex NAME MILLISECONDS READY_EVENT  own the named mutex, signal, hold; "abandon"
//                                                     as a fifth argument ends without releasing
// With other arguments it stands in for the viewer under App Paths: it appends its command
// line and its arguments, one per line, to "<this program's path>.txt".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

static int recordArguments(int argc, char** argv) {
    char path[MAX_PATH];
    if (!::GetModuleFileNameA(NULL, path, MAX_PATH - 4)) return 1;
    lstrcatA(path, ".txt");
    FILE* out = std::fopen(path, "ab");
    if (!out) return 1;
    std::fprintf(out, "cmd=%s\n", ::GetCommandLineA());
    for (int i = 1; i < argc; ++i) std::fprintf(out, "arg%d=%s\n", i, argv[i]);
    std::fclose(out);
    return 0;
}

int main(int argc, char** argv) {
    const bool file = argc >= 5 && std::strcmp(argv[1], "file") == 0;
    if (argc < 5 || (!file && std::strcmp(argv[1], "mutex") != 0)) return recordArguments(argc, argv);
    HANDLE held = file ? ::CreateFileA(argv[2], GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_ALWAYS, 0, NULL)
                       : ::CreateMutexA(NULL, FALSE, argv[2]);
    if (held == INVALID_HANDLE_VALUE || !held) return 3;
    if (!file && ::WaitForSingleObject(held, INFINITE) == WAIT_FAILED) return 4;
    HANDLE ready = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[4]);
    if (ready) ::SetEvent(ready);
    ::Sleep(static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)));
    if (argc > 5 && std::strcmp(argv[5], "abandon") == 0) ::ExitProcess(0);
    if (!file) ::ReleaseMutex(held);
    ::CloseHandle(held);
    return 0;
}
