// Test helper: reports what this process sees of the platform and the settings store, one
// "name=value" line each, into OUTFILE; tests run it under a Wine version of their choice.
//   kqvt_platform_probe OUTFILE            version code and group level only
//   kqvt_platform_probe OUTFILE settings   also the default paths and a settings load
//                                          (which creates the settings folders)
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "services/AccessRights.h"
#include "services/ByteString.h"
#include "settings/LogSettings.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    FILE* out = std::fopen(argv[1], "wb");
    if (!out) return 3;
    std::fprintf(out, "version=%u\n", static_cast<unsigned>(getOsVersionCode()));
    std::fprintf(out, "group=%u\n", static_cast<unsigned>(getUserGroupLevel()));
    if (argc > 2 && std::strcmp(argv[2], "settings") == 0) {
        ByteString path;
        const int ok = LogSettings::getDefaultLogPath(path);
        std::fprintf(out, "defaultPath=%s\n", ok ? path.c_str() : "<failed>");
        ByteString initName;
        LogSettings::readInitFile(INIT_LOG_NAME, initName);
        std::fprintf(out, "initLogName=%s\n", initName.c_str());
        LogSettings settings;
        settings.load();
        std::fprintf(out, "loadName=%s\n", settings.logName.c_str());
    }
    std::fclose(out);
    return 0;
}
