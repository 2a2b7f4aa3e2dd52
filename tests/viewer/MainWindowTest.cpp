// The main window driven in this process; boxes are answered from a second thread.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/PrivateMessages.h"
#include "resources/LogInfoDialogIds.h"
#include "resources/MenuIds.h"
#include "resources/ReportDialogIds.h"
#include "services/AccessRights.h"
#include "services/ScopedHandle.h"
#include "store/LogLock.h"
#include "store/LogWriter.h"
#include "tests/support/TestGuard.h"
#include "tests/support/CreateFileHook.h"
#include "tests/support/DialogScript.h"
#include "tests/support/RecordBuilder.h"
#include "tests/support/SettingsFile.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WindowTestSupport.h"
#include "viewer/ListRows.h"
#include "viewer/LogInfoDialog.h"
#include "viewer/PrintLogWindow.h"
#include "viewer/ViewerTexts.h"

namespace {

using Bytes = std::vector<uint8_t>;
const WPARAM kTick = MAKEWPARAM(IDM_REFRESH, kAutoUpdateCode);
const char* const kCaption = "Quillbridge2 印刷ログ一覧";

Bytes job(uint32_t id, const std::string& document = "") {
    return RecordBuilder().jobId(id).document(document.empty() ? "doc-" + std::to_string(id) : document).build();
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        initCommonControlsForTests();
        settings_.set("LogName", log_);
        settings_.set("LogSize", "500");
        writeLog({job(1), job(2), job(3)});
    }
    void TearDown() override {
        if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
        pumpMessages();
        app_.reset();
        pumpMessages();
    }

    void writeLog(const std::vector<Bytes>& records) {
        Bytes file = buildLogFile(records);
        ASSERT_TRUE(writeFileBytes(log_, file.data(), file.size()));
    }
    void appendRecord(const Bytes& record, uint32_t maxKb = 500) {
        ScopedHandle h(::CreateFileA(log_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL));
        ASSERT_EQ(kWriteStored, writeLogFile(h.get(), record.data(), uint32_t(record.size()), maxKb));
    }

    // As the program starts it, with "-b KIND" when a kind is given.
    void start(const char* writeErrorKind = nullptr, DWORD allView = 0) {
        const char* argv[] = {"KQVTLGVW.exe", "-b", writeErrorKind};
        app_.reset(new PrintLogWindow(testInstance(), writeErrorKind ? 3 : 1, const_cast<char**>(argv)));
        app_->setAllView(allView);
        hwnd_ = app_->createWindow(SW_HIDE);
        pumpMessages();
    }

    int rows() { return app_->listView().itemCount(); }
    const LogRecordView& viewAt(int row) { return *reinterpret_cast<LogRecordView*>(app_->listView().itemData(row)); }
    std::string jobs() {
        std::string ids;
        for (int i = 0; i < rows(); ++i) ids += std::to_string(viewAt(i).record->jobId);
        return ids;
    }
    std::string status() { return dialogItemText(hwnd_, kStatusBarId); }
    std::string cell(int row, int column) {
        char text[256] = "";
        ListView_GetItemText(app_->listView().hwnd(), row, column, text, sizeof text);
        return text;
    }
    // The number of full reloads (each ends by asking every update handler to run).
    size_t reloadsBy(WPARAM command) {
        MessageSpy spy(hwnd_);
        ::SendMessageA(hwnd_, WM_COMMAND, command, 0);
        pumpMessages();
        return spy.received(kRunAllMessage).size();
    }
    bool greyed(UINT id) { return (::GetMenuState(::GetMenu(hwnd_), id, MF_BYCOMMAND) & MF_GRAYED) != 0; }
    // Opens the information dialog on `row` and returns once the steps closed it.
    void showInfo(int row, const std::vector<DialogStep>& steps) {
        app_->listView().selectItem(row);
        pumpMessages();
        DialogScript script([] { return ::FindWindowA(NULL, "Quillbridge2 印刷ログ情報"); }, steps);
        ::SendMessageA(hwnd_, WM_COMMAND, IDM_SHOW_LOG_INFO, 0);
        EXPECT_EQ(steps.size(), script.done());
    }

