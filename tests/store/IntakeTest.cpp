#include <gtest/gtest.h>

#include <cstring>

#include "services/RegistryKey.h"
#include "services/ScopedHandle.h"
#include "store/LogLock.h"
#include "store/StoreTexts.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/DiagCapture.h"
#include "tests/support/RecordBuilder.h"
#include "tests/support/TestEnvironment.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool pendingValueExists(const char* name) {
    RegistryKey key;
    if (!key.open(HKEY_LOCAL_MACHINE, kPendingRecordKey, KEY_READ)) return false;
    return ::RegQueryValueExA(key.get(), name, NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
}

struct Intake {
    int result;
    DWORD kind;
};

Intake runIntake(const std::string& path, uint32_t kb, const char* name) {
    PrintLogStore store(path.c_str(), kb);
    store.setPendingValueName(name);
    int result = store.intake();
    return {result, store.errorKind()};
}

const LogFileHeader& headerOf(const Bytes& file) { return *reinterpret_cast<const LogFileHeader*>(file.data()); }
const LogRecord& recordAt(const Bytes& file, size_t at) { return *reinterpret_cast<const LogRecord*>(file.data() + at); }

}  // namespace

TEST(Intake, StoresTheRecordInANewLogAndTakesTheValue) {
    TempDir dir;
    ScopedMachineKey pending(kPendingRecordKey);
    Bytes record = RecordBuilder().jobId(42).document("見積書.xls").build();
    pending.setBinary("job42", record.data(), DWORD(record.size()));
    std::string path = dir.file("KQVTPRT2.LOG");

    Intake r = runIntake(path, 500, "job42");
    EXPECT_EQ(1, r.result);
    EXPECT_EQ(0u, r.kind);
    EXPECT_FALSE(pendingValueExists("job42"));
    Bytes file = readFileBytes(path);
    ASSERT_EQ(64 + record.size(), file.size());
    EXPECT_EQ(0, std::memcmp(file.data() + 64, record.data(), record.size()));
    EXPECT_EQ(500u * 1024, headerOf(file).maxSize);
    EXPECT_EQ(64u, headerOf(file).lastRecordOffset);
}

TEST(Intake, ValueThatIsNotBinaryStaysInTheRegistry) {
    TempDir dir;
    DiagCapture diag;
    ScopedMachineKey pending(kPendingRecordKey);
    pending.setString("text", "not a record");
    Intake r = runIntake(dir.file("KQVTPRT2.LOG"), 500, "text");
    EXPECT_EQ(0, r.result);
    EXPECT_EQ(8u, r.kind);
    EXPECT_TRUE(pendingValueExists("text"));
    EXPECT_NE(std::string::npos, diag.text().find("Log data is not found.  Errcode="));
    Intake missing = runIntake(dir.file("KQVTPRT2.LOG"), 500, "nothing-here");
    EXPECT_EQ(8u, missing.kind);
}

// Once read, the value is gone whatever happens to the file.
TEST(Intake, ValueIsTakenEvenWhenTheFileCannotBeWritten) {
    TempDir dir;
    DiagCapture diag;
    ScopedMachineKey pending(kPendingRecordKey);
    Bytes record = RecordBuilder().build();
    std::string folderAsFile = dir.file("folder.log");
    ASSERT_TRUE(::CreateDirectoryA(folderAsFile.c_str(), NULL));
    std::string foreign = dir.file("foreign.log");
    ASSERT_TRUE(writeFileBytes(foreign, "ABCDEFGH-not-a-log", 18));
    std::string busy = dir.file("busy.log");
    Bytes empty = buildLogFile({});
    ASSERT_TRUE(writeFileBytes(busy, empty.data(), empty.size()));

    struct Case { const char* what; std::string path; DWORD kind; const char* line; } cases[] = {
        {"missing folder", dir.file("no\\such\\KQVTPRT2.LOG"), 6, "Log can not be written.  Path is Not Found."},
        {"a folder in the way", folderAsFile, 3, "Log can not be written.  Access denied."},
        {"not a print log", foreign, 4, "Log File Invalid."},
        {"invalid name", dir.file("bad<name>.log"), 99, "Log can not be written.  Errcode="},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        diag.clear();
        pending.setBinary("p", record.data(), DWORD(record.size()));
        Intake r = runIntake(c.path, 500, "p");
        EXPECT_EQ(0, r.result);
        EXPECT_EQ(c.kind, r.kind);
        EXPECT_FALSE(pendingValueExists("p"));
        EXPECT_NE(std::string::npos, diag.text().find(c.line)) << diag.text();
    }

    // Held open by another program for longer than both retries (ensure, then open): kind 5.
    ChildProcess holder;
    ReadyEvent ready;
    ASSERT_TRUE(startHelper(holder, "kqvt_holder", "file \"" + busy + "\" 8000 " + ready.name()));
    ASSERT_TRUE(ready.wait(10000));
    pending.setBinary("p", record.data(), DWORD(record.size()));
    Intake r = runIntake(busy, 500, "p");
    EXPECT_EQ(5u, r.kind);
    EXPECT_FALSE(pendingValueExists("p"));
    holder.wait(10000);
}

