#pragma once
#include <objbase.h>

// The HTML Help storage class, which opens a compiled help file as an IStorage.
// CLSID {5D02926A-212E-11D0-9DF9-00A0C922E6EC}, interface {88CC31DE-27AB-11D0-9DF9-00A0C922E6EC}.
extern const CLSID kClsidITStorage;
extern const IID kIidITStorage;

// The interface up to the operation this program uses: StgOpenStorage is its eighth slot
// (after the three of IUnknown).
struct ITStorage : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR* name, DWORD mode, DWORD reserved,
                                                       IStorage** storage) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes* bytes, DWORD mode,
                                                                   DWORD reserved, IStorage** storage) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes* bytes) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR* name, IStorage* priority, DWORD mode,
                                                     SNB exclude, DWORD reserved, IStorage** storage) = 0;
};
