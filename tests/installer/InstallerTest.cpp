#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "services/RegistryKey.h"
#include "tests/support/PlatformProbe.h"
#include "tests/support/RecordBuilder.h"
#include "tests/support/SettingsFile.h"
#include "tests/support/TestEnvironment.h"

namespace {

const char kPrtLogKey[] = "SOFTWARE\\Norvale\\Quillbridge2\\PrtLog";
const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\KQVTLGVW.EXE";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillbridge2 PrtLog Viewer";

std::string folder(int csidl) {
    char path[MAX_PATH] = "";
    ::SHGetFolderPathA(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::string buildDir() {
    std::string exe = productExePath();
    return exe.substr(0, exe.find_last_of('\\') + 1);
}

std::string installDir() { return folder(CSIDL_PROGRAM_FILES) + "\\Norvale\\Quillbridge2"; }
std::string dataDir() { return folder(CSIDL_COMMON_APPDATA) + "\\Norvale\\Quillbridge2"; }
std::string menuDir() { return folder(CSIDL_COMMON_PROGRAMS) + "\\Quillbridge2"; }

bool keyExists(const char* subKey) {
    RegistryKey key;
    return key.open(HKEY_LOCAL_MACHINE, subKey, KEY_READ) != 0;
}

std::string readString(const char* subKey, const char* name) {
    RegistryKey key;
    ByteString value;
    if (!key.open(HKEY_LOCAL_MACHINE, subKey, KEY_READ) || !key.readString(name, value)) return "<missing>";
    return value.c_str();
}

DWORD readDword(const char* subKey, const char* name, DWORD missing) {
    RegistryKey key;
    DWORD value = 0;
    if (!key.open(HKEY_LOCAL_MACHINE, subKey, KEY_READ) || !key.readDword(name, value)) return missing;
    return value;
}

DWORD valueCount(const char* subKey) {
    RegistryKey key;
    DWORD values = 0;
    if (!key.open(HKEY_LOCAL_MACHINE, subKey, KEY_READ)) return 0;
    ::RegQueryInfoKeyA(key.get(), NULL, NULL, NULL, NULL, NULL, NULL, &values, NULL, NULL, NULL, NULL);
    return values;
}

// Runs a setup program and waits for it and every process it starts: the uninstaller
// copies itself to the temporary folder and lets the copy do the work.
bool runToTheEnd(const std::string& exe, const std::string& arguments, DWORD timeoutMs, DWORD* exitCode) {
    HANDLE job = ::CreateJobObjectA(NULL, NULL);
    HANDLE port = ::CreateIoCompletionPort(INVALID_HANDLE_VALUE, NULL, 0, 1);
    if (!job || !port) return false;
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT link = {};
    link.CompletionKey = job;
    link.CompletionPort = port;
    bool ok = ::SetInformationJobObject(job, JobObjectAssociateCompletionPortInformation, &link, sizeof link);
    std::string commandLine = "\"" + exe + "\" " + arguments;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ok = ok && ::CreateProcessA(exe.c_str(), buffer.data(), NULL, NULL, FALSE, CREATE_SUSPENDED, NULL, NULL, &si, &pi);
    if (ok) {
        ok = ::AssignProcessToJobObject(job, pi.hProcess) != 0;
        ::ResumeThread(pi.hThread);
        DWORD start = ::GetTickCount();
        bool allEnded = false;
        while (ok && !allEnded) {
            DWORD elapsed = ::GetTickCount() - start;
            if (elapsed >= timeoutMs) break;
            DWORD message = 0;
            ULONG_PTR key = 0;
            LPOVERLAPPED data = NULL;
            if (!::GetQueuedCompletionStatus(port, &message, &key, &data, timeoutMs - elapsed)) break;
            allEnded = message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO;
        }
        ::GetExitCodeProcess(pi.hProcess, exitCode);
        if (!allEnded) ::TerminateJobObject(job, 1);
        ok = ok && allEnded;
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
    ::CloseHandle(port);
    ::CloseHandle(job);
    return ok;
}

void removeFolder(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeFolder(path + "\\" + name);
            } else {
                ::DeleteFileA((path + "\\" + name).c_str());
            }
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(path.c_str());
}

// Leaves the prefix as the other suites expect it: nothing installed, no Norvale keys.
void removeEverything() {
    removeFolder(installDir());
    ::RemoveDirectoryA((folder(CSIDL_PROGRAM_FILES) + "\\Norvale").c_str());
    removeFolder(menuDir());
    removeFolder(dataDir());
    ::RemoveDirectoryA((folder(CSIDL_COMMON_APPDATA) + "\\Norvale").c_str());
    deleteRegistryTree(HKEY_LOCAL_MACHINE, kAppPathsKey);
    deleteRegistryTree(HKEY_LOCAL_MACHINE, kUninstallKey);
    deleteRegistryTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Norvale");
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef _WIN64
        // The installer is a 32-bit program; a 64-bit-only Wine cannot run it.
        GTEST_SKIP() << "32-bit installer";
#endif
        setup_ = buildDir() + "KQVTLGVW-setup.exe";
        ASSERT_TRUE(fileExists(setup_)) << setup_;
        removeEverything();
    }
    void TearDown() override { removeEverything(); }

    void install() {
        DWORD code = 99;
        ASSERT_TRUE(runToTheEnd(setup_, "/S", 120000, &code));
        ASSERT_EQ(0u, code);
    }
    void uninstall() {
        std::string uninstaller = installDir() + "\\KQVTLGVW-uninstall.exe";
        ASSERT_TRUE(fileExists(uninstaller));
        DWORD code = 99;
        ASSERT_TRUE(runToTheEnd(uninstaller, "/S", 120000, &code));
        ASSERT_EQ(0u, code);
    }

    std::string setup_;
};

TEST_F(Installer, InstallsTheViewerItsHelpAndTheRegistryDefaults) {
    install();
    std::string exe = installDir() + "\\KQVTLGVW.exe";
    EXPECT_EQ(readFileBytes(productExePath()), readFileBytes(exe));
    EXPECT_EQ(readFileBytes(buildDir() + "KQVTLGVW.CHM"), readFileBytes(installDir() + "\\KQVTLGVW.CHM"));

    // The printing side finds the viewer through App Paths.
    EXPECT_EQ(exe, readString(kAppPathsKey, NULL));
    EXPECT_EQ(installDir(), readString(kAppPathsKey, "Path"));

    EXPECT_EQ(500u, readDword(kPrtLogKey, "LogMaxSize", 0));
    EXPECT_EQ(1000u, readDword(kPrtLogKey, "LogLimitSize", 0));
    EXPECT_TRUE(keyExists("SOFTWARE\\Norvale\\Quillbridge2\\PrtLog\\Log"));
    EXPECT_EQ(0u, valueCount("SOFTWARE\\Norvale\\Quillbridge2\\PrtLog\\Log"));

    EXPECT_TRUE(fileExists(menuDir() + "\\印刷ログビューア.lnk"));
    EXPECT_TRUE(fileExists(dataDir()));
    EXPECT_EQ("\"" + installDir() + "\\KQVTLGVW-uninstall.exe\"", readString(kUninstallKey, "UninstallString"));

    uninstall();
    EXPECT_FALSE(fileExists(installDir()));
    EXPECT_FALSE(fileExists(folder(CSIDL_PROGRAM_FILES) + "\\Norvale"));
    EXPECT_FALSE(fileExists(menuDir()));
    EXPECT_FALSE(keyExists(kAppPathsKey));
    EXPECT_FALSE(keyExists(kUninstallKey));
    EXPECT_FALSE(keyExists("SOFTWARE\\Norvale"));
    EXPECT_FALSE(fileExists(dataDir()));
}

// An administrator's settings, the log, the settings file and pending records outlive
// both a reinstallation and the uninstallation.
TEST_F(Installer, KeepsSettingsLogAndPendingRecords) {
    {
        RegistryKey key;
        ASSERT_TRUE(key.create(HKEY_LOCAL_MACHINE, kPrtLogKey, KEY_ALL_ACCESS));
        ASSERT_TRUE(key.setDword("LogMaxSize", 700));
        ASSERT_TRUE(key.setDword("AllView", 1));
    }
    install();
    EXPECT_EQ(700u, readDword(kPrtLogKey, "LogMaxSize", 0));
    EXPECT_EQ(1000u, readDword(kPrtLogKey, "LogLimitSize", 0));

    {
        RegistryKey key;
        ASSERT_TRUE(key.create(HKEY_LOCAL_MACHINE, kPrtLogKey, KEY_ALL_ACCESS));
        ASSERT_TRUE(key.setDword("LogLimitSize", 2000));  // the default made, then raised
        ASSERT_TRUE(key.create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Norvale\\Quillbridge2\\PrtLog\\Log", KEY_ALL_ACCESS));
        const unsigned char record[4] = {1, 2, 3, 4};
        ASSERT_TRUE(key.setValue("Job0001", REG_BINARY, record, sizeof record));
    }
    const char log[] = "KQVTLG2";
    ASSERT_TRUE(writeFileBytes(dataDir() + "\\KQVTPRT2.LOG", log, sizeof log));
    ASSERT_TRUE(writeFileBytes(dataDir() + "\\KQVTLGVW.ini", "[logviewer]\r\n", 13));

    install();  // again, over the first
    EXPECT_EQ(700u, readDword(kPrtLogKey, "LogMaxSize", 0));
    EXPECT_EQ(1u, valueCount("SOFTWARE\\Norvale\\Quillbridge2\\PrtLog\\Log"));

    uninstall();
    EXPECT_FALSE(fileExists(installDir()));
    EXPECT_FALSE(keyExists(kAppPathsKey));
    EXPECT_EQ(700u, readDword(kPrtLogKey, "LogMaxSize", 0));
    EXPECT_EQ(2000u, readDword(kPrtLogKey, "LogLimitSize", 0));
    EXPECT_EQ(1u, readDword(kPrtLogKey, "AllView", 0));
    EXPECT_EQ(1u, valueCount("SOFTWARE\\Norvale\\Quillbridge2\\PrtLog\\Log"));
    EXPECT_TRUE(fileExists(dataDir() + "\\KQVTPRT2.LOG"));
    EXPECT_TRUE(fileExists(dataDir() + "\\KQVTLGVW.ini"));
}

}  // namespace

// After installation the App Paths entry is what a failed intake on the older code starts:
// a stand-in that records its arguments takes the installed viewer's place for the check.
TEST_F(Installer, FailedIntakeStartsTheInstalledViewerThroughAppPaths) {
    install();
    const std::string installed = installDir() + "\\KQVTLGVW.exe";
    const std::string recording = installed + ".txt";
    ASSERT_TRUE(::CopyFileA((testBinaryDir() + "kqvt_args_recorder.exe").c_str(), installed.c_str(), FALSE));
    {
        TempDir dir;
        ScopedSettingsFile settings;
        settings.set("LogName", dir.file("missing\\KQVTPRT2.LOG"));
        ScopedWineVersion xp("KQVTLGVW.exe", "winxp");
        ASSERT_TRUE(xp.ok());
        ScopedMachineKey pending("SOFTWARE\\Norvale\\Quillbridge2\\PrtLog\\Log");
        std::vector<uint8_t> record = RecordBuilder().build();
        pending.setBinary("after-install", record.data(), DWORD(record.size()));
        ChildProcess intake;
        ASSERT_TRUE(intake.start(productExePath(), "-w after-install"));
        DWORD code = 1;
        ASSERT_TRUE(intake.wait(60000, &code));
        EXPECT_EQ(0u, code);
        std::string text;
        for (int i = 0; i < 300 && text.find("arg2=") == std::string::npos; ++i) {
            std::vector<unsigned char> bytes = readFileBytes(recording);
            text.assign(bytes.begin(), bytes.end());
            if (text.find("arg2=") == std::string::npos) ::Sleep(50);
        }
        EXPECT_NE(std::string::npos, text.find("arg1=-b\n")) << text;
        EXPECT_NE(std::string::npos, text.find("arg2=6\n")) << text;
    }
    ::DeleteFileA(recording.c_str());
    uninstall();
    EXPECT_FALSE(fileExists(installDir()));
}
