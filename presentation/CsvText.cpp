#include "presentation/CsvText.h"

#include <windows.h>

#include <cstring>

#include "services/ByteString.h"

namespace {

bool needsFormulaGuard(char first) {
    return first == '=' || first == '+' || first == '-' || first == '@' || first == '\t' || first == '\r';
}

bool needsQuotes(const char* text) {
    // A byte scan is enough: no trail byte of a double-byte code page lies below 0x40, so
    // these bytes are always characters of their own.
    return std::strpbrk(text, ",\"\r\n") != nullptr;
}

bool isBlank(const char* text) {
    for (; *text; ++text)
        if (*text != ' ') return false;
    return true;
}

bool isPlainNumber(const char* text) {
    if (*text == '-') ++text;
    if (*text < '0' || *text > '9') return false;
    for (; *text; ++text)
        if (*text < '0' || *text > '9') return false;
    return true;
}

}  // namespace

void CsvText::put(const char* bytes, size_t count) {
    if (failed_ || count == 0) return;
    if (used_ + count > buffer_.size()) {
        size_t grown = buffer_.size() < 4096 ? 4096 : buffer_.size();
        while (grown < used_ + count) grown *= 2;
        if (!buffer_.resize(grown)) {
            failed_ = true;
            used_ = 0;
            return;
        }
    }
    std::memcpy(buffer_.data() + used_, bytes, count);
    used_ += count;
}

void CsvText::startField() {
    if (lineStarted_) put(",", 1);
    lineStarted_ = true;
}

void CsvText::addText(const char* text) {
    startField();
    if (text == nullptr || *text == '\0') return;
    // A lead byte cut from its trail byte would take the delimiter after it: it stays out.
    const char* end = text;
    while (*end && !(::IsDBCSLeadByte(BYTE(*end)) && end[1] == '\0')) end += characterLength(end);
    const bool quoted = needsQuotes(text);
    if (quoted) put("\"", 1);
    if (needsFormulaGuard(*text)) put("'", 1);
    for (const char* p = text; p < end;) {
        const char* quote = static_cast<const char*>(std::memchr(p, '"', size_t(end - p)));
        size_t run = quote != nullptr ? size_t(quote - p) + 1 : size_t(end - p);
        put(p, run);
        if (quote != nullptr) put("\"", 1);
        p += run;
    }
    if (quoted) put("\"", 1);
}

void CsvText::addNumber(const char* text) {
    if (text == nullptr || isBlank(text)) {
        startField();
        return;
    }
    if (!isPlainNumber(text)) {
        addText(text);
        return;
    }
    startField();
    put(text, std::strlen(text));
}

void CsvText::addNumber(int64_t value) {
    char digits[24];
    size_t at = sizeof digits;
    digits[--at] = '\0';
    // Negated digit by digit, so that the smallest value does not overflow.
    const bool negative = value < 0;
    do {
        int digit = int(value % 10);
        digits[--at] = char('0' + (digit < 0 ? -digit : digit));
        value /= 10;
    } while (value != 0);
    if (negative) digits[--at] = '-';
    startField();
    put(digits + at, sizeof digits - 1 - at);
}

void CsvText::endLine() {
    put("\r\n", 2);
    lineStarted_ = false;
}
