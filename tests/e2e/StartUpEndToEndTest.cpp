// Start-up as the printing side and the user see it: the failure path of an intake, the
// hand-over to a running viewer, and intakes killed at random points.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

#include "app/ConsoleLaunch.h"
#include "services/RegistryKey.h"
#include "services/ScopedHandle.h"
#include "store/LogLock.h"
#include "store/PrintLogStore.h"
#include "store/StoreTexts.h"
#include "tests/support/BoxAnswerer.h"
#include "tests/support/DiagCapture.h"
#include "tests/support/PlatformProbe.h"
#include "tests/support/RecordBuilder.h"
#include "tests/support/SettingsFile.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WindowTestSupport.h"
#include "viewer/ViewerTexts.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr const char* kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\KQVTLGVW.EXE";

std::string recorderPath() { return testBinaryDir() + "kqvt_args_recorder.exe"; }

std::string readText(const std::string& path) {
    std::vector<unsigned char> bytes = readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// Waits until the recorder has written its file (it runs detached from the intake).
std::string waitForRecording(DWORD timeoutMs) {
    std::string path = recorderPath() + ".txt";
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        std::string text = readText(path);
        if (text.find("\n") != std::string::npos) return text;
        ::Sleep(50);
    }
    return readText(path);
}

class StartUp : public ::testing::Test {
protected:
    void SetUp() override {
        settings_.set("LogSize", "500");
        ::DeleteFileA((recorderPath() + ".txt").c_str());
    }
    void TearDown() override { ::DeleteFileA((recorderPath() + ".txt").c_str()); }

    // One intake of a good record; returns the exit code.
    DWORD runIntake(const std::string& name) {
        Bytes record = RecordBuilder().jobId(5).build();
        pending_.setBinary(name.c_str(), record.data(), DWORD(record.size()));
        ChildProcess intake;
        EXPECT_TRUE(intake.start(productExePath(), "-w " + name));
        DWORD code = 1;
        EXPECT_TRUE(intake.wait(60000, &code));
        return code;
    }

    TempDir dir_;
    ScopedSettingsFile settings_;
    ScopedMachineKey pending_{kPendingRecordKey};
};

}  // namespace

// On the older code a failed intake starts the viewer through App Paths with "-b" and
// its kind; without the key it says so in a box and still ends with 0.
TEST_F(StartUp, FailedIntakeOnTheOlderCodeStartsTheViewerThroughAppPaths) {
    settings_.set("LogName", dir_.file("missing\\KQVTPRT2.LOG"));
    ScopedWineVersion xp("KQVTLGVW.exe", "winxp");
    ASSERT_TRUE(xp.ok());
    {
        ScopedMachineKey appPaths(kAppPaths);
        appPaths.setString("", recorderPath().c_str());
        EXPECT_EQ(0u, runIntake("xp-with-key"));
        std::string recorded = waitForRecording(15000);
        EXPECT_NE(std::string::npos, recorded.find("arg1=-b\n")) << recorded;
        EXPECT_NE(std::string::npos, recorded.find("arg2=6\n")) << recorded;
    }
    {
        // The intake's box belongs to another process: find it by its caption and close it.
        Bytes record = RecordBuilder().build();
        pending_.setBinary("xp-no-key", record.data(), DWORD(record.size()));
        ChildProcess intake;
        ASSERT_TRUE(intake.start(productExePath(), "-w xp-no-key"));
        HWND box = NULL;
        for (int i = 0; i < 600 && !box; ++i) {
            box = ::FindWindowA("#32770", kWarningCaptionText);
            if (!box) ::Sleep(50);
        }
        ASSERT_TRUE(box) << "no box titled " << kWarningCaptionText;
        char text[512] = "";
        ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        EXPECT_EQ(std::string(kWriteFailedFirstLine) + kSystemErrorLine, text);
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        DWORD code = 1;
        ASSERT_TRUE(intake.wait(30000, &code));
        EXPECT_EQ(0u, code);
    }
}

