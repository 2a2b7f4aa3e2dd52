#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <utility>

// The test executable's import slot, shared by the product code linked into it.
#ifdef _WIN64
extern "C" decltype(&::CreateFileA) importedCreateFileA __asm__("__imp_CreateFileA");
#else
extern "C" decltype(&::CreateFileA) importedCreateFileA __asm__("__imp__CreateFileA@28");
#endif

// Runs `action` in the next CreateFileA here that may create `path` (not OPEN_EXISTING or
// TRUNCATE_EXISTING), before it goes on: another process acting between check and create.
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
        ::VirtualProtect(&importedCreateFileA, sizeof target, PAGE_READWRITE, &protection);
        std::swap(target, importedCreateFileA);
        ::VirtualProtect(&importedCreateFileA, sizeof target, protection, &protection);
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
