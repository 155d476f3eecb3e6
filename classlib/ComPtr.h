// COM ownership: interface pointers, variants, BSTRs and task-memory blocks each released once by
// their owner, and the class library's OLE error exceptions for failing dispatch calls.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstddef>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>

namespace tn {

// Copying adds a reference and every owner releases its own, so copies never double-release.
template <typename T> class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Borrows p: takes a reference of its own.
    explicit ComPtr(T* p) noexcept : p_(p) {
        if (p_) p_->AddRef();
    }
    ComPtr(const ComPtr& o) noexcept : ComPtr(o.p_) {}
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(const ComPtr& o) noexcept {
        ComPtr(o).swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& o) noexcept {
        ComPtr(std::move(o)).swap(*this);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) noexcept {
        reset();
        return *this;
    }
    ~ComPtr() { reset(); }

    // Adopts a reference that the caller already owns.
    [[nodiscard]] static ComPtr Attach(T* p) noexcept {
        ComPtr r;
        r.p_ = p;
        return r;
    }
    [[nodiscard]] T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    void swap(ComPtr& o) noexcept { std::swap(p_, o.p_); }
    void reset() noexcept {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }
    // For out-parameters: releases what is held and hands out the slot.
    [[nodiscard]] T** put() noexcept {
        reset();
        return &p_;
    }
    [[nodiscard]] void** put_void() noexcept { return reinterpret_cast<void**>(put()); }
    [[nodiscard]] T* detach() noexcept { return std::exchange(p_, nullptr); }
    // Hands a new reference to an out-parameter (null when empty).
    void CopyTo(T** out) const noexcept {
        if (p_) p_->AddRef();
        *out = p_;
    }
    // QueryInterface for U; empty when the object lacks it.
    template <typename U> [[nodiscard]] ComPtr<U> as() const noexcept {
        ComPtr<U> r;
        if (p_) (void)p_->QueryInterface(__uuidof(U), r.put_void());
        return r;
    }
    [[nodiscard]] ComPtr<IUnknown> asUnknown() const noexcept { return as<IUnknown>(); }

private:
    T* p_ = nullptr;
};

// A VARIANT that is cleared by its owner.
class OleVariant {
public:
    OleVariant() noexcept { ::VariantInit(&v_); }
    explicit OleVariant(const VARIANT& v);
    explicit OleVariant(std::wstring_view s);
    explicit OleVariant(const wchar_t* s) : OleVariant(std::wstring_view(s ? s : L"")) {}
    explicit OleVariant(LONG i) noexcept;
    explicit OleVariant(bool b) noexcept;
    explicit OleVariant(IDispatch* d) noexcept;
    OleVariant(const OleVariant& o) : OleVariant(o.v_) {}
    OleVariant(OleVariant&& o) noexcept : v_(o.v_) { ::VariantInit(&o.v_); }
    OleVariant& operator=(const OleVariant& o) {
        OleVariant(o).swap(*this);
        return *this;
    }
    OleVariant& operator=(OleVariant&& o) noexcept {
        OleVariant(std::move(o)).swap(*this);
        return *this;
    }
    ~OleVariant() { Clear(); }

    void swap(OleVariant& o) noexcept { std::swap(v_, o.v_); }
    void Clear() noexcept { (void)::VariantClear(&v_); }
    [[nodiscard]] const VARIANT& get() const noexcept { return v_; }
    [[nodiscard]] VARIANT* ptr() noexcept { return &v_; }
    // For out-parameters: clears what is held and hands out the slot.
    [[nodiscard]] VARIANT* put() noexcept {
        Clear();
        return &v_;
    }
    [[nodiscard]] VARTYPE vt() const noexcept { return v_.vt; }
    [[nodiscard]] bool IsEmpty() const noexcept { return v_.vt == VT_EMPTY; }
    // Hands the content to the caller, who clears it.
    [[nodiscard]] VARIANT Detach() noexcept {
        const VARIANT r = v_;
        ::VariantInit(&v_);
        return r;
    }

private:
    VARIANT v_;
};

