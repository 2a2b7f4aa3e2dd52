#include "services/FileReplacement.h"

#include <cstring>

#include "services/ByteString.h"
#include "services/ScopedHandle.h"

namespace {

// Writes in pieces: WriteFile takes a 32-bit count, and a share takes large writes badly.
constexpr DWORD kWriteStep = 1 << 20;

// A failure is never reported as 0, even by a call that forgot to set the error.
DWORD lastError() {
    const DWORD error = ::GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

DWORD writeAll(HANDLE file, const char* data, size_t size) {
    while (size > 0) {
        const DWORD step = size > kWriteStep ? kWriteStep : DWORD(size);
        DWORD written = 0;
        if (!::WriteFile(file, data, step, &written, NULL)) return lastError();
        if (written != step) return ERROR_WRITE_FAULT;
        data += step;
        size -= step;
    }
    return ::FlushFileBuffers(file) ? 0 : lastError();
}

}  // namespace

DWORD replaceFileContents(const char* path, const void* data, size_t size) {
    if (path == nullptr || (data == nullptr && size != 0)) return ERROR_INVALID_PARAMETER;
    const size_t nameAt = fileNameOffset(path);
    if (path[nameAt] == '\0') return ERROR_INVALID_NAME;
    // The temporary file's name adds up to 14 characters to the folder.
    char folder[MAX_PATH];
    if (nameAt + 14 >= sizeof folder) return ERROR_FILENAME_EXCED_RANGE;
    if (nameAt == 0) {
        std::strcpy(folder, ".");
    } else {
        std::memcpy(folder, path, nameAt);
        folder[nameAt] = '\0';
    }
    char temporary[MAX_PATH];
    if (!::GetTempFileNameA(folder, "kqv", 0, temporary)) return lastError();

    DWORD error;
    {
        ScopedHandle file(::CreateFileA(temporary, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
        error = file.valid() ? writeAll(file.get(), static_cast<const char*>(data), size) : lastError();
    }
    if (error == 0 && !::MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = lastError();
    if (error != 0) ::DeleteFileA(temporary);
    return error;
}
