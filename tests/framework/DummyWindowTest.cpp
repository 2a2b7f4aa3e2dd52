#include <gtest/gtest.h>

#include <string>

#include "framework/DummyWindow.h"
#include "tests/framework/ScriptedDialog.h"
#include "tests/support/WindowTestSupport.h"

namespace {

constexpr UINT kPing = WM_APP + 7;

bool dummyClassExists() {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    return ::GetClassInfoExA(testInstance(), kDummyClassName, &wc) != 0;
}

TEST(DummyWindow, RunsTheDialogModallyWhileTheMainWindowStaysUsable) {
    HostWindow mainWindow;
    ScriptedDialog dialog;
    const MessageMap::CommandRow commands[] = {{IDOK, BN_CLICKED, &ScriptedDialog::endWithId}};
    ASSERT_TRUE(dialog.map.setCommands(commands));

    std::string parentClass;
    BOOL parentVisible = TRUE, mainEnabled = FALSE;
    size_t pingsDuringDialog = 0;
    dialog.steps.push_back([&](HWND hwnd) {
        HWND parent = ::GetParent(hwnd);
        char name[32] = {};
        ::GetClassNameA(parent, name, sizeof name);
        parentClass = name;
        parentVisible = ::IsWindowVisible(parent);
        mainEnabled = ::IsWindowEnabled(mainWindow.hwnd());
        ::PostMessageA(mainWindow.hwnd(), kPing, 0, 0);
    });
    dialog.steps.push_back([&](HWND hwnd) {
        pingsDuringDialog = mainWindow.received(kPing).size();
        ::PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });

    for (int round = 0; round < 2; ++round) {
        {
            DummyWindow dummy(testInstance(), &dialog);
            EXPECT_EQ(0, dummy.run());
            EXPECT_EQ(IDOK, dummy.dialogResult());
            EXPECT_EQ(nullptr, dummy.hwnd());
            EXPECT_EQ(nullptr, ::FindWindowA(kDummyClassName, nullptr));
            EXPECT_TRUE(dummyClassExists());
        }
        EXPECT_FALSE(dummyClassExists());
        EXPECT_EQ(nullptr, dialog.hwnd());
        EXPECT_EQ("Dummy", parentClass);
        EXPECT_FALSE(parentVisible);
        EXPECT_TRUE(mainEnabled);
        EXPECT_EQ(static_cast<size_t>(round + 1), pingsDuringDialog);
    }
}

TEST(DummyWindow, StopsWhenItCannotRegisterOrHasNoDialog) {
    {
        DummyWindow empty(testInstance(), nullptr);
        EXPECT_EQ(0, empty.run());  // returns instead of waiting for a WM_QUIT
        EXPECT_EQ(-1, empty.dialogResult());
    }

    RegisteredWindow squatter(testInstance());
    ASSERT_TRUE(squatter.registerDefaultClass(kDummyClassName));
    ScriptedDialog dialog;
    DummyWindow blocked(testInstance(), &dialog);
    EXPECT_EQ(0, blocked.run());
    EXPECT_EQ(-1, blocked.dialogResult());
}

}  // namespace
