#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <vector>

#include "framework/ListViewControl.h"
#include "tests/support/RecordBuilder.h"
#include "tests/support/WindowTestSupport.h"
#include "viewer/ListRows.h"

// Find walks the rows from the selection, round the list once, and matches whole
// characters only: "表" ends in the byte of "\", and "表表" holds the bytes of "\表".
TEST(ListRows, FindMatchesWholeCharactersAndGoesRoundOnce) {
    initCommonControlsForTests();
    HostWindow host;
    ListViewControl list(testInstance());
    ASSERT_NE(nullptr, list.create(host.hwnd(), 1002));
    std::vector<std::unique_ptr<LogRecordView>> views;
    views.push_back(buildView(RecordBuilder().document("表表.doc").user("tanaka")));
    views.push_back(buildView(RecordBuilder().document("REPORT.txt").user("ユーザ")));
    views.push_back(buildView(RecordBuilder().document("\\\\share\\a.txt").jobId(4242)));
    for (size_t i = 0; i < views.size(); ++i) {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = int(i);
        item.lParam = reinterpret_cast<LPARAM>(views[i].get());
        ASSERT_EQ(1, list.insertItems(&item, 1));
    }
    struct Case {
        const char* needle;
        int from;
        bool forward;
        int columns;
        int expected;
    } cases[] = {
        {"\\", -1, true, 9, 2},     // not the trail byte of 表
        {"\\表", -1, true, 9, -1},  // not across two characters
        {"\x95", -1, true, 9, -1},   // not half of one (the lead byte of 表)
        {"表.", -1, true, 9, 0},
        {"report", -1, true, 9, 1},  // ASCII case folded
        {"SHARE", 0, true, 9, 2},
        {"ユーザ", 1, true, 9, 1},    // the selected row itself comes last
        {"txt", 2, false, 9, 1},
        {"txt", 1, false, 9, 2},     // round the top to the bottom
        {"tanaka", 0, false, 9, 0},
        {"4242", -1, true, 9, -1},   // the job ID column only when shown
        {"4242", -1, true, 10, 2},
        {"", -1, true, 9, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.needle);
        EXPECT_EQ(c.expected, findListRow(list, c.columns, c.needle, c.from, c.forward));
    }
}
