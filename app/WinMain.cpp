// The program's entry point: one executable, three roles chosen by the command line.
#include <windows.h>

#include <cstdlib>
#include <new>

#include "app/CommandLine.h"
#include "app/IntakeMode.h"
#include "app/ViewerHandOver.h"
#include "viewer/PrintLogWindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
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
    // Every mode and every failure ends with 0: the caller is the printing side.
    return 0;
}
