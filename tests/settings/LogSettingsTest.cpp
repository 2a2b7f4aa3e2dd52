#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "services/AccessRights.h"
#include "settings/LogSettings.h"
#include "tests/support/DiagCapture.h"
#include "tests/support/PlatformProbe.h"
#include "tests/support/TestEnvironment.h"

namespace {

const char* const kPrtLog = "SOFTWARE\\Norvale\\Quillbridge2\\PrtLog";

std::string commonAppData() {
    char path[MAX_PATH] = "";
    ::SHGetSpecialFolderPathA(NULL, path, CSIDL_COMMON_APPDATA, TRUE);
    return path;
}

bool isFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Starts each test without the settings file, its folders (when they are empty) and the
// PrtLog registry key, and puts back afterwards what was there before.
class SettingsStore : public testing::Test {
protected:
    void SetUp() override {
        vendor_ = commonAppData() + "\\Norvale";
        product_ = vendor_ + "\\Quillbridge2";
        ini_ = product_ + "\\KQVTLGVW.ini";
        hadVendor_ = isFolder(vendor_);
        hadProduct_ = isFolder(product_);
        hadIni_ = fileExists(ini_);
        if (hadIni_) savedIni_ = readFileBytes(ini_);
        removeIni();
        ::RemoveDirectoryA(product_.c_str());
        ::RemoveDirectoryA(vendor_.c_str());
        registry_.reset(new ScopedMachineKey(kPrtLog));
    }

    void TearDown() override {
        registry_.reset();
        removeIni();
        if (::GetFileAttributesA(product_.c_str()) != INVALID_FILE_ATTRIBUTES && !isFolder(product_))
            ::DeleteFileA(product_.c_str());
        if (hadIni_) {
            ::CreateDirectoryA(vendor_.c_str(), NULL);
            ::CreateDirectoryA(product_.c_str(), NULL);
            writeFileBytes(ini_, savedIni_.data(), savedIni_.size());
        }
        if (!hadProduct_) ::RemoveDirectoryA(product_.c_str());
        else ::CreateDirectoryA(product_.c_str(), NULL);
        if (!hadVendor_) ::RemoveDirectoryA(vendor_.c_str());
    }

