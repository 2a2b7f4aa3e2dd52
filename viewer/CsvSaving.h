#pragma once
#include <windows.h>

class CsvText;

// Asks where to save a CSV file with the standard Save As dialog: filter "CSV (*.csv)",
// the default name `nameFormat` with today's date, in the user's Documents folder. False
// when the user cancelled (or the dialog could not be shown).
bool askCsvTarget(HWND owner, const char* nameFormat, char* path, DWORD size);

// Writes `csv` to `path` through a temporary file beside it; when that fails, or the CSV
// could not be built, a box owned by `owner` says why. True when the file was written.
bool saveCsvOrWarn(HWND owner, const char* path, const CsvText& csv);
// The box that says why saving failed, with the system error's code.
void showCsvSaveFailure(HWND owner, DWORD error);
