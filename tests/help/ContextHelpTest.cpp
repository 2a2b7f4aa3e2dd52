#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "help/ContextHelp.h"
#include "help/HelpTexts.h"
#include "services/RegistryKey.h"
#include "tests/support/TestEnvironment.h"

namespace {

const char kTestServerKey[] = "Software\\Norvale\\KqvtHelpTest\\InprocServer32";

std::string systemFile(const char* name) {
    char dir[MAX_PATH];
    ::GetSystemDirectoryA(dir, MAX_PATH);
    return std::string(dir) + "\\" + name;
}

void setServerPath(DWORD type, const std::string& path) {
    RegistryKey key;
    ASSERT_TRUE(key.create(HKEY_CURRENT_USER, kTestServerKey, KEY_ALL_ACCESS));
    ASSERT_TRUE(key.setValue(NULL, type, path.c_str(), static_cast<DWORD>(path.size() + 1)));
}

struct ServerKeyCleanup {
    ~ServerKeyCleanup() { deleteRegistryTree(HKEY_CURRENT_USER, "Software\\Norvale\\KqvtHelpTest"); }
};

// ---------------------------------------------------------------- message boxes
// Catches the message boxes shown on this thread: records caption and text and presses OK.
struct CaughtBox {
    std::string caption;
    std::string text;
};
std::vector<CaughtBox> g_boxes;
HHOOK g_hook = NULL;

BOOL CALLBACK collectStaticText(HWND child, LPARAM lParam) {
    char className[32] = "";
    ::GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0) {
        char text[1024] = "";
        ::GetWindowTextA(child, text, sizeof text);
        std::string* longest = reinterpret_cast<std::string*>(lParam);
        if (std::strlen(text) > longest->size()) *longest = text;
    }
    return TRUE;
}

LRESULT CALLBACK catchBox(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        char className[32] = "";
        ::GetClassNameA(box, className, sizeof className);
        if (std::strcmp(className, "#32770") == 0) {
            CaughtBox caught;
            char caption[256] = "";
            ::GetWindowTextA(box, caption, sizeof caption);
            caught.caption = caption;
            ::EnumChildWindows(box, collectStaticText, reinterpret_cast<LPARAM>(&caught.text));
            g_boxes.push_back(caught);
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    }
    return ::CallNextHookEx(g_hook, code, wParam, lParam);
}

class BoxCatcher {
public:
    BoxCatcher() {
        g_boxes.clear();
        g_hook = ::SetWindowsHookExA(WH_CBT, catchBox, NULL, ::GetCurrentThreadId());
    }
    ~BoxCatcher() {
        ::UnhookWindowsHookEx(g_hook);
        g_hook = NULL;
    }
};

// ---------------------------------------------------------------- HtmlHelpA recorder
struct HelpCall {
    HWND owner;
    std::string file;
    UINT command;
    bool hasTopic;
    std::string topic;
};
std::vector<HelpCall> g_calls;
HWND g_hookResult = NULL;

HWND WINAPI recordHelpCall(HWND owner, LPCSTR file, UINT command, DWORD_PTR data) {
    const char* topic = reinterpret_cast<const char*>(data);
    g_calls.push_back({owner, file ? file : "", command, topic != nullptr, topic ? topic : ""});
    return g_hookResult;
}

class HelpRecorder {
public:
    explicit HelpRecorder(HWND result) {
        g_calls.clear();
        g_hookResult = result;
        previous_ = setHtmlHelpHook(recordHelpCall);
    }
    ~HelpRecorder() { setHtmlHelpHook(previous_); }

private:
    HtmlHelpHook previous_;
};

std::wstring wide(const std::string& s) {
    wchar_t buffer[MAX_PATH];
    int n = ::MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, buffer, MAX_PATH);
    return n > 0 ? std::wstring(buffer) : std::wstring();
}

// ---------------------------------------------------------------- windows for the menu and point tests
class TestWindow {
public:
    TestWindow(int x, int y, int width, int height) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(NULL);
        wc.lpszClassName = "KqvtHelpTestWindow";
        ::RegisterClassA(&wc);
        hwnd_ = ::CreateWindowExA(0, wc.lpszClassName, "help test", WS_POPUP | WS_VISIBLE, x, y, width, height,
                                  NULL, NULL, wc.hInstance, NULL);
    }
    ~TestWindow() { ::DestroyWindow(hwnd_); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND get() const { return hwnd_; }
    HWND addChild(int id, int x, int y, int width, int height, bool visible) {
        return ::CreateWindowExA(0, "BUTTON", "child", WS_CHILD | (visible ? WS_VISIBLE : 0), x, y, width, height,
                                 hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 ::GetModuleHandleA(NULL), NULL);
    }

private:
    HWND hwnd_;
};

