#include <cstring>

#include "tests/store/StoreTestSupport.h"

namespace {

int writeThroughFile(const TempDir& dir, Bytes& file, const Bytes& record, uint32_t maxKb) {
    const std::string path = dir.file("KQVTPRT2.LOG");
    EXPECT_TRUE(writeLog(path, file));
    const int result = appendRecord(path, record, maxKb);
    file = readFileBytes(path);
    return result;
}

// The job of every closing-rule case; the printer and user hold double-byte text.
RecordBuilder error() {
    return RecordBuilder().kind(3).errorCode(310).jobId(9).printer("\x82\x70\x82\x75-A").user("\x83\x41")
        .time(2026, 5, 1, 12, 0, 0);
}
RecordBuilder event(int kind, int hour) { return error().kind(kind).errorCode(311).time(2026, 5, 1, hour, 0, 0); }

}  // namespace

// The maximum counts the header: the oldest go until the record fits; M - 63 bytes is refused.
TEST(LogWriter, BoundsAndHeaderOfAWrite) {
    TempDir dir;
    const uint32_t M = 4096;
    struct Case { const char* what; uint32_t size; int result; uint32_t kept; } cases[] = {
        {"reaches the maximum exactly", M - 64 - 3000, kWriteStored, 3},
        {"four bytes over drop the oldest", M - 64 - 2996, kWriteStored, 2},
        {"fills the file alone", M - 64, kWriteStored, 0},
        {"one byte over the maximum", M - 63, kWriteNotStored, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Bytes> older;
        for (uint32_t job = 1; job <= 3; ++job) older.push_back(RecordBuilder().jobId(job).padTo(1000).build());
        Bytes file = buildLogFile(older, 5);
        for (int i = 36; i < 64; ++i) file[i] = uint8_t(i);
        const Bytes before = file;
        ASSERT_EQ(c.result, writeThroughFile(dir, file, RecordBuilder().jobId(4).padTo(c.size).build(), 4));
        EXPECT_EQ(c.result != kWriteStored, before == file);
        if (c.result != kWriteStored) continue;
        ASSERT_EQ(64 + 1000 * c.kept + c.size, file.size());
        EXPECT_EQ(4 - c.kept, recordAt(file, 64).jobId);
        expectHeader(file, M, 5 * 1024, 64 + 1000 * c.kept);
        EXPECT_EQ(0, std::memcmp(file.data() + 40, before.data() + 40, 24));
    }
}

// An open error E of the same job is closed by a later event; a newcomer not later than E is stored closed.
TEST(LogWriter, ClosingRule) {
    struct Case {
        const char* what; RecordBuilder stored, incoming; bool eClosed; uint32_t code, cleared; bool rClosed;
    };
    const Case cases[] = {
        {"later completion clears the code", error(), event(0, 13), true, 0, 310, false},
        {"later error keeps the code", error(), event(3, 13), true, 310, 0, false},
        {"earlier error arriving late", error(), event(3, 11), false, 310, 0, true},
        {"equal times close the newcomer", error(), event(0, 12), false, 310, 0, true},
        {"full-width case", error(), event(0, 13).printer("\x82\x91\x82\x96-a"), true, 0, 310, false},
        {"trail byte of another case", error(), event(0, 13).user("\x83\x61"), false, 310, 0, false},
        {"title and message do not count", error(), event(0, 13).title("t").message("m"), true, 0, 310, false},
        {"another fifth string", error(), event(0, 13).matchKey("x"), false, 310, 0, false},
        {"another job", error(), event(0, 13).jobId(10), false, 310, 0, false},
        {"already closed", error().flags(FLAG_CLOSED), event(0, 13), true, 310, 0, false},
        {"not an error", error().kind(4), event(0, 13), false, 310, 0, false},
    };
    TempDir dir;
    for (bool drop : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (drop ? ", older record dropped" : ""));
            const Bytes e = c.stored.build(), r = c.incoming.build();
            const uint32_t filler = drop ? uint32_t(2048 - 64 - e.size() - r.size() + 4) : 200;
            Bytes file = buildLogFile({RecordBuilder().jobId(9).padTo(filler).build(), e}, 2);
            ASSERT_EQ(kWriteStored, writeThroughFile(dir, file, r, 2));
            const size_t at = drop ? 64 : 64 + filler;
            ASSERT_EQ(at + e.size() + r.size(), file.size());
            EXPECT_EQ(c.eClosed, (recordAt(file, at).flags & FLAG_CLOSED) != 0);
            EXPECT_EQ(c.code, recordAt(file, at).errorCode);
            EXPECT_EQ(c.cleared, recordAt(file, at).clearedErrorCode);
            EXPECT_EQ(c.rClosed, (recordAt(file, at + e.size()).flags & FLAG_CLOSED) != 0);
        }
    }
}
