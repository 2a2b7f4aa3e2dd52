// The real executable, started as the printing side starts it, checked by reading the log
// file with a reader of its own.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>

#include "services/RegistryKey.h"
#include "services/ScopedHandle.h"
#include "store/StoreTexts.h"
#include "tests/support/RecordBuilder.h"
#include "tests/support/SettingsFile.h"
#include "tests/support/TestEnvironment.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t u32(const Bytes& b, size_t at) {
    uint32_t v = 0;
    if (at + 4 <= b.size()) std::memcpy(&v, b.data() + at, 4);
    return v;
}

// A log file as this test reads it: header fields and the records' offsets.
struct ReadLog {
    bool valid = false;
    uint32_t usedSize = 0, maxSize = 0, appendOffset = 0, tailOffset = 0, lastRecordOffset = 0;
    std::vector<size_t> offsets;
};

ReadLog readLog(const Bytes& file) {
    ReadLog log;
    if (file.size() < 64 || std::memcmp(file.data(), "KQVTLG2\0", 8) != 0) return log;
    log.usedSize = u32(file, 8);
    log.maxSize = u32(file, 12);
    log.appendOffset = u32(file, 16);
    log.tailOffset = u32(file, 24);
    log.lastRecordOffset = u32(file, 32);
    size_t at = 64;
    while (at < file.size()) {
        uint32_t size = u32(file, at);
        if (size < 128 || at + size > file.size()) return log;
        log.offsets.push_back(at);
        at += size;
    }
    log.valid = at == file.size();
    return log;
}

std::string toolPath(const char* name) {
    std::string product = productExePath();
    return product.substr(0, product.find_last_of('\\') + 1) + name;
}

bool pendingValueExists(const std::string& name) {
    RegistryKey key;
    if (!key.open(HKEY_LOCAL_MACHINE, kPendingRecordKey, KEY_READ)) return false;
    return ::RegQueryValueExA(key.get(), name.c_str(), NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
}

double nowMs() {
    LARGE_INTEGER f, t;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1000.0 / double(f.QuadPart);
}

class IntakeEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        settings_.set("LogName", log_);
        settings_.set("LogSize", "500");
        ::DeleteFileA(log_.c_str());
    }
    void setMaxKb(int kb) { settings_.set("LogSize", std::to_string(kb)); }

    TempDir dir_;
    std::string log_ = dir_.file("KQVTPRT2.LOG");
    ScopedSettingsFile settings_;
    ScopedMachineKey pending_{kPendingRecordKey};
};

// Starts `count` intakes at once, each for its own value; returns the wall time.
double runBurst(const std::vector<std::string>& names) {
    std::vector<std::unique_ptr<ChildProcess>> children;
    double start = nowMs();
    for (const std::string& name : names) {
        children.emplace_back(new ChildProcess);
        EXPECT_TRUE(children.back()->start(productExePath(), "-w " + name));
    }
    for (auto& child : children) {
        DWORD code = 1;
        EXPECT_TRUE(child->wait(120000, &code));
        EXPECT_EQ(0u, code);
    }
    return nowMs() - start;
}

}  // namespace

