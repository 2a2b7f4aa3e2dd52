#pragma once
#include <windows.h>

#include <cstdint>

// Help context ID -> topic name inside the help file, read once from the file's own
// streams "#IVB" (pairs of context ID and offset) and "#STRINGS" (NUL-terminated names).
// A map whose loading failed is all zeros and finds nothing.
struct HelpMap {
    HelpMap() = default;
    ~HelpMap();
    HelpMap(const HelpMap&) = delete;
    HelpMap& operator=(const HelpMap&) = delete;

    uint32_t count = 0;           // 32-bit words in "#IVB"
    uint32_t* ivb = nullptr;      // the whole "#IVB" stream, owned
    uint8_t* strings = nullptr;   // the whole "#STRINGS" stream, owned
    uint32_t stringsSize = 0;     // bytes in "#STRINGS": every offset is checked against it
    bool comInitialised = false;  // this map's CoInitialize succeeded and awaits its CoUninitialize
    wchar_t pendingPath[MAX_PATH] = {};  // deferHelpMap: the file that the first lookup reads
};

// One row of a window's help context table; the table ends with a row whose control ID is 0.
struct HelpContextPair {
    DWORD controlId;
    DWORD contextId;
};

// Fills `map` from the help file at `path` through the HTML Help storage class.
// Non-zero on success; on failure the map stays empty and the system's error is kept.
int loadHelpMap(const wchar_t* path, HelpMap* map);
// Remembers the help file at `path`; the map is filled (as loadHelpMap) at its first lookup,
// so that a viewer that is never asked for help neither starts COM nor reads the file.
// 0 for a missing map or path or a path longer than MAX_PATH - 1 characters.
int deferHelpMap(const wchar_t* path, HelpMap* map);
// Frees both streams and ends COM for the thread when this map's load started it.
// A deferred file is forgotten. Safe to call more than once.
void freeHelpMap(HelpMap* map);
// The help context ID of a control in a table; 0 when the table is null or lacks the control.
DWORD findHelpContextId(DWORD controlId, const HelpContextPair* table);
// The topic name of a context ID inside "#STRINGS", or null when the map is null or empty,
// the ID is not listed, or its entry points outside the stream or at an empty name. A
// deferred map is loaded first.
const char* findHelpTopic(DWORD contextId, const HelpMap* map);
