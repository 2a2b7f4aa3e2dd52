#pragma once
#include <windows.h>

// Releases a COM interface pointer on every path out of a scope, keeping the last error.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (p_) {
            DWORD err = ::GetLastError();
            p_->Release();
            ::SetLastError(err);
        }
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T** out() { return &p_; }
    T* operator->() const { return p_; }
    T* get() const { return p_; }

private:
    T* p_ = nullptr;
};
