// Benchmark of the main window: opening it on a full log (first load and every row into
// the list view) and the tick that applies a reload adding one row, for a full 1000 KB and
// a full 32000 KB log.
//
//   bench_viewer [folder]      (default: the temporary folder)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "resources/MenuIds.h"
#include "store/LogWriter.h"
#include "tools/BenchLog.h"
#include "viewer/PrintLogWindow.h"

namespace {

void pump() {
    MSG msg;
    while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

void runFor(const std::string& folder, uint32_t maxKb) {
    const std::string path = folder + "\\bench-viewer-" + std::to_string(maxKb) + ".log";
    uint32_t job = 0;
    writeFile(path, makeFullLog(maxKb, job));
    char program[] = "KQVTLGVW.exe";
    char* argv[] = {program, nullptr};

    double t0 = nowMs();
    PrintLogWindow* app = new PrintLogWindow(::GetModuleHandleA(NULL), 1, argv);
    app->store().setLogPath(path.c_str());
    app->store().setMaxKb(maxKb * 2);
    HWND hwnd = app->createWindow(SW_HIDE);
    pump();
    double opened = nowMs() - t0;
    int rows = app->listView().itemCount();

    Bytes record = makeRecord(job, 0);
    {
        ScopedHandle h(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL));
        writeLogFile(h.get(), record.data(), uint32_t(record.size()), maxKb * 2);
    }
    double t1 = nowMs();
    ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDM_REFRESH, kAutoUpdateCode), 0);
    pump();
    double reload = nowMs() - t1;

    double t2 = nowMs();
    ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDM_REFRESH, kAutoUpdateCode), 0);
    pump();
    double unchanged = nowMs() - t2;

    std::printf("\n%u KB log, %d rows\n", maxKb, rows);
    std::printf("  %-44s %9.1f ms\n", "open the window (load and fill the list)", opened);
    std::printf("  %-44s %9.1f ms (%d rows now)\n", "tick that adds one row", reload, app->listView().itemCount());
    std::printf("  %-44s %9.1f ms\n", "tick with nothing changed", unchanged);
    ::DestroyWindow(hwnd);
    pump();
    delete app;
    ::DeleteFileA(path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    const std::string folder = benchFolder(argc, argv);
    runFor(folder, 1000);
    runFor(folder, 32000);
    return 0;
}
