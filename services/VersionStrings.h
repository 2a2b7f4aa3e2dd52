#pragma once
#include "services/ByteString.h"

// Reads "FileDescription", "FileVersion" and "LegalCopyright" of the version resource of the
// executable at `modulePath` (null: the running executable), in that order, under the first
// language and code page of its translation table. The strings are emptied first; the first
// string that is missing or empty ends the reading and leaves it and the ones after it empty.
// Non-zero when all three were read.
int readVersionStrings(const char* modulePath, ByteString& fileDescription, ByteString& fileVersion,
                       ByteString& legalCopyright);