LPARAM screenPoint(HWND window, int x, int y) {
    POINT p = {x, y};
    ::ClientToScreen(window, &p);
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(p.x)), static_cast<WORD>(static_cast<short>(p.y)));
}

HMENU helpPopup(UINT command) {
    HMENU popup = ::CreatePopupMenu();
    ::AppendMenuA(popup, MF_STRING, command, "ヘルプ(&H)");
    return popup;
}

// ================================================================ tests

TEST(HelpFilePath, ReplacesTheModuleFileName) {
    char path[520];
    ASSERT_EQ(1, buildHelpFilePath(NULL, path, sizeof path));
    EXPECT_EQ(testBinaryDir() + "KQVTLGVW.CHM", std::string(path));

    // Too small for the folder and the name: refused, never cut.
    std::string dir = testBinaryDir();
    std::vector<char> small(dir.size() + 5, 'x');
    EXPECT_EQ(0, buildHelpFilePath(NULL, small.data(), static_cast<DWORD>(small.size())));
    EXPECT_EQ('\0', small[0]);
}

TEST(HtmlHelpLoader, UsesTheRegisteredServerBeforeTheFallback) {
    ServerKeyCleanup cleanup;
    struct Case {
        const char* what;
        DWORD type;
        std::string server;  // empty: no registered server
        std::string fallback;
        bool loads;
    } cases[] = {
        {"registered path, missing fallback", REG_SZ, systemFile("hhctrl.ocx"), "kqvt-none.ocx", true},
        {"expandable registered path", REG_EXPAND_SZ, "%SystemRoot%\\system32\\hhctrl.ocx", "kqvt-none.ocx", true},
        {"no server, fallback by name", REG_SZ, "", "hhctrl.ocx", true},
        {"registered path missing, fallback by name", REG_SZ, "C:\\kqvt-none\\hhctrl.ocx", "hhctrl.ocx", true},
        {"neither loads", REG_SZ, "C:\\kqvt-none\\hhctrl.ocx", "kqvt-none.ocx", false},
        {"module without export 14", REG_SZ, "", "msimg32.dll", false},
    };
    TempDir dir;
    for (const Case& c : cases) {
        deleteRegistryTree(HKEY_CURRENT_USER, "Software\\Norvale\\KqvtHelpTest");
        if (!c.server.empty()) setServerPath(c.type, c.server);
        HtmlHelpLoader loader(HKEY_CURRENT_USER, kTestServerKey, c.fallback.c_str());
        // A file that does not exist: the control answers without opening a window.
        HWND window = loader.call(NULL, dir.file("missing.chm").c_str(), HH_DISPLAY_TOPIC, 0);
        EXPECT_EQ(NULL, window) << c.what;
        EXPECT_EQ(!c.loads, loader.failed()) << c.what;
    }
}

TEST(HtmlHelpLoader, AFailedLoadIsNeverTriedAgain) {
    TempDir dir;
    std::string late = dir.file("hhctrl.ocx");
    HtmlHelpLoader loader(HKEY_CURRENT_USER, "Software\\Norvale\\KqvtHelpTest\\None", late.c_str());
    EXPECT_EQ(NULL, loader.call(NULL, dir.file("missing.chm").c_str(), HH_DISPLAY_TOPIC, 0));
    ASSERT_TRUE(loader.failed());
    // The control appears afterwards: the loader stays failed for the life of the process.
    ASSERT_TRUE(::CopyFileA(systemFile("hhctrl.ocx").c_str(), late.c_str(), FALSE));
    EXPECT_EQ(NULL, loader.call(NULL, dir.file("missing.chm").c_str(), HH_DISPLAY_TOPIC, 0));
    EXPECT_TRUE(loader.failed());
    EXPECT_EQ(NULL, loader.module());
}

TEST(HelpFileMissing, TextStartsWithThePathAndASpace) {
    BoxCatcher catcher;
    const char* path = "C:\\Program Files\\Norvale\\Quillbridge2\\KQVTLGVW.CHM";
    EXPECT_EQ(IDOK, showHelpFileMissing(NULL, path));
    EXPECT_EQ(IDOK, showHelpFileMissing(NULL, nullptr));
    ASSERT_EQ(2u, g_boxes.size());
    EXPECT_EQ(kHelpCaption, g_boxes[0].caption);
    EXPECT_EQ(std::string(path) + " " + kHelpFileMissingMessage, g_boxes[0].text);
    EXPECT_EQ(kHelpCaption, g_boxes[1].caption);
    EXPECT_EQ(std::string(kHelpFileMissingMessage), g_boxes[1].text);
}

