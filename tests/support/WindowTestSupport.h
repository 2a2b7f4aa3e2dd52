#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "framework/RegisteredWindow.h"

// The test executable's own module, which holds the UI and test resources.
HINSTANCE testInstance();
// List view, status bar and up-down classes.
void initCommonControlsForTests();
// Dispatches everything queued for this thread, without waiting.
void pumpMessages();
// The first visible top-level window of the class and title (null: any) other than `skip`,
// of any process, waited for up to `timeoutMs`; null when none came.
HWND waitForWindow(const char* windowClass, const char* title, HWND skip = NULL, DWORD timeoutMs = 20000);
// A dialog control's text (0xFFFF: a message box's text) and whether it is enabled.
std::string dialogItemText(HWND dialog, int id);
bool enabled(HWND dialog, int id);

struct LoggedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A hidden top-level window of a class of its own, used as parent or owner in window tests.
class HostWindow : public RegisteredWindow {
public:
    HostWindow();
    // Destroys the window (and its children), so that the class can be unregistered.
    ~HostWindow() override;
};

// Records the messages sent or posted to an existing window (a control) by subclassing it
// for the life of the object; the original procedure still handles every message.
class MessageSpy {
public:
    explicit MessageSpy(HWND hwnd);
    ~MessageSpy();
    MessageSpy(const MessageSpy&) = delete;
    MessageSpy& operator=(const MessageSpy&) = delete;
    // The messages received with this number, oldest first.
    std::vector<LoggedMessage> received(UINT message) const;

private:
    static LRESULT CALLBACK spyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_;
    WNDPROC original_;
    std::vector<LoggedMessage> log_;
};
