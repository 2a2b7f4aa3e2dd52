#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/DummyWindow.h"
#include "framework/ListViewControl.h"
#include "framework/PrivateMessages.h"
#include "viewer/LogInfoDialog.h"
#include "presentation/LogRecordView.h"
#include "resources/LogInfoDialogIds.h"
#include "resources/MenuIds.h"
#include "services/AccessRights.h"
#include "help/ContextHelp.h"
#include "tests/support/RecordBuilder.h"
#include "tests/support/SettingsFile.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WindowTestSupport.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The real dialog with a script: each step runs from a timer tick, so everything that the
// previous step posted (commands, focus moves, refreshes) has been handled, and only once the
// dialog is on screen. A watchdog ends a dialog that was never closed.
class ScriptedLogInfoDialog : public LogInfoDialog {
public:
    static constexpr INT_PTR kTimedOut = -2;

    explicit ScriptedLogInfoDialog(ListViewControl* list) : LogInfoDialog(testInstance(), list) {}

    LRESULT windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_INITDIALOG) {
            next_ = 0;
            ::SetTimer(hwnd, kStepTimer, 15, nullptr);
            ::SetTimer(hwnd, kWatchdog, 20000, nullptr);
        } else if (message == WM_TIMER && wParam == kStepTimer) {
            if (::IsWindowVisible(hwnd) && next_ < steps.size()) steps[next_++](hwnd);
            return TRUE;
        } else if (message == WM_TIMER && wParam == kWatchdog) {
            ::EndDialog(hwnd, kTimedOut);
            return TRUE;
        }
        return LogInfoDialog::windowProc(hwnd, message, wParam, lParam);
    }

    std::vector<std::function<void(HWND)>> steps;

private:
    static constexpr UINT_PTR kStepTimer = 31;
    static constexpr UINT_PTR kWatchdog = 32;
    size_t next_ = 0;
};

std::string text(HWND dialog, int id) {
    char buffer[1024] = "";
    ::GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
    return buffer;
}

bool enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

