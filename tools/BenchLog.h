#pragma once
// Sample logs for the benchmarks: full logs of records of about 220 bytes.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "services/ByteBuffer.h"
#include "presentation/LogRecordView.h"
#include "services/ScopedHandle.h"
#include "store/FileAccessor.h"
#include "store/LogFormat.h"

namespace {

using Bytes = std::vector<uint8_t>;

inline Bytes makeRecord(uint32_t job, int kind) {
    LogRecord fixed;
    std::memset(&fixed, 0, sizeof fixed);
    ::GetLocalTime(&fixed.eventTime);
    fixed.eventTime.wMilliseconds = WORD(job % 1000);
    fixed.eventKind = kind;
    fixed.errorCode = kind == 3 ? 301 : 0;
    fixed.jobId = job;
    fixed.pagesPrinted = fixed.totalPages = fixed.sheetsPrinted = 3;
    fixed.copiesPrinted = fixed.copiesRequested = 1;
    fixed.monoPages = 3;
    fixed.colourPages = 0;
    char document[64];
    std::snprintf(document, sizeof document, "document-%06u.docx", job);
    const char* strings[kRecordStringCount] = {"NORVALE QV-2810 PCL", "PC-SALES-01", document, "tanaka",
                                               "key", "", "", "printer message text"};
    ByteBuffer b;
    buildRecord(fixed, strings, b);
    return Bytes(b.data(), b.data() + b.size());
}

// A log filled close to maxKb; `firstJob` is the next free job ID.
inline Bytes makeFullLog(uint32_t maxKb, uint32_t& firstJob) {
    LogFileHeader h;
    makeFreshHeader(h, maxKb);
    Bytes file(reinterpret_cast<uint8_t*>(&h), reinterpret_cast<uint8_t*>(&h) + sizeof h);
    uint32_t job = 1, last = 0;
    for (;;) {
        Bytes r = makeRecord(job, job % 7 == 0 ? 3 : 0);
        if (file.size() + r.size() > size_t(maxKb) * 1024) break;
        last = uint32_t(file.size());
        file.insert(file.end(), r.begin(), r.end());
        ++job;
    }
    LogFileHeader* hp = reinterpret_cast<LogFileHeader*>(file.data());
    hp->usedSize = hp->appendOffset = hp->tailOffset = uint32_t(file.size());
    hp->lastRecordOffset = last;
    firstJob = job;
    return file;
}

inline double nowMs() {
    static LARGE_INTEGER freq = [] { LARGE_INTEGER f; ::QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1000.0 / double(freq.QuadPart);
}

inline bool writeFile(const std::string& path, const Bytes& b) {
    ScopedHandle h(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    DWORD n = 0;
    return h.valid() && ::WriteFile(h.get(), b.data(), DWORD(b.size()), &n, NULL) && n == b.size();
}

// The floor of every load: read the file once and parse each record.
inline double readAndParseOnce(const std::string& path) {
    double t0 = nowMs();
    FileAccessor file;
    file.setName(path.c_str(), FILE_SHARE_READ);
    const uint8_t* data = file.readAll(0, 0);
    size_t size = file.cacheSize();
    for (size_t at = 64; data && at + 4 <= size;) {
        LogRecordView view;
        uint32_t n = view.parseRecord(data + at);
        if (!n) break;
        at += n;
    }
    return nowMs() - t0;
}

// The folder the benchmark writes its logs to: the first argument, else the temporary folder.
inline std::string benchFolder(int argc, char** argv) {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    std::string folder = argc > 1 ? argv[1] : temp;
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder;
}

}  // namespace
