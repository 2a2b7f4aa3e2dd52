#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "services/ByteBuffer.h"

// The bytes of the print log file: a 64-byte header, then records packed end to end.
// All integers little-endian (the only byte order this program runs on).

constexpr char kLogSignature[] = "KQVTLG2";
constexpr uint32_t kHeaderSize = 64;
constexpr uint32_t kRecordFixedSize = 128;
constexpr uint32_t kFirstRecordOffset = kHeaderSize;
// Bounds the viewer's parser accepts; the record writer insists on the fixed part.
constexpr uint32_t kViewerMinRecordSize = 112;
constexpr uint32_t kViewerMaxRecordSize = 5056;
constexpr int kRecordStringCount = 8;

constexpr uint32_t FLAG_COUNTS_UNCONFIRMED = 0x00000001;
constexpr uint32_t FLAG_NO_TRAY = 0x00000100;
constexpr uint32_t FLAG_SENT_ONLY = 0x08000000;
constexpr uint32_t FLAG_NOTICE = 0x40000000;
constexpr uint32_t FLAG_CLOSED = 0x80000000;

constexpr uint32_t kNoticeRecordTag = 0x80000001;
constexpr int kNoticeNotStored = 1;   // a pending record could not be stored
constexpr int kNoticeFileSwitched = 2;  // a broken log was replaced

enum EventKind : int32_t {
    kEventCompleted = 0,
    kEventCompletedWithDeviations = 1,
    kEventAborted = 2,
    kEventError = 3,
    kEventHeld = 4,
    kEventStarted = 5,
};

struct LogFileHeader {
    char signature[8];
    uint32_t usedSize;
    uint32_t maxSize;
    uint32_t appendOffset;
    uint32_t firstRecordOffset;
    uint32_t tailOffset;
    uint32_t previousMaxSize;
    uint32_t lastRecordOffset;
    uint32_t reserved36;
    uint8_t reserved40[24];
};

struct LogRecord {
    uint32_t recordSize;
    uint32_t stringsOffset;
    uint32_t recordTag;
    uint32_t flags;
    SYSTEMTIME eventTime;
    int32_t eventKind;
    uint32_t errorCode;
    uint32_t errorDetail;
    uint32_t fallbackFlags;
    int32_t pagesPrinted;
    int32_t totalPages;
    int32_t sheetsPrinted;
    int32_t copiesPrinted;
    int32_t copiesRequested;
    uint8_t unused68[4];
    uint32_t outputTray;
    uint32_t jobId;
    uint8_t unused80[20];
    uint32_t clearedErrorCode;
    uint8_t unused104[8];
    int32_t monoPages;
    int32_t colourPages;
    uint8_t unused120[8];
};

static_assert(sizeof(LogFileHeader) == 64, "header is 64 bytes");
static_assert(offsetof(LogFileHeader, usedSize) == 8, "");
static_assert(offsetof(LogFileHeader, maxSize) == 12, "");
static_assert(offsetof(LogFileHeader, appendOffset) == 16, "");
static_assert(offsetof(LogFileHeader, firstRecordOffset) == 20, "");
static_assert(offsetof(LogFileHeader, tailOffset) == 24, "");
static_assert(offsetof(LogFileHeader, previousMaxSize) == 28, "");
static_assert(offsetof(LogFileHeader, lastRecordOffset) == 32, "");
static_assert(offsetof(LogFileHeader, reserved36) == 36, "");
static_assert(offsetof(LogFileHeader, reserved40) == 40, "");

static_assert(sizeof(SYSTEMTIME) == 16, "event time is eight u16");
static_assert(sizeof(LogRecord) == kRecordFixedSize, "fixed part is 128 bytes");
static_assert(offsetof(LogRecord, stringsOffset) == 4, "");
static_assert(offsetof(LogRecord, recordTag) == 8, "");
static_assert(offsetof(LogRecord, flags) == 12, "");
static_assert(offsetof(LogRecord, eventTime) == 16, "");
static_assert(offsetof(LogRecord, eventKind) == 32, "");
static_assert(offsetof(LogRecord, errorCode) == 36, "");
static_assert(offsetof(LogRecord, errorDetail) == 40, "");
static_assert(offsetof(LogRecord, fallbackFlags) == 44, "");
static_assert(offsetof(LogRecord, pagesPrinted) == 48, "");
static_assert(offsetof(LogRecord, totalPages) == 52, "");
static_assert(offsetof(LogRecord, sheetsPrinted) == 56, "");
static_assert(offsetof(LogRecord, copiesPrinted) == 60, "");
static_assert(offsetof(LogRecord, copiesRequested) == 64, "");
static_assert(offsetof(LogRecord, outputTray) == 72, "");
static_assert(offsetof(LogRecord, jobId) == 76, "");
static_assert(offsetof(LogRecord, clearedErrorCode) == 100, "");
static_assert(offsetof(LogRecord, monoPages) == 112, "");
static_assert(offsetof(LogRecord, colourPages) == 116, "");

// The eight strings of a record, in file order.
struct RecordStrings {
    const char* text[kRecordStringCount];
};
enum RecordStringIndex {
    kPrinterName, kRequesterName, kDocumentName, kUserName,
    kMatchKey, kTitle, kExtraText, kMessageText,
};

// The recordSize at the start of a record (or any u32 at `p`), read without alignment.
inline uint32_t readRecordSize(const void* p) {
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// True when the NUL-terminated text at the start of `data` is exactly "KQVTLG2"
// (reads at most 8 bytes, never past `size`).
bool hasLogSignature(const void* data, size_t size);

// Header of a new or cleared log: end fields set to `endValue` (64 in every caller).
void makeFreshHeader(LogFileHeader& header, uint32_t maxKb, uint32_t endValue = kHeaderSize);

// Size of a record made here from these strings: fixed part, each string with its NUL,
// one closing NUL, rounded up to a multiple of 4.
uint32_t recordSizeFor(const char* const strings[kRecordStringCount]);

// Builds a record from its fixed part and strings; recordSize and stringsOffset are set here.
bool buildRecord(const LogRecord& fixed, const char* const strings[kRecordStringCount], ByteBuffer& out);

// The notice record this program writes itself (kind 1: not stored, kind 2: file switched).
bool buildNoticeRecord(int noticeKind, const SYSTEMTIME& now, ByteBuffer& out);

// Finds the eight strings of the record in `record[0 .. size)`. The caller guarantees that
// record[size] exists and is 0 (copies are made one byte longer), so a string that runs to
// the end of the record ends there; a stringsOffset at or past the end gives empty strings.
void locateRecordStrings(const uint8_t* record, uint32_t size, RecordStrings& out);
