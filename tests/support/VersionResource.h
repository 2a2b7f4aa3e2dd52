#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Version resources (RT_VERSION) built or copied for tests, and executables that carry them.

struct VersionString {
    std::wstring key;
    std::wstring value;
};

// The translation entry of Japanese (0x0411) in code page 932.
extern const std::vector<uint8_t> kJapaneseTranslation;

// A VS_VERSION_INFO with file version 1.1.1.0, one string table named `table` (for example
// L"041103a4") holding `strings` in order, and `translation` as the bytes of
// "\VarFileInfo\Translation".
std::vector<uint8_t> buildVersionResource(const std::wstring& table, const std::vector<VersionString>& strings,
                                          const std::vector<uint8_t>& translation);

// The raw version resource of the executable at `path`; empty when it has none.
std::vector<uint8_t> versionResourceOf(const std::string& path);

// Copies the executable `source` to `target` and puts `resource` in as its version resource.
bool copyWithVersionResource(const std::string& source, const std::string& target,
                             const std::vector<uint8_t>& resource);
