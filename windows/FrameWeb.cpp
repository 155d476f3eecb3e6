#include "windows/FrameWeb.h"

#include "classlib/Fpu.h"
#include "classlib/Text.h"
#include "services/PublicUnit.h"
#include "services/Shell.h"
#include "windows/FormMain.h"
#include "windows/Layouts.h"

namespace tn {
namespace {

// The browser control's "Document" property, as CallPageScript reads it.
constexpr DISPID kDocumentProperty = 203;

// The browser as CallPageScript sees it: its document property only, read through the component
// so that the component's view of its document is the one the page call uses. It lives on the
// stack for one call, which holds no reference past its end.
class TBrowserDocument final : public IDispatch {
public:
    explicit TBrowserDocument(THostedWB& browser) noexcept : FBrowser(browser) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = riid == IID_IUnknown || riid == IID_IDispatch ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        if (id != kDocumentProperty || !(flags & DISPATCH_PROPERTYGET) || !result)
            return DISP_E_MEMBERNOTFOUND;
        try {
            ComPtr<IDispatch> document = FBrowser.Document();
            result->vt = VT_DISPATCH;
            result->pdispVal = document.detach();
            return S_OK;
        } catch (...) {
            return E_FAIL;
        }
    }

private:
    THostedWB& FBrowser;
};

THostedWB* MakeHostedWB(TFrameWeb& frame) {
    return TComponent::Create<THostedWB>(frame);
}

} // namespace

TFrameWeb::TFrameWeb(TComponent* owner, const TBrowserMaker& makeBrowser) : TFrame(owner) {
    SetName(L"FrameWeb");
    SetBounds(0, 0, 696, 404);

    hostedwb = makeBrowser ? makeBrowser(*this) : MakeHostedWB(*this);
    hostedwb->SetName(L"hostedwb");
    hostedwb->SetParent(this);
    hostedwb->SetAlign(TAlign::alClient);
    ApplyLayoutBrowserSettings(*hostedwb, {TUserInterfaceOption::DontUseScrollBars,
                                           TUserInterfaceOption::EnablesFormsAutoComplete,
                                           TUserInterfaceOption::EnableThemes});
    hostedwb->OnDocumentComplete = [this](TObject* s, IDispatch* d, VARIANT& url) {
        hostedwbDocumentComplete(s, d, url);
    };
    hostedwb->OnNewWindow3 = [this](TObject* s, ComPtr<IDispatch>& d, bool& cancel, DWORD flags,
                                    const std::wstring& context, const std::wstring& url) {
        hostedwbNewWindow3(s, d, cancel, flags, context, url);
    };
    hostedwb->OnTitleChange = [this](TObject* s, const std::wstring& text) {
        hostedwbTitleChange(s, text);
    };
    hostedwb->LoadSettings();
    // Last: loading the browser's settings may put the start-up control word back.
    Set8087CW(kMaskedControlWord);
}

void TFrameWeb::hostedwbDocumentComplete(TObject*, IDispatch*, VARIANT&) {
    const std::wstring id = ExtractServerId(hostedwb->LocationURL());
    if (!id.empty()) ServerId = text::UpperCase(id);
    // A page without the function is left alone.
    (void)PageScript(0, 0, kPageLoadedFunction);
}

void TFrameWeb::hostedwbNewWindow3(TObject*, ComPtr<IDispatch>&, bool& Cancel, DWORD,
                                   const std::wstring&, const std::wstring& bstrUrl) {
    Cancel = bstrUrl.find(L"client_command") != std::wstring::npos;
}

void TFrameWeb::hostedwbTitleChange(TObject*, const std::wstring& Text) {
    // The frame's own window: FormMain names the newest game window, or none once it closed.
    auto* window = dynamic_cast<TFormMain*>(GetParentForm(this));
    if (!window) return;
    window->lblwebtitle->SetCaption(Text);
    window->lblBackservicelist->SetLeft(window->lblwebtitle->Left() + window->lblwebtitle->Width() +
                                        10);
}

bool TFrameWeb::PageScript(int first, int second, const std::wstring& name) noexcept {
    TBrowserDocument browser(*hostedwb);
    return CallPageScript(first, second, name, &browser);
}

} // namespace tn
