// The memory-stream side of the component's document loading and saving: the bytes a document
// reads for a text in a code page, and an IStream over a memory stream that stays its caller's.
#pragma once

#include "classlib/ComPtr.h"
#include "classlib/MemoryStream.h"

#include <windows.h>
#include <objidl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tn {

// The text in a code page; the Unicode forms carry their byte-order mark so that the document
// recognises them. Raises EOleSysError for a code page the system cannot convert to.
[[nodiscard]] std::vector<std::uint8_t> EncodeText(const std::wstring& t, UINT codePage);

// Reads, writes, seeks and sizes the caller's stream. Once the load or save has returned the
// caller cuts it off (Detach), so a document that keeps it reaches nothing instead of freed memory.
class MemoryStreamAdapter final : public IStream {
public:
    // The reference handed out is the object's first; Release frees it.
    [[nodiscard]] static ComPtr<MemoryStreamAdapter> Create(TMemoryStream& stream);
    void Detach() noexcept { stream_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) override;
    HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* pcbWritten) override;
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin,
                                   ULARGE_INTEGER* plibNewPosition) override;
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER libNewSize) override;
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* pstatstg, DWORD) override;
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                     ULARGE_INTEGER*) override;
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override;
    HRESULT STDMETHODCALLTYPE Revert() override;
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override;
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override;
    HRESULT STDMETHODCALLTYPE Clone(IStream** ppstm) override;

private:
    explicit MemoryStreamAdapter(TMemoryStream& stream) noexcept : stream_(&stream) {}
    ~MemoryStreamAdapter() = default;

    volatile LONG refs_ = 1;
    TMemoryStream* stream_;
};

} // namespace tn
