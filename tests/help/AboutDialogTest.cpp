#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/Placement.h"
#include "resources/AboutDialogIds.h"
#include "help/AboutDialog.h"
#include "services/VersionStrings.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/VersionResource.h"
#include "tests/support/WindowTestSupport.h"

namespace {

typedef std::function<void(HWND)> Step;

// Runs steps against a dialog from inside its modal loop: a timer of this thread fires there,
// so each step runs between two messages of the dialog and whatever it posts is handled
// before the next step. A watchdog ends a dialog that was never closed with kTimedOut.
class DialogScript {
public:
    static constexpr INT_PTR kTimedOut = -2;

    DialogScript(const WindowBase& dialog, std::vector<Step> steps)
        : dialog_(dialog), steps_(std::move(steps)), started_(::GetTickCount()) {
        running_ = this;
        timer_ = ::SetTimer(NULL, 0, 10, &DialogScript::tick);
    }
    ~DialogScript() {
        ::KillTimer(NULL, timer_);
        running_ = nullptr;
    }
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        DialogScript* script = running_;
        if (!script) return;
        HWND dialog = script->dialog_.hwnd();
        if (!dialog) return;
        if (::GetTickCount() - script->started_ > 10000) {
            ::EndDialog(dialog, kTimedOut);
        } else if (script->next_ < script->steps_.size()) {
            script->steps_[script->next_++](dialog);
        }
    }

    static DialogScript* running_;
    const WindowBase& dialog_;
    std::vector<Step> steps_;
    size_t next_ = 0;
    DWORD started_;
    UINT_PTR timer_ = 0;
};

DialogScript* DialogScript::running_ = nullptr;

INT_PTR showScripted(AboutDialog& dialog, HWND parent, std::vector<Step> steps) {
    DialogScript script(dialog, std::move(steps));
    return dialog.show(parent);
}

std::string itemText(HWND dialog, int id) {
    char text[256] = "?";
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

struct ShownTexts {
    std::string description, version, copyright;
};

ShownTexts textsOf(HWND dialog) {
    return {itemText(dialog, IDC_ABOUT_DESCRIPTION), itemText(dialog, IDC_ABOUT_VERSION),
            itemText(dialog, IDC_ABOUT_COPYRIGHT)};
}

Step pressOk() {
    return [](HWND dialog) { ::SendMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0); };
}

TEST(AboutDialog, OkGivesOneAndEscapeOrTheCloseButtonGiveTwo) {
    struct Case {
        const char* how;
        Step step;
        INT_PTR expected;
    } cases[] = {
        {"OK clicked", pressOk(), 1},
        {"Enter",
         [](HWND dialog) { ::PostMessageA(::GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_RETURN, 0); }, 1},
        {"Esc",
         [](HWND dialog) { ::PostMessageA(::GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0); }, 2},
        {"close button", [](HWND dialog) { ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }, 2},
    };
    HostWindow owner;
    // One object for all: the main window may show the same dialog again.
    AboutDialog dialog(testInstance());
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, showScripted(dialog, owner.hwnd(), {c.step})) << c.how;
        EXPECT_EQ(nullptr, dialog.hwnd()) << c.how;
    }
}

TEST(AboutDialog, WithoutVersionResourceTheFieldsAreEmpty) {
    // The test program carries no version resource: nothing is read...
    ByteString description, version, copyright;
    EXPECT_EQ(0, readVersionStrings(nullptr, description, version, copyright));
    EXPECT_TRUE(description.empty() && version.empty() && copyright.empty());

    // ...and the template's stand-in texts still give way to empty fields.
    HostWindow owner;
    AboutDialog dialog(testInstance());
    ShownTexts shown = {"?", "?", "?"};
    EXPECT_EQ(IDOK, showScripted(dialog, owner.hwnd(), {[&](HWND hwnd) { shown = textsOf(hwnd); }, pressOk()}));
    EXPECT_EQ("", shown.description);
    EXPECT_EQ("", shown.version);
    EXPECT_EQ("", shown.copyright);
}

constexpr const char* kTextsFileVariable = "KQVT_ABOUT_TEXTS_FILE";

// Run only in a copy of this program that carries a version resource (see below): opens the
// dialog and writes the three texts it shows, one per line, to the file that the starting
// test names.
TEST(AboutDialogInCopy, DISABLED_WriteTheTextsShown) {
    const char* target = std::getenv(kTextsFileVariable);
    ASSERT_NE(nullptr, target) << "started only by ShowsTheVersionResourceOfTheRunningProgram";
    HostWindow owner;
    AboutDialog dialog(testInstance());
    ShownTexts shown;
    ASSERT_EQ(IDOK, showScripted(dialog, owner.hwnd(), {[&](HWND hwnd) { shown = textsOf(hwnd); }, pressOk()}));
    std::string lines = shown.description + "\n" + shown.version + "\n" + shown.copyright + "\n";
    ASSERT_TRUE(writeFileBytes(target, lines.data(), lines.size()));
}

