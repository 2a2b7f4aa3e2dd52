#include "settings/LogSettings.h"

#include <shlobj.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "diagnostics/DiagLog.h"
#include "services/AccessRights.h"
#include "services/CommonAppData.h"
#include "services/RegistryKey.h"
#include "services/ScopedHandle.h"
#include "settings/SettingsTexts.h"
// The default log file name belongs to the log file; the settings only place it.
#include "store/StoreTexts.h"

namespace {

constexpr size_t kPathSize = 520;
// Longest folder that still takes "\" and the log file name within the path buffer.
constexpr size_t kMaxDefaultFolderLength = 507;  // 519 less the length of "KQVTPRT2.LOG"
// "LogName" is read into a buffer larger than any accepted path, so that a longer value is
// recognised as such instead of arriving cut.
constexpr DWORD kProfileReadSize = 1024;

bool appendPath(char* out, size_t size, const char* part) {
    const size_t used = std::strlen(out);
    const size_t add = std::strlen(part);
    if (used + add + 1 > size) return false;
    std::memcpy(out + used, part, add + 1);
    return true;
}

void makeFolder(const char* path) { ::CreateDirectoryA(path, NULL); }

const char* initKey(int kind) {
    switch (kind) {
    case INIT_LOG_SIZE: return kIniKeyLogSize;
    case INIT_LOG_NAME: return kIniKeyLogName;
    case INIT_ERROR_TYPE: return kIniKeyErrorType;
    default: return nullptr;
    }
}

void assignNumber(ByteString& out, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    out.assign(text);
}

// The "LogName" default of the file: by Windows version, as getDefaultLogPath, but with the
// system folder taken from the shell.
void initFileDefaultLogName(char* out, size_t size) {
    out[0] = '\0';
    char folder[kPathSize];
    if (getOsVersionCode() == OSVER_VISTA) {
        if (!commonAppDataFolder(folder, sizeof folder) || !appendPath(folder, sizeof folder, kVendorFolder) ||
            !appendPath(folder, sizeof folder, kProductFolder))
            return;
    } else {
        folder[0] = '\0';
        if (!::SHGetSpecialFolderPathA(NULL, folder, CSIDL_SYSTEM, FALSE) || folder[0] == '\0') return;
    }
    if (appendPath(folder, sizeof folder, "\\") && appendPath(folder, sizeof folder, kLogFileDefaultName) &&
        std::strlen(folder) < size)
        std::memcpy(out, folder, std::strlen(folder) + 1);
}

}  // namespace

LogSettings::LogSettings() : logSize(0), errorType(0) { logName.reserve(kLogNameCapacity); }

LogSettings::~LogSettings() = default;

int LogSettings::initFilePath(char* out, size_t size, bool createFolders) {
    if (!commonAppDataFolder(out, size)) return 0;
    if (!appendPath(out, size, kVendorFolder)) return 0;
    if (createFolders) makeFolder(out);
    if (!appendPath(out, size, kProductFolder)) return 0;
    if (createFolders) makeFolder(out);
    return appendPath(out, size, "\\") && appendPath(out, size, kIniFileName);
}

void LogSettings::load() {
    char path[kPathSize];
    bool fromFile = false;
    if (initFilePath(path, sizeof path, true)) {
        // The file is the source only while this user may rewrite it; the handle is just
        // this test, the profile functions open the file by name.
        ::SetLastError(ERROR_SUCCESS);
        ScopedHandle file(::CreateFileA(path, GENERIC_READ | GENERIC_WRITE | WRITE_DAC,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, NULL));
        fromFile = file.valid() && ::GetLastError() == ERROR_SUCCESS;
    }
    if (fromFile) {
        ByteString text;
        readInitFile(INIT_LOG_SIZE, text);
        logSize = std::atoi(text.c_str());
        readInitFile(INIT_LOG_NAME, logName);
        readInitFile(INIT_ERROR_TYPE, text);
        errorType = std::atoi(text.c_str());
    } else {
        logSize = static_cast<int32_t>(readRegistryMaxSize());
        logName.clear();
        if (logName.reserve(kLogNameCapacity)) {
            readRegistryFileName(logName.buffer(), logName.capacity());
            logName.syncLength();
        }
    }
    logName.reserve(kLogNameCapacity);
}

int LogSettings::save() {
    if (!createInitFile()) return 0;
    char text[16];
    if (logSize != 0) {
        std::snprintf(text, sizeof text, "%d", logSize);
        if (!writeInitFile(INIT_LOG_SIZE, text)) return 0;
    }
    if (!logName.empty() && !writeInitFile(INIT_LOG_NAME, logName)) return 0;
    std::snprintf(text, sizeof text, "%d", errorType);
    return writeInitFile(INIT_ERROR_TYPE, text);
}

