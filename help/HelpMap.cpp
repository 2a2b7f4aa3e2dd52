#include "help/HelpMap.h"

#include <cstring>
#include <cwchar>

#include "services/ComRef.h"
#include "help/ITStorage.h"

namespace {

// A help file's streams are small; anything larger is not one we wrote.
constexpr ULONGLONG kMaxStreamBytes = 16u * 1024u * 1024u;

int failWith(HRESULT hr) {
    ::SetLastError(static_cast<DWORD>(hr));
    return 0;
}

void freeBlock(void* p) {
    if (p) ::HeapFree(::GetProcessHeap(), 0, p);
}

// Reads one whole stream into a heap block; the stream is good only when all its bytes arrived.
int readStream(IStorage* storage, const wchar_t* name, uint8_t** data, uint32_t* size) {
    *data = nullptr;
    *size = 0;
    ComRef<IStream> stream;
    HRESULT hr = storage->OpenStream(name, NULL, STGM_READ, 0, stream.out());
    if (FAILED(hr) || !stream.get()) return failWith(FAILED(hr) ? hr : E_POINTER);
    STATSTG stat;
    std::memset(&stat, 0, sizeof stat);
    hr = stream->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) return failWith(hr);
    if (stat.cbSize.QuadPart > kMaxStreamBytes) return failWith(STG_E_DOCFILECORRUPT);
    ULONG bytes = static_cast<ULONG>(stat.cbSize.QuadPart);
    // One spare zero byte, so that even an unterminated stream cannot be read past its end.
    uint8_t* block = static_cast<uint8_t*>(::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, bytes + 1));
    if (!block) return failWith(STG_E_INSUFFICIENTMEMORY);
    ULONG got = 0;
    hr = bytes ? stream->Read(block, bytes, &got) : S_OK;
    if (FAILED(hr) || got != bytes) {
        freeBlock(block);
        return failWith(FAILED(hr) ? hr : STG_E_READFAULT);
    }
    *data = block;
    *size = bytes;
    return 1;
}

}  // namespace

const CLSID kClsidITStorage = {0x5D02926A, 0x212E, 0x11D0, {0x9D, 0xF9, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC}};
const IID kIidITStorage = {0x88CC31DE, 0x27AB, 0x11D0, {0x9D, 0xF9, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC}};

HelpMap::~HelpMap() { freeHelpMap(this); }

int loadHelpMap(const wchar_t* path, HelpMap* map) {
    if (!path || !map) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    freeHelpMap(map);
    HRESULT hr = ::CoInitialize(NULL);
    // S_FALSE (already initialised on this thread) needs its CoUninitialize as well;
    // a failure (another apartment model) must not get one.
    map->comInitialised = SUCCEEDED(hr);

    ComRef<ITStorage> storageClass;
    hr = ::CoCreateInstance(kClsidITStorage, NULL, CLSCTX_INPROC_SERVER, kIidITStorage,
                            reinterpret_cast<void**>(storageClass.out()));
    if (FAILED(hr) || !storageClass.get()) return failWith(FAILED(hr) ? hr : E_NOINTERFACE);

    ComRef<IStorage> storage;
    hr = storageClass->StgOpenStorage(path, NULL, STGM_SHARE_DENY_WRITE | STGM_READ, NULL, 0, storage.out());
    if (FAILED(hr) || !storage.get()) return failWith(FAILED(hr) ? hr : STG_E_FILENOTFOUND);

    uint8_t* strings = nullptr;
    uint32_t stringsSize = 0;
    if (!readStream(storage.get(), L"#STRINGS", &strings, &stringsSize)) return 0;
    uint8_t* ivb = nullptr;
    uint32_t ivbSize = 0;
    if (!readStream(storage.get(), L"#IVB", &ivb, &ivbSize)) {
        freeBlock(strings);
        return 0;
    }
    map->count = ivbSize / 4;
    map->ivb = reinterpret_cast<uint32_t*>(ivb);
    map->strings = strings;
    map->stringsSize = stringsSize;
    return 1;
}

int deferHelpMap(const wchar_t* path, HelpMap* map) {
    if (!path || !map || std::wcslen(path) >= MAX_PATH) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    freeHelpMap(map);
    std::wcscpy(map->pendingPath, path);
    return 1;
}

void freeHelpMap(HelpMap* map) {
    if (!map) return;
    map->pendingPath[0] = L'\0';
    freeBlock(map->ivb);
    freeBlock(map->strings);
    map->ivb = nullptr;
    map->strings = nullptr;
    map->count = 0;
    map->stringsSize = 0;
    if (map->comInitialised) {
        map->comInitialised = false;
        ::CoUninitialize();
    }
}

DWORD findHelpContextId(DWORD controlId, const HelpContextPair* table) {
    if (!table) return 0;
    for (const HelpContextPair* row = table; row->controlId != 0; ++row) {
        if (row->controlId == controlId) return row->contextId;
    }
    return 0;
}

const char* findHelpTopic(DWORD contextId, const HelpMap* map) {
    if (map && map->pendingPath[0]) {
        // Filling a deferred map is part of reading it: the map object itself is not const.
        HelpMap* deferred = const_cast<HelpMap*>(map);
        wchar_t path[MAX_PATH];
        std::wcscpy(path, deferred->pendingPath);
        loadHelpMap(path, deferred);
    }
    if (!map || !map->ivb || !map->strings || map->count < 2) return nullptr;
    // Word 0 is the stream's own length field; pairs of (context ID, offset) follow. The
    // loop stops where a context ID would have no offset word after it.
    for (uint32_t i = 1; i + 1 < map->count; i += 2) {
        if (map->ivb[i] != contextId) continue;
        uint32_t offset = map->ivb[i + 1];
        if (offset >= map->stringsSize) return nullptr;
        const char* name = reinterpret_cast<const char*>(map->strings + offset);
        // The name must end inside the stream; an empty one would open no page at all,
        // so both fall back to the file's default topic.
        if (!std::memchr(name, '\0', map->stringsSize - offset) || name[0] == '\0') return nullptr;
        return name;
    }
    return nullptr;
}
