#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "services/AccessRights.h"
#include "services/ByteString.h"
#include "services/RegistryKey.h"
#include "services/SystemLibrary.h"
#include "tests/support/PlatformProbe.h"
#include "tests/support/TestEnvironment.h"

namespace {

TEST(AccessRights, VersionCodesFromReportsAndFromWine) {
    const DWORD nine = VER_PLATFORM_WIN32_WINDOWS, nt = VER_PLATFORM_WIN32_NT, size = sizeof(OSVERSIONINFOA);
    // Size, major, minor, build and platform as GetVersionEx reports them.
    const std::pair<OSVERSIONINFOA, OsVersionCode> cases[] = {
        {{size, 4, 0, 0x04090000, nine, {}}, OSVER_95},  // the minor byte sits in the build number
        {{size, 4, 10, 0x040A08AE, nine, {}}, OSVER_98},
        {{size, 4, 89, 0x04590000, nine, {}}, OSVER_98},
        {{size, 4, 90, 0x045A0BB8, nine, {}}, OSVER_ME},
        {{size, 4, 0, 1381, nt, {}}, OSVER_NT4},
        {{size, 5, 3, 0, nt, {}}, OSVER_UNKNOWN},
        {{size, 10, 0, 19045, nt, {}}, OSVER_UNKNOWN},
        {{size, 3, 10, 0, VER_PLATFORM_WIN32s, {}}, OSVER_UNKNOWN},
    };
    for (const auto& [info, expected] : cases)
        EXPECT_EQ(expected, classifyOsVersion(info)) << info.dwMajorVersion << "." << info.dwMinorVersion;
    // 2000 to Vista as a program sees them when Wine plays that Windows, the codes by number.
    const std::map<std::string, std::string> wine = {{"winxp", "64"}, {"win2k", "32"}, {"win2003", "128"},
                                                     {"win98", "2"},  {"vista", "256"}};
    for (const auto& w : wine) {
        std::map<std::string, std::string> probe = runPlatformProbe(w.first);
        EXPECT_EQ(w.second, probe["version"]) << w.first;
        EXPECT_EQ("4", probe["group"]) << w.first;  // Wine's token holds the administrators
    }
}

TEST(AccessRights, GroupLevelFromBuiltinMembership) {
    const DWORD on = SE_GROUP_ENABLED;
    // The token's groups, their attributes and the level they give.
    const std::tuple<std::vector<const char*>, DWORD, uint32_t> cases[] = {
        {{}, on, GROUP_NONE},
        {{"S-1-5-32-545"}, on, GROUP_USERS},
        {{"S-1-1-0", "S-1-5-32-547"}, on, GROUP_POWER_USERS},
        {{"S-1-5-32-545", "S-1-5-32-547", "S-1-5-32-544"}, on, GROUP_ADMINISTRATORS},
        {{"S-1-5-32-545", "S-1-5-32-544"}, SE_GROUP_USE_FOR_DENY_ONLY, GROUP_ADMINISTRATORS},  // filtered token
        {{"S-1-5-21-1-2-3-544", "S-1-1-32-545", "S-1-5-32"}, on, GROUP_NONE},
    };
    for (const auto& [sids, attributes, level] : cases) {
        std::vector<unsigned char> buffer(sizeof(TOKEN_GROUPS) + sids.size() * sizeof(SID_AND_ATTRIBUTES));
        TOKEN_GROUPS* groups = reinterpret_cast<TOKEN_GROUPS*>(buffer.data());
        for (const char* sid : sids) {
            ASSERT_TRUE(::ConvertStringSidToSidA(sid, &groups->Groups[groups->GroupCount].Sid));
            groups->Groups[groups->GroupCount++].Attributes = attributes;
        }
        EXPECT_EQ(level, groupLevelOf(groups)) << (sids.empty() ? "none" : sids.back());
        for (DWORD i = 0; i < groups->GroupCount; ++i) ::LocalFree(groups->Groups[i].Sid);
    }
    EXPECT_EQ(GROUP_NONE, groupLevelOf(nullptr));
}

// The DACL of an object as a fresh query reads it, in the security descriptor language.
std::string daclOf(HANDLE object) {
    PSECURITY_DESCRIPTOR sd = NULL;
    char* text = NULL;
    if (::GetSecurityInfo(object, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, NULL, NULL, NULL, NULL, &sd) ||
        !::ConvertSecurityDescriptorToStringSecurityDescriptorA(sd, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text,
                                                                NULL))
        text = NULL;
    const std::string out = text ? text : "unreadable";
    ::LocalFree(text);
    ::LocalFree(sd);
    return out;
}

TEST(AccessRights, GrantEveryoneAccessLeavesOneEntryOrANullDacl) {
    SECURITY_ATTRIBUTES sa = {sizeof sa, NULL, FALSE};
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "D:(A;OICI;0x1f0003;;;BA)(A;;0x100000;;;SY)", SDDL_REVISION_1, &sa.lpSecurityDescriptor, NULL));
    HANDLE event = ::CreateEventA(&sa, TRUE, FALSE, NULL);
    ::LocalFree(sa.lpSecurityDescriptor);
    ASSERT_NE(0, grantEveryoneAccess(event, 0x1F01FF));
    EXPECT_EQ("D:(A;;FA;;;WD)", daclOf(event));
    ::CloseHandle(event);

    SECURITY_DESCRIPTOR open;  // a null DACL, which lets everyone in already
    ::InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION);
    ::SetSecurityDescriptorDacl(&open, TRUE, NULL, FALSE);
    sa.lpSecurityDescriptor = &open;
    event = ::CreateEventA(&sa, TRUE, FALSE, NULL);
    const std::string before = daclOf(event);
    EXPECT_NE(0, grantEveryoneAccess(event, 0x1F01FF));
    EXPECT_EQ(before, daclOf(event));
    ::CloseHandle(event);
    EXPECT_EQ(0, grantEveryoneAccess(NULL, 0x1F01FF));
}

