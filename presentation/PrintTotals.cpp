#include "presentation/PrintTotals.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "presentation/LogRecordView.h"

namespace {

const int kCountColumns[] = {kColumnMonoPages, kColumnColourPages, kColumnSheets};

size_t hashOf(const char* text) {
    size_t h = 2166136261u;
    for (; *text; ++text) h = (h ^ static_cast<unsigned char>(*text)) * 16777619u;
    return h;
}

// A count as the list shows it ("%d" of the record's field); a blank cell is 0.
int64_t countValue(const char* text) {
    bool negative = *text == '-';
    if (negative) ++text;
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) value = value * 10 + (*text - '0');
    return negative ? -value : value;
}

}  // namespace

int totalsNameColumn(int grouping) {
    switch (grouping) {
    case kTotalsByPrinter: return kColumnPrinter;
    case kTotalsByRequester: return kColumnRequester;
    default: return kColumnUser;
    }
}

const char* PrintTotals::name(size_t line) const {
    if (line >= lineCount_) return "";
    return reinterpret_cast<const char*>(names_.data()) + lines()[line].nameOffset;
}

int64_t PrintTotals::figure(size_t line, int column) const {
    if (line >= lineCount_ || column <= kTotalsName || column >= kTotalsColumnCount) return 0;
    return lines()[line].figures[column];
}

int64_t PrintTotals::total(int column) const {
    return column > kTotalsName && column < kTotalsColumnCount ? totals_[column] : 0;
}

bool PrintTotals::compute(LogRecordView* const* rows, size_t count, int grouping) {
    lines_.release();
    names_.release();
    lineCount_ = namesUsed_ = 0;
    std::memset(totals_, 0, sizeof totals_);

    // Every row may bring a name of its own: room for that many lines, and an index of
    // line numbers (plus one) twice as large.
    size_t capacity = 16;
    while (capacity < count * 2) capacity *= 2;
    ByteBuffer index;
    size_t mask = capacity - 1;
    if (!index.allocate(capacity * sizeof(size_t)) || !lines_.allocate((count ? count : 1) * sizeof(Line))) {
        lines_.release();
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        if (rows[i] == nullptr || rows[i]->record == nullptr) continue;
        if (!addRow(*rows[i], totalsNameColumn(grouping), index, mask)) {
            lines_.release();
            names_.release();
            lineCount_ = 0;
            std::memset(totals_, 0, sizeof totals_);
            return false;
        }
    }
    sortBy(kTotalsSheets, true);
    return true;
}

bool PrintTotals::addRow(LogRecordView& view, int nameColumn, ByteBuffer& index, size_t& mask) {
    const char* name = view.columnText(nameColumn, nullptr, 0);
    if (name == nullptr) name = "";
    size_t* slots = reinterpret_cast<size_t*>(index.data());
    size_t at = hashOf(name) & mask;
    while (slots[at] != 0 && std::strcmp(this->name(slots[at] - 1), name) != 0) at = (at + 1) & mask;
    if (slots[at] == 0) {
        const size_t length = std::strlen(name) + 1;
        if (namesUsed_ + length > names_.size()) {
            size_t grown = names_.size() < 1024 ? 1024 : names_.size() * 2;
            while (grown < namesUsed_ + length) grown *= 2;
            if (!names_.resize(grown)) return false;
        }
        std::memcpy(names_.data() + namesUsed_, name, length);
        Line& line = lines()[lineCount_];
        std::memset(&line, 0, sizeof line);
        line.nameOffset = namesUsed_;
        namesUsed_ += length;
        slots[at] = ++lineCount_;
    }
    Line& line = lines()[slots[at] - 1];
    int64_t added[kTotalsColumnCount] = {};
    added[kTotalsRows] = 1;
    if (view.record->flags & FLAG_COUNTS_UNCONFIRMED) {
        added[kTotalsUnconfirmed] = 1;
    } else {
        for (int i = 0; i < 3; ++i) added[kTotalsMonoPages + i] = countValue(view.columnText(kCountColumns[i], nullptr, 0));
    }
    for (int column = kTotalsRows; column < kTotalsColumnCount; ++column) {
        line.figures[column] += added[column];
        totals_[column] += added[column];
    }
    return true;
}

void PrintTotals::sortBy(int column, bool descending) {
    if (column < kTotalsName || column >= kTotalsColumnCount) return;
    const char* pool = reinterpret_cast<const char*>(names_.data());
    auto before = [column, pool](const Line& a, const Line& b) {
        if (column == kTotalsName) return ::lstrcmpA(pool + a.nameOffset, pool + b.nameOffset) < 0;
        return a.figures[column] < b.figures[column];
    };
    Line* first = lines();
    if (descending)
        std::stable_sort(first, first + lineCount_, [&before](const Line& a, const Line& b) { return before(b, a); });
    else
        std::stable_sort(first, first + lineCount_, before);
}
