#include <gtest/gtest.h>

#include "framework/RegisteredWindow.h"
#include "resources/MenuIds.h"
#include "resources/ResourceIds.h"
#include "tests/support/WindowTestSupport.h"

namespace {

bool classExists(const char* name) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    return ::GetClassInfoExA(testInstance(), name, &wc) != 0;
}

TEST(RegisteredWindow, DefaultClassUsesTheSharedProcedureAndGoesWithTheObject) {
    {
        RegisteredWindow w(testInstance());
        ASSERT_TRUE(w.registerDefaultClass("KqvtDefaultClass"));
        EXPECT_NE(0, w.classAtom());
        EXPECT_STREQ("KqvtDefaultClass", w.className());
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        ASSERT_TRUE(::GetClassInfoExA(testInstance(), "KqvtDefaultClass", &wc));
        EXPECT_EQ(&sharedWindowProc, wc.lpfnWndProc);
        EXPECT_EQ(static_cast<UINT>(CS_HREDRAW | CS_VREDRAW), wc.style);
        EXPECT_EQ(reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), wc.hbrBackground);
        EXPECT_EQ(::LoadCursorA(NULL, IDC_ARROW), wc.hCursor);
        EXPECT_EQ(nullptr, wc.lpszMenuName);
        // The same name cannot be registered twice by two objects.
        RegisteredWindow other(testInstance());
        EXPECT_FALSE(other.registerDefaultClass("KqvtDefaultClass"));
        EXPECT_EQ(0, other.classAtom());
    }
    EXPECT_FALSE(classExists("KqvtDefaultClass"));
}

TEST(RegisteredWindow, ClassMenuAndOneWindowPerObject) {
    RegisteredWindow w(testInstance());
    HICON icon = ::LoadIconA(testInstance(), MAKEINTRESOURCEA(IDI_APPLICATION_LOG));
    ASSERT_NE(nullptr, icon);
    ASSERT_TRUE(w.registerClass("KqvtMenuClass", icon, ::LoadCursorA(NULL, IDC_ARROW),
                                reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), MAKEINTRESOURCEA(IDR_MAIN_MENU)));
    HWND hwnd = w.create("KqvtMenuClass", NULL, NULL, SW_HIDE, WS_OVERLAPPEDWINDOW, 0);
    ASSERT_NE(nullptr, hwnd);
    HMENU menu = ::GetMenu(hwnd);
    ASSERT_NE(nullptr, menu);
    EXPECT_EQ(2, ::GetMenuItemCount(menu));
    EXPECT_EQ(icon, reinterpret_cast<HICON>(::GetClassLongPtrA(hwnd, GCLP_HICON)));

    // While its window lives the object creates no second one.
    EXPECT_EQ(nullptr, w.create("KqvtMenuClass", NULL, NULL, SW_HIDE, WS_OVERLAPPEDWINDOW, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), ::GetLastError());
    EXPECT_EQ(hwnd, w.hwnd());
    ::DestroyWindow(hwnd);
    HWND again = w.create("KqvtMenuClass", NULL, NULL, SW_HIDE, WS_OVERLAPPEDWINDOW, 0);
    EXPECT_NE(nullptr, again);
    ::DestroyWindow(again);

    EXPECT_EQ(nullptr, w.create("KqvtNoSuchClass", NULL, NULL, SW_HIDE, WS_OVERLAPPEDWINDOW, 0));
    EXPECT_EQ(nullptr, w.hwnd());
}

}  // namespace
