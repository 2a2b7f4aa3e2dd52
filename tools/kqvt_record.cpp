// Plays the printing side: stores one pending print-log record in the registry and,
// if asked, starts the intake for it.
//
//   kqvt_record [fields...] [--name NAME] [--run [EXE]]
//   kqvt_record --raw HEX [--type binary|sz|dword] [--name NAME] [--run [EXE]]
//
// Fields: --kind N --error-code N --error-detail N --fallback N --pages N --total N
//   --sheets N --copies N --requested N --mono N --colour N --tray N --job N --flags N
//   --tag N --time "YYYY-MM-DD hh:mm:ss" (default: now)
//   --printer S --requester S --document S --user S --match S --title S --extra S --message S
// Numbers may be decimal or 0x-hex. Texts are taken from the Unicode command line and
// stored as Shift-JIS. The value name is printed on stdout.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

#include "services/ByteBuffer.h"
#include "services/RegistryKey.h"
#include "store/LogFormat.h"
#include "store/StoreTexts.h"

namespace {

std::string toCodePage932(const wchar_t* text) {
    int n = ::WideCharToMultiByte(932, 0, text, -1, NULL, 0, NULL, NULL);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(932, 0, text, -1, &out[0], n, NULL, NULL);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

bool parseNumber(const wchar_t* text, long long& out) {
    wchar_t* end = nullptr;
    out = std::wcstoll(text, &end, 0);
    return end && *end == L'\0' && end != text;
}

bool parseTime(const wchar_t* text, SYSTEMTIME& t) {
    int y, mo, d, h = 0, mi = 0, s = 0;
    int n = std::swscanf(text, L"%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s);
    if (n < 3) return false;
    std::memset(&t, 0, sizeof t);
    t.wYear = WORD(y); t.wMonth = WORD(mo); t.wDay = WORD(d);
    t.wHour = WORD(h); t.wMinute = WORD(mi); t.wSecond = WORD(s);
    // Day of week from the date, as the system would report it.
    FILETIME ft;
    if (::SystemTimeToFileTime(&t, &ft)) ::FileTimeToSystemTime(&ft, &t);
    return true;
}

bool parseHex(const wchar_t* text, std::vector<unsigned char>& out) {
    std::wstring digits;
    for (const wchar_t* p = text; *p; ++p)
        if (!std::iswspace(*p)) digits += *p;
    if (digits.size() % 2) return false;
    for (size_t i = 0; i < digits.size(); i += 2) {
        wchar_t pair[3] = {digits[i], digits[i + 1], 0};
        wchar_t* end = nullptr;
        unsigned long v = std::wcstoul(pair, &end, 16);
        if (*end) return false;
        out.push_back(static_cast<unsigned char>(v));
    }
    return true;
}

std::string uniqueValueName() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    char name[64];
    std::snprintf(name, sizeof name, "KQVT%08lX%016llX", ::GetCurrentProcessId(),
                  static_cast<unsigned long long>(now.QuadPart));
    return name;
}

std::string besideThisProgram(const char* file) {
    char path[MAX_PATH];
    DWORD n = ::GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string dir(path, n);
    size_t slash = dir.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : dir.substr(0, slash + 1)) + file;
}

int usage() {
    std::fprintf(stderr, "usage: kqvt_record [--kind N ... --printer TEXT ...] [--raw HEX [--type binary|sz|dword]]\n"
                         "                   [--name NAME] [--run [EXE]]\n");
    return 2;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv) return 2;

    LogRecord fixed;
    std::memset(&fixed, 0, sizeof fixed);
    fixed.pagesPrinted = fixed.totalPages = fixed.sheetsPrinted = -1;
    fixed.monoPages = fixed.colourPages = -1;
    fixed.copiesPrinted = fixed.copiesRequested = 1;
    ::GetLocalTime(&fixed.eventTime);
    std::string strings[kRecordStringCount];
    std::string name, exe;
    bool run = false, raw = false;
    std::vector<unsigned char> rawBytes;
    DWORD rawType = REG_BINARY;

