#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

#include "services/ByteString.h"
#include "store/LogFormat.h"

// The text of single record fields, each written into the caller's buffer. All texts are
// in the ANSI code page, like the record's own strings.

// Which field an error text is for: the list's category, the dialog's category (with the
// code prefix) or the details box of an aborted job (prefix, and nothing for a cleared error).
enum ErrorTextMode { kErrorTextList = 0, kErrorTextDialog = 1, kErrorTextDetails = 2 };

// Name of an ordinary record's kind (kinds 0 to 2, 4, 5; anything else is "??").
void kindName(const LogRecord& record, char* out, size_t size);

// Appends the error text of `record` in `mode` to `out`; false only when memory ran out.
bool errorText(const LogRecord& record, const char* messageText, int mode, ByteString& out);

// The deviation notes of a completion. False, with `out` empty, when there are none.
bool deviationNotes(uint32_t fallbackFlags, char* out, size_t size);

// Output tray of an ordinary record.
void formatTrayText(const LogRecord& record, char* out, size_t size);

// Event time as "yyyy/mm/dd  hh:mm:ss".
void formatEventDate(const SYSTEMTIME& time, char* out, size_t size);

// Copies as much of `text` as fits into `size` bytes (NUL included) without splitting a
// double-byte character.
void copyTextCut(char* out, size_t size, const char* text);
