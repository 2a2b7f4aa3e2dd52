#include "framework/MessageMap.h"

#include <new>

namespace {

// Property sheet notifications reach a page from the sheet, whatever control sent them.
bool matchesAnyControl(UINT code) {
    return code == PSN_SETACTIVE || code == PSN_KILLACTIVE || code == PSN_APPLY;
}

// GetDlgCtrlID of a top-level window gives its menu handle, which is no control ID.
UINT controlIdOf(HWND hwnd) {
    if ((::GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD) == 0) return 0;
    return static_cast<UINT>(::GetDlgCtrlID(hwnd));
}

template <class Row>
bool copyTable(Row*& table, uint16_t& count, const Row* rows, size_t n) {
    delete[] table;
    table = nullptr;
    count = 0;
    if (n == 0) return true;
    if (rows == nullptr || n > 0xFFFF) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    table = new (std::nothrow) Row[n];
    if (table == nullptr) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    for (size_t i = 0; i < n; ++i) table[i] = rows[i];
    count = static_cast<uint16_t>(n);
    return true;
}

}  // namespace

bool MessageMap::setInitialisers(const HandlerRow* rows, size_t count) {
    return copyTable(initialisers_, initialiserCount_, rows, count);
}

bool MessageMap::setUpdaters(const HandlerRow* rows, size_t count) {
    delete[] pending_;
    pending_ = nullptr;
    if (!copyTable(updaters_, updaterCount_, rows, count)) return false;
    if (updaterCount_ == 0) return true;
    pending_ = new (std::nothrow) PendingFlag[updaterCount_];
    if (pending_ == nullptr) {
        delete[] updaters_;
        updaters_ = nullptr;
        updaterCount_ = 0;
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    for (uint16_t i = 0; i < updaterCount_; ++i) pending_[i] = PendingFlag{updaters_[i].controlId, 0};
    return true;
}

bool MessageMap::setCommands(const CommandRow* rows, size_t count) {
    return copyTable(commands_, commandCount_, rows, count);
}

bool MessageMap::setNotifications(const NotifyRow* rows, size_t count) {
    return copyTable(notifications_, notificationCount_, rows, count);
}

bool MessageMap::setScrolls(const HandlerRow* rows, size_t count) {
    return copyTable(scrolls_, scrollCount_, rows, count);
}

bool MessageMap::setContextMenus(const HandlerRow* rows, size_t count) {
    return copyTable(contextMenus_, contextMenuCount_, rows, count);
}

void MessageMap::clear() {
    setInitialisers(nullptr, 0);
    setUpdaters(nullptr, 0);
    setCommands(nullptr, 0);
    setNotifications(nullptr, 0);
    setScrolls(nullptr, 0);
    setContextMenus(nullptr, 0);
}

LRESULT MessageMap::routeMessage(WindowBase* owner, HWND hwnd, UINT message, WPARAM wParam,
                                 LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
    case WM_INITDIALOG:
        initialise(owner);
        return 1;
    case WM_COMMAND:
        routeCommand(owner, LOWORD(wParam), HIWORD(wParam));
        return 1;
    case WM_NOTIFY:
        routeNotify(owner, wParam, reinterpret_cast<NMHDR*>(lParam));
        break;
    case WM_HSCROLL:
        routeScroll(owner, reinterpret_cast<HWND>(lParam));
        break;
    case WM_CONTEXTMENU:
        routeContextMenu(owner, reinterpret_cast<HWND>(wParam));
        break;
    case kRunPendingMessage:
        runPending(owner);
        break;
    case kRunAllMessage:
        runAll(owner);
        break;
    case kInitialiseMessage:
        initialise(owner);
        break;
    default:
        break;
    }
    return defaultResult(hwnd, message, wParam, lParam);
}

// The flag is set and cleared, not saved and restored: a run nested inside a handler (the
// handler sends kRunAllMessage to its own window) clears it early. A window whose command
// handler runs a modal dialog depends on that: the dialog's opening notice makes the window
// run its pending updates, and from then on the window routes its commands again.
void MessageMap::initialise(WindowBase* owner) {
    if (owner == nullptr) return;
    inDispatch_ = 1;
    for (uint16_t i = 0; i < initialiserCount_; ++i)
        callControlHandler(owner, initialisers_[i].handler, initialisers_[i].controlId);
    for (uint16_t i = 0; i < updaterCount_; ++i)
        callControlHandler(owner, updaters_[i].handler, updaters_[i].controlId);
    inDispatch_ = 0;
}

