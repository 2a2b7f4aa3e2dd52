#include <gtest/gtest.h>

#include "framework/DialogBase.h"
#include "tests/framework/ScriptedDialog.h"
#include "tests/support/WindowTestSupport.h"

namespace {

TEST(DialogBase, EachShowBindsTheObjectAndUnbindsItAtTheEnd) {
    HostWindow owner;
    ScriptedDialog dialog;
    HWND shown[3] = {};
    int dialogFlag[3] = {};
    HANDLE property[3] = {};
    INT_PTR nestedShow[3] = {};
    DWORD nestedError[3] = {};
    int round = 0;
    dialog.steps.push_back([&](HWND hwnd) {
        shown[round] = dialog.hwnd();
        dialogFlag[round] = dialog.isDialog();
        property[round] = ::GetPropA(hwnd, kWindowObjectProperty);
        // The same object cannot open a second window while this one is up.
        nestedShow[round] = dialog.show(owner.hwnd());
        nestedError[round] = ::GetLastError();
        ::EndDialog(hwnd, 10 + round);
    });
    for (round = 0; round < 3; ++round) {
        EXPECT_EQ(10 + round, dialog.show(owner.hwnd()));
        EXPECT_EQ(nullptr, dialog.hwnd());
        EXPECT_NE(nullptr, shown[round]);
        EXPECT_EQ(1, dialogFlag[round]);
        EXPECT_EQ(static_cast<HANDLE>(static_cast<WindowBase*>(&dialog)), property[round]);
        EXPECT_EQ(-1, nestedShow[round]);
        EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), nestedError[round]);
    }
}

TEST(DialogBase, MissingTemplateFails) {
    class Missing : public DialogBase {
    public:
        Missing() : DialogBase(testInstance()) {}
        INT_PTR show(HWND parent) override { return showTemplate(8999, parent); }
    } missing;
    EXPECT_EQ(-1, missing.show(NULL));
    EXPECT_EQ(nullptr, missing.hwnd());
}

}  // namespace
