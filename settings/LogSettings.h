#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

#include "services/ByteString.h"

// Selector of one key of the initialisation file.
enum InitKind : int { INIT_LOG_SIZE = 0, INIT_LOG_NAME = 1, INIT_ERROR_TYPE = 2 };

constexpr int32_t kDefaultLogSizeKb = 500;
constexpr size_t kLogNameCapacity = 520;
constexpr DWORD kInitFileAccess = 0x1F01FF;  // FILE_ALL_ACCESS for Everyone on a new file

// The print log settings: maximum size in KB, full path of the log file and a pending error
// kind. Loaded from "KQVTLGVW.ini" in the common application data folder, or from the
// registry while that file cannot be opened for writing; saved only to the file.
class LogSettings {
public:
    LogSettings();
    virtual ~LogSettings();
    LogSettings(const LogSettings&) = delete;
    LogSettings& operator=(const LogSettings&) = delete;

    // Fills the three fields. Creates the two folders of the file when they are missing.
    void load();
    // Writes "LogSize" unless logSize is 0, "LogName" unless logName is empty, and always
    // "ErrorType". Non-zero on success, 0 at the first failure.
    int save();

    // Creates the folders and the file (with an Everyone full-access DACL) when needed.
    static int createInitFile();
    // One key of the file as text, with its default when absent; 0 for an invalid kind.
    static int readInitFile(int kind, ByteString& out);
    // Writes one key; 0 for an invalid kind, a text without buffer or a failed write.
    static int writeInitFile(int kind, const ByteString& text);
    static int writeInitFile(int kind, const char* text);
    // "LogMaxSize" of the registry, 500 when it is absent or not a REG_DWORD.
    static uint32_t readRegistryMaxSize();
    // Writes the default log path into `buffer`, then "LogFileName" of the registry when it
    // is a REG_SZ that fits; non-zero when the registry value was used.
    static int readRegistryFileName(char* buffer, size_t bufferSize);
    // The default log path for this Windows version; 0 (and `out` unchanged) when it would
    // be too long.
    static int getDefaultLogPath(ByteString& out);
    // Full path of the initialisation file, creating its two folders when asked.
    static int initFilePath(char* out, size_t size, bool createFolders);

    int32_t logSize;
    ByteString logName;
    int32_t errorType;
};
