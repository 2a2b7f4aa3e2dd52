#include <gtest/gtest.h>

#include <cstring>

#include "store/LogFormat.h"
#include "tests/support/RecordBuilder.h"

namespace {

void putU32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

TEST(LogFormat, HeaderFieldsSitAtTheirOffsets) {
    uint8_t bytes[64] = {0};
    std::memcpy(bytes, "KQVTLG2", 8);
    putU32(bytes + 8, 1000);
    putU32(bytes + 12, 512000);
    putU32(bytes + 16, 1001);
    putU32(bytes + 20, 64);
    putU32(bytes + 24, 1002);
    putU32(bytes + 28, 256000);
    putU32(bytes + 32, 900);
    putU32(bytes + 36, 7);
    bytes[40] = 0xAB;
    bytes[63] = 0xCD;
    LogFileHeader h;
    std::memcpy(&h, bytes, sizeof h);
    EXPECT_STREQ("KQVTLG2", h.signature);
    EXPECT_EQ(1000u, h.usedSize);
    EXPECT_EQ(512000u, h.maxSize);
    EXPECT_EQ(1001u, h.appendOffset);
    EXPECT_EQ(64u, h.firstRecordOffset);
    EXPECT_EQ(1002u, h.tailOffset);
    EXPECT_EQ(256000u, h.previousMaxSize);
    EXPECT_EQ(900u, h.lastRecordOffset);
    EXPECT_EQ(7u, h.reserved36);
    EXPECT_EQ(0xAB, h.reserved40[0]);
    EXPECT_EQ(0xCD, h.reserved40[23]);
}

TEST(LogFormat, FreshHeaderBytes) {
    LogFileHeader h;
    std::memset(&h, 0x55, sizeof h);
    makeFreshHeader(h, 500);
    uint8_t expected[64] = {0};
    std::memcpy(expected, "KQVTLG2", 8);
    putU32(expected + 8, 64);
    putU32(expected + 12, 512000);
    putU32(expected + 16, 64);
    putU32(expected + 20, 64);
    putU32(expected + 24, 64);
    putU32(expected + 28, 512000);
    EXPECT_EQ(0, std::memcmp(expected, &h, 64));
}

TEST(LogFormat, RecordFieldsSitAtTheirOffsets) {
    std::vector<uint8_t> r = RecordBuilder()
                                 .kind(3).errorCode(300).errorDetail(0x1A).fallbackFlags(0x10002)
                                 .pages(5, 20).sheets(6).copies(2, 3).colour(4, 1)
                                 .tray(0x0302 | 0x10000).jobId(77).clearedErrorCode(301)
                                 .time(2006, 4, 1, 9, 5, 7, 42).build();
    auto u32 = [&](size_t off) { uint32_t v; std::memcpy(&v, r.data() + off, 4); return v; };
    auto u16 = [&](size_t off) { uint16_t v; std::memcpy(&v, r.data() + off, 2); return v; };
    EXPECT_EQ(r.size(), u32(0));
    EXPECT_EQ(128u, u32(4));
    EXPECT_EQ(2006, u16(16));
    EXPECT_EQ(4, u16(18));
    EXPECT_EQ(1, u16(22));
    EXPECT_EQ(9, u16(24));
    EXPECT_EQ(42, u16(30));
    EXPECT_EQ(3u, u32(32));
    EXPECT_EQ(300u, u32(36));
    EXPECT_EQ(0x1Au, u32(40));
    EXPECT_EQ(0x10002u, u32(44));
    EXPECT_EQ(5u, u32(48));
    EXPECT_EQ(20u, u32(52));
    EXPECT_EQ(6u, u32(56));
    EXPECT_EQ(2u, u32(60));
    EXPECT_EQ(3u, u32(64));
    EXPECT_EQ(0x02, r[72]);
    EXPECT_EQ(0x03, r[73]);
    EXPECT_EQ(77u, u32(76));
    EXPECT_EQ(301u, u32(100));
    EXPECT_EQ(4u, u32(112));
    EXPECT_EQ(1u, u32(116));
    EXPECT_EQ(0, std::memcmp(r.data() + 128, "NORVALE QV-2810\0PC01\0", 21));
}

TEST(LogFormat, RecordSizeRule) {
    const char* oneChar[8] = {"a", "b", "c", "d", "e", "f", "g", "h"};
    EXPECT_EQ(148u, recordSizeFor(oneChar));  // 128 + 16 + 1, rounded up
    const char* empty[8] = {"", "", "", "", "", "", "", ""};
    EXPECT_EQ(140u, recordSizeFor(empty));  // 137 rounded up
    const char* three[8] = {"abc", "", "", "", "", "", "", ""};
    EXPECT_EQ(140u, recordSizeFor(three));  // 140 exactly
    const char* four[8] = {"abcd", "", "", "", "", "", "", ""};
    EXPECT_EQ(144u, recordSizeFor(four));
}

TEST(LogFormat, NoticeRecords) {
    SYSTEMTIME now = {2026, 12, 0, 6, 7, 30, 0, 0};
    struct Case { int kind; uint32_t size; const char* title; } cases[] = {
        {kNoticeNotStored, 220, "印刷ログなし"},
        {kNoticeFileSwitched, 224, "印刷ログ切替え"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ByteBuffer notice;
        ASSERT_TRUE(buildNoticeRecord(c.kind, now, notice));
        ASSERT_EQ(c.size, notice.size());
        LogRecord r;
        std::memcpy(&r, notice.data(), sizeof r);
        EXPECT_EQ(c.size, r.recordSize);
        EXPECT_EQ(128u, r.stringsOffset);
        EXPECT_EQ(kNoticeRecordTag, r.recordTag);
        EXPECT_EQ(FLAG_NOTICE, r.flags);
        EXPECT_EQ(1, r.eventKind);
        EXPECT_EQ(-1, r.pagesPrinted);
        EXPECT_EQ(-1, r.totalPages);
        EXPECT_EQ(-1, r.sheetsPrinted);
        EXPECT_EQ(-1, r.monoPages);
        EXPECT_EQ(-1, r.colourPages);
        EXPECT_EQ(0, r.copiesRequested);
        EXPECT_EQ(0u, r.outputTray);
        EXPECT_EQ(0u, r.jobId);
        EXPECT_EQ(0, std::memcmp(&r.eventTime, &now, sizeof now));
        ByteBuffer padded;
        padded.allocate(notice.size() + 1);
        std::memcpy(padded.data(), notice.data(), notice.size());
        RecordStrings s;
        locateRecordStrings(padded.data(), c.size, s);
        for (int i : {0, 1, 2, 3, 4, 6}) EXPECT_STREQ(" ", s.text[i]);
        EXPECT_STREQ(c.title, s.text[kTitle]);
    }
}

TEST(LogFormat, SignatureNeedsTheClosingNul) {
    EXPECT_TRUE(hasLogSignature("KQVTLG2\0rest", 12));
    EXPECT_FALSE(hasLogSignature("KQVTLG2X", 8));
    EXPECT_FALSE(hasLogSignature("KQVTLG2", 7));
    EXPECT_FALSE(hasLogSignature("KQVTLG1\0", 8));
    EXPECT_FALSE(hasLogSignature(nullptr, 8));
}

TEST(LogFormat, StringsStayInsideTheCopy) {
    std::vector<uint8_t> r = RecordBuilder().build();
    // A record whose last string has no NUL before the end: strings end at the copy's end.
    std::vector<uint8_t> copy(r.size() + 1, 0);
    std::memcpy(copy.data(), r.data(), r.size());
    std::memset(copy.data() + 128, 'x', r.size() - 128);
    RecordStrings s;
    locateRecordStrings(copy.data(), static_cast<uint32_t>(r.size()), s);
    EXPECT_EQ(r.size() - 128, std::strlen(s.text[0]));
    for (int i = 1; i < 8; ++i) EXPECT_STREQ("", s.text[i]);

    uint32_t past = static_cast<uint32_t>(r.size()) + 10;
    std::memcpy(copy.data() + 4, &past, 4);
    locateRecordStrings(copy.data(), static_cast<uint32_t>(r.size()), s);
    for (int i = 0; i < 8; ++i) EXPECT_STREQ("", s.text[i]);
}

}  // namespace
