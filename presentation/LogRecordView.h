#pragma once
#include <cstddef>
#include <cstdint>

#include "presentation/KindPresentation.h"
#include "services/ByteBuffer.h"
#include "services/ByteString.h"
#include "store/LogFormat.h"

// Columns of the main list, in order; the job ID column is shown only in all-records mode.
enum ListColumn {
    kColumnCategory = 0,
    kColumnDocument,
    kColumnUser,
    kColumnMonoPages,
    kColumnColourPages,
    kColumnSheets,
    kColumnPrinter,
    kColumnDate,
    kColumnRequester,
    kColumnJobId,
};
constexpr int kListColumnCount = 10;

// One log record as the viewer holds it: an owned copy of the record, pointers to its
// strings and the texts of its fields. The pointers are valid as long as the copy, that is
// until the next parse or the end of the view.
class LogRecordView {
public:
    LogRecordView();
    ~LogRecordView() = default;
    LogRecordView(const LogRecordView&) = delete;
    LogRecordView& operator=(const LogRecordView&) = delete;

    // Copies the record at `source` (recordSize bytes, nothing beyond) and derives every
    // stored text. Returns recordSize, or 0 for a null record, a size outside 112..5056
    // (the view is then left as it was) or a failed allocation (the view then has no record).
    uint32_t parseRecord(const void* source);
    // Empties this view, parses the other view's copy and takes its row state.
    uint32_t assignFrom(const LogRecordView& other);
    // Takes over the other view's copy, pointers, texts and row state without parsing
    // again; the other view is left empty.
    void takeFrom(LogRecordView& other);
    // True when both views show the same record (bytes, strings and texts).
    bool sameContent(const LogRecordView& other) const;
    // True when parsing the record at `source` (recordSize bytes) would give this view's
    // record: the same size and bytes, the kind taken as the parse rewrites it. A reload
    // keeps such a row as it is without parsing the record again.
    bool holdsRecord(const void* source) const;

    // Texts built on request for the details dialog; each pointer stays valid until the same
    // operation runs again on this view.
    const char* detailsText();
    const char* dialogCategoryText();
    const char* pagesDetailText();

    // Text of list column 0..9. The job ID (column 9) is formatted into `buffer`; every other
    // column points into the view. Unknown columns and an empty view give "".
    const char* columnText(int column, char* buffer, size_t bufferSize) const;
    // List image of this view's kind.
    int imageIndex() const { return record ? kindImageIndex(static_cast<uint32_t>(record->eventKind)) : 0; }

    // The copied record bytes (recordSize of them), with the kind rewritten as the view shows it.
    const uint8_t* recordBytes() const { return record ? copy_.data() : nullptr; }
    uint32_t recordSize() const { return record ? copySize_ : 0; }

    static int kindImageIndex(uint32_t eventKind) { return ::kindImageIndex(eventKind); }
    static uint32_t kindIconId(uint32_t eventKind) { return ::kindIconId(eventKind); }

    // The fixed part of the copy; null until a parse succeeds. Copies of 112 to 127 bytes
    // are zero-filled up to the full fixed part, so every field may be read.
    const LogRecord* record;
    const char* printerName;
    const char* requesterName;
    const char* documentName;
    const char* userName;
    const char* matchKey;
    const char* title;
    const char* extraText;
    const char* messageText;

    char dateText[24];
    char pagesPrintedText[16];
    char sheetsText[16];
    char colourPagesText[16];
    char monoPagesText[16];
    char trayText[24];
    char categoryText[64];

    // Owned and interpreted by the log list and the list window.
    int32_t rowState;

private:
    void clearTexts();
    void clearStrings();
    uint32_t parseBytes(const uint8_t* source, uint32_t size);
    bool isNotice() const { return (record->flags & FLAG_NOTICE) != 0; }

    ByteBuffer copy_;
    uint32_t copySize_;
    ByteString detailsCache_;
    ByteString dialogCategoryCache_;
    ByteString pagesDetailCache_;
};
