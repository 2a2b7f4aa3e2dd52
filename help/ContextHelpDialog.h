#pragma once
#include <windows.h>

#include "framework/DialogBase.h"
#include "framework/MessageMap.h"
#include "help/HelpMap.h"

// A modal dialog with the program's look and context help: icon 101, centred over its
// owner, and every control listed in its help table opens its topic on F1, on the title
// bar's help button and through the right-click "ヘルプ(&H)"; a control outside the table
// opens the help file's default topic. Everything else goes to the message map.
class ContextHelpDialog : public DialogBase {
public:
    // The table ends with a pair of zeros; `helpFilePath` and `helpMap` are not owned.
    ContextHelpDialog(HINSTANCE instance, const HelpContextPair* helpTable, const char* helpFilePath,
                      const HelpMap* helpMap);
    ~ContextHelpDialog() override;

    LRESULT windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    MessageMap map_;

private:
    void showHelpFor(HWND hwnd, int controlId);

    const HelpContextPair* helpTable_;
    const char* helpFilePath_;
    const HelpMap* helpMap_;
};
