#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "presentation/RecordTexts.h"
#include "tests/support/RecordBuilder.h"

namespace {

const char* const kDuplex1 = "片面で印刷 （プリンタメモリ不足）\n";
const char* const kDuplex2 = "片面で印刷 （未サポート用紙指定）\n";
const char* const kDuplex3 = "片面で印刷 （両面ユニットなし）\n";
const char* const kCopies1 = "１部のみ印刷 （プリンタメモリ不足）";
const char* const kCopies2 = "１部のみ印刷 （プリンタメモリオーバー）";
const char* const kOutput1 = "排紙方法を変更して印刷";
const char* const kOutput2 = "ステープルなしで印刷";

TEST(RecordTexts, ErrorTextInEveryMode) {
    struct Case { uint32_t code; uint32_t detail; int mode; const char* expected; } cases[] = {
        {299, 0x1A, kErrorTextList, "エラー解除"},
        {299, 0x1A, kErrorTextDialog, "エラー解除"},
        {299, 0x1A, kErrorTextDetails, ""},
        {300, 0x1A, kErrorTextList, "用紙がありません"},
        {300, 0x1A, kErrorTextDialog, "[0300-001a] 用紙がありません"},
        {300, 0x1A, kErrorTextDetails, "[0300-001a] 用紙がありません"},
        {0, 0, kErrorTextList, "エラー解除"},
        {12345, 0xABCDE, kErrorTextDialog, "[12345-abcde] 用紙がありません"},
        {0x80000000u, 1, kErrorTextDetails, "[2147483648-0001] 用紙がありません"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " mode " << c.mode);
        LogRecord r = RecordBuilder().kind(3).errorCode(c.code).errorDetail(c.detail).fixed();
        ByteString out;
        ASSERT_TRUE(errorText(r, "用紙がありません", c.mode, out));
        EXPECT_STREQ(c.expected, out.c_str());
    }
}

TEST(RecordTexts, DeviationNotesNeedReasonAndPresenceBit) {
    struct Case { uint32_t flags; std::string expected; } cases[] = {
        {0x00000000, ""},
        {0x0000000E, ""},  // presence bits without reasons
        {0x00000108, kDuplex1},
        {0x00000208, kDuplex2},
        {0x00000308, kDuplex3},
        {0x00000408, ""},
        {0x00000300, ""},  // reason without its presence bit
        {0x00001004, kCopies1},
        {0x00002004, kCopies2},
        {0x00003004, ""},
        {0x00001000, ""},
        {0x00010002, kOutput1},
        {0x00020002, kOutput2},
        {0x00030002, ""},
        {0x00010000, ""},
        {0x00010302, kOutput1},  // the duplex reason counts only with bit 3
        {0x0001030A, std::string(kDuplex3) + kOutput1},
        {0x00011006, std::string(kCopies1) + kOutput1},  // one line: only duplex notes end with \n
        {0x0001220E, std::string(kDuplex2) + kCopies2 + kOutput1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.flags);
        char notes[128];
        std::memset(notes, 'Z', sizeof notes);
        EXPECT_EQ(!c.expected.empty(), deviationNotes(c.flags, notes, sizeof notes));
        EXPECT_EQ(c.expected, notes);
    }
    // The longest combination is 95 bytes of text, well within the 128-byte buffer.
    char notes[128];
    deviationNotes(0x0001220E, notes, sizeof notes);
    EXPECT_EQ(95u, std::strlen(notes));
}

TEST(RecordTexts, TrayText) {
    struct Case { uint32_t tray; uint32_t flags; const char* expected; } cases[] = {
        {0, 0, "排紙先無効"},
        {1, 0, "フェイスダウントレイ"},
        {2, 0, "トップトレイ"},
        {3, 0, "スタッカトレイ"},
        {4, 0, "フェイスアップトレイ"},
        {0xFFFFFFFF, 0, "不明"},
        {5, 0, "不明"},
        {0x10505, 0, "拡張トレイ 5"},
        {0x10203, 0, "拡張トレイ 3 - 2"},
        {0x10004, 0, "拡張トレイ 4 - 0"},  // bit 16 set: not the face-up tray
        {0x1FFFF, 0, "拡張トレイ 255"},
        {0x1FF00, 0, "拡張トレイ 0 - 255"},
        {0xFFFF0001, 0, "拡張トレイ 1 - 0"},
        {0x20505, 0, "不明"},  // bit 17 instead of bit 16
        {0x20004, 0, "不明"},
        {1, FLAG_NO_TRAY, ""},
        {0x10505, FLAG_NO_TRAY, ""},
        {0xFFFFFFFF, FLAG_NO_TRAY | FLAG_COUNTS_UNCONFIRMED, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.tray << " flags " << c.flags);
        LogRecord r = RecordBuilder().tray(c.tray).flags(c.flags).fixed();
        char text[24];
        std::memset(text, 'Z', sizeof text);
        formatTrayText(r, text, sizeof text);
        EXPECT_STREQ(c.expected, text);
    }
}

TEST(RecordTexts, EventDateLeavesOutWeekdayAndMilliseconds) {
    SYSTEMTIME t = {2026, 4, 3, 1, 9, 5, 7, 42};
    char text[24];
    formatEventDate(t, text, sizeof text);
    EXPECT_STREQ("2026/04/01  09:05:07", text);
    SYSTEMTIME late = {999, 12, 0, 31, 23, 59, 59, 999};
    formatEventDate(late, text, sizeof text);
    EXPECT_STREQ(" 999/12/31  23:59:59", text);
}

TEST(RecordTexts, CutNeverSplitsADoubleByteCharacter) {
    ASSERT_EQ(932u, ::GetACP());
    const std::string ascii62(62, 'x');
    const std::string ascii61(61, 'x');
    struct Case { std::string text; std::string expected; } cases[] = {
        {ascii62 + "あ", ascii62},          // lead byte at 62: the character goes whole
        {ascii61 + "あ", ascii61 + "あ"},   // ends exactly at 63 bytes
        {ascii61 + "あい", ascii61 + "あ"},
        {std::string(70, 'y'), std::string(63, 'y')},
        {"短い", "短い"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        char out[64];
        std::memset(out, 'Z', sizeof out);
        copyTextCut(out, sizeof out, c.text.c_str());
        EXPECT_EQ(c.expected, out);
    }
}

}  // namespace
