#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <utility>

// The test executable's import slot, shared by the product code linked into it.
extern "C" decltype(&::CreateFileA) __imp_CreateFileA;

// Runs `action` inside the next CreateFileA of this process that may create `path` (any
// disposition but OPEN_EXISTING and TRUNCATE_EXISTING), just before that call goes on: a
// deterministic stand-in for another process acting between a check and a create.
class CreateFileHook {
public:
    CreateFileHook(const std::string& path, std::function<void()> action) {
        path_ = path;
        action_ = std::move(action);
        original_ = swapImport(&hooked);
    }
    ~CreateFileHook() { swapImport(original_); }

private:
    static decltype(&::CreateFileA) swapImport(decltype(&::CreateFileA) target) {
        DWORD protection = 0;
        ::VirtualProtect(&__imp_CreateFileA, sizeof target, PAGE_READWRITE, &protection);
        std::swap(target, __imp_CreateFileA);
        ::VirtualProtect(&__imp_CreateFileA, sizeof target, protection, &protection);
        return target;
    }
    static HANDLE WINAPI hooked(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flags, HANDLE model) {
        std::function<void()> action;
        if (disposition != OPEN_EXISTING && disposition != TRUNCATE_EXISTING && !::lstrcmpiA(name, path_.c_str()))
            action.swap(action_);  // once: what the action creates itself goes straight through
        if (action) action();
        return original_(name, access, share, security, disposition, flags, model);
    }
    static inline std::string path_;
    static inline std::function<void()> action_;
    static inline decltype(&::CreateFileA) original_ = nullptr;
};
