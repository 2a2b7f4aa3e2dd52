#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "framework/ButtonControl.h"
#include "framework/ControlWindow.h"
#include "framework/EditControl.h"
#include "framework/StatusBarControl.h"
#include "framework/UpDownControl.h"
#include "resources/ResourceIds.h"
#include "tests/support/WindowTestSupport.h"

namespace {

class ControlWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        initCommonControlsForTests();
        ASSERT_NE(nullptr, host.hwnd());
    }
    HostWindow host;
};

TEST_F(ControlWindowTest, CreatesOneTabStopChildAndEditsItsStyles) {
    ControlWindow c(testInstance());
    HWND button = c.create("BUTTON", host.hwnd(), 1234);
    ASSERT_NE(nullptr, button);
    EXPECT_EQ(nullptr, c.create("BUTTON", host.hwnd(), 1235));  // holds one already
    EXPECT_EQ(1234, ::GetDlgCtrlID(button));
    EXPECT_EQ(host.hwnd(), ::GetParent(button));
    const LONG_PTR childStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    EXPECT_EQ(childStyle, ::GetWindowLongPtrA(button, GWL_STYLE) & childStyle);

    ASSERT_TRUE(c.setText("分類テキスト"));
    char text[32] = {};
    EXPECT_EQ(12, c.getText(text, sizeof text));
    EXPECT_STREQ("分類テキスト", text);

    c.setStyle(WS_CHILD | BS_PUSHBUTTON);
    c.addStyle(WS_DISABLED);
    EXPECT_EQ(static_cast<LONG_PTR>(WS_CHILD | WS_DISABLED | BS_PUSHBUTTON),
              ::GetWindowLongPtrA(button, GWL_STYLE));
    c.addExStyle(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE);
    c.removeExStyle(WS_EX_STATICEDGE);
    EXPECT_EQ(WS_EX_CLIENTEDGE, ::GetWindowLongPtrA(button, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));

    // A wrapper made from the handle takes the control's instance.
    ControlWindow wrapped(button);
    EXPECT_EQ(testInstance(), wrapped.instance());
    EXPECT_EQ(button, wrapped.hwnd());
    EXPECT_EQ(button, c.release());
    EXPECT_TRUE(::IsWindow(button));
}

TEST_F(ControlWindowTest, WrappersWithoutAWindowDoNothing) {
    ControlWindow none(testInstance());
    char text[8] = "keep";
    EXPECT_FALSE(none.setText("x"));
    EXPECT_EQ(0, none.getText(text, sizeof text));
    EXPECT_STREQ("keep", text);
    EXPECT_EQ(0, none.addStyle(WS_BORDER));
    EXPECT_EQ(0, none.setStyle(WS_BORDER));
    none.addExStyle(WS_EX_CLIENTEDGE);
    EXPECT_EQ(nullptr, none.setFocus());
    ButtonControl button(testInstance());
    EXPECT_EQ(nullptr, button.setIcon(::LoadIconA(NULL, IDI_APPLICATION)));
    UpDownControl spin(testInstance());
    uint16_t pos = 77;
    EXPECT_EQ(0, spin.getPos(&pos));
    EXPECT_EQ(77, pos);
}

TEST_F(ControlWindowTest, ButtonShowsAnIcon) {
    HWND hwnd = ::CreateWindowExA(0, "BUTTON", "上のログ(&P)", WS_CHILD | BS_PUSHBUTTON, 0, 0, 30, 20, host.hwnd(),
                                  reinterpret_cast<HMENU>(1040), testInstance(), nullptr);
    ASSERT_NE(nullptr, hwnd);
    ButtonControl button(hwnd);
    EXPECT_EQ(nullptr, button.setIcon(NULL));
    EXPECT_EQ(0, ::GetWindowLongPtrA(hwnd, GWL_STYLE) & BS_ICON);
    HICON icon = ::LoadIconA(testInstance(), MAKEINTRESOURCEA(IDI_STEP_UP));
    ASSERT_NE(nullptr, icon);
    button.setIcon(icon);
    EXPECT_EQ(BS_ICON, ::GetWindowLongPtrA(hwnd, GWL_STYLE) & BS_ICON);
    EXPECT_EQ(reinterpret_cast<LRESULT>(icon), ::SendMessageA(hwnd, BM_GETIMAGE, IMAGE_ICON, 0));
}

