// Benchmark of the list ordering: ListViewControl::sortByColumn, which reads every row's cell
// once before the list view sorts, against the comparison that finds both rows with
// LVM_FINDITEMA and reads their cells again at every call. Both sort the same rows from the
// same starting order, by a text column (date and time) and by a numeric column (pages);
// the orders they produce are compared too.
//
//   bench_sort [rows]      (default 4000)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/ListViewControl.h"

namespace {

constexpr int kColumns = 10;
constexpr int kDateColumn = 7;
constexpr int kMonoColumn = 3;

double nowMs() {
    static LARGE_INTEGER freq = [] { LARGE_INTEGER f; ::QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1000.0 / double(freq.QuadPart);
}

struct Row {
    std::string cells[kColumns];
};

std::vector<Row> makeRows(int count) {
    std::vector<Row> rows(count);
    unsigned seed = 20240305;
    auto next = [&seed] { seed = seed * 1103515245u + 12345u; return (seed >> 16) & 0x7FFF; };
    char text[64];
    for (int i = 0; i < count; ++i) {
        Row& r = rows[i];
        r.cells[0] = next() % 7 == 0 ? "用紙がありません" : "印刷完了";
        std::snprintf(text, sizeof text, "document-%05u.docx", next());
        r.cells[1] = text;
        r.cells[2] = "user" + std::to_string(next() % 40);
        unsigned pages = next() % 200;
        r.cells[3] = pages % 50 == 0 ? " " : std::to_string(pages);
        r.cells[4] = std::to_string(next() % 20);
        r.cells[5] = std::to_string(pages / 2);
        r.cells[6] = "NORVALE QV-2810 PCL";
        std::snprintf(text, sizeof text, "%4d/%02d/%02d  %02d:%02d:%02d", 2020 + next() % 6, 1 + next() % 12,
                      1 + next() % 28, next() % 24, next() % 60, next() % 60);
        r.cells[7] = text;
        r.cells[8] = "PC-SALES-" + std::to_string(next() % 30);
        r.cells[9] = std::to_string(next() * 7919u);
    }
    return rows;
}

void fill(ListViewControl& list, const std::vector<Row>& rows) {
    list.deleteAllItems();
    for (size_t i = 0; i < rows.size(); ++i) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(rows[i].cells[0].c_str());
        item.lParam = static_cast<LPARAM>(i + 1);
        list.insertItems(&item, 1);
        for (int c = 1; c < kColumns; ++c) {
            LVITEMA sub = {};
            sub.iSubItem = c;
            sub.pszText = const_cast<char*>(rows[i].cells[c].c_str());
            ::SendMessageA(list.hwnd(), LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&sub));
        }
    }
}

// The comparison as first written: find each row by its data from the top, read its cell.
struct SearchContext {
    HWND list;
    int column;
    UINT kind;
    UINT direction;
};

int findAndRead(HWND list, LPARAM data, int column, char* buffer) {
    LVFINDINFOA find = {};
    find.flags = LVFI_PARAM;
    find.lParam = data;
    int index = static_cast<int>(::SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
    buffer[0] = '\0';
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = ListViewControl::kSortTextCapacity;
    ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return index;
}

int CALLBACK searchingCompare(LPARAM first, LPARAM second, LPARAM contextParam) {
    const SearchContext& c = *reinterpret_cast<const SearchContext*>(contextParam);
    static char a[ListViewControl::kSortTextCapacity], b[ListViewControl::kSortTextCapacity];
    findAndRead(c.list, first, c.column, a);
    findAndRead(c.list, second, c.column, b);
    int result;
    if (c.kind == 1) {
        int va = a[0] == ' ' ? 0 : std::atoi(a) + 1;
        int vb = b[0] == ' ' ? 0 : std::atoi(b) + 1;
        result = va - vb;
    } else {
        result = ::lstrcmpA(a, b);
    }
    return c.direction == 1 ? -result : result;
}

std::vector<std::string> columnTexts(ListViewControl& list, int column) {
    std::vector<std::string> out;
    char text[ListViewControl::kSortTextCapacity];
    for (int row = 0; row < list.itemCount(); ++row) {
        text[0] = '\0';
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        ::SendMessageA(list.hwnd(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        out.push_back(text);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    int count = argc > 1 ? std::atoi(argv[1]) : 4000;
    if (count <= 0) count = 4000;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    HINSTANCE instance = ::GetModuleHandleA(NULL);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = "KqvtBenchSort";
    ::RegisterClassA(&wc);
    HWND host = ::CreateWindowExA(0, wc.lpszClassName, "bench", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, NULL, NULL,
                                  instance, NULL);
    ListViewControl list(instance);
    if (host == NULL || list.create(host, 1002) == NULL) {
        std::printf("bench_sort: no list view (error %lu)\n", ::GetLastError());
        return 1;
    }
    LVCOLUMNA columns[kColumns] = {};
    for (LVCOLUMNA& c : columns) {
        c.mask = LVCF_WIDTH;
        c.cx = 80;
    }
    list.insertColumns(columns, kColumns, 0);

    std::vector<Row> rows = makeRows(count);
    std::printf("bench_sort: %d rows\n", count);
    struct Run {
        const char* name;
        int column;
        UINT kind;
    };
    const Run runs[] = {{"date (text)", kDateColumn, 0}, {"monochrome pages (number)", kMonoColumn, 1}};
    int status = 0;
    for (const Run& run : runs) {
        fill(list, rows);
        double t0 = nowMs();
        list.sortByColumn(run.column, run.kind, 0);
        double tableMs = nowMs() - t0;
        std::vector<std::string> tableOrder = columnTexts(list, run.column);

        fill(list, rows);
        SearchContext context = {list.hwnd(), run.column, run.kind, 0};
        t0 = nowMs();
        ::SendMessageA(list.hwnd(), LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context),
                       reinterpret_cast<LPARAM>(&searchingCompare));
        double searchMs = nowMs() - t0;
        std::vector<std::string> searchOrder = columnTexts(list, run.column);

        bool same = tableOrder == searchOrder;
        if (!same) status = 2;
        std::printf("  %-26s sortByColumn %9.1f ms   search per comparison %9.1f ms   x%.0f   %s\n", run.name,
                    tableMs, searchMs, tableMs > 0 ? searchMs / tableMs : 0.0, same ? "same order" : "ORDER DIFFERS");
    }
    ::DestroyWindow(host);
    return status;
}
