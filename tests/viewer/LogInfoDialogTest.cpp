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

TEST_F(LogInfoDialogTest, FieldsShowTheSelectedEntry) {
    struct Case {
        const char* what;
        Bytes record;
        const char* category;  // the dialog's category line
        const char* details;
        const char* pages;
        bool pagesOn, pagesLabelsOn;
        const char* mono;
        bool monoOn, monoLabelsOn;
        const char* colour;
        bool colourOn, colourLabelsOn;
        const char* sheets;
        bool sheetsOn, sheetsLabelsOn;
        const char* tray;
        bool trayShown;
        bool iconShown;
    };
    const Case cases[] = {
        {"completed job",
         RecordBuilder().kind(0).pages(12, 12).copies(3, 3).colour(8, 4).sheets(6).tray(1).time(2024, 3, 5, 14, 7, 9)
             .printer("QV-2810 本社").document("見積書&請求書.xlsx").user("田中").requester("PC-SALES-01").build(),
         "印刷完了", "", "12ページ （ 3部 ）", true, true, "8ページ", true, true, "4ページ", true, true, "6枚", true, true,
         "フェイスダウントレイ", true, true},
        {"error with a printer code",
         RecordBuilder().kind(3).errorCode(300).errorDetail(0x1A).message("用紙がありません").pages(5, 20).build(),
         "[0300-001a] 用紙がありません", "", "5 / 20ページ", true, true, "1ページ", true, true, "0ページ", true, true, "1枚",
         true, true, "フェイスダウントレイ", true, true},
        {"notice",
         RecordBuilder().kind(1).flags(FLAG_NOTICE).title("ログファイルを作り直しました").message("壊れたログを保存しました")
             .pages(-1, -1).copies(0, 0).colour(-1, -1).sheets(-1).build(),
         "ログファイルを作り直しました", "壊れたログを保存しました", "", false, true, "", false, true, "", false, true, "", false,
         true, "", true, true},
        {"ordinary job without a sheet count",
         RecordBuilder().kind(0).sheets(-1).build(), "印刷完了", "", "1ページ", true, true, "1ページ", true, true, "0ページ",
         true, true, "", false, false, "フェイスダウントレイ", true, true},
        {"no valid output destination", RecordBuilder().kind(5).tray(0).build(), "印刷開始", "", "1ページ", true, true,
         "1ページ", true, true, "0ページ", true, true, "1枚", true, true, "排紙先無効", false, true},
        {"kind without an icon", RecordBuilder().kind(6).colour(-1, 7).build(), "??", "", "1ページ", true, true, "", false,
         false, "7ページ", true, true, "1枚", true, true, "フェイスダウントレイ", true, false},
    };
    std::vector<LogRecordView*> rows;
    for (const Case& c : cases) rows.push_back(addRow(c.record));
    list.selectItem(0);

    ScriptedLogInfoDialog dialog(&list);
    dialog.setOwner(mainWindow.hwnd());
    size_t checked = 0;
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        LogRecordView* view = rows[i];
        dialog.steps.push_back([&, i, view](HWND hwnd) {
            SCOPED_TRACE(c.what);
            EXPECT_EQ(static_cast<int>(i), list.selectedIndex());
            EXPECT_EQ(view->dateText, text(hwnd, IDC_LOGINFO_DATE));
            EXPECT_EQ(view->printerName, text(hwnd, IDC_LOGINFO_PRINTER));
            EXPECT_EQ(view->userName, text(hwnd, IDC_LOGINFO_USER));
            EXPECT_EQ(view->documentName, text(hwnd, IDC_LOGINFO_DOCUMENT));
            EXPECT_EQ(view->requesterName, text(hwnd, IDC_LOGINFO_REQUESTER));
            EXPECT_EQ(c.category, text(hwnd, IDC_LOGINFO_CATEGORY));
            EXPECT_EQ(c.details, text(hwnd, IDC_LOGINFO_DETAILS));
            EXPECT_EQ(c.pages, text(hwnd, IDC_LOGINFO_PAGES));
            EXPECT_EQ(c.pagesOn, enabled(hwnd, IDC_LOGINFO_PAGES));
            EXPECT_EQ(c.pagesLabelsOn, enabled(hwnd, IDC_LOGINFO_PAGES_LABEL));
            EXPECT_EQ(c.pagesLabelsOn, enabled(hwnd, IDC_LOGINFO_PAGES_COLON));
            EXPECT_EQ(c.mono, text(hwnd, IDC_LOGINFO_MONO));
            EXPECT_EQ(c.monoOn, enabled(hwnd, IDC_LOGINFO_MONO));
            EXPECT_EQ(c.monoLabelsOn, enabled(hwnd, IDC_LOGINFO_MONO_LABEL));
            EXPECT_EQ(c.monoLabelsOn, enabled(hwnd, IDC_LOGINFO_MONO_COLON));
            EXPECT_EQ(c.colour, text(hwnd, IDC_LOGINFO_COLOUR));
            EXPECT_EQ(c.colourOn, enabled(hwnd, IDC_LOGINFO_COLOUR));
            EXPECT_EQ(c.colourLabelsOn, enabled(hwnd, IDC_LOGINFO_COLOUR_LABEL));
            EXPECT_EQ(c.colourLabelsOn, enabled(hwnd, IDC_LOGINFO_COLOUR_COLON));
            EXPECT_EQ(c.sheets, text(hwnd, IDC_LOGINFO_SHEETS));
            EXPECT_EQ(c.sheetsOn, enabled(hwnd, IDC_LOGINFO_SHEETS));
            EXPECT_EQ(c.sheetsLabelsOn, enabled(hwnd, IDC_LOGINFO_SHEETS_LABEL));
            EXPECT_EQ(c.sheetsLabelsOn, enabled(hwnd, IDC_LOGINFO_SHEETS_COLON));
            EXPECT_EQ(c.tray, text(hwnd, IDC_LOGINFO_TRAY));
            EXPECT_EQ(c.trayShown, shown(hwnd, IDC_LOGINFO_TRAY));
            EXPECT_EQ(c.trayShown, enabled(hwnd, IDC_LOGINFO_TRAY));
            EXPECT_EQ(c.trayShown, enabled(hwnd, IDC_LOGINFO_TRAY_LABEL));
            EXPECT_EQ(c.trayShown, enabled(hwnd, IDC_LOGINFO_TRAY_COLON));
            HANDLE icon = reinterpret_cast<HANDLE>(
                ::SendDlgItemMessageA(hwnd, IDC_LOGINFO_ICON, STM_GETIMAGE, IMAGE_ICON, 0));
            EXPECT_EQ(c.iconShown, icon != NULL);
            ++checked;
            // The main window's refresh after the next row has been selected.
            list.selectItem(static_cast<int>(i) + 1);
            dialog.refresh();
        });
    }
    dialog.steps.push_back([](HWND hwnd) { click(hwnd, IDOK); });
    EXPECT_EQ(IDOK, run(dialog));
    EXPECT_EQ(sizeof cases / sizeof cases[0], checked);
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
        // The window as the template makes it: caption, context help button, the tab order
        // OK, up, down, and values that neither wrap nor eat an "&" of a document name.
        char caption[64] = "";
        ::GetWindowTextA(hwnd, caption, sizeof caption);
        EXPECT_STREQ("Quillbridge2 印刷ログ情報", caption);
        EXPECT_NE(0, ::GetWindowLongA(hwnd, GWL_STYLE) & DS_CONTEXTHELP);
        std::vector<int> tabOrder;
        for (HWND child = ::GetWindow(hwnd, GW_CHILD); child != NULL; child = ::GetWindow(child, GW_HWNDNEXT))
            if (::GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP) tabOrder.push_back(::GetDlgCtrlID(child));
        EXPECT_EQ((std::vector<int>{IDOK, IDC_LOGINFO_STEP_UP, IDC_LOGINFO_STEP_DOWN}), tabOrder);
        const LONG valueStyle = SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_NOTIFY;
        for (int id : {IDC_LOGINFO_DATE, IDC_LOGINFO_DOCUMENT, IDC_LOGINFO_TRAY, IDC_LOGINFO_REQUESTER})
            EXPECT_EQ(valueStyle, ::GetWindowLongA(::GetDlgItem(hwnd, id), GWL_STYLE) & (SS_TYPEMASK | valueStyle)) << id;
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