// The help file renamed away: the control fails and the user is told where it should be.
TEST(ControlHelp, MissingHelpFileShowsThePathInTheMessage) {
    TempDir dir;
    std::string path = dir.file("KQVTLGVW.CHM");
    BoxCatcher catcher;
    const HelpContextPair table[] = {{1003, 5}, {0, 0}};
    EXPECT_EQ(0, showControlHelp(NULL, path.c_str(), nullptr, table, 1003));
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(kHelpCaption, g_boxes[0].caption);
    EXPECT_EQ(0u, g_boxes[0].text.find(path + " "));
}

TEST(ControlHelp, OpensTheTopicOfTheControlOrTheDefaultTopic) {
    HelpMap map;
    ASSERT_EQ(1, loadHelpMap(wide(testBinaryDir() + "helpfiles\\sample.chm").c_str(), &map));
    const HelpContextPair table[] = {{1003, 8}, {1004, 7}, {1005, 99}, {0, 0}};
    struct Case {
        DWORD control;
        const char* topic;  // null: the file's default topic
    } cases[] = {{1003, "third.htm"}, {1004, "first.htm"}, {1005, nullptr}, {1006, nullptr}};
    HWND fakeHelpWindow = reinterpret_cast<HWND>(0x1234);
    for (const Case& c : cases) {
        HelpRecorder recorder(fakeHelpWindow);
        BoxCatcher catcher;
        EXPECT_EQ(1, showControlHelp(NULL, "C:\\app\\KQVTLGVW.CHM", &map, table, c.control));
        ASSERT_EQ(1u, g_calls.size()) << c.control;
        EXPECT_EQ(NULL, g_calls[0].owner);
        EXPECT_EQ("C:\\app\\KQVTLGVW.CHM", g_calls[0].file);
        EXPECT_EQ(static_cast<UINT>(HH_DISPLAY_TOPIC), g_calls[0].command);
        EXPECT_EQ(c.topic != nullptr, g_calls[0].hasTopic) << c.control;
        if (c.topic) {
            EXPECT_EQ(c.topic, g_calls[0].topic);
        }
        EXPECT_TRUE(g_boxes.empty());
    }
}

TEST(HelpPopupMenu, ReportsWhetherHelpWasChosen) {
    TestWindow owner(10, 10, 200, 100);
    ASSERT_NE(nullptr, owner.get());
    struct Case {
        const char* what;
        UINT itemCommand;
        std::vector<WPARAM> keys;
        int expected;
    } cases[] = {
        {"help chosen", kHelpCommandId, {VK_DOWN, VK_RETURN}, 1},
        {"dismissed", kHelpCommandId, {VK_ESCAPE}, 0},
        {"another item chosen", 40001, {VK_DOWN, VK_RETURN}, 0},
    };
    for (const Case& c : cases) {
        HMENU popup = helpPopup(c.itemCommand);
        ::SetForegroundWindow(owner.get());
        // The menu's own loop takes the keys from this thread's queue.
        for (WPARAM key : c.keys) {
            ::PostMessageA(owner.get(), WM_KEYDOWN, key, 0);
            ::PostMessageA(owner.get(), WM_KEYUP, key, 0xC0000000);
        }
        EXPECT_EQ(c.expected, trackHelpPopupMenu(popup, owner.get())) << c.what;
        ::DestroyMenu(popup);
        MSG msg;
        while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    }
    // A module without menu 120.
    EXPECT_EQ(0, trackHelpPopupMenu(::GetModuleHandleA("kernel32.dll"), owner.get()));
}

TEST(ContextMenuControl, FindsTheControlUnderThePoint) {
    // Placed left of and above the primary screen: the point's words are signed.
    TestWindow dialog(-600, -400, 300, 200);
    ASSERT_NE(nullptr, dialog.get());
    HWND button = dialog.addChild(1003, 10, 10, 60, 20, true);
    dialog.addChild(1004, 10, 50, 60, 20, false);
    ASSERT_NE(nullptr, button);
    struct Case {
        const char* what;
        HWND window;
        LPARAM point;
        int expected;
    } cases[] = {
        {"message names the control", button, 0, 1003},
        {"point on a control", dialog.get(), screenPoint(dialog.get(), 20, 15), 1003},
        {"point on a hidden control", dialog.get(), screenPoint(dialog.get(), 20, 55), 0},
        {"point between controls", dialog.get(), screenPoint(dialog.get(), 200, 150), 0},
        {"keyboard, no point", dialog.get(), static_cast<LPARAM>(-1), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, controlIdFromContextMenu(dialog.get(), c.window, c.point)) << c.what;
}

}  // namespace
