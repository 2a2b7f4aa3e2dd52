#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "framework/DialogBase.h"
#include "framework/MessageMap.h"
#include "tests/framework/FrameworkTestIds.h"
#include "tests/support/WindowTestSupport.h"

// A modal dialog on the test template that runs its steps one by one from its own message
// loop, each from a posted message, so that whatever a step posts is dispatched before the
// next step runs. A watchdog ends a dialog that was never closed with kTimedOut.
class ScriptedDialog : public DialogBase {
public:
    static constexpr INT_PTR kTimedOut = -2;

    ScriptedDialog() : DialogBase(testInstance()) {}
    INT_PTR show(HWND parent) override { return showTemplate(IDD_FRAMEWORK_TEST, parent); }

    LRESULT windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_INITDIALOG) {
            next_ = 0;
            ::SetTimer(hwnd, kWatchdog, 10000, nullptr);
            ::PostMessageA(hwnd, kStep, 0, 0);
        } else if (message == kStep) {
            if (next_ < steps.size()) {
                steps[next_++](hwnd);
                if (next_ < steps.size()) ::PostMessageA(hwnd, kStep, 0, 0);
            }
            return TRUE;
        } else if (message == WM_TIMER && wParam == kWatchdog) {
            ::EndDialog(hwnd, kTimedOut);
            return TRUE;
        }
        return map.routeMessage(this, hwnd, message, wParam, lParam);
    }

    // A command handler that ends the dialog with the command's ID.
    UINT endWithId(HWND hwnd, UINT controlId) {
        ::EndDialog(hwnd, controlId);
        return 0;
    }

    std::vector<std::function<void(HWND)>> steps;
    MessageMap map;

private:
    static constexpr UINT kStep = WM_APP + 500;
    static constexpr UINT_PTR kWatchdog = 77;
    size_t next_ = 0;
};
