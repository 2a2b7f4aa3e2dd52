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

// Settings dialog: captions and messages, byte for byte as the user sees them.
constexpr const char* kSettingsErrorCaption = "Quillbridge2 印刷ログ";
constexpr const char* kSizeCaption = "最大ログサイズ";
constexpr const char* kSizeRangeFormat = "%d ～ %dの範囲を指定してください。";
constexpr const char* kNameCaption = "ログの名前";
constexpr const char* kNameInvalid = "ファイル名は無効です。\r\n";
constexpr const char* kNameMalformed = "ファイル名が異常です。\r\n";
constexpr const char* kNameFolderMissing = "指定されたフォルダが存在しません。\r\n";
constexpr const char* kNameCreateFailed = "ファイルが作成できませんでした。\r\n";
constexpr const char* kNameNotWritable = "指定されたファイルに書き込み権限がありません。\r\n";
constexpr const char* kNameNotPrintLog = "印刷ログではないファイルが指定されました。\r\n";
constexpr const char* kApplyLockFailed = "設定に失敗しました。\r\n";
constexpr const char* kApplySaveFailed = "設定ファイルの書き込みに失敗しました。\r\n";
constexpr const char* kApplyResizeFailed = "ログファイルのサイズ調整に失敗しました。\r\n";

// The open-file dialog of the browse button: one entry that lists every file.
constexpr char kBrowseFilter[] = "すべてのファイル(*.*)\0*.*\0";
constexpr const char* kBrowseTitle = "ログファイルを指定します";
// Preset of the second attempt after the first dialog failed to initialise.
constexpr const char* kBrowseRetryName = "C:\\trace.log";
