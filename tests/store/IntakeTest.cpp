#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "services/RegistryKey.h"
#include "services/ScopedHandle.h"
#include "store/LogLock.h"
#include "store/StoreTexts.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/DiagCapture.h"

namespace {

bool pendingValueExists(const char* name) {
    RegistryKey key;
    if (!key.open(HKEY_LOCAL_MACHINE, kPendingRecordKey, KEY_READ)) return false;
    return ::RegQueryValueExA(key.get(), name, NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
}

// One intake of the value "p" into `path`; the error kind it leaves, or -1 on success.
int runIntake(const std::string& path, uint32_t kb) {
    PrintLogStore store(path.c_str(), kb);
    store.setPendingValueName("p");
    return store.intake() ? -1 : int(store.errorKind());
}

bool hasLine(const DiagCapture& diag, const std::string& line) {
    return diag.text().find("] " + line) != std::string::npos;
}

}  // namespace

// A new log receives the record; values that cannot be stored leave notice kind 1 at the
// end (past the maximum if need be).
TEST(Intake, StoresTheRecordOrANoticeInItsPlace) {
    TempDir dir;
    ScopedMachineKey pending(kPendingRecordKey);
    const std::string path = dir.file("KQVTPRT2.LOG");
    const Bytes good = RecordBuilder().jobId(42).build();
    pending.setBinary("p", good.data(), DWORD(good.size()));
    EXPECT_EQ(-1, runIntake(path, 500));
    EXPECT_FALSE(pendingValueExists("p"));
    Bytes file = readFileBytes(path);
    ASSERT_EQ(64 + good.size(), file.size());
    EXPECT_EQ(0, std::memcmp(file.data() + 64, good.data(), good.size()));
    expectHeader(file, 500 * 1024, 500 * 1024, 64);

    Bytes strayStrings = good;
    const uint32_t offset = 9000;
    std::memcpy(strayStrings.data() + 4, &offset, 4);
    uint32_t previousMax = 500 * 1024;
    for (const Bytes& v : {RecordBuilder().padTo(65473).build(), strayStrings}) {
        const uint32_t end = uint32_t(file.size());
        pending.setBinary("p", v.data(), DWORD(v.size()));
        EXPECT_EQ(-1, runIntake(path, 64));
        file = readFileBytes(path);
        ASSERT_EQ(end + 220, file.size());
        expectHeader(file, 64 * 1024, previousMax, end);
        previousMax = 64 * 1024;
        EXPECT_EQ(FLAG_NOTICE, recordAt(file, end).flags);
        const std::string strings(file.begin() + end + 128, file.end());
        const std::string expected = std::string(kNoticeTitleNotStored) + '\0' + " " + '\0' + kNoticeMessageNotStored;
        EXPECT_EQ(expected, strings.substr(10, expected.size()));
    }
}

// Each failure leaves its kind and its diagnostic line; once read, the value is gone
// whatever happens to the file.
TEST(Intake, FailuresLeaveTheirKindAndLine) {
    TempDir dir;
    DiagCapture diag;
    const Bytes record = RecordBuilder().build();
    const std::string folder = dir.file("folder.log"), foreign = dir.file("foreign.log");
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), NULL));
    ASSERT_TRUE(writeFileBytes(foreign, "KQVTLG2X-not-a-log", 18));
    enum Value { kNoKey, kNoValue, kText, kBinary };
    struct Case { const char* what; Value value; std::string path; int kind; const char* line; } cases[] = {
        {"no pending key", kNoKey, dir.file("a.log"), 8, "Reg is not Opened.  Errcode=2\r\n"},
        {"missing value", kNoValue, dir.file("a.log"), 8, "Log data is not found.  Errcode=2\r\n"},
        {"text value", kText, dir.file("a.log"), 8, "Log data is not found.  Errcode=1629\r\n"},
        {"missing folder", kBinary, dir.file("no\\a.log"), 6, "Log can not be written.  Path is Not Found.\r\n"},
        {"a folder in the way", kBinary, folder, 3, "Log can not be written.  Access denied.\r\n"},
        {"not a print log", kBinary, foreign, 4, "Log File Invalid.\r\n"},
        {"invalid name", kBinary, dir.file("bad<name>.log"), 99, "Log can not be written.  Errcode=123\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        diag.clear();
        deleteRegistryTree(HKEY_LOCAL_MACHINE, kPendingRecordKey);
        std::unique_ptr<ScopedMachineKey> pending;
        if (c.value != kNoKey) pending.reset(new ScopedMachineKey(kPendingRecordKey));
        if (c.value == kText) pending->setString("p", "not a record");
        if (c.value == kBinary) pending->setBinary("p", record.data(), DWORD(record.size()));
        EXPECT_EQ(c.kind, runIntake(c.path, 500));
        EXPECT_EQ(c.value == kText, pendingValueExists("p"));
        EXPECT_TRUE(hasLine(diag, c.line)) << diag.text();
    }
}

