#include <cstring>

#include "tests/store/StoreTestSupport.h"
#include "tests/support/DiagCapture.h"

namespace {

RecordBuilder job(uint32_t id) { return RecordBuilder().jobId(id).time(2026, 7, 1, 9, 0, 0); }

void expectLoad(PrintLogStore& store, int result, const std::vector<int>& states) {
    EXPECT_EQ(result, store.load());
    EXPECT_EQ(states, rowStates(store));
    applyRows(store);
}

const int C = ROW_CURRENT, N = ROW_NEW, G = ROW_GONE;

}  // namespace

// One viewer's life: each load marks every row with what the window has to do with it.
TEST(Load, ReloadMarksWhatTheWindowMustDo) {
    TempDir dir;
    const std::string path = dir.file("KQVTPRT2.LOG");
    PrintLogStore store(path.c_str(), 2);
    // A log whose used size says empty although bytes follow.
    Bytes padded = buildLogFile({});
    const Bytes extra = job(1).build();
    padded.insert(padded.end(), extra.begin(), extra.end());
    ASSERT_TRUE(writeLog(path, padded));
    expectLoad(store, kLoadChanged, {});

    std::vector<Bytes> records = {job(1).build(), job(2).build(), job(3).build(), job(4).build()};
    ASSERT_TRUE(writeLog(path, buildLogFile(records, 2)));
    expectLoad(store, kLoadChanged, {N, N, N, N});
    EXPECT_EQ(kLoadUnchanged, store.load());
    ASSERT_EQ(kWriteStored, appendRecord(path, job(5).build(), 2));
    expectLoad(store, kLoadChanged, {C, C, C, C, N});

    // The same job, requester and time with other content: the row takes the new record.
    records.push_back(job(5).build());
    records[1] = job(2).document("changed.doc").build();
    ASSERT_TRUE(writeLog(path, buildLogFile(records, 2)));
    expectLoad(store, kLoadChanged, {C, ROW_CHANGED, C, C, C});
    EXPECT_STREQ("changed.doc", store.firstNode()->next->view.documentName);

    // An error record that a later completion closes is hidden, at every load after.
    ASSERT_EQ(kWriteStored, appendRecord(path, job(9).kind(3).errorCode(320).build(), 500));
    expectLoad(store, kLoadChanged, {C, C, C, C, C, N});
    ASSERT_EQ(kWriteStored, appendRecord(path, job(9).time(2026, 7, 1, 9, 5, 0).build(), 500));
    expectLoad(store, kLoadChanged, {C, C, C, C, C, ROW_HIDDEN, N});
    EXPECT_EQ(kLoadChanged, store.load());

    // Emptied by another process: every row goes.
    ASSERT_TRUE(writeLog(path, buildLogFile({})));
    expectLoad(store, kLoadChanged, {G, G, G, G, G, G, G});
}

// Each verification outcome and its line: busy keeps the rows, others mark them gone, broken empties.
TEST(Load, FailuresTellTheWindowWhatToDo) {
    DiagCapture diag;
    TempDir dir;
    const std::string path = dir.file("KQVTPRT2.LOG");
    const Bytes good = buildLogFile({job(1).build(), job(2).build()});
    const std::string same(good.begin(), good.end());
    Bytes broken = good;
    const uint32_t tooLong = 4000;
    std::memcpy(broken.data() + 64 + job(1).build().size(), &tooLong, 4);
    struct Case {
        const char* what; std::string path; std::string content; DWORD holdMs; int code; const char* line;
        std::vector<int> states;
    } cases[] = {
        {"quoted name", "\"" + path + "\"", same, 0, kLoadUnchanged, "", {C, C}},
        {"held for 2.5 s", path, same, 2500, kLoadUnchanged, "", {C, C}},
        {"held for 4 s", path, same, 4000, kLoadBusy, "Sharing violation timeout is occurred.\r\n", {C, C}},
        {"missing", dir.file("none.log"), same, 0, kLoadMissing, "", {G, G}},
        {"no folder", dir.file("no\\x.log"), same, 0, kLoadNoFolder, "File path is not found.\r\n", {G, G}},
        {"empty", path, "", 0, kLoadBroken, "File is not Opened.  Errcode=", {G, G}},
        {"other form", path, "ABCDEFGH", 0, kLoadOtherForm, "File is other form. Signeture=ABCDEFG\r\n", {G, G}},
        {"no NUL", path, "KQVTLG2X", 0, kLoadOtherForm, "File is other form. Signeture=KQVTLG2\r\n", {G, G}},
        {"broken record", path, std::string(broken.begin(), broken.end()), 0, kLoadBroken,
         "Logdata size is broken.\r\n", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(writeLog(path, good));
        PrintLogStore store(path.c_str(), 500);
        expectLoad(store, kLoadChanged, {N, N});
        ASSERT_TRUE(writeFileBytes(path, c.content.data(), c.content.size()));
        ChildProcess holder;
        ReadyEvent ready;
        if (c.holdMs) {
            const std::string hold = std::to_string(c.holdMs) + " " + ready.name();
            ASSERT_TRUE(startHelper(holder, "kqvt_holder", "file \"" + path + "\" " + hold));
            ASSERT_TRUE(ready.wait(10000));
        }
        diag.clear();
        store.setLogPath(c.path.c_str());
        EXPECT_EQ(c.code, store.load());
        EXPECT_EQ(c.states, rowStates(store));
        EXPECT_EQ(*c.line == 0, diag.text().empty()) << diag.text();
        EXPECT_NE(std::string::npos, diag.text().find(c.line)) << diag.text();
    }
    // A file far larger than any log (sparse here) is refused before a byte is read.
    {
        ScopedHandle big(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(big.get(), good.data(), DWORD(good.size()), &written, NULL));
        LONG high = 0;
        ASSERT_NE(INVALID_SET_FILE_POINTER, ::SetFilePointer(big.get(), LONG(0xF8000000), &high, FILE_BEGIN));
        ASSERT_TRUE(::SetEndOfFile(big.get()));
    }
    PrintLogStore store(path.c_str(), 500);
    diag.clear();
    EXPECT_EQ(kLoadBroken, store.load());
    EXPECT_NE(std::string::npos, diag.text().find("File is not Opened.  Errcode=223\r\n")) << diag.text();
}
