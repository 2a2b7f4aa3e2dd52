#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "presentation/LogRecordView.h"
#include "presentation/RecordTexts.h"
#include "tests/support/RecordBuilder.h"

namespace {

using Bytes = std::vector<uint8_t>;
const char* const kMessage = "トナーがありません";

void putU32(Bytes& bytes, size_t offset, uint32_t value) { std::memcpy(bytes.data() + offset, &value, 4); }

// Each case: what the list shows, the dialog's category, details and pages, "|" between.
TEST(LogRecordView, KindsErrorsAndPagesAsTheListAndTheDialogShowThem) {
    const uint32_t sent = FLAG_SENT_ONLY, unconfirmed = FLAG_COUNTS_UNCONFIRMED;
    auto k = [](int kind) { return RecordBuilder().kind(kind); };
    const std::tuple<RecordBuilder, std::string, int, uint32_t> cases[] = {
        {k(0).pages(12, 12).copies(3, 3), "印刷完了|印刷完了||12ページ （ 3部 ）", 0, 106},
        {k(1).fallbackFlags(1).flags(sent | unconfirmed), "送信完了|送信完了||1 / 1ページ   ※要確認", 0, 106},
        {k(1).fallbackFlags(0x10001), "印刷完了|印刷完了||1ページ", 1, 107},
        {k(1).fallbackFlags(0x1030E).flags(unconfirmed).copies(1, 3),
         "印刷完了|印刷完了|片面で印刷 （両面ユニットなし）\n排紙方法を変更して印刷|1ページ （ 1 / 3部 ）", 1, 107},
        {k(2).errorCode(299).message(kMessage).flags(unconfirmed).pages(2, 9),
         "印刷打ち切り|印刷打ち切り||2ページ   ※要確認", 2, 105},
        {k(2).errorCode(300).errorDetail(0x1A).message(kMessage).copies(1, 2),
         "印刷打ち切り|印刷打ち切り|[0300-001a] トナーがありません|1ページ （ 1 / 2部 ）", 2, 105},
        {k(3).errorCode(299).message(kMessage).flags(unconfirmed).pages(1, 2),
         "エラー解除|エラー解除||1 / 2ページ", 3, 103},
        {k(3).errorCode(0x80000000u).errorDetail(0xABCDE).message("m"), "m|[2147483648-abcde] m||1 / 1ページ", 3, 103},
        {k(4).flags(unconfirmed).pages(0, 9).copies(0, -1), "保留|保留||0ページ （ 0 / -1部 ）   ※要確認", 4, 107},
        {k(5).flags(unconfirmed).copies(0, 4), "印刷開始|印刷開始||1ページ （ 0部 ）", 5, 106},
        {k(6).fallbackFlags(0x10002).pages(-1, -1).copies(1, 0), "??|??||-1ページ", 0, 0},
    };
    for (const auto& [record, shown, image, icon] : cases) {
        Bytes bytes = record.build();
        LogRecordView view;
        ASSERT_EQ(bytes.size(), view.parseRecord(bytes.data()));
        EXPECT_EQ(shown, std::string(view.categoryText) + "|" + view.dialogCategoryText() + "|" + view.detailsText() +
                             "|" + view.pagesDetailText());
        EXPECT_EQ(image, view.imageIndex()) << shown;
        EXPECT_EQ(icon, LogRecordView::kindIconId(static_cast<uint32_t>(view.record->eventKind))) << shown;
    }
}

// Unconfirmed counts show as one blank in columns 3 to 5; the stored texts stay numbers.
TEST(LogRecordView, UnconfirmedCountsShowBlank) {
    Bytes bytes = RecordBuilder().colour(-2, 0).flags(FLAG_COUNTS_UNCONFIRMED).jobId(4294967295u).build();
    LogRecordView view;
    ASSERT_NE(0u, view.parseRecord(bytes.data()));
    char buffer[16];
    EXPECT_STREQ("4294967295", view.columnText(kColumnJobId, buffer, sizeof buffer));
    for (int column : {kColumnMonoPages, kColumnColourPages, kColumnSheets})
        EXPECT_STREQ(" ", view.columnText(column, buffer, sizeof buffer));
    EXPECT_STREQ("-2", view.monoPagesText);
}

TEST(RecordTexts, TraysAndDeviationNotes) {
    const std::tuple<uint32_t, uint32_t, const char*> trays[] = {
        {2, 0, "トップトレイ"},
        {3, 0, "スタッカトレイ"},
        {4, 0, "フェイスアップトレイ"},
        {0xFFFFFFFF, 0, "不明"},
        {0x10505, 0, "拡張トレイ 5"},
        {0xFFFF0203, 0, "拡張トレイ 3 - 2"},
        {0x10004, 0, "拡張トレイ 4 - 0"},  // bit 16 set: not the face-up tray
        {0x20505, 0, "不明"},               // bit 17 instead of bit 16
        {0x10505, FLAG_NO_TRAY, ""},
    };
    for (const auto& [tray, flags, expected] : trays) {
        char text[24];
        formatTrayText(RecordBuilder().tray(tray).flags(flags).fixed(), text, sizeof text);
        EXPECT_STREQ(expected, text) << std::hex << tray;
    }
    const std::string duplex1 = "片面で印刷 （プリンタメモリ不足）\n", duplex2 = "片面で印刷 （未サポート用紙指定）\n";
    const std::string copies1 = "１部のみ印刷 （プリンタメモリ不足）";
    const std::string copies2 = "１部のみ印刷 （プリンタメモリオーバー）";
    const std::string output2 = "ステープルなしで印刷";
    const std::pair<uint32_t, std::string> notes[] = {
        {0x0000000E, ""},  // presence bits without reasons
        {0x00000108, duplex1},
        {0x00000300, ""},  // a reason without its presence bit
        {0x00021006, copies1 + output2},  // one line: only duplex notes end with a line feed
        {0x0002220E, duplex2 + copies2 + output2},
    };
    for (const auto& [flags, expected] : notes) {
        char text[128];
        std::memset(text, 'Z', sizeof text);
        EXPECT_EQ(!expected.empty(), deviationNotes(flags, text, sizeof text));
        EXPECT_EQ(expected, text) << std::hex << flags;
    }
}

TEST(RecordTexts, CutsKeepWholeCharactersToTheLastByte) {
    ASSERT_EQ(932u, ::GetACP());
    const std::string x62(62, 'x'), x61(61, 'x');
    // The list's category is cut to 63 bytes, the dialog's is not.
    const std::string longMessage = x61 + "紙づまりです。カバーを開けてください。";
    const std::tuple<RecordBuilder, std::string, std::string> records[] = {
        {RecordBuilder().flags(FLAG_NOTICE).kind(1).title(x62 + "あい"), x62, x62},  // lead byte at 62
        // A lone lead byte at the end is a character of its own.
        {RecordBuilder().flags(FLAG_NOTICE).kind(1).title(x62 + "\x82"), x62 + "\x82", x62 + "\x82"},
        {RecordBuilder().flags(FLAG_NOTICE).kind(1).title(x61 + "ポ"), x61 + "ポ", x61 + "ポ"},
        {RecordBuilder().kind(3).errorCode(301).errorDetail(0x1A).message(longMessage), x61 + "紙",
         "[0301-001a] " + longMessage},
    };
    for (const auto& [record, category, dialogCategory] : records) {
        LogRecordView view;
        ASSERT_NE(0u, view.parseRecord(record.build().data()));
        EXPECT_EQ(category, view.categoryText);
        EXPECT_EQ(dialogCategory, view.dialogCategoryText());
    }
}

TEST(LogRecordView, NoticesSizeBoundsAndReassignment) {
    ByteBuffer notice;
    ASSERT_TRUE(buildNoticeRecord(kNoticeFileSwitched, SYSTEMTIME{2026, 12, 0, 6, 7, 30, 5, 0}, notice));
    LogRecordView view;
    ASSERT_NE(0u, view.parseRecord(RecordBuilder().kind(0).tray(2).build().data()));
    ASSERT_EQ(notice.size(), view.parseRecord(notice.data()));
    EXPECT_STREQ("印刷ログ切替え", view.categoryText);
    EXPECT_STREQ("印刷ログファイルが正しくないため印刷ログファイルを切替えました。", view.detailsText());
    for (const char* text : {view.pagesPrintedText, view.sheetsText, view.monoPagesText, view.trayText})
        EXPECT_STREQ("", text);
    EXPECT_STREQ("", view.pagesDetailText());

    // Sizes outside 112..5056 leave the view as it was.
    for (uint32_t size : {111u, 112u, 5056u, 5057u, 0xFFFFFFFFu}) {
        Bytes bytes(5100, 0);
        putU32(bytes, 0, size);
        putU32(bytes, 4, 128);
        putU32(bytes, offsetof(LogRecord, eventKind), 4);
        const bool accepted = size >= 112 && size <= 5056;
        EXPECT_EQ(accepted ? size : 0u, view.parseRecord(bytes.data())) << size;
        EXPECT_STREQ(accepted ? "保留" : "印刷ログ切替え", view.categoryText) << size;
        if (accepted) view.parseRecord(notice.data());
    }
    EXPECT_EQ(0u, view.parseRecord(nullptr));

    // The same bytes are the same content; a byte of the printing side is a change.
    const Bytes base = RecordBuilder().kind(3).errorCode(300).message(kMessage).build();
    LogRecordView a, b, empty;
    ASSERT_NE(0u, a.parseRecord(base.data()));
    a.rowState = 4;
    EXPECT_EQ(base.size(), b.assignFrom(a));
    EXPECT_EQ(4, b.rowState);
    EXPECT_TRUE(b.sameContent(a));
    Bytes changed = base;
    changed[offsetof(LogRecord, unused80) + 3] = 0x5A;
    ASSERT_NE(0u, b.parseRecord(changed.data()));
    EXPECT_FALSE(a.sameContent(b));
    EXPECT_EQ(base.size(), a.assignFrom(a));  // itself: the record stays
    empty.rowState = 3;
    EXPECT_EQ(0u, a.assignFrom(empty));
    EXPECT_STREQ("", a.categoryText);
    EXPECT_EQ(3, a.rowState);
}

}  // namespace
