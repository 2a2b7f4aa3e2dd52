#include "settings/SettingsDialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "framework/EditControl.h"
#include "framework/PrivateMessages.h"
#include "framework/UpDownControl.h"
#include "resources/ResourceIds.h"
#include "resources/SettingsDialogIds.h"
#include "help/ContextHelp.h"
#include "services/RegistryKey.h"
#include "services/ScopedHandle.h"
#include "settings/LogNameRules.h"
#include "settings/LogSettings.h"
#include "settings/SettingsTexts.h"
#include "store/FileAccessor.h"
#include "store/LogFormat.h"
#include "store/LogLock.h"
#include "store/PrintLogStore.h"

const HelpContextPair kSettingsHelpTable[] = {
    {IDC_SIZE_LABEL, 5},     {IDC_SIZE_UNIT, 5},      {IDC_SIZE_EDIT, 5},      {IDC_SIZE_SPIN, 5},
    {IDC_FOLDER_LABEL, 51},  {IDC_FOLDER_EDIT, 51},   {IDC_FILE_LABEL, 52},    {IDC_FILE_EDIT, 52},
    {IDC_NAME_LABEL, 6},     {IDC_PATH_EDIT, 6},      {IDC_BROWSE, 7},         {IDOK, 8},
    {IDCANCEL, 9},           {IDC_DEFAULTS_PATH, 10}, {IDC_DEFAULTS_FILE, 10}, {0, 0},
};

const MessageMap::HandlerRow SettingsDialog::kInitialisers[] = {
    {IDC_SIZE_SPIN, &SettingsDialog::initSizeSpin},
    {IDC_PATH_EDIT, &SettingsDialog::initNameEdit},
    {IDC_FILE_EDIT, &SettingsDialog::initNameEdit},
};

const MessageMap::CommandRow SettingsDialog::kCommands[] = {
    {IDOK, BN_CLICKED, &SettingsDialog::applySettings},
    {IDCANCEL, BN_CLICKED, &SettingsDialog::cancel},
    {IDC_DEFAULTS_PATH, BN_CLICKED, &SettingsDialog::restoreDefaults},
    {IDC_DEFAULTS_FILE, BN_CLICKED, &SettingsDialog::restoreDefaults},
    {IDC_BROWSE, BN_CLICKED, &SettingsDialog::browse},
};

namespace {

// Controls that only administrators and power users may change.
const int kGuardedControls[] = {IDC_SIZE_EDIT,  IDC_SIZE_SPIN,     IDC_PATH_EDIT,     IDC_FILE_EDIT,
                                IDC_BROWSE,     IDC_DEFAULTS_PATH, IDC_DEFAULTS_FILE, IDOK};

// The whole text of a control, however long (the edit limit binds typing, not SetWindowText).
void readControlText(HWND dialog, int controlId, ByteString& out) {
    out.clear();
    HWND control = ::GetDlgItem(dialog, controlId);
    const int length = control ? ::GetWindowTextLengthA(control) : 0;
    if (length <= 0 || !out.reserve(static_cast<size_t>(length) + 1)) {
        out.assign("");
        return;
    }
    ::GetWindowTextA(control, out.buffer(), length + 1);
    out.syncLength();
}

// The folder of the fixed-folder layout, with its final "\"; empty when the system does not
// name the common application data folder.
void fixedLogFolder(HWND owner, char* out, size_t size) {
    out[0] = '\0';
    char folder[MAX_PATH] = "";
    if (!::SHGetSpecialFolderPathA(owner, folder, CSIDL_COMMON_APPDATA, TRUE) || folder[0] == '\0') return;
    const int n = std::snprintf(out, size, "%s%s%s\\", folder, kVendorFolder, kProductFolder);
    if (n < 0 || static_cast<size_t>(n) >= size) out[0] = '\0';
}

}  // namespace

