#include <gtest/gtest.h>

#include "services/ScopedHandle.h"
#include "store/LogLock.h"
#include "tests/support/DiagCapture.h"
#include "tests/support/TestEnvironment.h"

namespace {
std::string holdLockArgs(DWORD ms, const ReadyEvent& ready, bool abandon) {
    return std::string("mutex \"") + kLogFileMutexName + "\" " + std::to_string(ms) + " " + ready.name() +
           (abandon ? " abandon" : "");
}
}  // namespace

// A holder that dies with the lock makes the next taker fail once (and give it back);
// the one after proceeds normally.
TEST(LogLock, AbandonedLockFailsOnceThenWorks) {
    DiagCapture diag;
    ChildProcess holder;
    ReadyEvent ready;
    ASSERT_TRUE(startHelper(holder, "kqvt_holder", holdLockArgs(500, ready, true)));
    ASSERT_TRUE(ready.wait(10000));
    // A named mutex lives only while someone has it open, as a waiting intake would.
    // Opened while the holder still holds it (it waits half a second before it dies).
    ScopedHandle waiter(::CreateMutexA(NULL, FALSE, kLogFileMutexName));
    ASSERT_TRUE(holder.wait(10000));

    HANDLE first = enterExclude();
    EXPECT_EQ(NULL, first);
    leaveExclude(first);
    EXPECT_NE(std::string::npos, diag.text().find("Error from enterExclude. Kind = "));

    HANDLE second = enterExclude();
    EXPECT_NE(HANDLE(NULL), second);
    leaveExclude(second);
}

// The lock waits for a live holder to finish rather than failing.
TEST(LogLock, WaitsForTheHolder) {
    ChildProcess holder;
    ReadyEvent ready;
    ASSERT_TRUE(startHelper(holder, "kqvt_holder", holdLockArgs(700, ready, false)));
    ASSERT_TRUE(ready.wait(10000));
    DWORD start = ::GetTickCount();
    {
        ExcludeLock lock;
        EXPECT_TRUE(lock.held());
        EXPECT_GE(::GetTickCount() - start, 500u);
        // Not yet released: a second process would now wait for this one.
    }
    EXPECT_TRUE(holder.wait(10000));
}
