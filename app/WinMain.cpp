// The program's entry point: one executable, its role chosen by the command line.
#include <windows.h>

#include <cstdlib>
#include <new>

#include "app/CommandLine.h"
#include "app/ExportMode.h"
#include "app/IntakeMode.h"
#include "app/ViewerHandOver.h"
#include "store/PrintLogStore.h"
#include "viewer/PrintLogWindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    const CommandLine line = parseCommandLine(__argc, __argv);
    // The export runs without a window, so no part of the viewer is built for it.
    if (line.mode == kModeExport) return runExportMode(line.exportPath);
    if (line.mode == kModeIntake) {
        // The printing side starts one intake per print event: it needs the store alone,
        // none of the viewer's windows, dialogs and help (nor the DLLs behind them).
        PrintLogStore* store = new (std::nothrow) PrintLogStore();
        if (!store) return 0;
        store->setPendingValueName(line.pendingName);
        runIntakeMode(*store);
        delete store;
        return 0;
    }
    PrintLogWindow* app = new (std::nothrow) PrintLogWindow(instance, __argc, __argv);
    if (!app) return 0;
    app->setAllView(readAllViewFlag());
    if (app->alreadyRunning()) {
        activateRunningViewer(app->mode(), app->errorKindArgument(), app->errorMessage());
    } else {
        app->run(showCommand);
    }
    delete app;
    // Every other mode and every failure ends with 0: the caller is the printing side.
    return 0;
}
