#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "framework/MenuHandle.h"
#include "framework/MessageMap.h"
#include "framework/RegisteredWindow.h"
#include "resources/MenuIds.h"
#include "tests/support/WindowTestSupport.h"

namespace {

bool classExists(const char* name) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    return ::GetClassInfoExA(testInstance(), name, &wc) != 0 &&
           wc.hbrBackground == reinterpret_cast<HBRUSH>(INT_PTR(COLOR_WINDOW + 1));
}

// Notes its messages (0 when the window's property does not name it) and initialisations.
class TracingWindow : public RegisteredWindow {
public:
    TracingWindow() : RegisteredWindow(testInstance()) {}
    LRESULT windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(::GetPropA(hwnd, "WND_CLASS") == this ? message : 0);
        return map.routeMessage(this, hwnd, message, wParam, lParam);
    }
    UINT init(HWND hwnd, UINT id) {
        messages.push_back(hwnd == this->hwnd() ? id : 0);
        return 0;
    }
    MessageMap map;
    std::vector<UINT> messages;
};

TEST(WindowBase, RegisteredWindowIsBoundFromNcCreateUntilDestroy) {
    {
        TracingWindow w;
        const MessageMap::HandlerRow inits[] = {{5, &TracingWindow::init}};
        ASSERT_TRUE(w.map.setInitialisers(inits));
        ASSERT_TRUE(w.registerDefaultClass("KqvtTraceWindow"));
        ASSERT_TRUE(classExists("KqvtTraceWindow"));
        HWND hwnd = w.create("KqvtTraceWindow", NULL, NULL, SW_HIDE, WS_OVERLAPPEDWINDOW, 0);
        ASSERT_NE(nullptr, hwnd);
        // Bound from WM_NCCREATE (WM_GETMINMAXINFO comes first); WM_CREATE runs the initialisation.
        EXPECT_EQ(static_cast<UINT>(WM_NCCREATE), w.messages.front());
        auto created = std::find(w.messages.begin(), w.messages.end(), static_cast<UINT>(WM_CREATE));
        ASSERT_LT(created + 1, w.messages.end());
        EXPECT_EQ(5u, created[1]);
        EXPECT_EQ(0, std::count(w.messages.begin(), w.messages.end(), 0u));
        EXPECT_TRUE(::SetWindowTextA(hwnd, "routed"));
        ASSERT_TRUE(::DestroyWindow(hwnd));
        EXPECT_EQ(static_cast<UINT>(WM_DESTROY), w.messages.back());  // WM_NCDESTROY is not seen
    }
    EXPECT_FALSE(classExists("KqvtTraceWindow"));
}

// Run by the menu loop: notes where the pop-up opened and its default item.
HMENU g_popup;
RECT g_opened;
UINT g_default;

void CALLBACK inspectPopup(HWND owner, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(owner, id);
    ::GetWindowRect(::FindWindowA("#32768", nullptr), &g_opened);
    g_default = ::GetMenuDefaultItem(g_popup, FALSE, 0);
    ::EndMenu();
}

TEST(MenuHandle, FirstPopUpOpensAtTheClientAreaWithItsDefaultItem) {
    HostWindow owner;
    ::SetWindowPos(owner.hwnd(), NULL, 120, 90, 400, 300, SWP_NOZORDER | SWP_SHOWWINDOW);
    MenuHandle menu(::LoadMenuA(testInstance(), MAKEINTRESOURCEA(IDR_ROW_MENU)));
    g_popup = ::GetSubMenu(menu.get(), 0);
    ::SetTimer(owner.hwnd(), 1, 50, &inspectPopup);
    menu.trackPopup(owner.hwnd(), false, IDM_SHOW_LOG_INFO);
    POINT client = {0, 0};
    ASSERT_TRUE(::ClientToScreen(owner.hwnd(), &client));
    EXPECT_EQ(client.x, g_opened.left);
    EXPECT_EQ(client.y, g_opened.top);
    EXPECT_EQ(static_cast<UINT>(IDM_SHOW_LOG_INFO), g_default);
}

}  // namespace
