#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/MessageMap.h"
#include "framework/RegisteredWindow.h"
#include "tests/framework/FrameworkTestIds.h"
#include "tests/support/WindowTestSupport.h"

namespace {

typedef std::vector<std::string> Calls;

// A modeless dialog on the test template whose handlers write down what ran.
class RoutedDialog : public WindowBase {
public:
    RoutedDialog() : WindowBase(testInstance()) {}
    ~RoutedDialog() override {
        if (hwnd() != NULL) ::DestroyWindow(hwnd());
    }
    HWND open(HWND owner) {
        HWND hwnd = ::CreateDialogParamA(testInstance(), MAKEINTRESOURCEA(IDD_FRAMEWORK_TEST), owner,
                                         dialogProcedure(), reinterpret_cast<LPARAM>(static_cast<WindowBase*>(this)));
        calls.clear();
        return hwnd;
    }
    LRESULT windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        return map.routeMessage(this, hwnd, message, wParam, lParam);
    }
    Calls take() {
        Calls out;
        out.swap(calls);
        return out;
    }
    LRESULT command(UINT id, UINT code) {
        return ::SendMessageA(hwnd(), WM_COMMAND, MAKEWPARAM(id, code), 0);
    }

    UINT init(HWND, UINT id) { return record("init", id); }
    UINT update(HWND, UINT id) { return record("update", id); }
    UINT writeEdit(HWND hwnd, UINT id) {
        record("update", id);
        ::SetDlgItemTextA(hwnd, id, "written by the update");
        return 0;
    }
    UINT onCommand(HWND, UINT id) { return record("command", id); }
    UINT onOther(HWND, UINT id) { return record("other", id); }
    UINT onScroll(HWND, UINT id) { return record("scroll", id); }
    UINT onContext(HWND, UINT id) { return record("context", id); }
    UINT notifyA(HWND, WPARAM, NMHDR* h) { return record("notifyA", static_cast<UINT>(h->idFrom)); }
    UINT notifyB(HWND, WPARAM, NMHDR* h) { return record("notifyB", static_cast<UINT>(h->idFrom)); }

    MessageMap map;
    Calls calls;
    UINT handlerResult = 0;
    std::function<void(HWND)> inCommand;  // runs inside onCommand
    int dispatchingInHandler = -1;

private:
    UINT record(const char* what, UINT id) {
        calls.push_back(std::string(what) + " " + std::to_string(id));
        dispatchingInHandler = map.isDispatching();
        if (inCommand && std::string(what) == "command") inCommand(hwnd());
        return handlerResult;
    }
};

const MessageMap::HandlerRow kUpdates[] = {
    {IDC_TEST_EDIT, &RoutedDialog::update},
    {IDC_TEST_BUTTON, &RoutedDialog::update},
    {IDC_TEST_SCROLL, &RoutedDialog::update},
};

TEST(MessageMap, CommandRowsMatchOnIdAndCodeAndRefreshTheirControl) {
    HostWindow owner;
    RoutedDialog d;
    const MessageMap::CommandRow commands[] = {
        {IDC_TEST_BUTTON, BN_CLICKED, &RoutedDialog::onCommand},
        {IDC_TEST_BUTTON, BN_CLICKED, &RoutedDialog::onOther},  // shadowed by the first row
        {IDC_TEST_EDIT, EN_CHANGE, &RoutedDialog::onOther},
        {IDC_TEST_BUTTON, BN_DOUBLECLICKED, &RoutedDialog::onOther},
    };
    ASSERT_TRUE(d.map.setCommands(commands));
    ASSERT_TRUE(d.map.setUpdaters(kUpdates));
    ASSERT_NE(nullptr, d.open(owner.hwnd()));
    ASSERT_EQ(owner.hwnd(), ::GetParent(d.hwnd()));

    struct Case {
        UINT id, code;
        Calls expected;
    } cases[] = {
        {IDC_TEST_BUTTON, BN_CLICKED, {"command 202", "update 202"}},
        {IDC_TEST_BUTTON, EN_CHANGE, {}},
        {IDC_TEST_EDIT, BN_CLICKED, {}},
        {IDC_TEST_EDIT, EN_CHANGE, {"other 201", "update 201"}},
        {IDC_TEST_BUTTON, BN_DOUBLECLICKED, {"other 202", "update 202"}},
        {IDC_TEST_LABEL, BN_CLICKED, {}},
    };
    for (const Case& c : cases) {
        // The routing's own result; SendMessage to a dialog gives DWLP_MSGRESULT instead.
        EXPECT_EQ(1, d.map.routeMessage(&d, d.hwnd(), WM_COMMAND, MAKEWPARAM(c.id, c.code), 0));
        EXPECT_EQ(c.expected, d.take()) << "command " << c.id << " code " << c.code;
        EXPECT_FALSE(d.map.isPending(c.id));
    }

    // Only a handler that reports a change tells the parent, naming the dialog.
    EXPECT_TRUE(owner.received(PSM_CHANGED).empty());
    d.handlerResult = 1;
    d.command(IDC_TEST_BUTTON, BN_CLICKED);
    std::vector<LoggedMessage> changed = owner.received(PSM_CHANGED);
    ASSERT_EQ(1u, changed.size());
    EXPECT_EQ(reinterpret_cast<WPARAM>(d.hwnd()), changed[0].wParam);
    EXPECT_EQ(0, changed[0].lParam);
}

