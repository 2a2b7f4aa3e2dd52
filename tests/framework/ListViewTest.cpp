#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <tuple>
#include <vector>

#include "framework/ListViewControl.h"
#include "tests/support/WindowTestSupport.h"

namespace {

// A list view like the main list: ten columns, one selection, rows carrying distinct data.
class ListViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        initCommonControlsForTests();
        ASSERT_NE(nullptr, list.create(host.hwnd(), 1002));
        list.addStyle(LVS_SINGLESEL);
        LVCOLUMNA columns[10] = {};
        for (LVCOLUMNA& c : columns) c.mask = LVCF_WIDTH;
        ASSERT_EQ(3, list.insertColumns(columns, 3, 0));
        ASSERT_EQ(7, list.insertColumns(columns, 7, 20));  // beyond the end: appended
    }
    // Row i shows `cells[i]` in `column` and "row<i>" in column 0; its data is 1000 + i.
    void addRows(int column, const std::vector<std::string>& cells) {
        ASSERT_TRUE(list.deleteAllItems());
        for (size_t i = 0; i < cells.size(); ++i) {
            std::string name = "row" + std::to_string(i);
            LVITEMA item = {};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = static_cast<int>(i);
            item.pszText = &name[0];
            item.lParam = static_cast<LPARAM>(1000 + i);
            ASSERT_EQ(1, list.insertItems(&item, 1));
            ListView_SetItemText(list.hwnd(), static_cast<int>(i), column, const_cast<char*>(cells[i].c_str()));
        }
    }
    std::string cell(int row, int column) {
        char text[600] = "";
        ListView_GetItemText(list.hwnd(), row, column, text, sizeof text);
        return text;
    }
    std::vector<std::string> column(int index) {
        std::vector<std::string> out;
        for (int row = 0; row < list.itemCount(); ++row) {
            EXPECT_EQ("row" + std::to_string(list.itemData(row) - 1000), cell(row, 0));
            out.push_back(cell(row, index));
        }
        return out;
    }
    HostWindow host;
    ListViewControl list{testInstance()};
};

TEST_F(ListViewTest, ColumnsRowsAndSelection) {
    EXPECT_EQ(LVS_REPORT, ::GetWindowLongPtrA(list.hwnd(), GWL_STYLE) & LVS_TYPEMASK);
    EXPECT_EQ(10, list.columnCount());
    ASSERT_EQ(10, list.sortEntryCount());
    EXPECT_TRUE(list.setColumnWidth(1, 0x10000 + 120));  // widths travel as their low 16 bits
    EXPECT_EQ(120, list.columnWidth(1));
    EXPECT_EQ(-1, list.columnWidth(-1));

    MessageSpy spy(list.hwnd());
    list.selectItem(3);  // empty list: row 0, never -1 (every row)
    addRows(1, {"a", "b", "c"});
    EXPECT_EQ(-1, list.selectedIndex());
    EXPECT_TRUE(list.selectItem(2));
    EXPECT_EQ(1002, list.selectedData());
    EXPECT_TRUE(list.selectItem(-4));
    EXPECT_EQ(0, list.focusedIndex());
    std::vector<LoggedMessage> sets = spy.received(LVM_SETITEMSTATE);
    ASSERT_EQ(3u, sets.size());
    EXPECT_EQ(0u, sets[0].wParam + sets[2].wParam);

    EXPECT_EQ(2, list.findItemByData(1002, -1));
    EXPECT_EQ(-1, list.findItemByData(1000, 0));  // the start row itself is not searched
    EXPECT_EQ(-1, list.findItemByData(0, -1));
    EXPECT_FALSE(list.deleteItem(-1));
}

TEST_F(ListViewTest, SortsByTextOrNumberInEachColumnsOwnDirection) {
    // The column, its compare kind, the direction operation, the cells and their new order.
    const std::tuple<int, UINT, int, std::vector<std::string>, std::vector<std::string>> cases[] = {
        {7, 0, 3, {"2023/01/05  09:59:59", "2024/02/29  00:00:00", "2023/01/05  10:00:00"},
         {"2024/02/29  00:00:00", "2023/01/05  10:00:00", "2023/01/05  09:59:59"}},  // newest first
        {1, 0, 2, {"Abe", "ABD", "abc"}, {"abc", "ABD", "Abe"}},  // the user's word order, not bytes
        {2, 0, 0, {"3", "12", "100"}, {"100", "12", "3"}},
        {3, 1, 0, {"12", "3", " ", ""}, {" ", "", "3", "12"}},  // blank below every number, empty as 0
        {5, 1, 1, {"3", " ", "12", "-2"}, {"12", "3", " ", "-2"}},  // " " is 0, "-2" is -1
        {4, 1, 0, {"7ページ", " ", "-5", "0"}, {"-5", " ", "0", "7ページ"}},
        {9, 1, 0, {"3000000000", "5", "4294967295", "2147483648"}, {"5", "2147483648", "3000000000", "4294967295"}},
        {5, 1, -1, {"1", "2"}, {"2", "1"}},  // other operations keep the column's direction
        {7, 0, 2, {"2024/02/29  00:00:00", "2023/01/05  09:59:59"},
         {"2023/01/05  09:59:59", "2024/02/29  00:00:00"}},  // column 7 kept its own direction
    };
    for (const auto& [index, kind, directionOp, cells, expected] : cases) {
        addRows(index, cells);
        EXPECT_TRUE(list.sortByColumn(index, kind, directionOp));
        EXPECT_EQ(expected, column(index)) << "column " << index;
        EXPECT_EQ(kind, list.sortEntryFor(index)->compareKind);
    }
    EXPECT_FALSE(list.sortByColumn(10, 1, 0));
}

}  // namespace
