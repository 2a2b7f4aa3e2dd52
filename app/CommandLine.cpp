#include "app/CommandLine.h"

#include <cstdlib>
#include <cstring>

#include "app/AppTexts.h"
#include "services/ByteString.h"
#include "services/RegistryKey.h"
#include "settings/SettingsTexts.h"

CommandLine parseCommandLine(int argc, char** argv) {
    CommandLine line;
    if (argc < 2 || !argv || !argv[1]) return line;
    if (std::strcmp(argv[1], "-b") == 0) {
        line.mode = kModeWriteError;
        // Without a kind the warning names a system error (kind 0) rather than reading
        // past the arguments.
        line.errorKind = argc >= 3 && argv[2] ? std::atoi(argv[2]) : 0;
        return line;
    }
    if (std::strcmp(argv[1], "-w") == 0 && argc >= 3 && argv[2]) {
        line.mode = kModeIntake;
        line.pendingName = argv[2];
        return line;
    }
    if (std::strcmp(argv[1], "-e") == 0) {
        line.mode = kModeExport;
        line.exportPath = argc >= 3 ? argv[2] : nullptr;
    }
    return line;
}

DWORD readAllViewFlag() {
    RegistryKey key;
    if (!key.open(HKEY_LOCAL_MACHINE, kPrtLogKey, KEY_READ)) return 0;
    ByteString text;
    if (!key.readString(kAllViewValue, text)) return 0;
    return text.contains("Y") ? 1 : 0;
}