    TempDir dir_;
    std::string log_ = dir_.file("KQVTPRT2.LOG");
    ScopedSettingsFile settings_;
    std::unique_ptr<PrintLogWindow> app_;
    HWND hwnd_ = NULL;
};

void click(HWND dialog, int id) { ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// A value with its state: [v] value enabled, [l] label and [c] colon enabled.
std::string field(HWND dialog, int value, int label, int colon) {
    return dialogItemText(dialog, value) + "[" + (enabled(dialog, value) ? "v" : "-") +
           (enabled(dialog, label) ? "l" : "-") + (enabled(dialog, colon) ? "c" : "-") + "]";
}

// What the dialog shows beyond the view's plain texts; "s" when the tray value is shown.
std::string fields(HWND h) {
    const bool icon = ::SendDlgItemMessageA(h, IDC_LOGINFO_ICON, STM_GETIMAGE, IMAGE_ICON, 0) != 0;
    const bool trayShown = (::GetWindowLongA(::GetDlgItem(h, IDC_LOGINFO_TRAY), GWL_STYLE) & WS_VISIBLE) != 0;
    return dialogItemText(h, IDC_LOGINFO_CATEGORY) + " /" + dialogItemText(h, IDC_LOGINFO_DETAILS) + "/ " +
           field(h, IDC_LOGINFO_PAGES, IDC_LOGINFO_PAGES_LABEL, IDC_LOGINFO_PAGES_COLON) + " " +
           field(h, IDC_LOGINFO_MONO, IDC_LOGINFO_MONO_LABEL, IDC_LOGINFO_MONO_COLON) + " " +
           field(h, IDC_LOGINFO_COLOUR, IDC_LOGINFO_COLOUR_LABEL, IDC_LOGINFO_COLOUR_COLON) + " " +
           field(h, IDC_LOGINFO_SHEETS, IDC_LOGINFO_SHEETS_LABEL, IDC_LOGINFO_SHEETS_COLON) + " " +
           (trayShown ? "s" : "-") + field(h, IDC_LOGINFO_TRAY, IDC_LOGINFO_TRAY_LABEL, IDC_LOGINFO_TRAY_COLON) +
           (icon ? " icon" : "");
}

// From another thread: WAIT_TIMEOUT while someone holds the log-file lock.
DWORD WINAPI tryLogLock(void*) {
    ScopedHandle lock(::CreateMutexA(NULL, FALSE, kLogFileMutexName));
    const DWORD wait = ::WaitForSingleObject(lock.get(), 0);
    if (wait == WAIT_OBJECT_0) ::ReleaseMutex(lock.get());
    return wait;
}

}  // namespace