void MessageMap::runAll(WindowBase* owner) {
    if (owner == nullptr) return;
    inDispatch_ = 1;
    for (uint16_t i = 0; i < updaterCount_; ++i)
        callControlHandler(owner, updaters_[i].handler, updaters_[i].controlId);
    inDispatch_ = 0;
}

void MessageMap::runPending(WindowBase* owner) {
    if (owner == nullptr) return;
    inDispatch_ = 1;
    for (uint16_t i = 0; i < updaterCount_; ++i) {
        if (pending_[i].flag == 0) continue;
        callControlHandler(owner, updaters_[i].handler, updaters_[i].controlId);
        pending_[i].flag = 0;
    }
    inDispatch_ = 0;
}

UINT MessageMap::markPending(UINT controlId, UINT flag) {
    for (uint16_t i = 0; i < updaterCount_; ++i) {
        if (pending_[i].controlId == controlId) {
            pending_[i].flag = flag;
            return i;
        }
    }
    return updaterCount_;
}

bool MessageMap::isPending(UINT controlId) const {
    for (uint16_t i = 0; i < updaterCount_; ++i)
        if (pending_[i].controlId == controlId) return pending_[i].flag != 0;
    return false;
}

void MessageMap::routeCommand(WindowBase* owner, UINT controlId, UINT code) {
    if (owner == nullptr || inDispatch_ || commandCount_ == 0) return;
    for (uint16_t i = 0; i < commandCount_; ++i) {
        if (commands_[i].controlId == controlId && commands_[i].code == code) {
            dispatchChange(owner, commands_[i].handler, controlId);
            return;
        }
    }
}

void MessageMap::routeNotify(WindowBase* owner, WPARAM wParam, NMHDR* header) {
    if (owner == nullptr || inDispatch_ || header == nullptr || notificationCount_ == 0) return;
    for (uint16_t i = 0; i < notificationCount_; ++i) {
        const NotifyRow& row = notifications_[i];
        if (row.code != header->code) continue;
        if (row.controlId != header->idFrom && !matchesAnyControl(row.code)) continue;
        inDispatch_ = 1;
        if (row.handler != nullptr) (owner->*row.handler)(owner->hwnd(), wParam, header);
        runPending(owner);
        inDispatch_ = 0;
    }
}

void MessageMap::routeScroll(WindowBase* owner, HWND scrollBar) {
    if (owner == nullptr || inDispatch_ || scrollBar == NULL) return;
    UINT controlId = controlIdOf(scrollBar);
    for (uint16_t i = 0; i < scrollCount_; ++i) {
        if (scrolls_[i].controlId == controlId) {
            dispatchChange(owner, scrolls_[i].handler, controlId);
            return;
        }
    }
}

void MessageMap::routeContextMenu(WindowBase* owner, HWND clicked) {
    if (owner == nullptr || clicked == NULL) return;
    UINT controlId = controlIdOf(clicked);
    for (uint16_t i = 0; i < contextMenuCount_; ++i) {
        if (contextMenus_[i].controlId == controlId) {
            inDispatch_ = 1;
            callControlHandler(owner, contextMenus_[i].handler, controlId);
            inDispatch_ = 0;
            return;
        }
    }
}

void MessageMap::callControlHandler(WindowBase* owner, ControlHandler handler, UINT controlId) {
    if (handler != nullptr) (owner->*handler)(owner->hwnd(), controlId);
}

void MessageMap::dispatchChange(WindowBase* owner, ControlHandler handler, UINT controlId) {
    markPending(controlId, 1);
    inDispatch_ = 1;
    UINT changed = handler != nullptr ? (owner->*handler)(owner->hwnd(), controlId) : 0;
    if (changed != 0) {
        HWND parent = owner->hwnd() != NULL ? ::GetParent(owner->hwnd()) : NULL;
        if (parent != NULL)
            ::SendMessageA(parent, PSM_CHANGED, reinterpret_cast<WPARAM>(owner->hwnd()), 0);
    }
    runPending(owner);
    inDispatch_ = 0;
}
