#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/SettingsDialogIds.h"
#include "tests/support/WindowTestSupport.h"

namespace {

// The two settings templates read back from the linked resources, field by field.

struct TemplateItem {
    DWORD id;
    std::string className;
    std::string text;
    short x, y, cx, cy;
    DWORD style;
};

struct DialogTemplate {
    DWORD style = 0;
    short cx = 0, cy = 0;
    std::string title;
    WORD pointSize = 0;
    std::string font;
    std::vector<TemplateItem> items;
};

class Reader {
public:
    Reader(const BYTE* data, DWORD size) : data_(data), size_(size) {}
    bool ok() const { return ok_; }
    WORD word() {
        WORD w = 0;
        take(&w, sizeof w);
        return w;
    }
    DWORD dword() {
        DWORD d = 0;
        take(&d, sizeof d);
        return d;
    }
    void skip(size_t n) {
        if (pos_ + n > size_) ok_ = false;
        else pos_ += n;
    }
    void alignDword() { skip((4 - pos_ % 4) % 4); }
    // A NUL-terminated UTF-16 string, returned in the ANSI code page of the product.
    std::string string() {
        std::wstring wide;
        for (WORD w = word(); ok_ && w != 0; w = word()) wide.push_back(static_cast<wchar_t>(w));
        if (wide.empty()) return std::string();
        char out[512] = "";
        ::WideCharToMultiByte(932, 0, wide.c_str(), static_cast<int>(wide.size()), out, sizeof out - 1, NULL, NULL);
        return out;
    }
    // A name or an ordinal; ordinals come back as "#n".
    std::string nameOrOrdinal() {
        WORD first = word();
        if (first == 0) return std::string();
        if (first == 0xFFFF) return "#" + std::to_string(word());
        pos_ -= sizeof first;
        return string();
    }

private:
    void take(void* out, size_t n) {
        if (pos_ + n > size_) {
            ok_ = false;
            return;
        }
        std::memcpy(out, data_ + pos_, n);
        pos_ += n;
    }
    const BYTE* data_;
    DWORD size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

std::string predefinedClass(const std::string& name) {
    if (name == "#128") return "BUTTON";
    if (name == "#129") return "EDIT";
    if (name == "#130") return "STATIC";
    return name;
}

bool readTemplate(UINT id, DialogTemplate& out) {
    HRSRC found = ::FindResourceA(testInstance(), MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_DIALOG));
    if (!found) return false;
    HGLOBAL loaded = ::LoadResource(testInstance(), found);
    const BYTE* data = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    if (!data) return false;
    Reader r(data, ::SizeofResource(testInstance(), found));
    if (r.word() != 1 || r.word() != 0xFFFF) return false;  // DLGTEMPLATEEX only
    r.dword();                                             // help ID
    r.dword();                                             // extended style
    out.style = r.dword();
    const WORD count = r.word();
    r.word();
    r.word();
    out.cx = static_cast<short>(r.word());
    out.cy = static_cast<short>(r.word());
    r.nameOrOrdinal();  // menu
    r.nameOrOrdinal();  // class
    out.title = r.string();
    if (out.style & DS_SETFONT) {
        out.pointSize = r.word();
        r.word();  // weight
        r.skip(2);  // italic, character set
        out.font = r.string();
    }
    for (WORD i = 0; i < count && r.ok(); ++i) {
        TemplateItem item;
        r.alignDword();
        r.dword();  // help ID
        r.dword();  // extended style
        item.style = r.dword();
        item.x = static_cast<short>(r.word());
        item.y = static_cast<short>(r.word());
        item.cx = static_cast<short>(r.word());
        item.cy = static_cast<short>(r.word());
        item.id = r.dword();
        item.className = predefinedClass(r.nameOrOrdinal());
        item.text = r.nameOrOrdinal();
        r.skip(r.word());  // creation data
        out.items.push_back(item);
    }
    return r.ok();
}

struct ExpectedItem {
    DWORD id;
    const char* className;
    const char* text;
    short x, y, cx, cy;
    DWORD requiredStyle;
};

const DWORD kSpinStyle = UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_NOTHOUSANDS;

void expectTemplate(UINT id, short cx, const std::vector<ExpectedItem>& expected) {
    DialogTemplate t;
    ASSERT_TRUE(readTemplate(id, t)) << id;
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CONTEXTHELP;
    EXPECT_EQ(style, t.style & style) << id;
    EXPECT_EQ(cx, t.cx);
    EXPECT_EQ(99, t.cy);
    EXPECT_EQ("Quillbridge2 印刷ログ 環境設定", t.title);
    EXPECT_EQ(9, t.pointSize);
    EXPECT_EQ("ＭＳ Ｐゴシック", t.font);
    ASSERT_EQ(expected.size(), t.items.size()) << id;
    for (size_t i = 0; i < expected.size(); ++i) {
        const ExpectedItem& e = expected[i];
        const TemplateItem& a = t.items[i];
        EXPECT_EQ(e.id, a.id) << id << " item " << i;
        // Class names are not case-sensitive; the resource compiler writes them in capitals.
        EXPECT_EQ(0, ::lstrcmpiA(e.className, a.className.c_str())) << e.id << " " << a.className;
        EXPECT_EQ(e.text, a.text) << e.id;
        EXPECT_EQ(e.x, a.x) << e.id;
        EXPECT_EQ(e.y, a.y) << e.id;
        EXPECT_EQ(e.cx, a.cx) << e.id;
        EXPECT_EQ(e.cy, a.cy) << e.id;
        EXPECT_EQ(e.requiredStyle, a.style & e.requiredStyle) << e.id;
    }
}

TEST(SettingsTemplates, WholePathLayout) {
    expectTemplate(IDD_SETTINGS_PATH, 190,
                   {
                       {1000, "STATIC", "最大ログサイズ(&M):", 10, 12, 70, 10, 0},
                       {1003, "EDIT", "", 87, 11, 37, 12, ES_NUMBER},
                       {1004, "msctls_updown32", "", 118, 12, 9, 9, kSpinStyle},
                       {1002, "STATIC", "KB", 133, 12, 15, 10, 0},
                       {1001, "STATIC", "ログの名前(&L):", 10, 32, 70, 10, 0},
                       {1005, "EDIT", "", 10, 46, 113, 12, 0},
                       {1006, "BUTTON", "参照(&B)...", 128, 45, 41, 14, 0},
                       {1, "BUTTON", "OK", 7, 78, 55, 14, BS_DEFPUSHBUTTON},
                       {2, "BUTTON", "キャンセル", 67, 78, 56, 14, 0},
                       {1007, "BUTTON", "標準に戻す(&D)", 128, 78, 55, 14, 0},
                   });
}

TEST(SettingsTemplates, FixedFolderLayout) {
    expectTemplate(IDD_SETTINGS_FILE, 191,
                   {
                       {1000, "STATIC", "最大ログサイズ(&M):", 10, 12, 70, 10, 0},
                       {1003, "EDIT", "", 87, 11, 37, 12, ES_NUMBER},
                       {1004, "msctls_updown32", "", 118, 12, 9, 9, kSpinStyle},
                       {1002, "STATIC", "KB", 133, 12, 15, 10, 0},
                       {1046, "STATIC", "フォルダ名(&F):", 10, 34, 47, 10, 0},
                       {1009, "EDIT", "", 58, 34, 121, 12, ES_READONLY},
                       {1047, "STATIC", "ファイル名(&L):", 10, 55, 47, 10, 0},
                       {1048, "EDIT", "", 58, 54, 121, 12, 0},
                       {1, "BUTTON", "OK", 7, 78, 55, 14, BS_DEFPUSHBUTTON},
                       {2, "BUTTON", "キャンセル", 67, 78, 56, 14, 0},
                       {1008, "BUTTON", "標準に戻す(&D)", 128, 78, 55, 14, 0},
                   });
}

}  // namespace
