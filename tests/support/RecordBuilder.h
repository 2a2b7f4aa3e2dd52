#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "presentation/LogRecordView.h"
#include "store/LogFormat.h"

// Builds one log record for a test: RecordBuilder().kind(3).errorCode(300).message("...").
class RecordBuilder {
public:
    RecordBuilder();
    RecordBuilder& kind(int32_t v) { fixed_.eventKind = v; return *this; }
    RecordBuilder& flags(uint32_t v) { fixed_.flags = v; return *this; }
    RecordBuilder& errorCode(uint32_t v) { fixed_.errorCode = v; return *this; }
    RecordBuilder& errorDetail(uint32_t v) { fixed_.errorDetail = v; return *this; }
    RecordBuilder& fallbackFlags(uint32_t v) { fixed_.fallbackFlags = v; return *this; }
    RecordBuilder& pages(int32_t printed, int32_t total) { fixed_.pagesPrinted = printed; fixed_.totalPages = total; return *this; }
    RecordBuilder& sheets(int32_t v) { fixed_.sheetsPrinted = v; return *this; }
    RecordBuilder& copies(int32_t printed, int32_t requested) { fixed_.copiesPrinted = printed; fixed_.copiesRequested = requested; return *this; }
    RecordBuilder& colour(int32_t mono, int32_t colour) { fixed_.monoPages = mono; fixed_.colourPages = colour; return *this; }
    RecordBuilder& tray(uint32_t v) { fixed_.outputTray = v; return *this; }
    RecordBuilder& jobId(uint32_t v) { fixed_.jobId = v; return *this; }
    RecordBuilder& clearedErrorCode(uint32_t v) { fixed_.clearedErrorCode = v; return *this; }
    RecordBuilder& time(int year, int month, int day, int hour, int minute, int second, int ms = 0);
    RecordBuilder& text(int index, const std::string& s) { strings_[index] = s; return *this; }
    RecordBuilder& printer(const std::string& s) { return text(kPrinterName, s); }
    RecordBuilder& requester(const std::string& s) { return text(kRequesterName, s); }
    RecordBuilder& document(const std::string& s) { return text(kDocumentName, s); }
    RecordBuilder& user(const std::string& s) { return text(kUserName, s); }
    RecordBuilder& matchKey(const std::string& s) { return text(kMatchKey, s); }
    RecordBuilder& title(const std::string& s) { return text(kTitle, s); }
    RecordBuilder& message(const std::string& s) { return text(kMessageText, s); }
    // Pads the record with zero bytes up to exactly `size` (must not be smaller than the content).
    RecordBuilder& padTo(uint32_t size) { padTo_ = size; return *this; }

    const LogRecord& fixed() const { return fixed_; }
    std::vector<uint8_t> build() const;

private:
    LogRecord fixed_;
    std::string strings_[kRecordStringCount];
    uint32_t padTo_ = 0;
};

// A whole log file: fresh header for `maxKb`, the records appended, end fields set.
std::vector<uint8_t> buildLogFile(const std::vector<std::vector<uint8_t>>& records, uint32_t maxKb = 500);

// The record parsed into a view, as the viewer holds it.
std::unique_ptr<LogRecordView> buildView(const RecordBuilder& record);
