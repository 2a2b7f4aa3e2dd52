#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "services/AccessRights.h"
#include "tests/support/PlatformProbe.h"

namespace {

OSVERSIONINFOA versionReport(DWORD platform, DWORD major, DWORD minor, DWORD build) {
    OSVERSIONINFOA info;
    ZeroMemory(&info, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    info.dwPlatformId = platform;
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    info.dwBuildNumber = build;
    return info;
}

TEST(AccessRights, ClassifiesVersionReports) {
    const DWORD nine = VER_PLATFORM_WIN32_WINDOWS;
    const DWORD nt = VER_PLATFORM_WIN32_NT;
    struct Case { const char* name; OSVERSIONINFOA info; OsVersionCode expected; } cases[] = {
        {"95", versionReport(nine, 4, 0, 0x040003B6), OSVER_95},
        {"95 minor byte 9", versionReport(nine, 4, 0, 0x04090000), OSVER_95},
        {"98 minor byte 10", versionReport(nine, 4, 10, 0x040A08AE), OSVER_98},
        {"98 minor byte 89", versionReport(nine, 4, 89, 0x04590000), OSVER_98},
        {"ME", versionReport(nine, 4, 90, 0x045A0BB8), OSVER_ME},
        {"9x minor byte 255", versionReport(nine, 4, 255, 0x04FF0000), OSVER_ME},
        {"NT 3.51", versionReport(nt, 3, 51, 1057), OSVER_UNKNOWN},
        {"NT 4", versionReport(nt, 4, 0, 1381), OSVER_NT4},
        {"2000", versionReport(nt, 5, 0, 2195), OSVER_2000},
        {"XP", versionReport(nt, 5, 1, 2600), OSVER_XP},
        {"2003", versionReport(nt, 5, 2, 3790), OSVER_2003},
        {"NT 5.3", versionReport(nt, 5, 3, 0), OSVER_UNKNOWN},
        {"Vista", versionReport(nt, 6, 0, 6002), OSVER_VISTA},
        {"7", versionReport(nt, 6, 1, 7601), OSVER_VISTA},
        {"8 and later without a manifest entry", versionReport(nt, 6, 2, 9200), OSVER_VISTA},
        {"NT 10 as such", versionReport(nt, 10, 0, 19045), OSVER_UNKNOWN},
        {"Win32s", versionReport(VER_PLATFORM_WIN32s, 3, 10, 0), OSVER_UNKNOWN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected, classifyOsVersion(c.info));
    }
}

TEST(AccessRights, VersionCodeUnderWineVersions) {
    struct Case { const char* wineVersion; OsVersionCode expected; } cases[] = {
        {"win95", OSVER_95}, {"win98", OSVER_98}, {"winme", OSVER_ME}, {"nt40", OSVER_NT4},
        {"win2k", OSVER_2000}, {"winxp", OSVER_XP}, {"win2003", OSVER_2003}, {"vista", OSVER_VISTA},
        {"win7", OSVER_VISTA}, {"win10", OSVER_VISTA},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wineVersion);
        std::map<std::string, std::string> probe = runPlatformProbe(c.wineVersion);
        ASSERT_EQ(1u, probe.count("version"));
        EXPECT_EQ(std::to_string(c.expected), probe["version"]);
    }
}

TEST(AccessRights, WinesTokenIsAnAdministrator) {
    EXPECT_EQ(GROUP_ADMINISTRATORS, getUserGroupLevel());
    // Asked afresh: a second call reads the token again and agrees.
    EXPECT_EQ(GROUP_ADMINISTRATORS, getUserGroupLevel());
}

// A TOKEN_GROUPS list built by hand, with SIDs it owns.
class GroupList {
public:
    GroupList& add(BYTE authority, std::vector<DWORD> subAuthorities, DWORD attributes) {
        SID_IDENTIFIER_AUTHORITY id = {{0, 0, 0, 0, 0, authority}};
        DWORD s[8] = {0};
        for (size_t i = 0; i < subAuthorities.size(); ++i) s[i] = subAuthorities[i];
        PSID sid = NULL;
        if (::AllocateAndInitializeSid(&id, static_cast<BYTE>(subAuthorities.size()), s[0], s[1], s[2], s[3], s[4],
                                       s[5], s[6], s[7], &sid))
            entries_.push_back({sid, attributes});
        return *this;
    }
    GroupList& builtin(DWORD rid, DWORD attributes = SE_GROUP_ENABLED | SE_GROUP_MANDATORY) {
        return add(5, {32, rid}, attributes);
    }
    ~GroupList() {
        for (const SID_AND_ATTRIBUTES& e : entries_) ::FreeSid(e.Sid);
    }
    const TOKEN_GROUPS* get() {
        buffer_.assign(sizeof(TOKEN_GROUPS) + entries_.size() * sizeof(SID_AND_ATTRIBUTES), 0);
        TOKEN_GROUPS* groups = reinterpret_cast<TOKEN_GROUPS*>(buffer_.data());
        groups->GroupCount = static_cast<DWORD>(entries_.size());
        for (size_t i = 0; i < entries_.size(); ++i) groups->Groups[i] = entries_[i];
        return groups;
    }

private:
    std::vector<SID_AND_ATTRIBUTES> entries_;
    std::vector<unsigned char> buffer_;
};

TEST(AccessRights, BuiltinGroupMembershipFromGroupLists) {
    struct Case {
        const char* name;
        std::function<void(GroupList&)> fill;
        bool admins, powerUsers, users;
        uint32_t level;
    };
    const Case cases[] = {
        {"empty", [](GroupList&) {}, false, false, false, GROUP_NONE},
        {"users", [](GroupList& g) { g.builtin(545); }, false, false, true, GROUP_USERS},
        {"everyone and power users", [](GroupList& g) { g.add(1, {0}, 7).builtin(547); }, false, true, false,
         GROUP_POWER_USERS},
        {"all three", [](GroupList& g) { g.builtin(545).builtin(547).builtin(544); }, true, true, true,
         GROUP_ADMINISTRATORS},
        {"administrators for deny only",
         [](GroupList& g) { g.builtin(545).builtin(544, SE_GROUP_USE_FOR_DENY_ONLY); }, true, false, true,
         GROUP_ADMINISTRATORS},
        {"administrators not enabled", [](GroupList& g) { g.builtin(544, 0); }, true, false, false,
         GROUP_ADMINISTRATORS},
        {"guests only", [](GroupList& g) { g.builtin(546); }, false, false, false, GROUP_NONE},
        {"rid 544 of another domain", [](GroupList& g) { g.add(5, {21, 1, 2, 3, 544}, 7); }, false, false, false,
         GROUP_NONE},
        {"users under the world authority", [](GroupList& g) { g.add(1, {32, 545}, 7); }, false, false, false,
         GROUP_NONE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GroupList list;
        c.fill(list);
        const TOKEN_GROUPS* groups = list.get();
        EXPECT_EQ(c.admins, isMemberOfBuiltinGroup(544, groups) != 0);
        EXPECT_EQ(c.powerUsers, isMemberOfBuiltinGroup(547, groups) != 0);
        EXPECT_EQ(c.users, isMemberOfBuiltinGroup(545, groups) != 0);
        EXPECT_EQ(c.level, groupLevelOf(groups));
    }
    EXPECT_EQ(0, isMemberOfBuiltinGroup(544, nullptr));
    EXPECT_EQ(GROUP_NONE, groupLevelOf(nullptr));
}

// The DACL of an object as read back through a fresh query.
struct DaclView {
    bool read = false;
    bool present = false;
    bool null = false;
    std::vector<ACCESS_ALLOWED_ACE> aces;
    std::vector<bool> everyone;
};

DaclView readDacl(HANDLE object) {
    DaclView view;
    DWORD size = 0;
    ::GetKernelObjectSecurity(object, DACL_SECURITY_INFORMATION, NULL, 0, &size);
    std::vector<unsigned char> sd(size ? size : 1);
    if (!::GetKernelObjectSecurity(object, DACL_SECURITY_INFORMATION, sd.data(), size, &size)) return view;
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = NULL;
    if (!::GetSecurityDescriptorDacl(sd.data(), &present, &acl, &defaulted)) return view;
    view.read = true;
    view.present = present != FALSE;
    view.null = present && !acl;
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = NULL;
    ::AllocateAndInitializeSid(&world, 1, 0, 0, 0, 0, 0, 0, 0, 0, &everyone);
    for (DWORD i = 0; acl && i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = NULL;
        if (!::GetAce(acl, i, reinterpret_cast<void**>(&ace))) continue;
        view.aces.push_back(*ace);
        view.everyone.push_back(::EqualSid(&ace->SidStart, everyone) != FALSE);
    }
    ::FreeSid(everyone);
    return view;
}

// An event whose DACL has two entries (administrators and system, full access).
HANDLE eventWithTwoEntries() {
    SECURITY_DESCRIPTOR sd;
    ::InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    static unsigned char aclBuffer[256];
    PACL acl = reinterpret_cast<PACL>(aclBuffer);
    ::InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION);
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = NULL, system = NULL;
    ::AllocateAndInitializeSid(&nt, 2, 32, 544, 0, 0, 0, 0, 0, 0, &admins);
    ::AllocateAndInitializeSid(&nt, 1, 18, 0, 0, 0, 0, 0, 0, 0, &system);
    ::AddAccessAllowedAce(acl, ACL_REVISION, EVENT_ALL_ACCESS, admins);
    ::AddAccessAllowedAce(acl, ACL_REVISION, EVENT_ALL_ACCESS, system);
    ::SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
    SECURITY_ATTRIBUTES sa = {sizeof sa, &sd, FALSE};
    HANDLE event = ::CreateEventA(&sa, TRUE, FALSE, NULL);
    ::FreeSid(admins);
    ::FreeSid(system);
    return event;
}

TEST(AccessRights, GrantEveryoneAccessLeavesOneEntry) {
    HANDLE event = eventWithTwoEntries();
    ASSERT_TRUE(event != NULL);
    ASSERT_EQ(2u, readDacl(event).aces.size());

    ASSERT_NE(0, grantEveryoneAccess(event, 0x1F01FF));
    DaclView after = readDacl(event);
    ASSERT_TRUE(after.read);
    ASSERT_TRUE(after.present);
    ASSERT_EQ(1u, after.aces.size());
    EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, after.aces[0].Header.AceType);
    EXPECT_EQ(0, after.aces[0].Header.AceFlags);
    EXPECT_EQ(0x1F01FFu, after.aces[0].Mask);
    EXPECT_TRUE(after.everyone[0]);

