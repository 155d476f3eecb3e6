#include "browser/component/StreamAdapter.h"

#include "classlib/Text.h"

#include <limits>
#include <utility>

namespace tn {

namespace {

constexpr UINT kUtf16Le = 1200;
constexpr UINT kUtf16Be = 1201;

} // namespace

std::vector<std::uint8_t> EncodeText(const std::wstring& t, UINT codePage) {
    if (codePage == kUtf16Le || codePage == kUtf16Be) {
        std::vector<std::uint8_t> bytes = {0xFF, 0xFE};
        const std::vector<std::uint8_t> body = text::ToUtf16LeBytes(t);
        bytes.insert(bytes.end(), body.begin(), body.end());
        if (codePage == kUtf16Be)
            for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
                std::swap(bytes[i], bytes[i + 1]);
        return bytes;
    }
    if (codePage == CP_UTF8) {
        std::vector<std::uint8_t> bytes = {0xEF, 0xBB, 0xBF};
        const std::string body = text::ToUtf8(t);
        bytes.insert(bytes.end(), body.begin(), body.end());
        return bytes;
    }
    if (t.empty()) return {};
    const int n = ::WideCharToMultiByte(codePage, 0, t.data(), static_cast<int>(t.size()), nullptr,
                                        0, nullptr, nullptr);
    if (n <= 0) throw EOleSysError(HRESULT_FROM_WIN32(::GetLastError()));
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(n));
    ::WideCharToMultiByte(codePage, 0, t.data(), static_cast<int>(t.size()),
                          reinterpret_cast<char*>(bytes.data()), n, nullptr, nullptr);
    return bytes;
}

ComPtr<MemoryStreamAdapter> MemoryStreamAdapter::Create(TMemoryStream& stream) {
    return ComPtr<MemoryStreamAdapter>::Attach(new MemoryStreamAdapter(stream));
}

HRESULT MemoryStreamAdapter::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = riid == IID_IUnknown || riid == IID_ISequentialStream || riid == IID_IStream
               ? static_cast<IStream*>(this)
               : nullptr;
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}
ULONG MemoryStreamAdapter::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&refs_));
}
ULONG MemoryStreamAdapter::Release() {
    const auto left = static_cast<ULONG>(::InterlockedDecrement(&refs_));
    if (left == 0) delete this;
    return left;
}

HRESULT MemoryStreamAdapter::Read(void* pv, ULONG cb, ULONG* pcbRead) {
    if (pcbRead) *pcbRead = 0;
    if (!stream_) return E_UNEXPECTED;
    if (!pv && cb) return STG_E_INVALIDPOINTER;
    const std::size_t n = stream_->Read(pv, cb);
    if (pcbRead) *pcbRead = static_cast<ULONG>(n);
    return S_OK;
}
HRESULT MemoryStreamAdapter::Write(const void* pv, ULONG cb, ULONG* pcbWritten) {
    if (pcbWritten) *pcbWritten = 0;
    if (!stream_) return E_UNEXPECTED;
    if (!pv && cb) return STG_E_INVALIDPOINTER;
    return ComBoundary(STG_E_MEDIUMFULL, [&] {
        stream_->Write(pv, cb);
        if (pcbWritten) *pcbWritten = cb;
        return S_OK;
    });
}
HRESULT MemoryStreamAdapter::Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin,
                                  ULARGE_INTEGER* plibNewPosition) {
    if (!stream_) return E_UNEXPECTED;
    long long base = 0;
    switch (dwOrigin) {
    case STREAM_SEEK_SET:
        break;
    case STREAM_SEEK_CUR:
        base = static_cast<long long>(stream_->Position());
        break;
    case STREAM_SEEK_END:
        base = static_cast<long long>(stream_->Size());
        break;
    default:
        return STG_E_INVALIDFUNCTION;
    }
    const long long target = base + dlibMove.QuadPart;
    if (target < 0 ||
        static_cast<unsigned long long>(target) > std::numeric_limits<std::size_t>::max())
        return STG_E_INVALIDFUNCTION;
    stream_->SetPosition(static_cast<std::size_t>(target));
    if (plibNewPosition) plibNewPosition->QuadPart = static_cast<ULONGLONG>(target);
    return S_OK;
}
HRESULT MemoryStreamAdapter::SetSize(ULARGE_INTEGER libNewSize) {
    if (!stream_) return E_UNEXPECTED;
    if (libNewSize.QuadPart > std::numeric_limits<std::size_t>::max()) return STG_E_MEDIUMFULL;
    return ComBoundary(STG_E_MEDIUMFULL, [&] {
        stream_->SetSize(static_cast<std::size_t>(libNewSize.QuadPart));
        return S_OK;
    });
}
HRESULT MemoryStreamAdapter::Stat(STATSTG* pstatstg, DWORD) {
    if (!pstatstg) return STG_E_INVALIDPOINTER;
    if (!stream_) return E_UNEXPECTED;
    *pstatstg = STATSTG{};
    pstatstg->type = STGTY_STREAM;
    pstatstg->cbSize.QuadPart = stream_->Size();
    return S_OK;
}
HRESULT MemoryStreamAdapter::CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) {
    return E_NOTIMPL;
}
HRESULT MemoryStreamAdapter::Commit(DWORD) {
    return S_OK;
}
HRESULT MemoryStreamAdapter::Revert() {
    return STG_E_INVALIDFUNCTION;
}
HRESULT MemoryStreamAdapter::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
    return STG_E_INVALIDFUNCTION;
}
HRESULT MemoryStreamAdapter::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
    return STG_E_INVALIDFUNCTION;
}
HRESULT MemoryStreamAdapter::Clone(IStream** ppstm) {
    if (ppstm) *ppstm = nullptr;
    return E_NOTIMPL;
}

} // namespace tn
