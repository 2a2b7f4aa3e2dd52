// Floor of the viewer's open: a bare report list view with the product's nine columns,
// filled with the given number of rows (texts shaped like the log's) while its redraw is
// off, then shown; it answers messages until it is closed.
//
//   floor_listview ROWS
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kColumns = 9;
constexpr UINT kListId = 1002;
const char* const kHeaders[kColumns] = {"c0", "c1", "c2", "c3", "c4", "c5", "c6", "c7", "c8"};

LRESULT CALLBACK floorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        ::MoveWindow(::GetDlgItem(hwnd, kListId), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

void fill(HWND list, int rows) {
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (int row = 0; row < rows; ++row) {
        char document[32], date[32];
        std::snprintf(document, sizeof document, "document-%06d.docx", row + 1);
        std::snprintf(date, sizeof date, "2024/05/%02d  %02d:%02d:%02d", 1 + row % 28, row % 24, row % 60,
                      (row / 60) % 60);
        const char* texts[kColumns] = {"印刷完了", document, "tanaka", "3", "0", "3",
                                       "NORVALE QV-2810 PCL", date, "PC-SALES-01"};
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = row;
        item.pszText = const_cast<char*>(texts[0]);
        item.lParam = row + 1;
        int at = static_cast<int>(::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        for (int column = 1; column < kColumns && at >= 0; ++column) {
            LVITEMA cell = {};
            cell.iSubItem = column;
            cell.pszText = const_cast<char*>(texts[column]);
            ::SendMessageA(list, LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&cell));
        }
    }
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    const int rows = __argc > 1 ? std::atoi(__argv[1]) : 0;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = floorProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "KqvtFloorList";
    if (!::RegisterClassExA(&windowClass)) return 1;
    HWND main = ::CreateWindowExA(0, "KqvtFloorList", "floor", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL, instance, NULL);
    if (!main) return 1;
    HWND list = ::CreateWindowExA(0, WC_LISTVIEWA, "",
                                  WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                                      LVS_SHOWSELALWAYS,
                                  0, 0, 0, 0, main, reinterpret_cast<HMENU>(kListId), instance, NULL);
    ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    for (int column = 0; column < kColumns; ++column) {
        LVCOLUMNA header = {};
        header.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        header.cx = 100;
        header.pszText = const_cast<char*>(kHeaders[column]);
        header.iSubItem = column;
        ::SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&header));
    }
    fill(list, rows);
    RECT client;
    ::GetClientRect(main, &client);
    ::MoveWindow(list, 0, 0, client.right, client.bottom, TRUE);
    ::ShowWindow(main, showCommand);
    ::UpdateWindow(main);
    MSG msg;
    while (::GetMessageA(&msg, NULL, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}
