#include "store/FileAccessor.h"

#include <commdlg.h>
#include <cstring>

// Verification reports what it found in the diagnostic log (which itself writes through
// this accessor, but never verifies).
#include "diagnostics/DiagLog.h"
#include "services/ScopedHandle.h"
#include "store/LogFormat.h"

namespace {
// No log grows this large (its offsets are signed 32-bit); a larger file is never read
// whole, and the spare room added to a read block cannot wrap the size.
constexpr DWORD kLargestReadable = 0x7FFFFFFF;
}  // namespace

FileAccessor::FileAccessor(const char* name) { setName(name, FILE_SHARE_READ); }

void FileAccessor::keepError() { lastError_ = ::GetLastError(); }

void FileAccessor::setRetry(DWORD limitMs, DWORD intervalMs) {
    retryLimitMs_ = limitMs;
    retryIntervalMs_ = intervalMs;
}

HANDLE FileAccessor::openWithRetry(const char* name, DWORD access, DWORD share, DWORD disposition) {
    if (!name) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        keepError();
        return INVALID_HANDLE_VALUE;
    }
    DWORD elapsed = 0;
    for (;;) {
        HANDLE h = ::CreateFileA(name, access, share, NULL, disposition, FILE_ATTRIBUTE_NORMAL, NULL);
        if (h != INVALID_HANDLE_VALUE) {
            lastError_ = 0;
            return h;
        }
        keepError();
        if (lastError_ != ERROR_SHARING_VIOLATION || elapsed >= retryLimitMs_) return INVALID_HANDLE_VALUE;
        ::Sleep(retryIntervalMs_);
        elapsed += retryIntervalMs_;
        ::SetLastError(lastError_);
    }
}

HANDLE FileAccessor::openForReading(const char* name, DWORD share) {
    return openWithRetry(name, GENERIC_READ, share, OPEN_EXISTING);
}

HANDLE FileAccessor::openForReadWrite(const char* name, DWORD share) {
    return openWithRetry(name, GENERIC_READ | GENERIC_WRITE, share, OPEN_ALWAYS);
}

int FileAccessor::setName(const char* name, DWORD share) {
    cache_.release();
    cacheSize_ = 0;
    if (!name) {
        name_.clear();
        ::SetLastError(ERROR_INVALID_PARAMETER);
        keepError();
        return 0;
    }
    // A path typed or stored with quotes still names the file.
    ByteString clean;
    for (const char* p = name; *p;) {
        const size_t n = characterLength(p);
        if (!(n == 1 && *p == '"')) clean.append(p, n);
        p += n;
    }
    if (!clean.hasBuffer()) clean.assign("");
    name_.assign(clean);
    ScopedHandle file(openForReading(name_.c_str(), share));
    return file.valid() ? 1 : 0;
}

int FileAccessor::existsForWriting(DWORD share) {
    ScopedHandle file(openWithRetry(hasName() ? name() : NULL, GENERIC_WRITE, share, OPEN_EXISTING));
    return file.valid() ? 1 : 0;
}

int FileAccessor::create(const char* name, DWORD share) {
    {
        ScopedHandle file(openForReadWrite(name, share));
        if (!file.valid()) return 0;
    }
    setName(name, FILE_SHARE_READ);
    return 1;
}

int FileAccessor::truncate(DWORD share) {
    cache_.release();
    cacheSize_ = 0;
    ScopedHandle file(openWithRetry(hasName() ? name() : NULL, GENERIC_READ | GENERIC_WRITE, share,
                                    TRUNCATE_EXISTING));
    return file.valid() ? 1 : 0;
}

DWORD FileAccessor::size(DWORD share) {
    ScopedHandle file(openForReading(hasName() ? name() : NULL, share));
    if (!file.valid()) return 0;
    DWORD size = ::GetFileSize(file.get(), NULL);
    return size == INVALID_FILE_SIZE ? 0 : size;
}

