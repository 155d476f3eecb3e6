// COM doubles that live on a test's stack: IUnknown with or without a reference count, the
// IDispatch methods a double takes no calls through, and an in-place object that is only offered
// keys. Each answers IUnknown and what its Answers adds.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oleidl.h>

namespace tn::test {

// References are not counted: the test owns the object.
template <typename I, typename Base = I> class Fixed : public Base {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = Answers(iid) ? static_cast<I*>(this) : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }

protected:
    virtual ~Fixed() = default;
    [[nodiscard]] virtual bool Answers(REFIID iid) const {
        return iid == IID_IUnknown || iid == __uuidof(I);
    }
};

// References are counted, so that a test sees every one given back; the first is the test's own.
template <typename I, typename Base = I> class Counted : public Base {
public:
    Counted() = default;
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;
    virtual ~Counted() = default;
    [[nodiscard]] ULONG Count() const noexcept { return FCount; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++FCount; }
    ULONG STDMETHODCALLTYPE Release() override { return --FCount; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!Answers(iid)) return E_NOINTERFACE;
        *out = static_cast<I*>(this);
        AddRef();
        return S_OK;
    }

protected:
    [[nodiscard]] virtual bool Answers(REFIID iid) const { return iid == IID_IUnknown; }

private:
    ULONG FCount = 1;
};

// No type information, no names, no late-bound calls.
template <typename I> class DispatchStubs : public I {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }
};

template <typename I> class FixedDispatch : public Fixed<I, DispatchStubs<I>> {
protected:
    [[nodiscard]] bool Answers(REFIID iid) const override {
        return iid == IID_IDispatch || Fixed<I, DispatchStubs<I>>::Answers(iid);
    }
};

template <typename I> class CountedDispatch : public Counted<I, DispatchStubs<I>> {
protected:
    [[nodiscard]] bool Answers(REFIID iid) const override {
        return iid == IID_IDispatch || Counted<I, DispatchStubs<I>>::Answers(iid);
    }
};

// An in-place object that does nothing but answer the keys offered to it.
class InPlaceObjectStub : public Fixed<IOleInPlaceActiveObject> {
public:
    HRESULT STDMETHODCALLTYPE GetWindow(HWND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
};

} // namespace tn::test
