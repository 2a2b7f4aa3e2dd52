#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/WindowBase.h"
#include "settings/SettingsDialog.h"
#include "tests/support/WindowTestSupport.h"

typedef std::function<void(HWND)> DialogStep;

// Runs the steps from a timer inside the dialog's own modal loop; ends a hung dialog with -2.
template <class Dialog>
INT_PTR showScripted(Dialog& dialog, HWND parent, std::vector<DialogStep> steps) {
    struct Script {
        const WindowBase* dialog;
        std::vector<DialogStep> steps;
        size_t next;
        DWORD started;
        bool busy;  // a step's own message boxes run nested loops: no step starts in them
        static Script& running() {
            static Script script;
            return script;
        }
        static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
            Script& s = running();
            HWND hwnd = s.dialog ? s.dialog->hwnd() : NULL;
            if (hwnd && ::GetTickCount() - s.started > 30000)
                ::EndDialog(hwnd, -2);
            else if (hwnd && !s.busy && s.next < s.steps.size()) {
                s.busy = true;
                s.steps[s.next++](hwnd);
                s.busy = false;
            }
        }
    };
    Script::running() = {&dialog, steps, 0, ::GetTickCount(), false};
    const UINT_PTR timer = ::SetTimer(NULL, 0, 10, &Script::tick);
    const INT_PTR result = dialog.show(parent);
    ::KillTimer(NULL, timer);
    Script::running().dialog = nullptr;
    return result;
}

inline void clickButton(HWND dialog, int id) {
    const LPARAM control = reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id));
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), control);
}

// The real dialog with the group level and the Windows version chosen by the test.
class TestSettingsDialog : public SettingsDialog {
public:
    TestSettingsDialog(PrintLogStore* store, OsVersionCode version, uint32_t level = GROUP_ADMINISTRATORS)
        : SettingsDialog(testInstance(), store), level_(level) {
        setOsVersionCode(version);
    }
    uint32_t userGroupLevel() const override { return level_; }

private:
    uint32_t level_;
};
