#pragma once
#include <windows.h>

#include "services/ByteBuffer.h"
#include "services/ByteString.h"
#include "store/FileAccessor.h"
#include "store/LogFormat.h"
#include "store/LogRecordList.h"

// Results of a load.
enum LoadResult : int {
    kLoadUnchanged = 1,  // read; nothing added or changed (rows may have gone)
    kLoadChanged = 2,    // read; rows added, changed or hidden, or no records at all
    kLoadBroken = 3,     // the data is broken, unreadable or empty
    kLoadMissing = 4,
    kLoadOtherForm = 6,
    kLoadBusy = 7,
    kLoadNoFolder = 8,
};

// Error kinds of the intake and the maintenance operations.
enum ErrorKind : DWORD {
    kErrorNone = 0,
    kErrorDataBroken = 1,
    kErrorSystem = 2,
    kErrorNoPermission = 3,
    kErrorNotLogFile = 4,
    kErrorInUse = 5,
    kErrorNoFolder = 6,
    kErrorNoMemory = 7,
    kErrorRegistry = 8,
    kErrorSettingsFile = 9,
    kErrorOther = 99,
};

// The one object through which a process works on the print log: the settings that
// locate it, the error kind of the last intake or maintenance, and the viewer's rows.
// Callers hold the log-file lock around every operation on the file.
class PrintLogStore {
public:
    // Takes the log path and maximum size from the settings.
    PrintLogStore();
    // A store on a given file, for tools and tests; the intake then uses `maxKb` too.
    PrintLogStore(const char* logPath, DWORD maxKb);
    virtual ~PrintLogStore();
    PrintLogStore(const PrintLogStore&) = delete;
    PrintLogStore& operator=(const PrintLogStore&) = delete;

    // Intake of one pending record.
    void setPendingValueName(const char* name);
    int intake();
    // Writes a notice record of kind 1 or 2 (kind 2 first saves the file as the backup
    // and starts a fresh one). Failures are only logged.
    void utyMakeLogData(int noticeKind, DWORD maxKb);

    // Maintenance.
    int initialiseWith(FileAccessor& file, DWORD maxKb);
    int initialise();
    // Creates a missing log file; gives it (or an existing empty one) a fresh header. 1 when
    // this call created the file.
    int ensureLogFile();
    int resize();

    // The viewer's list.
    int load();
    int markAllGone();
    void removeGoneRows() { list_.removeGone(); }
    int markClosed();
    LogRecordNode* findMatchingRow(const LogRecordView& view) const;
    const LogRecordList& list() const { return list_; }
    LogRecordList& list() { return list_; }
    size_t count() const { return list_.count(); }
    LogRecordNode* firstNode() const { return list_.first(); }

    const LogFileHeader& header() const { return header_; }
    const char* logPath() const { return logPath_.c_str(); }
    bool setLogPath(const char* path) { return logPath_.assign(path); }
    DWORD maxKb() const { return maxKb_; }
    void setMaxKb(DWORD kb) { maxKb_ = kb; }
    DWORD errorKind() const { return errorKind_; }
    void setErrorKind(DWORD kind) { errorKind_ = kind; }
    DWORD allRecords() const { return allRecords_; }
    void setAllRecords(DWORD on) { allRecords_ = on; }
    DWORD platform() const { return platform_; }
    void setPlatform(DWORD code) { platform_ = code; }

private:
    class MatchIndex;
    int openLogForIntake(HANDLE& file);
    int loadFrom(FileAccessor& file);
    void appendParsedRecords(const uint8_t* data, uint32_t bound, bool matching, MatchIndex* index, int& result,
                             bool& broken);
    DWORD intakeMaxKb() const;
    // The header just written to the file becomes the store's; the list is emptied.
    void adoptFreshHeader(const LogFileHeader& fresh);

    LogFileHeader header_;
    LogRecordList list_;
    ByteString logPath_;
    DWORD maxKb_ = 0;
    ByteString pendingName_;
    CRITICAL_SECTION loadLock_;
    DWORD allRecords_ = 0;
    DWORD errorKind_ = 0;
    DWORD platform_ = 0;
    bool fixedSettings_ = false;
    ByteBuffer fileBlock_;  // the log file's bytes as the last load read them
};
