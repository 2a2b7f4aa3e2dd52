#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/PrivateMessages.h"
#include "resources/SettingsDialogIds.h"
#include "help/ContextHelp.h"
#include "settings/LogSettings.h"
#include "settings/SettingsDialog.h"
#include "settings/SettingsTexts.h"
#include "store/FileAccessor.h"
#include "store/LogFormat.h"
#include "store/PrintLogStore.h"
#include "tests/support/BoxAnswerer.h"
#include "tests/support/CreateFileHook.h"
#include "tests/support/RecordBuilder.h"
#include "tests/support/SettingsFile.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WindowTestSupport.h"

namespace {

const char* const kPrtLog = "SOFTWARE\\Norvale\\Quillbridge2\\PrtLog";
constexpr INT_PTR kTimedOut = -2;
constexpr DWORD kBoxWaitMs = 15000;

// The real dialog with the group level and the Windows version chosen by the test. Its
// steps run one by one from posted messages inside its own modal loop; a watchdog ends a
// dialog that no step closed. The open-file dialog answers from a script.
class TestSettingsDialog : public SettingsDialog {
public:
    TestSettingsDialog(PrintLogStore* store, OsVersionCode version, uint32_t level = GROUP_ADMINISTRATORS)
        : SettingsDialog(testInstance(), store), level_(level) {
        setOsVersionCode(version);
    }

    LRESULT windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kStep) {
            if (next_ < steps.size()) {
                steps[next_++](hwnd);
                if (next_ < steps.size()) ::PostMessageA(hwnd, kStep, 0, 0);
            }
            return TRUE;
        }
        if (message == WM_TIMER && wParam == kWatchdog) {
            ::EndDialog(hwnd, kTimedOut);
            return TRUE;
        }
        if (message == WM_INITDIALOG) activeAtInit = isActive();
        LRESULT result = SettingsDialog::windowProc(hwnd, message, wParam, lParam);
        if (message == WM_INITDIALOG) {
            next_ = 0;
            ::SetTimer(hwnd, kWatchdog, 30000, nullptr);
            ::PostMessageA(hwnd, kStep, 0, 0);
        }
        return result;
    }

    std::vector<std::function<void(HWND)>> steps;
    int activeAtInit = -1;
    // One entry per open-file dialog: the chosen file (empty: cancelled) and the extended error.
    struct BrowseAnswer {
        std::string file;
        DWORD error;
    };
    std::vector<BrowseAnswer> browseAnswers;
    std::vector<std::string> browsePresets;

protected:
    uint32_t userGroupLevel() const override { return level_; }

    const char* openFileDialog(FileAccessor& file, HWND owner, const char* initialName) override {
        (void)owner;
        browsePresets.push_back(initialName ? initialName : "");
        lastError_ = 0;
        if (browsePresets.size() > browseAnswers.size()) return nullptr;
        const BrowseAnswer& answer = browseAnswers[browsePresets.size() - 1];
        lastError_ = answer.error;
        if (answer.file.empty()) return nullptr;
        file.setName(answer.file.c_str(), FILE_SHARE_READ);
        return file.name();
    }
    DWORD openFileDialogError() const override { return lastError_; }

private:
    static constexpr UINT kStep = WM_APP + 500;
    static constexpr UINT_PTR kWatchdog = 78;
    uint32_t level_;
    size_t next_ = 0;
    DWORD lastError_ = 0;
};

