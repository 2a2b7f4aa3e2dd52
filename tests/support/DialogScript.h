#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/WindowBase.h"

typedef std::function<void(HWND)> DialogStep;

// Shows `dialog` modally over `parent` and runs the steps from inside its own loop: a timer
// of this thread fires there, so each step runs between two messages of the dialog. A
// dialog that no step closed ends after 30 seconds with -2.
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
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

inline std::string dialogItemText(HWND dialog, int id) {
    char text[1024] = "";
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}
