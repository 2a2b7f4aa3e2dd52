// The program's entry point: one executable, its role chosen by the command line.
#include <windows.h>

#include <cstdlib>
#include <new>

#include "app/CommandLine.h"
#include "app/ExportMode.h"
#include "app/IntakeMode.h"
#include "app/ViewerHandOver.h"
#include "viewer/PrintLogWindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    // The export runs without a window, so no part of the viewer is built for it.
    const CommandLine line = parseCommandLine(__argc, __argv);
    if (line.mode == kModeExport) return runExportMode(line.exportPath);
    PrintLogWindow* app = new (std::nothrow) PrintLogWindow(instance, __argc, __argv);
    if (!app) return 0;
    app->setAllView(readAllViewFlag());
    if (app->mode() == kModeIntake) {
        runIntakeMode(app->store());
    } else if (app->alreadyRunning()) {
        activateRunningViewer(app->mode(), app->errorKindArgument(), app->errorMessage());
    } else {
        app->run(showCommand);
    }
    delete app;
    // Every other mode and every failure ends with 0: the caller is the printing side.
    return 0;
}