// The control's own visibility, whatever its parent's.
bool shown(HWND dialog, int id) { return (::GetWindowLongA(::GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0; }

bool focused(HWND dialog, int id) { return ::GetFocus() == ::GetDlgItem(dialog, id); }

void click(HWND dialog, int id) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

bool menuItemEnabled(HMENU menu, UINT id) {
    return (::GetMenuState(menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
}

bool privilegedUser() {
    uint32_t level = getUserGroupLevel();
    return level == GROUP_ADMINISTRATORS || level == GROUP_POWER_USERS;
}

// The main window's side: a window with menu 102 and a single-selection list whose rows carry
// LogRecordView pointers, and a settings file that names an existing log file.
class LogInfoDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        initCommonControlsForTests();
        ASSERT_NE(nullptr, mainWindow.hwnd());
        menu = ::LoadMenuA(testInstance(), MAKEINTRESOURCEA(IDR_MAIN_MENU));
        ASSERT_NE(nullptr, menu);
        ASSERT_TRUE(::SetMenu(mainWindow.hwnd(), menu));
        ASSERT_NE(nullptr, list.create(mainWindow.hwnd(), 1002));
        list.addStyle(LVS_SINGLESEL);
        LVCOLUMNA column = {};
        column.mask = LVCF_WIDTH | LVCF_TEXT;
        column.cx = 100;
        column.pszText = const_cast<char*>("分類");
        ASSERT_EQ(1, list.insertColumns(&column, 1, 0));

        logPath = temp.file("KQVTPRT2.LOG");
        ASSERT_TRUE(writeFileBytes(logPath, "log", 3));
        settings.set("LogName", logPath);
    }

    LogRecordView* addRow(const Bytes& record) {
        views.emplace_back(new LogRecordView);
        LogRecordView* view = views.back().get();
        EXPECT_NE(0u, view->parseRecord(record.data()));
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = list.itemCount();
        item.pszText = view->categoryText;
        item.lParam = reinterpret_cast<LPARAM>(view);
        EXPECT_EQ(1, list.insertItems(&item, 1));
        return view;
    }

    // As the main window runs it: menu items greyed, then the dialog under a DummyWindow.
    INT_PTR run(ScriptedLogInfoDialog& dialog) {
        ::EnableMenuItem(menu, IDM_REFRESH, MF_BYCOMMAND | MF_GRAYED);
        ::EnableMenuItem(menu, IDM_CLEAR_ALL, MF_BYCOMMAND | MF_GRAYED);
        DummyWindow dummy(testInstance(), &dialog);
        EXPECT_EQ(0, dummy.run());
        return dummy.dialogResult();
    }

    TempDir temp;
    ScopedSettingsFile settings;
    std::string logPath;
    HostWindow mainWindow;
    HMENU menu = NULL;  // destroyed with the main window
    ListViewControl list{testInstance()};
    std::vector<std::unique_ptr<LogRecordView>> views;
};

// ---------------------------------------------------------------- fields

// A value with its state: [v] value enabled, [l] label and [c] colon enabled, [s] shown.
std::string field(HWND dialog, int value, int label, int colon) {
    return text(dialog, value) + "[" + (enabled(dialog, value) ? "v" : "-") + (enabled(dialog, label) ? "l" : "-") +
           (enabled(dialog, colon) ? "c" : "-") + "]";
}

std::string fields(HWND h) {
    const bool icon = ::SendDlgItemMessageA(h, IDC_LOGINFO_ICON, STM_GETIMAGE, IMAGE_ICON, 0) != 0;
    return text(h, IDC_LOGINFO_CATEGORY) + " /" + text(h, IDC_LOGINFO_DETAILS) + "/ " +
           field(h, IDC_LOGINFO_PAGES, IDC_LOGINFO_PAGES_LABEL, IDC_LOGINFO_PAGES_COLON) + " " +
           field(h, IDC_LOGINFO_MONO, IDC_LOGINFO_MONO_LABEL, IDC_LOGINFO_MONO_COLON) + " " +
           field(h, IDC_LOGINFO_COLOUR, IDC_LOGINFO_COLOUR_LABEL, IDC_LOGINFO_COLOUR_COLON) + " " +
           field(h, IDC_LOGINFO_SHEETS, IDC_LOGINFO_SHEETS_LABEL, IDC_LOGINFO_SHEETS_COLON) + " " +
           (shown(h, IDC_LOGINFO_TRAY) ? "s" : "-") +
           field(h, IDC_LOGINFO_TRAY, IDC_LOGINFO_TRAY_LABEL, IDC_LOGINFO_TRAY_COLON) + (icon ? " icon" : "");
}

TEST_F(LogInfoDialogTest, FieldsShowTheSelectedEntry) {
    const struct {
        Bytes record;
        const char* shows;
    } cases[] = {
        {RecordBuilder().kind(0).pages(12, 12).copies(3, 3).colour(8, 4).sheets(6).tray(1).time(2024, 3, 5, 14, 7, 9)
             .printer("QV-2810 本社").document("見積書&請求書.xlsx").user("田中").requester("PC-SALES-01").build(),
         "印刷完了 // 12ページ （ 3部 ）[vlc] 8ページ[vlc] 4ページ[vlc] 6枚[vlc] sフェイスダウントレイ[vlc] icon"},
        {RecordBuilder().kind(3).errorCode(300).errorDetail(0x1A).message("用紙がありません").pages(5, 20).build(),
         "[0300-001a] 用紙がありません // 5 / 20ページ[vlc] 1ページ[vlc] 0ページ[vlc] 1枚[vlc] sフェイスダウントレイ[vlc] icon"},
        {RecordBuilder().kind(1).flags(FLAG_NOTICE).title("ログファイルを作り直しました").message("壊れたログを保存しました")
             .pages(-1, -1).copies(0, 0).colour(-1, -1).sheets(-1).build(),
         "ログファイルを作り直しました /壊れたログを保存しました/ [-lc] [-lc] [-lc] [-lc] s[vlc] icon"},
        {RecordBuilder().kind(0).sheets(-1).build(),
         "印刷完了 // 1ページ[vlc] 1ページ[vlc] 0ページ[vlc] [---] sフェイスダウントレイ[vlc] icon"},
        {RecordBuilder().kind(5).tray(0).build(),
         "印刷開始 // 1ページ[vlc] 1ページ[vlc] 0ページ[vlc] 1枚[vlc] -排紙先無効[---] icon"},
        {RecordBuilder().kind(6).colour(-1, 7).build(),
         "?? // 1ページ[vlc] [---] 7ページ[vlc] 1枚[vlc] sフェイスダウントレイ[vlc]"},
    };
    const int count = int(sizeof cases / sizeof cases[0]);
    for (const auto& c : cases) addRow(c.record);
    list.selectItem(0);
    ScriptedLogInfoDialog dialog(&list);
    dialog.setOwner(mainWindow.hwnd());
    std::vector<std::string> seen;
    for (int i = 0; i < count; ++i) {
        dialog.steps.push_back([&, i](HWND hwnd) {
            const LogRecordView* view = views[size_t(i)].get();
            EXPECT_EQ(std::string(view->dateText) + view->printerName + view->userName + view->documentName +
                          view->requesterName,
                      text(hwnd, IDC_LOGINFO_DATE) + text(hwnd, IDC_LOGINFO_PRINTER) + text(hwnd, IDC_LOGINFO_USER) +
                          text(hwnd, IDC_LOGINFO_DOCUMENT) + text(hwnd, IDC_LOGINFO_REQUESTER));
            seen.push_back(fields(hwnd));
            // The main window's refresh after the next row has been selected.
            list.selectItem(i + 1);
            dialog.refresh();
        });
    }
    dialog.steps.push_back([](HWND hwnd) { click(hwnd, IDOK); });
    EXPECT_EQ(IDOK, run(dialog));
    ASSERT_EQ(size_t(count), seen.size());
    for (int i = 0; i < count; ++i) EXPECT_EQ(cases[i].shows, seen[size_t(i)]) << "row " << i;
}

// ---------------------------------------------------------------- stepping

TEST_F(LogInfoDialogTest, SteppingMovesTheSelectionAndTheButtonsFollow) {
    for (int i = 0; i < 3; ++i) addRow(RecordBuilder().document("doc" + std::to_string(i)).build());
    list.selectItem(0);
    ScriptedLogInfoDialog dialog(&list);
    dialog.setOwner(mainWindow.hwnd());

    struct Expect {
        int command;     // clicked after the check; 0: none
        int row;         // selected row
        bool up, down;   // buttons enabled
        int focus;       // focused control, 0: not checked
    };
    const Expect script[] = {
        {1041, 0, false, true, IDOK},  // opened on the first row: focus on OK
        {1041, 1, true, true, 0},
        {1041, 2, true, false, 1040},  // the last row: focus moves up
        {1040, 2, true, false, 1040},  // a step beyond the end stays
        {1040, 1, true, true, 0},
        {0, 0, false, true, 1041},     // back on the first row: focus moves down
    };
    size_t checked = 0;
    for (const Expect& e : script) {
        dialog.steps.push_back([&, e](HWND hwnd) {
            SCOPED_TRACE(testing::Message() << "row " << e.row);
            EXPECT_EQ(e.row, list.selectedIndex());
            EXPECT_EQ("doc" + std::to_string(e.row), text(hwnd, IDC_LOGINFO_DOCUMENT));
            EXPECT_EQ(e.up, enabled(hwnd, IDC_LOGINFO_STEP_UP));
            EXPECT_EQ(e.down, enabled(hwnd, IDC_LOGINFO_STEP_DOWN));
            if (e.focus != 0) {
                EXPECT_TRUE(focused(hwnd, e.focus)) << "focus on " << e.focus;
            }
            ++checked;
            if (e.command != 0) click(hwnd, e.command);
        });
    }
    dialog.steps.push_back([](HWND hwnd) { ::PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); });
    EXPECT_EQ(IDCANCEL, run(dialog));
    EXPECT_EQ(sizeof script / sizeof script[0], checked);
}

TEST_F(LogInfoDialogTest, ASingleRowGreysBothButtonsAndNoRowLeavesTheFields) {
    addRow(RecordBuilder().document("only").build());
    ScriptedLogInfoDialog dialog(&list);
    bool sawSingle = false;
    // No row selected or focused: nothing is shown and the buttons keep their state.
    dialog.steps.push_back([&](HWND hwnd) {
        EXPECT_EQ(-1, list.selectedIndex());
        EXPECT_EQ("", text(hwnd, IDC_LOGINFO_DOCUMENT));
        EXPECT_EQ("", text(hwnd, IDC_LOGINFO_DATE));
        EXPECT_TRUE(enabled(hwnd, IDC_LOGINFO_STEP_UP));
        EXPECT_TRUE(enabled(hwnd, IDC_LOGINFO_STEP_DOWN));
        click(hwnd, IDC_LOGINFO_STEP_DOWN);  // selects row 0
    });
    dialog.steps.push_back([&](HWND hwnd) {
        EXPECT_EQ(0, list.selectedIndex());
        EXPECT_EQ("only", text(hwnd, IDC_LOGINFO_DOCUMENT));
        EXPECT_FALSE(enabled(hwnd, IDC_LOGINFO_STEP_UP));
        EXPECT_FALSE(enabled(hwnd, IDC_LOGINFO_STEP_DOWN));
        EXPECT_TRUE(focused(hwnd, IDOK));
        sawSingle = true;
        ::PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    EXPECT_EQ(IDCANCEL, run(dialog));
    EXPECT_TRUE(sawSingle);
}

// ---------------------------------------------------------------- opening and closing

TEST_F(LogInfoDialogTest, TellsTheMainWindowAndIsActiveWhileOpen) {
    addRow(RecordBuilder().build());
    list.selectItem(0);
    ScriptedLogInfoDialog dialog(&list);
    dialog.setOwner(mainWindow.hwnd());
    dialog.setOwner(NULL);  // ignored
    EXPECT_EQ(mainWindow.hwnd(), dialog.ownerWindow());
    EXPECT_EQ(0, dialog.isActive());

    HWND seen = NULL;
    dialog.steps.push_back([&](HWND hwnd) {
        seen = hwnd;
        EXPECT_EQ(1, dialog.isActive());
        std::vector<LoggedMessage> opened = mainWindow.received(kDialogOpenedMessage);
        ASSERT_EQ(1u, opened.size());
        EXPECT_EQ(reinterpret_cast<WPARAM>(hwnd), opened[0].wParam);
        EXPECT_EQ(118, opened[0].lParam);
        EXPECT_TRUE(mainWindow.received(kDialogClosedMessage).empty());
        EXPECT_NE(0, ::SendMessageA(hwnd, WM_GETICON, ICON_BIG, 0));
        EXPECT_NE(0, ::SendDlgItemMessageA(hwnd, IDC_LOGINFO_STEP_UP, BM_GETIMAGE, IMAGE_ICON, 0));
        EXPECT_NE(0, ::SendDlgItemMessageA(hwnd, IDC_LOGINFO_STEP_DOWN, BM_GETIMAGE, IMAGE_ICON, 0));
        // The caption, the context help button and the tab order OK, up, down.
        char caption[64] = "";
        ::GetWindowTextA(hwnd, caption, sizeof caption);
        EXPECT_STREQ("Quillbridge2 印刷ログ情報", caption);
        EXPECT_NE(0, ::GetWindowLongA(hwnd, GWL_STYLE) & DS_CONTEXTHELP);
        std::vector<int> tabOrder;
        for (HWND child = ::GetWindow(hwnd, GW_CHILD); child != NULL; child = ::GetWindow(child, GW_HWNDNEXT))
            if (::GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP) tabOrder.push_back(::GetDlgCtrlID(child));
        EXPECT_EQ((std::vector<int>{IDOK, IDC_LOGINFO_STEP_UP, IDC_LOGINFO_STEP_DOWN}), tabOrder);
        dialog.bringToFront();
        dialog.close();
    });
    EXPECT_EQ(IDCANCEL, run(dialog));
    EXPECT_EQ(0, dialog.isActive());
    EXPECT_EQ(nullptr, dialog.hwnd());
    std::vector<LoggedMessage> closed = mainWindow.received(kDialogClosedMessage);
    ASSERT_EQ(1u, closed.size());
    EXPECT_EQ(reinterpret_cast<WPARAM>(seen), closed[0].wParam);
    EXPECT_EQ(118, closed[0].lParam);
    // Nothing reaches a dialog that is not open.
    dialog.refresh();
    dialog.close();
    dialog.bringToFront();
}

TEST_F(LogInfoDialogTest, ClosingSetsTheMainMenuItemsAgain) {
    enum Closer { kEscape, kOk, kCloseCall };
    enum LogState { kWritable, kMissing, kHeld };
    struct Case {
        const char* what;
        Closer closer;
        LogState state;
        INT_PTR result;
    };
    const Case cases[] = {
        {"Esc with a writable log", kEscape, kWritable, IDCANCEL},
        {"OK after the settings moved the log to a missing file", kOk, kMissing, IDOK},
        {"close() while another handle holds the log", kCloseCall, kHeld, IDCANCEL},
    };
    addRow(RecordBuilder().build());
    list.selectItem(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        settings.set("LogName", logPath);
        ScriptedLogInfoDialog dialog(&list);
        dialog.setOwner(mainWindow.hwnd());
        HANDLE holder = INVALID_HANDLE_VALUE;
        dialog.steps.push_back([&](HWND hwnd) {
            if (c.state == kMissing) settings.set("LogName", temp.file("moved.log"));
            if (c.state == kHeld)
                holder = ::CreateFileA(logPath.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
            if (c.closer == kEscape)
                ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
            else if (c.closer == kOk)
                click(hwnd, IDOK);
            else
                dialog.close();
        });
        EXPECT_EQ(c.result, run(dialog));
        if (holder != INVALID_HANDLE_VALUE) ::CloseHandle(holder);
        EXPECT_TRUE(menuItemEnabled(menu, IDM_REFRESH));
        EXPECT_EQ(c.state == kWritable && privilegedUser(), menuItemEnabled(menu, IDM_CLEAR_ALL));
    }
}

// ---------------------------------------------------------------- help

struct HelpCall {
    HWND owner;
    std::string file;
    UINT command;
    std::string topic;  // "(none)" for a null topic
};
std::vector<HelpCall> g_helpCalls;

HWND WINAPI recordHelp(HWND owner, LPCSTR file, UINT command, DWORD_PTR data) {
    const char* topic = reinterpret_cast<const char*>(data);
    g_helpCalls.push_back({owner, file ? file : "", command, topic ? topic : "(none)"});
    return reinterpret_cast<HWND>(1);  // a help window: no missing-file box
}

// A help map as the help file gives it ("#IVB" pairs of context ID and offset into
// "#STRINGS"): context n names the topic "tn".
void fillHelpMap(HelpMap& map) {
    std::string strings(1, '\0');
    std::vector<uint32_t> ivb(1, 0);
    for (uint32_t id = 11; id <= 25; ++id) {
        ivb.insert(ivb.end(), {id, uint32_t(strings.size())});
        strings += "t" + std::to_string(id) + '\0';
    }
    map.count = uint32_t(ivb.size());
    map.ivb = static_cast<uint32_t*>(::HeapAlloc(::GetProcessHeap(), 0, ivb.size() * 4));
    map.strings = static_cast<uint8_t*>(::HeapAlloc(::GetProcessHeap(), 0, strings.size()));
    std::memcpy(map.ivb, ivb.data(), ivb.size() * 4);
    std::memcpy(map.strings, strings.data(), strings.size());
    map.stringsSize = uint32_t(strings.size());
}

// F1 on every control opens its topic (1019 is in no table: the default topic); the
// right-click popup opens it only when its item is chosen.
TEST_F(LogInfoDialogTest, HelpOpensEveryControlsTopic) {
    const int contexts[][2] = {
        {1008, 11}, {1009, 12}, {1010, 12}, {1011, 12}, {1012, 13}, {1013, 13}, {1014, 13}, {1016, 14},
        {1017, 14}, {1015, 14}, {1018, 14}, {1040, 15}, {1041, 16}, {1020, 17}, {1021, 17}, {1022, 17},
        {1023, 18}, {1024, 18}, {1025, 18}, {1026, 19}, {1027, 19}, {1028, 19}, {1029, 20}, {1030, 20},
        {1031, 20}, {1034, 21}, {1032, 21}, {1033, 21}, {1036, 22}, {1038, 22}, {1039, 22}, {IDOK, 23},
        {1053, 24}, {1054, 24}, {1055, 24}, {1050, 25}, {1051, 25}, {1052, 25}, {1019, 0},
    };
    addRow(RecordBuilder().build());
    list.selectItem(0);
    HelpMap map;
    fillHelpMap(map);
    ScriptedLogInfoDialog dialog(&list);
    dialog.setHelpMap(&map);
    dialog.setHelpMap(nullptr);  // ignored
    g_helpCalls.clear();
    HtmlHelpHook previous = setHtmlHelpHook(recordHelp);
    std::string expected, popups;
    dialog.steps.push_back([&](HWND hwnd) {
        for (const auto& c : contexts) {
            expected += c[1] ? "t" + std::to_string(c[1]) + " " : "(none) ";
            HELPINFO info = {};
            info.cbSize = sizeof info;
            info.iContextType = HELPINFO_WINDOW;
            info.iCtrlId = c[0];
            info.hItemHandle = ::GetDlgItem(hwnd, c[0]);
            ::SendMessageA(hwnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        }
    });
    // Help chosen from the popup, the popup dismissed, no control under the click.
    const std::pair<int, std::vector<WPARAM>> requests[] = {
        {IDC_LOGINFO_STEP_UP, {VK_DOWN, VK_RETURN}}, {IDC_LOGINFO_ICON, {VK_ESCAPE}}, {0, {}}};
    for (const auto& r : requests) {
        dialog.steps.push_back([&](HWND hwnd) {
            for (WPARAM key : r.second) ::PostMessageA(hwnd, WM_KEYDOWN, key, 0);
            HWND target = r.first ? ::GetDlgItem(hwnd, r.first) : hwnd;
            ::SendMessageA(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(target), -1);
        });
    }
    dialog.steps.push_back([](HWND hwnd) { click(hwnd, IDOK); });
    EXPECT_EQ(IDOK, run(dialog));
    setHtmlHelpHook(previous);
    std::string topics;
    for (const HelpCall& call : g_helpCalls) {
        topics += call.topic + " ";
        EXPECT_EQ(nullptr, call.owner);
        EXPECT_EQ(std::string(dialog.helpFilePath()), call.file);
        EXPECT_EQ(static_cast<UINT>(HH_DISPLAY_TOPIC), call.command);
    }
    EXPECT_EQ(expected + "t15 ", topics);

    // The help file lies beside the executable.
    char module[MAX_PATH] = "";
    ::GetModuleFileNameA(testInstance(), module, sizeof module);
    std::string expectedPath(module);
    expectedPath = expectedPath.substr(0, expectedPath.find_last_of('\\') + 1) + "KQVTLGVW.CHM";
    EXPECT_EQ(expectedPath, dialog.helpFilePath());
}

}  // namespace
