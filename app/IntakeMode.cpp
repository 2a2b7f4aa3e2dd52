#include "app/IntakeMode.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "app/AppTexts.h"
#include "app/ConsoleLaunch.h"
#include "diagnostics/DiagLog.h"
#include "services/AccessRights.h"
#include "services/ByteString.h"
#include "services/RegistryKey.h"
#include "settings/LogSettings.h"
#include "store/PrintLogStore.h"
#include "viewer/ViewerTexts.h"

void runIntakeMode(PrintLogStore& store) {
    if (store.intake()) return;
    const int kind = static_cast<int>(store.errorKind());
    if (getOsVersionCode() == OSVER_VISTA) {
        if (!launchProcess(kind)) {
            writeDiagnosticLine(kLaunchFailedLine, static_cast<int>(::GetLastError()));
            // Only "ErrorType" is written: size 0 and an empty name leave the rest alone.
            LogSettings settings;
            settings.errorType = kind;
            settings.save();
        }
        return;
    }
    RegistryKey key;
    if (key.open(HKEY_LOCAL_MACHINE, kAppPathsKey, KEY_READ)) {
        ByteString program;
        key.readString(NULL, program);
        char parameters[32];
        std::snprintf(parameters, sizeof parameters, "\"-b\" \"%d\"", kind);
        ::ShellExecuteA(NULL, "open", program.c_str(), parameters, NULL, SW_SHOWNORMAL);
        return;
    }
    char text[256];
    std::snprintf(text, sizeof text, "%s%s", kWriteFailedFirstLine, kSystemErrorLine);
    ::MessageBoxA(NULL, text, kWarningCaptionText, MB_OK | MB_ICONHAND);
}
