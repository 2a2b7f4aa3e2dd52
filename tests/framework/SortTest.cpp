#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/ListViewControl.h"
#include "tests/support/WindowTestSupport.h"

namespace {

constexpr int kColumns = 10;

// A list view like the main list: ten columns, one selection, rows carrying distinct data.
class SortTest : public ::testing::Test {
protected:
    void SetUp() override {
        initCommonControlsForTests();
        ASSERT_NE(nullptr, host.hwnd());
        ASSERT_NE(nullptr, list.create(host.hwnd(), 1002));
        list.addStyle(LVS_SINGLESEL);
        LVCOLUMNA columns[kColumns] = {};
        for (LVCOLUMNA& c : columns) {
            c.mask = LVCF_WIDTH | LVCF_TEXT;
            c.cx = 60;
            c.pszText = const_cast<char*>("列");
        }
        ASSERT_EQ(kColumns, list.insertColumns(columns, kColumns, 0));
    }

    // Row i shows "row<i>" in column 0 and `cells[i]` in `column`; its data is 1000 + i.
    void addRows(int column, const std::vector<std::string>& cells) {
        for (size_t i = 0; i < cells.size(); ++i) {
            std::string name = "row" + std::to_string(i);
            LVITEMA item = {};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = static_cast<int>(i);
            item.pszText = const_cast<char*>(name.c_str());
            item.lParam = static_cast<LPARAM>(1000 + i);
            ASSERT_EQ(1, list.insertItems(&item, 1));
            item.mask = LVIF_TEXT;
            item.iSubItem = column;
            item.pszText = const_cast<char*>(cells[i].c_str());
            if (column != 0) {
                ASSERT_EQ(1, list.setItems(&item, 1));
            }
        }
    }

