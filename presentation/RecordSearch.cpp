#include "presentation/RecordSearch.h"

#include "presentation/LogRecordView.h"
#include "services/ByteString.h"

namespace {

char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// True when `needle` matches at `text` character by character.
bool matchesAt(const char* text, const char* needle) {
    while (*needle) {
        const size_t want = characterLength(needle);
        if (characterLength(text) != want) return false;
        if (want == 1) {
            if (foldAscii(*text) != foldAscii(*needle)) return false;
        } else if (text[0] != needle[0] || text[1] != needle[1]) {
            return false;
        }
        text += want;
        needle += want;
    }
    return true;
}

}  // namespace

bool containsText(const char* text, const char* needle) {
    if (text == nullptr || needle == nullptr || *needle == '\0') return false;
    for (const char* p = text; *p; p += characterLength(p))
        if (matchesAt(p, needle)) return true;
    return false;
}

bool recordContainsText(const LogRecordView& view, int columns, const char* needle) {
    char jobText[16];
    for (int column = 0; column < columns && column < kListColumnCount; ++column)
        if (containsText(view.columnText(column, jobText, sizeof jobText), needle)) return true;
    return false;
}