// Conversions that never fail: a value that cannot be converted gives the neutral result.
[[nodiscard]] std::wstring VariantToString(const VARIANT& v);
[[nodiscard]] LONG VariantToInt(const VARIANT& v, LONG def = 0) noexcept;
[[nodiscard]] bool VariantToBool(const VARIANT& v, bool def = false) noexcept;
[[nodiscard]] ComPtr<IDispatch> VariantToDispatch(const VARIANT& v) noexcept;
// The variant a by-reference VARIANT argument points at, else the argument itself.
[[nodiscard]] VARIANT& VariantTarget(VARIANT& v) noexcept;

// A BSTR freed by its owner.
class Bstr {
public:
    Bstr() noexcept = default;
    explicit Bstr(std::wstring_view s);
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
    Bstr& operator=(Bstr&& o) noexcept {
        if (this != &o) {
            reset();
            b_ = std::exchange(o.b_, nullptr);
        }
        return *this;
    }
    ~Bstr() { reset(); }
    [[nodiscard]] static Bstr Attach(BSTR b) noexcept {
        Bstr r;
        r.b_ = b;
        return r;
    }
    [[nodiscard]] BSTR get() const noexcept { return b_; }
    [[nodiscard]] BSTR* put() noexcept {
        reset();
        return &b_;
    }
    [[nodiscard]] BSTR detach() noexcept { return std::exchange(b_, nullptr); }
    void reset() noexcept {
        if (b_) ::SysFreeString(std::exchange(b_, nullptr));
    }
    [[nodiscard]] std::wstring str() const { return {b_ ? b_ : L"", b_ ? ::SysStringLen(b_) : 0u}; }

private:
    BSTR b_ = nullptr;
};

struct TaskMemFree {
    void operator()(void* p) const noexcept { ::CoTaskMemFree(p); }
};
template <typename T> using UniqueTaskMem = std::unique_ptr<T, TaskMemFree>;

// A zero-terminated task-memory copy of s for a COM out-parameter (the receiver frees it); null
// when the block cannot be allocated.
[[nodiscard]] wchar_t* CopyToTaskMem(std::wstring_view s) noexcept;

// The class library's OLE error: a failing dispatch call or an unsupported name.
class EOleError : public std::exception {
public:
    explicit EOleError(std::wstring message);
    [[nodiscard]] const char* what() const noexcept override { return FWhat.c_str(); }
    [[nodiscard]] const std::wstring& Message() const noexcept { return FMessage; }
    [[nodiscard]] virtual const wchar_t* ClassName() const noexcept { return L"EOleError"; }
    [[nodiscard]] virtual int HelpContext() const noexcept { return 0; }

private:
    std::wstring FMessage;
    std::string FWhat;
};

// A failing HRESULT, with the system's text for it.
class EOleSysError : public EOleError {
public:
    explicit EOleSysError(HRESULT code);
    EOleSysError(HRESULT code, std::wstring message);
    [[nodiscard]] HRESULT ErrorCode() const noexcept { return FErrorCode; }
    [[nodiscard]] const wchar_t* ClassName() const noexcept override { return L"EOleSysError"; }

private:
    HRESULT FErrorCode;
};

// Raises EOleSysError for a failing result; returns a successful one.
HRESULT OleCheck(HRESULT hr);

// The system's text for a result ("OLE error" and the code when it has none).
[[nodiscard]] std::wstring OleErrorText(HRESULT code);

// After a failing Invoke: lets the callee fill the exception record in when it deferred that,
// keeps the description, and frees the record's strings.
[[nodiscard]] std::wstring TakeExcepInfo(EXCEPINFO& ei) noexcept;

// The boundary of a COM method: no exception leaves it; an exception becomes onError (or
// E_OUTOFMEMORY when memory ran out).
template <typename F> HRESULT ComBoundary(HRESULT onError, F&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return onError;
    }
}

} // namespace tn