TEST(MessageMap, NotificationRowsAllRunAndPropertySheetCodesMatchAnyControl) {
    RoutedDialog d;
    const MessageMap::NotifyRow notifications[] = {
        {7, NM_CLICK, &RoutedDialog::notifyA},
        {7, NM_CLICK, &RoutedDialog::notifyB},
        {7, PSN_APPLY, &RoutedDialog::notifyA},
        {8, NM_CLICK, &RoutedDialog::notifyB},
    };
    const MessageMap::HandlerRow updates[] = {{7, &RoutedDialog::update}};
    ASSERT_TRUE(d.map.setNotifications(notifications));
    ASSERT_TRUE(d.map.setUpdaters(updates));
    ASSERT_NE(nullptr, d.open(NULL));

    struct Case {
        UINT_PTR from;
        UINT code;
        Calls expected;
    } cases[] = {
        {7, NM_CLICK, {"notifyA 7", "notifyB 7"}},
        {99, PSN_APPLY, {"notifyA 99"}},
        {99, NM_CLICK, {}},
        {8, NM_CLICK, {"notifyB 8"}},
        {7, NM_DBLCLK, {}},
    };
    for (const Case& c : cases) {
        NMHDR header = {d.hwnd(), c.from, c.code};
        ::SendMessageA(d.hwnd(), WM_NOTIFY, c.from, reinterpret_cast<LPARAM>(&header));
        EXPECT_EQ(c.expected, d.take()) << "from " << c.from << " code " << static_cast<int>(c.code);
    }
    ::SendMessageA(d.hwnd(), WM_NOTIFY, 7, 0);
    EXPECT_TRUE(d.take().empty());
}

TEST(MessageMap, MessagesCausedByHandlersPassUnrouted) {
    RoutedDialog d;
    const MessageMap::HandlerRow updates[] = {{IDC_TEST_EDIT, &RoutedDialog::writeEdit}};
    const MessageMap::CommandRow commands[] = {
        {IDC_TEST_EDIT, EN_CHANGE, &RoutedDialog::onCommand},
        {IDC_TEST_BUTTON, BN_CLICKED, &RoutedDialog::onOther},
    };
    ASSERT_TRUE(d.map.setUpdaters(updates));
    ASSERT_TRUE(d.map.setCommands(commands));
    ASSERT_NE(nullptr, d.open(NULL));

    // The update's own EN_CHANGE is not taken for the user's typing.
    ::SendMessageA(d.hwnd(), kRunAllMessage, 0, 0);
    EXPECT_EQ(Calls({"update 201"}), d.take());
    ::SetDlgItemTextA(d.hwnd(), IDC_TEST_EDIT, "typed");
    EXPECT_EQ(Calls({"command 201", "update 201"}), d.take());
    EXPECT_EQ(1, d.dispatchingInHandler);
    EXPECT_EQ(0, d.map.isDispatching());

    // A command sent from a handler is dropped; a nested run of the updates ends the
    // dispatch state, so that later commands are routed again.
    d.inCommand = [&](HWND hwnd) {
        ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED), 0);
        ::SendMessageA(hwnd, kRunPendingMessage, 0, 0);
        ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED), 0);
    };
    d.command(IDC_TEST_EDIT, EN_CHANGE);
    EXPECT_EQ(Calls({"command 201", "update 201", "other 202"}), d.take());
}

TEST(MessageMap, PrivateMessagesRunPendingAllOrInitialisation) {
    RoutedDialog d;
    const MessageMap::HandlerRow inits[] = {{IDC_TEST_LABEL, &RoutedDialog::init}};
    EXPECT_EQ(0u, d.map.markPending(IDC_TEST_BUTTON));  // empty table: the count
    ASSERT_TRUE(d.map.setInitialisers(inits));
    ASSERT_TRUE(d.map.setUpdaters(kUpdates));
    ASSERT_NE(nullptr, d.open(NULL));

    EXPECT_EQ(1u, d.map.markPending(IDC_TEST_BUTTON));
    EXPECT_EQ(3u, d.map.markPending(999));
    ::SendMessageA(d.hwnd(), kRunPendingMessage, 0, 0);
    EXPECT_EQ(Calls({"update 202"}), d.take());
    ::SendMessageA(d.hwnd(), kRunPendingMessage, 0, 0);
    EXPECT_TRUE(d.take().empty());

    d.map.markPending(IDC_TEST_SCROLL);
    ::SendMessageA(d.hwnd(), kRunAllMessage, 0, 0);
    EXPECT_EQ(Calls({"update 201", "update 202", "update 203"}), d.take());
    EXPECT_TRUE(d.map.isPending(IDC_TEST_SCROLL));
    d.map.markPending(IDC_TEST_SCROLL, 0);
    ::SendMessageA(d.hwnd(), kRunPendingMessage, 0, 0);
    EXPECT_TRUE(d.take().empty());

    ::SendMessageA(d.hwnd(), kInitialiseMessage, 0, 0);
    EXPECT_EQ(Calls({"init 204", "update 201", "update 202", "update 203"}), d.take());
}