// Ticks load only what changed (a record, a write time, a row rewritten in place); the
// suppression mutex stops ticks, not Refresh; a deleted log is made again under the lock.
TEST_F(MainWindow, LoadsOnlyWhatChangedAndKeepsRowsInLine) {
    start();
    EXPECT_EQ("321", jobs());
    EXPECT_EQ("3 個の印刷ログ", status());
    EXPECT_EQ(0u, reloadsBy(kTick));
    appendRecord(job(4));
    EXPECT_EQ(1u, reloadsBy(kTick));
    EXPECT_EQ("4321", jobs());
    EXPECT_EQ(0u, reloadsBy(kTick));
    {
        ScopedHandle h(::CreateFileA(log_.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL));
        FILETIME now;
        ::GetSystemTimeAsFileTime(&now);
        now.dwHighDateTime += 1;  // about seven minutes later
        ASSERT_TRUE(::SetFileTime(h.get(), NULL, NULL, &now));
    }
    EXPECT_EQ(1u, reloadsBy(kTick));
    // The same job, time and requester with another document: the row is rewritten in place.
    writeLog({job(1), job(2), job(3, "renamed"), job(4)});
    EXPECT_EQ(1u, reloadsBy(kTick));
    EXPECT_EQ("4321", jobs());
    EXPECT_EQ("renamed", cell(1, 1));
    EXPECT_EQ("4 個の印刷ログ", status());
    {
        ScopedHandle suppress(::CreateMutexA(NULL, FALSE, "Quillbridge2 KqvtPrt Log AutoUpdate"));
        appendRecord(job(5));
        EXPECT_EQ(0u, reloadsBy(kTick));
        EXPECT_EQ(1u, reloadsBy(IDM_REFRESH));
        EXPECT_EQ(5, rows());
    }
    ASSERT_TRUE(::DeleteFileA(log_.c_str()));
    DWORD lockProbe = WAIT_FAILED;
    {
        CreateFileHook hook(log_, [&] {
            ScopedHandle probe(::CreateThread(NULL, 0, &tryLogLock, NULL, 0, NULL));
            ::WaitForSingleObject(probe.get(), 10000);
            ::GetExitCodeThread(probe.get(), &lockProbe);
            writeLog({job(7)});
        });
        EXPECT_EQ(1u, reloadsBy(kTick));
    }
    EXPECT_EQ(DWORD(WAIT_TIMEOUT), lockProbe);
    EXPECT_EQ(buildLogFile({job(7)}), readFileBytes(log_));
    EXPECT_EQ("0 個の印刷ログ", status());
    EXPECT_EQ(1u, reloadsBy(kTick));
    EXPECT_EQ("7", jobs());
}

// Stepped down beyond the end, up, then moved by the list: the fields, step buttons and focus
// follow the row; Refresh and Clear all come back (for privileged users) once it is closed.
TEST_F(MainWindow, InformationDialogFollowsTheRow) {
    const struct {
        RecordBuilder record;
        const char* shows;
    } table[] = {
        {RecordBuilder().kind(0).pages(12, 12).copies(3, 3).colour(8, 4).sheets(6).tray(1).time(2024, 3, 5, 14, 7, 9)
             .printer("QV-2810 本社").document("見積書&請求書.xlsx").user("田中").requester("PC-SALES-01"),
         "印刷完了 // 12ページ （ 3部 ）[vlc] 8ページ[vlc] 4ページ[vlc] 6枚[vlc] sフェイスダウントレイ[vlc] icon"},
        {RecordBuilder().kind(3).errorCode(300).errorDetail(0x1A).message("用紙がありません").pages(5, 20).tray(0),
         "[0300-001a] 用紙がありません // 5 / 20ページ[vlc] 1ページ[vlc] 0ページ[vlc] 1枚[vlc] -排紙先無効[---] icon"},
        {RecordBuilder().kind(1).flags(FLAG_NOTICE).title("ログファイルを作り直しました")
             .message("壊れたログを保存しました").pages(-1, -1).copies(0, 0).colour(-1, -1).sheets(-1),
         "ログファイルを作り直しました /壊れたログを保存しました/ [-lc] [-lc] [-lc] [-lc] s[vlc] icon"},
    };
    const int last = 2;
    std::vector<Bytes> records;
    for (int row = last; row >= 0; --row) records.push_back(RecordBuilder(table[row].record).jobId(10 + row).build());
    writeLog(records);  // the newest arrival comes first
    start(nullptr, 1);
    ASSERT_EQ(last + 1, rows());
    // The row the dialog should show, its step buttons, the focused control (0: any) and the
    // button clicked after the checks.
    auto expect = [&](int row, bool up, bool down, int focus, int then) {
        return [&, row, up, down, focus, then](HWND hwnd) {
            SCOPED_TRACE(testing::Message() << "row " << row);
            EXPECT_EQ(row, app_->listView().selectedIndex());
            EXPECT_EQ(viewAt(row).documentName, dialogItemText(hwnd, IDC_LOGINFO_DOCUMENT));
            EXPECT_EQ(table[row].shows, fields(hwnd));
            EXPECT_EQ(up, enabled(hwnd, IDC_LOGINFO_STEP_UP));
            EXPECT_EQ(down, enabled(hwnd, IDC_LOGINFO_STEP_DOWN));
            EXPECT_TRUE(!focus || ::GetDlgItem(hwnd, focus) == ::GetFocus()) << "focus on " << focus;
            EXPECT_TRUE(greyed(IDM_REFRESH) && greyed(IDM_CLEAR_ALL));
            if (then) click(hwnd, then);
        };
    };
    std::vector<DialogStep> steps;
    // Opened on the first row the focus is on OK; on the last it leaves the greyed button.
    for (int row = 0; row <= last; ++row)
        steps.push_back(expect(row, row > 0, row < last, row == 0 ? IDOK : row == last ? IDC_LOGINFO_STEP_UP : 0,
                                      IDC_LOGINFO_STEP_DOWN));
    steps.push_back(expect(last, true, false, 0, IDC_LOGINFO_STEP_UP));  // a step beyond the end stays
    steps.push_back(expect(last - 1, true, true, 0, 0));
    steps.push_back([&](HWND) { app_->listView().selectItem(0); });
    steps.push_back(expect(0, false, true, IDC_LOGINFO_STEP_DOWN, IDOK));
    MessageSpy notices(hwnd_);
    showInfo(0, steps);
    // The dialog announced its opening and its closing, both by its own handle.
    for (UINT notice : {kDialogOpenedMessage, kDialogClosedMessage}) {
        ASSERT_EQ(1u, notices.received(notice).size());
        EXPECT_EQ(notices.received(kDialogOpenedMessage)[0].wParam, notices.received(notice)[0].wParam);
        EXPECT_EQ(118, notices.received(notice)[0].lParam);
    }
    const uint32_t group = getUserGroupLevel();
    EXPECT_FALSE(greyed(IDM_REFRESH));
    EXPECT_EQ(group == GROUP_ADMINISTRATORS || group == GROUP_POWER_USERS, !greyed(IDM_CLEAR_ALL));
}

