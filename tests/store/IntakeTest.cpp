#include <cstring>
#include <memory>

#include "store/LogLock.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/DiagCapture.h"

namespace {

class Intake : public ::testing::Test {
protected:
    // One intake of the value "p" into `path`; the error kind it leaves, or -1 on success.
    int run(const std::string& path, uint32_t kb) {
        diag_.clear();
        PrintLogStore store(path.c_str(), kb);
        store.setPendingValueName("p");
        return store.intake() ? -1 : int(store.errorKind());
    }
    int run(const std::string& path, uint32_t kb, const Bytes& value) {
        pending_->setBinary("p", value.data(), DWORD(value.size()));
        return run(path, kb);
    }
    bool hasLine(const std::string& line) const { return diag_.text().find("] " + line) != std::string::npos; }

    TempDir dir_;
    DiagCapture diag_;
    std::unique_ptr<ScopedMachineKey> pending_{new ScopedMachineKey(kPendingRecordKey)};
    const std::string path_ = dir_.file("KQVTPRT2.LOG");
    const Bytes record_ = RecordBuilder().jobId(42).build();
};

}  // namespace

// Values that cannot be stored leave notice kind 1 at the end, past the maximum if need be.
TEST_F(Intake, ValuesThatCannotBeStoredLeaveANotice) {
    ASSERT_TRUE(writeLog(path_, buildLogFile({record_})));
    Bytes strayStrings = record_;
    const uint32_t offset = 9000;
    std::memcpy(strayStrings.data() + 4, &offset, 4);
    uint32_t previousMax = 500 * 1024;
    for (const Bytes& v : {RecordBuilder().padTo(65473).build(), strayStrings}) {
        const uint32_t end = uint32_t(fileSize(path_));
        EXPECT_EQ(-1, run(path_, 64, v));
        const Bytes file = readFileBytes(path_);
        ASSERT_EQ(end + 220, file.size());
        expectHeader(file, 64 * 1024, previousMax, end);
        previousMax = 64 * 1024;
        EXPECT_EQ(FLAG_NOTICE, recordAt(file, end).flags);
        const std::string strings(file.begin() + end + 128, file.end());
        const std::string expected = std::string(kNoticeTitleNotStored) + '\0' + " " + '\0' + kNoticeMessageNotStored;
        EXPECT_EQ(expected, strings.substr(10, expected.size()));
    }
}

// Each failure leaves its kind and its diagnostic line; once read, the value is gone anyway.
TEST_F(Intake, FailuresLeaveTheirKindAndLine) {
    const std::string folder = dir_.file("folder.log"), foreign = dir_.file("foreign.log");
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), NULL));
    ASSERT_TRUE(writeFileBytes(foreign, "KQVTLG2X-not-a-log", 18));
    enum Value { kNoKey, kNoValue, kText, kBinary };
    struct Case { const char* what; Value value; std::string path; int kind; const char* line; } cases[] = {
        {"no pending key", kNoKey, path_, 8, "Reg is not Opened.  Errcode=2\r\n"},
        {"missing value", kNoValue, path_, 8, "Log data is not found.  Errcode=2\r\n"},
        {"text value", kText, path_, 8, "Log data is not found.  Errcode=1629\r\n"},
        {"missing folder", kBinary, dir_.file("no\\a.log"), 6, "Log can not be written.  Path is Not Found.\r\n"},
        {"a folder in the way", kBinary, folder, 3, "Log can not be written.  Access denied.\r\n"},
        {"not a print log", kBinary, foreign, 4, "Log File Invalid.\r\n"},
        {"invalid name", kBinary, dir_.file("bad<name>.log"), 99, "Log can not be written.  Errcode=123\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        pending_.reset();
        if (c.value != kNoKey) pending_.reset(new ScopedMachineKey(kPendingRecordKey));
        if (c.value == kText) pending_->setString("p", "not a record");
        EXPECT_EQ(c.kind, c.value == kBinary ? run(c.path, 500, record_) : run(c.path, 500));
        EXPECT_EQ(c.value == kText, pendingValueExists("p"));
        EXPECT_TRUE(hasLine(c.line)) << diag_.text();
    }
}

// A log held past both retries is in use; an abandoned lock is refused once and the value kept.
TEST_F(Intake, BusyLogAndAbandonedLockGiveKindFive) {
    for (const char* what : {"file", "mutex"}) {
        SCOPED_TRACE(what);
        const bool lock = *what == 'm';
        ChildProcess holder;
        ReadyEvent ready;
        const std::string held = std::string(what) + " \"" + (lock ? kLogFileMutexName : path_) + "\" ";
        ASSERT_TRUE(startHelper(holder, "kqvt_holder", held + (lock ? "500 " : "7000 ") + ready.name() + " abandon"));
        ASSERT_TRUE(ready.wait(10000));
        ScopedHandle waiter(::CreateMutexA(NULL, FALSE, kLogFileMutexName));
        ASSERT_TRUE(!lock || holder.wait(10000));
        EXPECT_EQ(5, run(path_, 500, record_));
        EXPECT_EQ(lock, pendingValueExists("p"));
        EXPECT_EQ(lock, hasLine("Error from enterExclude. Kind = 735\r\n")) << diag_.text();
    }
    EXPECT_EQ(-1, run(path_, 500));
    // A lock that is held, not abandoned, is waited for.
    ChildProcess holder;
    ReadyEvent ready;
    const std::string held = std::string("mutex \"") + kLogFileMutexName + "\" 1000 ";
    ASSERT_TRUE(startHelper(holder, "kqvt_holder", held + ready.name()));
    ASSERT_TRUE(ready.wait(10000));
    EXPECT_EQ(-1, run(path_, 500, record_));
}

// A broken log becomes the backup, replaced by a fresh one with notice kind 2, or the writer says why not.
TEST_F(Intake, BrokenLogIsKeptAsBackupAndReplaced) {
    for (const char* name : {"KQVTPRT2.LOG", kLogBackupName}) {
        SCOPED_TRACE(name);
        const bool own = std::string(name) == kLogBackupName;
        Bytes broken = buildLogFile({record_, record_, record_}, 300);
        const uint32_t secondSize = own ? 200 * 1024 - 60 : 100;
        std::memcpy(broken.data() + 64 + record_.size(), &secondSize, 4);
        ASSERT_TRUE(writeLog(dir_.file(name), broken));
        // Earlier backups are kept: 01 moves to the first free number.
        ASSERT_TRUE(own || (writeFileBytes(dir_.file(kLogBackupName), "earlier", 7) &&
                            writeFileBytes(dir_.file("KqvtPrtLog2#02.bak"), "taken", 5)));
        EXPECT_EQ(-1, run(dir_.file(name), 200, record_));
        EXPECT_EQ(own, hasLine("Error from utyMakeLogData. Kind = 2\r\n")) << diag_.text();
        EXPECT_EQ(broken, readFileBytes(dir_.file(kLogBackupName)));
        if (own) continue;
        EXPECT_EQ("taken", readText(dir_.file("KqvtPrtLog2#02.bak")));
        EXPECT_EQ("earlier", readText(dir_.file("KqvtPrtLog2#03.bak")));
        const Bytes fresh = readFileBytes(dir_.file(name));
        ASSERT_EQ(64u + 224u, fresh.size());
        expectHeader(fresh, 200 * 1024, 200 * 1024, 64);
        EXPECT_NE(std::string::npos, readText(dir_.file(name)).find(kNoticeTitleSwitched));
    }
}
