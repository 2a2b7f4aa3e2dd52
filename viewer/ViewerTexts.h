#pragma once
#include "settings/SettingsTexts.h"

// Texts of the main list window, its commands and its warnings.
constexpr const char* kMainClassName = "PrintLog";
constexpr const char* kMainTitle = "Quillbridge2 印刷ログ一覧";
constexpr const char* kErrorMessageName = "Quillbridge2 LogViewer ErrorMessage";
constexpr const char* kSingleInstanceMutex = "KQVT_LGVW";
constexpr const char* kDestroyEventName = "PrintLog destroy event";
constexpr const char* kSetupEventName = "PrintLog setup event";
constexpr const char* kAutoUpdateMutex = "Quillbridge2 KqvtPrt Log AutoUpdate";
constexpr const char* kSetupDialogMutex = "Quillbridge2 KqvtPrt Log SetupDialog";
constexpr const char* kWriteWarningMutex = "Quillbridge2 KqvtPrt Log WriteWarning";
constexpr const char* kReadWarningMutex = "Quillbridge2 KqvtPrt Log ReadWarning";

constexpr const char* kStatusFormat = "%d 個の印刷ログ";
constexpr const char* kStatusSuppressed = " （自動更新抑止中）";

// Column headers, and the strings whose measured width (plus 20) is a column's default.
constexpr const char* kColumnHeaders[10] = {
    "分類", "文書名", "ユーザ名", "モノクロ印刷ページ", "カラー印刷ページ",
    "総印刷枚数", "プリンタ名", "日時", "印刷要求元", "ジョブID",
};
// Column 1 has a fixed width instead.
constexpr const char* kColumnMeasures[10] = {
    "印刷打ち切り", nullptr, kColumnHeaders[2], kColumnHeaders[3], kColumnHeaders[4],
    kColumnHeaders[5], "NORVALE QV-2810", "8888/88/88 88:88:88", kColumnHeaders[8], kColumnHeaders[9],
};

// Commands.
constexpr const char* kClearAllQuestion = "すべてのログを消去しますか？";
constexpr const char* kClearAllFailed = "すべてのログの消去に失敗しました。";
constexpr const char* kCloseWithInfoOpen = "印刷ログ情報画面が表示されています。終了処理を続行しますか？";

// Reload.
constexpr const char* kReadFailedLine = "印刷ログファイルの読み込みに失敗しました。\r\n\r\n";
constexpr const char* kLogNameCaption = kNameCaption;
constexpr const char* kCannotReadLine = "ログファイルに異常があるため、ログの読み込みができません。\r\n";
constexpr const char* kCannotWriteLine = "ログファイルに異常があるため、ログの書き込みができません。\r\n";
constexpr const char* kExitQuestionLine = "このままQuillbridge2 印刷ログビューアを終了してよろしいですか？\r\n";
constexpr const char* kWarningCaptionText = kSettingsErrorCaption;

// Warnings: the family's first line, then the kind's lines.
constexpr const char* kWriteFailedFirstLine = "印刷ログファイルの書き込みに失敗しました。\r\n\r\n";
constexpr const char* kSystemErrorLine = "システムエラーが発生しました。\r\n";
constexpr const char* kDataBrokenLine = "印刷ログファイルのデータが壊れています。\r\n";
constexpr const char* kDeleteOrRenameLine =
    "印刷ログファイルを削除するか、または環境設定でログの名前を変更してください。\r\n";
constexpr const char* kNoPermissionLine = "書き込み権限がありません。\r\n";
constexpr const char* kGrantOrRenameLine =
    "書き込み権限を設定するか、または環境設定でログの名前を変更してください。\r\n";
constexpr const char* kNotALogLine = kNameNotPrintLog;
constexpr const char* kInUseLine = "他のプロセスが印刷ログファイルにアクセスしている可能性があります。\r\n";
constexpr const char* kRestartLine =
    "印刷ログを正しく表示するためには、印刷ログビューアを一度終了してから、再度、起動してください。\r\n";
constexpr const char* kNoFolderLine = kNameFolderMissing;
constexpr const char* kCreateOrRenameLine =
    "指定されたフォルダを作成するか、または環境設定でログの名前を変更してください。\r\n";
constexpr const char* kNoMemoryLine = "メモリの獲得に失敗しました。\r\n";
constexpr const char* kRegistryLine = "レジストリのアクセスに失敗しました。\r\n";
constexpr const char* kSettingsFileLine = "設定ファイルのアクセスに失敗しました。\r\n";

// CSV export, totals and find.
constexpr const char* kCsvFilter = "CSV (*.csv)\0*.csv\0";
constexpr const char* kCsvExtension = "csv";
constexpr const char* kExportFileNameFormat = "KQVTPRT2_%04u%02u%02u.csv";
constexpr const char* kTotalsFileNameFormat = "KQVTPRT2_TOTALS_%04u%02u%02u.csv";
// The export's columns after the list's own: event time, job ID, kind, error code and detail, message.
constexpr const char* kExportExtraHeaders[6] = {
    "発生日時", kColumnHeaders[9], "イベント種別", "エラーコード", "エラー詳細", "メッセージ",
};
constexpr const char* kExportDateFormat = "%04u-%02u-%02u %02u:%02u:%02u";
constexpr const char* kCsvSaveFailedLine = "CSVファイルの保存に失敗しました。\r\n\r\n";
constexpr const char* kCsvNoPermissionLine = kNameNotWritable;
constexpr const char* kCsvInUseLine = "指定されたファイルは他のプログラムが使用しています。\r\n";
constexpr const char* kCsvTargetIsLogLine = "印刷ログファイルにCSVを保存することはできません。\r\n";
constexpr const char* kCsvDiskFullLine = "ディスクの空き領域が不足しています。\r\n";
constexpr const char* kCsvErrorCodeFormat = "（エラーコード %lu）\r\n";

constexpr const char* kTotalsRowsHeader = "件数";
constexpr const char* kTotalsUnconfirmedHeader = "要確認";
constexpr const char* kTotalsSumName = "合計";

constexpr const char* kFindNotFoundFormat = "「%s」は見つかりませんでした。";
