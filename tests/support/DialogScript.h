#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/WindowBase.h"
#include "settings/SettingsDialog.h"
#include "tests/support/WindowTestSupport.h"

typedef std::function<void(HWND)> DialogStep;

// Runs the steps from a timer, one a tick, on the dialog that `find` returns once it shows.
// A step's own message boxes run nested loops: no step starts inside them.
class DialogScript {
public:
    DialogScript(std::function<HWND()> find, std::vector<DialogStep> steps)
        : find_(std::move(find)), steps_(std::move(steps)), timer_(::SetTimer(NULL, 0, 10, &tick)) {
        running_ = this;
    }
    ~DialogScript() {
        ::KillTimer(NULL, timer_);
        running_ = nullptr;
    }
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;
    size_t done() const { return next_; }

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        DialogScript* s = running_;
        HWND dialog = s && !s->busy_ && s->next_ < s->steps_.size() ? s->find_() : NULL;
        if (!dialog || !::IsWindowVisible(dialog)) return;
        s->busy_ = true;
        s->steps_[s->next_++](dialog);
        s->busy_ = false;
    }
    static inline DialogScript* running_ = nullptr;
    std::function<HWND()> find_;
    std::vector<DialogStep> steps_;
    size_t next_ = 0;
    bool busy_ = false;
    UINT_PTR timer_;
};

// Shows the dialog modally with the steps run inside its own loop.
template <class Dialog>
INT_PTR showScripted(Dialog& dialog, HWND parent, std::vector<DialogStep> steps) {
    DialogScript script([&dialog] { return dialog.hwnd(); }, std::move(steps));
    return dialog.show(parent);
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
