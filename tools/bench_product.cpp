// Benchmark of the product as its users meet it, each figure beside a floor measured in the
// same run on the same machine (medians):
//   - one intake process ("-w") into a full log, against a do-nothing process;
//   - the viewer's open until every row is listed and the window answers, against a bare
//     report list view filled with as many rows of nine columns;
//   - a tick of the open viewer that finds one record added, against one read and parse of
//     the log file.
// Logs are full logs of records built like the record tool's. The settings file, the pending
// records and the logs are those of the Windows (Wine prefix) this runs in: run it in a
// prefix of its own (scripts/bench does).
//
//   bench_product PRODUCT_EXE NOOP_EXE LIST_EXE [--runs N] [--sizes KB,KB,...]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "presentation/LogRecordView.h"
#include "resources/MenuIds.h"
#include "services/RegistryKey.h"
#include "settings/LogSettings.h"
#include "store/LogWriter.h"
#include "store/StoreTexts.h"
#include "tools/BenchLog.h"
#include "viewer/PrintLogWindow.h"
#include "viewer/ViewerTexts.h"

namespace {

constexpr DWORD kProcessTimeoutMs = 300000;
constexpr const char* kFloorListClass = "KqvtFloorList";

struct Figure {
    double value = 0;
    bool valid = false;
};

double median(std::vector<double> times) {
    if (times.empty()) return 0;
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

size_t countRecords(const Bytes& log) {
    size_t records = 0;
    for (size_t at = 64; at + 4 <= log.size(); ++records) {
        uint32_t size = reinterpret_cast<const LogRecord*>(log.data() + at)->recordSize;
        if (!size) break;
        at += size;
    }
    return records;
}

bool readFile(const std::string& path, Bytes& out) {
    ScopedHandle h(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL));
    if (!h.valid()) return false;
    out.resize(::GetFileSize(h.get(), NULL));
    DWORD n = 0;
    return out.empty() || (::ReadFile(h.get(), out.data(), DWORD(out.size()), &n, NULL) && n == out.size());
}

class Process {
public:
    bool start(const std::string& exe, const std::string& arguments) {
        std::string line = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        if (!::CreateProcessA(exe.c_str(), &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &info_)) {
            std::fprintf(stderr, "bench: cannot start %s (error %lu)\n", exe.c_str(), ::GetLastError());
            return false;
        }
        return true;
    }
    bool wait(DWORD ms) { return ::WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0; }
    bool running() { return info_.hProcess && !wait(0); }
    void kill() {
        if (running()) ::TerminateProcess(info_.hProcess, 1);
        wait(kProcessTimeoutMs);
    }
    ~Process() {
        if (info_.hProcess) {
            kill();
            ::CloseHandle(info_.hThread);
            ::CloseHandle(info_.hProcess);
        }
    }

private:
    PROCESS_INFORMATION info_ = {};
};

// Start to end of a process that ends by itself.
double timeRun(const std::string& exe, const std::string& arguments) {
    Process process;
    double t0 = nowMs();
    if (!process.start(exe, arguments) || !process.wait(kProcessTimeoutMs)) return -1;
    return nowMs() - t0;
}

// Start of a window process until its list (control 1002) holds `rows` rows and answers.
// The main window is left in `window`; -1 when that does not happen in time.
double timeOpen(Process& process, const std::string& exe, const std::string& arguments, const char* className,
                const char* title, int rows, HWND& window) {
    double t0 = nowMs();
    if (!process.start(exe, arguments)) return -1;
    const double deadline = t0 + kProcessTimeoutMs;
    window = NULL;
    while (nowMs() < deadline && process.running()) {
        HWND main = ::FindWindowA(className, title);
        HWND list = main ? ::GetDlgItem(main, kListViewId) : NULL;
        DWORD_PTR count = 0;
        if (list && ::SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, kProcessTimeoutMs, &count) &&
            int(count) == rows) {
            window = main;
            return nowMs() - t0;
        }
        ::Sleep(1);
    }
    return -1;
}

