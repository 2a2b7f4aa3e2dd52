#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/SettingsDialogIds.h"
#include "settings/LogNameRules.h"
#include "settings/LogSettings.h"
#include "settings/SettingsTexts.h"
#include "store/LogFormat.h"
#include "store/PrintLogStore.h"
#include "tests/support/TestGuard.h"
#include "tests/support/CreateFileHook.h"
#include "tests/support/DiagCapture.h"
#include "tests/support/DialogScript.h"
#include "tests/support/PlatformProbe.h"
#include "tests/support/RecordBuilder.h"
#include "tests/support/SettingsFile.h"
#include "tests/support/TestEnvironment.h"

namespace {

const char kPrtLog[] = "SOFTWARE\\Norvale\\Quillbridge2\\PrtLog";
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
    ScopedMachineKey registry_{kPrtLog};
};

// Without the file each registry value counts under its own name and type only; with it, none.
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
        const std::string bytes = c.type == REG_BINARY || c.type == REG_DWORD ? c.bytes : c.bytes + '\0';
        ASSERT_EQ(0, ::RegSetKeyValueA(HKEY_LOCAL_MACHINE, kPrtLog, c.name, c.type, bytes.data(), bytes.size()));
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

// The first save opens the new file to everyone; later saves leave the DACL as they find it.
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
}

