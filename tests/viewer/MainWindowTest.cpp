// The main window driven in this process: loads, the watcher's ticks, the commands and
// the warnings, with message boxes answered from a second thread.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/PrivateMessages.h"
#include "resources/MenuIds.h"
#include "services/ScopedHandle.h"
#include "store/LogLock.h"
#include "store/LogWriter.h"
#include "tests/support/BoxAnswerer.h"
#include "tests/support/CreateFileHook.h"
#include "tests/support/RecordBuilder.h"
#include "tests/support/SettingsFile.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WindowTestSupport.h"
#include "viewer/PrintLogWindow.h"
#include "viewer/ViewerTexts.h"

namespace {

using Bytes = std::vector<uint8_t>;
const WPARAM kTick = MAKEWPARAM(IDM_REFRESH, kAutoUpdateCode);
const char* const kCaption = "Quillbridge2 印刷ログ一覧";

Bytes job(uint32_t id, const std::string& document = "") {
    return RecordBuilder().jobId(id).document(document.empty() ? "doc-" + std::to_string(id) : document).build();
}

std::string windowText(HWND hwnd) {
    char text[256] = "";
    ::SendMessageA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
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

    void start(std::vector<std::string> args = {}, DWORD allView = 0) {
        args_ = {"KQVTLGVW.exe"};
        args_.insert(args_.end(), args.begin(), args.end());
        argv_.clear();
        for (std::string& a : args_) argv_.push_back(&a[0]);
        app_.reset(new PrintLogWindow(testInstance(), int(argv_.size()), argv_.data()));
        app_->setAllView(allView);
        hwnd_ = app_->createWindow(SW_HIDE);
        pumpMessages();
    }

    int rows() { return app_->listView().itemCount(); }
    uint32_t jobAt(int row) { return reinterpret_cast<LogRecordView*>(app_->listView().itemData(row))->record->jobId; }
    std::string jobs() {
        std::string ids;
        for (int i = 0; i < rows(); ++i) ids += std::to_string(jobAt(i));
        return ids;
    }
    std::string status() { return windowText(::GetDlgItem(hwnd_, kStatusBarId)); }
    std::string cell(int row, int column) {
        char text[256] = "";
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        ::SendMessageA(app_->listView().hwnd(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    // The number of full reloads (each ends by asking every update handler to run).
    size_t reloadsBy(WPARAM command) {
        MessageSpy spy(hwnd_);
        ::SendMessageA(hwnd_, WM_COMMAND, command, 0);
        pumpMessages();
        return spy.received(kRunAllMessage).size();
    }

    TempDir dir_;
    std::string log_ = dir_.file("KQVTPRT2.LOG");
    ScopedSettingsFile settings_;
    std::vector<std::string> args_;
    std::vector<char*> argv_;
    std::unique_ptr<PrintLogWindow> app_;
    HWND hwnd_ = NULL;
};

// Runs `script` on a second thread once the log information dialog is up, then closes it.
struct InfoDialogScript {
    HWND main;
    void (*script)(InfoDialogScript&);
    HWND dialog = NULL;
    std::vector<std::string> notes;
    static DWORD WINAPI run(void* p) {
        InfoDialogScript& s = *static_cast<InfoDialogScript*>(p);
        for (int i = 0; i < 500 && !s.dialog; ++i) {
            s.dialog = ::FindWindowA(NULL, "Quillbridge2 印刷ログ情報");
            if (!s.dialog) ::Sleep(20);
        }
        if (s.dialog) s.script(s);
        if (s.dialog && ::IsWindow(s.dialog)) ::PostMessageA(s.dialog, WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
    // Opens the dialog on row 0 and runs the script while it is open.
    void runOn(HWND mainWindow, ListViewControl& list) {
        list.selectItem(0);
        main = mainWindow;
        HANDLE thread = ::CreateThread(NULL, 0, &run, this, 0, NULL);
        ::SendMessageA(main, WM_COMMAND, IDM_SHOW_LOG_INFO, 0);
        ::WaitForSingleObject(thread, 30000);
        ::CloseHandle(thread);
    }
};

// From another thread: WAIT_TIMEOUT while someone holds the log-file lock.
DWORD WINAPI tryLogLock(void*) {
    ScopedHandle lock(::CreateMutexA(NULL, FALSE, kLogFileMutexName));
    const DWORD wait = ::WaitForSingleObject(lock.get(), 0);
    if (wait == WAIT_OBJECT_0) ::ReleaseMutex(lock.get());
    return wait;
}

}  // namespace

// The first load, then ticks that load only what changed: a new record, a new write time
// with the same size, a record rewritten in place, a deleted file.
TEST_F(MainWindow, LoadsOnlyWhatChangedAndKeepsRowsInLine) {
    start();
    ASSERT_TRUE(hwnd_);
    EXPECT_EQ(kCaption, windowText(hwnd_));
    EXPECT_EQ("321", jobs());
    EXPECT_EQ("doc-3", cell(0, 1));
    EXPECT_EQ("3 個の印刷ログ", status());
    EXPECT_EQ(9, app_->listView().columnCount());
    EXPECT_EQ(7, app_->sortColumn());
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
    EXPECT_EQ("4321", jobs());

    // The same job, time and requester with another document: the row is rewritten in place.
    writeLog({job(1), job(2), job(3, "renamed"), job(4)});
    EXPECT_EQ(1u, reloadsBy(kTick));
    EXPECT_EQ("4321", jobs());
    EXPECT_EQ("renamed", cell(1, 1));
    EXPECT_EQ("4 個の印刷ログ", status());

    ASSERT_TRUE(::DeleteFileA(log_.c_str()));
    EXPECT_EQ(1u, reloadsBy(kTick));
    EXPECT_EQ(64u, fileSize(log_));
    EXPECT_EQ(0, rows());
    EXPECT_EQ("0 個の印刷ログ", status());
}

TEST_F(MainWindow, SuppressionMutexStopsTicksButNotRefresh) {
    start();
    appendRecord(job(4));
    ScopedHandle suppress(::CreateMutexA(NULL, FALSE, "Quillbridge2 KqvtPrt Log AutoUpdate"));
    EXPECT_EQ(0u, reloadsBy(kTick));
    EXPECT_EQ(3, rows());
    EXPECT_EQ(1u, reloadsBy(IDM_REFRESH));
    EXPECT_EQ(4, rows());
}

TEST_F(MainWindow, TeardownIsQuickAndDestroysTheImageListOnce) {
    start();
    // An image list is a counted object: its handle is its IImageList.
    IUnknown* images =
        reinterpret_cast<IUnknown*>(::SendMessageA(app_->listView().hwnd(), LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_TRUE(images);
    images->AddRef();
    images->AddRef();
    ::DestroyWindow(hwnd_);
    pumpMessages();
    const ULONG left = images->Release();
    EXPECT_EQ(1u, left);  // the window and the list view together gave back one reference
    if (left) images->Release();
    DWORD begin = ::GetTickCount();
    app_.reset();
    EXPECT_LT(::GetTickCount() - begin, 1000u);
}

// While the information dialog is open: no reload by tick or refresh, the status says so,
// and closing asks first (No keeps both windows). Afterwards the tick loads again.
TEST_F(MainWindow, OpenDialogHoldsBackReloadsAndTheCloseAsks) {
    start();
    appendRecord(job(4));
    InfoDialogScript script;
    script.script = [](InfoDialogScript& s) {
        HWND bar = ::GetDlgItem(s.main, kStatusBarId);
        // The main window follows the dialog's opened notice in its own time.
        for (int i = 0; i < 500 && windowText(bar).find("抑止中") == std::string::npos; ++i) ::Sleep(20);
        MessageSpy spy(s.main);
        ::SendMessageA(s.main, WM_COMMAND, kTick, 0);
        ::SendMessageA(s.main, WM_COMMAND, IDM_REFRESH, 0);
        s.notes.push_back(std::to_string(spy.received(kRunAllMessage).size()));
        s.notes.push_back(windowText(bar));
        BoxAnswerer no(kCaption, IDNO);
        ::SendMessageA(s.main, WM_COMMAND, IDM_CLOSE, 0);
        s.notes.push_back(no.wait(10000) ? no.texts()[0] : "no question");
        s.notes.push_back(::IsWindow(s.main) && ::IsWindow(s.dialog) ? "both open" : "closed");
    };
    script.runOn(hwnd_, app_->listView());
    ASSERT_TRUE(script.dialog);
    EXPECT_EQ((std::vector<std::string>{"0", "3 個の印刷ログ （自動更新抑止中）",
                                        "印刷ログ情報画面が表示されています。終了処理を続行しますか？", "both open"}),
              script.notes);
    pumpMessages();
    EXPECT_EQ(1u, reloadsBy(kTick));
    EXPECT_EQ("4 個の印刷ログ", status());
}

TEST_F(MainWindow, ClearAllAskedFirstAndWaitsForTheLock) {
    start();
    const Bytes before = readFileBytes(log_);
    {
        BoxAnswerer no(kCaption, IDNO);
        ::SendMessageA(hwnd_, WM_COMMAND, IDM_CLEAR_ALL, 0);
        ASSERT_TRUE(no.wait(10000));
        EXPECT_EQ("すべてのログを消去しますか？", no.texts()[0]);
    }
    EXPECT_EQ(before, readFileBytes(log_));
    EXPECT_EQ(3, rows());

    ChildProcess holder;
    ReadyEvent ready;
    ASSERT_TRUE(startHelper(holder, "kqvt_holder",
                            std::string("mutex \"") + kLogFileMutexName + "\" 1500 " + ready.name()));
    ASSERT_TRUE(ready.wait(10000));
    BoxAnswerer yes(kCaption, IDYES);
    DWORD begin = ::GetTickCount();
    ::SendMessageA(hwnd_, WM_COMMAND, IDM_CLEAR_ALL, 0);
    EXPECT_GE(::GetTickCount() - begin, 1000u);
    EXPECT_EQ(64u, fileSize(log_));
    EXPECT_EQ(0, rows());
    holder.wait(10000);
}

// "-b": the warning; the settings file's "ErrorType" reset to 0 first; kind 2 carries on as
// a viewer, kind 5 closes.
TEST_F(MainWindow, WriteErrorStartWarnsThenCarriesOnOrCloses) {
    settings_.set("ErrorType", "6");
    {
        BoxAnswerer ok("Quillbridge2 印刷ログ", IDOK);
        start({"-b", "2"});
        ASSERT_TRUE(ok.answered() == 1 || ok.wait(10000));
        EXPECT_EQ("印刷ログファイルの書き込みに失敗しました。\r\n\r\nシステムエラーが発生しました。\r\n", ok.texts()[0]);
        EXPECT_EQ("0", settings_.get("ErrorType"));
        EXPECT_TRUE(::IsWindow(hwnd_));
        EXPECT_EQ(0, app_->mode());
        EXPECT_EQ(3, rows());
    }
    TearDown();
    {
        BoxAnswerer ok("Quillbridge2 印刷ログ", IDOK);
        start({"-b", "5"});
        ASSERT_TRUE(ok.answered() == 1 || ok.wait(10000));
        EXPECT_EQ(std::string(kWriteFailedFirstLine) + kInUseLine, ok.texts()[0]);
        EXPECT_FALSE(hwnd_ && ::IsWindow(hwnd_));
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
    {
        // An error box of this program is up elsewhere: the warning shows, the settings wait.
        HostWindow other;
        ::SetWindowTextA(other.hwnd(), "Quillbridge2 印刷ログ");
        BoxAnswerer any(nullptr, IDCANCEL, 2);
        EXPECT_EQ(1, app_->showWarning(kWarnRead, 1));
        ASSERT_EQ(1, any.answered());
        EXPECT_EQ(std::string(kReadFailedLine) + kDataBrokenLine + kDeleteOrRenameLine, any.texts()[0]);
    }
}

// A write failure the user can remedy opens the settings; cancelled, the viewer asks
// whether to exit (naming the write), and asks again after each further cancel.
TEST_F(MainWindow, WriteErrorNeedingSettingsAsksUntilTheUserExits) {
    BoxAnswerer answers({IDOK, IDCANCEL, IDCANCEL, IDCANCEL, IDOK});
    start({"-b", "42"});
    ASSERT_TRUE(answers.answered() == 5 || answers.wait(20000));
    std::vector<std::string> texts = answers.texts(), titles = answers.titles();
    const std::string exitQuestion = std::string(kCannotWriteLine) + kExitQuestionLine;
    EXPECT_EQ(std::string(kWriteFailedFirstLine) + kDataBrokenLine + kDeleteOrRenameLine, texts[0]);
    EXPECT_EQ("Quillbridge2 印刷ログ 環境設定", titles[1]);
    EXPECT_EQ(exitQuestion, texts[2]);
    EXPECT_EQ("Quillbridge2 印刷ログ 環境設定", titles[3]);
    EXPECT_EQ(exitQuestion, texts[4]);
    EXPECT_FALSE(hwnd_ && ::IsWindow(hwnd_));
}

// "AllView": closed records stay and the job ID column comes tenth, at its computed width.
TEST_F(MainWindow, ClosedRecordsAndTheJobColumnOnlyWithAllView) {
    writeLog({});
    appendRecord(RecordBuilder().kind(3).errorCode(330).jobId(8).time(2026, 7, 1, 9, 0, 0).build());
    appendRecord(RecordBuilder().kind(0).jobId(8).time(2026, 7, 1, 9, 5, 0).build());
    start();
    ASSERT_EQ(1, rows());
    EXPECT_EQ(0, reinterpret_cast<LogRecordView*>(app_->listView().itemData(0))->record->eventKind);
    TearDown();
    start({}, 1);
    EXPECT_EQ(2, rows());
    ASSERT_EQ(10, app_->listView().columnCount());
    EXPECT_EQ("8", cell(1, 9));
    EXPECT_EQ(app_->listView().stringWidth("ジョブID") + 20, app_->listView().columnWidth(9));
}

// Records dropped to make room go from the list, also after a sort moved the rows, and
// rows the store freed before the list caught up are never read.
TEST_F(MainWindow, DroppedRecordsLeaveTheListAfterASort) {
    settings_.set("LogSize", "2");
    std::vector<Bytes> records;
    for (uint32_t id = 1; id <= 4; ++id)
        records.push_back(RecordBuilder().jobId(id).document("doc-" + std::to_string(id)).time(2026, 7, 1, 13 - id, 0, 0).build());
    writeLog(records);
    start();
    ::SendMessageA(hwnd_, WM_COMMAND, IDM_REFRESH, 0);
    ASSERT_EQ("1234", jobs());  // by date, the reverse of their arrival
    // Fills the 2 KB log: the three oldest records go.
    appendRecord(RecordBuilder().jobId(9).document("doc-9").padTo(uint32_t(2048 - 64 - job(1).size())).build(), 2);
    ::SendMessageA(hwnd_, WM_COMMAND, kTick, 0);
    EXPECT_EQ("94", jobs());
    EXPECT_EQ("doc-9", cell(0, 1));
    EXPECT_EQ("2 個の印刷ログ", status());
    app_->store().markAllGone();
    app_->store().removeGoneRows();
    EXPECT_EQ("", cell(0, 1));
    ::SendMessageA(hwnd_, kRunAllMessage, 0, 0);
    EXPECT_EQ(0, rows());
}

TEST_F(MainWindow, MenuItemsFollowSelectionAndTheFile) {
    start();
    HMENU actions = ::GetSubMenu(::GetMenu(hwnd_), 0);
    auto greyed = [&](UINT id) { return (::GetMenuState(actions, id, MF_BYCOMMAND) & MF_GRAYED) != 0; };
    EXPECT_TRUE(greyed(IDM_SHOW_LOG_INFO));
    EXPECT_FALSE(greyed(IDM_REFRESH));
    EXPECT_FALSE(greyed(IDM_CLEAR_ALL));
    app_->listView().selectItem(1);
    pumpMessages();
    EXPECT_FALSE(greyed(IDM_SHOW_LOG_INFO));

    // A log that cannot be opened for writing cannot be cleared.
    ScopedHandle held(::CreateFileA(log_.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL));
    ::SendMessageA(hwnd_, kRunAllMessage, 0, 0);
    EXPECT_TRUE(greyed(IDM_CLEAR_ALL));
}

TEST_F(MainWindow, RefreshAndColumnClicksOrderTheRows) {
    writeLog({RecordBuilder().jobId(1).time(2026, 7, 1, 10, 0, 0).build(),
              RecordBuilder().jobId(2).time(2026, 7, 1, 9, 0, 0).build(),
              RecordBuilder().jobId(3).time(2026, 7, 1, 11, 0, 0).build()});
    start();
    EXPECT_EQ("321", jobs());  // as they arrived: newest arrival on top
    ::SendMessageA(hwnd_, WM_COMMAND, IDM_REFRESH, 0);
    EXPECT_EQ("312", jobs());  // by date, newest first
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = app_->listView().hwnd();
    click.hdr.idFrom = kListViewId;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = 7;
    ::SendMessageA(hwnd_, WM_NOTIFY, kListViewId, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ("213", jobs());
    ::SendMessageA(hwnd_, WM_NOTIFY, kListViewId, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ("312", jobs());
    EXPECT_EQ(7, app_->sortColumn());
}

// The reload finds the log missing and creates it; another process stores a record just
// before that create. The reload creates under the log-file lock and keeps the record.
TEST_F(MainWindow, RecordStoredWhileTheReloadCreatesTheLogIsKept) {
    start();
    ASSERT_TRUE(::DeleteFileA(log_.c_str()));
    DWORD lockProbe = WAIT_FAILED;
    {
        CreateFileHook hook(log_, [&] {
            ScopedHandle probe(::CreateThread(NULL, 0, &tryLogLock, NULL, 0, NULL));
            ::WaitForSingleObject(probe.get(), 10000);
            ::GetExitCodeThread(probe.get(), &lockProbe);
            writeLog({job(7)});
        });
        ::SendMessageA(hwnd_, WM_COMMAND, kTick, 0);
    }
    EXPECT_EQ(DWORD(WAIT_TIMEOUT), lockProbe);
    EXPECT_EQ(buildLogFile({job(7)}), readFileBytes(log_));
}

// Per-user state under HKCU, read and written by the value names and types users already
// have: a saved maximised placement comes back restored, a saved tenth width (40 bytes)
// reaches the job ID column, and only nine widths go back.
TEST_F(MainWindow, WindowStateRoundTripsThroughTheUsersKey) {
    const char* const key = "SOFTWARE\\Norvale\\Quillbridge2\\PrtLog";
    const int widths[10] = {60, 61, 62, 63, 64, 65, 66, 67, 68, 123};
    WINDOWPLACEMENT saved = {};
    saved.length = sizeof saved;
    saved.showCmd = SW_SHOWMAXIMIZED;
    saved.rcNormalPosition = {100, 120, 500, 420};
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueA(HKEY_CURRENT_USER, key, "ListViewColum", REG_BINARY, widths, 40));
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueA(HKEY_CURRENT_USER, key, "WindowPlace", REG_BINARY, &saved, 44));
    start({}, 1);
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
    ::DestroyWindow(hwnd_);
    pumpMessages();
    int back[10] = {};
    DWORD type = 0, size = sizeof back;
    ASSERT_EQ(ERROR_SUCCESS, ::RegGetValueA(HKEY_CURRENT_USER, key, "ListViewColum", RRF_RT_ANY, &type, back, &size));
    EXPECT_EQ(DWORD(REG_BINARY), type);
    EXPECT_EQ(36u, size);
    EXPECT_EQ(77, back[2]);
    unsigned char place[64] = {};
    size = sizeof place;
    ASSERT_EQ(ERROR_SUCCESS, ::RegGetValueA(HKEY_CURRENT_USER, key, "WindowPlace", RRF_RT_ANY, &type, place, &size));
    EXPECT_EQ(DWORD(REG_BINARY), type);
    EXPECT_EQ(44u, size);
    EXPECT_EQ(120, reinterpret_cast<WINDOWPLACEMENT*>(place)->rcNormalPosition.top);
}
