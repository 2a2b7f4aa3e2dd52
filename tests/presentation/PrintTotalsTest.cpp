#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "presentation/PrintTotals.h"
#include "tests/support/RecordBuilder.h"
#include "viewer/CsvExport.h"

namespace {

struct Line {
    std::string name;
    int64_t rows, mono, colour, sheets, unconfirmed;
};

// Every kind, blank counts, a negative count, an unconfirmed row and a notice.
std::vector<std::unique_ptr<LogRecordView>> sampleRows() {
    std::vector<std::unique_ptr<LogRecordView>> rows;
    auto add = [&rows](const RecordBuilder& r) { rows.push_back(buildView(r)); };
    add(RecordBuilder().kind(0).user("=cmd").printer("A").requester("PC1").colour(10, 2).sheets(6));
    add(RecordBuilder().kind(1).fallbackFlags(0x00010002).user("=cmd").printer("A").requester("PC2").colour(3, 1).sheets(2));
    add(RecordBuilder().kind(2).user("suzuki").printer("B").requester("PC1").colour(1, 0).sheets(1));
    add(RecordBuilder().kind(3).errorCode(301).message("jam").user("=cmd").printer("B").requester("PC1").colour(-1, -1).sheets(-1));
    add(RecordBuilder().kind(4).flags(FLAG_COUNTS_UNCONFIRMED).user("suzuki").printer("A").requester("PC2").colour(7, 7).sheets(7));
    add(RecordBuilder().kind(5).user("suzuki").printer("A").requester("PC1").colour(-1, -1).sheets(-1));
    add(RecordBuilder().kind(0).user("suzuki").printer("B").requester("PC2").colour(-3, 0).sheets(2));
    add(RecordBuilder().kind(1).flags(FLAG_NOTICE).user("").printer("").requester("").colour(-1, -1).sheets(-1));
    return rows;
}

std::vector<Line> linesOf(const PrintTotals& totals) {
    std::vector<Line> lines;
    for (size_t i = 0; i < totals.lineCount(); ++i)
        lines.push_back({totals.name(i), totals.figure(i, kTotalsRows), totals.figure(i, kTotalsMonoPages),
                         totals.figure(i, kTotalsColourPages), totals.figure(i, kTotalsSheets),
                         totals.figure(i, kTotalsUnconfirmed)});
    lines.push_back({"sum", totals.total(kTotalsRows), totals.total(kTotalsMonoPages),
                     totals.total(kTotalsColourPages), totals.total(kTotalsSheets), totals.total(kTotalsUnconfirmed)});
    return lines;
}

void expectLines(const std::vector<Line>& expected, const std::vector<Line>& actual) {
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(expected[i].name, actual[i].name);
        EXPECT_EQ((std::vector<int64_t>{expected[i].rows, expected[i].mono, expected[i].colour, expected[i].sheets,
                                        expected[i].unconfirmed}),
                  (std::vector<int64_t>{actual[i].rows, actual[i].mono, actual[i].colour, actual[i].sheets,
                                        actual[i].unconfirmed}));
    }
}

}  // namespace

// Sums of the list's count cells per name, largest sheet total first; an unconfirmed row
// counts as a row to check and adds no pages.
TEST(PrintTotals, SumWhatTheListShowsPerName) {
    auto rows = sampleRows();
    std::vector<LogRecordView*> views;
    for (auto& row : rows) views.push_back(row.get());
    const Line sum = {"sum", 8, 11, 3, 11, 1};
    struct Case {
        int grouping;
        std::vector<Line> expected;
    } cases[] = {
        {kTotalsByUser, {{"=cmd", 3, 13, 3, 8, 0}, {"suzuki", 4, -2, 0, 3, 1}, {"", 1, 0, 0, 0, 0}, sum}},
        {kTotalsByPrinter, {{"A", 4, 13, 3, 8, 1}, {"B", 3, -2, 0, 3, 0}, {"", 1, 0, 0, 0, 0}, sum}},
        {kTotalsByRequester, {{"PC1", 4, 11, 2, 7, 0}, {"PC2", 3, 0, 1, 4, 1}, {"", 1, 0, 0, 0, 0}, sum}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.grouping);
        PrintTotals totals;
        ASSERT_TRUE(totals.compute(views.data(), views.size(), c.grouping));
        expectLines(c.expected, linesOf(totals));
    }

    PrintTotals totals;
    ASSERT_TRUE(totals.compute(views.data(), views.size(), kTotalsByUser));
    totals.sortBy(kTotalsMonoPages, false);
    EXPECT_EQ("suzuki", std::string(totals.name(0)));

    CsvText csv;
    ASSERT_TRUE(buildTotalsCsv(totals, kTotalsByUser, csv));
    EXPECT_EQ("ユーザ名,件数,モノクロ印刷ページ,カラー印刷ページ,総印刷枚数,要確認\r\n"
              "suzuki,4,-2,0,3,1\r\n,1,0,0,0,0\r\n'=cmd,3,13,3,8,0\r\n合計,8,11,3,11,1\r\n",
              std::string(reinterpret_cast<const char*>(csv.data()), csv.size()));
}
