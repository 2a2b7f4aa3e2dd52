#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/MenuHandle.h"
#include "resources/MenuIds.h"
#include "tests/support/WindowTestSupport.h"

namespace {

struct Item {
    UINT id;  // 0: separator
    const char* text;
};
struct Popup {
    const char* text;
    std::vector<Item> items;
};

std::string menuText(HMENU menu, UINT position) {
    char text[64] = {};
    ::GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

void expectMenu(UINT resourceId, const std::vector<Popup>& expected) {
    MenuHandle menu(::LoadMenuA(testInstance(), MAKEINTRESOURCEA(resourceId)));
    ASSERT_NE(nullptr, menu.get()) << "menu " << resourceId;
    ASSERT_EQ(static_cast<int>(expected.size()), ::GetMenuItemCount(menu.get())) << "menu " << resourceId;
    for (size_t p = 0; p < expected.size(); ++p) {
        EXPECT_EQ(expected[p].text, menuText(menu.get(), p)) << "menu " << resourceId << " pop-up " << p;
        HMENU popup = ::GetSubMenu(menu.get(), static_cast<int>(p));
        ASSERT_NE(nullptr, popup);
        const std::vector<Item>& items = expected[p].items;
        ASSERT_EQ(static_cast<int>(items.size()), ::GetMenuItemCount(popup)) << "menu " << resourceId;
        for (size_t i = 0; i < items.size(); ++i) {
            MENUITEMINFOA info = {};
            info.cbSize = sizeof info;
            info.fMask = MIIM_FTYPE | MIIM_ID;
            ASSERT_TRUE(::GetMenuItemInfoA(popup, static_cast<UINT>(i), TRUE, &info));
            if (items[i].id == 0) {
                EXPECT_TRUE(info.fType & MFT_SEPARATOR) << "menu " << resourceId << " item " << i;
                continue;
            }
            EXPECT_EQ(items[i].id, info.wID) << "menu " << resourceId << " item " << i;
            EXPECT_EQ(items[i].text, menuText(popup, i)) << "menu " << resourceId << " item " << i;
        }
    }
}

TEST(Menus, ResourcesHoldTheirTextsAndCommands) {
    expectMenu(IDR_MAIN_MENU, {
        {"操作(&A)", {{40001, "ログ情報表示(&V)"}, {0, nullptr}, {40002, "最新の状態に更新(&F)"}, {0, nullptr},
                      {40003, "すべてのログを消去(&C)"}, {40004, "環境設定(&E)..."}, {40007, "CSV形式で保存(&S)..."},
                      {40008, "集計(&T)..."}, {0, nullptr}, {40009, "検索(&F)..."}, {0, nullptr}, {2, "閉じる(&X)"}}},
        {"ヘルプ(&H)", {{40005, "目次(&C)"}, {0, nullptr}, {40006, "バージョン情報(&A)"}}},
    });
    expectMenu(IDR_ROW_MENU, {{"操作(&A)", {{40001, "ログ情報表示(&V)"}, {0, nullptr}, {9, "ヘルプ(&H)"}}}});
    expectMenu(IDR_HELP_POPUP, {{"操作(&A)", {{9, "ヘルプ(&H)"}}}});
}

TEST(MenuHandle, EnablesItemsAnywhereInTheMenuByCommand) {
    MenuHandle menu(::LoadMenuA(testInstance(), MAKEINTRESOURCEA(IDR_MAIN_MENU)));
    ASSERT_NE(nullptr, menu.get());
    EXPECT_EQ(static_cast<int>(MF_ENABLED), menu.enable(IDM_CLEAR_ALL, false));
    EXPECT_TRUE(::GetMenuState(menu.get(), IDM_CLEAR_ALL, MF_BYCOMMAND) & MF_GRAYED);
    menu.enable(IDM_ABOUT, false);  // in the second pop-up
    EXPECT_TRUE(::GetMenuState(menu.get(), IDM_ABOUT, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(static_cast<int>(MF_GRAYED), menu.enable(IDM_CLEAR_ALL, true));
    EXPECT_FALSE(::GetMenuState(menu.get(), IDM_CLEAR_ALL, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(-1, menu.enable(12345, true));
    EXPECT_EQ(-1, MenuHandle().enable(IDM_CLEAR_ALL, true));
}

TEST(MenuHandle, ReleaseKeepsTheMenuAndTheHolderDestroysIt) {
    HMENU kept = ::LoadMenuA(testInstance(), MAKEINTRESOURCEA(IDR_HELP_POPUP));
    HMENU dropped = ::LoadMenuA(testInstance(), MAKEINTRESOURCEA(IDR_HELP_POPUP));
    {
        MenuHandle a(kept);
        EXPECT_EQ(kept, a.release());
        EXPECT_EQ(nullptr, a.get());
        MenuHandle b;
        b.set(dropped);
    }
    EXPECT_TRUE(::IsMenu(kept));
    EXPECT_FALSE(::IsMenu(dropped));
    ::DestroyMenu(kept);
}

// The menu loop of TrackPopupMenu runs the timers of the thread: one looks at the open
// pop-up and then picks an item.
struct OpenPopup {
    UINT defaultId = 0;
    RECT rect = {};
    bool seen = false;
};
OpenPopup g_open;
HMENU g_popup = NULL;
HWND g_owner = NULL;

void CALLBACK closeForgottenMenu(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(NULL, id);
    ::EndMenu();
}

void CALLBACK inspectPopup(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(NULL, id);
    HWND window = ::FindWindowA("#32768", nullptr);
    g_open.seen = window != NULL && ::IsWindowVisible(window);
    if (window != NULL) ::GetWindowRect(window, &g_open.rect);
    g_open.defaultId = ::GetMenuDefaultItem(g_popup, FALSE, 0);
    // Choose the first item with the keyboard, as a user would.
    ::PostMessageA(g_owner, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageA(g_owner, WM_KEYDOWN, VK_RETURN, 0);
}

TEST(MenuHandle, TracksTheFirstPopUpWithItsDefaultItem) {
    HostWindow owner;
    ASSERT_NE(nullptr, owner.hwnd());
    ::SetWindowPos(owner.hwnd(), NULL, 120, 90, 400, 300, SWP_NOZORDER | SWP_SHOWWINDOW);
    MenuHandle menu(::LoadMenuA(testInstance(), MAKEINTRESOURCEA(IDR_ROW_MENU)));
    g_popup = ::GetSubMenu(menu.get(), 0);
    g_owner = owner.hwnd();
    g_open = OpenPopup();
    ::SetTimer(NULL, 0, 50, &inspectPopup);
    UINT_PTR watchdog = ::SetTimer(NULL, 0, 5000, &closeForgottenMenu);
    menu.trackPopup(owner.hwnd(), false, IDM_SHOW_LOG_INFO);
    ::KillTimer(NULL, watchdog);
    EXPECT_TRUE(g_open.seen);
    EXPECT_EQ(static_cast<UINT>(IDM_SHOW_LOG_INFO), g_open.defaultId);
    WINDOWINFO info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(::GetWindowInfo(owner.hwnd(), &info));
    EXPECT_EQ(info.rcClient.left, g_open.rect.left);
    EXPECT_EQ(info.rcClient.top, g_open.rect.top);
    pumpMessages();
    std::vector<LoggedMessage> chosen = owner.received(WM_COMMAND);
    ASSERT_EQ(1u, chosen.size());
    EXPECT_EQ(static_cast<WPARAM>(IDM_SHOW_LOG_INFO), chosen[0].wParam);

    EXPECT_FALSE(MenuHandle(::CreateMenu()).trackPopup(owner.hwnd(), true, static_cast<UINT>(-1)));
}

}  // namespace
