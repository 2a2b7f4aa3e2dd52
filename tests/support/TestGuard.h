#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The suites' own main guards every test: a crash prints its exception code and ends the
// process at once, and a dialog ("#32770") that stays up unanswered for a few seconds is
// closed and fails the running test, named. Suites take the prefix one at a time, so every
// dialog in it belongs to the running test or to a process that test started.

// While one lives, the guard's watchdog answers the boxes (or dialogs) of this process with
// the given caption, pressing the given buttons in turn, and keeps each one's title and text.
// Lets a test drive commands whose boxes run nested message loops.
class BoxAnswerer {
public:
    // `caption` null: any dialog-class window of this process.
    BoxAnswerer(const char* caption, int button, int times = 1);
    // Answers boxes of any caption, one after another, with these buttons in turn.
    explicit BoxAnswerer(const std::vector<int>& buttons);
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    // Waits, keeping this thread's messages moving, until every button was pressed.
    bool wait(DWORD timeoutMs);
    int answered() const;
    std::vector<std::string> texts() const;
    std::vector<std::string> titles() const;
    // The watchdog's part: true when `dialog` is (now) answered by this one.
    bool answer(HWND dialog, const std::string& title, const std::string& text);

private:
    BoxAnswerer(const char* caption, const std::vector<int>& buttons);
    std::string caption_;
    bool anyCaption_;
    std::vector<int> buttons_;
    std::vector<HWND> answered_;
    std::vector<std::string> texts_;
    std::vector<std::string> titles_;
};

// The lines about dialogs the watchdog closed since the last call.
std::string takeWatchdogReports();
