#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "help/AboutDialog.h"
#include "help/ContextHelp.h"
#include "help/HelpTexts.h"
#include "resources/AboutDialogIds.h"
#include "services/VersionStrings.h"
#include "store/PrintLogStore.h"
#include "tests/support/TestGuard.h"
#include "tests/support/DialogScript.h"
#include "tests/support/TestEnvironment.h"
#include "viewer/FindDialog.h"
#include "viewer/LogInfoDialog.h"
#include "viewer/TotalsDialog.h"

namespace {

// Small help files, some edited into malformed streams (see tests/CMakeLists.txt).
TEST(HelpMap, LookupFindsOnlyWellFormedPairs) {
    const struct {
        const char* file;
        DWORD context;
        const char* expected;  // "-": the file does not load
    } cases[] = {
        {"missing.chm", 7, "-"},
        {"nomap.chm", 7, "-"},  // no "#IVB" stream
        {"sample.chm", 7, "first.htm"},  // listed twice: the first pair
        {"sample.chm", 8, "third.htm"},
        {"sample.chm", 9, ""},
        {"oneword.chm", 0, ""},  // the length word alone
        {"badivb.chm", 7, ""},   // offset far past "#STRINGS"
        {"badivb.chm", 8, "first.htm"},
        {"badivb.chm", 10, ""},  // the empty name at offset 0
        {"badivb.chm", 9, ""},   // last word, no offset after it
        {"unterminated.chm", 4, ""},
    };
    for (const auto& c : cases) {
        HelpMap map;
        const std::string path = testBinaryDir() + "helpfiles\\" + c.file;
        const int loaded = loadHelpMap(std::wstring(path.begin(), path.end()).c_str(), &map);
        const char* topic = findHelpTopic(c.context, &map);
        EXPECT_EQ(c.expected, loaded ? std::string(topic ? topic : "") : "-") << c.file << " " << c.context;
        freeHelpMap(&map);
    }
    EXPECT_EQ(0, loadHelpMap(nullptr, nullptr));
    EXPECT_EQ(nullptr, findHelpTopic(7, nullptr));
}

TEST(HelpFileMissing, TheMessageStartsWithThePathAndASpace) {
    const std::string missing = testBinaryDir() + "nowhere\\KQVTLGVW.CHM";
    BoxAnswerer boxes(kHelpCaption, IDOK, 2);
    const HelpContextPair table[] = {{1003, 5}, {0, 0}};
    EXPECT_EQ(0, showControlHelp(NULL, missing.c_str(), nullptr, table, 1003));
    EXPECT_EQ(IDOK, showHelpFileMissing(NULL, nullptr));
    ASSERT_TRUE(boxes.wait(15000));
    EXPECT_EQ(missing + " " + kHelpFileMissingMessage, boxes.texts()[0]);
    EXPECT_EQ(kHelpFileMissingMessage, boxes.texts()[1]);
}

// Each help call as "file|command|topic"; a call with an owner window is marked.
std::vector<std::string> g_calls;

HWND WINAPI recordHelp(HWND owner, LPCSTR file, UINT command, DWORD_PTR data) {
    const char* topic = reinterpret_cast<const char*>(data);
    g_calls.push_back(std::string(owner ? "owner!" : "") + file + "|" + std::to_string(command) + "|" +
                      (topic ? topic : "default"));
    return reinterpret_cast<HWND>(1);
}

typedef std::map<DWORD, std::vector<int>> HelpTable;

// Opens the right-click menu and chooses its one item.
void chooseHelpItem(HWND dialog, HWND target, LPARAM point) {
    ::SetForegroundWindow(dialog);
    for (WPARAM key : {VK_DOWN, VK_RETURN}) ::PostMessageA(dialog, WM_KEYDOWN, key, 0);
    ::SendMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(target), point);
}