// Open on a single row: no steps, no reloads, and closing asks first. Closed after the log
// moved to a missing file, Clear all stays greyed; then the tick loads again.
TEST_F(MainWindow, OpenDialogHoldsBackReloadsAndTheCloseAsks) {
    writeLog({job(1)});
    start();
    appendRecord(job(2));
    showInfo(0, {[&](HWND dialog) {
        EXPECT_FALSE(enabled(dialog, IDC_LOGINFO_STEP_UP) || enabled(dialog, IDC_LOGINFO_STEP_DOWN));
        EXPECT_EQ(::GetDlgItem(dialog, IDOK), ::GetFocus());
        EXPECT_EQ("1 個の印刷ログ （自動更新抑止中）", status());
        EXPECT_EQ(0u, reloadsBy(kTick) + reloadsBy(IDM_REFRESH));
        BoxAnswerer no(kCaption, IDNO);
        ::SendMessageA(hwnd_, WM_COMMAND, IDM_CLOSE, 0);
        ASSERT_TRUE(no.wait(10000));
        EXPECT_EQ("印刷ログ情報画面が表示されています。終了処理を続行しますか？", no.texts()[0]);
        EXPECT_TRUE(::IsWindow(hwnd_) && ::IsWindow(dialog));
        settings_.set("LogName", dir_.file("moved.log"));
        ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    }});
    EXPECT_TRUE(greyed(IDM_CLEAR_ALL));
    settings_.set("LogName", log_);
    EXPECT_EQ(1u, reloadsBy(kTick));
    EXPECT_EQ("2 個の印刷ログ", status());
}

