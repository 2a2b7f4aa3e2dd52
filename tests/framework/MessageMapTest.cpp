#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "framework/MessageMap.h"
#include "resources/SettingsDialogIds.h"
#include "tests/support/WindowTestSupport.h"

namespace {

typedef std::vector<std::string> Calls;

// The update messages by number: they are sent across the program as such.
constexpr UINT kPending = 0x8064, kAll = 0x8065, kInitAll = 0x8066;
// Off every window: on a caption the default handling would open the system menu.
const LPARAM kFarPoint = MAKELPARAM(30000, 30000);

class RoutedDialog : public WindowBase {
public:
    RoutedDialog() : WindowBase(testInstance()) {}
    ~RoutedDialog() override {
        if (hwnd() != NULL) ::DestroyWindow(hwnd());
    }
    HWND open(HWND owner) {
        initCommonControlsForTests();
        HWND hwnd = ::CreateDialogParamA(testInstance(), MAKEINTRESOURCEA(IDD_SETTINGS_PATH), owner,
                                         dialogProcedure(), reinterpret_cast<LPARAM>(static_cast<WindowBase*>(this)));
        calls.clear();
        return hwnd;
    }
    LRESULT windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        return map.routeMessage(this, hwnd, message, wParam, lParam);
    }
    Calls send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        ::SendMessageA(hwnd(), message, wParam, lParam);
        Calls out;
        out.swap(calls);
        return out;
    }
    UINT init(HWND, UINT id) { return record("init", id); }
    UINT update(HWND, UINT id) { return record("update", id); }
    UINT writeEdit(HWND hwnd, UINT id) {
        ::SetDlgItemTextA(hwnd, id, "written by the update");
        return record("update", id);
    }
    UINT onCommand(HWND, UINT id) { return record("command", id); }
    UINT onOther(HWND, UINT id) { return record("other", id); }
    UINT onContext(HWND, UINT id) { return record("context", id); }
    UINT notifyA(HWND, WPARAM, NMHDR* h) { return record("notifyA", static_cast<UINT>(h->idFrom)); }
    UINT notifyB(HWND, WPARAM, NMHDR* h) { return record("notifyB", static_cast<UINT>(h->idFrom)); }

    MessageMap map;
    Calls calls;
    UINT handlerResult = 0;
    std::function<void(HWND)> inCommand;  // runs inside onCommand

private:
    UINT record(const char* what, UINT id) {
        calls.push_back(std::string(what) + " " + std::to_string(id));
        if (inCommand && std::string(what) == "command") inCommand(hwnd());
        return handlerResult;
    }
};