std::string itemText(HWND dialog, int id) {
    char text[1024] = "";
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void setItemText(HWND dialog, int id, const std::string& text) { ::SetDlgItemTextA(dialog, id, text.c_str()); }

void click(HWND dialog, int id) {
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

// A last step that notes that the dialog is still open and cancels it. A dialog that an
// earlier step ended never runs it.
void addCancelStep(TestSettingsDialog& dialog, bool* stillOpen) {
    dialog.steps.push_back([stillOpen](HWND hwnd) {
        *stillOpen = true;
        click(hwnd, IDCANCEL);
    });
}

bool enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

std::string commonAppData() {
    char path[MAX_PATH] = "";
    ::SHGetSpecialFolderPathA(NULL, path, CSIDL_COMMON_APPDATA, TRUE);
    return path;
}

// A log file of `count` records of 1 KB each.
std::string writeLog(const std::string& path, int count, uint32_t maxKb = 500) {
    std::vector<std::vector<uint8_t>> records;
    for (int i = 0; i < count; ++i)
        records.push_back(RecordBuilder().kind(6).jobId(100 + i).document("doc" + std::to_string(i)).padTo(1024).build());
    std::vector<uint8_t> file = buildLogFile(records, maxKb);
    writeFileBytes(path, file.data(), file.size());
    return path;
}

LogFileHeader readHeader(const std::string& path) {
    LogFileHeader header;
    std::memset(&header, 0, sizeof header);
    std::vector<unsigned char> bytes = readFileBytes(path);
    if (bytes.size() >= sizeof header) std::memcpy(&header, bytes.data(), sizeof header);
    return header;
}

// Each test starts without the settings file and the PrtLog key and with a fresh folder.
class SettingsDialogTest : public testing::Test {
protected:
    void SetUp() override {
        initCommonControlsForTests();
        settingsFile_.reset(new ScopedSettingsFile);
        prtLog_.reset(new ScopedMachineKey(kPrtLog));
        dir_.reset(new TempDir);
    }
    void TearDown() override {
        dir_.reset();
        prtLog_.reset();
        settingsFile_.reset();
    }

    std::string file(const std::string& name) const { return dir_->file(name); }

    std::unique_ptr<ScopedSettingsFile> settingsFile_;
    std::unique_ptr<ScopedMachineKey> prtLog_;
    std::unique_ptr<TempDir> dir_;
    HostWindow owner_;
};

TEST_F(SettingsDialogTest, TheVersionChoosesTheTemplate) {
    PrintLogStore store(file("a.log").c_str(), 500);
    const struct {
        OsVersionCode version;
        UINT expected;
    } cases[] = {
        {OSVER_UNKNOWN, IDD_SETTINGS_PATH},
        {OSVER_XP, IDD_SETTINGS_PATH},
        {OSVER_2003, IDD_SETTINGS_PATH},
        {OSVER_VISTA, IDD_SETTINGS_FILE},
    };
    for (const auto& c : cases) {
        TestSettingsDialog dialog(&store, c.version);
        bool hasPath = false;
        bool hasFile = false;
        dialog.steps.push_back([&](HWND hwnd) {
            hasPath = ::GetDlgItem(hwnd, IDC_PATH_EDIT) != NULL;
            hasFile = ::GetDlgItem(hwnd, IDC_FILE_EDIT) != NULL;
            click(hwnd, IDCANCEL);
        });
        EXPECT_EQ(IDCANCEL, dialog.show(owner_.hwnd()));
        EXPECT_EQ(c.expected, dialog.templateId());
        EXPECT_EQ(c.expected == IDD_SETTINGS_PATH, hasPath);
        EXPECT_EQ(c.expected == IDD_SETTINGS_FILE, hasFile);
    }
}

TEST_F(SettingsDialogTest, OpeningAndClosingAreAnnouncedToTheOwner) {
    PrintLogStore store(file("a.log").c_str(), 500);
    for (OsVersionCode version : {OSVER_XP, OSVER_VISTA}) {
        owner_.clearLog();
        TestSettingsDialog dialog(&store, version);
        HWND shown = NULL;
        int activeInside = -1;
        INT_PTR nested = 0;
        dialog.steps.push_back([&](HWND hwnd) {
            shown = hwnd;
            activeInside = dialog.isActive();
            // A second show while this one is up opens nothing and changes nothing.
            nested = dialog.show(NULL);
            click(hwnd, IDCANCEL);
        });
        EXPECT_EQ(0, dialog.isActive());
        EXPECT_EQ(IDCANCEL, dialog.show(owner_.hwnd()));
        pumpMessages();
        EXPECT_EQ(0, dialog.activeAtInit);
        EXPECT_EQ(1, activeInside);
        EXPECT_EQ(-1, nested);
        EXPECT_EQ(0, dialog.isActive());
        const LPARAM templateId = version == OSVER_VISTA ? IDD_SETTINGS_FILE : IDD_SETTINGS_PATH;
        std::vector<LoggedMessage> opened = owner_.received(kDialogOpenedMessage);
        std::vector<LoggedMessage> closed = owner_.received(kDialogClosedMessage);
        ASSERT_EQ(1u, opened.size());
        ASSERT_EQ(1u, closed.size());
        EXPECT_EQ(reinterpret_cast<WPARAM>(shown), opened[0].wParam);
        EXPECT_EQ(templateId, opened[0].lParam);
        EXPECT_EQ(reinterpret_cast<WPARAM>(shown), closed[0].wParam);
        EXPECT_EQ(templateId, closed[0].lParam);
    }
}

// The size limit comes from "LogLimitSize"; the size shown never exceeds it.
TEST_F(SettingsDialogTest, SizeLimitAndShownSize) {
    const struct {
        bool limitSet;
        DWORD limit;
        DWORD storeKb;
        uint32_t expectedLimit;
        const char* shown;
    } cases[] = {
        {false, 0, 2000, 1000, "1000"},
        {false, 0, 700, 1000, "700"},
        {true, 300, 2000, 300, "300"},
        {true, 5000, 2000, 5000, "2000"},
        // Beyond the spin control's 16-bit range, and below the smallest size.
        {true, 70000, 40000, 32767, "32767"},
        {true, 3, 2000, 1000, "1000"},
    };
    for (const auto& c : cases) {
        if (c.limitSet)
            prtLog_->setDword("LogLimitSize", c.limit);
        else
            prtLog_->remove("LogLimitSize");
        PrintLogStore store(file("a.log").c_str(), c.storeKb);
        TestSettingsDialog dialog(&store, OSVER_XP);
        std::string shown;
        LRESULT range = 0;
        dialog.steps.push_back([&](HWND hwnd) {
            shown = itemText(hwnd, IDC_SIZE_EDIT);
            range = ::SendDlgItemMessageA(hwnd, IDC_SIZE_SPIN, UDM_GETRANGE, 0, 0);
            click(hwnd, IDCANCEL);
        });
        EXPECT_EQ(IDCANCEL, dialog.show(owner_.hwnd()));
        EXPECT_EQ(c.expectedLimit, dialog.sizeLimit()) << c.limit;
        EXPECT_EQ(c.shown, shown) << c.limit;
        EXPECT_EQ(5, HIWORD(range)) << c.limit;
        EXPECT_EQ(c.expectedLimit, LOWORD(range)) << c.limit;
        EXPECT_EQ(c.storeKb, store.maxKb());
    }
}

TEST_F(SettingsDialogTest, SizeOutsideTheRangeKeepsTheDialogOpen) {
    const struct {
        bool limitSet;
        DWORD limit;
        const char* typed;
        const char* message;
    } cases[] = {
        {false, 0, "3", "5 ～ 1000の範囲を指定してください。"},
        {false, 0, "1001", "5 ～ 1000の範囲を指定してください。"},
        {false, 0, "", "5 ～ 1000の範囲を指定してください。"},
        {true, 300, "301", "5 ～ 300の範囲を指定してください。"},
    };
    for (const auto& c : cases) {
        if (c.limitSet)
            prtLog_->setDword("LogLimitSize", c.limit);
        else
            prtLog_->remove("LogLimitSize");
        const std::string log = writeLog(file("a.log"), 2);
        PrintLogStore store(log.c_str(), 500);
        TestSettingsDialog dialog(&store, OSVER_XP);
        BoxAnswerer boxes(kSizeCaption, IDOK);
        bool stillOpen = false;
        HWND focus = NULL;
        HWND sizeEdit = NULL;
        DWORD selStart = 1;
        DWORD selEnd = 0;
        dialog.steps.push_back([&](HWND hwnd) {
            setItemText(hwnd, IDC_SIZE_EDIT, c.typed);
            click(hwnd, IDOK);
            focus = ::GetFocus();
            sizeEdit = ::GetDlgItem(hwnd, IDC_SIZE_EDIT);
            ::SendMessageA(sizeEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
        });
        addCancelStep(dialog, &stillOpen);
        EXPECT_EQ(IDCANCEL, dialog.show(owner_.hwnd()));
        ASSERT_TRUE(boxes.wait(kBoxWaitMs)) << c.typed;
        ASSERT_EQ(1u, boxes.texts().size());
        EXPECT_EQ(c.message, boxes.texts()[0]);
        EXPECT_TRUE(stillOpen);
        EXPECT_EQ(sizeEdit, focus);
        EXPECT_EQ(0u, selStart);
        EXPECT_EQ(std::strlen(c.typed), selEnd);
        EXPECT_EQ(500u, store.maxKb());
        EXPECT_EQ("", settingsFile_->get("LogSize"));
    }
}

// Users outside the Administrators and Power Users groups may only look, except in a
// viewer that runs in write-error mode.
TEST_F(SettingsDialogTest, GroupLevelAndModeDecideWhatCanBeChanged) {
    PrintLogStore store(file("a.log").c_str(), 500);
    const struct {
        uint32_t level;
        int mode;
        bool editable;
    } cases[] = {
        {GROUP_ADMINISTRATORS, kModeView, true},
        {GROUP_POWER_USERS, kModeView, true},
        {GROUP_USERS, kModeView, false},
        {GROUP_NONE, kModeView, false},
        {GROUP_USERS, kModeWriteError, true},
        {GROUP_NONE, kModeWriteError, true},
        {GROUP_USERS, kModeIntake, false},
    };
    const int guardedPath[] = {IDC_SIZE_EDIT, IDC_SIZE_SPIN, IDC_PATH_EDIT, IDC_BROWSE, IDC_DEFAULTS_PATH, IDOK};
    const int guardedFile[] = {IDC_SIZE_EDIT, IDC_SIZE_SPIN, IDC_FILE_EDIT, IDC_DEFAULTS_FILE, IDOK};
    const int alwaysPath[] = {IDCANCEL, IDC_SIZE_LABEL, IDC_NAME_LABEL, IDC_SIZE_UNIT};
    const int alwaysFile[] = {IDCANCEL, IDC_SIZE_LABEL, IDC_FOLDER_LABEL, IDC_FOLDER_EDIT, IDC_FILE_LABEL};
    for (const auto& c : cases) {
        for (OsVersionCode version : {OSVER_XP, OSVER_VISTA}) {
            TestSettingsDialog dialog(&store, version, c.level);
            dialog.setStartMode(c.mode);
            std::vector<int> guardedStates;
            std::vector<int> alwaysStates;
            std::string sizeShown;
            dialog.steps.push_back([&](HWND hwnd) {
                if (version == OSVER_VISTA) {
                    for (int id : guardedFile) guardedStates.push_back(enabled(hwnd, id));
                    for (int id : alwaysFile) alwaysStates.push_back(enabled(hwnd, id));
                } else {
                    for (int id : guardedPath) guardedStates.push_back(enabled(hwnd, id));
                    for (int id : alwaysPath) alwaysStates.push_back(enabled(hwnd, id));
                }
                sizeShown = itemText(hwnd, IDC_SIZE_EDIT);
                click(hwnd, IDCANCEL);
            });
            EXPECT_EQ(IDCANCEL, dialog.show(owner_.hwnd()));
            for (int state : guardedStates) EXPECT_EQ(c.editable, state != 0) << c.level << " " << c.mode;
            for (int state : alwaysStates) EXPECT_TRUE(state);
            // The values are shown either way.
            EXPECT_EQ("500", sizeShown);
        }
    }
}

TEST_F(SettingsDialogTest, FixedFolderLayoutShowsFolderAndFileName) {
    const std::string path = "C:\\somewhere\\" "表" "log.dat";
    PrintLogStore store(path.c_str(), 500);
    TestSettingsDialog dialog(&store, OSVER_VISTA);
    std::string folder;
    std::string name;
    dialog.steps.push_back([&](HWND hwnd) {
        folder = itemText(hwnd, IDC_FOLDER_EDIT);
        name = itemText(hwnd, IDC_FILE_EDIT);
        click(hwnd, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, dialog.show(owner_.hwnd()));
    EXPECT_EQ(commonAppData() + "\\Norvale\\Quillbridge2\\", folder);
    EXPECT_EQ("表" "log.dat", name);
}

TEST_F(SettingsDialogTest, LowerMaximumShrinksTheFileAndEmptiesTheList) {
    const std::string log = writeLog(file("print.log"), 20);
    ASSERT_GT(fileSize(log), 20u * 1024);
    PrintLogStore store(log.c_str(), 500);
    ASSERT_EQ(kLoadChanged, store.load());
    ASSERT_EQ(20u, store.count());
    TestSettingsDialog dialog(&store, OSVER_XP);
    dialog.steps.push_back([&](HWND hwnd) {
        setItemText(hwnd, IDC_SIZE_EDIT, "10");
        click(hwnd, IDOK);
    });
    EXPECT_EQ(IDOK, dialog.show(owner_.hwnd()));
    EXPECT_EQ(10u, store.maxKb());
    EXPECT_EQ(0u, store.count());
    EXPECT_LE(fileSize(log), 10u * 1024);
    EXPECT_GT(fileSize(log), 64u);
    EXPECT_EQ(10u * 1024, readHeader(log).maxSize);
    EXPECT_EQ("10", settingsFile_->get("LogSize"));
    EXPECT_EQ(log, settingsFile_->get("LogName"));
    EXPECT_EQ("0", settingsFile_->get("ErrorType"));
}

TEST_F(SettingsDialogTest, HigherMaximumChangesOnlyTheSettings) {
    const std::string log = writeLog(file("print.log"), 20);
    const std::vector<unsigned char> before = readFileBytes(log);
    PrintLogStore store(log.c_str(), 500);
    ASSERT_EQ(kLoadChanged, store.load());
    TestSettingsDialog dialog(&store, OSVER_XP);
    dialog.steps.push_back([&](HWND hwnd) {
        setItemText(hwnd, IDC_SIZE_EDIT, "800");
        click(hwnd, IDOK);
    });
    EXPECT_EQ(IDOK, dialog.show(owner_.hwnd()));
    EXPECT_EQ(800u, store.maxKb());
    EXPECT_EQ(20u, store.count());
    EXPECT_EQ(before, readFileBytes(log));
    EXPECT_EQ("800", settingsFile_->get("LogSize"));
}

TEST_F(SettingsDialogTest, MissingFileAtANewPathIsCreatedAndTheListEmptied) {
    const std::string old = writeLog(file("old.log"), 3);
    PrintLogStore store(old.c_str(), 500);
    ASSERT_EQ(kLoadChanged, store.load());
    ASSERT_EQ(3u, store.count());
    const std::string fresh = file("fresh.log");
    TestSettingsDialog dialog(&store, OSVER_XP);
    dialog.steps.push_back([&](HWND hwnd) {
        setItemText(hwnd, IDC_SIZE_EDIT, "200");
        // Typed with a slash and a trailing space: stored normalised.
        std::string typed = fresh;
        typed[typed.rfind('\\')] = '/';
        setItemText(hwnd, IDC_PATH_EDIT, typed + " ");
        click(hwnd, IDOK);
    });
    EXPECT_EQ(IDOK, dialog.show(owner_.hwnd()));
    ASSERT_TRUE(fileExists(fresh));
    EXPECT_EQ(64u, fileSize(fresh));
    const LogFileHeader header = readHeader(fresh);
    EXPECT_TRUE(hasLogSignature(&header, sizeof header));
    EXPECT_EQ(200u * 1024, header.maxSize);
    EXPECT_STREQ(fresh.c_str(), store.logPath());
    EXPECT_EQ(200u, store.maxKb());
    EXPECT_EQ(0u, store.count());
    EXPECT_EQ(fresh, settingsFile_->get("LogName"));
    // The old log is not touched.
    EXPECT_GT(fileSize(old), 3u * 1024);
}

TEST_F(SettingsDialogTest, LogDeletedSinceTheLoadIsMadeAgainAndTheListEmptied) {
    const std::string log = writeLog(file("print.log"), 3);
    PrintLogStore store(log.c_str(), 500);
    ASSERT_EQ(kLoadChanged, store.load());
    ASSERT_TRUE(::DeleteFileA(log.c_str()));
    TestSettingsDialog dialog(&store, OSVER_XP);
    dialog.steps.push_back([&](HWND hwnd) { click(hwnd, IDOK); });
    EXPECT_EQ(IDOK, dialog.show(owner_.hwnd()));
    EXPECT_EQ(64u, fileSize(log));
    EXPECT_EQ(0u, store.count());
    EXPECT_STREQ(log.c_str(), store.logPath());
}

TEST_F(SettingsDialogTest, RefusedNamesKeepEverything) {
    const std::string log = writeLog(file("print.log"), 3);
    const std::string foreign = file("foreign.txt");
    writeFileBytes(foreign, "hello, world", 12);
    const std::string empty = file("empty.log");
    writeFileBytes(empty, "", 0);
    // Missing at the check, made by another process just before the create.
    const std::string made = file("made.log");
    CreateFileHook hook(made, [&] { writeFileBytes(made, "hello, world", 12); });
    const struct {
        std::string typed;
        const char* message;
    } cases[] = {
        {file("missing\\print.log"), kNameFolderMissing},
        {foreign, kNameNotPrintLog},
        {empty, kNameNotPrintLog},
        {made, kNameNotPrintLog},
        {"print.log", kNameInvalid},
        {"C:print.log", kNameInvalid},
        {file(".hidden"), kNameInvalid},
        {"C:\\" + std::string(248, 'x'), kNameMalformed},
    };
    for (const auto& c : cases) {
        PrintLogStore store(log.c_str(), 500);
        ASSERT_EQ(kLoadChanged, store.load());
        TestSettingsDialog dialog(&store, OSVER_XP);
        BoxAnswerer boxes(kNameCaption, IDOK);
        bool stillOpen = false;
        dialog.steps.push_back([&](HWND hwnd) {
            setItemText(hwnd, IDC_PATH_EDIT, c.typed);
            click(hwnd, IDOK);
        });
        addCancelStep(dialog, &stillOpen);
        EXPECT_EQ(IDCANCEL, dialog.show(owner_.hwnd())) << c.typed;
        ASSERT_TRUE(boxes.wait(kBoxWaitMs)) << c.typed;
        EXPECT_EQ(c.message, boxes.texts()[0]) << c.typed;
        EXPECT_TRUE(stillOpen);
        EXPECT_STREQ(log.c_str(), store.logPath());
        EXPECT_EQ(3u, store.count());
        EXPECT_EQ("", settingsFile_->get("LogName"));
    }
    EXPECT_FALSE(fileExists(file("missing\\print.log")));
}

TEST_F(SettingsDialogTest, FileHeldByAnotherProcessIsAccepted) {
    const std::string log = writeLog(file("print.log"), 3);
    const std::string held = writeLog(file("held.log"), 2);
    ReadyEvent ready;
    ChildProcess holder;
    ASSERT_TRUE(startHelper(holder, "kqvt_holder", "file \"" + held + "\" 20000 " + ready.name()));
    ASSERT_TRUE(ready.wait(10000));
    PrintLogStore store(log.c_str(), 500);
    ASSERT_EQ(kLoadChanged, store.load());
    TestSettingsDialog dialog(&store, OSVER_XP);
    dialog.steps.push_back([&](HWND hwnd) {
        setItemText(hwnd, IDC_PATH_EDIT, held);
        click(hwnd, IDOK);
    });
    EXPECT_EQ(IDOK, dialog.show(owner_.hwnd()));
    holder.kill();
    EXPECT_STREQ(held.c_str(), store.logPath());
    EXPECT_EQ(0u, store.count());
    EXPECT_EQ(held, settingsFile_->get("LogName"));
}

TEST_F(SettingsDialogTest, SamePathInAnotherCaseIsNoChange) {
    const std::string log = writeLog(file("print.log"), 3);
    PrintLogStore store(log.c_str(), 500);
    ASSERT_EQ(kLoadChanged, store.load());
    std::string upper = log;
    for (char& ch : upper) ch = static_cast<char>(::toupper(static_cast<unsigned char>(ch)));
    ASSERT_NE(log, upper);
    TestSettingsDialog dialog(&store, OSVER_XP);
    dialog.steps.push_back([&](HWND hwnd) {
        setItemText(hwnd, IDC_PATH_EDIT, upper);
        click(hwnd, IDOK);
    });
    EXPECT_EQ(IDOK, dialog.show(owner_.hwnd()));
    EXPECT_EQ(3u, store.count());
    EXPECT_STREQ(upper.c_str(), store.logPath());
}

TEST_F(SettingsDialogTest, FixedFolderFileNames) {
    const std::string folder = commonAppData() + "\\Norvale\\Quillbridge2\\";
    const std::string log = writeLog(file("print.log"), 3);
    const std::string created = folder + "表" "test.log";
    ::DeleteFileA(created.c_str());
    const struct {
        std::string typed;
        const char* message;  // null: accepted
    } cases[] = {
        {"sub\\print.log", kNameInvalid},
        {"sub/print.log", kNameInvalid},
        {"", kNameInvalid},
        {std::string(251 - folder.size(), 'f'), kNameInvalid},
        {"表" "test.log", nullptr},
    };
    for (const auto& c : cases) {
        PrintLogStore store(log.c_str(), 500);
        TestSettingsDialog dialog(&store, OSVER_VISTA);
        BoxAnswerer boxes(kNameCaption, IDOK);
        dialog.steps.push_back([&](HWND hwnd) {
            setItemText(hwnd, IDC_FILE_EDIT, c.typed);
            click(hwnd, IDOK);
        });
        bool stillOpen = false;
        addCancelStep(dialog, &stillOpen);
        const INT_PTR result = dialog.show(owner_.hwnd());
        if (c.message) {
            EXPECT_EQ(IDCANCEL, result) << c.typed;
            EXPECT_TRUE(stillOpen);
            ASSERT_TRUE(boxes.wait(kBoxWaitMs)) << c.typed;
            EXPECT_EQ(c.message, boxes.texts()[0]) << c.typed;
            EXPECT_STREQ(log.c_str(), store.logPath());
        } else {
            EXPECT_EQ(IDOK, result);
            EXPECT_FALSE(stillOpen);
            EXPECT_EQ(0, boxes.answered());
            EXPECT_STREQ(created.c_str(), store.logPath());
            EXPECT_EQ(64u, fileSize(created));
        }
    }
    ::DeleteFileA(created.c_str());
}

// The intake keeps writing the log that the settings file names; the viewer's store and its
// list stay with that log as well, even though the new file was already made.
TEST_F(SettingsDialogTest, FailedSaveKeepsTheViewerOnTheSavedSettings) {
    const std::string log = writeLog(file("print.log"), 3);
    const std::string other = file("other.log");
    // A folder where the settings file should be: nothing can be written there.
    const std::string ini = ScopedSettingsFile::path();
    ASSERT_TRUE(::CreateDirectoryA(ini.c_str(), NULL));
    PrintLogStore store(log.c_str(), 500);
    ASSERT_EQ(kLoadChanged, store.load());
    TestSettingsDialog dialog(&store, OSVER_XP);
    BoxAnswerer boxes(kSettingsErrorCaption, IDOK);
    bool stillOpen = false;
    dialog.steps.push_back([&](HWND hwnd) {
        setItemText(hwnd, IDC_SIZE_EDIT, "100");
        setItemText(hwnd, IDC_PATH_EDIT, other);
        click(hwnd, IDOK);
    });
    addCancelStep(dialog, &stillOpen);
    EXPECT_EQ(IDCANCEL, dialog.show(owner_.hwnd()));
    ::RemoveDirectoryA(ini.c_str());
    ASSERT_TRUE(boxes.wait(kBoxWaitMs));
    EXPECT_EQ(kApplySaveFailed, boxes.texts()[0]);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(static_cast<DWORD>(kErrorSettingsFile), store.errorKind());
    EXPECT_STREQ(log.c_str(), store.logPath());
    EXPECT_EQ(500u, store.maxKb());
    EXPECT_EQ(3u, store.count());
    EXPECT_EQ(64u, fileSize(other));
}

TEST_F(SettingsDialogTest, FailedResizeIsReportedAfterTheSave) {
    // A log whose first record has no valid size: it verifies, but cannot be shrunk.
    LogFileHeader header;
    makeFreshHeader(header, 500);
    std::vector<uint8_t> bytes(sizeof header + 20 * 1024, 0);
    header.usedSize = header.appendOffset = header.tailOffset = static_cast<uint32_t>(bytes.size());
    std::memcpy(bytes.data(), &header, sizeof header);
    const std::string log = file("broken.log");
    writeFileBytes(log, bytes.data(), bytes.size());
    PrintLogStore store(log.c_str(), 500);
    TestSettingsDialog dialog(&store, OSVER_XP);
    BoxAnswerer boxes(kSettingsErrorCaption, IDOK);
    bool stillOpen = false;
    dialog.steps.push_back([&](HWND hwnd) {
        setItemText(hwnd, IDC_SIZE_EDIT, "10");
        click(hwnd, IDOK);
    });
    addCancelStep(dialog, &stillOpen);
    EXPECT_EQ(IDCANCEL, dialog.show(owner_.hwnd()));
    ASSERT_TRUE(boxes.wait(kBoxWaitMs));
    EXPECT_EQ(kApplyResizeFailed, boxes.texts()[0]);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(static_cast<DWORD>(kErrorOther), store.errorKind());
    EXPECT_EQ(10u, store.maxKb());
    EXPECT_EQ("10", settingsFile_->get("LogSize"));
    EXPECT_EQ(bytes.size(), fileSize(log));
}

TEST_F(SettingsDialogTest, RestoreDefaultsSavesNothingUntilOk) {
    const std::string log = writeLog(file("print.log"), 3);
    ByteString defaultPath;
    ASSERT_TRUE(LogSettings::getDefaultLogPath(defaultPath));
    for (OsVersionCode version : {OSVER_XP, OSVER_VISTA}) {
        PrintLogStore store(log.c_str(), 200);
        TestSettingsDialog dialog(&store, version);
        std::string size;
        std::string name;
        dialog.steps.push_back([&](HWND hwnd) {
            click(hwnd, version == OSVER_VISTA ? IDC_DEFAULTS_FILE : IDC_DEFAULTS_PATH);
            size = itemText(hwnd, IDC_SIZE_EDIT);
            name = itemText(hwnd, version == OSVER_VISTA ? IDC_FILE_EDIT : IDC_PATH_EDIT);
            click(hwnd, IDCANCEL);
        });
        EXPECT_EQ(IDCANCEL, dialog.show(owner_.hwnd()));
        EXPECT_EQ("500", size);
        const char* expected = defaultPath.c_str();
        if (version == OSVER_VISTA) expected += std::strlen(expected) - std::strlen("KQVTPRT2.LOG");
        EXPECT_EQ(expected, name);
        EXPECT_EQ(200u, store.maxKb());
        EXPECT_STREQ(log.c_str(), store.logPath());
        EXPECT_FALSE(fileExists(ScopedSettingsFile::path()));
    }
}

TEST_F(SettingsDialogTest, BrowseRetriesWithAPlainNameWhenTheDialogCannotStart) {
    const std::string log = writeLog(file("print.log"), 3);
    const std::string chosen = writeLog(file("chosen.log"), 1);
    const struct {
        std::vector<TestSettingsDialog::BrowseAnswer> answers;
        std::vector<std::string> presets;
        std::string shown;
    } cases[] = {
        {{{chosen, 0}}, {log}, chosen},
        {{{"", 0}}, {log}, log},
        {{{"", CDERR_INITIALIZATION}, {chosen, 0}}, {log, kBrowseRetryName}, chosen},
        {{{"", CDERR_INITIALIZATION}, {"", 0}}, {log, kBrowseRetryName}, log},
    };
    for (const auto& c : cases) {
        PrintLogStore store(log.c_str(), 500);
        TestSettingsDialog dialog(&store, OSVER_XP);
        dialog.browseAnswers = c.answers;
        std::string shown;
        dialog.steps.push_back([&](HWND hwnd) {
            click(hwnd, IDC_BROWSE);
            shown = itemText(hwnd, IDC_PATH_EDIT);
            click(hwnd, IDCANCEL);
        });
        EXPECT_EQ(IDCANCEL, dialog.show(owner_.hwnd()));
        EXPECT_EQ(c.presets, dialog.browsePresets);
        EXPECT_EQ(c.shown, shown);
        // Browsing changes nothing until OK.
        EXPECT_STREQ(log.c_str(), store.logPath());
    }
}

HWND g_helpOwner = reinterpret_cast<HWND>(1);
std::string g_helpFile;
UINT g_helpCommand = 99;
std::string g_helpTopic;
int g_helpCalls = 0;

HWND WINAPI recordHelp(HWND owner, LPCSTR file, UINT command, DWORD_PTR data) {
    ++g_helpCalls;
    g_helpOwner = owner;
    g_helpFile = file ? file : "";
    g_helpCommand = command;
    g_helpTopic = data ? reinterpret_cast<const char*>(data) : "";
    return reinterpret_cast<HWND>(1);
}

TEST_F(SettingsDialogTest, HelpKeyOpensTheControlsTopic) {
    // "#IVB": its length, then (context ID, offset) pairs; "#STRINGS": the names.
    static uint32_t ivb[] = {16, 5, 1, 52, 10};
    static uint8_t strings[] = "\0size.htm\0file.htm";
    HelpMap map;
    map.count = 5;
    map.ivb = ivb;
    map.strings = strings;
    map.stringsSize = sizeof strings;
    HtmlHelpHook previous = setHtmlHelpHook(recordHelp);
    PrintLogStore store(file("a.log").c_str(), 500);
    const struct {
        OsVersionCode version;
        int control;
        const char* topic;
    } cases[] = {
        {OSVER_XP, IDC_SIZE_EDIT, "size.htm"},
        {OSVER_XP, IDC_SIZE_UNIT, "size.htm"},
        {OSVER_VISTA, IDC_FILE_EDIT, "file.htm"},
        {OSVER_XP, IDC_BROWSE, ""},
    };
    for (const auto& c : cases) {
        TestSettingsDialog dialog(&store, c.version);
        dialog.setHelpMap(&map);
        dialog.setHelpMap(nullptr);
        g_helpCalls = 0;
        dialog.steps.push_back([&](HWND hwnd) {
            HELPINFO info;
            std::memset(&info, 0, sizeof info);
            info.cbSize = sizeof info;
            info.iContextType = HELPINFO_WINDOW;
            info.iCtrlId = c.control;
            info.hItemHandle = ::GetDlgItem(hwnd, c.control);
            ::SendMessageA(hwnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
            click(hwnd, IDCANCEL);
        });
        EXPECT_EQ(IDCANCEL, dialog.show(owner_.hwnd()));
        EXPECT_EQ(1, g_helpCalls);
        EXPECT_EQ(NULL, g_helpOwner);
        EXPECT_EQ(std::string(dialog.helpFilePath()), g_helpFile);
        EXPECT_EQ(0, ::lstrcmpiA((testBinaryDir() + "KQVTLGVW.CHM").c_str(), dialog.helpFilePath()));
        EXPECT_EQ(static_cast<UINT>(HH_DISPLAY_TOPIC), g_helpCommand);
        EXPECT_EQ(c.topic, g_helpTopic) << c.control;
    }
    setHtmlHelpHook(previous);
    map.ivb = nullptr;
    map.strings = nullptr;
}

TEST_F(SettingsDialogTest, ContextMenuOffersHelpForTheControlUnderIt) {
    static uint32_t ivb[] = {8, 52, 1};
    static uint8_t strings[] = "\0file.htm";
    HelpMap map;
    map.count = 3;
    map.ivb = ivb;
    map.strings = strings;
    map.stringsSize = sizeof strings;
    HtmlHelpHook previous = setHtmlHelpHook(recordHelp);
    PrintLogStore store(file("a.log").c_str(), 500);
    const struct {
        const char* what;
        bool onControl;
        std::vector<WPARAM> keys;
        int calls;
    } cases[] = {
        {"help chosen", true, {VK_DOWN, VK_RETURN}, 1},
        {"menu dismissed", true, {VK_ESCAPE}, 0},
        // Shift+F10 on the dialog itself names no control: no menu at all.
        {"no control", false, {}, 0},
    };
    for (const auto& c : cases) {
        TestSettingsDialog dialog(&store, OSVER_VISTA);
        dialog.setHelpMap(&map);
        g_helpCalls = 0;
        g_helpTopic.clear();
        bool stillOpen = false;
        dialog.steps.push_back([&](HWND hwnd) {
            ::SetForegroundWindow(hwnd);
            for (WPARAM key : c.keys) {
                ::PostMessageA(hwnd, WM_KEYDOWN, key, 0);
                ::PostMessageA(hwnd, WM_KEYUP, key, 0xC0000000);
            }
            HWND target = c.onControl ? ::GetDlgItem(hwnd, IDC_FILE_EDIT) : hwnd;
            ::SendMessageA(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(target), c.onControl ? 0 : -1);
        });
        addCancelStep(dialog, &stillOpen);
        EXPECT_EQ(IDCANCEL, dialog.show(owner_.hwnd())) << c.what;
        EXPECT_TRUE(stillOpen) << c.what;
        EXPECT_EQ(c.calls, g_helpCalls) << c.what;
        if (c.calls) {
            EXPECT_EQ("file.htm", g_helpTopic);
        }
    }
    setHtmlHelpHook(previous);
    map.ivb = nullptr;
    map.strings = nullptr;
}

}  // namespace
