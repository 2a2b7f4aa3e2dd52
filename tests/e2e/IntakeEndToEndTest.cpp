// The real executable, started as the printing side starts it: the record in the log, the
// new log's access list on both Windows generations, the viewer that a failed intake
// starts for the user and the hand-over to a running viewer.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "app/ConsoleLaunch.h"
#include "services/RegistryKey.h"
#include "services/ScopedHandle.h"
#include "store/StoreTexts.h"
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

uint32_t u32(const Bytes& b, size_t at) {
    uint32_t v = 0;
    if (at + 4 <= b.size()) std::memcpy(&v, b.data() + at, 4);
    return v;
}

std::string recorderPath() { return testBinaryDir() + "kqvt_args_recorder.exe"; }

std::string readText(const std::string& path) {
    std::vector<unsigned char> bytes = readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

bool pendingValueExists(const std::string& name) {
    RegistryKey key;
    if (!key.open(HKEY_LOCAL_MACHINE, kPendingRecordKey, KEY_READ)) return false;
    return ::RegQueryValueExA(key.get(), name.c_str(), NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
}

// True when the file's access list lets everyone write (Wine keeps a file's access list
// as its Unix mode, so full access reads back without the owner rights).
bool everyoneMayWrite(const std::string& path) {
    DWORD size = 0;
    ::GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, NULL, 0, &size);
    std::vector<uint8_t> sd(size ? size : 1);
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = NULL;
    if (!::GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, sd.data(), size, &size) ||
        !::GetSecurityDescriptorDacl(sd.data(), &present, &acl, &defaulted) || !acl)
        return false;
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = NULL;
    ::AllocateAndInitializeSid(&world, 1, 0, 0, 0, 0, 0, 0, 0, 0, &everyone);
    bool found = false;
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = NULL;
        if (::GetAce(acl, i, reinterpret_cast<void**>(&ace)) && ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
            ::EqualSid(&ace->SidStart, everyone) && (ace->Mask & FILE_WRITE_DATA))
            found = true;
    }
    ::FreeSid(everyone);
    return found;
}

class IntakeEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        settings_.set("LogSize", "500");
        ::DeleteFileA(recorded().c_str());
    }
    void TearDown() override { ::DeleteFileA(recorded().c_str()); }
    static std::string recorded() { return recorderPath() + ".txt"; }

    // Waits until the stand-in viewer has written its arguments (it runs detached).
    std::string waitForRecording() {
        for (int i = 0; i < 300 && readText(recorded()).find('\n') == std::string::npos; ++i) ::Sleep(50);
        return readText(recorded());
    }
    void startIntake(ChildProcess& intake, const std::string& name) {
        pending_.setBinary(name.c_str(), record_.data(), DWORD(record_.size()));
        ASSERT_TRUE(intake.start(productExePath(), "-w " + name));
    }
    DWORD runIntake(const std::string& name) {
        ChildProcess intake;
        startIntake(intake, name);
        DWORD code = 1;
        EXPECT_TRUE(intake.wait(60000, &code));
        return code;
    }

    const Bytes record_ = RecordBuilder().jobId(5).document("会議資料.pdf").user("山田").build();
    TempDir dir_;
    ScopedSettingsFile settings_;
    ScopedMachineKey pending_{kPendingRecordKey};
};

}  // namespace

// The record lands in a new log byte for byte; the new log is opened to everyone on 6.x
// only.
TEST_F(IntakeEndToEnd, NewLogHoldsTheRecordAndIsOpenToEveryoneOnSixOnly) {
    for (bool xp : {false, true}) {
        SCOPED_TRACE(xp ? "winxp" : "6.x");
        std::unique_ptr<ScopedWineVersion> version(xp ? new ScopedWineVersion("KQVTLGVW.exe", "winxp") : nullptr);
        const std::string log = dir_.file(xp ? "xp.log" : "six.log");
        settings_.set("LogName", log);
        EXPECT_EQ(0u, runIntake("e2e"));
        EXPECT_FALSE(pendingValueExists("e2e"));
        const Bytes file = readFileBytes(log);
        ASSERT_EQ(64 + record_.size(), file.size());
        for (size_t end : {8, 16, 24}) EXPECT_EQ(file.size(), u32(file, end));
        EXPECT_EQ(500u * 1024, u32(file, 12));
        EXPECT_EQ(64u, u32(file, 32));
        EXPECT_EQ(record_, Bytes(file.begin() + 64, file.end()));
        EXPECT_EQ(!xp, everyoneMayWrite(log));
    }
}

