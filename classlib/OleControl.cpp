#include "classlib/OleControl.h"

#include "classlib/Application.h"

#include <olectl.h>

namespace tn {

namespace {

void SetBool(VARIANT* v, bool value) noexcept {
    v->vt = VT_BOOL;
    v->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void SetInt(VARIANT* v, LONG value) noexcept {
    v->vt = VT_I4;
    v->lVal = value;
}

} // namespace

// The site's objects: each forwards IUnknown to the host, so the site has one identity and one
// reference count.
struct TOleControl::Sites {
    template <typename I> struct Part : I {
        explicit Part(TOleControl& h) noexcept : host(h) {}
        Part(const Part&) = delete;
        Part& operator=(const Part&) = delete;
        virtual ~Part() = default;
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
            return host.HostQueryInterface(riid, ppv);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return host.HostAddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return host.HostRelease(); }
        TOleControl& host;
    };

    struct ClientSite final : Part<IOleClientSite> {
        using Part::Part;
        HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** ppmk) override {
            if (ppmk) *ppmk = nullptr;
            return E_NOTIMPL;
        }
        HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** ppContainer) override {
            if (ppContainer) *ppContainer = nullptr;
            return E_NOINTERFACE;
        }
        HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
        HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
    };

    struct InPlaceSite final : Part<IOleInPlaceSite> {
        using Part::Part;
        HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override {
            if (!phwnd) return E_POINTER;
            *phwnd = host.HandleIfAllocated();
            return *phwnd ? S_OK : E_FAIL;
        }
        HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
        HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override {
            host.FInPlaceObject = host.FOleObject.as<IOleInPlaceObject>();
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
        HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** ppFrame,
                                                   IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                                   LPRECT lprcClipRect,
                                                   LPOLEINPLACEFRAMEINFO lpFrameInfo) override {
            if (ppFrame) *ppFrame = nullptr;
            if (ppDoc) *ppDoc = nullptr;
            if (!ppFrame || !ppDoc || !lprcPosRect || !lprcClipRect || !lpFrameInfo)
                return E_POINTER;
            const HWND wnd = host.HandleIfAllocated();
            if (!wnd) return E_FAIL;
            *ppFrame = &host.FSites->frame;
            host.HostAddRef();
            RECT r{};
            ::GetClientRect(wnd, &r);
            *lprcPosRect = r;
            *lprcClipRect = r;
            lpFrameInfo->fMDIApp = FALSE;
            lpFrameInfo->hwndFrame = ::GetAncestor(wnd, GA_ROOT);
            lpFrameInfo->haccel = nullptr;
            lpFrameInfo->cAccelEntries = 0;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override {
            host.FInPlaceObject.reset();
            host.FActiveObject.reset();
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT lprcPosRect) override {
            if (!lprcPosRect) return E_POINTER;
            const HWND wnd = host.HandleIfAllocated();
            if (host.FInPlaceObject && wnd) {
                RECT clip{};
                ::GetClientRect(wnd, &clip);
                (void)host.FInPlaceObject->SetObjectRects(lprcPosRect, &clip);
            }
            return S_OK;
        }
    };

    struct Frame final : Part<IOleInPlaceFrame> {
        using Part::Part;
        HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override {
            if (!phwnd) return E_POINTER;
            const HWND wnd = host.HandleIfAllocated();
            *phwnd = wnd ? ::GetAncestor(wnd, GA_ROOT) : nullptr;
            return *phwnd ? S_OK : E_FAIL;
        }
        HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
        HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override {
            return INPLACE_E_NOTOOLSPACE;
        }
        HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS widths) override {
            return widths ? INPLACE_E_NOTOOLSPACE : S_OK;
        }
        HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* pActiveObject,
                                                  LPCOLESTR) override {
            host.FActiveObject = ComPtr<IOleInPlaceActiveObject>(pActiveObject);
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
    };

    struct ControlSite final : Part<IOleControlSite> {
        using Part::Part;
        HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override { return S_OK; }
        HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** ppDisp) override {
            if (ppDisp) *ppDisp = nullptr;
            return E_NOTIMPL;
        }
        HRESULT STDMETHODCALLTYPE TransformCoords(POINTL*, POINTF*, DWORD) override {
            return E_NOTIMPL;
        }
        HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
        HRESULT STDMETHODCALLTYPE OnFocus(BOOL) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override { return E_NOTIMPL; }
    };

    struct Ambient final : Part<IDispatch> {
        using Part::Part;
        HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override {
            return ComBoundary(E_UNEXPECTED, [&] { return host.AmbientGetTypeInfoCount(pctinfo); });
        }
        HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid,
                                              ITypeInfo** ppTInfo) override {
            return ComBoundary(E_UNEXPECTED,
                               [&] { return host.AmbientGetTypeInfo(iTInfo, lcid, ppTInfo); });
        }
        HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT cNames,
                                                LCID lcid, DISPID* ids) override {
            return ComBoundary(E_UNEXPECTED, [&] {
                return host.AmbientGetIDsOfNames(riid, names, cNames, lcid, ids);
            });
        }
        HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                         DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                                         UINT* argErr) override {
            return ComBoundary(DISP_E_EXCEPTION, [&] {
                return host.AmbientInvoke(id, riid, lcid, flags, params, result, excep, argErr);
            });
        }
    };

    // The event interface is a dispatch interface of its own identity; its references count
    // with the host's.
    struct EventSink final : IDispatch {
        explicit EventSink(TOleControl& h) noexcept : host(h) {}
        EventSink(const EventSink&) = delete;
        EventSink& operator=(const EventSink&) = delete;
        virtual ~EventSink() = default;
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
            if (!ppv) return E_POINTER;
            *ppv = nullptr;
            if (riid != IID_IUnknown && riid != IID_IDispatch && riid != host.FEventsId)
                return E_NOINTERFACE;
            *ppv = static_cast<IDispatch*>(this);
            host.HostAddRef();
            return S_OK;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return host.HostAddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return host.HostRelease(); }
        HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override {
            if (!pctinfo) return E_POINTER;
            *pctinfo = 0;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override {
            if (ppTInfo) *ppTInfo = nullptr;
            return E_NOTIMPL;
        }
        HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
            return E_NOTIMPL;
        }
        HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                         VARIANT* result, EXCEPINFO*, UINT*) override {
            if (result) ::VariantInit(result);
            DISPPARAMS none{};
            if (!params) params = &none;
            // The argument array is the caller's; never read past what it says it holds.
            if ((params->cArgs && !params->rgvarg) || params->cNamedArgs > params->cArgs)
                return E_INVALIDARG;
            if (!host.FOleObject) return S_OK; // torn down: nothing listens any more
            return ComBoundary(DISP_E_EXCEPTION, [&] { return host.InvokeEvent(id, *params); });
        }
        TOleControl& host;
    };

    explicit Sites(TOleControl& h) noexcept
        : client(h), inPlace(h), frame(h), control(h), ambient(h), sink(h) {}
    ClientSite client;
    InPlaceSite inPlace;
    Frame frame;
    ControlSite control;
    Ambient ambient;
    EventSink sink;
};

