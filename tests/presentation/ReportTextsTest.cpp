#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "presentation/CsvText.h"
#include "presentation/PrintTotals.h"
#include "tests/support/RecordBuilder.h"

namespace {

std::string bytesOf(const CsvText& csv) { return std::string(reinterpret_cast<const char*>(csv.data()), csv.size()); }

TEST(CsvText, FieldsAreQuotedAndGuardedAsSpreadsheetsNeed) {
    // The cell, whether it goes in as a number, and the field written.
    const std::tuple<const char*, bool, const char*> cases[] = {
        {"+81", false, "'+81"},
        {"@cmd", false, "'@cmd"},
        {"\tx", false, "'\tx"},
        {"\rx", false, "\"'\rx\""},
        {"ポ|表,", false, "\"ポ|表,\""},  // trail bytes 0x7C and 0x5C pass as they are
        {"報\x95", false, "報"},         // a lead byte without its trail byte stays out
        {" ", true, ""},
        {"-5", true, "-5"},
        {"=1+1", true, "'=1+1"},
        {"-", true, "'-"},
    };
    for (const auto& [input, number, expected] : cases) {
        CsvText csv;
        number ? csv.addNumber(input) : csv.addText(input);
        EXPECT_EQ(expected, bytesOf(csv)) << input;
    }
    CsvText csv;
    csv.addNumber(INT64_MIN);
    csv.addText("");
    csv.addNumber(int64_t(0));
    csv.endLine();
    EXPECT_EQ("-9223372036854775808,,0\r\n", bytesOf(csv));
}

// Sums of the list's count cells per name, largest sheet total first; an unconfirmed row
// counts as a row to check and adds no pages.
TEST(PrintTotals, SumWhatTheListShowsPerName) {
    std::vector<std::unique_ptr<LogRecordView>> rows;
    auto add = [&rows](const RecordBuilder& r) { rows.push_back(buildView(r)); };
    add(RecordBuilder().kind(0).user("=cmd").printer("A").requester("PC1").colour(10, 2).sheets(6));
    add(RecordBuilder().kind(1).fallbackFlags(0x10002).user("=cmd").printer("A").requester("PC2")
            .colour(3, 1).sheets(2));
    add(RecordBuilder().kind(2).user("表").printer("B").requester("PC1").colour(1, 0).sheets(1));
    add(RecordBuilder().kind(3).errorCode(301).user("=cmd").printer("B").requester("PC1").colour(-1, -1).sheets(-1));
    add(RecordBuilder().kind(4).flags(FLAG_COUNTS_UNCONFIRMED).user("表").printer("A").requester("PC2").colour(7, 7));
    add(RecordBuilder().kind(5).user("表").printer("A").requester("PC1").colour(-1, -1).sheets(-1));
    add(RecordBuilder().kind(0).user("表").printer("B").requester("PC2").colour(-3, 0).sheets(2));
    add(RecordBuilder().kind(1).flags(FLAG_NOTICE).user("").printer("").requester("").colour(-1, -1).sheets(-1));
    std::vector<LogRecordView*> views;
    for (auto& row : rows) views.push_back(row.get());
    const char* const sum = "sum 8 11 3 11 1";
    const std::pair<int, std::vector<std::string>> cases[] = {
        {kTotalsByUser, {"=cmd 3 13 3 8 0", "表 4 -2 0 3 1", " 1 0 0 0 0", sum}},
        {kTotalsByPrinter, {"A 4 13 3 8 1", "B 3 -2 0 3 0", " 1 0 0 0 0", sum}},
        {kTotalsByRequester, {"PC1 4 11 2 7 0", "PC2 3 0 1 4 1", " 1 0 0 0 0", sum}},
    };
    PrintTotals totals;
    for (const auto& [grouping, expected] : cases) {
        ASSERT_TRUE(totals.compute(views.data(), views.size(), grouping));
        std::vector<std::string> lines;
        for (size_t i = 0; i <= totals.lineCount(); ++i) {
            std::string line = i < totals.lineCount() ? totals.name(i) : "sum";
            for (int column = kTotalsRows; column < kTotalsColumnCount; ++column)
                line += " " + std::to_string(i < totals.lineCount() ? totals.figure(i, column) : totals.total(column));
            lines.push_back(line);
        }
        EXPECT_EQ(expected, lines) << grouping;
    }
}

}  // namespace