    std::string cell(int row, int column) {
        char text[ListViewControl::kSortTextCapacity] = "";
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        ::SendMessageA(list.hwnd(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }

    std::vector<std::string> columnTexts(int column) {
        std::vector<std::string> out;
        for (int row = 0; row < list.itemCount(); ++row) out.push_back(cell(row, column));
        return out;
    }

    // Every row still shows its own texts after the sort: column 0 names the row's data.
    void expectRowsIntact() {
        for (int row = 0; row < list.itemCount(); ++row)
            ASSERT_EQ("row" + std::to_string(list.itemData(row) - 1000), cell(row, 0)) << "row " << row;
    }

    HostWindow host;
    ListViewControl list{testInstance()};
};

TEST_F(SortTest, OrdersByTextOrNumberInTheColumnsDirection) {
    struct Case {
        const char* what;
        int column;
        UINT kind;
        int directionOp;
        std::vector<std::string> cells;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"dates as text, newest first", 7, 0, 3,
         {"2023/01/05  09:59:59", "2024/02/29  00:00:00", "2022/12/31  23:59:59", "2023/01/05  10:00:00"},
         {"2024/02/29  00:00:00", "2023/01/05  10:00:00", "2023/01/05  09:59:59", "2022/12/31  23:59:59"}},
        {"dates as text, oldest first", 7, 0, 0,
         {"2023/01/05  09:59:59", "2024/02/29  00:00:00", "2022/12/31  23:59:59"},
         {"2022/12/31  23:59:59", "2023/01/05  09:59:59", "2024/02/29  00:00:00"}},
        // The user's word order, not the byte order: "abc" before "ABD" before "Abe".
        {"text by lstrcmpA", 1, 0, 0, {"Abe", "ABD", "abc"}, {"abc", "ABD", "Abe"}},
        {"digits as text", 2, 0, 0, {"3", "12", "100"}, {"100", "12", "3"}},
        {"blank below every number, empty as 0", 3, 1, 0, {"12", "3", " ", ""}, {" ", "", "3", "12"}},
        {"numbers descending", 3, 1, 1, {"12", "3", " ", "", "0"}, {"12", "3", "", "0", " "}},
        {"sign and trailing text", 4, 1, 0, {"7ページ", " ", "-5", "0"}, {"-5", " ", "0", "7ページ"}},
        {"job IDs beyond 31 bits", 9, 1, 0,
         {"3000000000", "5", "4294967295", "2147483648"},
         {"5", "2147483648", "3000000000", "4294967295"}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(list.deleteAllItems());
        addRows(c.column, c.cells);
        EXPECT_TRUE(list.sortByColumn(c.column, c.kind, c.directionOp)) << c.what;
        std::vector<std::string> got = columnTexts(c.column);
        if (c.kind == 1 && c.directionOp == 1) {
            // "" and "0" are equal: their order is the list view's.
            ASSERT_EQ(c.expected.size(), got.size()) << c.what;
            EXPECT_EQ("12", got[0]);
            EXPECT_EQ("3", got[1]);
            EXPECT_EQ(" ", got[4]);
        } else {
            EXPECT_EQ(c.expected, got) << c.what;
        }
        expectRowsIntact();
        EXPECT_EQ(c.kind, list.sortEntryFor(c.column)->compareKind) << c.what;
    }
}

TEST_F(SortTest, EachColumnKeepsItsOwnDirection) {
    // Column 5 (sheets, numeric) and column 7 (date, text) in opposite orders, so that every
    // sort shows which way it went.
    const std::vector<std::string> sheets = {"1", "2", "3"};
    const std::vector<std::string> dates = {"2024/01/03  00:00:00", "2024/01/02  00:00:00", "2024/01/01  00:00:00"};
    addRows(5, sheets);
    for (int row = 0; row < 3; ++row) {
        LVITEMA item = {};
        item.iSubItem = 7;
        item.pszText = const_cast<char*>(dates[row].c_str());
        ::SendMessageA(list.hwnd(), LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    }

    struct Step {
        const char* what;
        int column;
        UINT kind;
        int directionOp;
        UINT direction;          // the column's direction afterwards
        const char* firstSheets; // column 5 of the top row afterwards
    };
    const Step steps[] = {
        {"refresh before any click: newest first", 7, 0, 3, 1, "1"},
        {"first click on the date: ascending", 7, 0, 2, 0, "3"},
        {"second click on the date: descending", 7, 0, 2, 1, "1"},
        {"first click on sheets starts from its own direction", 5, 1, 2, 0, "1"},
        {"refresh keeps the sheets direction", 5, 1, 3, 0, "1"},
        {"any other operation keeps it too", 5, 1, -1, 0, "1"},
        {"operation 1 sets descending", 5, 1, 1, 1, "3"},
        {"operation 0 sets ascending", 5, 1, 0, 0, "1"},
        {"the date kept its own direction", 7, 0, 3, 1, "1"},
    };
    for (const Step& s : steps) {
        EXPECT_TRUE(list.sortByColumn(s.column, s.kind, s.directionOp)) << s.what;
        EXPECT_EQ(s.direction, list.sortEntryFor(s.column)->direction) << s.what;
        EXPECT_EQ(s.firstSheets, cell(0, 5)) << s.what;
    }
    EXPECT_EQ(1u, list.sortEntryFor(7)->direction);
    EXPECT_EQ(0u, list.sortEntryFor(5)->direction);
    expectRowsIntact();
}

TEST_F(SortTest, NothingHappensWithoutAnEntryOrAWindow) {
    addRows(3, {"2", "1"});
    EXPECT_FALSE(list.sortByColumn(kColumns, 1, 0));
    EXPECT_FALSE(list.sortByColumn(-1, 1, 0));
    EXPECT_EQ((std::vector<std::string>{"2", "1"}), columnTexts(3));
    for (int i = 0; i < kColumns; ++i) EXPECT_EQ(1u, list.sortEntries()[i].direction);

    ListViewControl unbound(testInstance());
    EXPECT_FALSE(unbound.sortByColumn(0, 0, 2));
    ListViewControl noColumns(testInstance());
    ASSERT_NE(nullptr, noColumns.create(host.hwnd(), 1003));
    EXPECT_FALSE(noColumns.sortByColumn(0, 0, 2));
}

// The reference: every cell compared as the rule says, by a plain sort of the texts.
int referenceValue(const std::string& text) { return text[0] == ' ' ? 0 : std::atoi(text.c_str()) + 1; }

TEST_F(SortTest, ALargeListSortsLikeAStraightforwardSort) {
    // 4000 rows with many equal cells: a text column of names and dates, a numeric column
    // with blanks, empty cells and numbers followed by text.
    const int kRows = 4000;
    std::vector<std::string> names, counts;
    unsigned seed = 12345;
    auto next = [&seed] { seed = seed * 1103515245u + 12345u; return (seed >> 16) & 0x7FFF; };
    const char* const words[] = {"見積書", "report", "Report", "請求書", "議事録", "a", "ｱﾝｹｰﾄ", "Zeta"};
    for (int i = 0; i < kRows; ++i) {
        names.push_back(std::string(words[next() % 8]) + std::to_string(next() % 50));
        unsigned n = next() % 60;
        counts.push_back(n == 0 ? " " : n == 1 ? "" : n == 2 ? "0" : std::to_string(n * 7) + (n % 5 ? "" : "ページ"));
    }
    addRows(1, names);
    for (int row = 0; row < kRows; ++row) {
        LVITEMA item = {};
        item.iSubItem = 3;
        item.pszText = const_cast<char*>(counts[row].c_str());
        ::SendMessageA(list.hwnd(), LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    }

    struct Case {
        int column;
        UINT kind;
        int directionOp;
        bool descending;
    };
    const Case cases[] = {{1, 0, 0, false}, {1, 0, 1, true}, {3, 1, 0, false}, {3, 1, 1, true}};
    for (const Case& c : cases) {
        std::vector<std::string> expected = c.column == 1 ? names : counts;
        std::stable_sort(expected.begin(), expected.end(), [&](const std::string& a, const std::string& b) {
            int r = c.kind == 1 ? referenceValue(a) - referenceValue(b) : ::lstrcmpA(a.c_str(), b.c_str());
            return c.descending ? r > 0 : r < 0;
        });
        ASSERT_TRUE(list.sortByColumn(c.column, c.kind, c.directionOp));
        std::vector<std::string> got = columnTexts(c.column);
        if (c.kind == 1) {
            // Equal values ("" and "0") may stand in either order: compare the values.
            ASSERT_EQ(expected.size(), got.size());
            for (size_t i = 0; i < got.size(); ++i)
                ASSERT_EQ(referenceValue(expected[i]), referenceValue(got[i])) << "row " << i;
        } else {
            EXPECT_EQ(expected, got) << "column " << c.column << (c.descending ? " descending" : " ascending");
        }
        expectRowsIntact();
    }
}

}  // namespace
