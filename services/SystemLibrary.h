#pragma once
#include <windows.h>

// Loads a DLL of the system (a bare file name such as "wtsapi32.dll") from the system
// folder only, never from the current or the program's folder: a process that may run in a
// service account must not pick up a file planted beside it. A name that the process's
// activation context redirects (the common controls 6.0 of the manifest) still loads from
// the side-by-side store. NULL when it cannot be loaded; the system's error says why.
HMODULE loadSystemLibrary(const char* name);

// A system DLL loaded for one scope.
class ScopedLibrary {
public:
    explicit ScopedLibrary(const char* name) : module_(loadSystemLibrary(name)) {}
    ~ScopedLibrary() { release(); }
    ScopedLibrary(const ScopedLibrary&) = delete;
    ScopedLibrary& operator=(const ScopedLibrary&) = delete;
    HMODULE get() const { return module_; }
    void release() {
        if (module_) ::FreeLibrary(module_);
        module_ = NULL;
    }

private:
    HMODULE module_;
};