    // Applied again, still exactly one entry, now with the new mask.
    ASSERT_NE(0, grantEveryoneAccess(event, GENERIC_READ));
    after = readDacl(event);
    ASSERT_EQ(1u, after.aces.size());
    EXPECT_TRUE(after.everyone[0]);
    ::CloseHandle(event);
}

TEST(AccessRights, GrantEveryoneAccessKeepsANullDacl) {
    SECURITY_DESCRIPTOR sd;
    ::InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    ::SetSecurityDescriptorDacl(&sd, TRUE, NULL, FALSE);
    SECURITY_ATTRIBUTES sa = {sizeof sa, &sd, FALSE};
    HANDLE event = ::CreateEventA(&sa, TRUE, FALSE, NULL);
    ASSERT_TRUE(event != NULL);
    ASSERT_TRUE(readDacl(event).null);
    EXPECT_NE(0, grantEveryoneAccess(event, 0x1F01FF));
    DaclView after = readDacl(event);
    EXPECT_TRUE(after.read);
    EXPECT_TRUE(after.null);
    ::CloseHandle(event);
}

TEST(AccessRights, GrantEveryoneAccessFailsVisibly) {
    ::SetLastError(0);
    EXPECT_EQ(0, grantEveryoneAccess(NULL, 0x1F01FF));
    EXPECT_NE(0u, ::GetLastError());
    HANDLE event = eventWithTwoEntries();
    HANDLE readOnly = NULL;
    // A handle without WRITE_DAC cannot change the DACL; the call says so.
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), event, ::GetCurrentProcess(), &readOnly,
                                  READ_CONTROL | SYNCHRONIZE, FALSE, 0));
    ::SetLastError(0);
    EXPECT_EQ(0, grantEveryoneAccess(readOnly, 0x1F01FF));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), ::GetLastError());
    EXPECT_EQ(2u, readDacl(event).aces.size());
    ::CloseHandle(readOnly);
    ::CloseHandle(event);
}

}  // namespace
