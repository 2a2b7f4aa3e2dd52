#pragma once
#include <windows.h>

#include "framework/DialogBase.h"
#include "framework/ListViewControl.h"
#include "framework/MessageMap.h"
#include "presentation/LogRecordView.h"
#include "help/HelpMap.h"
#include "store/PrintLogStore.h"

// The details of one log entry: the entry of the main list's selected (else focused) row.
// Two buttons step to the row above or below by moving the list's selection, so the dialog
// reads the list entry by entry. It runs modally under a DummyWindow, so the main window
// stays usable, and tells the main window when it opens and closes.
class LogInfoDialog : public DialogBase {
public:
    static constexpr UINT kTemplateId = 118;
    // The main window's commands that the dialog sets again when it ends.
    static constexpr UINT kRefreshCommand = 40002;
    static constexpr UINT kClearAllCommand = 40003;
    // Control ID -> help context ID; ends with a pair of zeros.
    static const HelpContextPair kHelpTable[];

    // `listView` is the main window's list, not owned; its rows carry LogRecordView pointers.
    LogInfoDialog(HINSTANCE instance, ListViewControl* listView);
    ~LogInfoDialog() override;

    // The main window, which receives the open and close notices; null is ignored.
    void setOwner(HWND mainWindow);
    // Null is ignored.
    void setHelpMap(const HelpMap* map);

    // Runs template 118 modally; 1 after OK, 2 after Cancel (Esc, the close box).
    INT_PTR show(HWND parent) override;
    LRESULT windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // 1 from WM_INITDIALOG to WM_DESTROY.
    int isActive() const { return active_; }
    void bringToFront();
    // Re-reads every field from the list's current row (posted, so safe from notifications).
    void refresh();
    // Ends the dialog as Cancel does.
    void close();

    HWND ownerWindow() const { return ownerWindow_; }
    const char* helpFilePath() const { return helpFilePath_; }

private:
    // The entry and index of the selected row, else of the focused one; null / -1 when none.
    LogRecordView* currentEntry();
    int currentIndex();

    void onInit(HWND hwnd);
    // Sets the main window's refresh and clear-all items again as its own rules want them.
    void resetOwnerMenu();
    // Focus request that lands after everything the current dispatch posts.
    void moveFocusTo(HWND hwnd, UINT controlId);
    // A count line: value, label and colon; -1 leaves the value empty and grey.
    void showCount(HWND hwnd, const LogRecordView& view, int32_t count, const char* format,
                   UINT valueId, UINT labelId, UINT colonId);
    void setText(HWND hwnd, UINT controlId, const char* text);
    void enable(HWND hwnd, UINT controlId, bool on);

    // Initialisation handlers.
    UINT initStepUp(HWND hwnd, UINT controlId);
    UINT initStepDown(HWND hwnd, UINT controlId);
    // Update handlers.
    UINT updateDate(HWND hwnd, UINT controlId);
    UINT updatePrinter(HWND hwnd, UINT controlId);
    UINT updateUser(HWND hwnd, UINT controlId);
    UINT updateDocument(HWND hwnd, UINT controlId);
    UINT updateTray(HWND hwnd, UINT controlId);
    UINT updateRequester(HWND hwnd, UINT controlId);
    UINT updateStepUp(HWND hwnd, UINT controlId);
    UINT updateStepDown(HWND hwnd, UINT controlId);
    UINT updateIcon(HWND hwnd, UINT controlId);
    UINT updateCategory(HWND hwnd, UINT controlId);
    UINT updateDetails(HWND hwnd, UINT controlId);
    UINT updateSheets(HWND hwnd, UINT controlId);
    UINT updatePages(HWND hwnd, UINT controlId);
    UINT updateMono(HWND hwnd, UINT controlId);
    UINT updateColour(HWND hwnd, UINT controlId);
    // Commands.
    UINT stepUp(HWND hwnd, UINT controlId);
    UINT stepDown(HWND hwnd, UINT controlId);
    UINT closeWithOk(HWND hwnd, UINT controlId);
    UINT closeWithCancel(HWND hwnd, UINT controlId);
    UINT stepTo(HWND hwnd, int index);

    static const MessageMap::HandlerRow kInitialisers[];
    static const MessageMap::HandlerRow kUpdaters[];
    static const MessageMap::CommandRow kCommands[];

    PrintLogStore logStore_;
    int active_ = 0;
    HWND ownerWindow_ = NULL;
    MessageMap map_;
    ListViewControl* listView_;
    char helpFilePath_[520];
    const HelpMap* helpMap_ = nullptr;
};
