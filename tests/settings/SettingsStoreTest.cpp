#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "services/RegistryKey.h"
#include "settings/LogNameRules.h"
#include "settings/LogSettings.h"
#include "tests/support/DiagCapture.h"
#include "tests/support/PlatformProbe.h"
#include "tests/support/SettingsFile.h"
#include "tests/support/TestEnvironment.h"

// The access that the Everyone entries of a file's DACL allow.
ACCESS_MASK everyoneAccess(const std::string& path) {
    DWORD size = 0;
    ::GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, NULL, 0, &size);
    std::vector<unsigned char> sd(size + 1);
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = NULL;
    ::AllocateAndInitializeSid(&world, 1, 0, 0, 0, 0, 0, 0, 0, 0, &everyone);
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = NULL;
    ACCESS_MASK mask = 0;
    if (::GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, sd.data(), size, &size) &&
        ::GetSecurityDescriptorDacl(sd.data(), &present, &acl, &defaulted) && acl) {
        ACCESS_ALLOWED_ACE* ace = NULL;
        for (WORD i = 0; i < acl->AceCount && ::GetAce(acl, i, reinterpret_cast<void**>(&ace)); ++i)
            if (ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE && ::EqualSid(&ace->SidStart, everyone))
                mask |= ace->Mask;
    }
    ::FreeSid(everyone);
    return mask;
}

