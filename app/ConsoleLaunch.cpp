#include "app/ConsoleLaunch.h"

#include <userenv.h>

#include <cstdio>
#include <cstring>

#include "app/AppTexts.h"
#include "diagnostics/DiagLog.h"
#include "services/ByteString.h"
#include "services/RegistryKey.h"
#include "services/ScopedHandle.h"
#include "services/SystemLibrary.h"

namespace {

typedef DWORD(WINAPI* ConsoleSessionIdFn)();
typedef BOOL(WINAPI* QueryUserTokenFn)(ULONG, PHANDLE);

constexpr DWORD kUnknownSession = 0xFFFFFFFF;

int lastErrorCode() { return static_cast<int>(::GetLastError()); }

}  // namespace

void formatRelaunchArguments(int errorKind, char* out, size_t size) {
    // The leading blank is the empty first word: the program path travels separately.
    std::snprintf(out, size, " \"-b\" \"%d\"", errorKind);
}

int queryConsoleUserToken(HANDLE* primaryToken) {
    DWORD session = kUnknownSession;
    if (!primaryToken) return 0;
    {
        ScopedLibrary kernel("kernel32.dll");
        if (kernel.get()) {
            ConsoleSessionIdFn sessionId = reinterpret_cast<ConsoleSessionIdFn>(
                reinterpret_cast<void*>(::GetProcAddress(kernel.get(), "WTSGetActiveConsoleSessionId")));
            if (sessionId) session = sessionId();
            if (!sessionId || session == kUnknownSession) writeDiagnosticLine(kSessionIdFailedLine, lastErrorCode());
        }
    }
    ScopedLibrary wtsapi("wtsapi32.dll");
    if (!wtsapi.get() && session == kUnknownSession) return 0;
    QueryUserTokenFn queryUserToken = wtsapi.get() ? reinterpret_cast<QueryUserTokenFn>(reinterpret_cast<void*>(
                                                         ::GetProcAddress(wtsapi.get(), "WTSQueryUserToken")))
                                                   : nullptr;
    if (!queryUserToken) {
        if (!wtsapi.get()) ::SetLastError(ERROR_PROC_NOT_FOUND);
        writeDiagnosticLine(kQueryTokenFailedLine, lastErrorCode());
        return 0;
    }
    HANDLE userToken = NULL;
    BOOL queried = queryUserToken(session, &userToken);
    wtsapi.release();
    if (!queried) {
        writeDiagnosticLine(kQueryTokenFailedLine, lastErrorCode());
        return 0;
    }
    ScopedHandle user(userToken);
    BOOL duplicated = ::DuplicateTokenEx(userToken, 0, NULL, SecurityImpersonation, TokenPrimary, primaryToken);
    if (!duplicated) writeDiagnosticLine(kDuplicateFailedLine, lastErrorCode());
    return duplicated ? 1 : 0;
}

int launchProcess(int errorKind) {
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    char desktop[] = "Winsta0\\Default";
    startup.lpDesktop = desktop;
    PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof process);

    HANDLE token = NULL;
    if (!queryConsoleUserToken(&token)) return 0;
    ScopedHandle primary(token);

    void* environment = nullptr;
    if (!::CreateEnvironmentBlock(&environment, token, FALSE)) {
        writeDiagnosticLine(kEnvironmentFailedLine, lastErrorCode());
        return 0;
    }
    int result = 0;
    RegistryKey key;
    ByteString program;
    if (!key.open(HKEY_LOCAL_MACHINE, kAppPathsKey, KEY_READ) || !key.readString(NULL, program)) {
        writeDiagnosticLine(kCreateProcessFailedLine, lastErrorCode());
    } else {
        char arguments[64];
        formatRelaunchArguments(errorKind, arguments, sizeof arguments);
        result = ::CreateProcessAsUserA(token, program.c_str(), arguments, NULL, NULL, FALSE,
                                        CREATE_UNICODE_ENVIRONMENT | DETACHED_PROCESS, environment, NULL,
                                        &startup, &process) ? 1 : 0;
        if (!result) {
            writeDiagnosticLine(kCreateProcessFailedLine, lastErrorCode());
        } else {
            // The new viewer lives on its own; its handles are not needed here.
            ::CloseHandle(process.hThread);
            ::CloseHandle(process.hProcess);
        }
    }
    ::DestroyEnvironmentBlock(environment);
    return result;
}
