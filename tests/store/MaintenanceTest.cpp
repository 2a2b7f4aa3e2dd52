#include <gtest/gtest.h>

#include <cstring>

#include "tests/store/StoreTestSupport.h"
#include "tests/support/RecordBuilder.h"
#include "tests/support/TestEnvironment.h"

namespace {
using Bytes = std::vector<uint8_t>;
const LogFileHeader& headerOf(const Bytes& file) { return *reinterpret_cast<const LogFileHeader*>(file.data()); }

Bytes freshLog(uint32_t kb) {
    LogFileHeader h;
    makeFreshHeader(h, kb);
    return Bytes(reinterpret_cast<uint8_t*>(&h), reinterpret_cast<uint8_t*>(&h) + sizeof h);
}
}  // namespace

TEST(Maintenance, InitialiseEmptiesFileAndList) {
    TempDir dir;
    std::string path = dir.file("KQVTPRT2.LOG");
    std::vector<Bytes> records(39, RecordBuilder().padTo(248).build());
    records.push_back(RecordBuilder().padTo(264).build());
    Bytes file = buildLogFile(records);
    ASSERT_EQ(10000u, file.size());
    ASSERT_TRUE(writeFileBytes(path, file.data(), file.size()));
    PrintLogStore store(path.c_str(), 300);
    ASSERT_EQ(kLoadChanged, store.load());
    ASSERT_EQ(40u, store.count());
    EXPECT_EQ(1, store.initialise());
    EXPECT_EQ(freshLog(300), readFileBytes(path));
    EXPECT_EQ(0u, store.count());

    PrintLogStore missing(dir.file("none.log").c_str(), 300);
    EXPECT_EQ(0, missing.initialise());
    EXPECT_FALSE(fileExists(dir.file("none.log")));
}

TEST(Maintenance, EnsureCreatesOnlyWhereItShould) {
    TempDir dir;
    std::string empty = dir.file("empty.log");
    ASSERT_TRUE(writeFileBytes(empty, "", 0));
    struct Case { const char* what; std::string path; int result; bool exists; } cases[] = {
        {"existing empty file", empty, 0, true},
        {"missing file", dir.file("new.log"), 1, true},
        {"missing folder", dir.file("no\\new.log"), 0, false},
    };
    for (DWORD platform : {0u, 256u}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (platform ? " (6.x)" : ""));
            ::DeleteFileA(dir.file("new.log").c_str());
            PrintLogStore store(c.path.c_str(), 200);
            store.setPlatform(platform);
            EXPECT_EQ(c.result, store.ensureLogFile());
            EXPECT_EQ(c.exists, fileExists(c.path));
            if (c.exists) {
                EXPECT_EQ(freshLog(200), readFileBytes(c.path));
            }
        }
    }
}

TEST(Maintenance, ResizeDropsTheOldestAndFollowsTheLastRecord) {
    TempDir dir;
    std::string path = dir.file("KQVTPRT2.LOG");
    std::vector<Bytes> records;
    for (uint32_t i = 0; i < 300; ++i) records.push_back(RecordBuilder().jobId(i).padTo(1024).build());
    Bytes file = buildLogFile(records, 512);
    ASSERT_TRUE(writeFileBytes(path, file.data(), file.size()));
    const uint32_t lastJob = reinterpret_cast<const LogRecord*>(file.data() + headerOf(file).lastRecordOffset)->jobId;

    PrintLogStore store(path.c_str(), 512);
    EXPECT_EQ(0, store.resize());  // already within the maximum
    EXPECT_EQ(file, readFileBytes(path));

    store.setMaxKb(256);
    EXPECT_EQ(1, store.resize());
    Bytes shrunk = readFileBytes(path);
    EXPECT_LE(shrunk.size(), 256u * 1024);
    EXPECT_GT(shrunk.size(), 256u * 1024 - 1024);
    EXPECT_EQ(shrunk.size(), headerOf(shrunk).usedSize);
    EXPECT_EQ(512u * 1024, headerOf(shrunk).previousMaxSize);
    EXPECT_EQ(lastJob, reinterpret_cast<const LogRecord*>(shrunk.data() + headerOf(shrunk).lastRecordOffset)->jobId);
    EXPECT_EQ(0u, store.errorKind());

    store.setMaxKb(1024);
    EXPECT_EQ(0, store.resize());
    EXPECT_EQ(shrunk, readFileBytes(path));
}

// A size the writer would reject stops the walk before anything moves.
TEST(Maintenance, ResizeRefusesSizesAWriterWouldReject) {
    TempDir dir;
    std::string path = dir.file("KQVTPRT2.LOG");
    for (uint32_t bad : {0u, 100u, 127u, 200000u}) {
        SCOPED_TRACE(bad);
        Bytes file = buildLogFile(std::vector<Bytes>(12, RecordBuilder().padTo(1024).build()), 20);
        std::memcpy(file.data() + 64 + 1024, &bad, 4);
        ASSERT_TRUE(writeFileBytes(path, file.data(), file.size()));
        PrintLogStore store(path.c_str(), 5);
        EXPECT_EQ(0, store.resize());
        EXPECT_EQ(99u, store.errorKind());
        EXPECT_EQ(file, readFileBytes(path));
    }
}
