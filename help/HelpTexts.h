#pragma once

// Texts of the context help, byte for byte as the user sees them.
constexpr const char* kHelpCaption = "Quillbridge2 印刷ログビューア";
constexpr const char* kHelpFileMissingMessage =
    "ヘルプファイルが見つかりません。\r\n"
    "このファイルが存在するかどうか確認してください。存在しない場合は、このファイルを再インストールしてください。";
constexpr const char* kHelpFileName = "KQVTLGVW.CHM";