SettingsDialog::SettingsDialog(HINSTANCE instance, PrintLogStore* store)
    : DialogBase(instance), log_(store), osVersionCode_(getOsVersionCode()) {
    map_.setInitialisers(kInitialisers);
    map_.setCommands(kCommands);
    buildHelpFilePath(instance, helpFilePath_, sizeof helpFilePath_);
    // Read access is enough to learn the administrator's limit, and it is the same limit for
    // the plain user who may change the settings in write-error mode.
    RegistryKey key;
    DWORD limit = 0;
    if (key.open(HKEY_LOCAL_MACHINE, kPrtLogKey, KEY_READ) && key.readDword(kRegLogLimitSize, limit)) {
        // A limit below the smallest size names no range at all; above the spin control's
        // 16-bit range it would wrap into a negative size.
        if (limit >= static_cast<DWORD>(kSmallestLogSizeKb))
            sizeLimit_ = limit > kLargestSizeLimitKb ? kLargestSizeLimitKb : limit;
    }
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::setStartMode(int mode) { startMode_ = mode; }

void SettingsDialog::setHelpMap(const HelpMap* map) {
    if (map) helpMap_ = map;
}

int SettingsDialog::isActive() const { return active_; }

UINT SettingsDialog::templateId() const {
    return osVersionCode_ < OSVER_VISTA ? IDD_SETTINGS_PATH : IDD_SETTINGS_FILE;
}

INT_PTR SettingsDialog::show(HWND parent) {
    if (!log_) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    // The open dialog's values and notices stay as they are.
    if (active_) {
        ::SetLastError(ERROR_ALREADY_EXISTS);
        return -1;
    }
    logName_.assign(log_->logPath());
    const DWORD maxKb = log_->maxKb();
    logSize_ = static_cast<int32_t>(maxKb > sizeLimit_ ? sizeLimit_ : maxKb);
    parent_ = parent;
    shownTemplate_ = templateId();
    createdLogFile_ = 0;
    return showTemplate(shownTemplate_, parent);
}

LRESULT SettingsDialog::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        onInitDialog(hwnd);
        break;
    case WM_DESTROY:
        onDestroy(hwnd);
        break;
    case WM_HELP:
        onHelp(hwnd, reinterpret_cast<const HELPINFO*>(lParam));
        return TRUE;
    case WM_CONTEXTMENU:
        onContextMenu(hwnd, reinterpret_cast<HWND>(wParam), lParam);
        return 1;
    default:
        break;
    }
    return map_.routeMessage(this, hwnd, message, wParam, lParam);
}

uint32_t SettingsDialog::userGroupLevel() const { return getUserGroupLevel(); }

const char* SettingsDialog::openFileDialog(FileAccessor& file, HWND owner, const char* initialName) {
    return file.browse(owner, kBrowseFilter, kBrowseTitle, initialName);
}

DWORD SettingsDialog::openFileDialogError() const { return ::CommDlgExtendedError(); }

void SettingsDialog::onInitDialog(HWND hwnd) {
    active_ = 1;
    // A null parent would turn the notice into a message of this thread's queue.
    if (parent_)
        ::PostMessageA(parent_, kDialogOpenedMessage, reinterpret_cast<WPARAM>(hwnd), shownTemplate_);
    HICON icon = ::LoadIconA(instance_, MAKEINTRESOURCEA(IDI_APPLICATION_LOG));
    ::SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    const uint32_t level = userGroupLevel();
    if (level != GROUP_ADMINISTRATORS && level != GROUP_POWER_USERS && startMode_ != kModeWriteError) {
        for (int id : kGuardedControls) {
            HWND control = ::GetDlgItem(hwnd, id);
            if (control) ::EnableWindow(control, FALSE);
        }
    }
}

void SettingsDialog::onDestroy(HWND hwnd) {
    active_ = 0;
    if (parent_)
        ::PostMessageA(parent_, kDialogClosedMessage, reinterpret_cast<WPARAM>(hwnd), shownTemplate_);
}

void SettingsDialog::onHelp(HWND hwnd, const HELPINFO* info) {
    if (!info) return;
    showControlHelp(hwnd, helpFilePath_, helpMap_, kSettingsHelpTable, static_cast<DWORD>(info->iCtrlId));
}

void SettingsDialog::onContextMenu(HWND hwnd, HWND clicked, LPARAM lParam) {
    offerControlHelp(instance_, hwnd, clicked, lParam, helpFilePath_, helpMap_, kSettingsHelpTable);
}

UINT SettingsDialog::initSizeSpin(HWND hwnd, UINT controlId) {
    UpDownControl spin(::GetDlgItem(hwnd, static_cast<int>(controlId)));
    spin.setRange(static_cast<int>(sizeLimit_), kSmallestLogSizeKb);
    spin.setPos(logSize_);
    return 0;
}

