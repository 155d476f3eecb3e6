// Shared set-up of the browser tests: a host with its seams open, and the host interfaces reached
// as the control reaches them (OLE and the application: test::OleAppSetUp).
#pragma once

#include "tests/support/WindowTestSupport.h"

#include "browser/host/HwbCore.h"
#include "classlib/Application.h"
#include "classlib/Forms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <utility>
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

// A component whose freed block is kept and filled with 0xDD, as a checking allocator does: a
// pointer read from it after the free faults (FaultCount), and a write after the free shows in
// the block.
template <typename Base> class Poisoned : public Base {
public:
    using Base::Base;
    static void* operator new(std::size_t size) { return ::operator new(size); }
    static void operator delete(void* block, std::size_t size) noexcept {
        std::memset(block, kPoison, size);
        Blocks().emplace_back(static_cast<unsigned char*>(block), size);
    }
    // Whether every block freed so far still holds only the poison; the blocks are given back.
    [[nodiscard]] static bool FreedUntouched() {
        bool untouched = true;
        for (const auto& [block, size] : Blocks()) {
            untouched = untouched && std::all_of(block, block + size,
                                                 [](unsigned char c) { return c == kPoison; });
            ::operator delete(block);
        }
        Blocks().clear();
        return untouched;
    }

private:
    static constexpr unsigned char kPoison = 0xDD;
    static std::vector<std::pair<unsigned char*, std::size_t>>& Blocks() {
        static std::vector<std::pair<unsigned char*, std::size_t>> blocks;
        return blocks;
    }
};

// While it lives, the access violations of this process are counted as they are raised, those
// that a catch-all handler then swallows included (this tool chain's catch (...) takes them): a
// read of a poisoned block shows here even where it does not end the test.
class FaultCount {
public:
    FaultCount() noexcept : FHandler(::AddVectoredExceptionHandler(1, &Note)) { Faults = 0; }
    FaultCount(const FaultCount&) = delete;
    FaultCount& operator=(const FaultCount&) = delete;
    ~FaultCount() {
        if (FHandler) ::RemoveVectoredExceptionHandler(FHandler);
    }
    [[nodiscard]] static LONG Value() noexcept { return Faults; }

private:
    static LONG CALLBACK Note(EXCEPTION_POINTERS* e) noexcept {
        if (e->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION)
            ::InterlockedIncrement(&Faults);
        return EXCEPTION_CONTINUE_SEARCH;
    }
    static inline volatile LONG Faults = 0;
    PVOID FHandler;
};

// While it lives, the window commands (WM_COMMAND) that reach the window are kept, and not
// passed on: the browser's own windows would act on them.
class WindowCommands {
public:
    explicit WindowCommands(HWND wnd) : FWnd(wnd) {
        Received.clear();
        Previous = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
            wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowCommands::Proc)));
    }
    WindowCommands(const WindowCommands&) = delete;
    WindowCommands& operator=(const WindowCommands&) = delete;
    ~WindowCommands() {
        ::SetWindowLongPtrW(FWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Previous));
    }
    // Each command's WParam and LParam.
    static inline std::vector<std::pair<WPARAM, LPARAM>> Received;

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
        if (msg == WM_COMMAND) {
            Received.emplace_back(wp, lp);
            return 0;
        }
        return ::CallWindowProcW(Previous, wnd, msg, wp, lp);
    }
    static inline WNDPROC Previous = nullptr;
    HWND FWnd;
};

// An interface of the client site, as the control asks for it.
template <typename I> ComPtr<I> HostInterface(const TOleControl& host) {
    ComPtr<I> p;
    EXPECT_EQ(host.ClientSite()->QueryInterface(__uuidof(I), p.put_void()), S_OK);
    return p;
}

} // namespace tn::test