// Show information needs a selected row; Clear all is asked first and waits for the lock.
TEST_F(MainWindow, ClearAllAskedFirstAndWaitsForTheLock) {
    start();
    EXPECT_TRUE(greyed(IDM_SHOW_LOG_INFO));
    app_->listView().selectItem(1);
    pumpMessages();
    EXPECT_FALSE(greyed(IDM_SHOW_LOG_INFO) || greyed(IDM_REFRESH) || greyed(IDM_CLEAR_ALL));
    const Bytes before = readFileBytes(log_);
    {
        BoxAnswerer no(kCaption, IDNO);
        ::SendMessageA(hwnd_, WM_COMMAND, IDM_CLEAR_ALL, 0);
        ASSERT_TRUE(no.wait(10000));
        EXPECT_EQ("すべてのログを消去しますか？", no.texts()[0]);
    }
    EXPECT_EQ(before, readFileBytes(log_));

    ChildProcess holder;
    ReadyEvent ready;
    const std::string hold = std::string("mutex \"") + kLogFileMutexName + "\" 1500 " + ready.name();
    ASSERT_TRUE(startHelper(holder, "kqvt_holder", hold));
    ASSERT_TRUE(ready.wait(10000));
    BoxAnswerer yes(kCaption, IDYES);
    DWORD begin = ::GetTickCount();
    ::SendMessageA(hwnd_, WM_COMMAND, IDM_CLEAR_ALL, 0);
    EXPECT_GE(::GetTickCount() - begin, 1000u);
    EXPECT_EQ(64u, fileSize(log_));
    EXPECT_EQ(0, rows());
    holder.wait(10000);
}

