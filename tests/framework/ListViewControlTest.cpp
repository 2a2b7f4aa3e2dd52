#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "framework/ListViewControl.h"
#include "tests/support/WindowTestSupport.h"

namespace {

class ListViewControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        initCommonControlsForTests();
        ASSERT_NE(nullptr, host.hwnd());
        ASSERT_NE(nullptr, list.create(host.hwnd(), 1002));
        list.addStyle(LVS_SINGLESEL);
        ::MoveWindow(list.hwnd(), 0, 0, 600, 300, FALSE);
    }
    int insertColumns(const char* const* headers, int count, int first) {
        LVCOLUMNA columns[4] = {};
        for (int i = 0; i < count; ++i) {
            columns[i].mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
            columns[i].cx = 50;
            columns[i].pszText = const_cast<char*>(headers[i]);
        }
        return list.insertColumns(columns, count, first);
    }
    void addRows(int count) {
        for (int i = 0; i < count; ++i) {
            LVITEMA item = {};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = i;
            item.pszText = const_cast<char*>("行");
            item.lParam = 11 * (i + 1);
            ASSERT_EQ(1, list.insertItems(&item, 1));
        }
    }
    HostWindow host;
    ListViewControl list{testInstance()};
};

TEST_F(ListViewControlTest, ReportViewWithASortEntryPerInsertedColumn) {
    EXPECT_EQ(LVS_REPORT, ::GetWindowLongPtrA(list.hwnd(), GWL_STYLE) & LVS_TYPEMASK);
    EXPECT_EQ(nullptr, list.create(host.hwnd(), 1003));
    EXPECT_EQ(0, list.columnCount());

    const char* const first[] = {"分類", "文書名", "ユーザ名"};
    EXPECT_EQ(3, insertColumns(first, 3, 0));
    const char* const more[] = {"モノクロ印刷ページ", "ジョブID"};
    EXPECT_EQ(2, insertColumns(more, 2, 7));  // beyond the end: appended
    EXPECT_EQ(5, list.columnCount());
    ASSERT_EQ(5, list.sortEntryCount());
    for (int i = 0; i < 5; ++i) {
        const ListViewControl::SortEntry& e = list.sortEntries()[i];
        EXPECT_EQ(list.hwnd(), e.list);
        EXPECT_EQ(i, e.column);
        EXPECT_EQ(0u, e.compareKind);  // text
        EXPECT_EQ(1u, e.direction);    // descending
    }
    EXPECT_EQ(&list.sortEntries()[4], list.sortEntryFor(4));
    EXPECT_EQ(nullptr, list.sortEntryFor(5));

    // Widths travel as their low 16 bits.
    EXPECT_TRUE(list.setColumnWidth(1, 0x10000 + 120));
    EXPECT_EQ(120, list.columnWidth(1));
    EXPECT_EQ(-1, list.columnWidth(-1));
    int narrow = list.stringWidth("ユーザ名");
    EXPECT_GT(narrow, 0);
    EXPECT_GT(list.stringWidth("モノクロ印刷ページ"), narrow);
    EXPECT_EQ(0, list.stringWidth(nullptr));
}

TEST_F(ListViewControlTest, RowsAreFoundByTheirData) {
    const char* const headers[] = {"分類", "文書名"};
    insertColumns(headers, 2, 0);
    addRows(3);
    EXPECT_EQ(3, list.itemCount());
    EXPECT_EQ(22, list.itemData(1));
    EXPECT_EQ(0, list.itemData(-1));
    EXPECT_EQ(0, list.itemData(7));
    EXPECT_EQ(2, list.findItemByData(33, -1));
    EXPECT_EQ(0, list.findItemByData(11, -1));
    EXPECT_EQ(-1, list.findItemByData(11, 0));  // the start row itself is not searched
    EXPECT_EQ(-1, list.findItemByData(0, -1));
    EXPECT_EQ(-1, list.findItemByData(44, -1));

    LVITEMA cell = {};
    cell.mask = LVIF_TEXT;
    cell.iItem = 2;
    cell.iSubItem = 1;
    cell.pszText = const_cast<char*>("報告書.doc");
    EXPECT_EQ(1, list.setItems(&cell, 1));
    char text[32] = {};
    cell.pszText = text;
    cell.cchTextMax = sizeof text;
    ASSERT_TRUE(list.getItem(&cell));
    EXPECT_STREQ("報告書.doc", text);

    EXPECT_FALSE(list.deleteItem(-1));
    EXPECT_EQ(3, list.itemCount());
    EXPECT_TRUE(list.deleteItem(0));
    EXPECT_EQ(22, list.itemData(0));
    EXPECT_TRUE(list.deleteAllItems());
    EXPECT_EQ(0, list.itemCount());
}

