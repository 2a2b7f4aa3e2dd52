#include <gtest/gtest.h>

#include <vector>

#include "framework/RegisteredWindow.h"
#include "framework/WindowBase.h"
#include "tests/support/WindowTestSupport.h"

namespace {

class TracingWindow : public RegisteredWindow {
public:
    TracingWindow() : RegisteredWindow(testInstance()) {}
    LRESULT windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(message);
        if (message == WM_CREATE) propertyAtCreate = ::GetPropA(hwnd, kWindowObjectProperty);
        return WindowBase::windowProc(hwnd, message, wParam, lParam);
    }
    std::vector<UINT> messages;
    HANDLE propertyAtCreate = NULL;
};

TEST(WindowBase, WindowIsBoundFromNcCreateUntilDestroy) {
    TracingWindow w;
    ASSERT_TRUE(w.registerDefaultClass("KqvtTraceWindow"));
    HWND hwnd = w.create("KqvtTraceWindow", NULL, NULL, SW_HIDE, WS_OVERLAPPEDWINDOW, 0);
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(hwnd, w.hwnd());
    EXPECT_EQ(0, w.isDialog());
    // WM_GETMINMAXINFO comes before WM_NCCREATE and gets default handling.
    ASSERT_FALSE(w.messages.empty());
    EXPECT_EQ(static_cast<UINT>(WM_NCCREATE), w.messages.front());
    EXPECT_EQ(static_cast<HANDLE>(static_cast<WindowBase*>(&w)), w.propertyAtCreate);

    // A window of the same class created without an object is served by DefWindowProcA.
    size_t seen = w.messages.size();
    HWND stranger = ::CreateWindowExA(0, "KqvtTraceWindow", "stranger", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50,
                                      NULL, NULL, testInstance(), nullptr);
    ASSERT_NE(nullptr, stranger);
    char title[16] = {};
    ::GetWindowTextA(stranger, title, sizeof title);
    EXPECT_STREQ("stranger", title);
    EXPECT_EQ(nullptr, ::GetPropA(stranger, kWindowObjectProperty));
    ::DestroyWindow(stranger);
    EXPECT_EQ(seen, w.messages.size());
    EXPECT_EQ(hwnd, w.hwnd());

    ASSERT_TRUE(::DestroyWindow(hwnd));
    EXPECT_EQ(static_cast<UINT>(WM_DESTROY), w.messages.back());  // WM_NCDESTROY is not seen
    EXPECT_EQ(nullptr, w.hwnd());
}

TEST(WindowBase, ObjectDestroyedBeforeItsWindowIsNoLongerCalled) {
    TracingWindow* w = new TracingWindow;
    ASSERT_TRUE(w->registerDefaultClass("KqvtShortLived"));
    HWND hwnd = w->create("KqvtShortLived", NULL, NULL, SW_HIDE, WS_OVERLAPPEDWINDOW, 0);
    ASSERT_NE(nullptr, hwnd);
    delete w;
    EXPECT_EQ(nullptr, ::GetPropA(hwnd, kWindowObjectProperty));
    EXPECT_TRUE(::SetWindowTextA(hwnd, "still served"));
    EXPECT_TRUE(::DestroyWindow(hwnd));
    ::UnregisterClassA("KqvtShortLived", testInstance());
}

}  // namespace