TOleControl::TOleControl(TComponent* owner, const CLSID& classId, const IID& eventsId)
    : TWinControl(owner), FClassId(classId), FEventsId(eventsId),
      FSites(std::make_unique<Sites>(*this)) {}

TOleControl::~TOleControl() = default;

IOleClientSite* TOleControl::ClientSite() const noexcept {
    return &FSites->client;
}

HRESULT TOleControl::HostQueryInterface(REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    void* p = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
        p = static_cast<IOleClientSite*>(&FSites->client);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
        p = static_cast<IOleInPlaceSite*>(&FSites->inPlace);
    else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame)
        p = static_cast<IOleInPlaceFrame*>(&FSites->frame);
    else if (riid == IID_IOleControlSite)
        p = static_cast<IOleControlSite*>(&FSites->control);
    else if (riid == IID_IDispatch)
        p = static_cast<IDispatch*>(&FSites->ambient);
    else
        p = QueryHostInterface(riid);
    if (!p) return E_NOINTERFACE;
    *ppv = p;
    HostAddRef();
    return S_OK;
}

ULONG TOleControl::HostAddRef() noexcept {
    return static_cast<ULONG>(::InterlockedIncrement(&FRefCount));
}

ULONG TOleControl::HostRelease() noexcept {
    // The component's owner frees it, never the last Release.
    return static_cast<ULONG>(::InterlockedDecrement(&FRefCount));
}

