#pragma once
#include <windows.h>
#include <cstdint>

// Windows version classes; at most one bit is set. Callers test only for OSVER_VISTA
// (NT 6.x, which later Windows versions also report) or for a code below it.
typedef uint32_t OsVersionCode;
constexpr OsVersionCode OSVER_UNKNOWN = 0;
constexpr OsVersionCode OSVER_95 = 1;
constexpr OsVersionCode OSVER_98 = 2;
constexpr OsVersionCode OSVER_ME = 4;
constexpr OsVersionCode OSVER_NT4 = 16;
constexpr OsVersionCode OSVER_2000 = 32;
constexpr OsVersionCode OSVER_XP = 64;
constexpr OsVersionCode OSVER_2003 = 128;
constexpr OsVersionCode OSVER_VISTA = 256;

// The most privileged built-in group of the process token.
constexpr uint32_t GROUP_NONE = 0;
constexpr uint32_t GROUP_USERS = 1;
constexpr uint32_t GROUP_POWER_USERS = 2;
constexpr uint32_t GROUP_ADMINISTRATORS = 4;

constexpr DWORD kRidAdministrators = DOMAIN_ALIAS_RID_ADMINS;   // 544
constexpr DWORD kRidUsers = DOMAIN_ALIAS_RID_USERS;             // 545
constexpr DWORD kRidPowerUsers = DOMAIN_ALIAS_RID_POWER_USERS;  // 547

// The running Windows version, asked afresh each time; OSVER_UNKNOWN when the query fails.
OsVersionCode getOsVersionCode();
// The class of one version report.
OsVersionCode classifyOsVersion(const OSVERSIONINFOA& info);

// GROUP_ADMINISTRATORS, GROUP_POWER_USERS, GROUP_USERS or GROUP_NONE (also when the token
// cannot be read) for the current process.
uint32_t getUserGroupLevel();
// The level that a token's group list gives.
uint32_t groupLevelOf(const TOKEN_GROUPS* groups);
// Non-zero when the built-in group with relative ID `rid` is in `groups`. Attributes are not
// looked at: a deny-only entry (a filtered administrator token) counts as membership.
int isMemberOfBuiltinGroup(DWORD rid, const TOKEN_GROUPS* groups);

// Replaces the DACL of `object` (opened with READ_CONTROL and WRITE_DAC) by a single entry
// that allows `accessMask` to Everyone. An object without a DACL, or with a null DACL, is
// left as it is and counts as success. Non-zero on success; the system's error otherwise.
int grantEveryoneAccess(HANDLE object, DWORD accessMask);