TEST(DialogHelp, EveryControlOfEveryDialogOpensTheTopicOfItsContext) {
    initCommonControlsForTests();
    const std::string chm = testBinaryDir() + "KQVTLGVW.CHM";
    const std::string product = productExePath().substr(0, productExePath().rfind('\\') + 1) + "KQVTLGVW.CHM";
    HelpMap map;
    ASSERT_EQ(1, loadHelpMap(std::wstring(product.begin(), product.end()).c_str(), &map));
    for (DWORD id = 1; id <= 70; ++id)  // the map's offsets are no contexts: 1, 26-50 and 53-59 name no page
        EXPECT_EQ(id > 1 && (id <= 25 || id == 51 || id == 52 || id >= 60), findHelpTopic(id, &map) != nullptr) << id;
    TempDir dir;
    PrintLogStore store(dir.file("a.log").c_str(), 500);
    TestSettingsDialog paths(&store, OSVER_XP), files(&store, OSVER_VISTA);
    paths.setHelpMap(&map);
    files.setHelpMap(&map);
    TotalsDialog totals(testInstance(), chm.c_str(), &map);
    FindDialog find(testInstance(), nullptr, chm.c_str(), &map);
    LogInfoDialog info(testInstance(), nullptr);
    info.setHelpMap(&map);
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
        {&info, {{11, {1008}}, {12, {1009, 1010, 1011}}, {13, {1012, 1013, 1014}},
                 {14, {1015, 1016, 1017, 1018}}, {15, {1040}}, {16, {1041}}, {17, {1020, 1021, 1022}},
                 {18, {1023, 1024, 1025}}, {19, {1026, 1027, 1028}}, {20, {1029, 1030, 1031}},
                 {21, {1032, 1033, 1034}}, {22, {1036, 1038, 1039}}, {23, {IDOK}}, {24, {1053, 1054, 1055}},
                 {25, {1050, 1051, 1052}}}},
    };
    HtmlHelpHook previous = setHtmlHelpHook(recordHelp);
    HostWindow owner;
    // F1 and the right-click "ヘルプ(&H)" on every control; each context has a page of its own.
    for (const auto& c : cases) {
        EXPECT_EQ(IDCANCEL, showScripted(*c.dialog, owner.hwnd(), {[&](HWND dialog) {
            std::map<int, std::string> expected;
            for (const auto& row : c.table) {
                const char* topic = findHelpTopic(row.first, &map);
                for (int id : row.second) expected[id] = chm + "|0|" + (topic ? topic : "none");
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
                chooseHelpItem(dialog, child, -1);
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
            chooseHelpItem(dialog, dialog, MAKELPARAM(at.left + 2, at.top + 2));
            // A control that the table lacks opens the default topic; a dismissed menu nothing.
            HELPINFO info = {sizeof info, HELPINFO_WINDOW, 4242, NULL, 0, {}};
            ::SendMessageA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
            ::PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
            ::SendMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(last), -1);
            EXPECT_EQ(std::vector<std::string>({expected[::GetDlgCtrlID(last)], chm + "|0|default"}), g_calls);
            ::EndDialog(dialog, IDCANCEL);
        }}));
    }
    setHtmlHelpHook(previous);
    freeHelpMap(&map);
}

// The strings of this suite's own version resource (Version.rc).
TEST(AboutDialog, ShowsTheStringsOfTheRunningProgramsVersionResource) {
    HostWindow owner;
    AboutDialog dialog(testInstance());
    std::string shown;
    ASSERT_EQ(IDOK, showScripted(dialog, owner.hwnd(), {[&](HWND hwnd) {
                                     for (int id : {IDC_ABOUT_DESCRIPTION, IDC_ABOUT_VERSION, IDC_ABOUT_COPYRIGHT})
                                         shown += dialogItemText(hwnd, id) + "\n";
                                     clickButton(hwnd, IDOK);
                                 }}));
    EXPECT_EQ("試験の説明\n1.2.3.4\n(C) 試験\n", shown);
}

// Modules with version resources of other shapes (versions/*.rc): the translation names the
// table; the first missing string ends the reading.
TEST(VersionStrings, ReadUnderTheTranslationUntilOneIsMissing) {
    const std::pair<const char*, std::string> cases[] = {
        {"english", "説明 5.6 (C)"},
        {"untranslated", "  "},
        {"missing", "説明  "},
    };
    for (const auto& [name, expected] : cases) {
        const std::string module = testBinaryDir() + "kqvt_version_" + name + ".dll";
        ByteString description, version, copyright;
        readVersionStrings(module.c_str(), description, version, copyright);
        EXPECT_EQ(expected, std::string(description.c_str()) + " " + version.c_str() + " " + copyright.c_str())
            << name;
    }
}

}  // namespace
