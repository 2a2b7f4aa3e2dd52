#include "help/ContextHelpDialog.h"

#include "framework/Placement.h"
#include "help/ContextHelp.h"
#include "resources/ResourceIds.h"

ContextHelpDialog::ContextHelpDialog(HINSTANCE instance, const HelpContextPair* helpTable, const char* helpFilePath,
                                     const HelpMap* helpMap)
    : DialogBase(instance), helpTable_(helpTable), helpFilePath_(helpFilePath), helpMap_(helpMap) {}

ContextHelpDialog::~ContextHelpDialog() { map_.clear(); }

LRESULT ContextHelpDialog::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        HICON icon = ::LoadIconA(instance_, MAKEINTRESOURCEA(IDI_APPLICATION_LOG));
        ::SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        centerWindowInWorkArea(hwnd, ::GetParent(hwnd));
        break;
    }
    case WM_HELP: {
        const HELPINFO* info = reinterpret_cast<const HELPINFO*>(lParam);
        if (info != nullptr) showHelpFor(hwnd, info->iCtrlId);
        break;
    }
    case WM_CONTEXTMENU:
        offerControlHelp(instance_, hwnd, reinterpret_cast<HWND>(wParam), lParam, helpFilePath_, helpMap_,
                         helpTable_);
        return 1;
    default:
        break;
    }
    return map_.routeMessage(this, hwnd, message, wParam, lParam);
}

void ContextHelpDialog::showHelpFor(HWND hwnd, int controlId) {
    showControlHelp(hwnd, helpFilePath_, helpMap_, helpTable_, static_cast<DWORD>(controlId));
}
