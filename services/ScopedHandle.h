#pragma once
#include <windows.h>

// Closes a kernel handle on every path out of a scope.
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~ScopedHandle() { close(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    bool valid() const { return h_ != NULL && h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }
    void reset(HANDLE h = INVALID_HANDLE_VALUE) { close(); h_ = h; }
    HANDLE release() { HANDLE h = h_; h_ = INVALID_HANDLE_VALUE; return h; }
    // Closing keeps the caller's last error: holders run on failure paths.
    void close() {
        if (valid()) {
            DWORD err = ::GetLastError();
            ::CloseHandle(h_);
            ::SetLastError(err);
        }
        h_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE h_;
};

// Memory from the process heap, freed with the scope.
class ScopedHeapBlock {
public:
    explicit ScopedHeapBlock(SIZE_T bytes)
        : p_(bytes ? ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, bytes) : NULL) {}
    ~ScopedHeapBlock() { if (p_) ::HeapFree(::GetProcessHeap(), 0, p_); }
    ScopedHeapBlock(const ScopedHeapBlock&) = delete;
    ScopedHeapBlock& operator=(const ScopedHeapBlock&) = delete;
    void* get() const { return p_; }
    template <class T> T* as() const { return static_cast<T*>(p_); }

private:
    void* p_;
};