    void removeIni() {
        ::SetFileAttributesA(ini_.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(ini_.c_str());
    }

    void writeIni(const std::string& text) {
        ::CreateDirectoryA(vendor_.c_str(), NULL);
        ::CreateDirectoryA(product_.c_str(), NULL);
        ASSERT_TRUE(writeFileBytes(ini_, text.data(), text.size()));
    }

    std::string iniText() const {
        std::vector<unsigned char> bytes = readFileBytes(ini_);
        return std::string(bytes.begin(), bytes.end());
    }

    std::string vistaDefault() const { return product_ + "\\KQVTPRT2.LOG"; }

    ScopedMachineKey& registry() { return *registry_; }

    std::string vendor_, product_, ini_;

private:
    bool hadVendor_ = false, hadProduct_ = false, hadIni_ = false;
    std::vector<unsigned char> savedIni_;
    std::unique_ptr<ScopedMachineKey> registry_;
};

TEST_F(SettingsStore, NothingConfiguredGivesTheDefaultsAndMakesTheFolders) {
    ASSERT_FALSE(isFolder(vendor_));
    ASSERT_EQ(OSVER_VISTA, getOsVersionCode());
    LogSettings settings;
    settings.load();
    EXPECT_EQ(500, settings.logSize);
    EXPECT_EQ(vistaDefault(), settings.logName.c_str());
    EXPECT_EQ(0, settings.errorType);
    EXPECT_TRUE(isFolder(vendor_));
    EXPECT_TRUE(isFolder(product_));
    EXPECT_FALSE(fileExists(ini_));  // loading never creates the file
    EXPECT_GE(settings.logName.capacity(), 520u);
}

TEST_F(SettingsStore, RegistryValuesStandInWhileThereIsNoFile) {
    struct Case {
        const char* name;
        std::function<void(ScopedMachineKey&)> set;
        int size;
        std::string path;
    };
    const std::string dbcsPath = "D:\\印刷ログ\\表示.LOG";  // "表" ends in a "\" byte
    const Case cases[] = {
        {"both", [](ScopedMachineKey& k) { k.setDword("LogMaxSize", 800); k.setString("LogFileName", "D:\\logs\\p.log"); },
         800, "D:\\logs\\p.log"},
        {"double-byte path", [&](ScopedMachineKey& k) { k.setString("LogFileName", dbcsPath.c_str()); }, 500, dbcsPath},
        {"size as text", [](ScopedMachineKey& k) { k.setString("LogMaxSize", "800"); }, 500, vistaDefault()},
        {"size of eight bytes", [](ScopedMachineKey& k) { unsigned char v[8] = {1}; k.setBinary("LogMaxSize", v, 8); },
         500, vistaDefault()},
        {"name as binary", [](ScopedMachineKey& k) { k.setBinary("LogFileName", "C:\\x.log", 9); }, 500, vistaDefault()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        registry().remove("LogMaxSize");
        registry().remove("LogFileName");
        c.set(registry());
        LogSettings settings;
        settings.load();
        EXPECT_EQ(c.size, settings.logSize);
        EXPECT_EQ(c.path, settings.logName.c_str());
        EXPECT_EQ(0, settings.errorType);
    }
}

TEST_F(SettingsStore, ARegistryPathThatDoesNotFitIsNotUsed) {
    DiagCapture diag;
    const std::string fits = "C:\\" + std::string(512, 'a') + ".log";  // 519 characters
    const std::string tooLong = "C:\\" + std::string(513, 'a') + ".log";
    ASSERT_EQ(519u, fits.size());

    registry().setString("LogFileName", fits.c_str());
    LogSettings settings;
    settings.load();
    EXPECT_EQ(fits, settings.logName.c_str());
    char buffer[520];
    EXPECT_EQ(1, LogSettings::readRegistryFileName(buffer, sizeof buffer));

    registry().setString("LogFileName", tooLong.c_str());
    LogSettings longer;
    longer.load();
    EXPECT_EQ(vistaDefault(), longer.logName.c_str());
    EXPECT_EQ(0, LogSettings::readRegistryFileName(buffer, sizeof buffer));
    EXPECT_EQ(vistaDefault(), buffer);
    EXPECT_NE(std::string::npos, diag.text().find("readRegistryFileName() error.  Errcode=122\r\n"));
}

TEST_F(SettingsStore, TheFileWinsOverTheRegistry) {
    registry().setDword("LogMaxSize", 800);
    registry().setString("LogFileName", "D:\\registry.log");
    struct Case { const char* name; std::string ini; int size; std::string path; int errorType; } cases[] = {
        {"all keys", "[logviewer]\r\nLogSize=1200\r\nLogName=C:\\印刷\\print.log\r\nErrorType=7\r\n", 1200,
         "C:\\印刷\\print.log", 7},
        {"no LogSize", "[logviewer]\r\nErrorType=3\r\n", 500, vistaDefault(), 3},
        {"empty file", "", 500, vistaDefault(), 0},
        {"other section", "[other]\r\nLogSize=9\r\n", 500, vistaDefault(), 0},
        {"negative size", "[logviewer]\r\nLogSize=-5\r\n", -5, vistaDefault(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeIni(c.ini);
        LogSettings settings;
        settings.load();
        EXPECT_EQ(c.size, settings.logSize);
        EXPECT_EQ(c.path, settings.logName.c_str());
        EXPECT_EQ(c.errorType, settings.errorType);
    }
}

TEST_F(SettingsStore, AnIniPathThatWouldBeCutIsNotUsed) {
    const std::string fits = "C:\\" + std::string(512, 'b') + ".log";
    const std::string tooLong = "C:\\" + std::string(520, 'b') + ".log";
    writeIni("[logviewer]\r\nLogName=" + fits + "\r\n");
    LogSettings settings;
    settings.load();
    EXPECT_EQ(fits, settings.logName.c_str());
    writeIni("[logviewer]\r\nLogName=" + tooLong + "\r\n");
    LogSettings longer;
    longer.load();
    EXPECT_EQ(vistaDefault(), longer.logName.c_str());
}

TEST_F(SettingsStore, AFileThatCannotBeOpenedForWritingFallsBackToTheRegistry) {
    registry().setDword("LogMaxSize", 800);
    writeIni("[logviewer]\r\nLogSize=1200\r\nErrorType=4\r\n");
    // Held without sharing by someone else: this process cannot open it for writing.
    HANDLE holder = ::CreateFileA(ini_.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    LogSettings settings;
    settings.load();
    ::CloseHandle(holder);
    EXPECT_EQ(800, settings.logSize);
    EXPECT_EQ(vistaDefault(), settings.logName.c_str());
    EXPECT_EQ(0, settings.errorType);

    LogSettings released;
    released.load();
    EXPECT_EQ(1200, released.logSize);
    EXPECT_EQ(4, released.errorType);
}

TEST_F(SettingsStore, SaveWritesOnlyWhatIsSet) {
    LogSettings pending;
    pending.errorType = 5;
    ASSERT_NE(0, pending.save());
    std::string text = iniText();
    EXPECT_NE(std::string::npos, text.find("[logviewer]"));
    EXPECT_NE(std::string::npos, text.find("ErrorType=5"));
    EXPECT_EQ(std::string::npos, text.find("LogSize"));
    EXPECT_EQ(std::string::npos, text.find("LogName"));

    LogSettings full;
    full.logSize = 700;
    full.logName.assign("C:\\表示\\print.log");
    ASSERT_NE(0, full.save());

    // A reset keeps size and name and writes "ErrorType" as 0.
    LogSettings reset;
    ASSERT_NE(0, reset.save());
    LogSettings loaded;
    loaded.load();
    EXPECT_EQ(700, loaded.logSize);
    EXPECT_STREQ("C:\\表示\\print.log", loaded.logName.c_str());
    EXPECT_EQ(0, loaded.errorType);
    EXPECT_NE(std::string::npos, iniText().find("ErrorType=0"));
}

// The allowed access of the Everyone entries of the file's DACL.
ACCESS_MASK everyoneAccess(const std::string& path) {
    HANDLE file = ::CreateFileA(path.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD size = 0;
    ::GetKernelObjectSecurity(file, DACL_SECURITY_INFORMATION, NULL, 0, &size);
    std::vector<unsigned char> sd(size ? size : 1);
    ACCESS_MASK mask = 0;
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = NULL;
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = NULL;
    ::AllocateAndInitializeSid(&world, 1, 0, 0, 0, 0, 0, 0, 0, 0, &everyone);
    if (::GetKernelObjectSecurity(file, DACL_SECURITY_INFORMATION, sd.data(), size, &size) &&
        ::GetSecurityDescriptorDacl(sd.data(), &present, &acl, &defaulted) && acl) {
        for (DWORD i = 0; i < acl->AceCount; ++i) {
            ACCESS_ALLOWED_ACE* ace = NULL;
            if (::GetAce(acl, i, reinterpret_cast<void**>(&ace)) && ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
                ::EqualSid(&ace->SidStart, everyone))
                mask |= ace->Mask;
        }
    }
    ::FreeSid(everyone);
    ::CloseHandle(file);
    return mask;
}

bool setEveryoneOnly(const std::string& path, ACCESS_MASK mask) {
    HANDLE file = ::CreateFileA(path.c_str(), WRITE_DAC, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return false;
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = NULL;
    ::AllocateAndInitializeSid(&world, 1, 0, 0, 0, 0, 0, 0, 0, 0, &everyone);
    unsigned char aclBuffer[128];
    PACL acl = reinterpret_cast<PACL>(aclBuffer);
    SECURITY_DESCRIPTOR sd;
    bool ok = ::InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION) &&
              ::AddAccessAllowedAce(acl, ACL_REVISION, mask, everyone) &&
              ::InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) &&
              ::SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE) &&
              ::SetKernelObjectSecurity(file, DACL_SECURITY_INFORMATION, &sd);
    ::FreeSid(everyone);
    ::CloseHandle(file);
    return ok;
}

TEST_F(SettingsStore, TheFirstSaveOpensTheFileToEveryone) {
    // The file as a plain create leaves it: Everyone may read but not write.
    writeIni("");
    const ACCESS_MASK plain = everyoneAccess(ini_);
    EXPECT_NE(FILE_GENERIC_WRITE, plain & FILE_GENERIC_WRITE);
    removeIni();

    LogSettings settings;
    ASSERT_NE(0, settings.save());
    // Wine keeps a file's DACL only as Unix mode bits, so the single Everyone entry reads
    // back as the widest access those bits can say.
    const ACCESS_MASK granted = everyoneAccess(ini_);
    EXPECT_EQ(FILE_GENERIC_WRITE, granted & FILE_GENERIC_WRITE);
    EXPECT_EQ(FILE_GENERIC_READ, granted & FILE_GENERIC_READ);

    // A later save finds the file and leaves its DACL alone.
    ASSERT_TRUE(setEveryoneOnly(ini_, FILE_GENERIC_READ));
    const ACCESS_MASK narrowed = everyoneAccess(ini_);
    ASSERT_NE(granted, narrowed);
    settings.errorType = 2;
    ASSERT_NE(0, settings.save());
    EXPECT_EQ(narrowed, everyoneAccess(ini_));
    EXPECT_NE(std::string::npos, iniText().find("ErrorType=2"));
}

TEST_F(SettingsStore, FailuresAreWrittenToTheDiagnosticLog) {
    DiagCapture diag;
    ByteString out;
    out.assign("unchanged");
    ::SetLastError(0);
    EXPECT_EQ(0, LogSettings::readInitFile(3, out));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), ::GetLastError());
    EXPECT_STREQ("unchanged", out.c_str());
    EXPECT_EQ(0, LogSettings::writeInitFile(3, "1"));
    ByteString noBuffer;
    EXPECT_EQ(0, LogSettings::writeInitFile(INIT_LOG_NAME, noBuffer));
    EXPECT_EQ(0, LogSettings::writeInitFile(-1, "1"));
    const std::string text = diag.text();
    EXPECT_NE(std::string::npos, text.find("readInitFile() error.  Errcode=87\r\n"));
    size_t writes = 0;
    for (size_t at = text.find("writeInitFile() error.  Errcode=87\r\n"); at != std::string::npos;
         at = text.find("writeInitFile() error.  Errcode=87\r\n", at + 1))
        ++writes;
    EXPECT_EQ(3u, writes);
    EXPECT_FALSE(fileExists(ini_));

    // A file where the product folder belongs: nothing can be created.
    ::CreateDirectoryA(vendor_.c_str(), NULL);
    ASSERT_TRUE(writeFileBytes(product_, "x", 1));
    HANDLE probe = ::CreateFileA(ini_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_EQ(INVALID_HANDLE_VALUE, probe);
    const DWORD expected = ::GetLastError();
    diag.clear();
    LogSettings settings;
    settings.logSize = 600;
    EXPECT_EQ(0, settings.save());
    EXPECT_EQ(expected, ::GetLastError());
    EXPECT_NE(std::string::npos,
              diag.text().find("createInitFile() error.  Errcode=" + std::to_string(expected) + "\r\n"));
    EXPECT_EQ(std::string::npos, diag.text().find("writeInitFile"));
}

TEST_F(SettingsStore, DefaultLogPathFollowsTheWindowsVersion) {
    // Only "ErrorType" in the file: the "LogName" default of the file is used as well.
    writeIni("[logviewer]\r\nErrorType=0\r\n");
    char system[MAX_PATH];
    ASSERT_NE(0u, ::GetSystemDirectoryA(system, MAX_PATH));
    const std::string systemDefault = std::string(system) + "\\KQVTPRT2.LOG";
    struct Case { const char* wineVersion; std::string expected; } cases[] = {
        {"winxp", systemDefault},
        {"win2k", systemDefault},
        {"win2003", systemDefault},
        {"vista", vistaDefault()},
        {"win7", vistaDefault()},
        {"win10", vistaDefault()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wineVersion);
        std::map<std::string, std::string> probe = runPlatformProbe(c.wineVersion, true);
        ASSERT_EQ(1u, probe.count("defaultPath"));
        EXPECT_EQ(c.expected, probe["defaultPath"]);
        EXPECT_EQ(c.expected, probe["initLogName"]);
        EXPECT_EQ(c.expected, probe["loadName"]);
        EXPECT_EQ("500", probe["loadSize"]);
    }
    // With no file the registry fallback gives the same default path.
    removeIni();
    std::map<std::string, std::string> xp = runPlatformProbe("winxp", true);
    EXPECT_EQ(systemDefault, xp["loadName"]);
    std::map<std::string, std::string> seven = runPlatformProbe("win7", true);
    EXPECT_EQ(vistaDefault(), seven["loadName"]);
}

}  // namespace
