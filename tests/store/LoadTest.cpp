#include <gtest/gtest.h>

#include <cstring>

#include "services/ScopedHandle.h"
#include "store/LogWriter.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/RecordBuilder.h"
#include "tests/support/TestEnvironment.h"

namespace {

using Bytes = std::vector<uint8_t>;

int append(const std::string& path, const Bytes& record, uint32_t kb = 500) {
    ScopedHandle h(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL));
    return writeLogFile(h.get(), record.data(), uint32_t(record.size()), kb);
}

Bytes job(uint32_t id, int minute = 0) { return RecordBuilder().jobId(id).time(2026, 7, 1, 9, minute, 0).build(); }

}  // namespace

TEST(Load, EmptyLogGivesChangedEveryTime) {
    TempDir dir;
    std::string path = dir.file("KQVTPRT2.LOG");
    Bytes file = buildLogFile({});
    ASSERT_TRUE(writeFileBytes(path, file.data(), file.size()));
    PrintLogStore store(path.c_str(), 500);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(kLoadChanged, store.load());
        EXPECT_EQ(0u, store.count());
    }
    // usedSize says empty although bytes follow: nothing is read past it.
    Bytes padded = buildLogFile({});
    Bytes extra = job(1);
    padded.insert(padded.end(), extra.begin(), extra.end());
    ASSERT_TRUE(writeFileBytes(path, padded.data(), padded.size()));
    EXPECT_EQ(kLoadChanged, store.load());
    EXPECT_EQ(0u, store.count());
}

TEST(Load, ReloadMarksOnlyWhatChanged) {
    TempDir dir;
    std::string path = dir.file("KQVTPRT2.LOG");
    Bytes file = buildLogFile({job(1), job(2), job(3), job(4)}, 2);
    ASSERT_TRUE(writeFileBytes(path, file.data(), file.size()));
    PrintLogStore store(path.c_str(), 2);
    ASSERT_EQ(kLoadChanged, store.load());
    EXPECT_EQ(std::vector<int>(4, ROW_NEW), rowStates(store));
    applyRows(store);
    EXPECT_EQ(kLoadUnchanged, store.load());

    ASSERT_EQ(kWriteStored, append(path, job(5)));
    EXPECT_EQ(kLoadChanged, store.load());
    EXPECT_EQ((std::vector<int>{ROW_CURRENT, ROW_CURRENT, ROW_CURRENT, ROW_CURRENT, ROW_NEW}), rowStates(store));
    applyRows(store);

    // A record as large as three old ones pushes exactly three out of a 2 KB log.
    Bytes big = RecordBuilder().jobId(6).padTo(uint32_t(2048 - 64 - 2 * job(1).size())).build();
    ASSERT_EQ(kWriteStored, append(path, big, 2));
    EXPECT_EQ(kLoadChanged, store.load());
    EXPECT_EQ((std::vector<int>{ROW_GONE, ROW_GONE, ROW_GONE, ROW_CURRENT, ROW_CURRENT, ROW_NEW}), rowStates(store));
    applyRows(store);
    EXPECT_EQ(3u, store.count());

    // Emptied by another process: every row goes.
    Bytes empty = buildLogFile({});
    ASSERT_TRUE(writeFileBytes(path, empty.data(), empty.size()));
    EXPECT_EQ(kLoadChanged, store.load());
    EXPECT_EQ(std::vector<int>(3, ROW_GONE), rowStates(store));
}

TEST(Load, ClosedRecordsAreHiddenUnlessAllRecordsAreShown) {
    for (DWORD all : {0u, 1u}) {
        SCOPED_TRACE(all);
        TempDir dir;
        std::string path = dir.file("KQVTPRT2.LOG");
        Bytes error = RecordBuilder().kind(3).errorCode(320).jobId(4).time(2026, 7, 1, 9, 0, 0).build();
        Bytes file = buildLogFile({error});
        ASSERT_TRUE(writeFileBytes(path, file.data(), file.size()));
        PrintLogStore store(path.c_str(), 500);
        store.setAllRecords(all);
        ASSERT_EQ(kLoadChanged, store.load());
        applyRows(store);
        ASSERT_EQ(kWriteStored, append(path, RecordBuilder().kind(0).jobId(4).time(2026, 7, 1, 9, 5, 0).build()));
        EXPECT_EQ(kLoadChanged, store.load());
        EXPECT_EQ(all ? ROW_CHANGED : ROW_HIDDEN, store.firstNode()->view.rowState);
        applyRows(store);
        EXPECT_EQ(kLoadChanged, store.load());
        EXPECT_EQ(kLoadChanged, store.load());
    }
}

// Records with the same identity are matched first to first, so neither looks changed.
TEST(Load, DuplicateIdentitiesMatchInOrder) {
    TempDir dir;
    std::string path = dir.file("KQVTPRT2.LOG");
    Bytes a = RecordBuilder().jobId(3).document("first.doc").build();
    Bytes b = RecordBuilder().jobId(3).document("second.doc").build();
    Bytes file = buildLogFile({a, b});
    ASSERT_TRUE(writeFileBytes(path, file.data(), file.size()));
    PrintLogStore store(path.c_str(), 500);
    ASSERT_EQ(kLoadChanged, store.load());
    applyRows(store);
    EXPECT_EQ(kLoadUnchanged, store.load());
    EXPECT_EQ(std::vector<int>(2, ROW_CURRENT), rowStates(store));
    EXPECT_STREQ("first.doc", store.firstNode()->view.documentName);
}

TEST(Load, FailuresTellTheWindowWhatToDo) {
    TempDir dir;
    std::string path = dir.file("KQVTPRT2.LOG");
    Bytes file = buildLogFile({job(1), job(2)});
    ASSERT_TRUE(writeFileBytes(path, file.data(), file.size()));
    PrintLogStore store(path.c_str(), 500);
    ASSERT_EQ(kLoadChanged, store.load());
    applyRows(store);

    // Busy for longer than the retry: 7, rows untouched.
    {
        ChildProcess holder;
        ReadyEvent ready;
        ASSERT_TRUE(startHelper(holder, "kqvt_holder", "file \"" + path + "\" 4000 " + ready.name()));
        ASSERT_TRUE(ready.wait(10000));
        EXPECT_EQ(kLoadBusy, store.load());
        EXPECT_EQ(std::vector<int>(2, ROW_CURRENT), rowStates(store));
        holder.wait(10000);
    }
    // A record running past the data: 3 and an empty list.
    Bytes cut = file;
    uint32_t tooLong = 4000;
    std::memcpy(cut.data() + 64 + job(1).size(), &tooLong, 4);
    ASSERT_TRUE(writeFileBytes(path, cut.data(), cut.size()));
    EXPECT_EQ(kLoadBroken, store.load());
    EXPECT_EQ(0u, store.count());

    ASSERT_EQ(kLoadChanged, (writeFileBytes(path, file.data(), file.size()), store.load()));
    applyRows(store);
    ASSERT_TRUE(::DeleteFileA(path.c_str()));
    EXPECT_EQ(kLoadMissing, store.load());
    EXPECT_EQ(std::vector<int>(2, ROW_GONE), rowStates(store));
}
