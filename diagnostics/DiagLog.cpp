#include "diagnostics/DiagLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "services/RegistryKey.h"
// The diagnostic log appends through the one file accessor; the accessor logs only from
// verification, which the diagnostic log never calls, so the two cannot recurse.
#include "store/FileAccessor.h"

namespace {

constexpr size_t kLineLimit = 1024;

// Restores the thread's last error when a scope ends.
class KeepLastError {
public:
    KeepLastError() : error_(::GetLastError()) {}
    ~KeepLastError() { ::SetLastError(error_); }
private:
    DWORD error_;
};

}  // namespace

DiagLog::DiagLog(const char* name, DWORD kind) : kind_(kind) {
    KeepLastError keep;
    path_[0] = name_[0] = '\0';
    if (name && std::strlen(name) < MAX_PATH) lstrcpynA(name_, name, MAX_PATH);
    char folder[MAX_PATH];
    DWORD length = ::GetCurrentDirectoryA(MAX_PATH, folder);
    if (length > 0 && length < MAX_PATH && length + 1 + std::strlen(name_) <= MAX_PATH - 1)
        std::snprintf(path_, MAX_PATH, "%s\\%s", folder, name_);
}

int DiagLog::readTraceSettings() {
    KeepLastError keep;
    RegistryKey key;
    if (!key.open(HKEY_LOCAL_MACHINE, kTraceKey, KEY_READ)) return 0;
    ByteString folder;
    if (key.readString("Folder", folder) && folder.length() + std::strlen(name_) + 1 < MAX_PATH)
        std::snprintf(path_, MAX_PATH, "%s\\%s", folder.c_str(), name_);
    key.readDword("FileSize", maxSizeKb_);
    key.readDword("Level", level_);
    key.readDword("TraceOn", traceOn_);
    key.readDword("Kind", kindMask_);
    return 1;
}

DWORD DiagLog::write(DWORD level, const char* text) {
    KeepLastError keep;
    return writeLine(level, text);
}

DWORD DiagLog::writeFormat(DWORD level, const char* format, ...) {
    KeepLastError keep;
    if (!format) return 0;
    char text[kLineLimit];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return writeLine(level, text);
}

DWORD DiagLog::writeLine(DWORD level, const char* text) {
    if (!text || !traceOn_ || !(kindMask_ & kind_) || level > level_ || path_[0] == '\0') return 0;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char line[kLineLimit];
    const int prefixLength = std::snprintf(line, sizeof line, "[%04d/%02d/%02d %02d:%02d:%02d:%04d] ",
                                           now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                                           now.wSecond, now.wMilliseconds);
    const size_t textLength = std::strlen(text);
    if (prefixLength + textLength + 2 >= kLineLimit) return 0;
    std::memcpy(line + prefixLength, text, textLength + 1);
    const DWORD lineLength = static_cast<DWORD>(prefixLength + textLength);

    FileAccessor file;
    file.setName(path_, FILE_SHARE_READ);
    const DWORD size = file.size(FILE_SHARE_READ);
    if (static_cast<unsigned long long>(size) + lineLength > static_cast<unsigned long long>(maxSizeKb_) * 1024) {
        // Keep one older generation under the ".bak" name. Without a "." there is no backup
        // name and the file is kept as it is rather than emptied.
        char backup[MAX_PATH];
        lstrcpynA(backup, path_, MAX_PATH);
        char* dot = std::strrchr(backup, '.');
        if (dot && static_cast<size_t>(dot - backup) + 4 < MAX_PATH) {
            std::strcpy(dot + 1, "bak");
            ::MoveFileExA(path_, backup, MOVEFILE_REPLACE_EXISTING);
        }
    }
    return file.append(line, lineLength, FILE_SHARE_READ);
}

void writeDiagnosticLine(const char* format, ...) {
    KeepLastError keep;
    DiagLog diag(kDiagLogName, kDiagKindProgram);
    diag.readTraceSettings();
    char text[kLineLimit];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    diag.write(1, text);
}