void closeWindow(Process& process, HWND window) {
    if (window) ::PostMessageA(window, WM_CLOSE, 0, 0);
    if (!process.wait(60000)) {
        std::fprintf(stderr, "bench: a window process did not end within 60 s\n");
        process.kill();
    }
}

bool useSettings(const std::string& logPath, uint32_t maxKb) {
    LogSettings settings;
    settings.logSize = int32_t(maxKb);
    settings.logName.assign(logPath.c_str());
    settings.errorType = 0;
    return settings.save() != 0;
}

bool storePending(const std::string& name, const Bytes& record) {
    RegistryKey key;
    return key.create(HKEY_LOCAL_MACHINE, kPendingRecordKey, KEY_ALL_ACCESS) &&
           key.setValue(name.c_str(), REG_BINARY, record.data(), DWORD(record.size()));
}

struct Options {
    std::string product, noop, list;
    int runs = 3;
    std::vector<uint32_t> sizes = {500, 1000, 32000};
};

struct Row {
    std::string work;
    Figure figure;
    std::string floorName;
    Figure floor;
};

Figure figureOf(const std::vector<double>& times) {
    Figure f;
    f.valid = !times.empty() && *std::min_element(times.begin(), times.end()) >= 0;
    f.value = median(times);
    return f;
}

void print(const std::vector<Row>& rows) {
    std::printf("\n| Work | Figure | Floor measured in the same run | Ratio |\n|---|---|---|---|\n");
    for (const Row& row : rows) {
        char figure[32] = "failed", floor[32] = "failed", ratio[32] = "-";
        if (row.figure.valid) std::snprintf(figure, sizeof figure, "%.1f ms", row.figure.value);
        if (row.floor.valid) std::snprintf(floor, sizeof floor, "%.1f ms", row.floor.value);
        if (row.figure.valid && row.floor.valid && row.floor.value > 0)
            std::snprintf(ratio, sizeof ratio, "%.2fx", row.figure.value / row.floor.value);
        std::printf("| %s | %s | %s: %s | %s |\n", row.work.c_str(), figure, row.floorName.c_str(), floor, ratio);
    }
    std::fflush(stdout);
}

