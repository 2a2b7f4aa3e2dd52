#include "settings/SettingsTexts.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/DiagCapture.h"
#include "tests/support/SettingsFile.h"

namespace {

const char* const kHeader =
    "分類,文書名,ユーザ名,モノクロ印刷ページ,カラー印刷ページ,総印刷枚数,プリンタ名,日時,印刷要求元,"
    "発生日時,ジョブID,イベント種別,エラーコード,エラー詳細,メッセージ\r\n";

class Export : public ::testing::Test {
protected:
    void SetUp() override {
        settings_.set("LogName", log_);
        settings_.set("LogSize", "500");
        const std::vector<Bytes> records = {
            RecordBuilder().jobId(7).document("表計算.xls").user("田中").colour(10, 2).sheets(6).build(),
            RecordBuilder().kind(3).jobId(8).errorCode(0xFFFFFFFF).errorDetail(0x8000001A)
                .message("用紙切れ, \"A4\"").colour(-1, -1).sheets(-1).build(),
            RecordBuilder().kind(3).jobId(9).errorCode(301).message("closed").flags(FLAG_CLOSED).build(),
            RecordBuilder().kind(1).jobId(10).fallbackFlags(0x0001030A).flags(FLAG_COUNTS_UNCONFIRMED)
                .document("=HYPERLINK(\"x\")").user("-u").build(),
        };
        ASSERT_TRUE(writeLog(log_, buildLogFile(records)));
    }

    DWORD exportTo(const std::string& arguments) {
        ChildProcess viewer;
        EXPECT_TRUE(viewer.start(productExePath(), arguments));
        DWORD code = 0xDEAD;
        EXPECT_TRUE(viewer.wait(60000, &code));
        return code;
    }

    TempDir dir_;
    std::string log_ = dir_.file("KQVTPRT2.LOG");
    std::string target_ = dir_.file("out.csv");
    ScopedSettingsFile settings_;
};

}  // namespace

// Oldest first, closed records left out as the viewer leaves them out, the log untouched.
TEST_F(Export, WritesTheListedRecordsAndLeavesTheLogAsItWas) {
    const Bytes before = readFileBytes(log_);
    ASSERT_EQ(0u, exportTo("-e \"" + target_ + "\""));
    EXPECT_EQ(std::string(kHeader) +
                  "印刷完了,表計算.xls,田中,10,2,6,NORVALE QV-2810,2026/04/01  09:05:07,PC01,2026-04-01 09:05:07,"
                  "7,0,0,0,\r\n"
                  "\"用紙切れ, \"\"A4\"\"\",report.txt,user1,,,,NORVALE QV-2810,2026/04/01  09:05:07,PC01,"
                  "2026-04-01 09:05:07,8,3,4294967295,2147483674,\r\n"
                  "印刷完了,\"'=HYPERLINK(\"\"x\"\")\",'-u,,,,NORVALE QV-2810,2026/04/01  09:05:07,PC01,"
                  "2026-04-01 09:05:07,10,1,0,0,\"片面で印刷 （両面ユニットなし）\n排紙方法を変更して印刷\"\r\n",
              readText(target_));
    EXPECT_EQ(before, readFileBytes(log_));

    // With "AllView" the job ID column and the closed record are listed too.
    ScopedMachineKey prtLog(kPrtLogKey);
    prtLog.setString("AllView", "Y");
    ASSERT_EQ(0u, exportTo("-e \"" + target_ + "\""));
    const std::string all = readText(target_);
    EXPECT_EQ(0u, all.find("分類,文書名,ユーザ名,モノクロ印刷ページ,カラー印刷ページ,総印刷枚数,プリンタ名,日時,"
                           "印刷要求元,ジョブID,発生日時,ジョブID,"));
    EXPECT_NE(std::string::npos, all.find("\r\nclosed,report.txt,user1,1,0,1,NORVALE QV-2810,"));
}

// Failures exit with their kind and line, leaving no partial file; a missing log gives the header alone.
TEST_F(Export, FailuresExitWithTheirKindAndLeaveNoPartialFile) {
    struct Case { const char* name; std::string logName, target; bool hold; DWORD exitCode; } cases[] = {
        {"missing target folder", log_, dir_.file("none\\out.csv"), false, 6},
        {"target held open", log_, target_, true, 5},
        {"target is the print log", log_, log_, false, 3},
        {"target is the missing print log", dir_.file("gone.log"), dir_.file("gone.log"), false, 3},
        {"target is a copy of a print log", log_, dir_.file("copy.log"), false, 3},
        {"not a print log", dir_.file("other.bin"), target_, false, 4},
        {"no target", log_, "", false, 2},
        {"missing log", dir_.file("none.log"), dir_.file("empty.csv"), false, 0},
    };
    ASSERT_TRUE(writeFileBytes(dir_.file("other.bin"), "MZ\x90\0\3\0\0\0", 8));
    ASSERT_TRUE(writeFileBytes(target_, "old", 3));
    const Bytes log = readFileBytes(log_);
    ASSERT_TRUE(writeFileBytes(dir_.file("copy.log"), log.data(), log.size()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DiagCapture diag;
        ScopedHandle held(c.hold ? ::CreateFileA(target_.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL)
                                 : INVALID_HANDLE_VALUE);
        settings_.set("LogName", c.logName);
        EXPECT_EQ(c.exitCode, exportTo(c.target.empty() ? "-e" : "-e \"" + c.target + "\""));
        const std::string line = "Export to CSV failed. Kind = " + std::to_string(c.exitCode);
        EXPECT_EQ(c.exitCode != 0, diag.text().find(line) != std::string::npos) << diag.text();
        EXPECT_EQ(c.exitCode == 0, readText(c.target) == kHeader);
        held.close();
        EXPECT_EQ("old", readText(target_));
        EXPECT_EQ(log, readFileBytes(log_));
        WIN32_FIND_DATAA found;
        HANDLE find = ::FindFirstFileA(dir_.file("*.tmp").c_str(), &found);
        EXPECT_EQ(INVALID_HANDLE_VALUE, find) << "left behind: " << found.cFileName;
        if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
    }
}
