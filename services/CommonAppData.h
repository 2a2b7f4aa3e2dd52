#pragma once
#include <cstddef>

// The common application data folder ("C:\ProgramData" on 6.x), which must exist, into a
// buffer of at least MAX_PATH bytes. It is read from the shell's registered folder list
// (Explorer's "User Shell Folders"), which needs no shell32: the intake process, started
// once per print event, would otherwise load shell32 and the user interface DLLs behind it.
// When that entry is missing, unusable or names no folder, the shell itself is asked (and
// creates the folder). False when neither names one.
bool commonAppDataFolder(char* out, size_t size);