void* TOleControl::QueryHostInterface(REFIID) noexcept {
    return nullptr;
}

HRESULT TOleControl::InvokeEvent(DISPID, DISPPARAMS&) {
    return S_OK;
}

void TOleControl::AfterConstruction() {
    TWinControl::AfterConstruction();
    CreateControl();
}

void TOleControl::CreateControl() {
    OleCheck(::CoCreateInstance(FClassId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                IID_IOleObject, FOleObject.put_void()));
    if (FAILED(FOleObject->GetMiscStatus(DVASPECT_CONTENT, &FMiscStatus))) FMiscStatus = 0;
    const bool siteFirst = (FMiscStatus & OLEMISC_SETCLIENTSITEFIRST) != 0;
    if (siteFirst) OleCheck(FOleObject->SetClientSite(ClientSite()));
    if (const auto init = FOleObject.as<IPersistStreamInit>()) OleCheck(init->InitNew());
    if (!siteFirst) OleCheck(FOleObject->SetClientSite(ClientSite()));
    FControlDispatch = FOleObject.as<IDispatch>();

    if (const auto points = FOleObject.as<IConnectionPointContainer>()) {
        ComPtr<IConnectionPoint> point;
        if (SUCCEEDED(points->FindConnectionPoint(FEventsId, point.put())) &&
            SUCCEEDED(point->Advise(static_cast<IDispatch*>(&FSites->sink), &FEventsCookie)))
            FEventsPoint = std::move(point);
    }
}

void TOleControl::DestroyControl() noexcept {
    if (FEventsPoint) {
        (void)FEventsPoint->Unadvise(FEventsCookie);
        FEventsPoint.reset();
        FEventsCookie = 0;
    }
    InPlaceDeactivate();
    if (FOleObject) {
        // Keep the object alive through its own callbacks while it lets go of the site.
        const ComPtr<IOleObject> object = FOleObject;
        (void)object->Close(OLECLOSE_NOSAVE);
        (void)object->SetClientSite(nullptr);
    }
    FActiveObject.reset();
    FInPlaceObject.reset();
    FControlDispatch.reset();
    FOleObject.reset();
}

void TOleControl::BeforeDestruction() noexcept {
    DestroyControl();
    TWinControl::BeforeDestruction();
}

void TOleControl::CreateWnd() {
    TWinControl::CreateWnd();
    InPlaceActivate();
}

void TOleControl::DestroyWnd() noexcept {
    InPlaceDeactivate();
    TWinControl::DestroyWnd();
}

void TOleControl::InPlaceActivate() {
    const HWND wnd = HandleIfAllocated();
    if (!FOleObject || FInPlaceObject || !wnd) return;
    RECT r{};
    ::GetClientRect(wnd, &r);
    OleCheck(FOleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, ClientSite(), 0, wnd, &r));
    if (!FInPlaceObject) FInPlaceObject = FOleObject.as<IOleInPlaceObject>();
}

void TOleControl::InPlaceDeactivate() noexcept {
    if (const ComPtr<IOleInPlaceObject> object = FInPlaceObject) (void)object->InPlaceDeactivate();
    FInPlaceObject.reset();
    FActiveObject.reset();
}

void TOleControl::UpdateObjectRects() noexcept {
    const HWND wnd = HandleIfAllocated();
    if (!FInPlaceObject || !wnd) return;
    RECT r{};
    ::GetClientRect(wnd, &r);
    (void)FInPlaceObject->SetObjectRects(&r, &r);
}

void TOleControl::Resize() {
    TWinControl::Resize();
    UpdateObjectRects();
}

ComPtr<IOleInPlaceActiveObject> TOleControl::ControlActiveObject() const noexcept {
    return FInPlaceObject ? FOleObject.as<IOleInPlaceActiveObject>() : nullptr;
}

ComPtr<IOleInPlaceActiveObject> TOleControl::ActiveObject() const noexcept {
    // Until the control announces one (a document that took the focus), keys still reach the
    // control through the one it has.
    return FActiveObject ? FActiveObject : ControlActiveObject();
}

