// Doubles for the game page, which this platform's browser never loads: a browser component with
// a busy state, a location and a document of the test's choosing, a page script that records its
// calls, and the control's event sink, through which the tests raise the events it never fires.
#pragma once

#include "browser/component/HostedWB.h"
#include "classlib/Application.h"
#include "classlib/ComPtr.h"
#include "tests/support/ComDoubles.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <exdispid.h>
#include <mshtml.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace tn::test {

// The page's script object: every function it knows is called and recorded with the arguments
// as the page receives them (the dispatch array holds them last first).
class FakeScript : public FixedDispatch<IDispatch> {
public:
    struct Call {
        std::wstring Name;
        std::vector<long> Args; // in the page's order
        bool operator==(const Call&) const = default;
    };
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (count != 1) return E_INVALIDARG;
        for (std::size_t i = 0; i < Known.size(); ++i)
            if (Known[i] == names[0]) {
                ids[0] = static_cast<DISPID>(100 + i);
                return S_OK;
            }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT*, EXCEPINFO*, UINT*) override {
        EXPECT_EQ(lcid, 2048u);
        EXPECT_EQ(flags, DISPATCH_METHOD);
        EXPECT_EQ(params->cNamedArgs, 0u);
        Call call{Known.at(static_cast<std::size_t>(id - 100)), {}};
        for (UINT i = params->cArgs; i-- > 0;) {
            EXPECT_EQ(params->rgvarg[i].vt, VT_I4);
            call.Args.push_back(params->rgvarg[i].lVal);
        }
        Calls.push_back(call);
        return S_OK;
    }
    std::vector<std::wstring> Known{L"A4F07C19E2B35D86C0E1F4A97B2D", L"jjssyyllDown",
                                    L"jjssyyllMove", L"jjssyyllUp"};
    std::vector<Call> Calls;
};

// Only the script object is read, and the second document interface's table begins with the
// first one's, so this double answers for both.
class FakeDocument : public FixedDispatch<IHTMLDocument> {
public:
    HRESULT STDMETHODCALLTYPE get_Script(IDispatch** out) override {
        *out = Script;
        return Script ? S_OK : E_FAIL;
    }
    IDispatch* Script = nullptr;

protected:
    [[nodiscard]] bool Answers(REFIID iid) const override {
        return iid == IID_IHTMLDocument2 || FixedDispatch::Answers(iid);
    }
};

// The browser component over the real control, with the three dispatch properties that this
// platform's control cannot show in the test's hands.
class TestWB : public THostedWB {
public:
    explicit TestWB(TComponent* owner) : THostedWB(owner) {}
    bool busy = false;
    bool busyFails = false;
    std::wstring location;
    IDispatch* document = nullptr;
    IOleInPlaceActiveObject* activeObject = nullptr; // null: the control's own

    [[nodiscard]] bool Busy() const override {
        if (busyFails) throw EOleSysError(E_FAIL);
        return busy;
    }
    [[nodiscard]] std::wstring LocationURL() const override { return location; }
    [[nodiscard]] ComPtr<IDispatch> Document() const override {
        return ComPtr<IDispatch>(document);
    }

protected:
    [[nodiscard]] ComPtr<IOleInPlaceActiveObject> ControlActiveObject() const noexcept override {
        return activeObject ? ComPtr<IOleInPlaceActiveObject>(activeObject)
                            : THostedWB::ControlActiveObject();
    }
};

inline THostedWB* MakeTestWB(TComponent& owner) {
    return TComponent::Create<TestWB>(owner);
}

// The event sink that the host advised on the control.
inline ComPtr<IDispatch> EventSink(THostedWB& wb) {
    const auto points = ComPtr<IOleObject>(wb.OleObject()).as<IConnectionPointContainer>();
    if (!points) throw std::runtime_error("no connection points");
    ComPtr<IConnectionPoint> point;
    ComPtr<IEnumConnections> connections;
    CONNECTDATA data{};
    if (FAILED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, point.put())) ||
        FAILED(point->EnumConnections(connections.put())) ||
        connections->Next(1, &data, nullptr) != S_OK)
        throw std::runtime_error("no event sink");
    return ComPtr<IUnknown>::Attach(data.pUnk).as<IDispatch>();
}

// Raises an event as the control does: the arguments given first to last.
inline HRESULT RaiseEvent(THostedWB& wb, DISPID id, std::vector<VARIANT> args) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return EventSink(wb)->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr,
                                 nullptr);
}

inline VARIANT Dispatch(IDispatch* d) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = d;
    return v;
}
inline VARIANT Ref(VARIANT* target) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BYREF | VT_VARIANT;
    v.pvarVal = target;
    return v;
}
inline VARIANT Int(long value) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

// A BSTR variant that the caller frees.
struct BstrArg {
    explicit BstrArg(const std::wstring& text) : text_(text) {}
    [[nodiscard]] VARIANT Get() const {
        VARIANT v;
        ::VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = text_.get();
        return v;
    }
    Bstr text_;
};

inline void RaiseDocumentComplete(THostedWB& wb) {
    BstrArg url(L"http://frame/");
    VARIANT target = url.Get();
    EXPECT_EQ(RaiseEvent(wb, DISPID_DOCUMENTCOMPLETE, {Dispatch(nullptr), Ref(&target)}), S_OK);
}

inline void RaiseTitleChange(THostedWB& wb, const std::wstring& title) {
    BstrArg text(title);
    EXPECT_EQ(RaiseEvent(wb, DISPID_TITLECHANGE, {text.Get()}), S_OK);
}

// The control's answer: true when the new window was refused.
inline bool RaiseNewWindow3(THostedWB& wb, const std::wstring& url) {
    IDispatch* created = nullptr;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT ppDisp, cancelArg;
    ::VariantInit(&ppDisp);
    ppDisp.vt = VT_BYREF | VT_DISPATCH;
    ppDisp.ppdispVal = &created;
    ::VariantInit(&cancelArg);
    cancelArg.vt = VT_BYREF | VT_BOOL;
    cancelArg.pboolVal = &cancel;
    BstrArg context(L"http://page/"), target(url);
    EXPECT_EQ(
        RaiseEvent(wb, DISPID_NEWWINDOW3, {ppDisp, cancelArg, Int(0), context.Get(), target.Get()}),
        S_OK);
    return cancel != VARIANT_FALSE;
}

} // namespace tn::test