ShownTexts textsShownBy(const std::string& program, const TempDir& dir) {
    std::string textsFile = dir.file("texts.txt");
    ::DeleteFileA(textsFile.c_str());
    ::SetEnvironmentVariableA(kTextsFileVariable, textsFile.c_str());
    ChildProcess child;
    DWORD exitCode = 99;
    bool ran = child.start(program, "--gtest_also_run_disabled_tests --gtest_filter=AboutDialogInCopy.*") &&
               child.wait(60000, &exitCode);
    ::SetEnvironmentVariableA(kTextsFileVariable, nullptr);
    EXPECT_TRUE(ran);
    EXPECT_EQ(0u, exitCode);
    std::vector<unsigned char> bytes = readFileBytes(textsFile);
    std::string all(bytes.begin(), bytes.end());
    ShownTexts shown;
    std::string* field[] = {&shown.description, &shown.version, &shown.copyright};
    size_t at = 0;
    for (std::string* f : field) {
        size_t end = all.find('\n', at);
        if (end == std::string::npos) {
            ADD_FAILURE() << "the copy wrote no texts";
            break;
        }
        *f = all.substr(at, end - at);
        at = end + 1;
    }
    return shown;
}

TEST(AboutDialog, ShowsTheVersionResourceOfTheRunningProgram) {
    ByteString description, version, copyright;
    ASSERT_EQ(1, readVersionStrings(productExePath().c_str(), description, version, copyright));
    std::vector<uint8_t> product = versionResourceOf(productExePath());
    ASSERT_FALSE(product.empty());

    struct Case {
        const char* what;
        std::vector<uint8_t> resource;
        ShownTexts expected;
    } cases[] = {
        {"the product's own", product, {description.c_str(), version.c_str(), copyright.c_str()}},
        {"one without FileVersion",
         buildVersionResource(L"041103a4", {{L"FileDescription", L"試験の説明"}, {L"LegalCopyright", L"(C) 試験"}},
                              kJapaneseTranslation),
         {"試験の説明", "", ""}},
    };
    char self[MAX_PATH];
    ASSERT_NE(0u, ::GetModuleFileNameA(NULL, self, sizeof self));
    TempDir dir;
    int n = 0;
    for (const Case& c : cases) {
        std::string copy = dir.file("about" + std::to_string(n++) + ".exe");
        ASSERT_TRUE(copyWithVersionResource(self, copy, c.resource)) << c.what;
        ShownTexts shown = textsShownBy(copy, dir);
        EXPECT_EQ(c.expected.description, shown.description) << c.what;
        EXPECT_EQ(c.expected.version, shown.version) << c.what;
        EXPECT_EQ(c.expected.copyright, shown.copyright) << c.what;
    }
}

TEST(AboutDialog, OpensCentredOverItsParentOrInTheWorkArea) {
    RECT area;
    getWorkArea(&area);
    struct Case {
        const char* where;
        RECT parent;
        bool overParent;
    } cases[] = {
        {"inside the work area", {area.left + 40, area.top + 30, area.left + 640, area.top + 480}, true},
        {"mostly off the left edge", {area.left - 1200, area.top + 30, area.left - 600, area.top + 480}, false},
        {"above the screen", {area.left + 40, -900, area.left + 640, -450}, false},
    };
    HostWindow owner;
    AboutDialog dialog(testInstance());
    for (const Case& c : cases) {
        ::MoveWindow(owner.hwnd(), c.parent.left, c.parent.top, c.parent.right - c.parent.left,
                     c.parent.bottom - c.parent.top, FALSE);
        RECT at = {};
        EXPECT_EQ(IDOK, showScripted(dialog, owner.hwnd(), {[&](HWND hwnd) { ::GetWindowRect(hwnd, &at); },
                                                            pressOk()}))
            << c.where;
        LONG w = at.right - at.left, h = at.bottom - at.top;
        ASSERT_GT(w, 0) << c.where;
        const RECT& around = c.overParent ? c.parent : area;
        EXPECT_EQ((around.left + around.right - w) / 2, at.left) << c.where;
        EXPECT_EQ((around.top + around.bottom - h) / 2, at.top) << c.where;
    }
}

}  // namespace
