#include "help/ContextHelp.h"

#include <cstring>

#include "services/ByteString.h"
#include "help/HelpTexts.h"
#include "services/RegistryKey.h"

namespace {

constexpr const char* kHtmlHelpServerKey = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr const char* kHtmlHelpFallback = "hhctrl.ocx";
// HtmlHelpA is exported by ordinal only in some versions of the control.
constexpr WORD kHtmlHelpAOrdinal = 14;
constexpr DWORD kServerPathBytes = 260;

HtmlHelpLoader g_htmlHelp(HKEY_CLASSES_ROOT, kHtmlHelpServerKey, kHtmlHelpFallback);
HtmlHelpHook g_htmlHelpHook = nullptr;

}  // namespace

HWND WINAPI HtmlHelpA(HWND owner, LPCSTR file, UINT command, DWORD_PTR data) {
    if (g_htmlHelpHook) return g_htmlHelpHook(owner, file, command, data);
    return g_htmlHelp.call(owner, file, command, data);
}

HtmlHelpHook setHtmlHelpHook(HtmlHelpHook hook) {
    HtmlHelpHook previous = g_htmlHelpHook;
    g_htmlHelpHook = hook;
    return previous;
}

HtmlHelpLoader::HtmlHelpLoader(HKEY serverRoot, const char* serverKey, const char* fallbackModule)
    : serverRoot_(serverRoot), serverKey_(serverKey), fallbackModule_(fallbackModule) {}

HMODULE HtmlHelpLoader::loadRegisteredServer() const {
    RegistryKey key;
    if (!key.open(serverRoot_, serverKey_, KEY_READ)) return NULL;
    char path[kServerPathBytes + 1];
    std::memset(path, 0, sizeof path);
    DWORD type = 0;
    DWORD size = kServerPathBytes;
    if (::RegQueryValueExA(key.get(), NULL, NULL, &type, reinterpret_cast<BYTE*>(path), &size) != ERROR_SUCCESS)
        return NULL;
    // A value stored without its NUL still ends inside the buffer (one spare byte).
    if (type == REG_EXPAND_SZ) {
        char expanded[MAX_PATH];
        DWORD n = ::ExpandEnvironmentStringsA(path, expanded, sizeof expanded);
        if (n == 0 || n > sizeof expanded) return NULL;
        return ::LoadLibraryA(expanded);
    }
    if (type != REG_SZ || path[0] == '\0') return NULL;
    return ::LoadLibraryA(path);
}

HWND HtmlHelpLoader::call(HWND owner, LPCSTR file, UINT command, DWORD_PTR data) {
    if (failed_) {
        ::SetLastError(ERROR_MOD_NOT_FOUND);
        return NULL;
    }
    if (!module_) {
        module_ = loadRegisteredServer();
        if (!module_) module_ = ::LoadLibraryA(fallbackModule_);
        if (!module_) {
            failed_ = true;
            return NULL;
        }
    }
    if (!entry_) {
        entry_ = reinterpret_cast<Entry>(
            reinterpret_cast<void*>(::GetProcAddress(module_, MAKEINTRESOURCEA(kHtmlHelpAOrdinal))));
        if (!entry_) {
            failed_ = true;
            return NULL;
        }
    }
    return entry_(owner, file, command, data);
}

int trackHelpPopupMenu(HINSTANCE instance, HWND owner) {
    HMENU menu = ::LoadMenuA(instance, MAKEINTRESOURCEA(kHelpPopupMenuId));
    if (!menu) return 0;
    HMENU popup = ::GetSubMenu(menu, 0);
    int chosen = popup ? trackHelpPopupMenu(popup, owner) : 0;
    ::DestroyMenu(menu);
    return chosen;
}

int trackHelpPopupMenu(HMENU popup, HWND owner) {
    if (!popup) return 0;
    POINT at = {0, 0};
    ::GetCursorPos(&at);
    UINT command = static_cast<UINT>(
        ::TrackPopupMenu(popup, TPM_NONOTIFY | TPM_RETURNCMD, at.x, at.y, 0, owner, NULL));
    return command == kHelpCommandId ? 1 : 0;
}

int controlIdFromContextMenu(HWND dialog, HWND window, LPARAM lParam) {
    if (window != dialog) return window ? ::GetDlgCtrlID(window) : 0;
    // Shift+F10 on the dialog itself carries no point (-1, -1): no control lies under it.
    if (lParam == static_cast<LPARAM>(-1)) return 0;
    POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ::ScreenToClient(dialog, &at);
    HWND child = ::RealChildWindowFromPoint(dialog, at);
    // The dialog itself comes back for a point between its controls.
    if (!child || child == dialog) return 0;
    return ::GetDlgCtrlID(child);
}

int showHelpFileMissing(HWND owner, const char* helpFilePath) {
    ByteString text;
    if (helpFilePath) {
        text.append(helpFilePath);
        text.append(" ");
    }
    text.append(kHelpFileMissingMessage);
    // Should memory run out, the message alone still tells the user what is wrong.
    const char* shown = text.empty() ? kHelpFileMissingMessage : text.c_str();
    return ::MessageBoxA(owner, shown, kHelpCaption, MB_ICONINFORMATION);
}

int buildHelpFilePath(HMODULE module, char* buffer, DWORD size) {
    if (!buffer || size == 0) return 0;
    buffer[0] = '\0';
    DWORD n = ::GetModuleFileNameA(module, buffer, size);
    // A path that filled the buffer may have been cut.
    if (n == 0 || n >= size) {
        buffer[0] = '\0';
        return 0;
    }
    size_t at = fileNameOffset(buffer);
    size_t nameBytes = std::strlen(kHelpFileName) + 1;
    if (at + nameBytes > size) {
        buffer[0] = '\0';
        ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buffer + at, kHelpFileName, nameBytes);
    return 1;
}

int showHelpTopic(HWND owner, const char* helpFilePath, const HelpMap* map, DWORD contextId) {
    const char* topic = findHelpTopic(contextId, map);
    if (::HtmlHelpA(NULL, helpFilePath, HH_DISPLAY_TOPIC, reinterpret_cast<DWORD_PTR>(topic))) return 1;
    showHelpFileMissing(owner, helpFilePath);
    return 0;
}

int showControlHelp(HWND owner, const char* helpFilePath, const HelpMap* map,
                    const HelpContextPair* table, DWORD controlId) {
    return showHelpTopic(owner, helpFilePath, map, findHelpContextId(controlId, table));
}

void offerControlHelp(HINSTANCE instance, HWND dialog, HWND clicked, LPARAM point, const char* helpFilePath,
                      const HelpMap* map, const HelpContextPair* table) {
    const int id = controlIdFromContextMenu(dialog, clicked, point);
    if (id == 0 || id == -1) return;
    if (trackHelpPopupMenu(instance, dialog))
        showControlHelp(dialog, helpFilePath, map, table, static_cast<DWORD>(id));
}
