#pragma once
#include <cstddef>
#include <cstdint>

#include "services/ByteBuffer.h"

class LogRecordView;

// What the totals are grouped by: the list column of the name.
enum TotalsGrouping : int { kTotalsByUser = 0, kTotalsByPrinter = 1, kTotalsByRequester = 2 };

// Columns of a totals line: the name, then the five figures.
enum TotalsColumn : int {
    kTotalsName = 0,
    kTotalsRows,         // rows of the name
    kTotalsMonoPages,    // sums of list columns 3 to 5
    kTotalsColourPages,
    kTotalsSheets,
    kTotalsUnconfirmed,  // rows whose counts are unconfirmed
};
constexpr int kTotalsColumnCount = 6;

// The list column that holds a grouping's names (the user's for an unknown grouping).
int totalsNameColumn(int grouping);

// Print totals per user, printer or requester: exactly the sums of the numbers the main
// list shows in its count columns for the given rows, so that any figure can be checked
// by hand. A blank cell counts 0; a row with unconfirmed counts adds to the row count and
// to kTotalsUnconfirmed only. Names are copied, so the totals outlive the rows.
class PrintTotals {
public:
    PrintTotals() = default;
    PrintTotals(const PrintTotals&) = delete;
    PrintTotals& operator=(const PrintTotals&) = delete;

    // Replaces the totals by those of `rows` (null entries and views without a record are
    // skipped), sorted by kTotalsSheets, largest first. False when memory ran out (the
    // totals are then empty).
    bool compute(LogRecordView* const* rows, size_t count, int grouping);
    // Orders the lines by one column: names by lstrcmpA (as the main list compares text),
    // figures by value. Lines that compare equal keep their order.
    void sortBy(int column, bool descending);

    size_t lineCount() const { return lineCount_; }
    const char* name(size_t line) const;
    int64_t figure(size_t line, int column) const;
    // The figure summed over every line.
    int64_t total(int column) const;

private:
    struct Line {
        size_t nameOffset;
        int64_t figures[kTotalsColumnCount];  // index 0 unused
    };
    Line* lines() const { return reinterpret_cast<Line*>(const_cast<uint8_t*>(lines_.data())); }
    bool addRow(LogRecordView& view, int nameColumn, ByteBuffer& index, size_t& mask);

    ByteBuffer lines_;
    size_t lineCount_ = 0;
    ByteBuffer names_;
    size_t namesUsed_ = 0;
    int64_t totals_[kTotalsColumnCount] = {};
};
