#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/TestGuard.h"

// Answers the message boxes (or dialogs) with a given caption that this process shows, from
// a thread of its own: each box's text is kept and the given button pressed. Lets a test
// drive commands whose boxes run nested message loops.
class BoxAnswerer {
public:
    // `caption` null: any dialog-class window of this process.
    BoxAnswerer(const char* caption, int button, int times = 1);
    // Answers boxes of any caption, one after another, with these buttons in turn.
    explicit BoxAnswerer(const std::vector<int>& buttons);
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    // Waits until `times` boxes were answered; false on time-out.
    bool wait(DWORD timeoutMs);
    int answered() const;
    std::vector<std::string> texts() const { return copyOf(texts_); }
    std::vector<std::string> titles() const { return copyOf(titles_); }

private:
    BoxAnswerer(const char* caption, const std::vector<int>& buttons);
    static DWORD WINAPI threadProc(void* self);
    void poll();
    std::vector<std::string> copyOf(const std::vector<std::string>& list) const;
    std::string caption_;
    bool anyCaption_;
    std::vector<int> buttons_;
    int times_;
    volatile LONG answered_ = 0;
    volatile LONG stop_ = 0;
    std::vector<std::string> texts_;
    std::vector<std::string> titles_;
    mutable CRITICAL_SECTION lock_;
    HANDLE thread_ = NULL;
    HANDLE done_ = NULL;
    ExpectedDialogs expected_;
};