std::optional<HRESULT> TOleControl::TranslateKeyMessage(const MSG& msg) noexcept {
    // Held: the control may let go of it while it translates.
    const ComPtr<IOleInPlaceActiveObject> object = ActiveObject();
    if (!object) return std::nullopt;
    MSG copy = msg;
    return object->TranslateAccelerator(&copy);
}

bool TOleControl::TranslateKey(const TMessage& m) noexcept {
    // The queued message itself when it is the one being offered: the control wants its
    // target window, time and point.
    MSG msg{};
    const MSG* queued = Application ? Application->KeyMessage() : nullptr;
    if (queued && queued->message == m.Msg - CN_BASE && queued->wParam == m.WParam &&
        queued->lParam == m.LParam) {
        msg = *queued;
    } else {
        msg.hwnd = HandleIfAllocated();
        msg.message = m.Msg - CN_BASE;
        msg.wParam = m.WParam;
        msg.lParam = m.LParam;
        msg.time = static_cast<DWORD>(::GetMessageTime());
        const DWORD pos = ::GetMessagePos();
        msg.pt = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
    }
    return TranslateKeyMessage(msg) == S_OK;
}

void TOleControl::Dispatch(TMessage& m) {
    if (IsCnKeyMessage(m.Msg)) {
        m.Result = TranslateKey(m) ? 1 : 0;
        return;
    }
    if (m.Msg == WM_SETFOCUS) {
        NoteFocused();
        // The control's own window takes the focus the host window was given.
        if (const HWND child = ::GetWindow(HandleIfAllocated(), GW_CHILD)) {
            ::SetFocus(child);
            m.Result = 0;
            return;
        }
    }
    TWinControl::Dispatch(m);
}

OleVariant TOleControl::GetProperty(DISPID id) const {
    if (!FControlDispatch) throw EOleSysError(E_UNEXPECTED);
    DISPPARAMS none{};
    OleVariant result;
    EXCEPINFO ei{};
    UINT argErr = 0;
    const HRESULT hr = FControlDispatch->Invoke(
        id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result.put(), &ei, &argErr);
    std::wstring text = TakeExcepInfo(ei);
    if (FAILED(hr)) throw EOleSysError(hr, std::move(text));
    return result;
}

void TOleControl::SetProperty(DISPID id, const VARIANT& value) {
    if (!FControlDispatch) throw EOleSysError(E_UNEXPECTED);
    VARIANT arg = value; // read only by the callee
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&arg, &named, 1, 1};
    EXCEPINFO ei{};
    UINT argErr = 0;
    const HRESULT hr = FControlDispatch->Invoke(
        id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, &ei, &argErr);
    std::wstring text = TakeExcepInfo(ei);
    if (FAILED(hr)) throw EOleSysError(hr, std::move(text));
}

HRESULT TOleControl::AmbientGetTypeInfoCount(UINT* pctinfo) {
    if (!pctinfo) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

HRESULT TOleControl::AmbientGetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
    if (ppTInfo) *ppTInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT TOleControl::AmbientGetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT TOleControl::AmbientInvoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*,
                                   VARIANT* result, EXCEPINFO*, UINT*) {
    if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
    ::VariantInit(result);
    switch (id) {
    case DISPID_AMBIENT_USERMODE:
        SetBool(result, !Designing());
        return S_OK;
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_DISPLAYASDEFAULT:
    case DISPID_AMBIENT_MESSAGEREFLECT:
    case DISPID_AMBIENT_SUPPORTSMNEMONICS:
        SetBool(result, false);
        return S_OK;
    case DISPID_AMBIENT_AUTOCLIP:
        SetBool(result, true);
        return S_OK;
    case DISPID_AMBIENT_LOCALEID:
        SetInt(result, static_cast<LONG>(::GetUserDefaultLCID()));
        return S_OK;
    case DISPID_AMBIENT_BACKCOLOR:
        SetInt(result, static_cast<LONG>(ColorToRGB(Color())));
        return S_OK;
    case DISPID_AMBIENT_FORECOLOR:
        SetInt(result, static_cast<LONG>(::GetSysColor(COLOR_WINDOWTEXT)));
        return S_OK;
    case DISPID_AMBIENT_DISPLAYNAME: {
        OleVariant name(Name());
        *result = name.Detach();
        return S_OK;
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

} // namespace tn
