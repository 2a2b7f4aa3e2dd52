#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "services/ScopedHandle.h"
#include "store/LogWriter.h"
#include "tests/support/RecordBuilder.h"
#include "tests/support/TestEnvironment.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t u32At(const Bytes& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, sizeof v);
    return v;
}

const LogFileHeader& headerOf(const Bytes& file) { return *reinterpret_cast<const LogFileHeader*>(file.data()); }
const LogRecord& recordAt(const Bytes& file, size_t at) { return *reinterpret_cast<const LogRecord*>(file.data() + at); }

// Runs the product's writer on a real file holding `file`; returns its result and the new bytes.
int writeThroughFile(const TempDir& dir, Bytes& file, const Bytes& record, uint32_t maxKb) {
    std::string path = dir.file("KQVTPRT2.LOG");
    EXPECT_TRUE(writeFileBytes(path, file.data(), file.size()));
    int result;
    {
        ScopedHandle h(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL));
        EXPECT_TRUE(h.valid());
        result = writeLogFile(h.get(), record.data(), static_cast<uint32_t>(record.size()), maxKb);
    }
    file = readFileBytes(path);
    return result;
}

// The writer as first designed, step by step on bytes in memory: every kept record is
// read, checked, passed through the closing rule and written back at the write position.
int referenceWrite(Bytes& file, Bytes fresh, uint32_t maxKb) {
    if (file.size() < 64 || std::strcmp(reinterpret_cast<const char*>(file.data()), "KQVTLG2") != 0) return -1;
    LogFileHeader header = headerOf(file);
    const int64_t M = int64_t(maxKb) * 1024;
    const int64_t F = int64_t(file.size());
    const uint32_t S = u32At(fresh, 0);
    if (S > M - 64) return 1;
    fresh.resize(S);
    LogRecord& r = *reinterpret_cast<LogRecord*>(fresh.data());
    auto stringsOf = [](const Bytes& rec) {
        std::vector<std::string> out;
        size_t p = u32At(rec, 4);
        for (int i = 0; i < 5; ++i) {
            std::string s(reinterpret_cast<const char*>(rec.data() + p));
            p += s.size() + 1;
            out.push_back(s);
        }
        return out;
    };
    auto ticks = [](const SYSTEMTIME& t) {
        FILETIME ft = {0, 0};
        if (!::SystemTimeToFileTime(&t, &ft)) return ULONGLONG(0);
        return (ULONGLONG(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    };
    int64_t excess = S + F - M;
    int64_t rp = 64;
    while (excess > 0) {
        if (rp + 128 > F) return 2;
        uint32_t rs = u32At(file, size_t(rp));
        if (rs < 128 || rs > M - 64) return 2;
        excess -= rs;
        rp += rs;
    }
    int64_t wp = 64;
    const std::vector<std::string> freshStrings = stringsOf(fresh);
    while (rp < F) {
        if (rp + 128 > F) return 2;
        uint32_t rs = u32At(file, size_t(rp));
        if (rs < 128 || rs > M - 64 || rp + rs > F) return 2;
        Bytes e(file.begin() + rp, file.begin() + rp + rs);
        rp += rs;
        LogRecord& er = *reinterpret_cast<LogRecord*>(e.data());
        if (er.eventKind == 3 && !(er.flags & 0x80000000u) && er.jobId == r.jobId) {
            std::vector<std::string> es = stringsOf(e);
            bool same = true;
            for (int i = 0; i < 5; ++i) same = same && ::lstrcmpiA(es[i].c_str(), freshStrings[i].c_str()) == 0;
            if (same) {
                if (ticks(er.eventTime) < ticks(r.eventTime)) {
                    er.flags |= 0x80000000u;
                    if (r.eventKind != 3) {
                        er.clearedErrorCode = er.errorCode;
                        er.errorCode = 0;
                    }
                } else {
                    r.flags |= 0x80000000u;
                }
            }
        }
        std::memcpy(file.data() + wp, e.data(), rs);
        wp += rs;
    }
    file.resize(size_t(wp));
    file.insert(file.end(), fresh.begin(), fresh.end());
    header.previousMaxSize = header.maxSize;
    header.usedSize = header.appendOffset = header.tailOffset = uint32_t(wp + S);
    header.maxSize = uint32_t(M);
    header.firstRecordOffset = 64;
    header.lastRecordOffset = uint32_t(wp);
    header.reserved36 = 0;
    std::memcpy(file.data(), &header, 64);
    return 0;
}

Bytes emptyLog(uint32_t maxKb) { return buildLogFile({}, maxKb); }

}  // namespace

// A record of exactly M - 64 bytes fills the file alone; a larger one is refused.
TEST(LogWriter, BoundingKeepsTheFileWithinTheMaximum) {
    TempDir dir;
    const uint32_t kb = 5, M = kb * 1024;
    Bytes older = RecordBuilder().jobId(7).build();
    Bytes file = buildLogFile({older, older, older}, kb);

    Bytes exact = RecordBuilder().jobId(8).padTo(M - 64).build();
    ASSERT_EQ(kWriteStored, writeThroughFile(dir, file, exact, kb));
    ASSERT_EQ(M, file.size());
    EXPECT_EQ(64u, headerOf(file).lastRecordOffset);
    EXPECT_EQ(M, headerOf(file).usedSize);

    Bytes tooBig = RecordBuilder().jobId(9).padTo(M - 60).build();
    Bytes before = file;
    EXPECT_EQ(kWriteNotStored, writeThroughFile(dir, file, tooBig, kb));
    EXPECT_EQ(before, file);

    // 64 KB maximum: a 65,473-byte record is refused (the record itself is not even storable).
    Bytes small = emptyLog(64);
    Bytes huge = RecordBuilder().padTo(65473).build();
    EXPECT_EQ(kWriteNotStored, writeThroughFile(dir, small, huge, 64));
    EXPECT_EQ(64u, small.size());
}

// Error, later error, later completion of one job: closed, closed with the code moved, open.
TEST(LogWriter, ClosingRuleFollowsTheJob) {
    TempDir dir;
    Bytes file = emptyLog(500);
    Bytes first = RecordBuilder().kind(3).errorCode(301).jobId(5).time(2026, 5, 1, 10, 0, 0).build();
    Bytes second = RecordBuilder().kind(3).errorCode(302).jobId(5).time(2026, 5, 1, 10, 1, 0).build();
    Bytes done = RecordBuilder().kind(0).jobId(5).time(2026, 5, 1, 10, 2, 0).build();
    ASSERT_EQ(0, writeThroughFile(dir, file, first, 500));
    ASSERT_EQ(0, writeThroughFile(dir, file, second, 500));
    ASSERT_EQ(0, writeThroughFile(dir, file, done, 500));
    const size_t a = 64, b = a + first.size(), c = b + second.size();
    EXPECT_TRUE(recordAt(file, a).flags & FLAG_CLOSED);
    EXPECT_EQ(301u, recordAt(file, a).errorCode);
    EXPECT_TRUE(recordAt(file, b).flags & FLAG_CLOSED);
    EXPECT_EQ(0u, recordAt(file, b).errorCode);
    EXPECT_EQ(302u, recordAt(file, b).clearedErrorCode);
    EXPECT_FALSE(recordAt(file, c).flags & FLAG_CLOSED);
}

TEST(LogWriter, ClosingRuleMatchesOnlyTheSameJob) {
    struct Case { const char* what; Bytes incoming; bool storedClosed; bool errorClosed; };
    const Bytes error = RecordBuilder().kind(3).errorCode(310).jobId(9).printer("QV-A").time(2026, 5, 1, 12, 0, 0).build();
    Case cases[] = {
        {"late-arriving earlier error is stored closed",
         RecordBuilder().kind(3).errorCode(311).jobId(9).printer("QV-A").time(2026, 5, 1, 11, 0, 0).build(), true, false},
        {"letter case does not matter",
         RecordBuilder().kind(0).jobId(9).printer("qv-a").user("USER1").time(2026, 5, 1, 13, 0, 0).build(), false, true},
        {"another job never matches",
         RecordBuilder().kind(0).jobId(10).printer("QV-A").time(2026, 5, 1, 13, 0, 0).build(), false, false},
        {"another match key never matches",
         RecordBuilder().kind(0).jobId(9).printer("QV-A").matchKey("x").time(2026, 5, 1, 13, 0, 0).build(), false, false},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes file = emptyLog(500);
        ASSERT_EQ(0, writeThroughFile(dir, file, error, 500));
        ASSERT_EQ(0, writeThroughFile(dir, file, c.incoming, 500));
        EXPECT_EQ(c.errorClosed, (recordAt(file, 64).flags & FLAG_CLOSED) != 0);
        EXPECT_EQ(c.storedClosed, (recordAt(file, 64 + error.size()).flags & FLAG_CLOSED) != 0);
    }
}

// Records the viewer could not read, or that the next writer would call broken, are
// refused before anything is written.
TEST(LogWriter, UnreadablePendingRecordsAreRefused) {
    Bytes good = RecordBuilder().build();
    auto withSize = [&](uint32_t size) { Bytes b = good; std::memcpy(b.data(), &size, 4); return b; };
    auto withStrings = [&](uint32_t offset) { Bytes b = good; std::memcpy(b.data() + 4, &offset, 4); return b; };
    struct Case { const char* what; Bytes record; } cases[] = {
        {"shorter than the fixed part", Bytes(good.begin(), good.begin() + 100)},
        {"size beyond the value", withSize(uint32_t(good.size()) + 4)},
        {"size below the fixed part", withSize(112)},
        {"size above the largest record", RecordBuilder().padTo(5060).build()},
        {"strings outside the record", withStrings(uint32_t(good.size()))},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes file = buildLogFile({good}, 500);
        Bytes before = file;
        EXPECT_FALSE(isStorableRecord(c.record.data(), uint32_t(c.record.size())));
        EXPECT_EQ(kWriteNotStored, writeThroughFile(dir, file, c.record, 500));
        EXPECT_EQ(before, file);
    }
    // Bytes after recordSize are ignored.
    Bytes longer = good;
    longer.resize(good.size() + 40, 0xEE);
    Bytes file = emptyLog(500);
    ASSERT_EQ(kWriteStored, writeThroughFile(dir, file, longer, 500));
    EXPECT_EQ(64 + good.size(), file.size());
}

// A file found broken is left exactly as it was, so the backup keeps every record.
TEST(LogWriter, BrokenFileIsReportedUntouched) {
    TempDir dir;
    Bytes a = RecordBuilder().jobId(1).build(), b = RecordBuilder().jobId(2).build();
    Bytes file = buildLogFile({a, b, a}, 500);
    uint32_t bad = 100;
    std::memcpy(file.data() + 64 + a.size(), &bad, 4);
    Bytes before = file;
    EXPECT_EQ(kWriteFileBroken, writeThroughFile(dir, file, a, 500));
    EXPECT_EQ(before, file);

    Bytes cut = buildLogFile({a, b}, 500);
    cut.resize(cut.size() - 10);
    before = cut;
    EXPECT_EQ(kWriteFileBroken, writeThroughFile(dir, cut, a, 500));
    EXPECT_EQ(before, cut);

    Bytes other = buildLogFile({a}, 500);
    other[7] = 'X';
    EXPECT_EQ(kWriteBadSignature, writeThroughFile(dir, other, a, 500));
}

// The writer rewrites only what moves or changes, yet must leave the very bytes that the
// straightforward walk leaves: compared after every step of a long random history.
TEST(LogWriter, MatchesTheStraightforwardWalkByteForByte) {
    TempDir dir;
    std::mt19937 rng(20261206);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const char* printers[] = {"QV-A", "qv-a", "QV-B"};
    const char* users[] = {"user1", "USER1", "user2"};
    Bytes mine = emptyLog(6), reference = emptyLog(6);
    // Reserved header bytes must survive every rewrite.
    for (int i = 40; i < 64; ++i) mine[i] = reference[i] = uint8_t(i);
    int drops = 0, closes = 0;
    for (int step = 0; step < 600; ++step) {
        SCOPED_TRACE(step);
        int kind = pick(10) < 5 ? 3 : pick(6);
        RecordBuilder builder;
        builder.kind(kind).errorCode(300 + pick(5)).jobId(uint32_t(1 + pick(3)))
            .printer(printers[pick(3)]).user(users[pick(3)])
            .time(2026, 6, 1, 10, pick(4), pick(3));
        Bytes record = builder.build();
        if (pick(4) == 0) builder.padTo(uint32_t(record.size() + 4 * pick(400)));
        if (pick(50) == 0) builder.padTo(5056);
        record = builder.build();
        uint32_t kb = pick(10) == 0 ? uint32_t(7 + pick(4)) : 6;

        size_t sizeBefore = reference.size();
        int expected = referenceWrite(reference, record, kb);
        int actual = writeThroughFile(dir, mine, record, kb);
        ASSERT_EQ(expected, actual);
        ASSERT_EQ(reference, mine);
        if (expected == 0 && reference.size() < sizeBefore + record.size()) ++drops;
        if (expected == 0 && (recordAt(reference, headerOf(reference).lastRecordOffset).flags & FLAG_CLOSED)) ++closes;
    }
    // The history must have exercised both rules.
    EXPECT_GT(drops, 50);
    EXPECT_GT(closes, 20);
}
