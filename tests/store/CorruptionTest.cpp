#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "services/ScopedHandle.h"
#include "store/LogWriter.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/RecordBuilder.h"
#include "tests/support/TestEnvironment.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes mutate(Bytes file, std::mt19937& rng) {
    auto pick = [&](size_t n) { return n ? size_t(rng() % n) : 0; };
    const uint32_t sizes[] = {0, 1, 111, 112, 127, 128, 5057, 0x7FFFFFFF, 0xFFFFFFFF, 0xFFFFFFC0};
    switch (pick(5)) {
    case 0:  // flipped bytes anywhere
        for (size_t i = 0, n = 1 + pick(8); i < n; ++i) file[pick(file.size())] ^= uint8_t(1 + pick(255));
        break;
    case 1:  // cut tail
        file.resize(pick(file.size()));
        break;
    case 2: {  // a record size (or what lies at a random aligned offset) set to a bad value
        uint32_t v = sizes[pick(10)];
        size_t at = 64 + 4 * pick((file.size() - 64) / 4);
        if (at + 4 <= file.size()) std::memcpy(file.data() + at, &v, 4);
        break;
    }
    case 3: {  // header fields out of range
        uint32_t v = sizes[pick(10)];
        std::memcpy(file.data() + 8 + 4 * pick(8), &v, 4);
        break;
    }
    default: {  // a strings offset out of range
        uint32_t v = sizes[pick(10)];
        if (file.size() >= 72) std::memcpy(file.data() + 68, &v, 4);
        break;
    }
    }
    return file;
}

}  // namespace

// Damaged logs never crash the load or the writer: each answers with one of its codes,
// and a writer that finds the file broken leaves it as it was.
TEST(Corruption, DamagedLogsGiveCodesNotCrashes) {
    TempDir dir;
    std::string path = dir.file("KQVTPRT2.LOG");
    std::mt19937 rng(4242);
    std::vector<Bytes> bases;
    for (int n = 1; n <= 6; ++n) {
        std::vector<Bytes> records;
        for (int i = 0; i < n; ++i)
            records.push_back(RecordBuilder().kind(i % 6).jobId(uint32_t(i)).message("メッセージ").padTo(uint32_t(160 + 4 * i)).build());
        bases.push_back(buildLogFile(records, 4));
    }
    Bytes incoming = RecordBuilder().kind(3).jobId(1).build();
    PrintLogStore reloading(path.c_str(), 4);
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(round);
        Bytes damaged = mutate(bases[size_t(round) % bases.size()], rng);
        ASSERT_TRUE(writeFileBytes(path, damaged.data(), damaged.size()));

        PrintLogStore fresh(path.c_str(), 4);
        int code = fresh.load();
        EXPECT_TRUE(code == 2 || code == 3 || code == 6) << code;
        code = reloading.load();
        EXPECT_TRUE((code >= 1 && code <= 3) || code == 6) << code;
        applyRows(reloading);

        int result;
        {
            ScopedHandle h(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL));
            ASSERT_TRUE(h.valid());
            result = writeLogFile(h.get(), incoming.data(), uint32_t(incoming.size()), 4);
        }
        EXPECT_TRUE(result == kWriteStored || result == kWriteFileBroken || result == kWriteBadSignature) << result;
        if (result != kWriteStored) {
            EXPECT_EQ(damaged, readFileBytes(path));
        }
    }
}