void setPrtLogValue(const char* name, DWORD type, const std::string& bytes) {
    RegistryKey key;
    ASSERT_TRUE(key.open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Norvale\\Quillbridge2\\PrtLog", KEY_ALL_ACCESS));
    ASSERT_TRUE(key.setValue(name, type, bytes.data(), static_cast<DWORD>(bytes.size())));
}

namespace {

const std::string kIni = ScopedSettingsFile::path();
const std::string kDataFolder = kIni.substr(0, kIni.rfind('\\'));
const std::string kVistaDefault = kDataFolder + "\\KQVTPRT2.LOG";

std::string dword(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); }

// Each test starts without the settings file and the PrtLog key; both come back afterwards.
class SettingsStore : public testing::Test {
protected:
    std::string iniText() const {
        const std::vector<unsigned char> bytes = readFileBytes(kIni);
        return std::string(bytes.begin(), bytes.end());
    }
    std::string loaded() {
        LogSettings settings;
        settings.load();
        return std::to_string(settings.logSize) + " " + settings.logName.c_str() + " " +
               std::to_string(settings.errorType);
    }

    ScopedSettingsFile ini_;
    ScopedMachineKey registry_{"SOFTWARE\\Norvale\\Quillbridge2\\PrtLog"};
};

// Nothing configured: the defaults, and the folders made but no file. Without the file each
// registry value counts only under its own name and type; with it, the registry is not read
// while this user may rewrite the file.
TEST_F(SettingsStore, TheFileWinsAndTheRegistryStandsInByNameAndType) {
    ::RemoveDirectoryA(kDataFolder.c_str());
    ::RemoveDirectoryA(kDataFolder.substr(0, kDataFolder.rfind('\\')).c_str());
    ASSERT_FALSE(fileExists(kDataFolder));
    EXPECT_EQ("500 " + kVistaDefault + " 0", loaded());
    EXPECT_TRUE(fileExists(kDataFolder) && !fileExists(kIni));
    const std::string dbcs = "D:\\印刷ログ\\表示.LOG";  // "表" ends in a "\" byte
    const std::string fits = "C:\\" + std::string(512, 'a') + ".log";  // 519 characters
    const struct {
        const char* name;
        DWORD type;
        std::string bytes;
        std::string ini;  // empty: no file
        std::string expected;
    } cases[] = {
        {"LogMaxSize", REG_DWORD, dword(800), "", "800 " + kVistaDefault},
        {"LogMaxSize", REG_BINARY, dword(800), "", "500 " + kVistaDefault},
        {"LogLimitSize", REG_DWORD, dword(800), "", "500 " + kVistaDefault},
        {"LogFileName", REG_SZ, dbcs, "", "500 " + dbcs},
        {"LogFileName", REG_EXPAND_SZ, "D:\\x.log", "", "500 " + kVistaDefault},
        {"LogFileName", REG_SZ, fits, "", "500 " + fits},
        {"LogFileName", REG_SZ, fits + "x", "", "500 " + kVistaDefault},  // cut, it would name another file
        {"LogMaxSize", REG_DWORD, dword(800), "[logviewer]\r\nErrorType=3\r\n", "500 " + kVistaDefault + " 3"},
        {"LogFileName", REG_SZ, dbcs, "[logviewer]\r\nLogSize=-5\r\nLogName=C:\\印刷\\p.log\r\n",
         "-5 C:\\印刷\\p.log"},
        {"LogMaxSize", REG_DWORD, dword(800), "[other]\r\nLogSize=9\r\n", "500 " + kVistaDefault},
        {"LogMaxSize", REG_DWORD, dword(800), "[logviewer]\r\nLogName=" + fits + "\r\n", "500 " + fits},
        {"LogMaxSize", REG_DWORD, dword(800), "[logviewer]\r\nLogName=" + fits + "x\r\n", "500 " + kVistaDefault},
    };
    DiagCapture diag;
    for (const auto& c : cases) {
        for (const char* name : {"LogMaxSize", "LogFileName", "LogLimitSize"}) registry_.remove(name);
        setPrtLogValue(c.name, c.type, c.type == REG_BINARY || c.type == REG_DWORD ? c.bytes : c.bytes + '\0');
        ini_.remove();
        ASSERT_TRUE(c.ini.empty() || writeFileBytes(kIni, c.ini.data(), c.ini.size()));
        const std::string expected = c.expected + (c.ini.find("ErrorType") == std::string::npos ? " 0" : "");
        EXPECT_EQ(expected, loaded()) << c.name << " " << c.type << " " << c.ini;
    }
    EXPECT_NE(std::string::npos, diag.text().find("readRegistryFileName() error.  Errcode=122\r\n"));
    // Held without sharing by someone else: this process may not write it.
    HANDLE holder = ::CreateFileA(kIni.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_EQ("800 " + kVistaDefault + " 0", loaded());
    ::CloseHandle(holder);
}

// Every key byte for byte; the first save opens the new file to everyone, later saves
// leave the DACL as they find it. Failures go to the diagnostic log.
TEST_F(SettingsStore, SaveWritesOnlyWhatIsSetOpensOnlyANewFileToEveryoneAndReportsFailures) {
    LogSettings pending;
    pending.errorType = 5;
    ASSERT_NE(0, pending.save());
    EXPECT_EQ("[logviewer]\r\nErrorType=5\r\n", iniText());
    EXPECT_EQ(static_cast<ACCESS_MASK>(FILE_GENERIC_WRITE), everyoneAccess(kIni) & FILE_GENERIC_WRITE);
    LogSettings full;
    full.logSize = 700;
    full.logName.assign("C:\\表示\\print.log");
    ASSERT_NE(0, full.save());
    ASSERT_NE(0, LogSettings().save());
    EXPECT_EQ("[logviewer]\r\nErrorType=0\r\nLogSize=700\r\nLogName=C:\\表示\\print.log\r\n", iniText());

    ini_.remove();
    ASSERT_TRUE(writeFileBytes(kIni, "", 0));  // made by someone else, as a plain create leaves it
    const ACCESS_MASK plain = everyoneAccess(kIni);
    ASSERT_NE(static_cast<ACCESS_MASK>(FILE_GENERIC_WRITE), plain & FILE_GENERIC_WRITE);
    ASSERT_NE(0, full.save());
    EXPECT_EQ(plain, everyoneAccess(kIni));

    DiagCapture diag;
    ByteString out;
    EXPECT_EQ(0, LogSettings::readInitFile(3, out));
    EXPECT_EQ(0, LogSettings::writeInitFile(INIT_LOG_NAME, ByteString()));
    EXPECT_NE(std::string::npos, diag.text().find("readInitFile() error.  Errcode=87\r\n"));
    EXPECT_NE(std::string::npos, diag.text().find("writeInitFile() error.  Errcode=87\r\n"));
    // A folder where the settings file belongs: it cannot be created, and nothing is written.
    ini_.remove();
    ASSERT_TRUE(::CreateDirectoryA(kIni.c_str(), NULL));
    diag.clear();
    EXPECT_EQ(0, full.save());
    const DWORD error = ::GetLastError();
    ::RemoveDirectoryA(kIni.c_str());
    const std::string lines = diag.text();
    EXPECT_EQ("createInitFile() error.  Errcode=" + std::to_string(error) + "\r\n", lines.substr(lines.find("create")));
}

TEST_F(SettingsStore, DefaultLogPathFollowsTheWindowsVersion) {
    // Only "ErrorType" in the file: the "LogName" default of the file is used as well.
    ASSERT_TRUE(writeFileBytes(kIni, "[logviewer]\r\nErrorType=0\r\n", 26));
    char system[MAX_PATH];
    ASSERT_NE(0u, ::GetSystemDirectoryA(system, MAX_PATH));
    const std::string systemDefault = std::string(system) + "\\KQVTPRT2.LOG";
    const std::pair<const char*, bool> cases[] = {
        {"winxp", false}, {"win2003", false}, {"vista", true}, {"win10", true}};
    for (const auto& [version, vista] : cases) {
        const std::string expected = vista ? kVistaDefault : systemDefault;
        std::map<std::string, std::string> probe = runPlatformProbe(version, true);
        EXPECT_EQ(expected, probe["defaultPath"]) << version;
        EXPECT_EQ(expected, probe["initLogName"]) << version;
        EXPECT_EQ(expected, probe["loadName"]) << version;
    }
    // With no file the registry fallback gives the same default path.
    ini_.remove();
    EXPECT_EQ(systemDefault, runPlatformProbe("winxp", true)["loadName"]);
}

// "表" and "ソ" in Shift-JIS: their trail byte is the backslash byte.
#define HYOU "\x95\x5C"
#define SO "\x83\x5C"

TEST(LogNameRules, NormalisationTable) {
    const std::string fits = "C:\\" + std::string(247, 'a');  // 250
    const struct {
        std::string typed;
        int result;
        std::string path;
    } cases[] = {
        {"C:/logs//print .log ", kLogNameOk, "C:\\logs\\print .log"},
        {"\\ \\server\\x.log", kLogNameOk, "\\\\server\\x.log"},
        {"C:\\logs\\ .hidden", kLogNameInvalid, ""},
        {"C:\\\\\\\\" + fits.substr(3), kLogNameOk, fits},  // 250 once the separators are gone
        {fits + "b", kLogNameMalformed, ""},
        // Trail bytes 0x5C are no separators: nothing to collapse, no dot component, no
        // space before a separator to drop.
        {"C:\\" HYOU "/x.log", kLogNameOk, "C:\\" HYOU "\\x.log"},
        {"C:\\" SO " x.log", kLogNameOk, "C:\\" SO " x.log"},
        {"C:\\x\\" HYOU "..", kLogNameOk, "C:\\x\\" HYOU},
        {HYOU ":\\x.log", kLogNameInvalid, ""},
    };
    for (const auto& c : cases) {
        ByteString out;
        EXPECT_EQ(c.result, normaliseLogName(c.typed.c_str(), out)) << c.typed;
        EXPECT_EQ(c.path, c.result == kLogNameOk ? out.c_str() : "") << c.typed;
    }
    // File names within the fixed folder: a trail byte is no separator either.
    ByteString joined;
    EXPECT_EQ(kLogNameOk, joinLogFolderAndFile("C:\\f\\", SO HYOU, joined));
    EXPECT_EQ(kLogNameInvalid, joinLogFolderAndFile("C:\\f\\", HYOU "\\x.log", joined));
    EXPECT_EQ(3u, fileNameOffset("C:\\" HYOU HYOU SO));
}

}  // namespace
