#pragma once
#include <windows.h>

#include "services/ByteBuffer.h"
#include "services/ByteString.h"

// One registry key, opened for one operation and closed with the object.
// Operations return non-zero on success and leave the system's error in GetLastError().
class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() { close(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    int open(HKEY root, const char* subKey, REGSAM access);
    int create(HKEY root, const char* subKey, REGSAM access);
    void close();
    bool isOpen() const { return key_ != NULL; }
    HKEY get() const { return key_; }

    int setValue(const char* name, DWORD type, const void* data, DWORD size);
    int setDword(const char* name, DWORD value) { return setValue(name, REG_DWORD, &value, sizeof value); }
    int setString(const char* name, const char* text);
    // REG_SZ only; the text always ends at the value's end even when it was stored without NUL.
    int readString(const char* name, ByteString& out);
    // The value must have exactly `type`; its bytes land in `out`.
    int readValue(const char* name, DWORD type, ByteBuffer& out);
    // A REG_DWORD value of exactly four bytes.
    int readDword(const char* name, DWORD& out);
    int deleteValue(const char* name);

private:
    static int fromStatus(LONG status);
    HKEY key_ = NULL;
};