// On 6.x the viewer is started in the console user's session. Wine has no console
// session token to give, so the relaunch fails visibly: a diagnostic line, and the kind
// kept in the settings file.
TEST_F(StartUp, FailedIntakeOnSixKeepsTheKindWhenTheRelaunchFails) {
    DiagCapture diag;
    settings_.set("LogName", dir_.file("missing\\KQVTPRT2.LOG"));
    ScopedMachineKey appPaths(kAppPaths);
    appPaths.setString("", recorderPath().c_str());
    EXPECT_EQ(0u, runIntake("six"));
    std::string lines = diag.text();
    if (lines.find("launchProcess失敗") != std::string::npos) {
        EXPECT_EQ("6", settings_.get("ErrorType"));
        std::printf("[ relaunch ] under Wine: %s", lines.c_str());
    } else {
        // A Wine that can hand out the session token starts the stand-in directly.
        std::string recorded = waitForRecording(15000);
        EXPECT_NE(std::string::npos, recorded.find("cmd= \"-b\" \"6\"")) << recorded;
        std::printf("[ relaunch ] under Wine: started %s", recorded.c_str());
    }
}

TEST(RelaunchArguments, CarryAnEmptyFirstWord) {
    char text[64];
    formatRelaunchArguments(99, text, sizeof text);
    EXPECT_STREQ(" \"-b\" \"99\"", text);
}

// A second viewer started with "-b" hands the kind to the running one and ends.
TEST(SecondViewer, HandsTheKindToTheRunningViewer) {
    ScopedHandle first(::CreateMutexA(NULL, TRUE, kSingleInstanceMutex));
    ASSERT_TRUE(first.valid());
    // A stand-in window of the viewer's class and title.
    WNDCLASSA cls;
    std::memset(&cls, 0, sizeof cls);
    cls.lpfnWndProc = ::DefWindowProcA;
    cls.hInstance = testInstance();
    cls.lpszClassName = kMainClassName;
    ASSERT_TRUE(::RegisterClassA(&cls));
    HWND viewer = ::CreateWindowA(kMainClassName, kMainTitle, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL,
                                  testInstance(), NULL);
    ASSERT_TRUE(viewer);
    const UINT errorMessage = ::RegisterWindowMessageA(kErrorMessageName);

    ChildProcess second;
    ASSERT_TRUE(second.start(productExePath(), "-b 3"));
    DWORD code = 1;
    ASSERT_TRUE(second.wait(30000, &code));
    EXPECT_EQ(0u, code);
    MSG msg;
    bool received = false;
    LPARAM kind = -1;
    while (::PeekMessageA(&msg, viewer, 0, 0, PM_REMOVE)) {
        if (msg.message == errorMessage) {
            received = true;
            kind = msg.lParam;
        }
    }
    EXPECT_TRUE(received);
    EXPECT_EQ(3, kind);
    ::DestroyWindow(viewer);
    ::UnregisterClassA(kMainClassName, testInstance());
}

// Intakes killed at random moments: afterwards the log is either valid or found broken
// and backed up by the next intake, and the lock is never stuck.
TEST_F(StartUp, KilledIntakesNeverLeaveAStuckLockOrASilentlyBadLog) {
    const std::string log = dir_.file("KQVTPRT2.LOG");
    settings_.set("LogName", log);
    settings_.set("LogSize", "8");
    std::mt19937 rng(77);
    int killed = 0, broken = 0;
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        Bytes record = RecordBuilder().jobId(uint32_t(round)).padTo(uint32_t(200 + 4 * (rng() % 300))).build();
        std::string name = "kill" + std::to_string(round);
        pending_.setBinary(name.c_str(), record.data(), DWORD(record.size()));
        ChildProcess intake;
        ASSERT_TRUE(intake.start(productExePath(), "-w " + name));
        ::Sleep(DWORD(rng() % 120));
        if (!intake.wait(0)) {
            intake.kill();
            ++killed;
        }
        // The lock can be taken (at most once refused as abandoned).
        HANDLE lock = enterExclude();
        if (!lock) lock = enterExclude();
        ASSERT_TRUE(lock != NULL);
        leaveExclude(lock);

        PrintLogStore viewer(log.c_str(), 8);
        int status = viewer.load();
        if (status == kLoadBroken) ++broken;
        EXPECT_TRUE(status == kLoadChanged || status == kLoadBroken || status == kLoadMissing) << status;
    }
    // One more intake always ends with a readable log.
    EXPECT_EQ(0u, runIntake("after"));
    PrintLogStore viewer(log.c_str(), 8);
    EXPECT_EQ(kLoadChanged, viewer.load());
    std::printf("[ kill     ] %d of 40 intakes killed, %d loads found the data broken\n", killed, broken);
}
