#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "services/RegistryKey.h"
#include "tests/support/TestEnvironment.h"

namespace {

const char kPrtLog[] = "SOFTWARE\\Norvale\\Quillbridge2\\PrtLog";
const char kPending[] = "SOFTWARE\\Norvale\\Quillbridge2\\PrtLog\\Log";
const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\KQVTLGVW.EXE";
const char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillbridge2 PrtLog Viewer";

std::string folder(int csidl, const char* below) {
    char path[MAX_PATH] = "";
    ::SHGetFolderPathA(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, path);
    return std::string(path) + below;
}
const std::string kInstallDir = folder(CSIDL_PROGRAM_FILES, "\\Norvale\\Quillbridge2");
const std::string kDataDir = folder(CSIDL_COMMON_APPDATA, "\\Norvale\\Quillbridge2");
const std::string kMenuDir = folder(CSIDL_COMMON_PROGRAMS, "\\Quillbridge2");

// A value as text ("<missing>" when absent): REG_SZ as it is, REG_DWORD in decimal.
std::string value(const char* key, const char* name) {
    char data[MAX_PATH] = "";
    DWORD size = sizeof data, type = 0;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, key, name, RRF_RT_ANY, &type, data, &size)) return "<missing>";
    if (type == REG_BINARY) return "<binary>";
    return type == REG_DWORD ? std::to_string(*reinterpret_cast<DWORD*>(data)) : data;
}

bool keyExists(const char* key) { return RegistryKey().open(HKEY_LOCAL_MACHINE, key, KEY_READ) != 0; }

// The uninstaller runs in place ("_?="): it would hand the work to a copy of itself.
void runSilently(const std::string& exe, const std::string& arguments = "") {
    ChildProcess setup;
    DWORD code = 99;
    ASSERT_TRUE(setup.start(exe, "/S" + arguments));
    ASSERT_TRUE(setup.wait(120000, &code)) << exe;
    EXPECT_EQ(0u, code) << exe;
}

// Leaves the prefix as the other suites expect it: nothing installed, no Norvale keys.
class Installer : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef _WIN64
        GTEST_SKIP() << "the installer is a 32-bit program";
#endif
        ASSERT_TRUE(fileExists(setup_)) << setup_;
        TearDown();
    }
    void TearDown() override {
        for (const std::string& dir : {kInstallDir, kMenuDir, kDataDir}) removeTree(dir);
        ::RemoveDirectoryA(folder(CSIDL_PROGRAM_FILES, "\\Norvale").c_str());
        ::RemoveDirectoryA(folder(CSIDL_COMMON_APPDATA, "\\Norvale").c_str());
        for (const char* key : {kAppPaths, kUninstall, "SOFTWARE\\Norvale"})
            deleteRegistryTree(HKEY_LOCAL_MACHINE, key);
    }

    const std::string setup_ = productExePath().substr(0, productExePath().rfind('\\') + 1) + "KQVTLGVW-setup.exe";
};

// The log, the settings file and pending records outlive the uninstallation.
TEST_F(Installer, InstallsTheViewerAndRemovesOnlyWhatItMade) {
    const DWORD maxSize = 700;
    ASSERT_EQ(0, ::RegSetKeyValueA(HKEY_LOCAL_MACHINE, kPrtLog, "LogMaxSize", REG_DWORD, &maxSize, 4));
    runSilently(setup_);
    const std::string exe = kInstallDir + "\\KQVTLGVW.exe";
    EXPECT_EQ(readFileBytes(productExePath()), readFileBytes(exe));
    EXPECT_TRUE(fileExists(kInstallDir + "\\KQVTLGVW.CHM"));
    // The printing side finds the viewer through App Paths.
    EXPECT_EQ(exe + " " + kInstallDir, value(kAppPaths, NULL) + " " + value(kAppPaths, "Path"));
    EXPECT_EQ("700 1000", value(kPrtLog, "LogMaxSize") + " " + value(kPrtLog, "LogLimitSize"));
    EXPECT_TRUE(keyExists(kPending));
    EXPECT_TRUE(fileExists(kMenuDir + "\\印刷ログビューア.lnk"));
    EXPECT_EQ("\"" + kInstallDir + "\\KQVTLGVW-uninstall.exe\"", value(kUninstall, "UninstallString"));

    ASSERT_EQ(0, ::RegSetKeyValueA(HKEY_LOCAL_MACHINE, kPending, "Job0001", REG_BINARY, "\x01\x02\x03\x04", 4));
    ASSERT_TRUE(writeFileBytes(kDataDir + "\\KQVTPRT2.LOG", "KQVTLG2", 8));
    ASSERT_TRUE(writeFileBytes(kDataDir + "\\KQVTLGVW.ini", "[logviewer]\r\n", 13));
    runSilently(kInstallDir + "\\KQVTLGVW-uninstall.exe", " _?=" + kInstallDir);
    for (const std::string& gone : {exe, kInstallDir + "\\KQVTLGVW.CHM", kMenuDir})
        EXPECT_FALSE(fileExists(gone)) << gone;
    EXPECT_FALSE(keyExists(kAppPaths) || keyExists(kUninstall));
    EXPECT_EQ("700 <missing>", value(kPrtLog, "LogMaxSize") + " " + value(kPrtLog, "LogLimitSize"));
    EXPECT_EQ("<binary>", value(kPending, "Job0001"));
    EXPECT_TRUE(fileExists(kDataDir + "\\KQVTPRT2.LOG") && fileExists(kDataDir + "\\KQVTLGVW.ini"));
}

}  // namespace
