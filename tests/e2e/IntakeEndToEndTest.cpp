#include <memory>

#include "app/ConsoleLaunch.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/DiagCapture.h"
#include "tests/support/PlatformProbe.h"
#include "tests/support/SettingsFile.h"
#include "tests/support/WindowTestSupport.h"
#include "viewer/ViewerTexts.h"

namespace {

constexpr const char* kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\KQVTLGVW.EXE";

class IntakeEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { settings_.set("LogSize", "500"); }
    void startIntake(ChildProcess& intake, const std::string& name) {
        pending_.setBinary(name.c_str(), record_.data(), DWORD(record_.size()));
        ASSERT_TRUE(intake.start(productExePath(), "-w " + name));
    }
    static DWORD exitCodeOf(ChildProcess& process) {
        DWORD code = 1;
        EXPECT_TRUE(process.wait(60000, &code));
        return code;
    }
    DWORD runIntake(const std::string& name) {
        ChildProcess intake;
        startIntake(intake, name);
        return exitCodeOf(intake);
    }

    const Bytes record_ = RecordBuilder().jobId(5).document("会議資料.pdf").user("山田").build();
    TempDir dir_;
    ScopedSettingsFile settings_;
    ScopedMachineKey pending_{kPendingRecordKey};
};

}  // namespace

// The record lands in the log byte for byte; a log the intake makes is open to all on 6.x only.
TEST_F(IntakeEndToEnd, RecordLandsWholeInALogOpenToEveryoneOnSixOnly) {
    for (bool xp : {false, true}) {
        SCOPED_TRACE(xp ? "winxp" : "6.x");
        std::unique_ptr<ScopedWineVersion> version(xp ? new ScopedWineVersion("KQVTLGVW.exe", "winxp") : nullptr);
        const std::string log = dir_.file(xp ? "xp.log" : "six.log");
        settings_.set("LogName", log);
        ASSERT_TRUE(!xp || writeFileBytes(log, "", 0));
        EXPECT_EQ(0u, runIntake("e2e"));
        const Bytes file = readFileBytes(log);
        expectHeader(file, 500 * 1024, 500 * 1024, 64);
        EXPECT_EQ(record_, Bytes(file.begin() + 64, file.end()));
        EXPECT_EQ(!xp, (everyoneAccess(log) & FILE_GENERIC_WRITE) == FILE_GENERIC_WRITE);
    }
}

// A failed intake on 5.x shows a box or starts the viewer via App Paths; 6.x tries the session launch.
TEST_F(IntakeEndToEnd, FailedIntakeStartsAViewerForTheUser) {
    settings_.set("LogName", dir_.file("missing\\KQVTPRT2.LOG"));
    const std::string recorder = testBinaryDir() + "kqvt_holder.exe", recorded = recorder + ".txt";
    // The holder stands in for the detached viewer: wait until it has written its arguments.
    auto recording = [&recorded] {
        for (int i = 0; i < 300 && readText(recorded).find('\n') == std::string::npos; ++i) ::Sleep(50);
        return readText(recorded);
    };
    ::DeleteFileA(recorded.c_str());
    std::unique_ptr<ScopedWineVersion> xp(new ScopedWineVersion("KQVTLGVW.exe", "winxp"));
    ASSERT_TRUE(xp->ok());
    ChildProcess intake;
    startIntake(intake, "xp-no-key");
    HWND box = waitForWindow("#32770", kWarningCaptionText, NULL, 30000);
    ASSERT_TRUE(box) << "no box titled " << kWarningCaptionText;
    EXPECT_EQ(std::string(kWriteFailedFirstLine) + kSystemErrorLine, dialogItemText(box, 0xFFFF));
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(0u, exitCodeOf(intake));

    ScopedMachineKey appPaths(kAppPaths);
    appPaths.setString("", recorder.c_str());
    EXPECT_EQ(0u, runIntake("xp-with-key"));
    EXPECT_NE(std::string::npos, recording().find("arg1=-b\narg2=6\n")) << readText(recorded);
    xp.reset();
    ::DeleteFileA(recorded.c_str());
    DiagCapture diag;
    EXPECT_EQ(0u, runIntake("six"));
    if (diag.text().find("] launchProcess失敗, ErrorCode = ") != std::string::npos) {
        EXPECT_EQ("6", settings_.get("ErrorType"));
    } else {
        // A Wine that can hand out the session token starts the stand-in directly.
        EXPECT_NE(std::string::npos, recording().find("cmd= \"-b\" \"6\"")) << diag.text();
    }
    char arguments[64];
    formatRelaunchArguments(99, arguments, sizeof arguments);
    EXPECT_STREQ(" \"-b\" \"99\"", arguments);
}