// "-b KIND" resets "ErrorType" and warns; 2 carries on, 5 closes, 42 opens the settings and
// asks at each cancel whether to exit.
TEST_F(MainWindow, WriteErrorStartWarnsThenCarriesOnOrCloses) {
    const std::string settingsTitle = "Quillbridge2 印刷ログ 環境設定|";
    const std::string exitQuestion = std::string("Quillbridge2 印刷ログ|") + kCannotWriteLine + kExitQuestionLine;
    const std::string warning = std::string("Quillbridge2 印刷ログ|") + kWriteFailedFirstLine;
    const struct {
        const char* kind;
        std::vector<int> answers;
        std::vector<std::string> boxes;  // title|text, the settings dialog by its title only
        bool carriesOn;
    } cases[] = {
        {"2", {IDOK}, {warning + kSystemErrorLine}, true},
        {"5", {IDOK}, {warning + kInUseLine}, false},
        {"42", {IDOK, IDCANCEL, IDCANCEL, IDCANCEL, IDOK},
         {warning + kDataBrokenLine + kDeleteOrRenameLine, settingsTitle, exitQuestion, settingsTitle, exitQuestion},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        settings_.set("ErrorType", "6");
        BoxAnswerer answers(c.answers);
        start(c.kind);
        ASSERT_TRUE(answers.wait(20000));
        std::vector<std::string> boxes;
        for (size_t i = 0; i < c.answers.size(); ++i)
            boxes.push_back(answers.titles()[i] + "|" + (c.boxes[i] == settingsTitle ? "" : answers.texts()[i]));
        EXPECT_EQ(c.boxes, boxes);
        EXPECT_EQ("0", settings_.get("ErrorType"));
        EXPECT_EQ(c.carriesOn, hwnd_ && ::IsWindow(hwnd_));
        EXPECT_TRUE(!c.carriesOn || (app_->mode() == 0 && rows() == 3));
        TearDown();
    }
}

TEST_F(MainWindow, OneWarningPerFamilyAndNoSettingsBehindAnotherBox) {
    start();
    {
        // Another process shows a read warning: this one is dropped.
        ScopedHandle shown(::CreateMutexA(NULL, FALSE, "Quillbridge2 KqvtPrt Log ReadWarning"));
        BoxAnswerer any(nullptr, IDCANCEL);
        EXPECT_EQ(1, app_->showWarning(kWarnRead, 5));
        EXPECT_EQ(0, any.answered());
    }
    // An error box of this program is up elsewhere: the warning shows, the settings wait.
    HostWindow other;
    ::SetWindowTextA(other.hwnd(), "Quillbridge2 印刷ログ");
    BoxAnswerer any(nullptr, IDCANCEL, 2);
    EXPECT_EQ(1, app_->showWarning(kWarnRead, 1));
    ASSERT_EQ(1, any.answered());
    EXPECT_EQ(std::string(kReadFailedLine) + kDataBrokenLine + kDeleteOrRenameLine, any.texts()[0]);
}

// After a sort, records dropped to make room leave the list; freed rows are never read.
TEST_F(MainWindow, DroppedRecordsLeaveTheListAfterASort) {
    settings_.set("LogSize", "2");
    writeLog({RecordBuilder().jobId(1).time(2026, 7, 1, 10, 0, 0).build(),
              RecordBuilder().jobId(2).time(2026, 7, 1, 9, 0, 0).build(),
              RecordBuilder().jobId(3).time(2026, 7, 1, 11, 0, 0).build()});
    start();
    EXPECT_EQ("321", jobs());  // as they arrived: newest arrival on top
    ::SendMessageA(hwnd_, WM_COMMAND, IDM_REFRESH, 0);
    EXPECT_EQ("312", jobs());  // by date, newest first
    NMLISTVIEW click = {};
    click.hdr = {app_->listView().hwnd(), UINT_PTR(kListViewId), UINT(LVN_COLUMNCLICK)};
    click.iItem = -1;
    click.iSubItem = 7;
    ::SendMessageA(hwnd_, WM_NOTIFY, kListViewId, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ("213", jobs());
    // Fills the 2 KB log: the two first stored go; the new row comes on top.
    appendRecord(RecordBuilder().jobId(9).document("doc-9").padTo(uint32_t(2048 - 64 - 2 * job(1).size())).build(), 2);
    ::SendMessageA(hwnd_, WM_COMMAND, kTick, 0);
    EXPECT_EQ("93", jobs());
    EXPECT_EQ("doc-9", cell(0, 1));
    EXPECT_EQ("2 個の印刷ログ", status());
    app_->store().markAllGone();
    app_->store().removeGoneRows();
    EXPECT_EQ("", cell(0, 1));
    ::SendMessageA(hwnd_, kRunAllMessage, 0, 0);
    EXPECT_EQ(0, rows());
}

// Find goes round the list once from the selection and matches whole characters only
// ("表" ends in the byte of "\"), ASCII letters in either case.
TEST_F(MainWindow, FindMatchesWholeCharactersAndGoesRoundOnce) {
    writeLog({RecordBuilder().document("\\\\share\\a.txt").build(),
              RecordBuilder().document("REPORT.txt").build(),
              RecordBuilder().document("表表.doc").user("tanaka").build()});
    start();
    const struct { const char* needle; int from; bool forward; int expected; } cases[] = {
        {"\\", -1, true, 2},      // not the trail byte of 表
        {"report", -1, true, 1},  // ASCII case folded
        {"tanaka", 0, false, 0},  // backwards round the top, the selected row last
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.needle);
        EXPECT_EQ(c.expected, findListRow(app_->listView(), 9, c.needle, c.from, c.forward));
    }
    // Found through the dialog, the row is selected and can be shown.
    EXPECT_TRUE(greyed(IDM_SHOW_LOG_INFO));
    DialogScript script([] { return ::FindWindowA(NULL, "Quillbridge2 印刷ログ 検索"); }, {[](HWND dialog) {
        ::SetDlgItemTextA(dialog, IDC_FIND_TEXT, "report");
        clickButton(dialog, IDC_FIND_NEXT);
        clickButton(dialog, IDCANCEL);
    }});
    ::SendMessageA(hwnd_, WM_COMMAND, IDM_FIND, 0);
    EXPECT_EQ(1, app_->listView().selectedIndex());
    EXPECT_FALSE(greyed(IDM_SHOW_LOG_INFO));
}

// Closed records and the job ID column show only with "AllView". Per-user state under HKCU
// by the value names and types users have: a maximised placement comes back restored, a saved
// tenth width is used, nine go back and the tenth is then computed. WM_SIZE reaches the status
// bar as it came; the teardown is quick and frees the image list once.
TEST_F(MainWindow, AllViewAndWindowStateThroughTheUsersKey) {
    writeLog({});
    appendRecord(RecordBuilder().kind(3).errorCode(330).jobId(8).time(2026, 7, 1, 9, 0, 0).build());
    appendRecord(RecordBuilder().kind(0).jobId(8).time(2026, 7, 1, 9, 5, 0).build());
    start();
    ASSERT_EQ(1, rows());
    EXPECT_EQ(0, viewAt(0).record->eventKind);
    EXPECT_EQ(9, app_->listView().columnCount());
    TearDown();
    const char* const key = "SOFTWARE\\Norvale\\Quillbridge2\\PrtLog";
    const int widths[10] = {60, 61, 62, 63, 64, 65, 66, 67, 68, 123};
    WINDOWPLACEMENT saved = {};
    saved.length = sizeof saved;
    saved.showCmd = SW_SHOWMAXIMIZED;
    saved.rcNormalPosition = {100, 120, 500, 420};
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueA(HKEY_CURRENT_USER, key, "ListViewColum", REG_BINARY, widths, 40));
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueA(HKEY_CURRENT_USER, key, "WindowPlace", REG_BINARY, &saved, 44));
    start(nullptr, 1);
    EXPECT_EQ(2, rows());
    EXPECT_EQ("8", cell(1, 9));
    EXPECT_EQ(60, app_->listView().columnWidth(0));
    EXPECT_EQ(123, app_->listView().columnWidth(9));
    WINDOWPLACEMENT now = {};
    now.length = sizeof now;
    ASSERT_TRUE(::GetWindowPlacement(hwnd_, &now));
    EXPECT_EQ(120, now.rcNormalPosition.top);
    EXPECT_EQ(400, now.rcNormalPosition.right - now.rcNormalPosition.left);
    EXPECT_FALSE(::IsZoomed(hwnd_));
    MessageSpy bar(::GetDlgItem(hwnd_, kStatusBarId));
    ::SendMessageA(hwnd_, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(640, 480));
    ASSERT_EQ(1u, bar.received(WM_SIZE).size());
    EXPECT_EQ(WPARAM(SIZE_MAXIMIZED), bar.received(WM_SIZE)[0].wParam);
    ::SendMessageA(app_->listView().hwnd(), LVM_SETCOLUMNWIDTH, 2, 77);
    // The handle is a counted IImageList: the window and the list view give back one reference.
    const HWND list = app_->listView().hwnd();
    auto* images = reinterpret_cast<IUnknown*>(::SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    images->AddRef();
    images->AddRef();
    ::DestroyWindow(hwnd_);
    pumpMessages();
    EXPECT_EQ(1u, images->Release());
    const DWORD begin = ::GetTickCount();
    app_.reset();
    EXPECT_LT(::GetTickCount() - begin, 1000u);

    // The type and size of a value read back, "3/36" for 36 bytes of REG_BINARY.
    auto readBack = [&](const char* name, void* data, DWORD size) {
        DWORD type = 0;
        EXPECT_EQ(ERROR_SUCCESS, ::RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, &type, data, &size));
        return std::to_string(type) + "/" + std::to_string(size);
    };
    int back[10] = {};
    EXPECT_EQ("3/36", readBack("ListViewColum", back, sizeof back));
    EXPECT_EQ(77, back[2]);
    WINDOWPLACEMENT place[2] = {};
    EXPECT_EQ("3/44", readBack("WindowPlace", place, sizeof place));
    EXPECT_EQ(120, place[0].rcNormalPosition.top);
    start(nullptr, 1);
    EXPECT_EQ(app_->listView().stringWidth("ジョブID") + 20, app_->listView().columnWidth(9));
}
