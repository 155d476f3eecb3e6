#include "bench/MinimalBrowserWindow.h"

#include "bench/BenchSupport.h"

namespace tn::bench {

namespace {

// The least a container offers: a client site with an in-place site and frame in one object,
// living as long as the program.
class Site final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
public:
    explicit Site(HWND wnd) : FWnd(wnd) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IOleClientSite)
            *ppv = static_cast<IOleClientSite*>(this);
        else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
            *ppv = static_cast<IOleInPlaceSite*>(this);
        else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame)
            *ppv = static_cast<IOleInPlaceFrame*>(this);
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** c) override {
        *c = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (for both the in-place site and the frame)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* wnd) override {
        *wnd = FWnd;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                               LPRECT pos, LPRECT clip,
                                               LPOLEINPLACEFRAMEINFO info) override {
        *frame = this;
        *doc = nullptr;
        ::GetClientRect(FWnd, pos);
        *clip = *pos;
        info->fMDIApp = FALSE;
        info->hwndFrame = FWnd;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow and IOleInPlaceFrame
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    HWND FWnd;
};

} // namespace

bool MinimalBrowserWindow::Open(HINSTANCE inst, const std::wstring& url) noexcept {
    RegisterPlainClass(inst, L"MinimalBrowser");
    const HWND wnd = ::CreateWindowExW(0, L"MinimalBrowser", L"MinimalBrowser", WS_POPUP, 0, 0, 603,
                                       379, nullptr, nullptr, inst, nullptr);
    static Site site(wnd);

    if (FAILED(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                  reinterpret_cast<void**>(&FObject))) ||
        FAILED(FObject->SetClientSite(&site)) ||
        FAILED(FObject->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&FBrowser))))
        return false;
    RECT area{};
    ::GetClientRect(wnd, &area);
    FObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, wnd, &area);
    ::ShowWindow(wnd, SW_SHOWNORMAL);

    BSTR address = ::SysAllocString(url.c_str());
    VARIANT empty;
    ::VariantInit(&empty);
    FBrowser->Navigate(address, &empty, &empty, &empty, &empty);
    ::SysFreeString(address);
    return true;
}

void MinimalBrowserWindow::Close() noexcept {
    if (FBrowser) FBrowser->Release();
    FBrowser = nullptr;
    if (!FObject) return;
    FObject->Close(OLECLOSE_NOSAVE);
    FObject->SetClientSite(nullptr);
    FObject->Release();
    FObject = nullptr;
}

std::wstring UrlFromCommandLine(const wchar_t* cmdLine) {
    std::wstring url = cmdLine ? cmdLine : L"";
    if (url.size() >= 2 && url.front() == L'"' && url.back() == L'"')
        url = url.substr(1, url.size() - 2);
    return url;
}

} // namespace tn::bench
