#pragma once

// Texts that the viewer derives from log records (shown in the list and the details dialog).

// Kind names
constexpr const char* kKindSent = "送信完了";
constexpr const char* kKindPrinted = "印刷完了";
constexpr const char* kKindAborted = "印刷打ち切り";
constexpr const char* kKindHeld = "保留";
constexpr const char* kKindStarted = "印刷開始";
constexpr const char* kKindUnknown = "??";

// Errors
constexpr const char* kErrorCleared = "エラー解除";
constexpr const char* kErrorPrefixFormat = "[%04u-%04x] ";

// Output trays
constexpr const char* kTrayInvalid = "排紙先無効";
constexpr const char* kTrayFaceDown = "フェイスダウントレイ";
constexpr const char* kTrayTop = "トップトレイ";
constexpr const char* kTrayStacker = "スタッカトレイ";
constexpr const char* kTrayFaceUp = "フェイスアップトレイ";
constexpr const char* kTrayUnknown = "不明";
constexpr const char* kTrayExtensionFormat = "拡張トレイ %d";
constexpr const char* kTrayExtensionRangeFormat = "拡張トレイ %d - %d";

// Deviation notes: the duplex notes end with a line feed, the others do not.
constexpr const char* kDuplexMemory = "片面で印刷 （プリンタメモリ不足）\n";
constexpr const char* kDuplexPaper = "片面で印刷 （未サポート用紙指定）\n";
constexpr const char* kDuplexNoUnit = "片面で印刷 （両面ユニットなし）\n";
constexpr const char* kCopiesMemory = "１部のみ印刷 （プリンタメモリ不足）";
constexpr const char* kCopiesOverflow = "１部のみ印刷 （プリンタメモリオーバー）";
constexpr const char* kOutputChanged = "排紙方法を変更して印刷";
constexpr const char* kOutputNoStaple = "ステープルなしで印刷";

// Dates and counts
constexpr const char* kDateFormat = "%4d/%02d/%02d  %02d:%02d:%02d";
constexpr const char* kTotalPagesFormat = " / %d";
constexpr const char* kPagesSuffix = "ページ";
constexpr const char* kCopiesOfFormat = " （ %d / %d部 ）";
constexpr const char* kCopiesFormat = " （ %d部 ）";
constexpr const char* kNeedsChecking = "   ※要確認";

// Counts in the log information dialog
constexpr const char* kDialogPagesFormat = "%dページ";
constexpr const char* kDialogSheetsFormat = "%d枚";