// A log held open past both retries (create, then open) is in use; a lock that its holder
// abandoned is refused once and leaves the value for the next start.
TEST(Intake, BusyLogAndAbandonedLockGiveKindFive) {
    TempDir dir;
    DiagCapture diag;
    ScopedMachineKey pending(kPendingRecordKey);
    const Bytes record = RecordBuilder().build();
    const std::string path = dir.file("KQVTPRT2.LOG");
    for (const char* what : {"file", "mutex"}) {
        SCOPED_TRACE(what);
        const bool lock = *what == 'm';
        ChildProcess holder;
        ReadyEvent ready;
        ASSERT_TRUE(startHelper(holder, "kqvt_holder", std::string(what) + " \"" + (lock ? kLogFileMutexName : path) +
                                                           (lock ? "\" 500 " : "\" 7000 ") + ready.name() + " abandon"));
        ASSERT_TRUE(ready.wait(10000));
        // A named mutex lives only while someone has it open, as a waiting intake would.
        ScopedHandle waiter(::CreateMutexA(NULL, FALSE, kLogFileMutexName));
        ASSERT_TRUE(!lock || holder.wait(10000));
        pending.setBinary("p", record.data(), DWORD(record.size()));
        diag.clear();
        EXPECT_EQ(5, runIntake(path, 500));
        EXPECT_EQ(lock, pendingValueExists("p"));
        EXPECT_EQ(lock, hasLine(diag, "Error from enterExclude. Kind = 735\r\n")) << diag.text();
        holder.wait(10000);
    }
    EXPECT_EQ(-1, runIntake(path, 500));
}

// A broken log is kept as the backup and replaced by a fresh one holding notice kind 2;
// where the backup cannot be made, the notice writer says so.
TEST(Intake, BrokenLogIsKeptAsBackupAndReplaced) {
    TempDir dir;
    DiagCapture diag;
    ScopedMachineKey pending(kPendingRecordKey);
    const Bytes a = RecordBuilder().jobId(1).build();
    struct Case { const char* name; uint32_t secondSize; } cases[] = {
        {"KQVTPRT2.LOG", 100}, {kLogBackupName, 200 * 1024 - 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes broken = buildLogFile({a, a, a}, 300);
        std::memcpy(broken.data() + 64 + a.size(), &c.secondSize, 4);
        const std::string path = dir.file(c.name);
        ASSERT_TRUE(writeLog(path, broken));
        pending.setBinary("p", a.data(), DWORD(a.size()));
        diag.clear();
        EXPECT_EQ(-1, runIntake(path, 200));
        const bool own = std::string(c.name) == kLogBackupName;
        EXPECT_EQ(own, hasLine(diag, "Error from utyMakeLogData. Kind = 2\r\n")) << diag.text();
        EXPECT_EQ(broken, readFileBytes(dir.file(kLogBackupName)));
        if (own) continue;
        const Bytes fresh = readFileBytes(path);
        ASSERT_EQ(64u + 224u, fresh.size());
        expectHeader(fresh, 200 * 1024, 200 * 1024, 64);
        EXPECT_NE(std::string::npos, std::string(fresh.begin(), fresh.end()).find(kNoticeTitleSwitched));
    }
    diag.clear();
    PrintLogStore gone(dir.file("gone.log").c_str(), 200);
    gone.utyMakeLogData(1, 200);
    EXPECT_TRUE(hasLine(diag, "Error from utyMakeLogData. Kind = 1\r\n")) << diag.text();
}