TEST_F(SettingsStore, DefaultLogPathFollowsTheWindowsVersion) {
    ASSERT_TRUE(writeFileBytes(kIni, "[logviewer]\r\nErrorType=0\r\n", 26));
    char system[MAX_PATH];
    ASSERT_NE(0u, ::GetSystemDirectoryA(system, MAX_PATH));
    const std::string systemDefault = std::string(system) + "\\KQVTPRT2.LOG";
    for (const std::string version : {"winxp", "win2003", "vista"}) {
        auto probe = runPlatformProbe(version, true);
        for (const char* key : {"defaultPath", "initLogName", "loadName"})
            EXPECT_EQ(version == "vista" ? kVistaDefault : systemDefault, probe[key]) << version << " " << key;
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

// A log file of `count` records of 1 KB each.
std::string writeLog(const std::string& path, int count) {
    std::vector<std::vector<uint8_t>> records;
    for (int i = 0; i < count; ++i) records.push_back(RecordBuilder().kind(6).jobId(100 + i).padTo(1024).build());
    const std::vector<uint8_t> file = buildLogFile(records, 500);
    writeFileBytes(path, file.data(), file.size());
    return path;
}

uint32_t headerMaxSize(const std::string& path) {
    const std::vector<unsigned char> bytes = readFileBytes(path);
    return bytes.size() < sizeof(LogFileHeader) ? 0 : reinterpret_cast<const LogFileHeader*>(bytes.data())->maxSize;
}

// The settings dialog, in a fresh folder with a loaded log of three records.
class SettingsDialogTest : public SettingsStore {
protected:
    SettingsDialogTest() : log_(writeLog(dir_.file("print.log"), 3)), store_(log_.c_str(), 500) {
        initCommonControlsForTests();
        store_.load();
    }

    TempDir dir_;
    std::string log_;
    PrintLogStore store_;
    HostWindow owner_;
};

// Users outside Administrators and Power Users may only look, except in write-error mode.
TEST_F(SettingsDialogTest, TheVersionChoosesTheTemplateAndTheGroupWhatMayBeChanged) {
    for (OsVersionCode version : {OSVER_UNKNOWN, OSVER_XP, OSVER_2003})
        EXPECT_EQ(static_cast<UINT>(IDD_SETTINGS_PATH), TestSettingsDialog(&store_, version).templateId());
    const struct {
        uint32_t level;
        int mode;
        bool editable;
    } cases[] = {{GROUP_ADMINISTRATORS, kModeView, true}, {GROUP_POWER_USERS, kModeView, true},
                 {GROUP_USERS, kModeView, false},         {GROUP_NONE, kModeView, false},
                 {GROUP_USERS, kModeWriteError, true},    {GROUP_USERS, kModeIntake, false}};
    for (const auto& c : cases) {
        for (bool vista : {false, true}) {
            TestSettingsDialog dialog(&store_, vista ? OSVER_VISTA : OSVER_XP, c.level);
            dialog.setStartMode(c.mode);
            EXPECT_EQ(IDCANCEL, showScripted(dialog, owner_.hwnd(), {[&](HWND hwnd) {
                          EXPECT_EQ(-1, dialog.show(NULL));  // one at a time
                          const int name = vista ? IDC_FILE_EDIT : IDC_PATH_EDIT;
                          for (int id : {IDC_SIZE_EDIT, IDC_SIZE_SPIN, name, vista ? IDC_DEFAULTS_FILE : IDC_BROWSE,
                                         IDC_DEFAULTS_PATH, IDOK})
                              EXPECT_EQ(c.editable && ::GetDlgItem(hwnd, id), enabled(hwnd, id)) << c.level << id;
                          EXPECT_TRUE(enabled(hwnd, vista ? IDC_FOLDER_EDIT : IDC_NAME_LABEL));
                          clickButton(hwnd, IDCANCEL);
                      }}));
            pumpMessages();
            EXPECT_EQ(0, dialog.isActive());
        }
    }
}

// "LogLimitSize", a REG_DWORD from 5 on, bounds the spin range (16-bit at most). Only a lower
// maximum shrinks the log; a missing file is made and opened to everyone on 6.x.
TEST_F(SettingsDialogTest, OkAppliesASizeWithinTheLimitShrinksOnlyALowerMaximumAndCreatesMissingLogs) {
    const std::string upper = dir_.file("PRINT.LOG");
    const std::string fixed = kDataFolder + "\\表.log";
    ::DeleteFileA(fixed.c_str());
    const struct {
        DWORD type;
        DWORD limit;  // 0: no value
        DWORD storeKb;
        uint32_t range;
        const char* size;
        std::string typed;  // empty: the name as shown
        std::string path;  // empty: the size is refused
        size_t rows;  // left in the list
    } cases[] = {
        {REG_DWORD, 0, 2000, 1000, "1000", "", log_, 20},     {REG_DWORD, 0, 500, 1000, "1001", "", "", 20},
        {REG_DWORD, 0, 500, 1000, "5", "", log_, 0},          {REG_DWORD, 0, 500, 1000, "4", "", "", 20},
        {REG_DWORD, 0, 500, 1000, "", "", "", 20},            {REG_DWORD, 4, 500, 1000, "1000", "", log_, 20},
        {REG_DWORD, 5, 500, 5, "6", "", "", 20},              {REG_BINARY, 300, 500, 1000, "1000", "", log_, 20},
        {REG_DWORD, 32767, 40000, 32767, "32767", "", log_, 20},
        {REG_DWORD, 32768, 40000, 32767, "32768", "", "", 20},
        {REG_DWORD, 0, 10, 1000, "10", "", log_, 20},  // the same maximum, though the file is larger
        {REG_DWORD, 0, 500, 1000, "500", upper, upper, 20},  // the same file in other letters: no change
        {REG_DWORD, 0, 500, 1000, "200", dir_.file("") + "/fresh.log ", dir_.file("fresh.log"), 0},  // normalised
        {REG_DWORD, 0, 500, 1000, "200", "表.log", fixed, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.limit) + " " + c.size + " " + c.typed);
        writeLog(log_, 20);
        const std::vector<unsigned char> before = readFileBytes(log_);
        ini_.remove();
        ini_.set("ErrorType", "7");
        registry_.remove("LogLimitSize");
        if (c.limit) ::RegSetKeyValueA(HKEY_LOCAL_MACHINE, kPrtLog, "LogLimitSize", c.type, &c.limit, 4);
        PrintLogStore store(log_.c_str(), c.storeKb);
        ASSERT_EQ(kLoadChanged, store.load());
        const bool vista = c.path == fixed, accepted = !c.path.empty();
        TestSettingsDialog dialog(&store, vista ? OSVER_VISTA : OSVER_XP);
        BoxAnswerer boxes(kSizeCaption, IDOK);
        DWORD selection = 0;
        const INT_PTR result = showScripted(dialog, owner_.hwnd(), {[&](HWND hwnd) {
            EXPECT_EQ(MAKELONG(c.range, 5), ::SendDlgItemMessageA(hwnd, IDC_SIZE_SPIN, UDM_GETRANGE, 0, 0));
            EXPECT_EQ(std::to_string(std::min<DWORD>(c.storeKb, c.range)), dialogItemText(hwnd, IDC_SIZE_EDIT));
            ::SetDlgItemTextA(hwnd, IDC_SIZE_EDIT, c.size);
            if (!c.typed.empty()) ::SetDlgItemTextA(hwnd, vista ? IDC_FILE_EDIT : IDC_PATH_EDIT, c.typed.c_str());
            clickButton(hwnd, IDOK);
            EXPECT_TRUE(accepted || ::GetDlgItem(hwnd, IDC_SIZE_EDIT) == ::GetFocus());
            selection = static_cast<DWORD>(::SendDlgItemMessageA(hwnd, IDC_SIZE_EDIT, EM_GETSEL, 0, 0));
        }, [&](HWND hwnd) { clickButton(hwnd, IDCANCEL); }});
        EXPECT_EQ(accepted ? IDOK : IDCANCEL, result);
        const DWORD size = accepted ? static_cast<DWORD>(std::atoi(c.size)) : c.storeKb;
        EXPECT_EQ(size, store.maxKb());
        EXPECT_EQ(c.rows, store.count());
        const bool shrunk = size < std::min<DWORD>(c.storeKb, 500) && c.path == log_;  // the file's own is 500
        EXPECT_EQ(!shrunk, before == readFileBytes(log_));
        EXPECT_EQ(shrunk ? size * 1024 : 500u * 1024, headerMaxSize(log_));
        EXPECT_EQ(accepted ? c.path : log_, store.logPath());
        EXPECT_EQ(accepted ? std::string(c.size) + " " + c.path + " 0" : "  7",
                  ini_.get("LogSize") + " " + ini_.get("LogName") + " " + ini_.get("ErrorType"));
        if (accepted && c.path != log_ && c.path != upper) {
            EXPECT_EQ(64u, fileSize(c.path));
            EXPECT_EQ(200u * 1024, headerMaxSize(c.path));
            EXPECT_EQ(vista, (everyoneAccess(c.path) & FILE_GENERIC_WRITE) == FILE_GENERIC_WRITE);
        }
        if (accepted) continue;
        ASSERT_TRUE(boxes.wait(15000));
        EXPECT_EQ("5 ～ " + std::to_string(c.range) + "の範囲を指定してください。", boxes.texts()[0]);
        EXPECT_EQ(static_cast<DWORD>(MAKELONG(0, std::strlen(c.size))), selection);
    }
    ::DeleteFileA(fixed.c_str());
}

// Refused names and failed saves keep the dialog open and the viewer on the settings the intake reads.
TEST_F(SettingsDialogTest, RefusedNamesAndFailuresKeepTheDialogOpen) {
    writeFileBytes(dir_.file("empty.log"), "", 0);
    // Missing at the check, made by another process just before the create: checked as found.
    const std::string made = dir_.file("made.log"), other = dir_.file("other.log");
    CreateFileHook hook(made, [&] { writeFileBytes(made, "hello, world", 12); });
    const struct {
        OsVersionCode version;
        std::string typed;
        const char* message;
    } cases[] = {
        {OSVER_XP, dir_.file("missing\\print.log"), kNameFolderMissing},
        {OSVER_XP, dir_.file("empty.log"), kNameNotPrintLog},
        {OSVER_XP, made, kNameNotPrintLog},
        {OSVER_XP, "print.log", kNameInvalid},
        {OSVER_XP, "C:\\" + std::string(248, 'x'), kNameMalformed},
        {OSVER_VISTA, "", kNameInvalid},
        {OSVER_VISTA, std::string(250 - kDataFolder.size(), 'f'), kNameInvalid},
        {OSVER_XP, other, kApplySaveFailed},  // a folder where the settings file belongs
        {OSVER_XP, "", kApplyResizeFailed},  // the first record has no valid size
    };
    DiagCapture diag;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const bool saveFails = c.message == kApplySaveFailed, applied = c.message == kApplyResizeFailed;
        if (applied) {
            std::vector<unsigned char> broken = readFileBytes(writeLog(log_, 20));
            std::memset(&broken[sizeof(LogFileHeader)], 0, 4);  // the first record's size
            writeFileBytes(log_, broken.data(), broken.size());
        }
        ASSERT_TRUE(!saveFails || ::CreateDirectoryA(kIni.c_str(), NULL));
        diag.clear();
        TestSettingsDialog dialog(&store_, c.version);
        BoxAnswerer boxes(saveFails || applied ? kSettingsErrorCaption : kNameCaption, IDOK);
        const int nameEdit = c.version == OSVER_XP ? IDC_PATH_EDIT : IDC_FILE_EDIT;
        EXPECT_EQ(IDCANCEL, showScripted(dialog, owner_.hwnd(), {[&](HWND hwnd) {
            ::SetDlgItemTextA(hwnd, IDC_SIZE_EDIT, "10");
            if (!applied) ::SetDlgItemTextA(hwnd, nameEdit, c.typed.c_str());
            clickButton(hwnd, IDOK);
        }, [](HWND hwnd) { clickButton(hwnd, IDCANCEL); }}));
        ::RemoveDirectoryA(kIni.c_str());
        ASSERT_TRUE(boxes.wait(15000));
        EXPECT_EQ(c.message, boxes.texts()[0]);
        EXPECT_EQ(log_, store_.logPath());
        EXPECT_EQ(applied ? 10u : 500u, store_.maxKb());
        EXPECT_EQ(applied ? "10" : "", ini_.get("LogSize"));
        const int kind = saveFails ? kErrorSettingsFile : applied ? kErrorOther : kErrorNone;
        EXPECT_EQ(static_cast<DWORD>(kind), store_.errorKind());
        EXPECT_TRUE(applied || store_.count() == 3u);
        if (!saveFails) continue;
        EXPECT_EQ(64u, fileSize(other));
        EXPECT_EQ("createInitFile() error.  Errcode=" + std::to_string(ERROR_ACCESS_DENIED) + "\r\n",
                  diag.text().substr(diag.text().find("create")));
    }
    EXPECT_FALSE(fileExists(dir_.file("missing\\print.log")));
    EXPECT_EQ(sizeof(LogFileHeader) + 20 * 1024, fileSize(log_));
}

}  // namespace
