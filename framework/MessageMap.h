#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "framework/PrivateMessages.h"
#include "framework/WindowBase.h"

// The table-driven dispatch of one window or dialog: control messages become calls of member
// handlers of the owning object, and update handlers then write the object's state back into
// the controls. The owner passes itself to every routing operation; rows are filled once
// (constructor or before a show) and run in table order.
class MessageMap {
public:
    // Initialisation, update, scroll and context-menu handlers, and command handlers: take
    // (owner's window, control ID). Command and scroll handlers return non-zero when the page
    // changed (PSM_CHANGED goes to the parent); the others' results are not used.
    typedef UINT (WindowBase::*ControlHandler)(HWND hwnd, UINT controlId);
    // Notification handlers: (owner's window, wParam of WM_NOTIFY, the NMHDR).
    typedef UINT (WindowBase::*NotifyHandler)(HWND hwnd, WPARAM wParam, NMHDR* header);

    // Rows are written with member pointers of the owner's own class:
    //   { 1040, &LogInfoDialog::setUpIcon }, { IDOK, BN_CLICKED, &LogInfoDialog::close }
    struct HandlerRow {
        UINT controlId;
        ControlHandler handler;
        constexpr HandlerRow() : controlId(0), handler(nullptr) {}
        template <class T>
        constexpr HandlerRow(UINT id, UINT (T::*h)(HWND, UINT))
            : controlId(id), handler(static_cast<ControlHandler>(h)) {
            static_assert(std::is_base_of<WindowBase, T>::value, "handlers belong to windows");
        }
    };
    struct CommandRow {
        UINT controlId;
        UINT code;
        ControlHandler handler;
        constexpr CommandRow() : controlId(0), code(0), handler(nullptr) {}
        template <class T>
        constexpr CommandRow(UINT id, UINT notificationCode, UINT (T::*h)(HWND, UINT))
            : controlId(id), code(notificationCode), handler(static_cast<ControlHandler>(h)) {
            static_assert(std::is_base_of<WindowBase, T>::value, "handlers belong to windows");
        }
    };
    struct NotifyRow {
        UINT controlId;
        UINT code;
        NotifyHandler handler;
        constexpr NotifyRow() : controlId(0), code(0), handler(nullptr) {}
        template <class T>
        constexpr NotifyRow(UINT id, UINT notificationCode, UINT (T::*h)(HWND, WPARAM, NMHDR*))
            : controlId(id), code(notificationCode), handler(static_cast<NotifyHandler>(h)) {
            static_assert(std::is_base_of<WindowBase, T>::value, "handlers belong to windows");
        }
    };
    struct PendingFlag {
        UINT controlId;
        UINT flag;
    };

    MessageMap() = default;
    ~MessageMap() { clear(); }
    MessageMap(const MessageMap&) = delete;
    MessageMap& operator=(const MessageMap&) = delete;

    // Each setter copies the rows into an owned table, replacing the previous one. False
    // (and an empty table) when memory runs out or there are more than 65535 rows.
    bool setInitialisers(const HandlerRow* rows, size_t count);
    bool setUpdaters(const HandlerRow* rows, size_t count);  // all pending flags cleared
    bool setCommands(const CommandRow* rows, size_t count);
    bool setNotifications(const NotifyRow* rows, size_t count);
    bool setScrolls(const HandlerRow* rows, size_t count);
    bool setContextMenus(const HandlerRow* rows, size_t count);
    template <size_t N> bool setInitialisers(const HandlerRow (&rows)[N]) { return setInitialisers(rows, N); }
    template <size_t N> bool setUpdaters(const HandlerRow (&rows)[N]) { return setUpdaters(rows, N); }
    template <size_t N> bool setCommands(const CommandRow (&rows)[N]) { return setCommands(rows, N); }
    template <size_t N> bool setNotifications(const NotifyRow (&rows)[N]) { return setNotifications(rows, N); }
    template <size_t N> bool setScrolls(const HandlerRow (&rows)[N]) { return setScrolls(rows, N); }
    template <size_t N> bool setContextMenus(const HandlerRow (&rows)[N]) { return setContextMenus(rows, N); }
    void clear();

    // The standard routing, called by a window procedure after its own messages:
    //   WM_CREATE, WM_INITDIALOG -> initialise, 1     WM_COMMAND -> routeCommand, 1
    //   WM_NOTIFY -> routeNotify                      WM_HSCROLL -> routeScroll (lParam)
    //   WM_CONTEXTMENU -> routeContextMenu (wParam)   kRunPendingMessage -> runPending
    //   kRunAllMessage -> runAll                      kInitialiseMessage -> initialise
    // All but the first two then give the default result (0 for a dialog, else DefWindowProcA).
    LRESULT routeMessage(WindowBase* owner, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // Every routing operation does nothing with a null owner.
    void initialise(WindowBase* owner);  // initialisation handlers, then all update handlers
    void runAll(WindowBase* owner);      // pending flags are left as they are
    void runPending(WindowBase* owner);  // each pending handler runs once and is cleared
    void routeCommand(WindowBase* owner, UINT controlId, UINT code);
    void routeNotify(WindowBase* owner, WPARAM wParam, NMHDR* header);
    void routeScroll(WindowBase* owner, HWND scrollBar);
    void routeContextMenu(WindowBase* owner, HWND clicked);

    // Sets the pending flag of the (first) update handler of `controlId`; returns its index,
    // or the number of update handlers when none has that ID.
    UINT markPending(UINT controlId, UINT flag = 1);
    bool isPending(UINT controlId) const;

    // 1 while a handler or an update run is in progress: commands, notifications and scroll
    // messages that arrive meanwhile (a control answering SetWindowText with EN_CHANGE) pass
    // unrouted.
    int isDispatching() const { return inDispatch_; }

    uint16_t initialiserCount() const { return initialiserCount_; }
    uint16_t updaterCount() const { return updaterCount_; }
    uint16_t commandCount() const { return commandCount_; }
    uint16_t notificationCount() const { return notificationCount_; }
    uint16_t scrollCount() const { return scrollCount_; }
    uint16_t contextMenuCount() const { return contextMenuCount_; }

private:
    void callControlHandler(WindowBase* owner, ControlHandler handler, UINT controlId);
    // Marks, calls, tells the parent about a change, runs the pending updates.
    void dispatchChange(WindowBase* owner, ControlHandler handler, UINT controlId);

    uint16_t initialiserCount_ = 0;
    HandlerRow* initialisers_ = nullptr;
    uint16_t updaterCount_ = 0;
    HandlerRow* updaters_ = nullptr;
    uint16_t commandCount_ = 0;
    CommandRow* commands_ = nullptr;
    uint16_t notificationCount_ = 0;
    NotifyRow* notifications_ = nullptr;
    uint16_t scrollCount_ = 0;
    HandlerRow* scrolls_ = nullptr;
    uint16_t contextMenuCount_ = 0;
    HandlerRow* contextMenus_ = nullptr;
    PendingFlag* pending_ = nullptr;
    int inDispatch_ = 0;
};
