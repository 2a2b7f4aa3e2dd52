#pragma once
#include <windows.h>
#include <cstdint>

// Results of appending one record to an open log file.
enum WriteResult : int {
    kWriteStored = 0,
    kWriteNotStored = 1,    // a notice of kind 1 is due
    kWriteFileBroken = 2,   // a notice of kind 2 is due
    kWriteBadSignature = -1,
    kWriteNoMemory = -2,
    kWriteShortWrite = -3,
};

// True when `length` bytes hold a record that the viewer can read and the next writer
// accepts: a whole fixed part, 128 <= recordSize <= 5056 and within the bytes given, and
// a string area that starts inside the record.
bool isStorableRecord(const uint8_t* record, uint32_t length);

// Appends `record` (its first recordSize bytes; `length` is what the caller holds) to the
// log file open in `file`, dropping the oldest records so that the file stays within
// maxKb * 1024 bytes and closing earlier error records of the same job. Only the records
// that move or change are rewritten; a broken file is found before anything is written.
int writeLogFile(HANDLE file, const uint8_t* record, uint32_t length, uint32_t maxKb);

// The closing rule's time order: -1, 0 or 1 as `a` is earlier, equal or later than `b`.
// A time that is not a valid date counts as the earliest.
int compareEventTimes(const SYSTEMTIME& a, const SYSTEMTIME& b);
