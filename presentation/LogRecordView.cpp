#include "presentation/LogRecordView.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>

#include "presentation/PresentationTexts.h"
#include "presentation/RecordTexts.h"

namespace {

constexpr size_t kDeviationNotesSize = 128;
constexpr size_t kPagesDetailSize = 256;
constexpr uint32_t kCopiesDeviationBit = 0x4;

// Decimal count, or empty when it is unknown (-1).
void formatCount(int32_t value, char* out, size_t size) {
    if (value == -1)
        out[0] = '\0';
    else
        std::snprintf(out, size, "%d", value);
}

// Formats onto the end of a NUL-terminated buffer; output that does not fit is dropped.
void appendFormat(char* out, size_t size, const char* format, ...) {
    const size_t used = std::strlen(out);
    if (used + 1 >= size) return;
    va_list args;
    va_start(args, format);
    std::vsnprintf(out + used, size - used, format, args);
    va_end(args);
}

bool isCompletion(int32_t kind) { return kind == kEventCompleted || kind == kEventCompletedWithDeviations; }

// A completion whose only deviation flag is 1 shows, and is kept, as a plain completion.
void applyKindRule(LogRecord& fixed) {
    if (fixed.eventKind == kEventCompletedWithDeviations && fixed.fallbackFlags == 1) fixed.eventKind = kEventCompleted;
}

}  // namespace

LogRecordView::LogRecordView() : record(nullptr), rowState(0), copySize_(0) {
    clearStrings();
    clearTexts();
}

void LogRecordView::clearStrings() {
    printerName = requesterName = documentName = userName = nullptr;
    matchKey = title = extraText = messageText = nullptr;
}

void LogRecordView::clearTexts() {
    dateText[0] = pagesPrintedText[0] = sheetsText[0] = '\0';
    colourPagesText[0] = monoPagesText[0] = trayText[0] = categoryText[0] = '\0';
}

uint32_t LogRecordView::parseRecord(const void* source) {
    if (!source) return 0;
    const uint32_t size = readRecordSize(source);
    if (size < kViewerMinRecordSize || size > kViewerMaxRecordSize) return 0;
    return parseBytes(static_cast<const uint8_t*>(source), size);
}

uint32_t LogRecordView::parseBytes(const uint8_t* source, uint32_t size) {
    // The copy covers at least the whole fixed part (short records are accepted, and every
    // field is read from the copy) and one zero byte more, which ends a last string that
    // runs to the end of the record. Only `size` bytes are read from the source.
    const size_t capacity = (size < kRecordFixedSize ? kRecordFixedSize : size) + 1;
    ByteBuffer fresh;
    const bool allocated = fresh.allocate(capacity);
    if (allocated) std::memcpy(fresh.data(), source, size);
    // `source` may point into our own copy (assignFrom of itself): release it only now.
    copy_ = std::move(fresh);
    clearStrings();
    clearTexts();
    if (!allocated) {
        record = nullptr;
        copySize_ = 0;
        return 0;
    }
    copySize_ = size;
    LogRecord* fixed = reinterpret_cast<LogRecord*>(copy_.data());
    applyKindRule(*fixed);
    record = fixed;

    RecordStrings strings;
    locateRecordStrings(copy_.data(), size, strings);
    printerName = strings.text[kPrinterName];
    requesterName = strings.text[kRequesterName];
    documentName = strings.text[kDocumentName];
    userName = strings.text[kUserName];
    matchKey = strings.text[kMatchKey];
    title = strings.text[kTitle];
    extraText = strings.text[kExtraText];
    messageText = strings.text[kMessageText];

    formatEventDate(fixed->eventTime, dateText, sizeof dateText);

    if (isNotice()) {
        copyTextCut(categoryText, sizeof categoryText, title);
    } else if (fixed->eventKind == kEventError) {
        ByteString error;
        errorText(*fixed, messageText, kErrorTextList, error);
        copyTextCut(categoryText, sizeof categoryText, error.c_str());
    } else {
        kindName(*fixed, categoryText, sizeof categoryText);
    }

    if (!isNotice()) std::snprintf(pagesPrintedText, sizeof pagesPrintedText, "%d", fixed->pagesPrinted);
    formatCount(fixed->sheetsPrinted, sheetsText, sizeof sheetsText);
    formatCount(fixed->colourPages, colourPagesText, sizeof colourPagesText);
    formatCount(fixed->monoPages, monoPagesText, sizeof monoPagesText);
    if (!isNotice()) formatTrayText(*fixed, trayText, sizeof trayText);
    return size;
}

bool LogRecordView::holdsRecord(const void* source) const {
    if (!record || !source || readRecordSize(source) != copySize_ || copySize_ < kRecordFixedSize) return false;
    const uint8_t* bytes = static_cast<const uint8_t*>(source);
    LogRecord fixed;
    std::memcpy(&fixed, bytes, sizeof fixed);
    applyKindRule(fixed);
    return std::memcmp(&fixed, copy_.data(), sizeof fixed) == 0 &&
           std::memcmp(bytes + sizeof fixed, copy_.data() + sizeof fixed, copySize_ - sizeof fixed) == 0;
}

uint32_t LogRecordView::assignFrom(const LogRecordView& other) {
    clearStrings();
    clearTexts();
    rowState = other.rowState;
    if (!other.record) {
        copy_.release();
        record = nullptr;
        copySize_ = 0;
        return 0;
    }
    return parseBytes(other.copy_.data(), other.copySize_);
}

