// The main window driven in this process: loads, the watcher's ticks, the commands and
// the warnings, with message boxes answered from a second thread.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/PrivateMessages.h"
#include "resources/MenuIds.h"
#include "services/RegistryKey.h"
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
#include "viewer/WindowPlacement.h"

namespace {

using Bytes = std::vector<uint8_t>;
const WPARAM kTick = MAKEWPARAM(IDM_REFRESH, kAutoUpdateCode);
constexpr const char* kInfoTitle = "Quillbridge2 印刷ログ情報";

Bytes job(uint32_t id) { return RecordBuilder().jobId(id).document("doc-" + std::to_string(id)).build(); }

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
    void appendRecord(const Bytes& record) {
        ScopedHandle h(::CreateFileA(log_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL));
        ASSERT_EQ(kWriteStored, writeLogFile(h.get(), record.data(), uint32_t(record.size()), 500));
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
    LogRecordView* rowView(int index) { return reinterpret_cast<LogRecordView*>(app_->listView().itemData(index)); }
    std::string status() {
        char text[256] = "";
        ::GetWindowTextA(::GetDlgItem(hwnd_, kStatusBarId), text, sizeof text);
        return text;
    }
    std::string cell(int row, int column) {
        char text[256] = "";
        LVITEMA item;
        std::memset(&item, 0, sizeof item);
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        ::SendMessageA(app_->listView().hwnd(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    // The number of full reloads seen (each ends by asking every update handler to run).
    size_t reloadsDuring(void (*action)(HWND)) {
        MessageSpy spy(hwnd_);
        action(hwnd_);
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

void tick(HWND hwnd) { ::SendMessageA(hwnd, WM_COMMAND, kTick, 0); }
void refresh(HWND hwnd) { ::SendMessageA(hwnd, WM_COMMAND, IDM_REFRESH, 0); }

// Runs `script` on a second thread once the log information dialog is up, then closes it.
struct InfoDialogScript {
    HWND main;
    void (*script)(InfoDialogScript&);
    HWND dialog = NULL;
    std::string statusDuring;
    size_t reloadsDuring = 0;
    static DWORD WINAPI run(void* p) {
        InfoDialogScript& s = *static_cast<InfoDialogScript*>(p);
        for (int i = 0; i < 500 && !s.dialog; ++i) {
            s.dialog = ::FindWindowA(NULL, kInfoTitle);
            if (!s.dialog) ::Sleep(20);
        }
        if (s.dialog) s.script(s);
        if (s.dialog && ::IsWindow(s.dialog)) ::PostMessageA(s.dialog, WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
};

// Opens the information dialog on row 0 and runs the script while it is open.
void withInfoDialog(HWND main, ListViewControl& list, InfoDialogScript& script) {
    list.selectItem(0);
    script.main = main;
    HANDLE thread = ::CreateThread(NULL, 0, &InfoDialogScript::run, &script, 0, NULL);
    ::SendMessageA(main, WM_COMMAND, IDM_SHOW_LOG_INFO, 0);
    ::WaitForSingleObject(thread, 20000);
    ::CloseHandle(thread);
}

// From another thread: WAIT_TIMEOUT while someone holds the log-file lock.
DWORD WINAPI tryLogLock(void*) {
    ScopedHandle lock(::CreateMutexA(NULL, FALSE, kLogFileMutexName));
    const DWORD wait = ::WaitForSingleObject(lock.get(), 0);
    if (wait == WAIT_OBJECT_0) ::ReleaseMutex(lock.get());
    return wait;
}

}  // namespace

TEST_F(MainWindow, ShowsEveryRecordNewestOnTop) {
    start();
    ASSERT_TRUE(hwnd_);
    char title[128] = "";
    ::GetWindowTextA(hwnd_, title, sizeof title);
    EXPECT_STREQ(kMainTitle, title);
    ASSERT_EQ(3, rows());
    EXPECT_EQ(3u, rowView(0)->record->jobId);
    EXPECT_EQ(1u, rowView(2)->record->jobId);
    EXPECT_EQ("doc-3", cell(0, 1));
    EXPECT_EQ("3 個の印刷ログ", status());
    EXPECT_EQ(9, app_->listView().columnCount());
    EXPECT_EQ(7, app_->sortColumn());
}

TEST_F(MainWindow, AllViewAddsTheJobColumn) {
    start({}, 1);
    ASSERT_EQ(10, app_->listView().columnCount());
    EXPECT_EQ("3", cell(0, 9));
    const int width = app_->listView().columnWidth(9);
    EXPECT_EQ(app_->listView().stringWidth("ジョブID") + 20, width);
}

TEST_F(MainWindow, TicksLoadOnlyWhatChanged) {
    start();
    EXPECT_EQ(0u, reloadsDuring(tick));

    appendRecord(job(4));
    EXPECT_EQ(1u, reloadsDuring(tick));
    EXPECT_EQ(4, rows());
    EXPECT_EQ(4u, rowView(0)->record->jobId);
    EXPECT_EQ(0u, reloadsDuring(tick));

    // Same size, new write time: loaded again.
    {
        ScopedHandle h(::CreateFileA(log_.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL));
        FILETIME later;
        ::GetSystemTimeAsFileTime(&later);
        ULARGE_INTEGER t;
        t.LowPart = later.dwLowDateTime;
        t.HighPart = later.dwHighDateTime;
        t.QuadPart += 10000000ULL * 60;
        later.dwLowDateTime = t.LowPart;
        later.dwHighDateTime = t.HighPart;
        ASSERT_TRUE(::SetFileTime(h.get(), NULL, NULL, &later));
    }
    EXPECT_EQ(1u, reloadsDuring(tick));
    EXPECT_EQ(4, rows());
}

TEST_F(MainWindow, SuppressionMutexStopsTicksButNotRefresh) {
    start();
    appendRecord(job(4));
    {
        ScopedHandle suppress(::CreateMutexA(NULL, FALSE, kAutoUpdateMutex));
        EXPECT_EQ(0u, reloadsDuring(tick));
        EXPECT_EQ(3, rows());
        EXPECT_EQ(1u, reloadsDuring(refresh));
        EXPECT_EQ(4, rows());
    }
}

TEST_F(MainWindow, DeletedLogIsRecreatedEmpty) {
    start();
    ASSERT_TRUE(::DeleteFileA(log_.c_str()));
    tick(hwnd_);
    pumpMessages();
    EXPECT_EQ(64u, fileSize(log_));
    EXPECT_EQ(0, rows());
    EXPECT_EQ("0 個の印刷ログ", status());
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

TEST_F(MainWindow, OpenDialogHoldsBackTicksAndRefresh) {
    start();
    appendRecord(job(4));
    InfoDialogScript script;
    script.script = [](InfoDialogScript& s) {
        MessageSpy spy(s.main);
        ::SendMessageA(s.main, WM_COMMAND, kTick, 0);
        ::SendMessageA(s.main, WM_COMMAND, IDM_REFRESH, 0);
        s.reloadsDuring = spy.received(kRunAllMessage).size();
        char text[256] = "";
        ::SendMessageA(::GetDlgItem(s.main, kStatusBarId), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        s.statusDuring = text;
    };
    withInfoDialog(hwnd_, app_->listView(), script);
    ASSERT_TRUE(script.dialog);
    EXPECT_EQ(0u, script.reloadsDuring);
    EXPECT_EQ("3 個の印刷ログ （自動更新抑止中）", script.statusDuring);
    pumpMessages();
    EXPECT_EQ(1u, reloadsDuring(tick));
    EXPECT_EQ("4 個の印刷ログ", status());
}

TEST_F(MainWindow, CloseWithTheDialogOpenAnsweredNoKeepsBoth) {
    start();
    InfoDialogScript script;
    script.script = [](InfoDialogScript& s) {
        BoxAnswerer no(kMainTitle, IDNO);
        ::SendMessageA(s.main, WM_COMMAND, IDM_CLOSE, 0);
        no.wait(10000);
        s.statusDuring = ::IsWindow(s.main) && ::IsWindow(s.dialog) ? "both open" : "closed";
    };
    withInfoDialog(hwnd_, app_->listView(), script);
    EXPECT_EQ("both open", script.statusDuring);
    EXPECT_TRUE(::IsWindow(hwnd_));
}

TEST_F(MainWindow, ClearAllAskedFirstAndWaitsForTheLock) {
    start();
    const Bytes before = readFileBytes(log_);
    {
        BoxAnswerer no(kMainTitle, IDNO);
        ::SendMessageA(hwnd_, WM_COMMAND, IDM_CLEAR_ALL, 0);
        ASSERT_TRUE(no.wait(10000));
        EXPECT_EQ(kClearAllQuestion, no.texts()[0]);
    }
    EXPECT_EQ(before, readFileBytes(log_));
    EXPECT_EQ(3, rows());

    ChildProcess holder;
    ReadyEvent ready;
    ASSERT_TRUE(startHelper(holder, "kqvt_holder",
                            std::string("mutex \"") + kLogFileMutexName + "\" 1500 " + ready.name()));
    ASSERT_TRUE(ready.wait(10000));
    BoxAnswerer yes(kMainTitle, IDYES);
    DWORD begin = ::GetTickCount();
    ::SendMessageA(hwnd_, WM_COMMAND, IDM_CLEAR_ALL, 0);
    EXPECT_GE(::GetTickCount() - begin, 1000u);
    EXPECT_EQ(64u, fileSize(log_));
    EXPECT_EQ(0, rows());
    holder.wait(10000);
}

TEST_F(MainWindow, WriteErrorStartWarnsThenCarriesOnOrCloses) {
    {
        BoxAnswerer ok(kWarningCaptionText, IDOK);
        start({"-b", "2"});
        ASSERT_TRUE(ok.wait(10000));
        EXPECT_NE(std::string::npos, ok.texts()[0].find(kSystemErrorLine));
        EXPECT_NE(std::string::npos, ok.texts()[0].find(kWriteFailedFirstLine));
        EXPECT_TRUE(::IsWindow(hwnd_));
        EXPECT_EQ(0, app_->mode());
        EXPECT_EQ(3, rows());
    }
    TearDown();
    {
        BoxAnswerer ok(kWarningCaptionText, IDOK);
        start({"-b", "5"});
        ASSERT_TRUE(ok.answered() == 1 || ok.wait(10000));
        EXPECT_NE(std::string::npos, ok.texts()[0].find(kInUseLine));
        EXPECT_EQ(std::string::npos, ok.texts()[0].find(kRestartLine));
        EXPECT_FALSE(hwnd_ && ::IsWindow(hwnd_));
    }
}

TEST_F(MainWindow, OneWarningPerFamilyAndNoSettingsBehindAnotherBox) {
    start();
    {
        // Another process shows a read warning: this one is dropped.
        ScopedHandle shown(::CreateMutexA(NULL, FALSE, kReadWarningMutex));
        BoxAnswerer any(nullptr, IDCANCEL);
        EXPECT_EQ(1, app_->showWarning(kWarnRead, 5));
        EXPECT_EQ(0, any.answered());
    }
    {
        // An error box of this program is up elsewhere: the warning shows, the settings wait.
        HostWindow other;
        ::SetWindowTextA(other.hwnd(), kWarningCaptionText);
        BoxAnswerer any(nullptr, IDCANCEL, 2);
        EXPECT_EQ(1, app_->showWarning(kWarnRead, 1));
        EXPECT_EQ(1, any.answered());
        std::vector<std::string> texts = any.texts();
        ASSERT_EQ(1u, texts.size());
        EXPECT_EQ(std::string(kReadFailedLine) + kDataBrokenLine + kDeleteOrRenameLine, texts[0]);
    }
}

// A write failure the user can remedy opens the settings; cancelled, the viewer asks
// whether to exit (naming the write), and asks again after each further cancel.
TEST_F(MainWindow, WriteErrorNeedingSettingsAsksUntilTheUserExits) {
    BoxAnswerer answers({IDOK, IDCANCEL, IDCANCEL, IDCANCEL, IDOK});
    start({"-b", "42"});
    ASSERT_TRUE(answers.answered() == 5 || answers.wait(20000));
    std::vector<std::string> texts = answers.texts(), titles = answers.titles();
    EXPECT_EQ(std::string(kWriteFailedFirstLine) + kDataBrokenLine + kDeleteOrRenameLine, texts[0]);
    EXPECT_EQ("Quillbridge2 印刷ログ 環境設定", titles[1]);
    EXPECT_EQ(std::string(kCannotWriteLine) + kExitQuestionLine, texts[2]);
    EXPECT_EQ("Quillbridge2 印刷ログ 環境設定", titles[3]);
    EXPECT_EQ(std::string(kCannotWriteLine) + kExitQuestionLine, texts[4]);
    EXPECT_FALSE(hwnd_ && ::IsWindow(hwnd_));
}

TEST_F(MainWindow, ClosedRecordsShowOnlyWithAllView) {
    writeLog({});
    appendRecord(RecordBuilder().kind(3).errorCode(330).jobId(8).time(2026, 7, 1, 9, 0, 0).build());
    appendRecord(RecordBuilder().kind(0).jobId(8).time(2026, 7, 1, 9, 5, 0).build());
    start();
    EXPECT_EQ(1, rows());
    EXPECT_EQ(0, rowView(0)->record->eventKind);
    TearDown();
    start({}, 1);
    EXPECT_EQ(2, rows());
    EXPECT_EQ("8", cell(1, 9));
}

TEST_F(MainWindow, ReloadAfterDropsRemovesExactlyThoseRows) {
    settings_.set("LogSize", "2");
    writeLog({job(1), job(2), job(3), job(4)});
    start();
    ASSERT_EQ(4, rows());
    // Fills the 2 KB log but for one old record: the three oldest go.
    Bytes big = RecordBuilder().jobId(9).padTo(uint32_t(2048 - 64 - job(1).size())).build();
    {
        ScopedHandle h(::CreateFileA(log_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL));
        ASSERT_EQ(kWriteStored, writeLogFile(h.get(), big.data(), uint32_t(big.size()), 2));
    }
    tick(hwnd_);
    pumpMessages();
    ASSERT_EQ(2, rows());
    EXPECT_EQ(9u, rowView(0)->record->jobId);
    EXPECT_EQ(4u, rowView(1)->record->jobId);
    EXPECT_EQ("2 個の印刷ログ", status());
}

TEST_F(MainWindow, RowsFollowTheStoreAfterASortAndFreedRowsShowNothing) {
    settings_.set("LogSize", "2");
    std::vector<Bytes> records;
    for (uint32_t id = 1; id <= 4; ++id)
        records.push_back(RecordBuilder().jobId(id).document("doc-" + std::to_string(id)).time(2026, 7, 1, 13 - id, 0, 0).build());
    writeLog(records);
    start();
    refresh(hwnd_);  // by date: 1 2 3 4, the reverse of their arrival
    // Fills the 2 KB log: the three oldest records go.
    Bytes big = RecordBuilder().jobId(9).document("doc-9").padTo(uint32_t(2048 - 64 - job(1).size())).build();
    {
        ScopedHandle h(::CreateFileA(log_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL));
        ASSERT_EQ(kWriteStored, writeLogFile(h.get(), big.data(), uint32_t(big.size()), 2));
    }
    tick(hwnd_);
    ASSERT_EQ(2, rows());
    EXPECT_EQ("doc-9", cell(0, 1));
    EXPECT_EQ(4u, rowView(1)->record->jobId);
    // Rows the store freed before the list caught up are never read.
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
    auto order = [&] {
        std::string jobs;
        for (int i = 0; i < rows(); ++i) jobs += std::to_string(rowView(i)->record->jobId);
        return jobs;
    };
    EXPECT_EQ("321", order());  // as they arrived: newest arrival on top
    refresh(hwnd_);
    EXPECT_EQ("312", order());  // by date, newest first
    NMLISTVIEW click;
    std::memset(&click, 0, sizeof click);
    click.hdr.hwndFrom = app_->listView().hwnd();
    click.hdr.idFrom = kListViewId;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = 7;
    ::SendMessageA(hwnd_, WM_NOTIFY, kListViewId, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ("213", order());
    ::SendMessageA(hwnd_, WM_NOTIFY, kListViewId, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ("312", order());
    EXPECT_EQ(7, app_->sortColumn());
}

TEST_F(MainWindow, TenColumnsSaveNineWidths) {
    start({}, 1);
    ::DestroyWindow(hwnd_);
    pumpMessages();
    RegistryKey key;
    ByteBuffer saved;
    ASSERT_TRUE(key.open(HKEY_CURRENT_USER, kWindowStateKey, KEY_READ));
    ASSERT_TRUE(key.readValue(kColumnWidthsValue, REG_BINARY, saved));
    EXPECT_EQ(9u * sizeof(int), saved.size());
    ByteBuffer place;
    ASSERT_TRUE(key.readValue(kWindowPlaceValue, REG_BINARY, place));
    EXPECT_EQ(sizeof(WINDOWPLACEMENT), place.size());
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
        tick(hwnd_);
    }
    EXPECT_EQ(DWORD(WAIT_TIMEOUT), lockProbe);
    EXPECT_EQ(buildLogFile({job(7)}), readFileBytes(log_));
}

// With "AllView" a saved tenth width reaches the job ID column; WM_SIZE reaches the status
// bar with its size type.
TEST_F(MainWindow, ControlsTakeTheSavedTenthWidthAndTheSizeType) {
    const int saved[10] = {60, 61, 62, 63, 64, 65, 66, 67, 68, 123};
    RegistryKey key;
    ASSERT_TRUE(key.create(HKEY_CURRENT_USER, kWindowStateKey, KEY_ALL_ACCESS));
    ASSERT_TRUE(key.setValue(kColumnWidthsValue, REG_BINARY, saved, sizeof saved));
    start({}, 1);
    EXPECT_EQ(123, app_->listView().columnWidth(9));
    MessageSpy bar(::GetDlgItem(hwnd_, kStatusBarId));
    ::SendMessageA(hwnd_, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(640, 480));
    ASSERT_EQ(1u, bar.received(WM_SIZE).size());
    EXPECT_EQ(WPARAM(SIZE_MAXIMIZED), bar.received(WM_SIZE)[0].wParam);
}
