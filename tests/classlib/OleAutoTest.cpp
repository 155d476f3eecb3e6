// Late binding by name: on the system's web-browser control, and on a small double that shows
// what arrives at the callee.
#include "classlib/Application.h"
#include "classlib/Forms.h"
#include "classlib/OleAuto.h"
#include "classlib/OleControl.h"
#include "classlib/Text.h"

#include "tests/support/ComDoubles.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <exdisp.h>
#include <exdispid.h>

#include <string>
#include <vector>

namespace {

using namespace tn;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp);

constexpr DISPID kLocationURL = 211;
constexpr DISPID kSilent = 551;

bool MessageHas(const EOleError& e, std::wstring_view part) {
    return e.Message().find(part) != std::wstring::npos;
}

TEST(OleAuto, ReadsWritesAndWalksTheBrowserControlByName) {
    TForm* form = TComponent::Create<TForm>(*Application);
    form->SetBounds(0, 0, 400, 300);
    auto* host = TComponent::Create<TOleControl>(*form, CLSID_WebBrowser, DIID_DWebBrowserEvents2);
    host->SetParent(form);
    host->SetBounds(10, 10, 300, 200);
    (void)host->Handle();
    ComPtr<IWebBrowser2> browser;
    ASSERT_EQ(host->OleObject()->QueryInterface(IID_IWebBrowser2, browser.put_void()), S_OK);
    const Bstr url(L"about:blank");
    OleVariant empty;
    (void)browser->Navigate(url.get(), empty.ptr(), empty.ptr(), empty.ptr(), empty.ptr());
    IDispatch* const control = host->ControlDispatch();

    // The control matches names without regard to case.
    const std::wstring byNumber = VariantToString(host->GetProperty(kLocationURL).get());
    EXPECT_EQ(byNumber, L"about:blank");
    EXPECT_EQ(VariantToString(OleGetProperty(control, L"LocationURL").get()), byNumber);
    EXPECT_EQ(VariantToString(OleGetProperty(control, L"locationurl").get()), byNumber);

    OleSetProperty(control, L"Silent", OleVariant(true).get());
    EXPECT_TRUE(VariantToBool(host->GetProperty(kSilent).get()));
    OleSetProperty(control, L"Silent", OleVariant(false).get());
    EXPECT_FALSE(VariantToBool(host->GetProperty(kSilent).get()));

    // This control never has a document: the read gives nil, and a walk through it raises.
    EXPECT_FALSE(VariantToDispatch(OleGetProperty(control, L"Document").get()));
    try {
        (void)OleGetProperty(control, L"Document.body.ScrollHeight");
        ADD_FAILURE() << "a walk through a nil document succeeded";
    } catch (const EOleSysError& e) {
        EXPECT_TRUE(MessageHas(e, L"Document")) << text::ToUtf8(e.Message());
        EXPECT_EQ(e.ErrorCode(), E_POINTER);
    }
    try {
        (void)OleGetProperty(control, L"NoSuchMember");
        ADD_FAILURE() << "an unknown name was read";
    } catch (const EOleSysError& e) {
        EXPECT_TRUE(MessageHas(e, L"NoSuchMember")) << text::ToUtf8(e.Message());
        EXPECT_EQ(e.ErrorCode(), DISP_E_UNKNOWNNAME);
    }
    EXPECT_THROW((void)OleGetProperty(nullptr, L"LocationURL"), EOleSysError);
    TComponent::Free(form);
}

// Answers "Pair" (a method) and "Child" (a property giving itself); records what arrives.
class Callee final : public test::CountedDispatch<IDispatch> {
public:
    static constexpr DISPID kPair = 7;
    static constexpr DISPID kChild = 8;
    static constexpr DISPID kFails = 9;
    std::vector<std::wstring> names;
    std::vector<LCID> locales;
    WORD flags = 0;
    std::vector<OleVariant> args; // in Invoke's order
    bool filledIn = false;

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* n, UINT count, LCID lcid,
                                            DISPID* ids) override {
        if (count != 1) return E_INVALIDARG;
        names.emplace_back(n[0]);
        locales.push_back(lcid);
        // Case matters to this object.
        const std::wstring name = n[0];
        *ids = name == L"Pair"    ? kPair
               : name == L"Child" ? kChild
               : name == L"Fails" ? kFails
                                  : DISPID_UNKNOWN;
        return *ids == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID lcid, WORD f, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* ei, UINT*) override {
        locales.push_back(lcid);
        flags = f;
        if (id == kChild) {
            result->vt = VT_DISPATCH;
            result->pdispVal = this;
            AddRef();
            return S_OK;
        }
        if (id == kFails) {
            *ei = EXCEPINFO{};
            ei->pfnDeferredFillIn = &FillIn;
            Current = this;
            return DISP_E_EXCEPTION;
        }
        args.clear();
        for (UINT i = 0; i < params->cArgs; ++i)
            args.emplace_back(params->rgvarg[i]);
        result->vt = VT_I4;
        result->lVal = static_cast<LONG>(params->cArgs);
        return S_OK;
    }

private:
    static HRESULT STDMETHODCALLTYPE FillIn(EXCEPINFO* ei) {
        Current->filledIn = true;
        ei->bstrSource = ::SysAllocString(L"Callee");
        ei->bstrDescription = ::SysAllocString(L"it went wrong");
        ei->scode = E_FAIL;
        return S_OK;
    }
    static inline Callee* Current = nullptr;
};

TEST(OleAuto, AMethodCallArrivesInTheCalleesOrderAndItsFailureRaisesWithTheDeferredText) {
    Callee callee;
    const OleVariant result =
        OleCallMethod(&callee, L"Child.Pair", {OleVariant(L"first"), OleVariant(LONG{2})});
    EXPECT_EQ(VariantToInt(result.get()), 2);
    EXPECT_EQ(callee.names, (std::vector<std::wstring>{L"Child", L"Pair"}));
    for (const LCID lcid : callee.locales)
        EXPECT_EQ(lcid, static_cast<LCID>(LOCALE_USER_DEFAULT));
    EXPECT_EQ(callee.flags, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
    // Invoke's arguments are last first: the first argument is the last one there.
    ASSERT_EQ(callee.args.size(), 2u);
    EXPECT_EQ(callee.args[1].vt(), VT_BSTR);
    EXPECT_EQ(VariantToString(callee.args[1].get()), L"first");
    EXPECT_EQ(VariantToInt(callee.args[0].get()), 2);
    EXPECT_EQ(callee.Count(), 1u); // the walk gave back the object it was handed

    // The name is passed as written: this object tells cases apart.
    EXPECT_THROW((void)OleCallMethod(&callee, L"pair"), EOleSysError);
    try {
        (void)OleGetProperty(&callee, L"Child.Fails");
        ADD_FAILURE() << "a failing member was read";
    } catch (const EOleSysError& e) {
        EXPECT_TRUE(callee.filledIn);
        EXPECT_TRUE(MessageHas(e, L"Child.Fails")) << text::ToUtf8(e.Message());
        EXPECT_TRUE(MessageHas(e, L"it went wrong")) << text::ToUtf8(e.Message());
    }
    try {
        OleSetProperty(&callee, L"Pair.Child", OleVariant(LONG{1}).get());
        ADD_FAILURE() << "a walk through a number succeeded";
    } catch (const EOleSysError& e) {
        EXPECT_TRUE(MessageHas(e, L"Pair")) << text::ToUtf8(e.Message());
        EXPECT_EQ(e.ErrorCode(), DISP_E_TYPEMISMATCH);
    }
    EXPECT_EQ(callee.Count(), 1u);
}

} // namespace
