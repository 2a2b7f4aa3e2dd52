// Benchmark of the log store: intake with and without dropping, first load and a reload
// that finds one new record, for a full 1000 KB and a full 32000 KB log. Every figure is
// also given as a ratio to the floor: reading and parsing the file once. For comparison the
// intake is also timed with the straightforward walk that rewrites every kept record.
//
//   bench_store [folder]      (default: the temporary folder)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "presentation/LogRecordView.h"
#include "services/ScopedHandle.h"
#include "store/LogWriter.h"
#include "store/PrintLogStore.h"
#include "tools/BenchLog.h"

namespace {



// The straightforward walk: every kept record is read, checked and written back.
int straightforwardWrite(HANDLE file, const Bytes& record, uint32_t maxKb) {
    LogFileHeader header;
    FileAccessor::readAtHandle(file, 0, &header, sizeof header);
    const int64_t M = int64_t(maxKb) * 1024, F = ::GetFileSize(file, NULL);
    const uint32_t S = uint32_t(record.size());
    int64_t excess = S + F - M, rp = 64, wp = 64;
    uint8_t fixed[128];
    while (excess > 0) {
        if (FileAccessor::readAtHandle(file, LONG(rp), fixed, 128) != 128) return 2;
        uint32_t rs;
        std::memcpy(&rs, fixed, 4);
        excess -= rs;
        rp += rs;
    }
    while (rp < F) {
        if (FileAccessor::readAtHandle(file, LONG(rp), fixed, 128) != 128) return 2;
        uint32_t rs;
        std::memcpy(&rs, fixed, 4);
        Bytes e(rs);
        if (FileAccessor::readAtHandle(file, LONG(rp), e.data(), rs) != rs) return 2;
        rp += rs;
        FileAccessor::writeAtHandle(file, LONG(wp), e.data(), rs);
        wp += rs;
    }
    FileAccessor::cutAtHandle(file, LONG(wp));
    FileAccessor::writeAtHandle(file, LONG(wp), record.data(), S);
    header.usedSize = header.appendOffset = header.tailOffset = uint32_t(wp + S);
    FileAccessor::writeAtHandle(file, 0, &header, sizeof header);
    return 0;
}

template <class F>
double median(int runs, F f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) times.push_back(f());
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void runFor(const std::string& folder, uint32_t maxKb, int runs) {
    const std::string path = folder + "\\bench-" + std::to_string(maxKb) + ".log";
    uint32_t job = 0;
    const Bytes full = makeFullLog(maxKb, job);
    size_t records = 0;
    for (size_t at = 64; at < full.size(); at += reinterpret_cast<const LogRecord*>(full.data() + at)->recordSize) ++records;

    // Floor: read the file once and parse every record.
    writeFile(path, full);
    double floor = median(runs, [&] { return readAndParseOnce(path); });

    auto timedIntake = [&](uint32_t kb, bool straightforward) {
        Bytes r = makeRecord(job++, 0);
        ScopedHandle h(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL));
        double t0 = nowMs();
        if (straightforward) straightforwardWrite(h.get(), r, kb);
        else writeLogFile(h.get(), r.data(), uint32_t(r.size()), kb);
        return nowMs() - t0;
    };
    writeFile(path, full);
    double dropping = median(runs, [&] { return timedIntake(maxKb, false); });
    writeFile(path, full);
    double droppingPlain = median(runs, [&] { return timedIntake(maxKb, true); });
    writeFile(path, full);
    double appending = median(runs, [&] { return timedIntake(maxKb * 2, false); });
    writeFile(path, full);
    double appendingPlain = median(runs, [&] { return timedIntake(maxKb * 2, true); });

    writeFile(path, full);
    double firstLoad = median(runs, [&] {
        PrintLogStore store(path.c_str(), maxKb);
        double t0 = nowMs();
        store.load();
        return nowMs() - t0;
    });
    PrintLogStore viewer(path.c_str(), maxKb * 2);
    viewer.load();
    double reload = median(runs, [&] {
        for (LogRecordNode* n = viewer.firstNode(); n; n = n->next) n->view.rowState = ROW_CURRENT;
        viewer.removeGoneRows();
        Bytes r = makeRecord(job++, 0);
        {
            ScopedHandle h(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL));
            writeLogFile(h.get(), r.data(), uint32_t(r.size()), maxKb * 2);
        }
        double t0 = nowMs();
        viewer.load();
        return nowMs() - t0;
    });
    ::DeleteFileA(path.c_str());

    std::printf("\n%u KB log, %u records (median of %d runs)\n", maxKb, unsigned(records), runs);
    std::printf("  %-40s %9.2f ms\n", "floor: read and parse once", floor);
    auto line = [&](const char* what, double ms) { std::printf("  %-40s %9.2f ms  %6.2f x floor\n", what, ms, ms / floor); };
    line("intake dropping records", dropping);
    line("  straightforward walk", droppingPlain);
    line("intake dropping none", appending);
    line("  straightforward walk", appendingPlain);
    line("first load", firstLoad);
    line("reload finding one new record", reload);
}

}  // namespace

int main(int argc, char** argv) {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    std::string folder = argc > 1 ? argv[1] : temp;
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    runFor(folder, 1000, 9);
    runFor(folder, 32000, 3);
    return 0;
}
