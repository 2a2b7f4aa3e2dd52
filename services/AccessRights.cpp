#include "services/AccessRights.h"

#include "services/ScopedHandle.h"

namespace {

// A SID from AllocateAndInitializeSid, freed with the scope.
class ScopedSid {
public:
    ScopedSid() = default;
    ~ScopedSid() {
        if (sid_) {
            DWORD err = ::GetLastError();
            ::FreeSid(sid_);
            ::SetLastError(err);
        }
    }
    ScopedSid(const ScopedSid&) = delete;
    ScopedSid& operator=(const ScopedSid&) = delete;
    PSID* out() { return &sid_; }
    PSID get() const { return sid_; }

private:
    PSID sid_ = NULL;
};

bool makeBuiltinSid(DWORD rid, ScopedSid& sid) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    return ::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, rid, 0, 0, 0, 0, 0, 0, sid.out()) != FALSE;
}

bool makeEveryoneSid(ScopedSid& sid) {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    return ::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, sid.out()) != FALSE;
}

}  // namespace

OsVersionCode classifyOsVersion(const OSVERSIONINFOA& info) {
    if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        const DWORD minor = (info.dwBuildNumber >> 16) & 0xFF;
        if (minor < 10) return OSVER_95;
        if (minor < 90) return OSVER_98;
        return OSVER_ME;
    }
    if (info.dwPlatformId != VER_PLATFORM_WIN32_NT) return OSVER_UNKNOWN;
    switch (info.dwMajorVersion) {
    case 4: return OSVER_NT4;
    case 5:
        switch (info.dwMinorVersion) {
        case 0: return OSVER_2000;
        case 1: return OSVER_XP;
        case 2: return OSVER_2003;
        default: return OSVER_UNKNOWN;
        }
    case 6: return OSVER_VISTA;
    default: return OSVER_UNKNOWN;
    }
}

OsVersionCode getOsVersionCode() {
    OSVERSIONINFOA info;
    ZeroMemory(&info, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    if (!::GetVersionExA(&info)) return OSVER_UNKNOWN;
    return classifyOsVersion(info);
}

int isMemberOfBuiltinGroup(DWORD rid, const TOKEN_GROUPS* groups) {
    if (!groups) return 0;
    ScopedSid sid;
    if (!makeBuiltinSid(rid, sid)) return 0;
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
        if (groups->Groups[i].Sid && ::EqualSid(sid.get(), groups->Groups[i].Sid)) return 1;
    }
    return 0;
}

uint32_t groupLevelOf(const TOKEN_GROUPS* groups) {
    if (isMemberOfBuiltinGroup(kRidAdministrators, groups)) return GROUP_ADMINISTRATORS;
    if (isMemberOfBuiltinGroup(kRidPowerUsers, groups)) return GROUP_POWER_USERS;
    if (isMemberOfBuiltinGroup(kRidUsers, groups)) return GROUP_USERS;
    return GROUP_NONE;
}

uint32_t getUserGroupLevel() {
    ScopedHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, ::GetCurrentProcessId()));
    if (!process.valid()) return GROUP_NONE;
    HANDLE rawToken = NULL;
    if (!::OpenProcessToken(process.get(), TOKEN_READ, &rawToken)) return GROUP_NONE;
    ScopedHandle token(rawToken);

    DWORD size = 0;
    if (!::GetTokenInformation(token.get(), TokenGroups, NULL, 0, &size) &&
        ::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return GROUP_NONE;
    if (size < sizeof(TOKEN_GROUPS)) return GROUP_NONE;
    ScopedHeapBlock buffer(size);
    if (!buffer.get()) return GROUP_NONE;
    if (!::GetTokenInformation(token.get(), TokenGroups, buffer.get(), size, &size)) return GROUP_NONE;
    return groupLevelOf(buffer.as<TOKEN_GROUPS>());
}

int grantEveryoneAccess(HANDLE object, DWORD accessMask) {
    // The kernel-object security calls: the user-object ones are meant for window stations
    // and desktops and do nothing on some systems for a file.
    SECURITY_INFORMATION info = DACL_SECURITY_INFORMATION;
    DWORD size = 0;
    if (::GetKernelObjectSecurity(object, info, NULL, 0, &size) || ::GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
        size == 0)
        return 0;
    ScopedHeapBlock current(size);
    if (!current.get()) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    if (!::GetKernelObjectSecurity(object, info, current.get(), size, &size)) return 0;

    ScopedSid everyone;
    if (!makeEveryoneSid(everyone)) return 0;

    SECURITY_DESCRIPTOR descriptor;
    if (!::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION)) return 0;

    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = NULL;
    if (!::GetSecurityDescriptorDacl(current.get(), &present, &dacl, &defaulted)) return 0;
    // No DACL or a null DACL already lets everyone in.
    if (!present || !dacl) return 1;

    // The old entries are not carried over: the new DACL holds the one entry alone.
    const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + ::GetLengthSid(everyone.get());
    ScopedHeapBlock newAcl(aclSize);
    if (!newAcl.get()) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    PACL acl = newAcl.as<ACL>();
    if (!::InitializeAcl(acl, aclSize, ACL_REVISION)) return 0;
    if (!::AddAccessAllowedAce(acl, ACL_REVISION, accessMask, everyone.get())) return 0;
    if (!::SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE)) return 0;
    if (!::SetKernelObjectSecurity(object, info, &descriptor)) return 0;
    return 1;
}