// A lock that its holder abandoned is not taken: the value waits for the next start.
TEST(Intake, AbandonedLockLeavesTheValue) {
    TempDir dir;
    ScopedMachineKey pending(kPendingRecordKey);
    Bytes record = RecordBuilder().build();
    pending.setBinary("p", record.data(), DWORD(record.size()));
    ChildProcess holder;
    ReadyEvent ready;
    ASSERT_TRUE(startHelper(holder, "kqvt_holder",
                            std::string("mutex \"") + kLogFileMutexName + "\" 500 " + ready.name() + " abandon"));
    ASSERT_TRUE(ready.wait(10000));
    // Opened while the holder still holds it (it waits half a second before it dies).
    ScopedHandle waiter(::CreateMutexA(NULL, FALSE, kLogFileMutexName));
    ASSERT_TRUE(holder.wait(10000));
    Intake r = runIntake(dir.file("KQVTPRT2.LOG"), 500, "p");
    EXPECT_EQ(0, r.result);
    EXPECT_EQ(5u, r.kind);
    EXPECT_TRUE(pendingValueExists("p"));
    EXPECT_EQ(1, runIntake(dir.file("KQVTPRT2.LOG"), 500, "p").result);
}

TEST(Intake, BrokenLogIsKeptAsBackupAndReplaced) {
    TempDir dir;
    ScopedMachineKey pending(kPendingRecordKey);
    std::string path = dir.file("KQVTPRT2.LOG");
    Bytes a = RecordBuilder().jobId(1).build();
    Bytes file = buildLogFile({a, a, a});
    uint32_t bad = 100;
    std::memcpy(file.data() + 64 + a.size(), &bad, 4);
    ASSERT_TRUE(writeFileBytes(path, file.data(), file.size()));
    pending.setBinary("p", a.data(), DWORD(a.size()));

    Intake r = runIntake(path, 500, "p");
    EXPECT_EQ(1, r.result);
    EXPECT_EQ(file, readFileBytes(dir.file("KqvtPrtLog2#01.bak")));
    Bytes fresh = readFileBytes(path);
    ASSERT_EQ(64u + 224u, fresh.size());
    const LogRecord& notice = recordAt(fresh, 64);
    EXPECT_EQ(224u, notice.recordSize);
    EXPECT_EQ(FLAG_NOTICE, notice.flags);
    EXPECT_EQ(288u, headerOf(fresh).usedSize);
    EXPECT_EQ(64u, headerOf(fresh).lastRecordOffset);
}

// Records that cannot be stored leave notice kind 1 in their place, and the log stays
// readable for the viewer and writable for the next intake.
TEST(Intake, RecordsThatCannotBeStoredLeaveANotice) {
    TempDir dir;
    ScopedMachineKey pending(kPendingRecordKey);
    std::string path = dir.file("KQVTPRT2.LOG");
    Bytes good = RecordBuilder().build();
    Bytes tooLarge = RecordBuilder().padTo(65473).build();
    Bytes shortValue(good.begin(), good.begin() + 90);
    Bytes lying = good;
    uint32_t size = 4000;
    std::memcpy(lying.data(), &size, 4);
    Bytes strayStrings = good;
    uint32_t offset = 9000;
    std::memcpy(strayStrings.data() + 4, &offset, 4);

    const Bytes* values[] = {&tooLarge, &shortValue, &lying, &strayStrings};
    size_t expectedSize = 64;
    for (const Bytes* v : values) {
        pending.setBinary("p", v->data(), DWORD(v->size()));
        Intake r = runIntake(path, 64, "p");
        EXPECT_EQ(1, r.result);
        EXPECT_EQ(0u, r.kind);
        expectedSize += 220;
        Bytes file = readFileBytes(path);
        ASSERT_EQ(expectedSize, file.size());
        EXPECT_EQ(FLAG_NOTICE, recordAt(file, expectedSize - 220).flags);
    }
    pending.setBinary("p", good.data(), DWORD(good.size()));
    EXPECT_EQ(1, runIntake(path, 64, "p").result);
    PrintLogStore viewer(path.c_str(), 64);
    EXPECT_EQ(kLoadChanged, viewer.load());
    EXPECT_EQ(5u, viewer.count());
}
