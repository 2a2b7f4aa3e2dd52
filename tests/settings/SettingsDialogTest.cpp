#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/PrivateMessages.h"
#include "resources/SettingsDialogIds.h"
#include "settings/LogSettings.h"
#include "settings/SettingsDialog.h"
#include "settings/SettingsTexts.h"
#include "store/LogFormat.h"
#include "store/PrintLogStore.h"
#include "tests/support/BoxAnswerer.h"
#include "tests/support/CreateFileHook.h"
#include "tests/support/DialogScript.h"
#include "tests/support/RecordBuilder.h"
#include "tests/support/SettingsFile.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WindowTestSupport.h"

ACCESS_MASK everyoneAccess(const std::string& path);
void setPrtLogValue(const char* name, DWORD type, const std::string& bytes);

namespace {

// The real dialog with the group level and the Windows version chosen by the test.
class TestSettingsDialog : public SettingsDialog {
public:
    TestSettingsDialog(PrintLogStore* store, OsVersionCode version, uint32_t level = GROUP_ADMINISTRATORS)
        : SettingsDialog(testInstance(), store), level_(level) {
        setOsVersionCode(version);
    }

protected:
    uint32_t userGroupLevel() const override { return level_; }

private:
    uint32_t level_;
};

bool enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

// A log file of `count` records of 1 KB each.
std::string writeLog(const std::string& path, int count) {
    std::vector<std::vector<uint8_t>> records;
    for (int i = 0; i < count; ++i) records.push_back(RecordBuilder().kind(6).jobId(100 + i).padTo(1024).build());
    const std::vector<uint8_t> file = buildLogFile(records, 500);
    writeFileBytes(path, file.data(), file.size());
    return path;
}

uint32_t headerMaxSize(const std::string& path) {
    LogFileHeader header = {};
    const std::vector<unsigned char> bytes = readFileBytes(path);
    if (bytes.size() >= sizeof header) std::memcpy(&header, bytes.data(), sizeof header);
    return hasLogSignature(&header, sizeof header) ? header.maxSize : 0;
}

// Each test starts without the settings file and the PrtLog key, in a fresh folder with a
// loaded log of three records.
class SettingsDialogTest : public testing::Test {
protected:
    SettingsDialogTest() : log_(writeLog(dir_.file("print.log"), 3)), store_(log_.c_str(), 500) {
        initCommonControlsForTests();
        store_.load();
    }
    std::string file(const std::string& name) const { return dir_.file(name); }

    // Types the values into the shown dialog and presses OK; a dialog still up after that is
    // cancelled, so IDCANCEL says that OK kept it open.
    INT_PTR typeAndOk(TestSettingsDialog& dialog, const char* size, const std::string* name) {
        return showScripted(dialog, owner_.hwnd(),
                            {[&](HWND hwnd) {
                                 if (size) ::SetDlgItemTextA(hwnd, IDC_SIZE_EDIT, size);
                                 const int edit = dialog.templateId() == IDD_SETTINGS_FILE ? IDC_FILE_EDIT : IDC_PATH_EDIT;
                                 if (name) ::SetDlgItemTextA(hwnd, edit, name->c_str());
                                 clickButton(hwnd, IDOK);
                             },
                             [](HWND hwnd) { clickButton(hwnd, IDCANCEL); }});
    }

