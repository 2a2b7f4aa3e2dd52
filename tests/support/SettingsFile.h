#pragma once
#include <string>

// The settings file "KQVTLGVW.ini" in the common application data folder, made by the test
// and removed afterwards (the tests own the settings file of their prefix).
class ScopedSettingsFile {
public:
    ScopedSettingsFile();
    ~ScopedSettingsFile();
    ScopedSettingsFile(const ScopedSettingsFile&) = delete;
    ScopedSettingsFile& operator=(const ScopedSettingsFile&) = delete;

    static std::string path();
    // Writes one key of the "logviewer" section.
    void set(const char* key, const std::string& value);
    std::string get(const char* key) const;
    // No settings file at all: the registry is the source.
    void remove();
};
