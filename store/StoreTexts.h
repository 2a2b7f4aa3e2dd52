#pragma once

// Texts that the log store writes into the log file itself.
constexpr const char* kNoticeTitleNotStored = "印刷ログなし";
constexpr const char* kNoticeMessageNotStored =
    "この印刷ログはデータが正しく保存されていないため表示できません。";
constexpr const char* kNoticeTitleSwitched = "印刷ログ切替え";
constexpr const char* kNoticeMessageSwitched =
    "印刷ログファイルが正しくないため印刷ログファイルを切替えました。";

constexpr const char* kLogFileDefaultName = "KQVTPRT2.LOG";
constexpr const char* kLogBackupName = "KqvtPrtLog2#01.bak";
// Earlier backups, numbered from 02 (see keepEarlierBackup).
constexpr const char* kOlderBackupFormat = "KqvtPrtLog2#%02d.bak";

// Where the printing side leaves pending records, one binary value each.
constexpr const char* kPendingRecordKey = "SOFTWARE\\Norvale\\Quillbridge2\\PrtLog\\Log";
