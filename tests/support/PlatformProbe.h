#pragma once
#include <map>
#include <string>

// Sets the Windows version that Wine reports to one executable for the length of a test
// (the value "Version" under HKCU\Software\Wine\AppDefaults\<exe>).
class ScopedWineVersion {
public:
    ScopedWineVersion(const std::string& exeName, const std::string& version);
    ~ScopedWineVersion();
    ScopedWineVersion(const ScopedWineVersion&) = delete;
    ScopedWineVersion& operator=(const ScopedWineVersion&) = delete;
    bool ok() const { return ok_; }

private:
    std::string subKey_;
    bool ok_ = false;
};

// Runs tests/helpers/kqvt_platform_probe under the given Wine version ("winxp", "win7", ...)
// and returns its "name=value" lines; empty when it could not run. With `settings` it also
// reports the default log paths and a settings load, which creates the settings folders.
std::map<std::string, std::string> runPlatformProbe(const std::string& wineVersion, bool settings = false);
