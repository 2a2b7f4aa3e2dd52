#include "store/LogFormat.h"

#include <cstring>

#include "store/StoreTexts.h"

bool hasLogSignature(const void* data, size_t size) {
    if (!data || size < sizeof kLogSignature) return false;
    return std::memcmp(data, kLogSignature, sizeof kLogSignature) == 0;
}

void makeFreshHeader(LogFileHeader& header, uint32_t maxKb, uint32_t endValue) {
    std::memset(&header, 0, sizeof header);
    std::memcpy(header.signature, kLogSignature, sizeof kLogSignature);
    header.usedSize = header.appendOffset = header.tailOffset = endValue;
    header.maxSize = header.previousMaxSize = maxKb * 1024;
    header.firstRecordOffset = kFirstRecordOffset;
}

uint32_t recordSizeFor(const char* const strings[kRecordStringCount]) {
    size_t size = kRecordFixedSize + 1;
    for (int i = 0; i < kRecordStringCount; ++i) size += std::strlen(strings[i] ? strings[i] : "") + 1;
    return static_cast<uint32_t>((size + 3) & ~static_cast<size_t>(3));
}

bool buildRecord(const LogRecord& fixed, const char* const strings[kRecordStringCount], ByteBuffer& out) {
    const uint32_t size = recordSizeFor(strings);
    if (!out.allocate(size)) return false;
    LogRecord head = fixed;
    head.recordSize = size;
    head.stringsOffset = kRecordFixedSize;
    std::memcpy(out.data(), &head, sizeof head);
    uint8_t* p = out.data() + kRecordFixedSize;
    for (int i = 0; i < kRecordStringCount; ++i) {
        const char* s = strings[i] ? strings[i] : "";
        const size_t n = std::strlen(s) + 1;
        std::memcpy(p, s, n);
        p += n;
    }
    return true;
}

bool buildNoticeRecord(int noticeKind, const SYSTEMTIME& now, ByteBuffer& out) {
    const char* title = noticeKind == kNoticeFileSwitched ? kNoticeTitleSwitched : kNoticeTitleNotStored;
    const char* message = noticeKind == kNoticeFileSwitched ? kNoticeMessageSwitched : kNoticeMessageNotStored;
    const char* strings[kRecordStringCount] = {" ", " ", " ", " ", " ", title, " ", message};
    LogRecord fixed;
    std::memset(&fixed, 0, sizeof fixed);
    fixed.recordTag = kNoticeRecordTag;
    fixed.flags = FLAG_NOTICE;
    fixed.eventTime = now;
    fixed.eventKind = kEventCompletedWithDeviations;
    fixed.pagesPrinted = fixed.totalPages = fixed.sheetsPrinted = -1;
    fixed.monoPages = fixed.colourPages = -1;
    return buildRecord(fixed, strings, out);
}

void locateRecordStrings(const uint8_t* record, uint32_t size, RecordStrings& out) {
    const char* end = reinterpret_cast<const char*>(record) + size;  // *end == 0
    uint32_t offset = size;
    if (size >= offsetof(LogRecord, stringsOffset) + sizeof offset)
        std::memcpy(&offset, record + offsetof(LogRecord, stringsOffset), sizeof offset);
    const char* p = offset < size ? reinterpret_cast<const char*>(record) + offset : end;
    for (int i = 0; i < kRecordStringCount; ++i) {
        out.text[i] = p;
        while (p < end && *p != '\0') ++p;
        if (p < end) ++p;
    }
}
