#include "store/LogWriter.h"

#include <cstddef>
#include <cstring>

#include "diagnostics/DiagLog.h"
#include "services/ByteBuffer.h"
#include "store/FileAccessor.h"
#include "store/LogFormat.h"

namespace {

constexpr int kJobStringCount = 5;  // printer, requester, document, user, match key

// A record's strings, located within a zero-terminated copy of the record.
struct StringsCopy {
    ByteBuffer bytes;
    RecordStrings strings;
    bool make(const uint8_t* record, uint32_t size) {
        if (!bytes.allocate(size_t(size) + 1)) return false;
        std::memcpy(bytes.data(), record, size);
        locateRecordStrings(bytes.data(), size, strings);
        return true;
    }
};

bool sameJobStrings(const RecordStrings& a, const RecordStrings& b) {
    for (int i = 0; i < kJobStringCount; ++i)
        if (::lstrcmpiA(a.text[i], b.text[i]) != 0) return false;
    return true;
}

ULONGLONG eventTimeValue(const SYSTEMTIME& t) {
    FILETIME ft;
    if (!::SystemTimeToFileTime(&t, &ft)) return 0;
    return (ULONGLONG(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

}  // namespace

int compareEventTimes(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    ULONGLONG x = eventTimeValue(a), y = eventTimeValue(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

bool isStorableRecord(const uint8_t* record, uint32_t length) {
    if (!record || length < kRecordFixedSize) return false;
    const LogRecord* r = reinterpret_cast<const LogRecord*>(record);
    uint32_t size = r->recordSize;
    if (size < kRecordFixedSize || size > kViewerMaxRecordSize || size > length) return false;
    return r->stringsOffset < size;
}

int writeLogFile(HANDLE file, const uint8_t* record, uint32_t length, uint32_t maxKb) {
    DiagLog diag(kDiagLogName, kDiagKindProgram);
    diag.readTraceSettings();

    LogFileHeader header;
    std::memset(&header, 0, sizeof header);
    DWORD got = FileAccessor::readAtHandle(file, 0, &header, sizeof header);
    if (!hasLogSignature(&header, got)) {
        diag.write(1, "Log File Invalid.\r\n");
        return kWriteBadSignature;
    }
    if (got < sizeof header) return kWriteFileBroken;

    // A pending record that the viewer could not read, or that would make the next
    // writer call the whole file broken, is never appended: a notice takes its place.
    if (!isStorableRecord(record, length)) return kWriteNotStored;

    const int64_t maxBytes = int64_t(maxKb > 0x3FFFFF ? 0x3FFFFF : maxKb) * 1024;
    const uint32_t size = reinterpret_cast<const LogRecord*>(record)->recordSize;
    if (int64_t(size) > maxBytes - kHeaderSize) return kWriteNotStored;

    DWORD fileSize = ::GetFileSize(file, NULL);
    if (fileSize == INVALID_FILE_SIZE) return kWriteFileBroken;

    // The records, read once; validation and the closing rule run in memory so that a
    // broken file is left exactly as it was found (it becomes the backup).
    const uint32_t dataSize = fileSize > kHeaderSize ? fileSize - kHeaderSize : 0;
    ByteBuffer data;
    if (dataSize && !data.allocate(dataSize)) {
        diag.write(1, "Memory alloc error from writeLogFile.\r\n");
        return kWriteNoMemory;
    }
    const uint32_t available = dataSize ? FileAccessor::readAtHandle(file, kHeaderSize, data.data(), dataSize) : 0;

    StringsCopy fresh;
    if (!fresh.make(record, size)) {
        diag.write(1, "Memory alloc error from writeLogFile.\r\n");
        return kWriteNoMemory;
    }
    LogRecord* freshRecord = reinterpret_cast<LogRecord*>(fresh.bytes.data());

    auto validSizeAt = [&](uint64_t pos, uint32_t& recordSize) {
        if (pos + kRecordFixedSize > available) return false;
        recordSize = readRecordSize(data.data() + pos);
        return recordSize >= kRecordFixedSize && int64_t(recordSize) <= maxBytes - kHeaderSize;
    };

    // Drop from the front until the new record fits.
    int64_t excess = int64_t(size) + int64_t(kHeaderSize) + int64_t(dataSize) - maxBytes;
    uint64_t pos = 0;
    while (excess > 0) {
        uint32_t recordSize;
        if (!validSizeAt(pos, recordSize)) return kWriteFileBroken;
        excess -= recordSize;
        pos += recordSize;
    }
    const uint64_t keepStart = pos;

    // Walk the kept records; remember which ones the closing rule changes.
    ByteBuffer changedMarks;
    bool anyChanged = false;
    while (pos < dataSize) {
        uint32_t recordSize;
        if (!validSizeAt(pos, recordSize)) return kWriteFileBroken;
        if (pos + recordSize > available) return kWriteFileBroken;
        LogRecord* kept = reinterpret_cast<LogRecord*>(data.data() + pos);
        if (kept->eventKind == kEventError && !(kept->flags & FLAG_CLOSED) &&
            kept->jobId == freshRecord->jobId) {
            StringsCopy keptStrings;
            if (!keptStrings.make(data.data() + pos, recordSize)) {
                diag.write(1, "Memory alloc error from writeLogFile.\r\n");
                return kWriteNoMemory;
            }
            if (sameJobStrings(keptStrings.strings, fresh.strings)) {
                if (compareEventTimes(kept->eventTime, freshRecord->eventTime) < 0) {
                    kept->flags |= FLAG_CLOSED;
                    if (freshRecord->eventKind != kEventError) {
                        kept->clearedErrorCode = kept->errorCode;
                        kept->errorCode = 0;
                    }
                    if (changedMarks.empty() && !changedMarks.allocate(dataSize / kRecordFixedSize + 1)) {
                        diag.write(1, "Memory alloc error from writeLogFile.\r\n");
                        return kWriteNoMemory;
                    }
                    changedMarks.data()[pos / kRecordFixedSize] = 1;
                    anyChanged = true;
                } else {
                    freshRecord->flags |= FLAG_CLOSED;
                }
            }
        }
        pos += recordSize;
    }

    // Write back only what moved or changed: everything kept when records were dropped,
    // otherwise just the fixed parts that the closing rule touched.
    const uint32_t keptBytes = keepStart < dataSize ? uint32_t(dataSize - keepStart) : 0;
    if (keepStart > 0) {
        if (keptBytes && FileAccessor::writeAtHandle(file, kHeaderSize, data.data() + keepStart, keptBytes) != keptBytes)
            return kWriteNotStored;
    } else if (anyChanged) {
        for (uint32_t at = 0; at < dataSize;) {
            uint32_t recordSize = readRecordSize(data.data() + at);
            if (changedMarks.data()[at / kRecordFixedSize] &&
                FileAccessor::writeAtHandle(file, LONG(kHeaderSize + at), data.data() + at, kRecordFixedSize) != kRecordFixedSize)
                return kWriteNotStored;
            at += recordSize;
        }
    }

    const uint32_t writePos = kHeaderSize + keptBytes;
    FileAccessor::cutAtHandle(file, LONG(writePos));
    if (FileAccessor::writeAtHandle(file, LONG(writePos), fresh.bytes.data(), size) != size) return kWriteShortWrite;

    const uint32_t end = writePos + size;
    header.previousMaxSize = header.maxSize;
    header.usedSize = header.appendOffset = header.tailOffset = end;
    header.maxSize = uint32_t(maxBytes);
    header.firstRecordOffset = kFirstRecordOffset;
    header.lastRecordOffset = writePos;
    header.reserved36 = 0;
    if (FileAccessor::writeAtHandle(file, 0, &header, sizeof header) != sizeof header) return kWriteShortWrite;
    return kWriteStored;
}
