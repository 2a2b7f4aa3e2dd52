#pragma once
#include <windows.h>

#include "help/ContextHelpDialog.h"
#include "services/ByteString.h"

class PrintLogWindow;

// "Quillbridge2 印刷ログ 検索": a text box and "次を検索(&N)" / "前を検索(&P)", which
// search the main list from its selection (PrintLogWindow::findInList). The object lives
// as long as the main window and keeps the last text and direction for F3.
class FindDialog : public ContextHelpDialog {
public:
    static constexpr UINT kTemplateId = 122;
    // The longest text searched for, in bytes.
    static constexpr int kTextLimit = 128;
    // Control ID -> help context ID; ends with a pair of zeros.
    static const HelpContextPair kHelpTable[];

    // `window` runs the searches; `helpFilePath` and `helpMap` are not owned.
    FindDialog(HINSTANCE instance, PrintLogWindow* window, const char* helpFilePath, const HelpMap* helpMap);

    // Modal on template 122, centred over `parent`, opened on the last text.
    INT_PTR show(HWND parent) override;

    // The last text searched for ("" before the first search) and its direction.
    const char* lastText() const { return lastText_.c_str(); }
    bool lastForward() const { return lastForward_; }

private:
    UINT initText(HWND hwnd, UINT controlId);
    UINT findNext(HWND hwnd, UINT controlId);
    UINT findPrevious(HWND hwnd, UINT controlId);
    UINT close(HWND hwnd, UINT controlId);
    void search(HWND hwnd, bool forward);

    static const MessageMap::HandlerRow kInitialisers[];
    static const MessageMap::CommandRow kCommands[];

    PrintLogWindow* window_;
    ByteString lastText_;
    bool lastForward_ = true;
};
