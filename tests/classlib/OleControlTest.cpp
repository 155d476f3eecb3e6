// The ActiveX control host with the system's web-browser control as its control.
#include "classlib/Application.h"
#include "classlib/Forms.h"
#include "classlib/OleControl.h"

#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <exdisp.h>
#include <exdispid.h>
#include <olectl.h>

#include <stdexcept>
#include <vector>

namespace {

using namespace tn;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp);

constexpr DISPID kLocationURL = 211;
constexpr DISPID kSilent = 551;

ULONG RefsAtDestruction = ~0u;

// Records the events it receives; can be told to fail in its event handling.
class Host : public TOleControl {
public:
    explicit Host(TComponent* owner)
        : TOleControl(owner, CLSID_WebBrowser, DIID_DWebBrowserEvents2) {}
    ~Host() override { RefsAtDestruction = RefCount(); }
    std::vector<DISPID> events;
    bool failEvents = false;

protected:
    HRESULT InvokeEvent(DISPID id, DISPPARAMS&) override {
        if (failEvents) throw std::runtime_error("handler failed");
        events.push_back(id);
        return S_OK;
    }
};

struct FormWithHost {
    FormWithHost() {
        form = TComponent::Create<TForm>(*Application);
        form->SetBounds(0, 0, 400, 300);
        host = TComponent::Create<Host>(*form);
        host->SetParent(form);
        host->SetBounds(10, 20, 300, 200);
    }
    ~FormWithHost() { TComponent::Free(form); }
    TForm* form;
    Host* host;
};

ComPtr<IWebBrowser2> Browser(const Host& host) {
    ComPtr<IWebBrowser2> wb;
    EXPECT_TRUE(SUCCEEDED(host.OleObject()->QueryInterface(IID_IWebBrowser2, wb.put_void())));
    return wb;
}

// The event sink as the control sees it: the one connection of its event interface.
ComPtr<IDispatch> Sink(const Host& host) {
    const auto points = ComPtr<IOleObject>(host.OleObject()).as<IConnectionPointContainer>();
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(points->FindConnectionPoint(DIID_DWebBrowserEvents2, point.put()), S_OK);
    ComPtr<IEnumConnections> connections;
    EXPECT_EQ(point->EnumConnections(connections.put()), S_OK);
    CONNECTDATA data{};
    ULONG fetched = 0;
    EXPECT_EQ(connections->Next(1, &data, &fetched), S_OK);
    const auto sink = ComPtr<IUnknown>::Attach(data.pUnk).as<IDispatch>();
    EXPECT_TRUE(sink);
    return sink;
}

TEST(OleControl, CreatesTheControlAndPutsItInPlaceInTheHostWindowAtTheHostsSize) {
    FormWithHost f;
    ASSERT_NE(f.host->OleObject(), nullptr);
    EXPECT_FALSE(f.host->InPlaceActive());
    const HWND wnd = f.host->Handle();
    EXPECT_TRUE(f.host->InPlaceActive());
    const HWND control = ::GetWindow(wnd, GW_CHILD);
    ASSERT_NE(control, nullptr);
    RECT r{};
    ::GetWindowRect(control, &r);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 200);

    f.host->SetBounds(10, 20, 250, 120);
    ::GetWindowRect(control, &r);
    EXPECT_EQ(r.right - r.left, 250);
    EXPECT_EQ(r.bottom - r.top, 120);
}

TEST(OleControl, RaisesTheControlsEventsAndReadsAndWritesPropertiesByNumber) {
    FormWithHost f;
    (void)f.host->Handle();
    const Bstr url(L"about:blank");
    OleVariant empty;
    // This control reports the end of every load as an error, inside the call for about:blank.
    (void)Browser(*f.host)->Navigate(url.get(), empty.ptr(), empty.ptr(), empty.ptr(), empty.ptr());
    test::PumpUntil([&] { return f.host->events.size() >= 2; }, 2000);
    ASSERT_GE(f.host->events.size(), 2u);
    EXPECT_EQ(f.host->events[0], DISPID_BEFORENAVIGATE2);

    EXPECT_EQ(VariantToString(f.host->GetProperty(kLocationURL).get()), L"about:blank");
    f.host->SetProperty(kSilent, OleVariant(true).get());
    EXPECT_TRUE(VariantToBool(f.host->GetProperty(kSilent).get()));
    f.host->SetProperty(kSilent, OleVariant(false).get());
    EXPECT_FALSE(VariantToBool(f.host->GetProperty(kSilent).get()));
    EXPECT_THROW((void)f.host->GetProperty(0x7ABC), EOleSysError);
}