    ScopedSettingsFile settings_;
    ScopedMachineKey prtLog_{"SOFTWARE\\Norvale\\Quillbridge2\\PrtLog"};
    TempDir dir_;
    std::string log_;
    PrintLogStore store_;
    HostWindow owner_;
};

// Template 117 below Windows 6.x, 119 on it, both announced to the owner; users outside the
// Administrators and Power Users groups may only look, except in write-error mode.
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
        for (UINT templateId : {IDD_SETTINGS_PATH, IDD_SETTINGS_FILE}) {
            const bool vista = templateId == IDD_SETTINGS_FILE;
            TestSettingsDialog dialog(&store_, vista ? OSVER_VISTA : OSVER_XP, c.level);
            dialog.setStartMode(c.mode);
            owner_.clearLog();
            HWND shown = NULL;
            EXPECT_EQ(IDCANCEL, showScripted(dialog, owner_.hwnd(), {[&](HWND hwnd) {
                          shown = hwnd;
                          EXPECT_EQ(-1, dialog.show(NULL));  // one at a time
                          const int name = vista ? IDC_FILE_EDIT : IDC_PATH_EDIT;
                          for (int id : {IDC_SIZE_EDIT, IDC_SIZE_SPIN, name, vista ? IDC_DEFAULTS_FILE : IDC_BROWSE,
                                         IDC_DEFAULTS_PATH, IDOK})
                              EXPECT_EQ(c.editable && ::GetDlgItem(hwnd, id), enabled(hwnd, id)) << c.level << id;
                          EXPECT_TRUE(enabled(hwnd, IDCANCEL) && enabled(hwnd, vista ? IDC_FOLDER_EDIT : IDC_NAME_LABEL));
                          EXPECT_EQ("500", dialogItemText(hwnd, IDC_SIZE_EDIT));
                          clickButton(hwnd, IDCANCEL);
                      }}));
            pumpMessages();
            EXPECT_EQ(0, dialog.isActive());
            for (UINT message : {kDialogOpenedMessage, kDialogClosedMessage}) {
                const std::vector<LoggedMessage> got = owner_.received(message);
                ASSERT_EQ(1u, got.size());
                EXPECT_EQ(reinterpret_cast<WPARAM>(shown), got[0].wParam);
                EXPECT_EQ(static_cast<LPARAM>(templateId), got[0].lParam);
            }
        }
    }
}

// "LogLimitSize", a REG_DWORD from 5 on, bounds the spin range (16-bit at most) and the size
// shown; a typed size outside the range keeps the dialog open, one at either edge is saved.
TEST_F(SettingsDialogTest, TheSizeLimitBoundsTheRangeAtBothEdges) {
    const struct {
        DWORD type;
        DWORD limit;  // 0: no value
        DWORD storeKb;
        uint32_t range;
        const char* typed;
        bool accepted;
    } cases[] = {
        {REG_DWORD, 0, 2000, 1000, "1000", true},  {REG_DWORD, 0, 500, 1000, "1001", false},
        {REG_DWORD, 0, 500, 1000, "5", true},      {REG_DWORD, 0, 500, 1000, "4", false},
        {REG_DWORD, 0, 500, 1000, "", false},      {REG_DWORD, 4, 500, 1000, "1000", true},
        {REG_DWORD, 5, 500, 5, "6", false},        {REG_DWORD, 32767, 40000, 32767, "32767", true},
        {REG_DWORD, 32768, 40000, 32767, "32768", false},
        {REG_BINARY, 300, 500, 1000, "1000", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.limit) + " " + c.typed);
        settings_.remove();
        prtLog_.remove("LogLimitSize");
        if (c.limit) setPrtLogValue("LogLimitSize", c.type, std::string(reinterpret_cast<const char*>(&c.limit), 4));
        store_.setMaxKb(c.storeKb);
        TestSettingsDialog dialog(&store_, OSVER_XP);
        BoxAnswerer boxes(kSizeCaption, IDOK);
        DWORD selection = 0;
        const INT_PTR result = showScripted(dialog, owner_.hwnd(), {[&](HWND hwnd) {
            EXPECT_EQ(MAKELONG(c.range, 5), ::SendDlgItemMessageA(hwnd, IDC_SIZE_SPIN, UDM_GETRANGE, 0, 0));
            EXPECT_EQ(std::to_string(std::min<DWORD>(c.storeKb, c.range)), dialogItemText(hwnd, IDC_SIZE_EDIT));
            ::SetDlgItemTextA(hwnd, IDC_SIZE_EDIT, c.typed);
            clickButton(hwnd, IDOK);
            EXPECT_TRUE(c.accepted || ::GetDlgItem(hwnd, IDC_SIZE_EDIT) == ::GetFocus());
            selection = static_cast<DWORD>(::SendDlgItemMessageA(hwnd, IDC_SIZE_EDIT, EM_GETSEL, 0, 0));
        }, [&](HWND hwnd) { clickButton(hwnd, IDCANCEL); }});
        EXPECT_EQ(c.accepted ? IDOK : IDCANCEL, result);
        EXPECT_EQ(c.accepted ? c.typed : "", settings_.get("LogSize"));
        if (c.accepted) continue;
        ASSERT_TRUE(boxes.wait(15000));
        EXPECT_EQ("5 ～ " + std::to_string(c.range) + "の範囲を指定してください。", boxes.texts()[0]);
        EXPECT_EQ(static_cast<DWORD>(MAKELONG(0, std::strlen(c.typed))), selection);
    }
}

