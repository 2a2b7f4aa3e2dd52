#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/RegistryKey.h"
#include "services/ScopedHandle.h"
#include "store/LogWriter.h"
#include "store/PrintLogStore.h"
#include "store/StoreTexts.h"
#include "tests/support/RecordBuilder.h"
#include "tests/support/TestEnvironment.h"

using Bytes = std::vector<uint8_t>;

inline const LogRecord& recordAt(const Bytes& file, size_t at) {
    return *reinterpret_cast<const LogRecord*>(file.data() + at);
}
inline bool writeLog(const std::string& path, const Bytes& file) {
    return writeFileBytes(path, file.data(), file.size());
}
inline int appendRecord(const std::string& path, const Bytes& record, uint32_t kb) {
    ScopedHandle h(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL));
    return writeLogFile(h.get(), record.data(), uint32_t(record.size()), kb);
}
inline std::string readText(const std::string& path) {
    const Bytes bytes = readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

inline bool pendingValueExists(const std::string& name) {
    RegistryKey key;
    if (!key.open(HKEY_LOCAL_MACHINE, kPendingRecordKey, KEY_READ)) return false;
    return ::RegQueryValueExA(key.get(), name.c_str(), NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
}

// Every header rewrite: signature kept, end fields at the file's end, first record at 64, offset 36 clear.
inline void expectHeader(const Bytes& file, uint32_t maxSize, uint32_t previousMaxSize, uint32_t lastRecord) {
    ASSERT_GE(file.size(), 64u);
    const LogFileHeader& h = *reinterpret_cast<const LogFileHeader*>(file.data());
    EXPECT_EQ(std::string("KQVTLG2", 8), std::string(h.signature, 8));
    EXPECT_EQ(file.size(), h.usedSize);
    EXPECT_EQ(file.size(), h.appendOffset);
    EXPECT_EQ(file.size(), h.tailOffset);
    EXPECT_EQ(64u, h.firstRecordOffset);
    EXPECT_EQ(maxSize, h.maxSize);
    EXPECT_EQ(previousMaxSize, h.previousMaxSize);
    EXPECT_EQ(lastRecord, h.lastRecordOffset);
    EXPECT_EQ(0u, h.reserved36);
}

// As the list window takes a load in: new and changed rows become current, gone rows go.
inline void applyRows(PrintLogStore& store) {
    for (LogRecordNode* n = store.firstNode(); n; n = n->next)
        if (n->view.rowState == ROW_NEW || n->view.rowState == ROW_CHANGED) n->view.rowState = ROW_CURRENT;
    store.removeGoneRows();
}

inline std::vector<int> rowStates(const PrintLogStore& store) {
    std::vector<int> states;
    for (LogRecordNode* n = store.firstNode(); n; n = n->next) states.push_back(n->view.rowState);
    return states;
}
