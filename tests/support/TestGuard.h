#pragma once
#include <windows.h>

#include <string>

// The suites' own main guards every test: a crash prints its exception code and ends the
// process at once, and a dialog ("#32770") that stays up unanswered for a few seconds is
// closed and fails the running test, named. Suites take the prefix one at a time, so every
// dialog in it belongs to the running test or to a process that test started.

// While one lives, dialogs with this caption (any caption for null) are expected: someone
// answers them (BoxAnswerer holds one).
class ExpectedDialogs {
public:
    explicit ExpectedDialogs(const char* caption);
    ~ExpectedDialogs();
    ExpectedDialogs(const ExpectedDialogs&) = delete;
    ExpectedDialogs& operator=(const ExpectedDialogs&) = delete;
    bool covers(const std::string& caption) const { return !done_ && (any_ || caption == caption_); }
    // Nobody answers them any more.
    void done() { done_ = 1; }

private:
    std::string caption_;
    bool any_;
    volatile LONG done_ = 0;
};

// The lines about dialogs the watchdog closed since the last call.
std::string takeWatchdogReports();