// OK applies the values under the lock and saves all three keys even when the size stays.
// Only a lower maximum shrinks the log; a new name empties the list, and a missing file is
// made with a fresh header first, opened to everyone only on Windows 6.x as every log the
// program makes. A file that another process holds open is taken as it is.
TEST_F(SettingsDialogTest, OkAppliesTheValuesShrinksOnlyALowerMaximumAndCreatesMissingLogs) {
    writeLog(log_, 20);
    const std::vector<unsigned char> before = readFileBytes(log_);
    std::string upper = log_;
    for (char& ch : upper) ch = static_cast<char>(::toupper(static_cast<unsigned char>(ch)));
    const std::string held = writeLog(file("held.log"), 2);
    const std::string fixed = ScopedSettingsFile::path().substr(0, ScopedSettingsFile::path().rfind('\\')) + "\\表.log";
    ::DeleteFileA(fixed.c_str());
    ReadyEvent ready;
    ChildProcess holder;
    ASSERT_TRUE(startHelper(holder, "kqvt_holder", "file \"" + held + "\" 60000 " + ready.name()));
    ASSERT_TRUE(ready.wait(10000));
    const struct {
        DWORD storeKb;
        const char* size;
        std::string typed;  // empty: the name as shown
        std::string path;
        size_t rows;  // left in the list
        bool created;
    } cases[] = {
        {500, "800", "", log_, 20, false},
        {10, "10", "", log_, 20, false},  // the same maximum, though the file is larger
        {500, "500", upper, upper, 20, false},  // the same file in other letters: no change
        {500, "10", "", log_, 0, false},
        {500, "200", held, held, 0, false},
        {500, "200", file("") + "/fresh.log ", file("fresh.log"), 0, true},  // stored normalised
        {500, "200", "表.log", fixed, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + " " + c.size);
        PrintLogStore store(log_.c_str(), c.storeKb);
        ASSERT_EQ(kLoadChanged, store.load());
        settings_.set("ErrorType", "7");
        TestSettingsDialog dialog(&store, c.path == fixed ? OSVER_VISTA : OSVER_XP);
        EXPECT_EQ(IDOK, typeAndOk(dialog, c.size, c.typed.empty() ? nullptr : &c.typed));
        EXPECT_EQ(static_cast<DWORD>(std::atoi(c.size)), store.maxKb());
        EXPECT_EQ(c.rows, store.count());
        EXPECT_EQ(c.rows != 0, before == readFileBytes(log_));
        EXPECT_EQ(c.path, store.logPath());
        EXPECT_EQ(std::string(c.size) + " " + c.path + " 0",
                  settings_.get("LogSize") + " " + settings_.get("LogName") + " " + settings_.get("ErrorType"));
        if (!c.created) continue;
        EXPECT_EQ(64u, fileSize(c.path));
        EXPECT_EQ(200u * 1024, headerMaxSize(c.path));
        EXPECT_EQ(c.path == fixed, (everyoneAccess(c.path) & FILE_GENERIC_WRITE) == FILE_GENERIC_WRITE);
    }
    EXPECT_EQ(10u * 1024, headerMaxSize(log_));
    holder.kill();
    ::DeleteFileA(fixed.c_str());
    // A log deleted since the load is made again, and the list emptied.
    PrintLogStore store(log_.c_str(), 500);
    ASSERT_EQ(kLoadChanged, store.load());
    ASSERT_TRUE(::DeleteFileA(log_.c_str()));
    TestSettingsDialog dialog(&store, OSVER_XP);
    EXPECT_EQ(IDOK, typeAndOk(dialog, nullptr, nullptr));
    EXPECT_EQ(64u, fileSize(log_));
    EXPECT_EQ(0u, store.count());
}