TEST_F(ListViewControlTest, SelectionAddressesRowZeroRatherThanEveryRow) {
    MessageSpy spy(list.hwnd());
    EXPECT_EQ(-1, list.selectedIndex());
    list.selectItem(3);  // empty list: row 0
    list.selectItem(-1);
    addRows(3);
    EXPECT_EQ(0, list.selectedData());
    EXPECT_TRUE(list.selectItem(2));
    EXPECT_EQ(2, list.selectedIndex());
    EXPECT_EQ(2, list.focusedIndex());
    EXPECT_EQ(33, list.selectedData());
    EXPECT_EQ(33, list.focusedData());
    EXPECT_TRUE(list.selectItem(-4));
    EXPECT_EQ(0, list.selectedIndex());
    EXPECT_EQ(0, list.focusedIndex());

    std::vector<LoggedMessage> sets = spy.received(LVM_SETITEMSTATE);
    ASSERT_EQ(4u, sets.size());
    const WPARAM expected[] = {0, 0, 2, 0};
    for (size_t i = 0; i < sets.size(); ++i) EXPECT_EQ(expected[i], sets[i].wParam) << "call " << i;
}

TEST_F(ListViewControlTest, ExtendedStylesAreTheListViewsOwn) {
    LONG_PTR windowExStyle = ::GetWindowLongPtrA(list.hwnd(), GWL_EXSTYLE);
    list.setExStyle(LVS_EX_GRIDLINES);
    list.addExStyle(LVS_EX_FULLROWSELECT | LVS_EX_REGIONAL);
    list.removeExStyle(LVS_EX_GRIDLINES);
    EXPECT_EQ(static_cast<LRESULT>(LVS_EX_FULLROWSELECT | LVS_EX_REGIONAL),
              ::SendMessageA(list.hwnd(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_EQ(windowExStyle, ::GetWindowLongPtrA(list.hwnd(), GWL_EXSTYLE));

    HIMAGELIST images = ::ImageList_Create(16, 16, ILC_COLOR4 | ILC_MASK, 2, 2);
    ASSERT_NE(nullptr, images);
    EXPECT_EQ(nullptr, list.setImageList(NULL, LVSIL_SMALL));
    list.setImageList(images, LVSIL_SMALL);
    EXPECT_EQ(reinterpret_cast<LRESULT>(images), ::SendMessageA(list.hwnd(), LVM_GETIMAGELIST, LVSIL_SMALL, 0));
}

TEST(ListViewControl, WithoutAWindowEveryQueryFails) {
    ListViewControl none(testInstance());
    EXPECT_EQ(-1, none.columnWidth(0));
    EXPECT_EQ(-1, none.columnCount());
    EXPECT_EQ(0, none.itemCount());
    EXPECT_EQ(-1, none.selectedIndex());
    EXPECT_EQ(-1, none.focusedIndex());
    EXPECT_EQ(0, none.selectedData());
    EXPECT_EQ(-1, none.findItemByData(5, -1));
    EXPECT_EQ(0, none.stringWidth("x"));
    EXPECT_FALSE(none.selectItem(0));
    LVCOLUMNA column = {};
    EXPECT_EQ(0, none.insertColumns(&column, 1, 0));
    EXPECT_EQ(0, none.sortEntryCount());
}

}  // namespace
