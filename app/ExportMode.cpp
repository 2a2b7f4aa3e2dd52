#include "app/ExportMode.h"

#include <cstdio>
#include <cstring>

#include "app/AppTexts.h"
#include "app/CommandLine.h"
#include "diagnostics/DiagLog.h"
#include "presentation/CsvText.h"
#include "services/ByteBuffer.h"
#include "store/LogLock.h"
#include "store/PrintLogStore.h"
#include "viewer/CsvExport.h"

namespace {

constexpr int kColumnsPlain = 9;
constexpr int kColumnsAll = 10;

// The error kind the viewer's warnings give a load result.
DWORD errorKindOfLoad(int result) {
    switch (result) {
    case kLoadUnchanged:
    case kLoadChanged:
    case kLoadMissing:
        return kErrorNone;
    case kLoadBroken: return kErrorDataBroken;
    case kLoadOtherForm: return kErrorNotLogFile;
    case kLoadBusy: return kErrorInUse;
    case kLoadNoFolder: return kErrorNoFolder;
    default: return kErrorOther;
    }
}

}  // namespace

DWORD errorKindOfSystemError(DWORD error) {
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_FILE_EXISTS:  // a print log as the target
        return kErrorNoPermission;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DIRECTORY:
        return kErrorNoFolder;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return kErrorInUse;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return kErrorNoMemory;
    default:
        return kErrorSystem;
    }
}

DWORD exportLogFile(PrintLogStore& store, const char* target, DWORD* systemError) {
    if (systemError != nullptr) *systemError = 0;
    int result;
    {
        ExcludeLock lock;
        if (!lock.held()) return kErrorInUse;
        result = store.load();
    }
    const DWORD loadKind = errorKindOfLoad(result);
    if (loadKind != kErrorNone) return loadKind;

    // The rows a viewer would list, in file order: hidden (closed) rows stay out.
    ByteBuffer rows;
    if (!rows.allocate((store.count() + 1) * sizeof(LogRecordView*))) return kErrorNoMemory;
    LogRecordView** views = reinterpret_cast<LogRecordView**>(rows.data());
    size_t count = 0;
    for (LogRecordNode* node = store.firstNode(); node != nullptr; node = node->next)
        if (node->view.rowState != ROW_HIDDEN && node->view.rowState != ROW_GONE) views[count++] = &node->view;

    CsvText csv;
    if (!buildExportCsv(views, count, store.allRecords() ? kColumnsAll : kColumnsPlain, csv)) return kErrorNoMemory;
    const DWORD error = writeCsvFile(target, csv);
    if (systemError != nullptr) *systemError = error;
    return error == 0 ? kErrorNone : errorKindOfSystemError(error);
}

int runExportMode(const char* target) {
    PrintLogStore store;
    store.setAllRecords(readAllViewFlag());
    DWORD error = 0;
    const DWORD kind = exportLogFile(store, target, &error);
    if (kind == kErrorNone) return 0;
    char line[128];
    std::snprintf(line, sizeof line, kExportFailedLine, int(kind), int(error));
    writeDiagnosticLine("%s", line);
    HANDLE standardError = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    if (standardError != NULL && standardError != INVALID_HANDLE_VALUE)
        ::WriteFile(standardError, line, DWORD(std::strlen(line)), &written, NULL);
    return int(kind);
}
