#include "services/RegistryKey.h"

#include <cstring>

int RegistryKey::fromStatus(LONG status) {
    ::SetLastError(static_cast<DWORD>(status));
    return status == ERROR_SUCCESS ? 1 : 0;
}

int RegistryKey::open(HKEY root, const char* subKey, REGSAM access) {
    close();
    return fromStatus(::RegOpenKeyExA(root, subKey, 0, access, &key_));
}

int RegistryKey::create(HKEY root, const char* subKey, REGSAM access) {
    close();
    return fromStatus(::RegCreateKeyExA(root, subKey, 0, NULL, REG_OPTION_NON_VOLATILE, access,
                                        NULL, &key_, NULL));
}

void RegistryKey::close() {
    if (key_) {
        DWORD err = ::GetLastError();
        ::RegCloseKey(key_);
        ::SetLastError(err);
        key_ = NULL;
    }
}

int RegistryKey::setValue(const char* name, DWORD type, const void* data, DWORD size) {
    if (!key_) return fromStatus(ERROR_INVALID_HANDLE);
    return fromStatus(::RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), size));
}

int RegistryKey::setString(const char* name, const char* text) {
    return setValue(name, REG_SZ, text, static_cast<DWORD>(std::strlen(text) + 1));
}

int RegistryKey::readValue(const char* name, DWORD type, ByteBuffer& out) {
    out.release();
    if (!key_) return fromStatus(ERROR_INVALID_HANDLE);
    // The value may change between the size query and the read; retry a few times.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD actualType = 0;
        DWORD size = 0;
        LONG status = ::RegQueryValueExA(key_, name, NULL, &actualType, NULL, &size);
        if (status != ERROR_SUCCESS) return fromStatus(status);
        if (actualType != type) return fromStatus(ERROR_DATATYPE_MISMATCH);
        if (!out.allocate(size)) return fromStatus(ERROR_NOT_ENOUGH_MEMORY);
        DWORD got = size;
        status = ::RegQueryValueExA(key_, name, NULL, &actualType, out.data(), &got);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) {
            out.release();
            return fromStatus(status);
        }
        if (actualType != type) {
            out.release();
            return fromStatus(ERROR_DATATYPE_MISMATCH);
        }
        if (got < size && !out.resize(got)) return fromStatus(ERROR_NOT_ENOUGH_MEMORY);
        return fromStatus(ERROR_SUCCESS);
    }
    out.release();
    return fromStatus(ERROR_MORE_DATA);
}

int RegistryKey::readString(const char* name, ByteString& out) {
    ByteBuffer raw;
    if (!readValue(name, REG_SZ, raw)) return 0;
    const char* text = reinterpret_cast<const char*>(raw.data());
    size_t length = 0;
    while (length < raw.size() && text[length] != '\0') ++length;
    if (!out.assign(raw.empty() ? "" : text, length)) return fromStatus(ERROR_NOT_ENOUGH_MEMORY);
    return fromStatus(ERROR_SUCCESS);
}

int RegistryKey::readDword(const char* name, DWORD& out) {
    ByteBuffer raw;
    if (!readValue(name, REG_DWORD, raw)) return 0;
    if (raw.size() != sizeof(DWORD)) return fromStatus(ERROR_INVALID_DATA);
    std::memcpy(&out, raw.data(), sizeof(DWORD));
    return 1;
}

int RegistryKey::deleteValue(const char* name) {
    if (!key_) return fromStatus(ERROR_INVALID_HANDLE);
    return fromStatus(::RegDeleteValueA(key_, name));
}