TEST(ByteString, SearchAndReplaceStepOverDoubleByteCharacters) {
    // The text, the needle, where the search starts and where it finds the needle. "表" is
    // 0x95 0x5C and "ポ" 0x83 0x7C: their trail bytes are "\" and "|".
    const std::tuple<const char*, const char*, size_t, size_t> cases[] = {
        {"表示\\x", "\\", 0, 4},
        {"表", "\\", 0, ByteString::npos},
        {"ポ|", "|", 0, 2},
        {"abcabc", "abc", 1, 3},
        {"ab\x95", "\x95", 0, 2},  // a lead byte at the very end is a character of its own
        {"表x", "x", 1, 2},  // a start inside a character moves to the next boundary
    };
    ByteString s;
    for (const auto& [text, needle, from, expected] : cases) {
        s.assign(text);
        EXPECT_EQ(expected, s.find(needle, from)) << text << " / " << needle;
    }
    s.assign("a/表/ポ|");
    ASSERT_TRUE(s.replaceAll("/", "\\\\"));
    ASSERT_TRUE(s.replaceAll("|", "!"));
    EXPECT_STREQ("a\\\\表\\\\ポ!", s.c_str());
}

TEST(RegistryKey, ReadsOnlyTheExactType) {
    const char* sub = "SOFTWARE\\Norvale\\KqvtTest";
    ScopedMachineKey scoped(sub);
    scoped.setString("Text", "hello");
    scoped.setDword("Number", 42);
    HKEY raw;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, sub, 0, KEY_SET_VALUE, &raw));
    ::RegSetValueExA(raw, "Long", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\1\0\0\0\0\0\0\0"), 8);
    ::RegCloseKey(raw);

    RegistryKey key;
    ASSERT_EQ(1, key.open(HKEY_LOCAL_MACHINE, sub, KEY_READ));
    ByteString text;
    DWORD number = 7;
    ByteBuffer bytes;
    // Values refused as a string (0), a DWORD (1) or binary (2), and the error left behind.
    const std::tuple<const char*, int, DWORD> refused[] = {
        {"Number", 0, ERROR_DATATYPE_MISMATCH},
        {"Text", 1, ERROR_DATATYPE_MISMATCH},
        {"Long", 1, ERROR_INVALID_DATA},
        {"Missing", 2, ERROR_FILE_NOT_FOUND},
    };
    for (const auto& [name, kind, error] : refused) {
        int result = kind == 0 ? key.readString(name, text)
                               : kind == 1 ? key.readDword(name, number) : key.readValue(name, REG_BINARY, bytes);
        EXPECT_EQ(0, result) << name << " as " << kind;
        EXPECT_EQ(error, ::GetLastError()) << name << " as " << kind;
    }
    EXPECT_EQ(7u, number);
}

TEST(SystemLibrary, LoadsFromTheSystemFolderOnly) {
    char system[MAX_PATH];
    ASSERT_NE(0u, ::GetSystemDirectoryA(system, MAX_PATH));
    // A DLL planted beside the program is found by a plain search, never by a system load.
    const std::string planted = testBinaryDir() + "kqvtplanted.dll";
    ASSERT_TRUE(::CopyFileA((std::string(system) + "\\msimg32.dll").c_str(), planted.c_str(), FALSE));
    EXPECT_EQ(NULL, loadSystemLibrary("kqvtplanted.dll"));
    ::DeleteFileA(planted.c_str());
    ScopedLibrary version("version.dll");
    EXPECT_NE(nullptr, version.get());
    EXPECT_EQ(NULL, loadSystemLibrary((std::string(system) + "\\version.dll").c_str()));  // a path is no name
}

}  // namespace
