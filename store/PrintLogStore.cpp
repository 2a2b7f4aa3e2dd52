#include "store/PrintLogStore.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <new>

#include "diagnostics/DiagLog.h"
#include "services/AccessRights.h"
#include "services/RegistryKey.h"
#include "services/CriticalSectionLock.h"
#include "services/ScopedHandle.h"
// The store takes its log path and maximum from the settings store when it is made.
#include "settings/LogSettings.h"
#include "store/LogLock.h"
#include "store/LogWriter.h"
#include "store/StoreTexts.h"

namespace {

// A backup already there is the only copy of an earlier broken log: it moves to the first
// free number after 01 instead of being replaced. False when it cannot be kept.
bool keepEarlierBackup(const ByteString& backup, size_t nameAt) {
    if (::GetFileAttributesA(backup.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    for (int number = 2; number <= 99; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, kOlderBackupFormat, number);
        ByteString older;
        if (!older.assign(backup.c_str(), nameAt) || !older.append(name)) return false;
        if (::MoveFileA(backup.c_str(), older.c_str())) return true;
        if (::GetLastError() != ERROR_ALREADY_EXISTS && ::GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

constexpr DWORD kLogRetryLimitMs = 3000;
constexpr DWORD kLogRetryStepMs = 100;

// The identity of a record across loads: job, requester and event time.
struct MatchKey {
    uint32_t jobId;
    const uint8_t* eventTime;  // the SYSTEMTIME's bytes
    const char* requester;
    size_t requesterLength;
};

MatchKey keyOfView(const LogRecordView& v) {
    return MatchKey{v.record->jobId, reinterpret_cast<const uint8_t*>(&v.record->eventTime), v.requesterName,
                    std::strlen(v.requesterName)};
}

// The key of a record (its whole fixed part at least) straight from the file's bytes, read
// as a parse reads it: the requester is the second string, ended by its NUL or the record's end.
MatchKey keyOfRecord(const uint8_t* record, uint32_t size) {
    MatchKey key;
    std::memcpy(&key.jobId, record + offsetof(LogRecord, jobId), sizeof key.jobId);
    key.eventTime = record + offsetof(LogRecord, eventTime);
    RecordStrings strings;
    locateRecordStrings(record, size, strings);
    key.requester = strings.text[kRequesterName];
    const char* end = reinterpret_cast<const char*>(record) + size;
    key.requesterLength = 0;
    while (key.requester + key.requesterLength < end && key.requester[key.requesterLength] != '\0')
        ++key.requesterLength;
    return key;
}

bool sameMatchKey(const MatchKey& a, const MatchKey& b) {
    return a.jobId == b.jobId && std::memcmp(a.eventTime, b.eventTime, sizeof(SYSTEMTIME)) == 0 &&
           a.requesterLength == b.requesterLength && std::memcmp(a.requester, b.requester, a.requesterLength) == 0;
}

uint32_t matchKeyHash(const MatchKey& k) {
    uint32_t h = 2166136261u;
    auto mix = [&h](const void* p, size_t n) {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 16777619u;
    };
    mix(&k.jobId, sizeof k.jobId);
    mix(k.eventTime, sizeof(SYSTEMTIME));
    mix(k.requester, k.requesterLength);
    return h;
}

// The first gone row in list order with the key.
LogRecordNode* findGoneRow(const LogRecordList& list, const MatchKey& key) {
    for (LogRecordNode* node = list.first(); node; node = node->next)
        if (node->view.rowState == ROW_GONE && node->view.record && sameMatchKey(keyOfView(node->view), key))
            return node;
    return nullptr;
}

}  // namespace

// Gone rows by match key, each chain in list order, so that a reload matches every
// record in constant time with the same first-in-list-order result as a list search.
class PrintLogStore::MatchIndex {
public:
    bool build(const LogRecordList& list) {
        size_t capacity = 16;
        while (capacity < list.count() * 2) capacity *= 2;
        if (!heads_.allocate(capacity * sizeof(LogRecordNode*)) ||
            !tails_.allocate(capacity * sizeof(LogRecordNode*)))
            return false;
        mask_ = capacity - 1;
        LogRecordNode** heads = slots(heads_);
        LogRecordNode** tails = slots(tails_);
        for (LogRecordNode* node = list.first(); node; node = node->next) {
            node->matchNext = nullptr;
            if (!node->view.record) continue;
            size_t slot = matchKeyHash(keyOfView(node->view)) & mask_;
            if (tails[slot]) tails[slot]->matchNext = node;
            else heads[slot] = node;
            tails[slot] = node;
        }
        return true;
    }

    // The first gone row with the key; it leaves the index.
    LogRecordNode* take(const MatchKey& key) {
        size_t slot = matchKeyHash(key) & mask_;
        LogRecordNode** link = &slots(heads_)[slot];
        LogRecordNode* previous = nullptr;
        for (LogRecordNode* node = *link; node; previous = node, link = &node->matchNext, node = node->matchNext) {
            if (node->view.rowState != ROW_GONE || !sameMatchKey(keyOfView(node->view), key)) continue;
            *link = node->matchNext;
            if (slots(tails_)[slot] == node) slots(tails_)[slot] = previous;
            node->matchNext = nullptr;
            return node;
        }
        return nullptr;
    }

private:
    static LogRecordNode** slots(ByteBuffer& b) { return reinterpret_cast<LogRecordNode**>(b.data()); }
    ByteBuffer heads_;
    ByteBuffer tails_;
    size_t mask_ = 0;
};

PrintLogStore::PrintLogStore() {
    std::memset(&header_, 0, sizeof header_);
    ::InitializeCriticalSection(&loadLock_);
    LogSettings settings;
    settings.load();
    logPath_.assign(settings.logName.c_str());
    maxKb_ = settings.logSize;
    platform_ = getOsVersionCode();
}

PrintLogStore::PrintLogStore(const char* logPath, DWORD maxKb) : maxKb_(maxKb), fixedSettings_(true) {
    std::memset(&header_, 0, sizeof header_);
    ::InitializeCriticalSection(&loadLock_);
    logPath_.assign(logPath);
    platform_ = getOsVersionCode();
}

PrintLogStore::~PrintLogStore() {
    list_.clear();
    ::DeleteCriticalSection(&loadLock_);
}

void PrintLogStore::setPendingValueName(const char* name) { pendingName_.assign(name); }

DWORD PrintLogStore::intakeMaxKb() const {
    if (fixedSettings_) return maxKb_;
    LogSettings settings;
    settings.load();
    return settings.logSize;
}

// Opens the log file for the intake: no sharing, existing file only, waiting up to
// 3000 ms while another process holds it. Returns the error kind (0 when open).
int PrintLogStore::openLogForIntake(HANDLE& file) {
    DWORD waited = 0;
    for (;;) {
        file = ::CreateFileA(logPath_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE) return kErrorNone;
        DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION) {
            ::Sleep(kLogRetryStepMs);
            waited += kLogRetryStepMs;
            if (waited >= kLogRetryLimitMs) return kErrorInUse;
            continue;
        }
        if (error == ERROR_ACCESS_DENIED) {
            writeDiagnosticLine("Log can not be written.  Access denied.\r\n");
            return kErrorNoPermission;
        }
        if (error == ERROR_PATH_NOT_FOUND) {
            writeDiagnosticLine("Log can not be written.  Path is Not Found.\r\n");
            return kErrorNoFolder;
        }
        writeDiagnosticLine("Log can not be written.  Errcode=%d\r\n", static_cast<int>(error));
        return kErrorOther;
    }
}

int PrintLogStore::intake() {
    ExcludeLock lock;
    if (!lock.held()) {
        errorKind_ = kErrorInUse;
        return 0;
    }
    ByteBuffer pending;
    {
        RegistryKey key;
        if (!key.open(HKEY_LOCAL_MACHINE, kPendingRecordKey, KEY_ALL_ACCESS)) {
            writeDiagnosticLine("Reg is not Opened.  Errcode=%d\r\n", static_cast<int>(::GetLastError()));
            errorKind_ = kErrorRegistry;
            return 0;
        }
        if (!key.readValue(pendingName_.c_str(), REG_BINARY, pending)) {
            writeDiagnosticLine("Log data is not found.  Errcode=%d\r\n", static_cast<int>(::GetLastError()));
            errorKind_ = kErrorRegistry;
            return 0;
        }
        const DWORD maxKb = intakeMaxKb();
        maxKb_ = maxKb;
        // From here on the record exists only in memory.
        key.deleteValue(pendingName_.c_str());
    }

    ensureLogFile();
    HANDLE raw = INVALID_HANDLE_VALUE;
    int kind = openLogForIntake(raw);
    if (kind != kErrorNone) {
        errorKind_ = kind;
        return 0;
    }
    int result;
    {
        ScopedHandle file(raw);
        result = writeLogFile(file.get(), pending.data(), static_cast<uint32_t>(pending.size()), maxKb_);
    }
    switch (result) {
    case kWriteStored:
        return 1;
    case kWriteNotStored:
    case kWriteFileBroken:
        utyMakeLogData(result, maxKb_);
        return 1;
    case kWriteBadSignature:
        errorKind_ = kErrorNotLogFile;
        return 0;
    case kWriteNoMemory:
        errorKind_ = kErrorNoMemory;
        return 0;
    default:
        errorKind_ = kErrorOther;
        return 0;
    }
}

void PrintLogStore::utyMakeLogData(int noticeKind, DWORD maxKb) {
    bool written = false;
    if (noticeKind == kNoticeNotStored || noticeKind == kNoticeFileSwitched) {
        bool ready = true;
        if (noticeKind == kNoticeFileSwitched) {
            ByteString backup;
            const char* path = logPath_.c_str();
            size_t nameAt = fileNameOffset(path);
            ready = backup.assign(path, nameAt) && backup.append(kLogBackupName);
            // A log that already carries the backup's name stays as it is: copying it
            // onto itself would lose the only copy.
            if (ready && ::lstrcmpiA(backup.c_str(), path) == 0) ready = false;
            if (ready) ready = keepEarlierBackup(backup, nameAt) && ::CopyFileA(path, backup.c_str(), TRUE) != 0;
            if (ready) initialise();
        }
        if (ready) {
            ScopedHandle file(::CreateFileA(logPath_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));
            LogFileHeader header;
            std::memset(&header, 0, sizeof header);
            ByteBuffer notice;
            SYSTEMTIME now;
            ::GetLocalTime(&now);
            if (file.valid() && FileAccessor::readAtHandle(file.get(), 0, &header, sizeof header) == sizeof header &&
                buildNoticeRecord(noticeKind, now, notice)) {
                // The header's end is trusted only inside the file; otherwise the notice
                // goes at the physical end.
                DWORD fileSize = ::GetFileSize(file.get(), NULL);
                uint32_t at = header.appendOffset;
                if (at < kHeaderSize || at > fileSize) at = fileSize < kHeaderSize ? kHeaderSize : fileSize;
                FileAccessor::cutAtHandle(file.get(), LONG(at));
                const DWORD size = static_cast<DWORD>(notice.size());
                if (FileAccessor::writeAtHandle(file.get(), LONG(at), notice.data(), size) == size) {
                    header.previousMaxSize = header.maxSize;
                    header.usedSize = header.appendOffset = header.tailOffset = at + size;
                    header.maxSize = maxKb * 1024;
                    header.firstRecordOffset = kFirstRecordOffset;
                    header.lastRecordOffset = at;
                    header.reserved36 = 0;
                    written = FileAccessor::writeAtHandle(file.get(), 0, &header, sizeof header) == sizeof header;
                }
            }
        }
    }
    if (!written) writeDiagnosticLine("Error from utyMakeLogData. Kind = %d\r\n", noticeKind);
}

int PrintLogStore::initialiseWith(FileAccessor& file, DWORD maxKb) {
    LogFileHeader fresh;
    makeFreshHeader(fresh, maxKb);
    file.truncate(0);
    if (file.writeAt(&fresh, sizeof fresh, 0, 0) != sizeof fresh) return 0;
    adoptFreshHeader(fresh);
    return 1;
}

void PrintLogStore::adoptFreshHeader(const LogFileHeader& fresh) {
    header_ = fresh;
    markAllGone();
    removeGoneRows();
}

int PrintLogStore::initialise() {
    FileAccessor file;
    file.setRetry(kLogRetryLimitMs, kLogRetryStepMs);
    if (!file.setName(logPath_.c_str(), 0)) return 0;
    return initialiseWith(file, maxKb_);
}

// The create, the size check and the fresh header happen on one handle held without
// sharing: a file that another process made and filled in the meantime is never emptied,
// it is left to the verification every load does.
int PrintLogStore::ensureLogFile() {
    FileAccessor file;
    file.setRetry(kLogRetryLimitMs, kLogRetryStepMs);
    const bool vista = platform_ == OSVER_VISTA;
    ScopedHandle log(file.openWithRetry(logPath_.c_str(), GENERIC_READ | GENERIC_WRITE | (vista ? WRITE_DAC : 0), 0,
                                        CREATE_NEW));
    const int created = log.valid() ? 1 : 0;
    if (!created) {
        if (file.lastError() != ERROR_FILE_EXISTS) return 0;
        log.reset(file.openWithRetry(logPath_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING));
        if (!log.valid()) return 0;
    }
    if (created && vista) grantEveryoneAccess(log.get(), FILE_ALL_ACCESS);
    if (::GetFileSize(log.get(), NULL) == 0) {
        LogFileHeader fresh;
        makeFreshHeader(fresh, maxKb_);
        if (FileAccessor::writeAtHandle(log.get(), 0, &fresh, sizeof fresh) == sizeof fresh) adoptFreshHeader(fresh);
    }
    return created;
}

int PrintLogStore::resize() {
    const int64_t maxBytes = int64_t(maxKb_) * 1024;
    HANDLE raw = INVALID_HANDLE_VALUE;
    for (DWORD waited = 0;;) {
        raw = ::CreateFileA(logPath_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, NULL);
        if (raw != INVALID_HANDLE_VALUE) break;
        ::Sleep(kLogRetryStepMs);
        waited += kLogRetryStepMs;
        if (waited >= kLogRetryLimitMs) return 0;
    }
    ScopedHandle file(raw);
    LogFileHeader header;
    std::memset(&header, 0, sizeof header);
    DWORD got = FileAccessor::readAtHandle(file.get(), 0, &header, sizeof header);
    if (!hasLogSignature(&header, got) || got < sizeof header) {
        errorKind_ = kErrorNotLogFile;
        return 0;
    }
    const DWORD fileSize = ::GetFileSize(file.get(), NULL);
    int64_t excess = int64_t(fileSize) - maxBytes;
    if (excess <= 0) return 0;

    // Walk only sizes that a writer accepts: anything else would slide garbage into place.
    uint32_t dropped = 0;
    while (excess > 0) {
        uint8_t fixed[kRecordFixedSize];
        if (FileAccessor::readAtHandle(file.get(), LONG(kHeaderSize + dropped), fixed, sizeof fixed) != sizeof fixed) {
            errorKind_ = kErrorOther;
            return 0;
        }
        uint32_t size = readRecordSize(fixed);
        if (size < kRecordFixedSize || int64_t(size) > maxBytes - kHeaderSize) {
            errorKind_ = kErrorOther;
            return 0;
        }
        excess -= size;
        dropped += size;
    }
    const uint32_t keepFrom = kHeaderSize + dropped;
    const uint32_t kept = fileSize > keepFrom ? fileSize - keepFrom : 0;
    ByteBuffer data;
    if (kept && !data.allocate(kept)) {
        errorKind_ = kErrorNoMemory;
        return 0;
    }
    if (kept && FileAccessor::readAtHandle(file.get(), LONG(keepFrom), data.data(), kept) != kept) return 0;
    if (kept && FileAccessor::writeAtHandle(file.get(), LONG(kHeaderSize), data.data(), kept) != kept) return 0;
    FileAccessor::cutAtHandle(file.get(), LONG(kHeaderSize + kept));

    header.previousMaxSize = header.maxSize;
    header.usedSize = header.appendOffset = header.tailOffset = kHeaderSize + kept;
    header.maxSize = uint32_t(maxBytes);
    header.firstRecordOffset = kFirstRecordOffset;
    // The last record moves down with the others; one that was dropped leaves no offset.
    header.lastRecordOffset = header.lastRecordOffset >= keepFrom ? header.lastRecordOffset - dropped : 0;
    header.reserved36 = 0;
    if (FileAccessor::writeAtHandle(file.get(), 0, &header, sizeof header) != sizeof header) {
        errorKind_ = kErrorOther;
        return 0;
    }
    return 1;
}

int PrintLogStore::markAllGone() {
    if (!list_.count()) return 0;
    for (LogRecordNode* node = list_.first(); node; node = node->next) node->view.rowState = ROW_GONE;
    return 1;
}

int PrintLogStore::markClosed() {
    int found = 0;
    for (LogRecordNode* node = list_.first(); node; node = node->next) {
        LogRecordView& v = node->view;
        if (!v.record || !(v.record->flags & FLAG_CLOSED)) continue;
        if (v.rowState == ROW_HIDDEN || v.rowState == ROW_GONE) continue;
        found = 1;
        if (!allRecords_) v.rowState = ROW_HIDDEN;
    }
    return found;
}

LogRecordNode* PrintLogStore::findMatchingRow(const LogRecordView& view) const {
    return view.record ? findGoneRow(list_, keyOfView(view)) : nullptr;
}

// Parses the records of data[64 .. bound) and reconciles them with the list: matched
// rows become current or changed, unmatched records new rows at the end. A record whose
// matched row already holds its very bytes is not parsed again.
void PrintLogStore::appendParsedRecords(const uint8_t* data, uint32_t bound, bool matching, MatchIndex* index,
                                        int& result, bool& broken) {
    auto take = [this, index](const MatchKey& key) { return index ? index->take(key) : findGoneRow(list_, key); };
    for (uint32_t pos = kHeaderSize; pos < bound;) {
        // A record must lie whole inside the data before the parser copies it.
        const uint32_t remaining = bound - pos;
        const uint32_t declared = remaining >= sizeof(uint32_t) ? readRecordSize(data + pos) : 0;
        LogRecordNode* match = nullptr;
        const bool keyedRaw =
            matching && declared >= kRecordFixedSize && declared <= kViewerMaxRecordSize && declared <= remaining;
        if (keyedRaw) {
            match = take(keyOfRecord(data + pos, declared));
            if (match && match->view.holdsRecord(data + pos)) {
                match->view.rowState = ROW_CURRENT;
                pos += declared;
                continue;
            }
        }
        LogRecordView temp;
        uint32_t size = 0;
        if (remaining >= sizeof(uint32_t) && declared <= remaining) size = temp.parseRecord(data + pos);
        if (!size) {
            markAllGone();
            removeGoneRows();
            writeDiagnosticLine("Logdata size is broken.\r\n");
            broken = true;
            return;
        }
        if (matching && !keyedRaw) match = take(keyOfView(temp));
        if (match && match->view.sameContent(temp)) {
            match->view.rowState = ROW_CURRENT;
        } else if (match) {
            temp.rowState = ROW_CHANGED;
            match->view.takeFrom(temp);
            result = kLoadChanged;
        } else {
            temp.rowState = ROW_NEW;
            if (!list_.adopt(temp)) {
                // Rows missing without a word would mislead: report the load as failed.
                broken = true;
                return;
            }
            result = kLoadChanged;
        }
        pos += size;
    }
}

int PrintLogStore::load() {
    CriticalSectionLock guard(loadLock_);
    FileAccessor file;
    // The previous load's block is read into again: memory already in place, where a new
    // block of a large log would cost more than reading the file.
    file.lendBlock(static_cast<ByteBuffer&&>(fileBlock_));
    const int result = loadFrom(file);
    fileBlock_ = file.takeBlock();
    return result;
}

int PrintLogStore::loadFrom(FileAccessor& file) {
    file.setName(logPath_.c_str(), FILE_SHARE_READ);
    file.setRetry(kLogRetryLimitMs, kLogRetryStepMs);
    int code = file.verify();
    if (code != kVerifyOk) {
        if (code != kVerifyBusy) markAllGone();
        return code;
    }
    // Verification has just read the whole file into the accessor's cache (under the
    // caller's lock): the records are parsed from there rather than read a second time.
    const uint8_t* data = file.cacheSize() ? file.cache() : nullptr;
    if (!data) {
        markAllGone();
        removeGoneRows();
        return kLoadBroken;
    }
    const size_t cached = file.cacheSize();
    std::memset(&header_, 0, sizeof header_);
    std::memcpy(&header_, data, cached < sizeof header_ ? cached : sizeof header_);
    uint32_t bound = header_.usedSize;
    if (bound > cached) bound = static_cast<uint32_t>(cached);

    const bool reload = list_.count() != 0;
    bool broken = false;
    int result = kLoadChanged;
    if (reload) {
        markAllGone();
        if (bound > kHeaderSize) {
            result = kLoadUnchanged;
            MatchIndex index;
            appendParsedRecords(data, bound, true, index.build(list_) ? &index : nullptr, result, broken);
        }
    } else {
        appendParsedRecords(data, bound, false, nullptr, result, broken);
    }
    if (!broken && markClosed()) result = kLoadChanged;
    return broken ? kLoadBroken : result;
}
