#pragma once
#include <windows.h>

#include <functional>
#include <string>

// The test executable's import slot of CreateFileA, through which the product code linked
// into it calls too.
extern "C" decltype(&::CreateFileA) __imp_CreateFileA;

// Runs `action` inside the next CreateFileA of this process that may create `path` (any
// disposition but OPEN_EXISTING and TRUNCATE_EXISTING), just before that call goes on: a
// deterministic stand-in for another process acting between a check and a create.
class CreateFileHook {
public:
    CreateFileHook(const std::string& path, std::function<void()> action) {
        path_ = path;
        action_ = std::move(action);
        original_ = __imp_CreateFileA;
        setSlot(&hooked);
    }
    ~CreateFileHook() { setSlot(original_); }
    CreateFileHook(const CreateFileHook&) = delete;
    CreateFileHook& operator=(const CreateFileHook&) = delete;

private:
    static void setSlot(decltype(&::CreateFileA) target) {
        DWORD protection = 0;
        ::VirtualProtect(&__imp_CreateFileA, sizeof target, PAGE_READWRITE, &protection);
        __imp_CreateFileA = target;
        ::VirtualProtect(&__imp_CreateFileA, sizeof target, protection, &protection);
    }
    static HANDLE WINAPI hooked(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flags, HANDLE model) {
        if (action_ && name && disposition != OPEN_EXISTING && disposition != TRUNCATE_EXISTING &&
            ::lstrcmpiA(name, path_.c_str()) == 0) {
            std::function<void()> action = std::move(action_);
            action_ = nullptr;
            action();
        }
        return original_(name, access, share, security, disposition, flags, model);
    }
    static inline std::string path_;
    static inline std::function<void()> action_;
    static inline decltype(&::CreateFileA) original_ = nullptr;
};