TEST(OleControl, TheSinkChecksWhatTheControlHandsInAndNoExceptionLeavesIt) {
    FormWithHost f;
    const auto sink = Sink(*f.host);
    DISPPARAMS broken{nullptr, nullptr, 2, 0};
    EXPECT_EQ(sink->Invoke(DISPID_TITLECHANGE, IID_NULL, 0, DISPATCH_METHOD, &broken, nullptr,
                           nullptr, nullptr),
              E_INVALIDARG);
    EXPECT_EQ(sink->Invoke(DISPID_TITLECHANGE, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr,
                           nullptr, nullptr),
              S_OK);
    EXPECT_EQ(f.host->events, std::vector<DISPID>{DISPID_TITLECHANGE});
    f.host->failEvents = true;
    DISPPARAMS none{};
    EXPECT_EQ(sink->Invoke(DISPID_TITLECHANGE, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr,
                           nullptr, nullptr),
              DISP_E_EXCEPTION);
}

TEST(OleControl, TheSiteHasOneIdentityAndAnswersTheDefaultAmbientProperties) {
    FormWithHost f;
    IOleClientSite* site = f.host->ClientSite();
    ComPtr<IUnknown> identity, viaInPlace;
    ASSERT_EQ(site->QueryInterface(IID_IUnknown, identity.put_void()), S_OK);
    ComPtr<IOleInPlaceSite> inPlace;
    ASSERT_EQ(site->QueryInterface(IID_IOleInPlaceSite, inPlace.put_void()), S_OK);
    ASSERT_EQ(inPlace->QueryInterface(IID_IUnknown, viaInPlace.put_void()), S_OK);
    EXPECT_EQ(identity.get(), viaInPlace.get());
    void* none = &f;
    EXPECT_EQ(site->QueryInterface(IID_IPersistFile, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);

    ComPtr<IDispatch> ambient;
    ASSERT_EQ(site->QueryInterface(IID_IDispatch, ambient.put_void()), S_OK);
    DISPPARAMS noArgs{};
    OleVariant v;
    EXPECT_EQ(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &noArgs,
                              v.put(), nullptr, nullptr),
              S_OK);
    EXPECT_EQ(v.vt(), VT_BOOL);
    EXPECT_TRUE(VariantToBool(v.get()));
    EXPECT_EQ(ambient->Invoke(DISPID_AMBIENT_LOCALEID, IID_NULL, 0, DISPATCH_PROPERTYGET, &noArgs,
                              v.put(), nullptr, nullptr),
              S_OK);
    EXPECT_EQ(static_cast<LCID>(VariantToInt(v.get())), ::GetUserDefaultLCID());
    EXPECT_EQ(ambient->Invoke(-5999, IID_NULL, 0, DISPATCH_PROPERTYGET, &noArgs, v.put(), nullptr,
                              nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &noArgs,
                              nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
}

TEST(OleControl, FreeingTheFormReleasesTheControlAndEveryReferenceToTheHost) {
    for (const bool windowed : {false, true}) {
        SCOPED_TRACE(windowed ? "in place" : "never shown");
        RefsAtDestruction = ~0u;
        IUnknown* control = nullptr;
        {
            FormWithHost f;
            if (windowed) (void)f.host->Handle();
            EXPECT_GT(f.host->RefCount(), 0u);
            control = f.host->OleObject();
            control->AddRef();
        }
        EXPECT_EQ(RefsAtDestruction, 0u);
        EXPECT_EQ(control->Release(), 0u);
    }
}

} // namespace
