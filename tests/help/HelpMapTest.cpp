#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "services/ComRef.h"
#include "help/HelpMap.h"
#include "help/ITStorage.h"
#include "tests/support/TestEnvironment.h"

namespace {

std::wstring wide(const std::string& s) {
    wchar_t buffer[MAX_PATH];
    int n = ::MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, buffer, MAX_PATH);
    return n > 0 ? std::wstring(buffer) : std::wstring();
}

std::string fixture(const char* name) { return testBinaryDir() + "helpfiles\\" + name; }

std::string productHelpFile() {
    std::string exe = productExePath();
    return exe.substr(0, exe.find_last_of('\\') + 1) + "KQVTLGVW.CHM";
}

void expectEmpty(const HelpMap& map) {
    EXPECT_EQ(0u, map.count);
    EXPECT_EQ(nullptr, map.ivb);
    EXPECT_EQ(nullptr, map.strings);
    EXPECT_EQ(nullptr, findHelpTopic(7, &map));
}

// Whether the help file holds a stream of that name (a topic page).
bool helpFileHasStream(const std::string& file, const char* name) {
    ComRef<ITStorage> storageClass;
    if (FAILED(::CoCreateInstance(kClsidITStorage, NULL, CLSCTX_INPROC_SERVER, kIidITStorage,
                                  reinterpret_cast<void**>(storageClass.out()))))
        return false;
    ComRef<IStorage> storage;
    if (FAILED(storageClass->StgOpenStorage(wide(file).c_str(), NULL, STGM_SHARE_DENY_WRITE, NULL, 0,
                                            storage.out())))
        return false;
    ComRef<IStream> stream;
    return SUCCEEDED(storage->OpenStream(wide(name).c_str(), NULL, STGM_READ, 0, stream.out())) &&
           stream.get() != nullptr;
}

TEST(HelpContextTable, FirstPairOfTheControlGivesItsContext) {
    const HelpContextPair table[] = {{1000, 5}, {1002, 5}, {1, 8}, {1000, 99}, {0, 0}, {7, 7}};
    struct Case {
        DWORD control;
        DWORD expected;
    } cases[] = {{1000, 5}, {1002, 5}, {1, 8}, {2, 0}, {7, 0} /* after the terminator */, {0, 0}};
    for (const Case& c : cases) EXPECT_EQ(c.expected, findHelpContextId(c.control, table)) << c.control;
    EXPECT_EQ(0u, findHelpContextId(1000, nullptr));
}

TEST(HelpMap, RefusesMissingArgumentsAndUnreadableFiles) {
    HelpMap map;
    EXPECT_EQ(0, loadHelpMap(nullptr, &map));
    EXPECT_EQ(0, loadHelpMap(L"x.chm", nullptr));

    TempDir dir;
    EXPECT_EQ(0, loadHelpMap(wide(dir.file("missing.chm")).c_str(), &map));
    expectEmpty(map);

    const char text[] = "this is not a compiled help file";
    ASSERT_TRUE(writeFileBytes(dir.file("text.chm"), text, sizeof text));
    EXPECT_EQ(0, loadHelpMap(wide(dir.file("text.chm")).c_str(), &map));
    expectEmpty(map);

    // A help file without a context map has no "#IVB" stream.
    EXPECT_EQ(0, loadHelpMap(wide(fixture("nomap.chm")).c_str(), &map));
    expectEmpty(map);
    EXPECT_EQ(nullptr, findHelpTopic(7, nullptr));
}

TEST(HelpMap, ContextListedTwiceResolvesToItsFirstPair) {
    HelpMap map;
    ASSERT_EQ(1, loadHelpMap(wide(fixture("sample.chm")).c_str(), &map));
    EXPECT_EQ(7u, map.count);  // the length word and three pairs
    ASSERT_NE(nullptr, findHelpTopic(7, &map));
    EXPECT_STREQ("first.htm", findHelpTopic(7, &map));
    EXPECT_STREQ("third.htm", findHelpTopic(8, &map));
    EXPECT_EQ(nullptr, findHelpTopic(9, &map));
    EXPECT_EQ(nullptr, findHelpTopic(0, &map));

    freeHelpMap(&map);
    expectEmpty(map);
    freeHelpMap(&map);  // a second release is harmless
}

TEST(HelpMap, DeferredMapReadsItsFileAtTheFirstLookupOnly) {
    HelpMap map;
    ASSERT_EQ(1, deferHelpMap(wide(fixture("sample.chm")).c_str(), &map));
    EXPECT_EQ(nullptr, map.ivb);  // nothing read yet
    EXPECT_STREQ("first.htm", findHelpTopic(7, &map));
    EXPECT_EQ(7u, map.count);
    // Freed, a deferred map is forgotten rather than read again.
    ASSERT_EQ(1, deferHelpMap(wide(fixture("sample.chm")).c_str(), &map));
    freeHelpMap(&map);
    EXPECT_EQ(nullptr, findHelpTopic(7, &map));
    expectEmpty(map);
}

