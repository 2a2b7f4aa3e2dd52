#include <cstring>

#include "tests/store/StoreTestSupport.h"

// Lowering the maximum drops the oldest records; a file within it, to the byte, is not touched.
TEST(Maintenance, ResizeToASmallerMaximum) {
    TempDir dir;
    const std::string path = dir.file("KQVTPRT2.LOG");
    std::vector<Bytes> records;
    for (uint32_t i = 0; i < 300; ++i) records.push_back(RecordBuilder().jobId(i).padTo(1024).build());
    Bytes file = buildLogFile(records, 512);
    reinterpret_cast<LogFileHeader*>(file.data())->previousMaxSize = 100 * 1024;  // an older maximum
    ASSERT_TRUE(writeLog(path, file));
    PrintLogStore store(path.c_str(), 256);
    EXPECT_EQ(1, store.resize());
    const Bytes shrunk = readFileBytes(path);
    ASSERT_EQ(64u + 255 * 1024, shrunk.size());
    EXPECT_EQ(45u, recordAt(shrunk, 64).jobId);
    expectHeader(shrunk, 256 * 1024, 512 * 1024, 64 + 254 * 1024);
    EXPECT_EQ(0u, store.errorKind());

    records.resize(255);
    records.push_back(RecordBuilder().padTo(960).build());
    const Bytes exact = buildLogFile(records, 512);
    ASSERT_EQ(256u * 1024, exact.size());
    ASSERT_TRUE(writeLog(path, exact));
    EXPECT_EQ(0, store.resize());
    EXPECT_EQ(exact, readFileBytes(path));

    // A size the writer would reject stops the walk before anything moves; a foreign file too.
    struct Case { const char* what; size_t at; uint32_t value; DWORD kind; } cases[] = {
        {"size zero", 64 + 1024, 0, 99},
        {"below the fixed part", 64 + 1024, 127, 99},
        {"beyond the maximum", 64 + 1024, 200000, 99},
        {"signature without its NUL", 4, 0x5832474C, 4},  // "LG2X"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes broken = buildLogFile(std::vector<Bytes>(12, records[0]), 20);
        std::memcpy(broken.data() + c.at, &c.value, 4);
        ASSERT_TRUE(writeLog(path, broken));
        PrintLogStore small(path.c_str(), 5);
        EXPECT_EQ(0, small.resize());
        EXPECT_EQ(c.kind, small.errorKind());
        EXPECT_EQ(broken, readFileBytes(path));
    }
}