// A help map as the help file gives it: "#IVB" pairs of context ID and offset into "#STRINGS".
void fillHelpMap(HelpMap& map) {
    static const char strings[] = "\0info_date.htm\0info_sheets.htm\0info_ok.htm\0info_up.htm\0info_icon.htm";
    const uint32_t ivb[] = {0, 12, 1, 20, 15, 23, 31, 15, 43, 11, 55};
    map.count = sizeof ivb / 4;
    map.ivb = static_cast<uint32_t*>(::HeapAlloc(::GetProcessHeap(), 0, sizeof ivb));
    map.strings = static_cast<uint8_t*>(::HeapAlloc(::GetProcessHeap(), 0, sizeof strings));
    std::memcpy(map.ivb, ivb, sizeof ivb);
    std::memcpy(map.strings, strings, sizeof strings);
    map.stringsSize = sizeof strings;
}

TEST_F(LogInfoDialogTest, HelpOpensTheControlsTopic) {
    addRow(RecordBuilder().build());
    list.selectItem(0);
    HelpMap map;
    fillHelpMap(map);
    ScriptedLogInfoDialog dialog(&list);
    dialog.setHelpMap(&map);
    dialog.setHelpMap(nullptr);  // ignored
    g_helpCalls.clear();
    HtmlHelpHook previous = setHtmlHelpHook(recordHelp);

    struct Request {
        const char* what;
        bool contextMenu;        // WM_CONTEXTMENU (with the keys below) instead of WM_HELP
        int control;             // 0: the dialog itself
        std::vector<WPARAM> keys;
        const char* topic;       // null: no help call
    };
    const Request requests[] = {
        {"F1 on a colon", false, IDC_LOGINFO_DATE_COLON, {}, "info_date.htm"},
        {"F1 on the sheets value", false, IDC_LOGINFO_SHEETS, {}, "info_sheets.htm"},
        {"F1 on OK", false, IDOK, {}, "info_ok.htm"},
        {"F1 on a control outside the table", false, 1019, {}, "(none)"},
        {"help chosen from the popup", true, IDC_LOGINFO_STEP_UP, {VK_DOWN, VK_RETURN}, "info_up.htm"},
        {"popup dismissed", true, IDC_LOGINFO_ICON, {VK_ESCAPE}, nullptr},
        {"no control under the click", true, 0, {}, nullptr},
    };
    size_t expectedCalls = 0;
    for (const Request& r : requests) {
        if (r.topic != nullptr) ++expectedCalls;
        dialog.steps.push_back([&, r, expectedCalls](HWND hwnd) {
            SCOPED_TRACE(r.what);
            if (r.contextMenu) {
                for (WPARAM key : r.keys) ::PostMessageA(hwnd, WM_KEYDOWN, key, 0);
                HWND target = r.control != 0 ? ::GetDlgItem(hwnd, r.control) : hwnd;
                // A dialog's answer is its DWLP_MSGRESULT: what shows the handling is the call log.
                ::SendMessageA(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(target), -1);
            } else {
                HELPINFO info = {};
                info.cbSize = sizeof info;
                info.iContextType = HELPINFO_WINDOW;
                info.iCtrlId = r.control;
                info.hItemHandle = ::GetDlgItem(hwnd, r.control);
                ::SendMessageA(hwnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
            }
            ASSERT_EQ(expectedCalls, g_helpCalls.size());
            if (r.topic == nullptr) return;
            const HelpCall& call = g_helpCalls.back();
            EXPECT_EQ(nullptr, call.owner);
            EXPECT_EQ(std::string(dialog.helpFilePath()), call.file);
            EXPECT_EQ(static_cast<UINT>(HH_DISPLAY_TOPIC), call.command);
            EXPECT_EQ(r.topic, call.topic);
        });
    }
    dialog.steps.push_back([](HWND hwnd) { click(hwnd, IDOK); });
    EXPECT_EQ(IDOK, run(dialog));
    setHtmlHelpHook(previous);
    EXPECT_EQ(expectedCalls, g_helpCalls.size());

    // The help file lies beside the executable.
    char module[MAX_PATH] = "";
    ::GetModuleFileNameA(testInstance(), module, sizeof module);
    std::string expectedPath(module);
    expectedPath = expectedPath.substr(0, expectedPath.find_last_of('\\') + 1) + "KQVTLGVW.CHM";
    EXPECT_EQ(expectedPath, dialog.helpFilePath());
}

}  // namespace