TEST(HelpMap, MalformedStreamsFindNothingWhereTheyPointOutside) {
    struct Case {
        const char* file;
        DWORD context;
        const char* expected;
    } cases[] = {
        {"oneword.chm", 0, nullptr},  // "#IVB" of its length word alone
        {"oneword.chm", 7, nullptr},
        {"badivb.chm", 7, nullptr},  // offset far past "#STRINGS"
        {"badivb.chm", 8, "first.htm"},
        {"badivb.chm", 10, nullptr},  // the empty name at offset 0
        {"badivb.chm", 9, nullptr},   // last word, no offset after it
        {"unterminated.chm", 4, nullptr},
    };
    for (const Case& c : cases) {
        HelpMap map;
        ASSERT_EQ(1, loadHelpMap(wide(fixture(c.file)).c_str(), &map)) << c.file;
        const char* topic = findHelpTopic(c.context, &map);
        if (c.expected) {
            EXPECT_STREQ(c.expected, topic) << c.file << " " << c.context;
        } else {
            EXPECT_EQ(nullptr, topic) << c.file << " " << c.context;
        }
    }
    HelpMap one;
    ASSERT_EQ(1, loadHelpMap(wide(fixture("oneword.chm")).c_str(), &one));
    EXPECT_EQ(1u, one.count);
}

struct ComProbe {
    std::wstring path;
    HRESULT afterBalancedFree = E_FAIL;
    HRESULT afterForeignApartment = E_FAIL;
};

DWORD WINAPI probeComBalance(void* p) {
    ComProbe* probe = static_cast<ComProbe*>(p);
    {
        HelpMap map;
        loadHelpMap(probe->path.c_str(), &map);
        freeHelpMap(&map);
        // COM was ended again: a new initialisation is the first one.
        probe->afterBalancedFree = ::CoInitialize(NULL);
        ::CoUninitialize();
    }
    {
        ::CoInitializeEx(NULL, COINIT_MULTITHREADED);
        HelpMap map;
        loadHelpMap(probe->path.c_str(), &map);  // its CoInitialize fails: another apartment model
        freeHelpMap(&map);
        // The thread's own initialisation must still stand.
        probe->afterForeignApartment = ::CoInitializeEx(NULL, COINIT_MULTITHREADED);
        ::CoUninitialize();
        ::CoUninitialize();
    }
    return 0;
}

TEST(HelpMap, ComIsEndedOnlyWhenTheLoadStartedIt) {
    // A thread of its own, so that no earlier test's COM state counts.
    ComProbe probe;
    probe.path = wide(fixture("sample.chm"));
    HANDLE thread = ::CreateThread(NULL, 0, probeComBalance, &probe, 0, NULL);
    ASSERT_NE(nullptr, thread);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread, 30000));
    ::CloseHandle(thread);
    EXPECT_EQ(S_OK, probe.afterBalancedFree);
    EXPECT_EQ(S_FALSE, probe.afterForeignApartment);
}

// The product's own help file: every context ID of the three windows names a page of
// the file by its name inside the file.
TEST(ProductHelpFile, EveryContextOfTheWindowsOpensAPageOfTheFile) {
    std::string file = productHelpFile();
    ASSERT_TRUE(fileExists(file)) << file;
    HelpMap map;
    ASSERT_EQ(1, loadHelpMap(wide(file).c_str(), &map));
    std::set<std::string> topics;
    std::set<DWORD> contexts;
    for (DWORD id = 2; id <= 25; ++id) contexts.insert(id);
    contexts.insert(51);
    contexts.insert(52);
    for (DWORD id = 60; id <= 70; ++id) contexts.insert(id);
    for (DWORD id : contexts) {
        const char* topic = findHelpTopic(id, &map);
        ASSERT_NE(nullptr, topic) << id;
        std::string name = topic;
        EXPECT_EQ(std::string::npos, name.find_first_of("\\/:")) << id << ": " << name;
        EXPECT_TRUE(helpFileHasStream(file, ("/" + name).c_str())) << id << ": " << name;
        topics.insert(name);
    }
    EXPECT_EQ(contexts.size(), topics.size()) << "two contexts share a page";
    EXPECT_EQ(nullptr, findHelpTopic(1, &map));
    EXPECT_EQ(nullptr, findHelpTopic(26, &map));
}

}  // namespace
