#include "tests/support/VersionResource.h"

#include <windows.h>

namespace {

// One node of the resource: header, key, aligned value, aligned children.
struct VersionNode {
    std::wstring key;
    uint16_t type = 1;           // 1 text, 0 binary
    std::vector<uint8_t> value;  // bytes as stored
    uint16_t valueLength = 0;    // as the header counts it (characters for text)
    std::vector<VersionNode> children;
};

void align(std::vector<uint8_t>& out) {
    while (out.size() % 4) out.push_back(0);
}

std::vector<uint8_t> build(const VersionNode& node) {
    std::vector<uint8_t> out(6, 0);
    for (wchar_t c : node.key) {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
    align(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const VersionNode& child : node.children) {
        align(out);
        std::vector<uint8_t> bytes = build(child);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    uint16_t length = static_cast<uint16_t>(out.size());
    out[0] = static_cast<uint8_t>(length & 0xFF);
    out[1] = static_cast<uint8_t>(length >> 8);
    out[2] = static_cast<uint8_t>(node.valueLength & 0xFF);
    out[3] = static_cast<uint8_t>(node.valueLength >> 8);
    out[4] = static_cast<uint8_t>(node.type);
    out[5] = 0;
    return out;
}

VersionNode text(const std::wstring& key, const std::wstring& value) {
    VersionNode n;
    n.key = key;
    for (wchar_t c : value) {
        n.value.push_back(static_cast<uint8_t>(c & 0xFF));
        n.value.push_back(static_cast<uint8_t>(c >> 8));
    }
    n.value.push_back(0);
    n.value.push_back(0);
    n.valueLength = static_cast<uint16_t>(value.size() + 1);
    return n;
}

}  // namespace

const std::vector<uint8_t> kJapaneseTranslation = {0x11, 0x04, 0xA4, 0x03};

std::vector<uint8_t> buildVersionResource(const std::wstring& table, const std::vector<VersionString>& strings,
                                          const std::vector<uint8_t>& translation) {
    VersionNode root;
    root.key = L"VS_VERSION_INFO";
    root.type = 0;
    VS_FIXEDFILEINFO fixed = {};
    fixed.dwSignature = 0xFEEF04BD;
    fixed.dwStrucVersion = 0x00010000;
    fixed.dwFileVersionMS = 0x00010001;
    fixed.dwFileVersionLS = 0x00010000;
    root.value.assign(reinterpret_cast<uint8_t*>(&fixed), reinterpret_cast<uint8_t*>(&fixed) + sizeof fixed);
    root.valueLength = sizeof fixed;

    VersionNode tableNode;
    tableNode.key = table;
    for (const VersionString& s : strings) tableNode.children.push_back(text(s.key, s.value));
    VersionNode stringInfo;
    stringInfo.key = L"StringFileInfo";
    stringInfo.children.push_back(tableNode);

    VersionNode var;
    var.key = L"Translation";
    var.type = 0;
    var.value = translation;
    var.valueLength = static_cast<uint16_t>(translation.size());
    VersionNode varInfo;
    varInfo.key = L"VarFileInfo";
    varInfo.children.push_back(var);

    root.children.push_back(stringInfo);
    root.children.push_back(varInfo);
    return build(root);
}

std::vector<uint8_t> versionResourceOf(const std::string& path) {
    std::vector<uint8_t> bytes;
    HMODULE module = ::LoadLibraryExA(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return bytes;
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16) /* RT_VERSION */);
    HGLOBAL loaded = found ? ::LoadResource(module, found) : NULL;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (data) {
        const uint8_t* begin = static_cast<const uint8_t*>(data);
        bytes.assign(begin, begin + ::SizeofResource(module, found));
    }
    ::FreeLibrary(module);
    return bytes;
}

bool copyWithVersionResource(const std::string& source, const std::string& target,
                             const std::vector<uint8_t>& resource) {
    if (!::CopyFileA(source.c_str(), target.c_str(), FALSE)) return false;
    HANDLE update = ::BeginUpdateResourceA(target.c_str(), FALSE);
    if (!update) return false;
    BOOL ok = ::UpdateResourceA(update, MAKEINTRESOURCEA(16) /* RT_VERSION */, MAKEINTRESOURCEA(1),
                                MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT),
                                const_cast<uint8_t*>(resource.data()), static_cast<DWORD>(resource.size()));
    return ::EndUpdateResourceA(update, !ok) && ok;
}
