#pragma once
#include <windows.h>

#include "help/HelpMap.h"

// HTML Help commands the viewer uses (the values of the HTML Help control).
#ifndef HH_DISPLAY_TOPIC
#define HH_DISPLAY_TOPIC 0x0000
#endif
#ifndef HH_DISPLAY_TOC
#define HH_DISPLAY_TOC 0x0001
#endif

// The popup offered on a right click and the command of its only item, "ヘルプ(&H)".
constexpr UINT kHelpPopupMenuId = 120;
constexpr UINT kHelpCommandId = 9;

// The HTML Help control's HtmlHelpA entry. The control is loaded at the first call (the
// registered server of its class, else "hhctrl.ocx") and kept; once loading has failed,
// every call fails at once. Returns the help window, or NULL.
HWND WINAPI HtmlHelpA(HWND owner, LPCSTR file, UINT command, DWORD_PTR data);

// Tests put a recorder in place of the HTML Help control: while a hook is set, HtmlHelpA
// calls it instead. Returns the previous hook; null restores the control.
typedef HWND(WINAPI* HtmlHelpHook)(HWND owner, LPCSTR file, UINT command, DWORD_PTR data);
HtmlHelpHook setHtmlHelpHook(HtmlHelpHook hook);

// The loader behind HtmlHelpA, with its registry place and fallback name open to tests.
class HtmlHelpLoader {
public:
    HtmlHelpLoader(HKEY serverRoot, const char* serverKey, const char* fallbackModule);
    HtmlHelpLoader(const HtmlHelpLoader&) = delete;
    HtmlHelpLoader& operator=(const HtmlHelpLoader&) = delete;

    HWND call(HWND owner, LPCSTR file, UINT command, DWORD_PTR data);
    HMODULE module() const { return module_; }
    bool failed() const { return failed_; }

private:
    typedef HWND(WINAPI* Entry)(HWND, LPCSTR, UINT, DWORD_PTR);
    HMODULE loadRegisteredServer() const;

    HKEY serverRoot_;
    const char* serverKey_;
    const char* fallbackModule_;
    HMODULE module_ = NULL;
    Entry entry_ = nullptr;
    bool failed_ = false;
};

// Shows the help-only popup (menu resource 120 of `instance`, its first submenu) at the
// cursor; non-zero when the user chose "ヘルプ(&H)". 0 when the menu cannot be loaded.
int trackHelpPopupMenu(HINSTANCE instance, HWND owner);
// The same with a popup the caller owns (it is not destroyed).
int trackHelpPopupMenu(HMENU popup, HWND owner);

// The control that WM_CONTEXTMENU names: `window` (wParam) when it is a child, else the
// child of `dialog` under the screen point in `lParam`; 0 when there is none.
int controlIdFromContextMenu(HWND dialog, HWND window, LPARAM lParam);

// "the help file was not found" box: the path, a space and the message (the message alone
// without a path). Returns the message box result.
int showHelpFileMissing(HWND owner, const char* helpFilePath);

// `module`'s own path with its file name replaced by "KQVTLGVW.CHM", into a buffer of
// `size` bytes. Non-zero on success; 0 (buffer empty) when the path does not fit.
int buildHelpFilePath(HMODULE module, char* buffer, DWORD size);

// Help for one context ID: its topic in `map` (none: the file's default topic) through
// HtmlHelpA with no owner window; when that fails, the missing-file box owned by `owner`.
// Non-zero when the help window opened.
int showHelpTopic(HWND owner, const char* helpFilePath, const HelpMap* map, DWORD contextId);
// Help for one control of a window's table (a control not in the table: the default topic).
int showControlHelp(HWND owner, const char* helpFilePath, const HelpMap* map,
                    const HelpContextPair* table, DWORD controlId);
// A dialog's right-click help: the control under the click (`clicked` and `point` as
// WM_CONTEXTMENU gives them) offers "ヘルプ(&H)", and its topic opens when that is chosen.
// Nothing is offered for no control or one without an ID of its own (-1: static texts).
void offerControlHelp(HINSTANCE instance, HWND dialog, HWND clicked, LPARAM point, const char* helpFilePath,
                      const HelpMap* map, const HelpContextPair* table);
