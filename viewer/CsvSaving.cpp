#include "viewer/CsvSaving.h"

#include <commdlg.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "presentation/CsvText.h"
#include "viewer/CsvExport.h"
#include "viewer/ViewerTexts.h"

namespace {

const char* reasonLine(DWORD error) {
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return kCsvNoPermissionLine;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return kNoFolderLine;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return kCsvInUseLine;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return kCsvDiskFullLine;
    case ERROR_FILE_EXISTS:
        return kCsvTargetIsLogLine;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return kNoMemoryLine;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
        return kNameInvalid;
    default:
        return kSystemErrorLine;
    }
}

}  // namespace

bool askCsvTarget(HWND owner, const char* nameFormat, char* path, DWORD size) {
    if (path == nullptr || size == 0) return false;
    formatCsvFileName(nameFormat, path, size);
    char documents[MAX_PATH] = "";
    if (!::SHGetSpecialFolderPathA(owner, documents, CSIDL_PERSONAL, FALSE)) documents[0] = '\0';
    OPENFILENAMEA dialog;
    std::memset(&dialog, 0, sizeof dialog);
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kCsvFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = size;
    dialog.lpstrInitialDir = documents[0] != '\0' ? documents : nullptr;
    dialog.lpstrDefExt = kCsvExtension;
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER |
                   OFN_LONGNAMES;
    return ::GetSaveFileNameA(&dialog) != FALSE;
}

bool saveCsvOrWarn(HWND owner, const char* path, const CsvText& csv) {
    const DWORD error = writeCsvFile(path, csv);
    if (error != 0) showCsvSaveFailure(owner, error);
    return error == 0;
}

void showCsvSaveFailure(HWND owner, DWORD error) {
    char text[512];
    int used = std::snprintf(text, sizeof text, "%s%s", kCsvSaveFailedLine, reasonLine(error));
    if (used > 0 && size_t(used) < sizeof text)
        std::snprintf(text + used, sizeof text - size_t(used), kCsvErrorCodeFormat, static_cast<unsigned long>(error));
    ::MessageBoxA(owner, text, kWarningCaptionText, MB_OK | MB_ICONERROR);
}
