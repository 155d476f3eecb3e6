// Shared set-up of the browser tests: a host with its seams open, and the host interfaces reached
// as the control reaches them (OLE and the application: test::OleAppSetUp).
#pragma once

#include "tests/support/WindowTestSupport.h"

#include "browser/HwbCore.h"
#include "classlib/Application.h"
#include "classlib/Forms.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace tn::test {

// A document command target that answers the zoom commands and records every call.
class FakeCommands final : public IOleCommandTarget {
public:
    struct Call {
        DWORD cmd;
        DWORD option;
        VARTYPE inType;
        LONG in;
    };
    std::vector<Call> calls;
    HRESULT rangeResult = S_OK;
    VARIANT range{}; // the range answer; VT_EMPTY answers nothing
    LONG zoomOut = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = riid == IID_IUnknown || riid == IID_IOleCommandTarget ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Exec(const GUID*, DWORD cmd, DWORD option, VARIANT* in,
                                   VARIANT* out) override {
        calls.push_back({cmd, option, in ? in->vt : VARTYPE(VT_ILLEGAL),
                         in && in->vt == VT_I4 ? in->lVal : -1});
        if (cmd == OLECMDID_GETZOOMRANGE || cmd == OLECMDID_OPTICAL_GETZOOMRANGE) {
            if (FAILED(rangeResult)) return rangeResult;
            if (out) *out = range;
            return S_OK;
        }
        if (out) {
            ::VariantClear(out);
            out->vt = VT_I4;
            out->lVal = zoomOut;
        }
        return S_OK;
    }
};

// The component with its protected seams and hooks reachable from the tests.
class TestWB : public TCustomHostedWB {
public:
    explicit TestWB(TComponent* owner) : TCustomHostedWB(owner) {}
    using TCustomHostedWB::CurrentHandle;
    using TCustomHostedWB::FOnHookChildWindow;
    using TCustomHostedWB::FOnSetUserAgent;
    FakeCommands* commands = nullptr;
    DWORD tick = 1000;

protected:
    [[nodiscard]] ComPtr<IOleCommandTarget> DocumentCommandTarget() const override {
        return commands ? ComPtr<IOleCommandTarget>(commands)
                        : TCustomHostedWB::DocumentCommandTarget();
    }
    [[nodiscard]] DWORD TickCount() const noexcept override { return tick; }
};

// A shown form with a browser component of type T on it (by default at the login window's size),
// its window made; the form takes the component with it at the end.
template <typename T, typename Form = TForm> struct BrowserLayout {
    explicit BrowserLayout(int width = 490, int height = 358) {
        form = TComponent::Create<Form>(*Application);
        form->SetBounds(0, 0, 520, 400);
        wb = TComponent::Create<T>(*form);
        wb->SetParent(form);
        wb->SetBounds(16, 24, width, height);
        form->Show();
        (void)wb->Handle();
    }
    BrowserLayout(const BrowserLayout&) = delete;
    BrowserLayout& operator=(const BrowserLayout&) = delete;
    ~BrowserLayout() { TComponent::Free(form); }
    TForm* form;
    T* wb;
};

// An interface of the client site, as the control asks for it.
template <typename I> ComPtr<I> HostInterface(const TOleControl& host) {
    ComPtr<I> p;
    EXPECT_EQ(host.ClientSite()->QueryInterface(__uuidof(I), p.put_void()), S_OK);
    return p;
}

} // namespace tn::test