UINT SettingsDialog::initNameEdit(HWND hwnd, UINT controlId) {
    const UINT owner = controlId == IDC_PATH_EDIT ? IDD_SETTINGS_PATH : IDD_SETTINGS_FILE;
    if (owner != shownTemplate_) return 0;
    EditControl edit(::GetDlgItem(hwnd, static_cast<int>(controlId)));
    edit.limitText(kLogNameMaxLength);
    if (shownTemplate_ == IDD_SETTINGS_FILE) {
        char folder[kLogNameCapacity];
        fixedLogFolder(hwnd, folder, sizeof folder);
        ::SetDlgItemTextA(hwnd, IDC_FOLDER_EDIT, folder);
    }
    showNameInEdit(hwnd);
    return 0;
}

void SettingsDialog::showNameInEdit(HWND hwnd) {
    const char* name = logName_.c_str();
    if (shownTemplate_ == IDD_SETTINGS_FILE)
        ::SetDlgItemTextA(hwnd, IDC_FILE_EDIT, name + fileNameOffset(name));
    else
        ::SetDlgItemTextA(hwnd, IDC_PATH_EDIT, name);
}

UINT SettingsDialog::restoreDefaults(HWND hwnd, UINT controlId) {
    (void)controlId;
    logSize_ = kDefaultLogSizeKb;
    ByteString path;
    if (LogSettings::getDefaultLogPath(path)) logName_.assign(path);
    UpDownControl(::GetDlgItem(hwnd, IDC_SIZE_SPIN)).setPos(kDefaultLogSizeKb);
    showNameInEdit(hwnd);
    return 0;
}

UINT SettingsDialog::browse(HWND hwnd, UINT controlId) {
    (void)controlId;
    if (shownTemplate_ != IDD_SETTINGS_PATH) return 0;
    UINT chosen = 0;
    FileAccessor first;
    const char* name = openFileDialog(first, hwnd, logName_.c_str());
    if (name) {
        logName_.assign(name);
        showNameInEdit(hwnd);
        chosen = 1;
    }
    // The dialog refuses some preset names outright; a plain one lets the user still choose.
    if (openFileDialogError() == CDERR_INITIALIZATION) {
        FileAccessor second;
        name = openFileDialog(second, hwnd, kBrowseRetryName);
        if (name) {
            logName_.assign(name);
            showNameInEdit(hwnd);
            chosen = 1;
        }
    }
    return chosen;
}

UINT SettingsDialog::cancel(HWND hwnd, UINT controlId) {
    (void)controlId;
    ::EndDialog(hwnd, IDCANCEL);
    return 0;
}

int SettingsDialog::validateLogSize(HWND hwnd) {
    uint16_t position = 0;
    if (!UpDownControl(::GetDlgItem(hwnd, IDC_SIZE_SPIN)).getPos(&position)) {
        char text[128];
        std::snprintf(text, sizeof text, kSizeRangeFormat, kSmallestLogSizeKb, static_cast<int>(sizeLimit_));
        ::MessageBoxA(hwnd, text, kSizeCaption, MB_ICONERROR);
        EditControl edit(::GetDlgItem(hwnd, IDC_SIZE_EDIT));
        edit.setFocus();
        edit.selectAll();
        return 0;
    }
    logSize_ = static_cast<int16_t>(position);
    return 1;
}

int SettingsDialog::refuseName(HWND hwnd, const char* text) {
    ::MessageBoxA(hwnd, text, kNameCaption, MB_ICONERROR);
    return 0;
}

int SettingsDialog::validateLogName(HWND hwnd) {
    ByteString typed;
    if (shownTemplate_ == IDD_SETTINGS_FILE) {
        ByteString folder;
        ByteString file;
        readControlText(hwnd, IDC_FOLDER_EDIT, folder);
        readControlText(hwnd, IDC_FILE_EDIT, file);
        if (joinLogFolderAndFile(folder.c_str(), file.c_str(), typed) != kLogNameOk)
            return refuseName(hwnd, kNameInvalid);
    } else {
        readControlText(hwnd, IDC_PATH_EDIT, typed);
    }

    ByteString path;
    switch (normaliseLogName(typed.c_str(), path)) {
    case kLogNameOk:
        break;
    case kLogNameInvalid:
        return refuseName(hwnd, kNameInvalid);
    default:
        return refuseName(hwnd, kNameMalformed);
    }

    // One attempt only: a file that another process holds open is taken as it is.
    FileAccessor file;
    DWORD error = ERROR_SUCCESS;
    {
        ScopedHandle reading(file.openWithRetry(path.c_str(), GENERIC_READ, 0, OPEN_EXISTING));
        if (!reading.valid()) error = file.lastError();
    }
    if (error == ERROR_FILE_NOT_FOUND) {
        const int made = createLogFile(path.c_str());
        if (!made) return refuseName(hwnd, kNameCreateFailed);
        // Made by another process since the open failed: checked like any existing file.
        if (made < 0) error = ERROR_SUCCESS;
    }
    switch (error) {
    case ERROR_SUCCESS: {
        {
            ScopedHandle writing(file.openWithRetry(path.c_str(), GENERIC_WRITE, 0, OPEN_EXISTING));
            if (!writing.valid()) return refuseName(hwnd, kNameNotWritable);
        }
        file.setName(path.c_str(), 0);
        const VerifyResult verified = file.verify();
        if (verified == kVerifyOtherForm || verified == kVerifyOpenFailed) return refuseName(hwnd, kNameNotPrintLog);
        break;
    }
    case ERROR_FILE_NOT_FOUND:  // created above
    case ERROR_SHARING_VIOLATION:
        break;
    case ERROR_PATH_NOT_FOUND:
        return refuseName(hwnd, kNameFolderMissing);
    case ERROR_INVALID_PARAMETER:
        return refuseName(hwnd, kNameInvalid);
    default:
        return refuseName(hwnd, kNameMalformed);
    }
    logName_.assign(path);
    return 1;
}