TEST_F(ControlWindowTest, EditLimitsAndSelectsItsText) {
    EditControl edit(testInstance());
    HWND hwnd = edit.create("EDIT", host.hwnd(), 1005);
    ASSERT_NE(nullptr, hwnd);
    edit.limitText(250);
    EXPECT_EQ(250, ::SendMessageA(hwnd, EM_GETLIMITTEXT, 0, 0));
    edit.setText("C:\\ログ\\KQVTPRT2.LOG");
    ::SendMessageA(hwnd, EM_SETSEL, 2, 3);
    edit.selectAll();
    DWORD start = 0, end = 0;
    ::SendMessageA(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(static_cast<DWORD>(::GetWindowTextLengthW(hwnd)), end);  // the edit counts characters
}

TEST_F(ControlWindowTest, UpDownRangeAndPositionAre16Bit) {
    HWND buddy = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_NUMBER, 0, 0, 40, 12, host.hwnd(),
                                   reinterpret_cast<HMENU>(1003), testInstance(), nullptr);
    // As the settings template makes it: the edit before it is its buddy.
    HWND hwnd = ::CreateWindowExA(0, UPDOWN_CLASSA, nullptr,
                                  WS_CHILD | UDS_SETBUDDYINT | UDS_AUTOBUDDY | UDS_NOTHOUSANDS | UDS_ARROWKEYS,
                                  40, 0, 10, 12, host.hwnd(), reinterpret_cast<HMENU>(1004), testInstance(), nullptr);
    ASSERT_NE(nullptr, hwnd);
    ASSERT_EQ(reinterpret_cast<LRESULT>(buddy), ::SendMessageA(hwnd, UDM_GETBUDDY, 0, 0));
    UpDownControl spin(hwnd);
    spin.setRange(1000, 5);
    LRESULT range = ::SendMessageA(hwnd, UDM_GETRANGE, 0, 0);
    EXPECT_EQ(1000, LOWORD(range));  // upper limit
    EXPECT_EQ(5, HIWORD(range));     // lower limit
    spin.setPos(500);
    char text[8] = {};
    ::GetWindowTextA(buddy, text, sizeof text);
    EXPECT_STREQ("500", text);
    uint16_t pos = 0;
    EXPECT_EQ(1, spin.getPos(&pos));
    EXPECT_EQ(500, pos);

    // A buddy whose text is no number makes the position unreadable.
    ::SetWindowTextA(buddy, "abc");
    pos = 9;
    EXPECT_EQ(0, spin.getPos(&pos));
    EXPECT_EQ(9, pos);
}

TEST_F(ControlWindowTest, StatusBarIsCreatedAtTheBottomWithASizeGrip) {
    StatusBarControl status(testInstance());
    HWND hwnd = status.create(host.hwnd(), 1001);
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(nullptr, status.create(host.hwnd(), 1001));
    char className[32] = {};
    ::GetClassNameA(hwnd, className, sizeof className);
    EXPECT_STREQ("msctls_statusbar32", className);
    EXPECT_EQ(1001, ::GetDlgCtrlID(hwnd));
    const LONG_PTR style = WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM;
    EXPECT_EQ(style, ::GetWindowLongPtrA(hwnd, GWL_STYLE) & style);
    ASSERT_TRUE(status.setText("12 個の印刷ログ"));
    char text[64] = {};
    ::SendMessageA(hwnd, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ("12 個の印刷ログ", text);
}

}  // namespace
