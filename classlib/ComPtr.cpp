#include "classlib/ComPtr.h"

#include "classlib/Text.h"

#include <cstring>
#include <memory>
#include <new>

namespace tn {

OleVariant::OleVariant(const VARIANT& v) {
    ::VariantInit(&v_);
    const HRESULT hr = ::VariantCopy(&v_, const_cast<VARIANT*>(&v));
    if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
    OleCheck(hr);
}

OleVariant::OleVariant(std::wstring_view s) {
    ::VariantInit(&v_);
    v_.bstrVal = ::SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    if (!v_.bstrVal) throw std::bad_alloc();
    v_.vt = VT_BSTR;
}

OleVariant::OleVariant(LONG i) noexcept {
    ::VariantInit(&v_);
    v_.vt = VT_I4;
    v_.lVal = i;
}

OleVariant::OleVariant(bool b) noexcept {
    ::VariantInit(&v_);
    v_.vt = VT_BOOL;
    v_.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
}

OleVariant::OleVariant(IDispatch* d) noexcept {
    ::VariantInit(&v_);
    v_.vt = VT_DISPATCH;
    v_.pdispVal = d;
    if (d) d->AddRef();
}

VARIANT& VariantTarget(VARIANT& v) noexcept {
    if (v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal) return *v.pvarVal;
    return v;
}

std::wstring VariantToString(const VARIANT& v) {
    if (v.vt == VT_BSTR)
        return v.bstrVal ? std::wstring(v.bstrVal, ::SysStringLen(v.bstrVal)) : L"";
    OleVariant text;
    if (FAILED(
            ::VariantChangeType(text.ptr(), const_cast<VARIANT*>(&v), VARIANT_ALPHABOOL, VT_BSTR)))
        return {};
    return {text.get().bstrVal, ::SysStringLen(text.get().bstrVal)};
}

LONG VariantToInt(const VARIANT& v, LONG def) noexcept {
    VARIANT n;
    ::VariantInit(&n);
    if (FAILED(::VariantChangeType(&n, const_cast<VARIANT*>(&v), 0, VT_I4))) return def;
    return n.lVal;
}

bool VariantToBool(const VARIANT& v, bool def) noexcept {
    VARIANT b;
    ::VariantInit(&b);
    if (FAILED(::VariantChangeType(&b, const_cast<VARIANT*>(&v), 0, VT_BOOL))) return def;
    return b.boolVal != VARIANT_FALSE;
}

ComPtr<IDispatch> VariantToDispatch(const VARIANT& v) noexcept {
    const VARIANT& t = (v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal) ? *v.pvarVal : v;
    if (t.vt == VT_DISPATCH) return ComPtr<IDispatch>(t.pdispVal);
    if (t.vt == (VT_BYREF | VT_DISPATCH) && t.ppdispVal) return ComPtr<IDispatch>(*t.ppdispVal);
    if (t.vt == VT_UNKNOWN && t.punkVal) {
        ComPtr<IDispatch> d;
        (void)t.punkVal->QueryInterface(IID_IDispatch, d.put_void());
        return d;
    }
    return {};
}

Bstr::Bstr(std::wstring_view s) : b_(::SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {
    if (!b_) throw std::bad_alloc();
}

wchar_t* CopyToTaskMem(std::wstring_view s) noexcept {
    const std::size_t bytes = (s.size() + 1) * sizeof(wchar_t);
    auto* p = static_cast<wchar_t*>(::CoTaskMemAlloc(bytes));
    if (!p) return nullptr;
    if (!s.empty()) std::memcpy(p, s.data(), s.size() * sizeof(wchar_t));
    p[s.size()] = L'\0';
    return p;
}

EOleError::EOleError(std::wstring message)
    : FMessage(std::move(message)), FWhat(text::ToUtf8(FMessage)) {}

namespace {
struct LocalMemFree {
    void operator()(wchar_t* p) const noexcept { ::LocalFree(p); }
};
} // namespace

std::wstring OleErrorText(HRESULT code) {
    wchar_t* raw = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&raw), 0, nullptr);
    const std::unique_ptr<wchar_t, LocalMemFree> buffer(raw);
    std::wstring text = n && buffer ? std::wstring(buffer.get(), n) : std::wstring();
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    if (text.empty()) {
        wchar_t hex[32];
        ::swprintf(hex, 32, L"OLE error %08X", static_cast<unsigned>(code));
        text = hex;
    }
    return text;
}

std::wstring TakeExcepInfo(EXCEPINFO& ei) noexcept {
    if (ei.pfnDeferredFillIn) (void)ei.pfnDeferredFillIn(&ei);
    std::wstring text;
    try {
        if (ei.bstrDescription) text.assign(ei.bstrDescription, ::SysStringLen(ei.bstrDescription));
    } catch (...) {
        // Out of memory: the error is raised without its description.
    }
    ::SysFreeString(ei.bstrSource);
    ::SysFreeString(ei.bstrDescription);
    ::SysFreeString(ei.bstrHelpFile);
    ei = EXCEPINFO{};
    return text;
}

EOleSysError::EOleSysError(HRESULT code) : EOleError(OleErrorText(code)), FErrorCode(code) {}

EOleSysError::EOleSysError(HRESULT code, std::wstring message)
    : EOleError(message.empty() ? OleErrorText(code) : std::move(message)), FErrorCode(code) {}

HRESULT OleCheck(HRESULT hr) {
    if (FAILED(hr)) throw EOleSysError(hr);
    return hr;
}

} // namespace tn