// A screen point off every window: on a caption the default handling would open the
// system menu and wait for the user.
const LPARAM kFarPoint = MAKELPARAM(30000, 30000);

TEST(MessageMap, ScrollAndContextMenuRows) {
    HostWindow owner;
    RoutedDialog d;
    const MessageMap::HandlerRow scrolls[] = {{IDC_TEST_SCROLL, &RoutedDialog::onScroll}};
    const MessageMap::HandlerRow menus[] = {
        {IDC_TEST_EDIT, &RoutedDialog::onContext},
        {0, &RoutedDialog::onContext},
    };
    const MessageMap::CommandRow commands[] = {{IDC_TEST_BUTTON, BN_CLICKED, &RoutedDialog::onCommand}};
    ASSERT_TRUE(d.map.setScrolls(scrolls));
    ASSERT_TRUE(d.map.setContextMenus(menus));
    ASSERT_TRUE(d.map.setUpdaters(kUpdates));
    ASSERT_TRUE(d.map.setCommands(commands));
    ASSERT_NE(nullptr, d.open(owner.hwnd()));
    HWND scroll = ::GetDlgItem(d.hwnd(), IDC_TEST_SCROLL);
    HWND edit = ::GetDlgItem(d.hwnd(), IDC_TEST_EDIT);

    d.handlerResult = 1;
    ::SendMessageA(d.hwnd(), WM_HSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(scroll));
    EXPECT_EQ(Calls({"scroll 203", "update 203"}), d.take());
    EXPECT_EQ(1u, owner.received(PSM_CHANGED).size());
    ::SendMessageA(d.hwnd(), WM_HSCROLL, SB_LINEDOWN, 0);
    EXPECT_TRUE(d.take().empty());
    d.handlerResult = 0;

    // Context menus run no updates; the dialog itself has no control ID (not its menu).
    ::SendMessageA(d.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit), kFarPoint);
    EXPECT_EQ(Calls({"context 201"}), d.take());
    ::SendMessageA(d.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(scroll), kFarPoint);
    EXPECT_TRUE(d.take().empty());
    ::SendMessageA(d.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(d.hwnd()), kFarPoint);
    EXPECT_EQ(Calls({"context 0"}), d.take());

    // Context-menu routing does not wait for a running handler.
    d.inCommand = [&](HWND hwnd) {
        ::SendMessageA(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit), kFarPoint);
    };
    d.command(IDC_TEST_BUTTON, BN_CLICKED);
    EXPECT_EQ(Calls({"command 202", "context 201", "update 202"}), d.take());
}

TEST(MessageMap, NullOwnerRunsNothing) {
    RoutedDialog d;
    ASSERT_TRUE(d.map.setUpdaters(kUpdates));
    const MessageMap::CommandRow commands[] = {{IDC_TEST_BUTTON, BN_CLICKED, &RoutedDialog::onCommand}};
    ASSERT_TRUE(d.map.setCommands(commands));
    ASSERT_NE(nullptr, d.open(NULL));
    d.map.markPending(IDC_TEST_EDIT);
    EXPECT_EQ(1, d.map.routeMessage(nullptr, d.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED), 0));
    d.map.initialise(nullptr);
    d.map.runAll(nullptr);
    d.map.runPending(nullptr);
    d.map.routeContextMenu(nullptr, d.hwnd());
    EXPECT_TRUE(d.take().empty());
    EXPECT_TRUE(d.map.isPending(IDC_TEST_EDIT));
}

// A registered window runs its initialisation at WM_CREATE and leaves the rest to DefWindowProcA.
class RoutedWindow : public RegisteredWindow {
public:
    RoutedWindow() : RegisteredWindow(testInstance()) {}
    LRESULT windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        return map.routeMessage(this, hwnd, message, wParam, lParam);
    }
    UINT init(HWND hwnd, UINT id) {
        calls.push_back(hwnd == this->hwnd() ? "init " + std::to_string(id) : "init without window");
        return 0;
    }
    MessageMap map;
    Calls calls;
};

TEST(MessageMap, WindowInitialisesAtCreateAndDefaultsToDefWindowProc) {
    RoutedWindow w;
    const MessageMap::HandlerRow inits[] = {{5, &RoutedWindow::init}};
    ASSERT_TRUE(w.map.setInitialisers(inits));
    ASSERT_TRUE(w.registerDefaultClass("KqvtRoutedWindow"));
    HWND hwnd = w.create("KqvtRoutedWindow", NULL, NULL, SW_HIDE, WS_OVERLAPPEDWINDOW, 0);
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(Calls({"init 5"}), w.calls);
    ASSERT_TRUE(::SetWindowTextA(hwnd, "routed"));
    char title[16] = {};
    ::GetWindowTextA(hwnd, title, sizeof title);
    EXPECT_STREQ("routed", title);
    ::DestroyWindow(hwnd);
}

}  // namespace