const uint8_t* FileAccessor::readAll(DWORD offset, DWORD share) {
    {
        ScopedHandle file(openForReading(hasName() ? name() : NULL, share));
        if (!file.valid()) return nullptr;
        DWORD high = 0;
        const DWORD size = ::GetFileSize(file.get(), &high);
        if (size == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) {
            keepError();
            return nullptr;
        }
        if (high || size > kLargestReadable) {
            ::SetLastError(ERROR_FILE_TOO_LARGE);
            keepError();
            return nullptr;
        }
        if (size == 0) {
            // An emptied file must not be answered with its old content.
            cache_.release();
            cacheSize_ = 0;
        } else {
            // A new block leaves room for the file to grow by a few records.
            if (spare_.size() < size && !spare_.allocate(size_t(size) + size / 16)) {
                ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
                keepError();
                return nullptr;
            }
            const DWORD got = readAtHandle(file.get(), 0, spare_.data(), size);
            if (got != cacheSize_ || (got && std::memcmp(cache_.data(), spare_.data(), got) != 0)) {
                ByteBuffer previous = static_cast<ByteBuffer&&>(cache_);
                cache_ = static_cast<ByteBuffer&&>(spare_);
                spare_ = static_cast<ByteBuffer&&>(previous);
                cacheSize_ = got;
            }
        }
    }
    if (cacheSize_ > offset) return cache_.data() + offset;
    ::SetLastError(lastError_);
    return nullptr;
}

DWORD FileAccessor::writeAt(const void* data, DWORD length, DWORD offset, DWORD share) {
    ScopedHandle file(openForReadWrite(hasName() ? name() : NULL, share));
    if (!file.valid()) return 0;
    return writeAtHandle(file.get(), static_cast<LONG>(offset), data, length);
}

DWORD FileAccessor::append(const void* data, DWORD length, DWORD share) {
    ScopedHandle file(openForReadWrite(hasName() ? name() : NULL, share));
    if (!file.valid()) return 0;
    return writeAtHandle(file.get(), 0, data, length, FILE_END);
}

const char* FileAccessor::browse(HWND owner, const char* filter, const char* prompt, const char* initialName) {
    char fileName[MAX_PATH] = {0};
    if (initialName) lstrcpynA(fileName, initialName, MAX_PATH);
    OPENFILENAMEA ofn;
    std::memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.hInstance = owner ? reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(owner, GWLP_HINSTANCE)) : NULL;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = fileName;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = prompt;
    ofn.Flags = OFN_LONGNAMES | OFN_EXPLORER | OFN_CREATEPROMPT | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    HWND focus = ::GetFocus();
    const BOOL chosen = ::GetOpenFileNameA(&ofn);
    ::SetFocus(focus);
    if (!chosen) return nullptr;
    setName(fileName, FILE_SHARE_READ);
    return name();
}

ByteBuffer FileAccessor::takeBlock() {
    cacheSize_ = 0;
    return static_cast<ByteBuffer&&>(cache_.empty() ? spare_ : cache_);
}

VerifyResult FileAccessor::verify() {
    DiagLog diag(kDiagLogName, 2);
    diag.readTraceSettings();
    const uint8_t* data = readAll(0, 0);
    if (data) {
        if (hasLogSignature(data, cacheSize_)) return kVerifyOk;
        char shown[8] = {0};
        for (size_t i = 0; i < 7 && i < cacheSize_ && data[i] != 0; ++i) shown[i] = static_cast<char>(data[i]);
        diag.writeFormat(1, "File is other form. Signeture=%s\r\n", shown);
        return kVerifyOtherForm;
    }
    switch (lastError_) {
    case ERROR_FILE_NOT_FOUND:
        return kVerifyMissing;
    case ERROR_SHARING_VIOLATION:
        diag.write(1, "Sharing violation timeout is occurred.\r\n");
        return kVerifyBusy;
    case ERROR_PATH_NOT_FOUND:
        diag.write(1, "File path is not found.\r\n");
        return kVerifyNoFolder;
    default:
        diag.writeFormat(1, "File is not Opened.  Errcode=%d\r\n", static_cast<int>(lastError_));
        return kVerifyOpenFailed;
    }
}

namespace {
bool seek(HANDLE file, LONG offset, DWORD origin) {
    ::SetLastError(NO_ERROR);
    return ::SetFilePointer(file, offset, NULL, origin) != INVALID_SET_FILE_POINTER || ::GetLastError() == NO_ERROR;
}
}  // namespace

DWORD FileAccessor::readAtHandle(HANDLE file, LONG offset, void* buffer, DWORD count, DWORD origin) {
    if (!seek(file, offset, origin)) return 0;
    DWORD got = 0;
    if (!::ReadFile(file, buffer, count, &got, NULL)) return 0;
    return got;
}

DWORD FileAccessor::writeAtHandle(HANDLE file, LONG offset, const void* data, DWORD count, DWORD origin) {
    if (!seek(file, offset, origin)) return 0;
    DWORD written = 0;
    if (!::WriteFile(file, data, count, &written, NULL)) return 0;
    return written;
}

BOOL FileAccessor::cutAtHandle(HANDLE file, LONG offset, DWORD origin) {
    if (!seek(file, offset, origin)) return FALSE;
    return ::SetEndOfFile(file);
}
