// Drag data for the tests: a stub of our own that offers nothing unless a derived
// class overrides GetData and QueryGetData (it lives on the test's stack and counts
// its references, so a test can see that whoever took the data gave it back); one
// that serves a single format; and the shell's own data for items of a folder.
#pragma once

#include "base/Owned.h"
#include "tests/support/TestSupport.h"

#include <windows.h>
#include <objidl.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace TestSupport {

// references() is 1 while only the test holds the data.
class DataObjectStub : public Counted<IDataObject> {
public:
    DataObjectStub() = default;
    DataObjectStub(const DataObjectStub&) = delete;
    DataObjectStub& operator=(const DataObjectStub&) = delete;
    virtual ~DataObjectStub() = default;

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return DV_E_FORMATETC; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out)
            out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
};

// Drag data of our own: one format, served as a global block of exactly the bytes
// given (or of their size only, left unwritten). The medium names a counting object as
// its releaser, so every ReleaseStgMedium shows as one Release call and the block
// itself stays ours.
class BlockData : public DataObjectStub {
public:
    BlockData(CLIPFORMAT format, const std::string& bytes, bool written = true) : format_(format) {
        block_ = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        if (void* target = written ? GlobalLock(block_) : nullptr) {
            std::memcpy(target, bytes.data(), bytes.size());
            GlobalUnlock(block_);
        }
    }
    BlockData(const BlockData&) = delete;
    BlockData& operator=(const BlockData&) = delete;
    ~BlockData() { GlobalFree(block_); }

    SIZE_T BlockSize() const { return GlobalSize(block_); }
    int Deliveries() const { return deliveries_; }
    // Media handed out and not yet released.
    long MediaHeld() const { return releaser_.references() - 1; }
    bool Unlocked() const { return !block_ || (GlobalFlags(block_) & GMEM_LOCKCOUNT) == 0; }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* wanted, STGMEDIUM* medium) override {
        const HRESULT offered = QueryGetData(wanted);
        if (offered != S_OK)
            return offered;
        ++deliveries_;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block_;
        releaser_.AddRef();
        medium->pUnkForRelease = &releaser_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* wanted) override {
        if (wanted->cfFormat != format_)
            return DV_E_FORMATETC;
        return (wanted->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_TYMED;
    }

private:
    CLIPFORMAT format_;
    HGLOBAL block_ = nullptr;
    int deliveries_ = 0;
    CountingObject releaser_;
};

// Little-endian building blocks of hand-made blocks.
inline std::string Bytes32(std::uint32_t value) {
    return std::string(reinterpret_cast<const char*>(&value), 4);
}
inline std::string Bytes16(std::uint16_t value) {
    return std::string(reinterpret_cast<const char*>(&value), 2);
}
inline std::string Wide(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

// A CF_HDROP block: a DROPFILES header (20 bytes) followed by the names.
inline std::string FileListBlock(bool wide, const std::string& names,
                                 std::uint32_t namesOffset = 20) {
    const std::uint32_t header[5] = {namesOffset, 0, 0, 0, wide ? 1u : 0u};
    return std::string(reinterpret_cast<const char*>(header), sizeof header) + names;
}

// The "Shell IDList Array" format as a clipboard format number.
CLIPFORMAT ShellIDListClipFormat();
// The bytes of an item ID list, its terminator included.
std::string ListBytes(std::uintptr_t list);

// Drag data as the shell makes it for a drag out of a folder window: the items' own
// folder asked for its data object. Every item must lie in the same folder.
InterfaceReference<IDataObject> ShellDataFor(const std::vector<std::wstring>& names);

} // namespace TestSupport