    struct NumberField { const wchar_t* option; void* field; };
    const NumberField numbers[] = {
        {L"--kind", &fixed.eventKind}, {L"--error-code", &fixed.errorCode},
        {L"--error-detail", &fixed.errorDetail}, {L"--fallback", &fixed.fallbackFlags},
        {L"--pages", &fixed.pagesPrinted}, {L"--total", &fixed.totalPages},
        {L"--sheets", &fixed.sheetsPrinted}, {L"--copies", &fixed.copiesPrinted},
        {L"--requested", &fixed.copiesRequested}, {L"--mono", &fixed.monoPages},
        {L"--colour", &fixed.colourPages}, {L"--tray", &fixed.outputTray},
        {L"--job", &fixed.jobId}, {L"--flags", &fixed.flags}, {L"--tag", &fixed.recordTag},
    };
    const wchar_t* textOptions[kRecordStringCount] = {L"--printer", L"--requester", L"--document", L"--user",
                                                      L"--match", L"--title", L"--extra", L"--message"};

    for (int i = 1; i < argc; ++i) {
        const wchar_t* opt = argv[i];
        const wchar_t* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool handled = false;
        for (const NumberField& f : numbers) {
            if (std::wcscmp(opt, f.option) != 0) continue;
            long long v;
            if (!value || !parseNumber(value, v)) return usage();
            int32_t narrow = static_cast<int32_t>(v);
            std::memcpy(f.field, &narrow, sizeof narrow);
            handled = true;
        }
        for (int s = 0; s < kRecordStringCount && !handled; ++s) {
            if (std::wcscmp(opt, textOptions[s]) != 0) continue;
            if (!value) return usage();
            strings[s] = toCodePage932(value);
            handled = true;
        }
        if (handled) { ++i; continue; }
        if (!std::wcscmp(opt, L"--time")) {
            if (!value || !parseTime(value, fixed.eventTime)) return usage();
            ++i;
        } else if (!std::wcscmp(opt, L"--name")) {
            if (!value) return usage();
            name = toCodePage932(value);
            ++i;
        } else if (!std::wcscmp(opt, L"--raw")) {
            if (!value || !parseHex(value, rawBytes)) return usage();
            raw = true;
            ++i;
        } else if (!std::wcscmp(opt, L"--type")) {
            if (!value) return usage();
            if (!std::wcscmp(value, L"sz")) rawType = REG_SZ;
            else if (!std::wcscmp(value, L"dword")) rawType = REG_DWORD;
            else if (!std::wcscmp(value, L"binary")) rawType = REG_BINARY;
            else return usage();
            ++i;
        } else if (!std::wcscmp(opt, L"--run")) {
            run = true;
            if (value && value[0] != L'-') { exe = toCodePage932(value); ++i; }
        } else {
            return usage();
        }
    }
    ::LocalFree(argv);

    ByteBuffer data;
    if (raw) {
        if (!data.assign(rawBytes.data(), rawBytes.size())) return 1;
    } else {
        const char* texts[kRecordStringCount];
        for (int s = 0; s < kRecordStringCount; ++s) texts[s] = strings[s].c_str();
        if (!buildRecord(fixed, texts, data)) return 1;
    }
    if (name.empty()) name = uniqueValueName();

    RegistryKey key;
    if (!key.create(HKEY_LOCAL_MACHINE, kPendingRecordKey, KEY_ALL_ACCESS) ||
        !key.setValue(name.c_str(), rawType, data.data(), static_cast<DWORD>(data.size()))) {
        std::fprintf(stderr, "kqvt_record: cannot store the pending record (error %lu)\n", ::GetLastError());
        return 1;
    }
    key.close();
    std::printf("%s\n", name.c_str());
    std::fflush(stdout);
    if (!run) return 0;

    if (exe.empty()) exe = besideThisProgram("KQVTLGVW.exe");
    std::string commandLine = "\"" + exe + "\" -w " + name;
    STARTUPINFOA si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!::CreateProcessA(exe.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        std::fprintf(stderr, "kqvt_record: cannot start %s (error %lu)\n", exe.c_str(), ::GetLastError());
        return 1;
    }
    DWORD exitCode = 1;
    if (::WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0) ::GetExitCodeProcess(pi.hProcess, &exitCode);
    else std::fprintf(stderr, "kqvt_record: the intake did not end within 60 s\n");
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return static_cast<int>(exitCode);
}