TEST(MessageMap, RoutesByItsTablesAndRunsUpdatesInTableOrder) {
    HostWindow owner;
    MessageSpy changes(owner.hwnd());
    RoutedDialog d;
    const MessageMap::HandlerRow inits[] = {{IDC_NAME_LABEL, &RoutedDialog::init}, {IDOK, &RoutedDialog::init}};
    const MessageMap::HandlerRow updates[] = {{IDC_PATH_EDIT, &RoutedDialog::writeEdit},
                                              {IDC_BROWSE, &RoutedDialog::update},
                                              {IDC_SIZE_SPIN, &RoutedDialog::update}};
    const MessageMap::CommandRow commands[] = {
        {IDC_PATH_EDIT, EN_CHANGE, &RoutedDialog::onCommand},
        {IDC_BROWSE, BN_CLICKED, &RoutedDialog::onOther},
        {IDC_BROWSE, BN_CLICKED, &RoutedDialog::onCommand},  // shadowed by the row before
    };
    const MessageMap::NotifyRow notifications[] = {
        {7, NM_CLICK, &RoutedDialog::notifyA},
        {7, NM_CLICK, &RoutedDialog::notifyB},
        {7, PSN_APPLY, &RoutedDialog::notifyA},
        {8, NM_CLICK, &RoutedDialog::notifyB},
    };
    const MessageMap::HandlerRow scrolls[] = {{IDC_SIZE_SPIN, &RoutedDialog::onOther}};
    const MessageMap::HandlerRow menus[] = {{IDC_PATH_EDIT, &RoutedDialog::onContext}, {0, &RoutedDialog::onContext}};
    EXPECT_EQ(0u, d.map.markPending(IDC_BROWSE));  // empty table: the count
    ASSERT_TRUE(d.map.setInitialisers(inits));
    ASSERT_TRUE(d.map.setUpdaters(updates));
    ASSERT_TRUE(d.map.setCommands(commands));
    ASSERT_TRUE(d.map.setNotifications(notifications));
    ASSERT_TRUE(d.map.setScrolls(scrolls));
    ASSERT_TRUE(d.map.setContextMenus(menus));
    ASSERT_NE(nullptr, d.open(owner.hwnd()));
    HWND scroll = ::GetDlgItem(d.hwnd(), IDC_SIZE_SPIN);
    HWND edit = ::GetDlgItem(d.hwnd(), IDC_PATH_EDIT);

    EXPECT_EQ(2u, d.map.markPending(IDC_SIZE_SPIN));
    EXPECT_EQ(1u, d.map.markPending(IDC_BROWSE));
    EXPECT_EQ(3u, d.map.markPending(999));
    EXPECT_EQ(Calls({"update 1006", "update 1004"}), d.send(kPending));
    EXPECT_TRUE(d.send(kPending).empty());
    d.map.markPending(IDC_BROWSE);
    // The update's own EN_CHANGE is not taken for the user's typing.
    EXPECT_EQ(Calls({"update 1005", "update 1006", "update 1004"}), d.send(kAll));
    EXPECT_TRUE(d.map.isPending(IDC_BROWSE));  // a full run leaves the flags
    d.map.markPending(IDC_BROWSE, 0);
    EXPECT_TRUE(d.send(kPending).empty());
    EXPECT_EQ(Calls({"init 1001", "init 1", "update 1005", "update 1006", "update 1004"}), d.send(kInitAll));

    // The first command row with the ID and code; every notification row, PSN_ codes from anyone.
    const std::tuple<UINT, UINT, UINT, Calls> cases[] = {
        {WM_COMMAND, IDC_BROWSE, BN_CLICKED, {"other 1006", "update 1006"}},
        {WM_COMMAND, IDC_BROWSE, EN_CHANGE, {}},
        {WM_COMMAND, IDC_PATH_EDIT, EN_CHANGE, {"command 1005", "update 1005"}},
        {WM_COMMAND, IDC_NAME_LABEL, BN_CLICKED, {}},
        {WM_NOTIFY, 7, NM_CLICK, {"notifyA 7", "notifyB 7"}},
        {WM_NOTIFY, 99, PSN_APPLY, {"notifyA 99"}},
        {WM_NOTIFY, 99, NM_CLICK, {}},
        {WM_NOTIFY, 8, NM_CLICK, {"notifyB 8"}},
        {WM_NOTIFY, 7, NM_DBLCLK, {}},
    };
    for (const auto& [message, id, code, expected] : cases) {
        NMHDR header = {d.hwnd(), id, code};
        const bool command = message == WM_COMMAND;
        // The routing's own result; SendMessage to a dialog gives DWLP_MSGRESULT instead.
        EXPECT_EQ(command ? 1 : 0, d.map.routeMessage(&d, d.hwnd(), message, command ? MAKEWPARAM(id, code) : id,
                                                      command ? 0 : reinterpret_cast<LPARAM>(&header)));
        EXPECT_EQ(expected, d.send(WM_NULL)) << message << " from " << id << " code " << static_cast<int>(code);
    }
    EXPECT_TRUE(d.send(WM_NOTIFY, 7, 0).empty());

    // A command sent from a handler is dropped until a nested run of the updates; menus always route.
    d.inCommand = [&](HWND hwnd) {
        ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED), 0);
        ::SendMessageA(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit), kFarPoint);
        ::SendMessageA(hwnd, kPending, 0, 0);
        ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED), 0);
    };
    EXPECT_EQ(Calls({"command 1005", "context 1005", "update 1005", "other 1006", "update 1006"}),
              d.send(WM_COMMAND, MAKEWPARAM(IDC_PATH_EDIT, EN_CHANGE)));
    d.inCommand = nullptr;

    // Only command and scroll handlers that report a change tell the parent, naming the dialog.
    d.handlerResult = 1;
    NMHDR header = {d.hwnd(), 8, NM_CLICK};
    d.send(WM_NOTIFY, 8, reinterpret_cast<LPARAM>(&header));
    d.send(WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED));
    EXPECT_EQ(Calls({"other 1004", "update 1004"}), d.send(WM_HSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(scroll)));
    ASSERT_EQ(2u, changes.received(PSM_CHANGED).size());
    EXPECT_EQ(reinterpret_cast<WPARAM>(d.hwnd()), changes.received(PSM_CHANGED)[0].wParam);
    EXPECT_TRUE(d.send(WM_HSCROLL, SB_LINEDOWN, 0).empty());
    // Context menus run no updates; the dialog itself has no control ID (not its menu).
    EXPECT_TRUE(d.send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(scroll), kFarPoint).empty());
    EXPECT_EQ(Calls({"context 0"}), d.send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(d.hwnd()), kFarPoint));
}

}  // namespace
