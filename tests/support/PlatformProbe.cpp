#include "tests/support/PlatformProbe.h"

#include <windows.h>

#include <sstream>

#include "tests/support/TestEnvironment.h"

namespace {
const char* const kAppDefaults = "Software\\Wine\\AppDefaults\\";
const char* const kProbeName = "kqvt_platform_probe";
}  // namespace

ScopedWineVersion::ScopedWineVersion(const std::string& exeName, const std::string& version)
    : subKey_(std::string(kAppDefaults) + exeName) {
    HKEY key;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, subKey_.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return;
    ok_ = ::RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                           static_cast<DWORD>(version.size() + 1)) == ERROR_SUCCESS;
    ::RegCloseKey(key);
}

ScopedWineVersion::~ScopedWineVersion() { deleteRegistryTree(HKEY_CURRENT_USER, subKey_); }

std::map<std::string, std::string> runPlatformProbe(const std::string& wineVersion, bool settings) {
    std::map<std::string, std::string> values;
    ScopedWineVersion version(std::string(kProbeName) + ".exe", wineVersion);
    if (!version.ok()) return values;
    TempDir dir;
    const std::string output = dir.file("probe.txt");
    ChildProcess child;
    DWORD exitCode = 1;
    const std::string arguments = "\"" + output + "\"" + (settings ? " settings" : "");
    if (!startHelper(child, kProbeName, arguments) || !child.wait(60000, &exitCode) || exitCode != 0)
        return values;
    std::vector<unsigned char> bytes = readFileBytes(output);
    std::istringstream lines(std::string(bytes.begin(), bytes.end()));
    for (std::string line; std::getline(lines, line);) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}
