#pragma once
#include <cstddef>

#include "services/ByteString.h"

// Rules for the log file name that the settings dialog accepts. Text is walked by
// characters of the ANSI code page: a double-byte character is one unit, so its trail byte
// (0x5C in "表") is never taken for a separator.

enum LogNameResult : int {
    kLogNameOk = 0,
    kLogNameInvalid = 1,    // "ファイル名は無効です。"
    kLogNameMalformed = 2,  // "ファイル名が異常です。"
};

// Longest path (bytes) that the dialog accepts.
constexpr size_t kLogNameMaxLength = 250;

// The file name typed into the fixed-folder layout, put behind `folder`. Invalid when the
// name is empty, holds a "\" or "/", or the two together are longer than kLogNameMaxLength.
int joinLogFolderAndFile(const char* folder, const char* file, ByteString& out);

// Normalises a typed path: "/" becomes "\", separators that follow a separator are dropped
// (but a leading "\\" stays), spaces next to a separator are dropped, trailing spaces and
// dots are cut. Refuses a component that starts with ".", a path longer than
// kLogNameMaxLength, and anything but a drive path ("X:\...") or a network path ("\\...").
// `out` holds the normalised path only when the result is kLogNameOk.
int normaliseLogName(const char* typed, ByteString& out);
