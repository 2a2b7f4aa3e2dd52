#pragma once
#include <cstddef>
#include <cstdint>

#include "services/ByteBuffer.h"

// A CSV text being built: comma-separated fields, CRLF line ends, RFC 4180 quoting. The
// bytes of a field are taken as they are (code page 932, like every text of the program).
// A failed allocation leaves the text failed(); what was added after it is dropped.
class CsvText {
public:
    CsvText() = default;
    CsvText(const CsvText&) = delete;
    CsvText& operator=(const CsvText&) = delete;

    // A text cell. Names come from whoever prints: a field that begins with "=", "+", "-",
    // "@", a tab or CR gets a leading apostrophe, so that a spreadsheet never runs it as a
    // formula. A field with a comma, a double quote, CR or LF is quoted, its quotes doubled.
    void addText(const char* text);
    // A number cell as the list shows it: a plain decimal number as it is, a blank cell
    // (empty or blanks only) as an empty field. Anything else is not trusted as a number
    // and goes through addText.
    void addNumber(const char* text);
    void addNumber(int64_t value);
    void endLine();

    const uint8_t* data() const { return buffer_.data(); }
    size_t size() const { return used_; }
    bool failed() const { return failed_; }

private:
    void put(const char* bytes, size_t count);
    void startField();

    ByteBuffer buffer_;
    size_t used_ = 0;
    bool lineStarted_ = false;
    bool failed_ = false;
};