// The recorder tool stores a record from its options and runs the intake; the record
// lands in the file byte for byte as the recorder built it, strings in Shift-JIS.
TEST_F(IntakeEndToEnd, RecorderToolAndIntakeStoreOneRecord) {
    ChildProcess tool;
    ASSERT_TRUE(tool.start(toolPath("kqvt_record.exe"),
                           "--kind 3 --error-code 301 --error-detail 0x1A --job 77 --pages 2 --total 5 "
                           "--time \"2026-12-01 08:30:05\" --printer \"NORVALE QV-2810\" --requester PC01 "
                           "--document \"会議資料.pdf\" --user 山田 --message \"紙づまり\" --name e2e-one --run"));
    DWORD code = 1;
    ASSERT_TRUE(tool.wait(60000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_FALSE(pendingValueExists("e2e-one"));

    Bytes file = readFileBytes(log_);
    ReadLog log = readLog(file);
    ASSERT_TRUE(log.valid);
    ASSERT_EQ(1u, log.offsets.size());
    EXPECT_EQ(file.size(), log.usedSize);
    EXPECT_EQ(log.usedSize, log.appendOffset);
    EXPECT_EQ(log.usedSize, log.tailOffset);
    EXPECT_EQ(500u * 1024, log.maxSize);
    EXPECT_EQ(64u, log.lastRecordOffset);

    Bytes expected = RecordBuilder().kind(3).errorCode(301).errorDetail(0x1A).jobId(77).pages(2, 5)
                         .sheets(-1).copies(1, 1).colour(-1, -1).tray(0).time(2026, 12, 1, 8, 30, 5)
                         .printer("NORVALE QV-2810").requester("PC01").document("会議資料.pdf").user("山田")
                         .message("紙づまり").build();
    // The day of week is the recorder's to fill in: compare around it.
    ASSERT_EQ(expected.size(), file.size() - 64);
    Bytes stored(file.begin() + 64, file.end());
    stored[20] = expected[20];
    stored[21] = expected[21];
    EXPECT_EQ(expected, stored);
}

// Fifty intakes at once into one log: each record exactly once, whole, and the header
// consistent; then the same into a full log where every intake drops records.
TEST_F(IntakeEndToEnd, BurstOfSimultaneousIntakes) {
    const int count = 50;
    for (int full = 0; full < 2; ++full) {
        SCOPED_TRACE(full ? "full log" : "roomy log");
        ::DeleteFileA(log_.c_str());
        setMaxKb(full ? 5 : 500);
        std::vector<std::string> names;
        std::map<uint32_t, Bytes> sent;
        for (int i = 0; i < count; ++i) {
            uint32_t job = uint32_t(1000 * full + i);
            Bytes record = RecordBuilder().jobId(job).document("burst-" + std::to_string(i)).padTo(full ? 1024 : 0).build();
            names.push_back("burst" + std::to_string(job));
            pending_.setBinary(names.back().c_str(), record.data(), DWORD(record.size()));
            sent[job] = record;
        }
        double ms = runBurst(names);
        std::printf("[ burst    ] %d intakes (%s): %.0f ms wall, %.1f ms per intake\n", count,
                    full ? "full log" : "roomy log", ms, ms / count);

        for (const std::string& name : names) EXPECT_FALSE(pendingValueExists(name)) << name;
        Bytes file = readFileBytes(log_);
        ReadLog log = readLog(file);
        ASSERT_TRUE(log.valid);
        EXPECT_EQ(file.size(), log.usedSize);
        EXPECT_EQ(log.offsets.back(), log.lastRecordOffset);
        EXPECT_LE(file.size(), full ? 5u * 1024 : 500u * 1024);
        std::set<uint32_t> seen;
        for (size_t at : log.offsets) {
            uint32_t job = u32(file, at + 76);
            ASSERT_TRUE(sent.count(job)) << job;
            EXPECT_TRUE(seen.insert(job).second) << "stored twice: " << job;
            const Bytes& original = sent[job];
            EXPECT_EQ(0, std::memcmp(file.data() + at, original.data(), original.size())) << job;
        }
        if (full) EXPECT_EQ(4u, log.offsets.size());
        else EXPECT_EQ(size_t(count), log.offsets.size());
    }
}

// The floor under every intake: starting the executable in a mode that does nothing
// (a second viewer while the single-instance lock is held and no window exists).
TEST_F(IntakeEndToEnd, ProcessStartFloor) {
    ScopedHandle instance(::CreateMutexA(NULL, TRUE, "KQVT_LGVW"));
    ASSERT_TRUE(instance.valid());
    const int runs = 10;
    double start = nowMs();
    for (int i = 0; i < runs; ++i) {
        ChildProcess viewer;
        ASSERT_TRUE(viewer.start(productExePath(), ""));
        DWORD code = 1;
        ASSERT_TRUE(viewer.wait(30000, &code));
        EXPECT_EQ(0u, code);
    }
    double ms = (nowMs() - start) / runs;
    std::printf("[ floor    ] process start that does nothing: %.1f ms\n", ms);
}