int LogSettings::createInitFile() {
    char path[kPathSize];
    if (!initFilePath(path, sizeof path, true)) {
        const DWORD error = ::GetLastError() ? ::GetLastError() : ERROR_PATH_NOT_FOUND;
        writeDiagnosticLine(kDiagCreateInitFile, static_cast<int>(error));
        ::SetLastError(error);
        return 0;
    }
    HANDLE raw = ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE | WRITE_DAC, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD error = ::GetLastError();
    ScopedHandle file(raw);
    int result = 0;
    if (file.valid()) {
        if (error != ERROR_ALREADY_EXISTS) {
            result = grantEveryoneAccess(file.get(), kInitFileAccess);
            if (!result) {
                error = ::GetLastError();
                // Left in place, the file would pass as existing from now on and keep a DACL
                // that other users cannot write through; it is still empty, so it goes.
                file.close();
                ::DeleteFileA(path);
            }
        } else {
            result = 1;
        }
    }
    if (!result) {
        writeDiagnosticLine(kDiagCreateInitFile, static_cast<int>(error));
        ::SetLastError(error);
    }
    return result;
}

int LogSettings::readInitFile(int kind, ByteString& out) {
    if (!initKey(kind)) {
        writeDiagnosticLine(kDiagReadInitFile, ERROR_INVALID_PARAMETER);
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    char path[kPathSize];
    const bool havePath = initFilePath(path, sizeof path, false) != 0;
    switch (kind) {
    case INIT_LOG_SIZE:
        assignNumber(out, static_cast<int>(havePath ? ::GetPrivateProfileIntA(kIniSection, kIniKeyLogSize,
                                                                              kDefaultLogSizeKb, path)
                                                    : kDefaultLogSizeKb));
        break;
    case INIT_LOG_NAME: {
        char defaultName[kPathSize];
        initFileDefaultLogName(defaultName, sizeof defaultName);
        char value[kProfileReadSize];
        DWORD length = 0;
        if (havePath) length = ::GetPrivateProfileStringA(kIniSection, kIniKeyLogName, defaultName, value,
                                                          sizeof value, path);
        // A value that does not fit the path buffer is not cut into another path.
        if (!havePath || length >= kLogNameCapacity)
            out.assign(defaultName);
        else
            out.assign(value, length);
        break;
    }
    default:
        assignNumber(out, static_cast<int>(havePath ? ::GetPrivateProfileIntA(kIniSection, kIniKeyErrorType, 0, path)
                                                    : 0));
        break;
    }
    return 1;
}

int LogSettings::writeInitFile(int kind, const ByteString& text) {
    return writeInitFile(kind, text.hasBuffer() ? text.c_str() : nullptr);
}

int LogSettings::writeInitFile(int kind, const char* text) {
    const char* key = initKey(kind);
    if (!key || !text) {
        writeDiagnosticLine(kDiagWriteInitFile, ERROR_INVALID_PARAMETER);
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    char path[kPathSize];
    if (!initFilePath(path, sizeof path, false)) {
        const DWORD error = ::GetLastError() ? ::GetLastError() : ERROR_PATH_NOT_FOUND;
        writeDiagnosticLine(kDiagWriteInitFile, static_cast<int>(error));
        ::SetLastError(error);
        return 0;
    }
    if (!::WritePrivateProfileStringA(kIniSection, key, text, path)) {
        writeDiagnosticLine(kDiagWriteInitFile, static_cast<int>(::GetLastError()));
        return 0;
    }
    return 1;
}

uint32_t LogSettings::readRegistryMaxSize() {
    RegistryKey key;
    DWORD value = 0;
    if (key.open(HKEY_LOCAL_MACHINE, kPrtLogKey, KEY_READ) && key.readDword(kRegLogMaxSize, value)) return value;
    return kDefaultLogSizeKb;
}

int LogSettings::readRegistryFileName(char* buffer, size_t bufferSize) {
    if (!buffer || bufferSize == 0) return 0;
    buffer[0] = '\0';
    ByteString path;
    if (getDefaultLogPath(path) && path.length() < bufferSize) std::memcpy(buffer, path.c_str(), path.length() + 1);

    RegistryKey key;
    ByteString value;
    if (!key.open(HKEY_LOCAL_MACHINE, kPrtLogKey, KEY_READ) || !key.readString(kRegLogFileName, value)) return 0;
    if (value.length() >= bufferSize) {
        // Cutting it would name another file; the default stands.
        writeDiagnosticLine(kDiagReadRegistryFileName, ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buffer, value.c_str(), value.length() + 1);
    return 1;
}

int LogSettings::getDefaultLogPath(ByteString& out) {
    char folder[kPathSize];
    folder[0] = '\0';
    if (getOsVersionCode() == OSVER_VISTA) {
        if (!commonAppDataFolder(folder, sizeof folder) || !appendPath(folder, sizeof folder, kVendorFolder) ||
            !appendPath(folder, sizeof folder, kProductFolder))
            return 0;
    } else {
        const UINT length = ::GetSystemDirectoryA(folder, sizeof folder);
        if (length == 0 || length >= sizeof folder) return 0;
    }
    if (std::strlen(folder) > kMaxDefaultFolderLength) return 0;
    appendPath(folder, sizeof folder, "\\");
    appendPath(folder, sizeof folder, kLogFileDefaultName);
    return out.assign(folder) ? 1 : 0;
}
