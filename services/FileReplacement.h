#pragma once
#include <windows.h>

#include <cstddef>

// Writes `size` bytes as the new content of the file `path`: into a temporary file in the
// same folder, which is renamed over the target only when it is complete. The target is
// thus either the old file or the whole new one, never a part. Returns 0, or the system
// error of the step that failed (the temporary file is removed then); a path without a
// file name gives ERROR_INVALID_NAME.
DWORD replaceFileContents(const char* path, const void* data, size_t size);
