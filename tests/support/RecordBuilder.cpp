#include "tests/support/RecordBuilder.h"

#include <cstring>

RecordBuilder::RecordBuilder() {
    std::memset(&fixed_, 0, sizeof fixed_);
    time(2026, 4, 1, 9, 5, 7);
    fixed_.pagesPrinted = fixed_.totalPages = 1;
    fixed_.sheetsPrinted = 1;
    fixed_.copiesPrinted = fixed_.copiesRequested = 1;
    fixed_.monoPages = 1;
    fixed_.colourPages = 0;
    fixed_.outputTray = 1;
    fixed_.jobId = 1;
    strings_[kPrinterName] = "NORVALE QV-2810";
    strings_[kRequesterName] = "PC01";
    strings_[kDocumentName] = "report.txt";
    strings_[kUserName] = "user1";
}

RecordBuilder& RecordBuilder::time(int year, int month, int day, int hour, int minute, int second, int ms) {
    SYSTEMTIME& t = fixed_.eventTime;
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDayOfWeek = 0;
    t.wDay = static_cast<WORD>(day);
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(minute);
    t.wSecond = static_cast<WORD>(second);
    t.wMilliseconds = static_cast<WORD>(ms);
    return *this;
}

std::vector<uint8_t> RecordBuilder::build() const {
    const char* strings[kRecordStringCount];
    for (int i = 0; i < kRecordStringCount; ++i) strings[i] = strings_[i].c_str();
    ByteBuffer record;
    buildRecord(fixed_, strings, record);
    std::vector<uint8_t> bytes(record.data(), record.data() + record.size());
    if (padTo_ > bytes.size()) {
        bytes.resize(padTo_, 0);
        uint32_t size = padTo_;
        std::memcpy(bytes.data(), &size, sizeof size);
    }
    return bytes;
}

std::vector<uint8_t> buildLogFile(const std::vector<std::vector<uint8_t>>& records, uint32_t maxKb) {
    LogFileHeader header;
    makeFreshHeader(header, maxKb);
    std::vector<uint8_t> file(reinterpret_cast<uint8_t*>(&header), reinterpret_cast<uint8_t*>(&header) + sizeof header);
    uint32_t last = 0;
    for (const auto& r : records) {
        last = static_cast<uint32_t>(file.size());
        file.insert(file.end(), r.begin(), r.end());
    }
    LogFileHeader* h = reinterpret_cast<LogFileHeader*>(file.data());
    h->usedSize = h->appendOffset = h->tailOffset = static_cast<uint32_t>(file.size());
    h->lastRecordOffset = last;
    return file;
}

std::unique_ptr<LogRecordView> buildView(const RecordBuilder& record) {
    std::unique_ptr<LogRecordView> view(new LogRecordView);
    std::vector<uint8_t> bytes = record.build();
    view->parseRecord(bytes.data());
    return view;
}
