// Benchmark of the CSV export as "-e" runs it (lock, load, CSV, write beside the target and
// rename) on a full 1000 KB and a full 32000 KB log.
//
//   bench_export [folder]          (default: the temporary folder)
//   bench_export --log PATH        writes a full 1000 KB log to PATH, for timing "-e" itself
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/ExportMode.h"
#include "store/PrintLogStore.h"
#include "tools/BenchLog.h"

namespace {

void runFor(const std::string& folder, uint32_t maxKb) {
    const std::string log = folder + "\\bench-export-" + std::to_string(maxKb) + ".log";
    const std::string target = folder + "\\bench-export-" + std::to_string(maxKb) + ".csv";
    uint32_t job = 0;
    writeFile(log, makeFullLog(maxKb, job));
    PrintLogStore store(log.c_str(), maxKb);
    DWORD error = 0;
    double t0 = nowMs();
    DWORD kind = exportLogFile(store, target.c_str(), &error);
    double took = nowMs() - t0;

    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ::GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &data);
    std::printf("\n%u KB log, %u records\n", maxKb, job - 1);
    std::printf("  %-44s %9.1f ms (kind %lu, error %lu)\n", "export to CSV", took, kind, error);
    std::printf("  %-44s %9lu bytes\n", "CSV size", data.nFileSizeLow);
    ::DeleteFileA(log.c_str());
    ::DeleteFileA(target.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "--log") == 0) {
        uint32_t job = 0;
        return writeFile(argv[2], makeFullLog(1000, job)) ? 0 : 1;
    }
    const std::string folder = benchFolder(argc, argv);
    runFor(folder, 1000);
    runFor(folder, 32000);
    return 0;
}