// A failed intake on 5.x starts the viewer through App Paths with "-b" and its kind, or
// says so in a box without the key; on 6.x the console-session launch fails under Wine,
// which leaves a diagnostic line and the kind in the settings file. Exit code 0 always.
TEST_F(IntakeEndToEnd, FailedIntakeStartsAViewerForTheUser) {
    settings_.set("LogName", dir_.file("missing\\KQVTPRT2.LOG"));
    {
        ScopedWineVersion xp("KQVTLGVW.exe", "winxp");
        ASSERT_TRUE(xp.ok());
        {
            ScopedMachineKey appPaths(kAppPaths);
            appPaths.setString("", recorderPath().c_str());
            EXPECT_EQ(0u, runIntake("xp-with-key"));
            const std::string recorded = waitForRecording();
            EXPECT_NE(std::string::npos, recorded.find("arg1=-b\narg2=6\n")) << recorded;
        }
        ChildProcess intake;
        startIntake(intake, "xp-no-key");
        HWND box = NULL;
        for (int i = 0; i < 600 && !(box = ::FindWindowA("#32770", kWarningCaptionText)); ++i) ::Sleep(50);
        ASSERT_TRUE(box) << "no box titled " << kWarningCaptionText;
        char text[512] = "";
        ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        EXPECT_EQ(std::string(kWriteFailedFirstLine) + kSystemErrorLine, text);
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        DWORD code = 1;
        ASSERT_TRUE(intake.wait(30000, &code));
        EXPECT_EQ(0u, code);
    }
    DiagCapture diag;
    ScopedMachineKey appPaths(kAppPaths);
    appPaths.setString("", recorderPath().c_str());
    ::DeleteFileA(recorded().c_str());
    EXPECT_EQ(0u, runIntake("six"));
    const std::string lines = diag.text();
    if (lines.find("] launchProcess失敗, ErrorCode = ") != std::string::npos) {
        EXPECT_EQ("6", settings_.get("ErrorType"));
    } else {
        // A Wine that can hand out the session token starts the stand-in directly.
        EXPECT_NE(std::string::npos, waitForRecording().find("cmd= \"-b\" \"6\"")) << lines;
    }
    char arguments[64];
    formatRelaunchArguments(99, arguments, sizeof arguments);
    EXPECT_STREQ(" \"-b\" \"99\"", arguments);
}

// A second viewer started with "-b" hands the kind to the running one and ends.
TEST(SecondViewer, HandsTheKindToTheRunningViewer) {
    ScopedHandle first(::CreateMutexA(NULL, TRUE, kSingleInstanceMutex));
    ASSERT_TRUE(first.valid());
    WNDCLASSA cls;
    std::memset(&cls, 0, sizeof cls);
    cls.lpfnWndProc = ::DefWindowProcA;
    cls.hInstance = testInstance();
    cls.lpszClassName = kMainClassName;
    ASSERT_TRUE(::RegisterClassA(&cls));
    HWND viewer = ::CreateWindowA(kMainClassName, kMainTitle, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL,
                                  testInstance(), NULL);
    ASSERT_TRUE(viewer);
    ChildProcess second;
    ASSERT_TRUE(second.start(productExePath(), "-b 3"));
    DWORD code = 1;
    ASSERT_TRUE(second.wait(30000, &code));
    EXPECT_EQ(0u, code);
    MSG msg;
    LPARAM kind = -1;
    while (::PeekMessageA(&msg, viewer, 0, 0, PM_REMOVE))
        if (msg.message == ::RegisterWindowMessageA(kErrorMessageName)) kind = msg.lParam;
    EXPECT_EQ(3, kind);
    ::DestroyWindow(viewer);
    ::UnregisterClassA(kMainClassName, testInstance());
}
