#pragma once
#include <windows.h>
#include <cstdint>

// The dialog keeps its controls enabled for every user in the write-error mode.
#include "app/CommandLine.h"
#include "framework/DialogBase.h"
#include "framework/MessageMap.h"
#include "services/AccessRights.h"
#include "services/ByteString.h"
#include "help/HelpMap.h"

class FileAccessor;
class PrintLogStore;

// Largest size the dialog offers without "LogLimitSize", and its smallest size, in KB.
constexpr uint32_t kDefaultSizeLimitKb = 1000;
constexpr int kSmallestLogSizeKb = 5;
// The spin control holds 16-bit positions.
constexpr uint32_t kLargestSizeLimitKb = 0x7FFF;

// Help context IDs of the dialog's controls, ended by a zero pair.
extern const HelpContextPair kSettingsHelpTable[];

// The modal dialog that changes the print log's maximum size and file: template 117 (the
// whole path, with a browse button) below Windows 6.x, 119 (a file name in the fixed folder)
// on it. OK checks both values, creates a missing log file, and then, under the log-file
// lock, applies them to the store, saves them and shrinks the file or empties the list.
// Long-lived: every show starts again from the store's values.
class SettingsDialog : public DialogBase {
public:
    SettingsDialog(HINSTANCE instance, PrintLogStore* store);
    ~SettingsDialog() override;

    // The viewer's mode (AppMode); set before every show. In write-error mode every user may
    // change the settings, since the failed write has to be remedied somehow.
    void setStartMode(int mode);
    // A null map is ignored.
    void setHelpMap(const HelpMap* map);
    // 1 after OK (the settings were applied), 2 after Cancel, -1 when no dialog could be shown.
    INT_PTR show(HWND parent) override;
    // 1 while the dialog window exists.
    int isActive() const;

    LRESULT windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT templateId() const;
    uint32_t sizeLimit() const { return sizeLimit_; }
    int32_t logSize() const { return logSize_; }
    const char* logName() const { return logName_.c_str(); }
    const char* helpFilePath() const { return helpFilePath_; }

protected:
    // The group level that decides whether the fields may be changed; tests replace it.
    virtual uint32_t userGroupLevel() const;
    // The open-file dialog and its extended error code; tests replace them.
    virtual const char* openFileDialog(FileAccessor& file, HWND owner, const char* initialName);
    virtual DWORD openFileDialogError() const;
    // Chooses the template as this version would; for tests.
    void setOsVersionCode(OsVersionCode code) { osVersionCode_ = code; }

private:
    static const MessageMap::HandlerRow kInitialisers[];
    static const MessageMap::CommandRow kCommands[];

    // Initialisation handlers.
    UINT initSizeSpin(HWND hwnd, UINT controlId);
    UINT initNameEdit(HWND hwnd, UINT controlId);
    // Command handlers.
    UINT applySettings(HWND hwnd, UINT controlId);
    UINT cancel(HWND hwnd, UINT controlId);
    UINT restoreDefaults(HWND hwnd, UINT controlId);
    UINT browse(HWND hwnd, UINT controlId);

    void onInitDialog(HWND hwnd);
    void onDestroy(HWND hwnd);
    void onHelp(HWND hwnd, const HELPINFO* info);
    void onContextMenu(HWND hwnd, HWND clicked, LPARAM lParam);
    int validateLogSize(HWND hwnd);
    int validateLogName(HWND hwnd);
    int refuseName(HWND hwnd, const char* text);
    int createLogFile(const char* path);
    void showNameInEdit(HWND hwnd);

    int active_ = 0;
    ByteString logName_;
    int32_t logSize_ = 0;
    uint32_t sizeLimit_ = kDefaultSizeLimitKb;
    PrintLogStore* log_;
    MessageMap map_;
    char helpFilePath_[520];
    OsVersionCode osVersionCode_;
    int startMode_ = kModeView;
    const HelpMap* helpMap_ = nullptr;
    // Where the opening and closing notices go, and what they carry.
    HWND parent_ = NULL;
    UINT shownTemplate_ = 0;
    // The name check made a new log file that the list does not reflect yet.
    int createdLogFile_ = 0;
};