bool LogRecordView::sameContent(const LogRecordView& other) const {
    if (recordSize() != other.recordSize()) return false;
    if (record && other.record && std::memcmp(copy_.data(), other.copy_.data(), copySize_) != 0) return false;

    const char* const mine[] = {printerName, requesterName, documentName, userName,
                                matchKey, title, extraText, messageText};
    const char* const theirs[] = {other.printerName, other.requesterName, other.documentName, other.userName,
                                  other.matchKey, other.title, other.extraText, other.messageText};
    for (int i = 0; i < kRecordStringCount; ++i)
        if (mine[i] && theirs[i] && std::strcmp(mine[i], theirs[i]) != 0) return false;

    return std::strcmp(dateText, other.dateText) == 0 &&
           std::strcmp(pagesPrintedText, other.pagesPrintedText) == 0 &&
           std::strcmp(sheetsText, other.sheetsText) == 0 &&
           std::strcmp(trayText, other.trayText) == 0 &&
           std::strcmp(categoryText, other.categoryText) == 0;
}

const char* LogRecordView::detailsText() {
    detailsCache_.clear();
    if (!record) return detailsCache_.c_str();
    switch (record->eventKind) {
    case kEventCompletedWithDeviations:
        if (isNotice()) {
            detailsCache_.assign(messageText);
        } else {
            char notes[kDeviationNotesSize];
            if (deviationNotes(record->fallbackFlags, notes, sizeof notes)) detailsCache_.assign(notes);
        }
        break;
    case kEventAborted:
        errorText(*record, messageText, kErrorTextDetails, detailsCache_);
        break;
    default:
        break;
    }
    return detailsCache_.c_str();
}

const char* LogRecordView::dialogCategoryText() {
    dialogCategoryCache_.clear();
    if (record && record->eventKind == kEventError)
        errorText(*record, messageText, kErrorTextDialog, dialogCategoryCache_);
    else
        dialogCategoryCache_.assign(categoryText);
    return dialogCategoryCache_.c_str();
}

const char* LogRecordView::pagesDetailText() {
    pagesDetailCache_.clear();
    if (!record) return pagesDetailCache_.c_str();
    const int32_t kind = record->eventKind;
    const bool sentOnly = (record->flags & FLAG_SENT_ONLY) != 0;

    char text[kPagesDetailSize];
    copyTextCut(text, sizeof text, pagesPrintedText);
    bool bothCopies = false;
    if ((isCompletion(kind) && sentOnly) || kind == kEventError) {
        appendFormat(text, sizeof text, kTotalPagesFormat, record->totalPages);
        bothCopies = true;
    } else if (isCompletion(kind)) {
        bothCopies = (record->fallbackFlags & kCopiesDeviationBit) != 0;
    } else if (kind == kEventAborted || kind == kEventHeld) {
        bothCopies = true;
    }
    if (!isNotice()) appendFormat(text, sizeof text, "%s", kPagesSuffix);
    if (static_cast<uint32_t>(record->copiesRequested) > 1) {
        if (bothCopies)
            appendFormat(text, sizeof text, kCopiesOfFormat, record->copiesPrinted, record->copiesRequested);
        else
            appendFormat(text, sizeof text, kCopiesFormat, record->copiesPrinted);
    }
    if ((record->flags & FLAG_COUNTS_UNCONFIRMED) &&
        (kind == kEventAborted || kind == kEventHeld || (isCompletion(kind) && sentOnly)))
        appendFormat(text, sizeof text, "%s", kNeedsChecking);
    pagesDetailCache_.assign(text);
    return pagesDetailCache_.c_str();
}

const char* LogRecordView::columnText(int column, char* buffer, size_t bufferSize) const {
    if (!record) return "";
    const bool unconfirmed = (record->flags & FLAG_COUNTS_UNCONFIRMED) != 0;
    // Unconfirmed counts show as one blank, which the numeric sort puts below every number.
    switch (column) {
    case kColumnCategory: return categoryText;
    case kColumnDocument: return documentName;
    case kColumnUser: return userName;
    case kColumnMonoPages: return unconfirmed ? " " : monoPagesText;
    case kColumnColourPages: return unconfirmed ? " " : colourPagesText;
    case kColumnSheets: return unconfirmed ? " " : sheetsText;
    case kColumnPrinter: return printerName;
    case kColumnDate: return dateText;
    case kColumnRequester: return requesterName;
    case kColumnJobId:
        if (!buffer || bufferSize == 0) return "";
        std::snprintf(buffer, bufferSize, "%u", record->jobId);
        return buffer;
    default: return "";
    }
}

void LogRecordView::takeFrom(LogRecordView& other) {
    if (&other == this) return;
    // The copy's heap block moves with its ownership, so every pointer into it stays valid.
    copy_ = static_cast<ByteBuffer&&>(other.copy_);
    copySize_ = other.copySize_;
    record = other.record;
    printerName = other.printerName;
    requesterName = other.requesterName;
    documentName = other.documentName;
    userName = other.userName;
    matchKey = other.matchKey;
    title = other.title;
    extraText = other.extraText;
    messageText = other.messageText;
    std::memcpy(dateText, other.dateText, sizeof dateText);
    std::memcpy(pagesPrintedText, other.pagesPrintedText, sizeof pagesPrintedText);
    std::memcpy(sheetsText, other.sheetsText, sizeof sheetsText);
    std::memcpy(colourPagesText, other.colourPagesText, sizeof colourPagesText);
    std::memcpy(monoPagesText, other.monoPagesText, sizeof monoPagesText);
    std::memcpy(trayText, other.trayText, sizeof trayText);
    std::memcpy(categoryText, other.categoryText, sizeof categoryText);
    rowState = other.rowState;
    detailsCache_.clear();
    dialogCategoryCache_.clear();
    pagesDetailCache_.clear();
    other.copySize_ = 0;
    other.clearStrings();
    other.clearTexts();
    other.record = nullptr;
}
