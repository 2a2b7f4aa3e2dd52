#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "help/ContextHelp.h"
#include "settings/SettingsDialog.h"
#include "store/PrintLogStore.h"
#include "tests/support/DialogScript.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WindowTestSupport.h"
#include "viewer/FindDialog.h"
#include "viewer/TotalsDialog.h"

namespace {

// Each help call as "file|command|topic"; a call with an owner window is marked.
std::vector<std::string> g_calls;

HWND WINAPI recordHelp(HWND owner, LPCSTR file, UINT command, DWORD_PTR data) {
    const char* topic = reinterpret_cast<const char*>(data);
    g_calls.push_back(std::string(owner ? "owner!" : "") + file + "|" + std::to_string(command) + "|" +
                      (topic ? topic : "default"));
    return reinterpret_cast<HWND>(1);
}

class SettingsOn : public SettingsDialog {
public:
    SettingsOn(PrintLogStore* store, OsVersionCode version) : SettingsDialog(testInstance(), store) {
        setOsVersionCode(version);
    }
};

// Context ID -> the controls that share it.
typedef std::map<DWORD, std::vector<int>> HelpTable;

// Asks for help on every control of the shown dialog, by F1 and by choosing "ヘルプ(&H)" from
// the right-click menu; every control must be in the table and every row on the template.
// The product's help map gives every context a page of its own, so the page tells the context.
void checkEveryControl(HWND dialog, const HelpTable& table, const std::string& helpFile, const HelpMap& map) {
    std::map<int, std::string> expected;
    for (const auto& row : table) {
        const char* topic = findHelpTopic(row.first, &map);
        for (int id : row.second) expected[id] = helpFile + "|0|" + (topic ? topic : "none");
    }
    size_t asked = 0;
    HWND last = NULL;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const int id = ::GetDlgCtrlID(child);
        if (id == 0xFFFF || id == -1) continue;  // separators
        ASSERT_EQ(1u, expected.count(id)) << id << " has no help context";
        g_calls.clear();
        HELPINFO info = {sizeof info, HELPINFO_WINDOW, id, child, 0, {}};
        ::SendMessageA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        ::SetForegroundWindow(dialog);
        for (WPARAM key : {VK_DOWN, VK_RETURN}) ::PostMessageA(dialog, WM_KEYDOWN, key, 0);
        ::SendMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(child), -1);
        EXPECT_EQ(std::vector<std::string>(2, expected[id]), g_calls) << id;
        ++asked;
        last = child;
    }
    EXPECT_EQ(expected.size(), asked) << "a row names no control of the template";
    // The dialog moved left of and above the screen: the click's point is signed.
    RECT at;
    ::SetWindowPos(dialog, NULL, -900, -700, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::GetWindowRect(last, &at);
    g_calls.clear();
    ::PostMessageA(dialog, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageA(dialog, WM_KEYDOWN, VK_RETURN, 0);
    ::SendMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(dialog), MAKELPARAM(at.left + 2, at.top + 2));
    // A control that the table lacks opens the default topic; a dismissed menu nothing.
    HELPINFO info = {sizeof info, HELPINFO_WINDOW, 4242, NULL, 0, {}};
    ::SendMessageA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    ::PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    ::SendMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(last), -1);
    EXPECT_EQ(std::vector<std::string>({expected[::GetDlgCtrlID(last)], helpFile + "|0|default"}), g_calls);
}

TEST(DialogHelp, EveryControlOfEveryDialogOpensTheTopicOfItsContext) {
    initCommonControlsForTests();
    const std::string chm = testBinaryDir() + "KQVTLGVW.CHM";
    const std::string product = productExePath().substr(0, productExePath().rfind('\\') + 1) + "KQVTLGVW.CHM";
    HelpMap map;
    ASSERT_EQ(1, loadHelpMap(std::wstring(product.begin(), product.end()).c_str(), &map));
    // Every context of the windows names a page of its own; 1 and 26 name none.
    std::set<std::string> topics;
    for (DWORD id = 1; id <= 70; ++id) {
        const char* topic = findHelpTopic(id, &map);
        EXPECT_EQ(id > 1 && (id <= 25 || id == 51 || id == 52 || id >= 60), topic != nullptr) << id;
        EXPECT_TRUE(!topic || topics.insert(topic).second) << id << " shares a page";
    }
    TempDir dir;
    PrintLogStore store(dir.file("a.log").c_str(), 500);
    SettingsOn paths(&store, OSVER_XP), files(&store, OSVER_VISTA);
    paths.setHelpMap(&map);
    files.setHelpMap(&map);
    TotalsDialog totals(testInstance(), chm.c_str(), &map);
    FindDialog find(testInstance(), nullptr, chm.c_str(), &map);
    const HelpTable size = {{5, {1000, 1002, 1003, 1004}}, {8, {1}}, {9, {2}}};
    HelpTable pathTable = size, fileTable = size;
    pathTable.insert({{6, {1001, 1005}}, {7, {1006}}, {10, {1007}}});
    fileTable.insert({{51, {1046, 1009}}, {52, {1047, 1048}}, {10, {1008}}});
    const struct {
        DialogBase* dialog;
        HelpTable table;
    } cases[] = {
        {&paths, pathTable},
        {&files, fileTable},
        {&totals, {{63, {1110, 1111, 1112, 1113}}, {64, {1114}}, {65, {1115}}, {66, {2}}}},
        {&find, {{67, {1120, 1121}}, {68, {1122}}, {69, {1123}}, {70, {2}}}},
    };
    HtmlHelpHook previous = setHtmlHelpHook(recordHelp);
    HostWindow owner;
    for (const auto& c : cases) {
        EXPECT_EQ(IDCANCEL, showScripted(*c.dialog, owner.hwnd(), {[&](HWND hwnd) {
                      checkEveryControl(hwnd, c.table, chm, map);
                      ::EndDialog(hwnd, IDCANCEL);
                  }}));
    }
    setHtmlHelpHook(previous);
    freeHelpMap(&map);
}

}  // namespace
