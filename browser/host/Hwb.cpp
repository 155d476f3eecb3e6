#include "browser/host/Hwb.h"

#include <exdispid.h>

namespace tn {

namespace {

constexpr DISPID kApplication = 200;
constexpr DISPID kDocument = 203;
constexpr DISPID kLocationName = 210;
constexpr DISPID kLocationURL = 211;
constexpr DISPID kBusy = 212;
constexpr DISPID kSilent = 551;
constexpr DISPID kRegisterAsDropTarget = 553;

// Positional event arguments, numbered from the left as the event declares them (the array holds
// them right to left).
class EventArgs {
public:
    explicit EventArgs(DISPPARAMS& p) noexcept : p_(p) {}
    [[nodiscard]] bool Count(UINT n) const noexcept { return p_.cArgs == n; }
    [[nodiscard]] VARIANT& operator[](UINT i) const noexcept { return p_.rgvarg[p_.cArgs - 1 - i]; }
    // An object argument, by value or through a variant reference; null for anything else.
    [[nodiscard]] IDispatch* Dispatch(UINT i) const noexcept {
        const VARIANT& v = VariantTarget((*this)[i]);
        if (v.vt == VT_DISPATCH) return v.pdispVal;
        if (v.vt == (VT_BYREF | VT_DISPATCH) && v.ppdispVal) return *v.ppdispVal;
        return nullptr;
    }

private:
    DISPPARAMS& p_;
};

// A by-reference Boolean argument: the handler sees a bool, the control gets the answer back.
// Anything else than a Boolean reference is read as false and not written back.
class BoolArg {
public:
    explicit BoolArg(VARIANT& v) noexcept {
        VARIANT& t = VariantTarget(v);
        if (t.vt == (VT_BYREF | VT_BOOL) && t.pboolVal)
            target_ = t.pboolVal;
        else if (&t != &v && t.vt == VT_BOOL)
            target_ = &t.boolVal;
        value = target_ && *target_ != VARIANT_FALSE;
    }
    BoolArg(const BoolArg&) = delete;
    BoolArg& operator=(const BoolArg&) = delete;
    ~BoolArg() {
        if (target_) *target_ = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    bool value = false;

private:
    VARIANT_BOOL* target_ = nullptr;
};

} // namespace

THWB::THWB(TComponent* owner) : TOleControl(owner, CLSID_WebBrowser, DIID_DWebBrowserEvents2) {}

void THWB::AfterConstruction() {
    TOleControl::AfterConstruction();
    if (OleObject()) OleCheck(OleObject()->QueryInterface(IID_IWebBrowser2, FIntf.put_void()));
}

void THWB::BeforeDestruction() noexcept {
    FIntf.reset();
    TOleControl::BeforeDestruction();
}

void THWB::Navigate(const std::wstring& URL) {
    if (!FIntf) throw EOleSysError(E_UNEXPECTED);
    const Bstr url(URL);
    OleVariant empty;
    OleCheck(FIntf->Navigate(url.get(), empty.ptr(), empty.ptr(), empty.ptr(), empty.ptr()));
}

void THWB::Refresh() {
    if (!FIntf) throw EOleSysError(E_UNEXPECTED);
    OleCheck(FIntf->Refresh());
}

ComPtr<IDispatch> THWB::Application() const {
    return VariantToDispatch(GetProperty(kApplication).get());
}

ComPtr<IDispatch> THWB::Document() const {
    return VariantToDispatch(GetProperty(kDocument).get());
}

std::wstring THWB::LocationURL() const {
    return VariantToString(GetProperty(kLocationURL).get());
}

std::wstring THWB::LocationName() const {
    return VariantToString(GetProperty(kLocationName).get());
}

bool THWB::Busy() const {
    return VariantToBool(GetProperty(kBusy).get());
}

bool THWB::Silent() const {
    return VariantToBool(GetProperty(kSilent).get());
}

void THWB::SetSilent(bool value) {
    SetProperty(kSilent, OleVariant(value).get());
}

bool THWB::RegisterAsDropTarget() const {
    return VariantToBool(GetProperty(kRegisterAsDropTarget).get());
}

void THWB::SetRegisterAsDropTarget(bool value) {
    SetProperty(kRegisterAsDropTarget, OleVariant(value).get());
}

HRESULT THWB::InvokeEvent(DISPID dispId, DISPPARAMS& params) {
    const EventArgs a(params);
    switch (dispId) {
    case DISPID_BEFORENAVIGATE2: {
        if (!a.Count(7)) return DISP_E_BADPARAMCOUNT;
        if (!OnBeforeNavigate2) return S_OK;
        BoolArg cancel(a[6]);
        OnBeforeNavigate2(this, a.Dispatch(0), VariantTarget(a[1]), VariantTarget(a[2]),
                          VariantTarget(a[3]), VariantTarget(a[4]), VariantTarget(a[5]),
                          cancel.value);
        return S_OK;
    }
    case DISPID_DOCUMENTCOMPLETE:
    case DISPID_NAVIGATECOMPLETE2: {
        if (!a.Count(2)) return DISP_E_BADPARAMCOUNT;
        const auto& handler =
            dispId == DISPID_DOCUMENTCOMPLETE ? OnDocumentComplete : OnNavigateComplete2;
        if (handler) handler(this, a.Dispatch(0), VariantTarget(a[1]));
        return S_OK;
    }
    case DISPID_NAVIGATEERROR: {
        if (!a.Count(5)) return DISP_E_BADPARAMCOUNT;
        if (!OnNavigateError) return S_OK;
        BoolArg cancel(a[4]);
        OnNavigateError(this, a.Dispatch(0), VariantTarget(a[1]), VariantTarget(a[2]),
                        VariantTarget(a[3]), cancel.value);
        return S_OK;
    }
    case DISPID_TITLECHANGE: {
        if (!a.Count(1)) return DISP_E_BADPARAMCOUNT;
        if (OnTitleChange) OnTitleChange(this, VariantToString(a[0]));
        return S_OK;
    }
    case DISPID_NEWWINDOW3: {
        if (!a.Count(5)) return DISP_E_BADPARAMCOUNT;
        if (!OnNewWindow3) return S_OK;
        VARIANT& slot = VariantTarget(a[0]);
        IDispatch** out = slot.vt == (VT_BYREF | VT_DISPATCH) ? slot.ppdispVal : nullptr;
        ComPtr<IDispatch> ppDisp(out ? *out : nullptr);
        BoolArg cancel(a[1]);
        OnNewWindow3(this, ppDisp, cancel.value, static_cast<DWORD>(VariantToInt(a[2])),
                     VariantToString(a[3]), VariantToString(a[4]));
        // The control owns the reference it finds in the slot.
        if (out && ppDisp.get() != *out) {
            if (*out) (*out)->Release();
            *out = ppDisp.detach();
        }
        return S_OK;
    }
    default:
        return S_OK;
    }
}

} // namespace tn