void benchSize(const Options& options, const std::string& folder, uint32_t kb, std::vector<Row>& rows) {
    const std::string path = folder + "\\bench-product-" + std::to_string(kb) + ".log";
    uint32_t job = 0;
    const Bytes full = makeFullLog(kb, job);
    const int records = int(countRecords(full));
    std::printf("%u KB: %d records\n", kb, records);
    std::fflush(stdout);
    if (!useSettings(path, kb)) std::fprintf(stderr, "bench: cannot write the settings file\n");

    // Intake: one pending record into the full log, which drops the oldest to make room.
    std::vector<double> intake, noop;
    for (int run = 0; run < options.runs; ++run) {
        writeFile(path, full);
        const std::string name = "BENCH" + std::to_string(kb) + "-" + std::to_string(run);
        if (!storePending(name, makeRecord(job++, 0))) {
            std::fprintf(stderr, "bench: cannot store a pending record\n");
            intake.push_back(-1);
            continue;
        }
        intake.push_back(timeRun(options.product, "-w " + name));
        Bytes after;
        if (!readFile(path, after) || after == full) {
            std::fprintf(stderr, "bench: the intake left the log as it was\n");
            intake.back() = -1;
        }
        noop.push_back(timeRun(options.noop, ""));
    }
    rows.push_back({"One intake process (-w) into a full " + std::to_string(kb) + " KB log", figureOf(intake),
                    "a do-nothing process", figureOf(noop)});

    // Open, then one tick that finds one more record. The watcher's own ticks are held back
    // while this process keeps the suppression mutex open.
    std::vector<double> open, list, tick, parse;
    for (int run = 0; run < options.runs; ++run) {
        writeFile(path, full);
        ScopedHandle suppress(::CreateMutexA(NULL, FALSE, kAutoUpdateMutex));
        {
            Process viewer;
            HWND window = NULL;
            open.push_back(timeOpen(viewer, options.product, "", kMainClassName, kMainTitle, records, window));
            if (window) {
                Bytes record = makeRecord(job++, 0);
                {
                    ScopedHandle h(
                        ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL));
                    writeLogFile(h.get(), record.data(), uint32_t(record.size()), kb);
                }
                Bytes after;
                readFile(path, after);
                suppress.close();
                DWORD_PTR ignored = 0;
                double t0 = nowMs();
                BOOL answered = ::SendMessageTimeoutA(window, WM_COMMAND, MAKEWPARAM(IDM_REFRESH, kAutoUpdateCode), 0,
                                                      SMTO_NORMAL, kProcessTimeoutMs, &ignored) != 0;
                double elapsed = nowMs() - t0;
                DWORD_PTR count = 0;
                ::SendMessageTimeoutA(::GetDlgItem(window, kListViewId), LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL,
                                      kProcessTimeoutMs, &count);
                if (!answered || int(count) != int(countRecords(after))) {
                    std::fprintf(stderr, "bench: the tick left %d rows, the log holds %d\n", int(count),
                                 int(countRecords(after)));
                    elapsed = -1;
                }
                tick.push_back(elapsed);
                parse.push_back(readAndParseOnce(path));
            }
            closeWindow(viewer, window);
        }
        Process floor;
        HWND window = NULL;
        list.push_back(timeOpen(floor, options.list, std::to_string(records), kFloorListClass, NULL, records, window));
        closeWindow(floor, window);
    }
    rows.push_back({"Viewer open to all rows listed and the window answering, full " + std::to_string(kb) +
                        " KB log (" + std::to_string(records) + " rows)",
                    figureOf(open), "a bare report list view with the same rows and nine columns, redraw off",
                    figureOf(list)});
    rows.push_back({"A tick that adds one row to a full " + std::to_string(kb) + " KB log", figureOf(tick),
                    "one read and parse of the file", figureOf(parse)});
    ::DeleteFileA(path.c_str());
}

bool parseOptions(int argc, char** argv, Options& options) {
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            options.runs = std::atoi(argv[++i]);
        } else if (arg == "--sizes" && i + 1 < argc) {
            options.sizes.clear();
            for (const char* p = argv[++i]; *p;) {
                options.sizes.push_back(uint32_t(std::strtoul(p, const_cast<char**>(&p), 10)));
                if (*p == ',') ++p;
                else if (*p) return false;
            }
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 3 || options.runs < 1 || options.sizes.empty()) return false;
    options.product = files[0];
    options.noop = files[1];
    options.list = files[2];
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: bench_product PRODUCT_EXE NOOP_EXE LIST_EXE [--runs N] [--sizes KB,KB,...]\n");
        return 2;
    }
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    std::string folder = temp;
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();

    // Warm-up: the first start of each program in a prefix pays for caches the others reuse.
    timeRun(options.noop, "");
    {
        Process warm;
        HWND window = NULL;
        timeOpen(warm, options.list, "1", kFloorListClass, NULL, 1, window);
        closeWindow(warm, window);
    }
    {
        const std::string path = folder + "\\bench-product-warm.log";
        uint32_t job = 0;
        writeFile(path, makeFullLog(16, job));
        useSettings(path, 16);
        Process warm;
        HWND window = NULL;
        timeOpen(warm, options.product, "", kMainClassName, kMainTitle, int(countRecords(makeFullLog(16, job))),
                 window);
        closeWindow(warm, window);
        ::DeleteFileA(path.c_str());
    }

    std::vector<Row> rows;
    for (uint32_t kb : options.sizes) benchSize(options, folder, kb, rows);
    std::printf("\nMedians of %d runs each.\n", options.runs);
    print(rows);
    for (const Row& row : rows)
        if (!row.figure.valid || !row.floor.valid) return 1;
    return 0;
}
