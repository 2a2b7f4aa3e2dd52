#pragma once
#include <windows.h>
#include <cstdint>

#include "services/ByteBuffer.h"
#include "services/ByteString.h"

// Results of verifying a file as a print log.
enum VerifyResult : int {
    kVerifyOk = 0,
    kVerifyOpenFailed = 3,
    kVerifyMissing = 4,
    kVerifyOtherForm = 6,
    kVerifyBusy = 7,
    kVerifyNoFolder = 8,
};

// Every file operation of the program goes through an accessor: each operation opens the
// file, works and closes it again, retrying while another process holds it without sharing.
// Failures leave the system's error both in GetLastError() and in lastError().
class FileAccessor {
public:
    FileAccessor() = default;
    explicit FileAccessor(const char* name);
    FileAccessor(const FileAccessor&) = delete;
    FileAccessor& operator=(const FileAccessor&) = delete;

    // Retry on sharing violations: total limit and step, in milliseconds.
    void setRetry(DWORD limitMs, DWORD intervalMs);

    HANDLE openWithRetry(const char* name, DWORD access, DWORD share, DWORD disposition);
    HANDLE openForReading(const char* name, DWORD share);
    HANDLE openForReadWrite(const char* name, DWORD share);

    // Stores the name (double quotes removed) and drops the cache; 1 when the file opens for reading.
    int setName(const char* name, DWORD share);
    int existsForWriting(DWORD share);
    int create(const char* name, DWORD share);
    int truncate(DWORD share);
    // File size, 0 when the file cannot be opened.
    DWORD size(DWORD share);
    // The whole file, read into the cache; the cache keeps its address while the content
    // stays the same. Returns cache + offset, or null.
    const uint8_t* readAll(DWORD offset, DWORD share);
    // A block for readAll to read into when the file fits it, instead of a new one: a viewer
    // that reloads a large log keeps one block resident rather than having the system
    // provide fresh memory for every load. takeBlock gives back the block of the cache (the
    // file's bytes first) and empties the cache.
    void lendBlock(ByteBuffer&& block) { spare_ = static_cast<ByteBuffer&&>(block); }
    ByteBuffer takeBlock();
    DWORD writeAt(const void* data, DWORD length, DWORD offset, DWORD share);
    DWORD append(const void* data, DWORD length, DWORD share);
    // The system's open-file dialog; the chosen path becomes the name. Null when cancelled.
    const char* browse(HWND owner, const char* filter, const char* prompt, const char* initialName);

    // Checks that the named file is a print log (signature "KQVTLG2").
    VerifyResult verify();

    // Positioned helpers on a handle the caller holds.
    static DWORD readAtHandle(HANDLE file, LONG offset, void* buffer, DWORD count, DWORD origin = FILE_BEGIN);
    static DWORD writeAtHandle(HANDLE file, LONG offset, const void* data, DWORD count, DWORD origin = FILE_BEGIN);
    static BOOL cutAtHandle(HANDLE file, LONG offset, DWORD origin = FILE_BEGIN);

    const char* name() const { return name_.c_str(); }
    bool hasName() const { return name_.hasBuffer(); }
    const uint8_t* cache() const { return cache_.data(); }
    size_t cacheSize() const { return cacheSize_; }
    DWORD lastError() const { return lastError_; }

private:
    void keepError();

    ByteString name_;
    ByteBuffer cache_;  // the file's bytes first, with room to grow after them
    size_t cacheSize_ = 0;
    ByteBuffer spare_;  // the block the next readAll reads into
    DWORD retryIntervalMs_ = 500;
    DWORD retryLimitMs_ = 0;
    DWORD lastError_ = 0;
};
