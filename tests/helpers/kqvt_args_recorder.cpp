// Test helper: stands in for the viewer under App Paths. Appends its own command line and
// its arguments, one per line, to "<this program's path>.txt", then ends.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    char path[MAX_PATH];
    DWORD n = ::GetModuleFileNameA(NULL, path, MAX_PATH - 4);
    if (!n) return 1;
    lstrcatA(path, ".txt");
    FILE* out = std::fopen(path, "ab");
    if (!out) return 1;
    std::fprintf(out, "cmd=%s\n", ::GetCommandLineA());
    for (int i = 1; i < argc; ++i) std::fprintf(out, "arg%d=%s\n", i, argv[i]);
    std::fclose(out);
    return 0;
}