// Writes a fresh header into a new log file: 1, or -1 when the file exists by now (another
// process made it since it was found missing), or 0 when it cannot be made. The viewer's
// list is left alone here: OK may still fail or be cancelled, and the list must go on
// showing the file the viewer watches.
int SettingsDialog::createLogFile(const char* path) {
    FileAccessor file;
    {
        ScopedHandle created(file.openWithRetry(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW));
        if (!created.valid()) return file.lastError() == ERROR_FILE_EXISTS ? -1 : 0;
        LogFileHeader fresh;
        makeFreshHeader(fresh, static_cast<uint32_t>(logSize_));
        if (FileAccessor::writeAtHandle(created.get(), 0, &fresh, sizeof fresh) != sizeof fresh) return 0;
        createdLogFile_ = 1;
    }
    // As for every log file the program creates on 6.x: the intake of any user must write it.
    if (osVersionCode_ == OSVER_VISTA) {
        ScopedHandle opened(::CreateFileA(path, GENERIC_READ | WRITE_DAC, 0, NULL, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, NULL));
        if (opened.valid()) grantEveryoneAccess(opened.get(), FILE_ALL_ACCESS);
    }
    return 1;
}

UINT SettingsDialog::applySettings(HWND hwnd, UINT controlId) {
    (void)controlId;
    log_->setErrorKind(kErrorNone);
    if (!validateLogSize(hwnd)) return 0;
    if (!validateLogName(hwnd)) return 0;
    const bool nameChanged = ::lstrcmpiA(log_->logPath(), logName_.c_str()) != 0;
    const bool sizeShrunk = log_->maxKb() > static_cast<DWORD>(logSize_);

    int outcome = 1;
    {
        ExcludeLock lock;
        if (!lock.held()) {
            ::MessageBoxA(hwnd, kApplyLockFailed, kSettingsErrorCaption, MB_ICONERROR);
            return 0;
        }
        ByteString previousPath;
        previousPath.assign(log_->logPath());
        const DWORD previousMaxKb = log_->maxKb();
        log_->setLogPath(logName_.c_str());
        log_->setMaxKb(static_cast<DWORD>(logSize_));

        LogSettings settings;
        settings.logSize = logSize_;
        settings.logName.assign(logName_);
        settings.errorType = 0;
        if (!settings.save()) {
            log_->setErrorKind(kErrorSettingsFile);
            // The intake goes on with the settings it finds in the file: so does the viewer.
            log_->setLogPath(previousPath.c_str());
            log_->setMaxKb(previousMaxKb);
            outcome = 0;
        } else if (nameChanged || createdLogFile_) {
            log_->markAllGone();
            log_->removeGoneRows();
        } else if (sizeShrunk) {
            outcome = log_->resize();
            if (outcome == 1) {
                log_->markAllGone();
                log_->removeGoneRows();
            }
        }
    }

    if (outcome == 0 && log_->errorKind() != kErrorNone) {
        const char* text = log_->errorKind() == kErrorSettingsFile ? kApplySaveFailed : kApplyResizeFailed;
        ::MessageBoxA(hwnd, text, kSettingsErrorCaption, MB_ICONERROR);
        return 0;
    }
    createdLogFile_ = 0;
    ::EndDialog(hwnd, IDOK);
    return 1;
}
