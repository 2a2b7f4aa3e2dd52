#pragma once

// Names of the settings store: the initialisation file, its keys and the registry fallback.
constexpr const char* kVendorFolder = "\\Norvale";
constexpr const char* kProductFolder = "\\Quillbridge2";
constexpr const char* kIniFileName = "KQVTLGVW.ini";
constexpr const char* kIniSection = "logviewer";
constexpr const char* kIniKeyLogSize = "LogSize";
constexpr const char* kIniKeyLogName = "LogName";
constexpr const char* kIniKeyErrorType = "ErrorType";

constexpr const char* kPrtLogKey = "SOFTWARE\\Norvale\\Quillbridge2\\PrtLog";
constexpr const char* kRegLogMaxSize = "LogMaxSize";
constexpr const char* kRegLogFileName = "LogFileName";
constexpr const char* kRegLogLimitSize = "LogLimitSize";

// Lines for the diagnostic log.
constexpr const char* kDiagCreateInitFile = "createInitFile() error.  Errcode=%d\r\n";
constexpr const char* kDiagReadInitFile = "readInitFile() error.  Errcode=%d\r\n";
constexpr const char* kDiagWriteInitFile = "writeInitFile() error.  Errcode=%d\r\n";
constexpr const char* kDiagReadRegistryFileName = "readRegistryFileName() error.  Errcode=%d\r\n";