TEST_F(SettingsDialogTest, RefusedNamesKeepEverything) {
    const std::string foreign = file("foreign.txt");
    writeFileBytes(foreign, "hello, world", 12);
    const std::string empty = file("empty.log");
    writeFileBytes(empty, "", 0);
    // Missing at the check, made by another process just before the create.
    const std::string made = file("made.log");
    CreateFileHook hook(made, [&] { writeFileBytes(made, "hello, world", 12); });
    const std::string fixedFolder = ScopedSettingsFile::path().substr(0, ScopedSettingsFile::path().rfind('\\') + 1);
    const struct {
        OsVersionCode version;
        std::string typed;
        const char* message;
    } cases[] = {
        {OSVER_XP, file("missing\\print.log"), kNameFolderMissing},
        {OSVER_XP, foreign, kNameNotPrintLog},
        {OSVER_XP, empty, kNameNotPrintLog},
        {OSVER_XP, made, kNameNotPrintLog},
        {OSVER_XP, "print.log", kNameInvalid},
        {OSVER_XP, "C:\\" + std::string(248, 'x'), kNameMalformed},
        {OSVER_VISTA, "sub\\print.log", kNameInvalid},
        {OSVER_VISTA, "", kNameInvalid},
        {OSVER_VISTA, std::string(251 - fixedFolder.size(), 'f'), kNameInvalid},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        TestSettingsDialog dialog(&store_, c.version);
        BoxAnswerer boxes(kNameCaption, IDOK);
        EXPECT_EQ(IDCANCEL, typeAndOk(dialog, nullptr, &c.typed));
        ASSERT_TRUE(boxes.wait(15000));
        EXPECT_EQ(c.message, boxes.texts()[0]);
        EXPECT_EQ(log_, store_.logPath());
        EXPECT_EQ(3u, store_.count());
        EXPECT_EQ("", settings_.get("LogName"));
    }
    EXPECT_FALSE(fileExists(file("missing\\print.log")));
}

// A failed save leaves the viewer on the settings that the intake still reads; a failed
// resize comes after the save. Either way the dialog stays open with the reason.
TEST_F(SettingsDialogTest, FailuresAfterTheChecksAreReportedAndKeepTheDialogOpen) {
    // A log whose first record has no valid size: it verifies, but cannot be shrunk.
    LogFileHeader header;
    makeFreshHeader(header, 500);
    std::vector<uint8_t> broken(sizeof header + 20 * 1024, 0);
    header.usedSize = header.appendOffset = header.tailOffset = static_cast<uint32_t>(broken.size());
    std::memcpy(broken.data(), &header, sizeof header);
    const std::string other = file("other.log");
    for (bool saveFails : {true, false}) {
        SCOPED_TRACE(saveFails);
        if (!saveFails) writeFileBytes(log_, broken.data(), broken.size());
        // A folder where the settings file should be: nothing can be written there.
        ASSERT_TRUE(!saveFails || ::CreateDirectoryA(ScopedSettingsFile::path().c_str(), NULL));
        TestSettingsDialog dialog(&store_, OSVER_XP);
        BoxAnswerer boxes(kSettingsErrorCaption, IDOK);
        EXPECT_EQ(IDCANCEL, typeAndOk(dialog, "10", saveFails ? &other : nullptr));
        ::RemoveDirectoryA(ScopedSettingsFile::path().c_str());
        ASSERT_TRUE(boxes.wait(15000));
        EXPECT_EQ(saveFails ? kApplySaveFailed : kApplyResizeFailed, boxes.texts()[0]);
        EXPECT_EQ(static_cast<DWORD>(saveFails ? kErrorSettingsFile : kErrorOther), store_.errorKind());
        EXPECT_EQ(log_, store_.logPath());
        EXPECT_EQ(saveFails ? 500u : 10u, store_.maxKb());
        EXPECT_EQ(saveFails ? "" : "10", settings_.get("LogSize"));
        EXPECT_EQ(saveFails ? 64u : broken.size(), fileSize(saveFails ? other : log_));
    }
}

}  // namespace
