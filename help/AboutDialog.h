#pragma once
#include <windows.h>

#include "framework/DialogBase.h"
#include "framework/MessageMap.h"
#include "services/ByteString.h"

// The "バージョン情報" box: the description, file version and legal notice of the running
// executable's version resource. A missing resource or string leaves its field empty.
class AboutDialog : public DialogBase {
public:
    // Reads the version strings at once.
    explicit AboutDialog(HINSTANCE instance);

    // Modal on template 113: 1 after OK, 2 after Esc or the close button.
    INT_PTR show(HWND parent) override;

private:
    // Centres the dialog at WM_INITDIALOG, then hands every message to the map.
    LRESULT windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT setDescription(HWND hwnd, UINT controlId);
    UINT setVersion(HWND hwnd, UINT controlId);
    UINT setCopyright(HWND hwnd, UINT controlId);
    UINT closeWithOk(HWND hwnd, UINT controlId);
    UINT closeWithCancel(HWND hwnd, UINT controlId);

    static const MessageMap::HandlerRow kInitialisers[];
    static const MessageMap::CommandRow kCommands[];

    MessageMap map_;
    ByteString fileVersion_;
    ByteString fileDescription_;
    ByteString legalCopyright_;
};
