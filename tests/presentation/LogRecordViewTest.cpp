#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "presentation/LogRecordView.h"
#include "tests/support/RecordBuilder.h"

namespace {

using Bytes = std::vector<uint8_t>;

const char* const kMessage = "トナーがありません";

uint32_t parse(LogRecordView& view, const Bytes& bytes) { return view.parseRecord(bytes.data()); }

void putU32(Bytes& bytes, size_t offset, uint32_t value) { std::memcpy(bytes.data() + offset, &value, 4); }

// What the list and the dialog show for one record.
struct Shown {
    const char* category;
    const char* dialogCategory;
    const char* details;
    int image;
    uint32_t icon;
};

void expectShown(LogRecordView& view, const Shown& s) {
    EXPECT_STREQ(s.category, view.categoryText);
    EXPECT_STREQ(s.category, view.columnText(kColumnCategory, nullptr, 0));
    EXPECT_STREQ(s.dialogCategory, view.dialogCategoryText());
    EXPECT_STREQ(s.details, view.detailsText());
    EXPECT_EQ(s.image, view.imageIndex());
    EXPECT_EQ(s.icon, LogRecordView::kindIconId(static_cast<uint32_t>(view.record->eventKind)));
}

TEST(LogRecordView, EveryKind) {
    struct Case { const char* name; RecordBuilder record; Shown shown; int32_t shownKind; } cases[] = {
        {"completed", RecordBuilder().kind(0), {"印刷完了", "印刷完了", "", 0, 106}, 0},
        {"sent", RecordBuilder().kind(0).flags(FLAG_SENT_ONLY), {"送信完了", "送信完了", "", 0, 106}, 0},
        {"deviation flags exactly 1", RecordBuilder().kind(1).fallbackFlags(1), {"印刷完了", "印刷完了", "", 0, 106}, 0},
        {"deviation flags 1, sent", RecordBuilder().kind(1).fallbackFlags(1).flags(FLAG_SENT_ONLY),
         {"送信完了", "送信完了", "", 0, 106}, 0},
        {"deviation flags 0x10001", RecordBuilder().kind(1).fallbackFlags(0x10001), {"印刷完了", "印刷完了", "", 1, 107}, 1},
        {"deviations", RecordBuilder().kind(1).fallbackFlags(0x10302),
         {"印刷完了", "印刷完了", "排紙方法を変更して印刷", 1, 107}, 1},
        {"deviations with duplex bit", RecordBuilder().kind(1).fallbackFlags(0x1030A).flags(FLAG_SENT_ONLY),
         {"送信完了", "送信完了", "片面で印刷 （両面ユニットなし）\n排紙方法を変更して印刷", 1, 107}, 1},
        {"aborted", RecordBuilder().kind(2).errorCode(0).message(kMessage), {"印刷打ち切り", "印刷打ち切り", "", 2, 105}, 2},
        {"aborted with error 299", RecordBuilder().kind(2).errorCode(299).errorDetail(0x1A).message(kMessage),
         {"印刷打ち切り", "印刷打ち切り", "", 2, 105}, 2},
        {"aborted with error 300", RecordBuilder().kind(2).errorCode(300).errorDetail(0x1A).message(kMessage),
         {"印刷打ち切り", "印刷打ち切り", "[0300-001a] トナーがありません", 2, 105}, 2},
        {"error 299", RecordBuilder().kind(3).errorCode(299).errorDetail(0x1A).message(kMessage),
         {"エラー解除", "エラー解除", "", 3, 103}, 3},
        {"error 300", RecordBuilder().kind(3).errorCode(300).errorDetail(0x1A).message(kMessage),
         {kMessage, "[0300-001a] トナーがありません", "", 3, 103}, 3},
        {"held", RecordBuilder().kind(4), {"保留", "保留", "", 4, 107}, 4},
        {"started", RecordBuilder().kind(5), {"印刷開始", "印刷開始", "", 5, 106}, 5},
        {"kind 6", RecordBuilder().kind(6), {"??", "??", "", 0, 0}, 6},
        {"kind 77", RecordBuilder().kind(77).fallbackFlags(0x10002), {"??", "??", "", 0, 0}, 77},
        {"kind -1", RecordBuilder().kind(-1), {"??", "??", "", 0, 0}, -1},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = c.record.build();
        LogRecordView view;
        ASSERT_EQ(bytes.size(), parse(view, bytes));
        EXPECT_EQ(c.shownKind, view.record->eventKind);
        expectShown(view, c.shown);
    }
}

TEST(LogRecordView, CountsAndDate) {
    struct Case {
        const char* name;
        RecordBuilder record;
        const char* pages;
        const char* sheets;
        const char* mono;
        const char* colour;
    } cases[] = {
        {"known", RecordBuilder().pages(12, 12).sheets(6).colour(8, 4), "12", "6", "8", "4"},
        {"unknown", RecordBuilder().pages(-1, -1).sheets(-1).colour(-1, -1), "-1", "", "", ""},
        {"zero and large", RecordBuilder().pages(0, 0).sheets(2147483647).colour(0, -2), "0", "2147483647", "0", "-2"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = c.record.time(2026, 4, 1, 9, 5, 7, 999).build();
        LogRecordView view;
        ASSERT_NE(0u, parse(view, bytes));
        EXPECT_STREQ(c.pages, view.pagesPrintedText);
        EXPECT_STREQ(c.sheets, view.sheetsText);
        EXPECT_STREQ(c.mono, view.monoPagesText);
        EXPECT_STREQ(c.colour, view.colourPagesText);
        EXPECT_STREQ("2026/04/01  09:05:07", view.dateText);
    }
}

TEST(LogRecordView, PagesDetailText) {
    const uint32_t unconfirmed = FLAG_COUNTS_UNCONFIRMED;
    const uint32_t sent = FLAG_SENT_ONLY;
    struct Case { const char* name; RecordBuilder record; const char* expected; } cases[] = {
        {"completed, 3 of 3 copies", RecordBuilder().kind(0).pages(12, 12).copies(3, 3), "12ページ （ 3部 ）"},
        {"error after 5 of 20", RecordBuilder().kind(3).errorCode(300).pages(5, 20).copies(1, 1), "5 / 20ページ"},
        {"error with copies", RecordBuilder().kind(3).pages(5, 20).copies(1, 2), "5 / 20ページ （ 1 / 2部 ）"},
        {"sent", RecordBuilder().kind(0).flags(sent).pages(4, 10).copies(2, 3), "4 / 10ページ （ 2 / 3部 ）"},
        {"sent, unconfirmed", RecordBuilder().kind(1).fallbackFlags(0x10002).flags(sent | unconfirmed).pages(4, 10),
         "4 / 10ページ   ※要確認"},
        {"copies deviation", RecordBuilder().kind(1).fallbackFlags(0x1004).pages(7, 7).copies(1, 3),
         "7ページ （ 1 / 3部 ）"},
        {"other deviation", RecordBuilder().kind(1).fallbackFlags(0x10002).pages(7, 7).copies(2, 3), "7ページ （ 2部 ）"},
        {"completed, unconfirmed", RecordBuilder().kind(0).flags(unconfirmed).pages(3, 3), "3ページ"},
        {"aborted", RecordBuilder().kind(2).flags(unconfirmed).pages(2, 9).copies(1, 2), "2ページ （ 1 / 2部 ）   ※要確認"},
        {"held", RecordBuilder().kind(4).flags(unconfirmed).pages(0, 9), "0ページ   ※要確認"},
        {"error, unconfirmed", RecordBuilder().kind(3).flags(unconfirmed).pages(1, 2), "1 / 2ページ"},
        {"started", RecordBuilder().kind(5).flags(unconfirmed).pages(0, 4).copies(0, 4), "0ページ （ 0部 ）"},
        {"unknown kind", RecordBuilder().kind(9).pages(1, 1).copies(1, 2), "1ページ （ 1部 ）"},
        {"copies requested 0xFFFFFFFF", RecordBuilder().kind(0).pages(1, 1).copies(1, -1), "1ページ （ 1部 ）"},
        {"copies requested 1", RecordBuilder().kind(2).pages(1, 1).copies(1, 1), "1ページ"},
        {"copies requested 0", RecordBuilder().kind(2).pages(1, 1).copies(0, 0), "1ページ"},
        {"pages unknown", RecordBuilder().kind(0).pages(-1, -1), "-1ページ"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogRecordView view;
        ASSERT_NE(0u, parse(view, c.record.build()));
        EXPECT_STREQ(c.expected, view.pagesDetailText());
    }
}

TEST(LogRecordView, NoticeRecords) {
    SYSTEMTIME now = {2026, 12, 0, 6, 7, 30, 5, 0};
    struct Case { int kind; const char* title; const char* message; } cases[] = {
        {kNoticeNotStored, "印刷ログなし", "この印刷ログはデータが正しく保存されていないため表示できません。"},
        {kNoticeFileSwitched, "印刷ログ切替え", "印刷ログファイルが正しくないため印刷ログファイルを切替えました。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        ByteBuffer notice;
        ASSERT_TRUE(buildNoticeRecord(c.kind, now, notice));
        LogRecordView view;
        ASSERT_EQ(notice.size(), view.parseRecord(notice.data()));
        expectShown(view, {c.title, c.title, c.message, 1, 107});
        EXPECT_STREQ("", view.pagesPrintedText);
        EXPECT_STREQ("", view.sheetsText);
        EXPECT_STREQ("", view.monoPagesText);
        EXPECT_STREQ("", view.colourPagesText);
        EXPECT_STREQ("", view.trayText);
        EXPECT_STREQ("", view.pagesDetailText());
        EXPECT_STREQ("2026/12/06  07:30:05", view.dateText);
    }
}

TEST(LogRecordView, LongTitlesAndMessagesAreCutOnCharacterBoundaries) {
    ASSERT_EQ(932u, ::GetACP());
    const std::string ascii62(62, 'x');
    const std::string ascii61(61, 'x');
    const std::string longMessage = ascii61 + "紙づまりです。カバーを開けて用紙を取り除いてください。";
    struct Case { const char* name; RecordBuilder record; std::string category; std::string dialogCategory; } cases[] = {
        {"notice title, lead byte at 62", RecordBuilder().flags(FLAG_NOTICE).kind(1).title(ascii62 + "あい"), ascii62,
         ascii62},
        {"notice title of 63 bytes", RecordBuilder().flags(FLAG_NOTICE).kind(1).title(ascii61 + "あ"), ascii61 + "あ",
         ascii61 + "あ"},
        {"error message, lead byte at 62", RecordBuilder().kind(3).errorCode(300).message(ascii62 + "あ"), ascii62,
         "[0300-0000] " + ascii62 + "あ"},
        {"long error message", RecordBuilder().kind(3).errorCode(301).errorDetail(0x1A).message(longMessage),
         ascii61 + "紙", "[0301-001a] " + longMessage},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogRecordView view;
        ASSERT_NE(0u, parse(view, c.record.build()));
        EXPECT_EQ(c.category, view.categoryText);
        EXPECT_EQ(c.dialogCategory, view.dialogCategoryText());
    }
}

TEST(LogRecordView, ListColumns) {
    Bytes bytes = RecordBuilder()
                      .kind(0).pages(3, 3).sheets(2).colour(1, 2).jobId(4294967295u)
                      .printer("NORVALE QV-2810").requester("PC01").document("見積書.xls").user("山田")
                      .time(2026, 1, 2, 3, 4, 5).build();
    LogRecordView view;
    ASSERT_NE(0u, parse(view, bytes));
    const char* expected[kListColumnCount] = {"印刷完了", "見積書.xls", "山田", "1", "2", "2", "NORVALE QV-2810",
                                              "2026/01/02  03:04:05", "PC01", "4294967295"};
    char buffer[16];
    for (int column = 0; column < kListColumnCount; ++column) {
        SCOPED_TRACE(column);
        EXPECT_STREQ(expected[column], view.columnText(column, buffer, sizeof buffer));
    }
    EXPECT_STREQ("", view.columnText(kListColumnCount, buffer, sizeof buffer));
    EXPECT_STREQ("", view.columnText(-1, buffer, sizeof buffer));

    // Unconfirmed counts show as one blank in columns 3 to 5; the stored texts stay numbers.
    putU32(bytes, offsetof(LogRecord, flags), FLAG_COUNTS_UNCONFIRMED);
    ASSERT_NE(0u, parse(view, bytes));
    for (int column : {kColumnMonoPages, kColumnColourPages, kColumnSheets})
        EXPECT_STREQ(" ", view.columnText(column, buffer, sizeof buffer));
    EXPECT_STREQ("1", view.monoPagesText);

    LogRecordView empty;
    for (int column = 0; column < kListColumnCount; ++column)
        EXPECT_STREQ("", empty.columnText(column, buffer, sizeof buffer));
}

TEST(LogRecordView, SizeBounds) {
    struct Case { uint32_t size; bool accepted; } cases[] = {
        {0, false}, {111, false}, {112, true}, {127, true}, {128, true}, {5056, true}, {5057, false}, {0xFFFFFFFF, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        Bytes bytes(5100, 0);
        Bytes first = RecordBuilder().kind(4).build();
        LogRecordView view;
        ASSERT_EQ(first.size(), parse(view, first));
        putU32(bytes, 0, c.size);
        putU32(bytes, 4, 128);
        putU32(bytes, offsetof(LogRecord, eventKind), 2);
        if (c.accepted) {
            EXPECT_EQ(c.size, parse(view, bytes));
            EXPECT_EQ(c.size, view.recordSize());
            EXPECT_STREQ("印刷打ち切り", view.categoryText);
        } else {
            // A rejected record leaves the view as it was.
            EXPECT_EQ(0u, parse(view, bytes));
            EXPECT_EQ(first.size(), view.recordSize());
            EXPECT_STREQ("保留", view.categoryText);
        }
    }
    LogRecordView view;
    EXPECT_EQ(0u, view.parseRecord(nullptr));
    EXPECT_TRUE(view.record == nullptr);
}

TEST(LogRecordView, ReparseReplacesEveryText) {
    LogRecordView view;
    ASSERT_NE(0u, parse(view, RecordBuilder().kind(0).pages(5, 5).tray(2).build()));
    EXPECT_STREQ("トップトレイ", view.trayText);
    ByteBuffer notice;
    SYSTEMTIME now = {2026, 1, 0, 1, 0, 0, 0, 0};
    ASSERT_TRUE(buildNoticeRecord(kNoticeNotStored, now, notice));
    ASSERT_NE(0u, view.parseRecord(notice.data()));
    EXPECT_STREQ("", view.trayText);
    EXPECT_STREQ("", view.pagesPrintedText);
    EXPECT_STREQ("印刷ログなし", view.categoryText);
}

TEST(LogRecordView, SameContentAndAssignFrom) {
    const Bytes base = RecordBuilder().kind(3).errorCode(300).message(kMessage).jobId(9).build();
    LogRecordView a;
    LogRecordView b;
    ASSERT_NE(0u, parse(a, base));
    ASSERT_NE(0u, parse(b, base));
    EXPECT_TRUE(a.sameContent(b));

    Bytes uninterpreted = base;
    uninterpreted[offsetof(LogRecord, unused80) + 3] = 0x5A;  // a byte of the printing side
    ASSERT_NE(0u, parse(b, uninterpreted));
    EXPECT_FALSE(a.sameContent(b));

    ASSERT_NE(0u, parse(b, RecordBuilder().kind(3).errorCode(300).message("トナーがありませn").jobId(9).build()));
    EXPECT_FALSE(a.sameContent(b));

    LogRecordView empty;
    EXPECT_FALSE(a.sameContent(empty));
    EXPECT_FALSE(empty.sameContent(a));
    LogRecordView otherEmpty;
    EXPECT_TRUE(empty.sameContent(otherEmpty));

    a.rowState = 4;
    LogRecordView copy;
    EXPECT_EQ(base.size(), copy.assignFrom(a));
    EXPECT_EQ(4, copy.rowState);
    EXPECT_TRUE(copy.sameContent(a));
    EXPECT_NE(a.recordBytes(), copy.recordBytes());  // its own copy
    EXPECT_STREQ(kMessage, copy.messageText);
    EXPECT_STREQ("[0300-0000] トナーがありません", copy.dialogCategoryText());

    // Assigning a view to itself keeps its record.
    EXPECT_EQ(base.size(), copy.assignFrom(copy));
    EXPECT_TRUE(copy.sameContent(a));
    EXPECT_STREQ(kMessage, copy.categoryText);

    // Assigning an empty view empties this one.
    empty.rowState = 3;
    EXPECT_EQ(0u, copy.assignFrom(empty));
    EXPECT_TRUE(copy.record == nullptr);
    EXPECT_TRUE(copy.messageText == nullptr);
    EXPECT_STREQ("", copy.categoryText);
    EXPECT_EQ(3, copy.rowState);
}

// Holds bytes so that they end exactly where a page without access begins: any read past
// the end faults.
class GuardedBytes {
public:
    explicit GuardedBytes(size_t capacity) {
        SYSTEM_INFO info;
        ::GetSystemInfo(&info);
        page_ = info.dwPageSize;
        dataPages_ = (capacity + page_ - 1) / page_;
        base_ = static_cast<uint8_t*>(
            ::VirtualAlloc(NULL, (dataPages_ + 1) * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        guarded_ = base_ && ::VirtualProtect(base_ + dataPages_ * page_, page_, PAGE_NOACCESS, &old);
    }
    ~GuardedBytes() {
        if (base_) ::VirtualFree(base_, 0, MEM_RELEASE);
    }
    bool ok() const { return guarded_; }
    const uint8_t* place(const Bytes& bytes) {
        uint8_t* at = base_ + dataPages_ * page_ - bytes.size();
        std::memcpy(at, bytes.data(), bytes.size());
        return at;
    }

private:
    size_t page_ = 0;
    size_t dataPages_ = 0;
    uint8_t* base_ = nullptr;
    bool guarded_ = false;
};

LONG WINAPI reportOverRead(EXCEPTION_POINTERS* info) {
    std::fprintf(stderr, "read outside the record: exception %08lx\n", info->ExceptionRecord->ExceptionCode);
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

// A record with the strings "P" .. "E" and a message that runs to the very end, without NUL.
Bytes recordWithUnterminatedMessage() {
    Bytes bytes = RecordBuilder().printer("P").requester("R").document("D").user("U").matchKey("K")
                      .title("T").text(kExtraText, "E").message("未終端").build();
    const size_t messageStart = 128 + 7 * 2;
    bytes.resize(messageStart + std::strlen("未終端"));
    putU32(bytes, 0, static_cast<uint32_t>(bytes.size()));
    return bytes;
}

TEST(LogRecordView, MalformedRecordsAreReadOnlyWithinThemselves) {
    LPTOP_LEVEL_EXCEPTION_FILTER previous = ::SetUnhandledExceptionFilter(reportOverRead);
    GuardedBytes memory(8192);
    ASSERT_TRUE(memory.ok());

    {
        SCOPED_TRACE("size 111 and 5057: only the size is read");
        for (uint32_t size : {111u, 5057u}) {
            Bytes head(4, 0);
            putU32(head, 0, size);
            LogRecordView view;
            EXPECT_EQ(0u, view.parseRecord(memory.place(head)));
        }
    }
    {
        SCOPED_TRACE("size 112: the fields beyond the record read as zero");
        Bytes shortRecord = RecordBuilder().kind(0).colour(7, 8).build();
        shortRecord.resize(112);
        putU32(shortRecord, 0, 112);
        LogRecordView view;
        ASSERT_EQ(112u, view.parseRecord(memory.place(shortRecord)));
        EXPECT_EQ(0, view.record->monoPages);
        EXPECT_EQ(0, view.record->colourPages);
        EXPECT_STREQ("0", view.monoPagesText);
        EXPECT_STREQ("", view.printerName);
        EXPECT_STREQ("", view.messageText);
        char buffer[16];
        for (int column = 0; column < kListColumnCount; ++column) view.columnText(column, buffer, sizeof buffer);
        view.detailsText();
        view.pagesDetailText();
    }
    {
        SCOPED_TRACE("size 5056 at the end of the memory");
        Bytes big = RecordBuilder().kind(3).errorCode(300).message(std::string(4000, 'm')).padTo(5056).build();
        LogRecordView view;
        ASSERT_EQ(5056u, view.parseRecord(memory.place(big)));
        EXPECT_EQ(4000u, std::strlen(view.messageText));
        EXPECT_EQ(63u, std::strlen(view.categoryText));
    }
    {
        SCOPED_TRACE("last string without NUL");
        Bytes bytes = recordWithUnterminatedMessage();
        LogRecordView view;
        ASSERT_EQ(bytes.size(), view.parseRecord(memory.place(bytes)));
        EXPECT_STREQ("P", view.printerName);
        EXPECT_STREQ("E", view.extraText);
        EXPECT_STREQ("未終端", view.messageText);
        LogRecordView again;
        ASSERT_EQ(bytes.size(), again.assignFrom(view));
        EXPECT_TRUE(again.sameContent(view));
    }
    {
        SCOPED_TRACE("no NUL anywhere in the string area");
        Bytes bytes = RecordBuilder().build();
        std::memset(bytes.data() + 128, 'x', bytes.size() - 128);
        LogRecordView view;
        ASSERT_EQ(bytes.size(), view.parseRecord(memory.place(bytes)));
        EXPECT_EQ(bytes.size() - 128, std::strlen(view.printerName));
        EXPECT_STREQ("", view.messageText);
    }
    {
        SCOPED_TRACE("strings offset at or past the end");
        const uint32_t size = static_cast<uint32_t>(RecordBuilder().message(kMessage).build().size());
        for (uint32_t offset : {size, size + 1, 0x7FFFFFFFu, 0xFFFFFFF0u}) {
            SCOPED_TRACE(offset);
            Bytes bytes = RecordBuilder().message(kMessage).build();
            putU32(bytes, 4, offset);
            LogRecordView view;
            ASSERT_EQ(bytes.size(), view.parseRecord(memory.place(bytes)));
            const char* strings[] = {view.printerName, view.requesterName, view.documentName, view.userName,
                                     view.matchKey, view.title, view.extraText, view.messageText};
            for (const char* s : strings) EXPECT_STREQ("", s);
            EXPECT_STREQ("印刷完了", view.categoryText);
        }
    }
    ::SetUnhandledExceptionFilter(previous);
}

}  // namespace
