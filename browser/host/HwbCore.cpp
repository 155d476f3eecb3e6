#include "browser/host/HwbCore.h"

#include "browser/host/HwbUtils.h"
#include "classlib/Application.h"
#include "classlib/Forms.h"

#include <mshtmdid.h>
#include <olectl.h>

#include <array>
#include <utility>

namespace tn {

namespace {

constexpr std::array<DWORD, 29> kUserInterfaceFlags = {
    0x1,       0x2,       0x4,       0x8,        0x10,      0x20,     0x40,     0x80,
    0x100,     0x200,     0x400,     0x800,      0x1000,    0x2000,   0x4000,   0x10000,
    0x20000,   0x40000,   0x80000,   0x100000,   0x200000,  0x400000, 0x800000, 0x1000000,
    0x2000000, 0x4000000, 0x8000000, 0x10000000, 0x20000000};

constexpr std::array<DWORD, 19> kDownloadControlFlags = {
    0x10,    0x20,       0x40,       0x80,       0x100,     0x200,   0x400,
    0x800,   0x1000,     0x2000,     0x4000,     0x8000,    0x10000, 0x20000,
    0x40000, 0x10000000, 0x20000000, 0x40000000, 0x80000000};

constexpr LONG kCharsetRefreshLevel = 7;

template <typename Set, std::size_t N>
DWORD FlagWord(Set set, const std::array<DWORD, N>& table) noexcept {
    DWORD word = 0;
    for (std::size_t i = 0; i < N; ++i)
        if (set.Bits() & (std::uint32_t{1} << i)) word |= table[i];
    return word;
}

} // namespace

DWORD UserInterfaceFlags(TUserInterfaceOptions options) noexcept {
    return FlagWord(options, kUserInterfaceFlags);
}

DWORD DownloadControlFlags(TDownloadControlOptions options) noexcept {
    return FlagWord(options, kDownloadControlFlags);
}

TCustomHostedWB::TCustomHostedWB(TComponent* owner) : THWB(owner) {
    using D = TDownloadControlOption;
    using U = TUserInterfaceOption;
    CanGrabFocus = true;
    ScriptErrorAction = eaContinue;
    SetDownloadOptions({D::DownloadImages, D::DownloadVideos, D::DownloadBGSounds});
    SetUserInterfaceOptions({U::EnablesFormsAutoComplete, U::EnableThemes});
    FDropHandlingType = ddtMS;
    FZoomPercent = 100;
    DisableCtrlShortcuts = L"N";
}

// --- identity -----------------------------------------------------------------------------------

HRESULT TCustomHostedWB::QueryInterface(REFIID riid, void** ppv) {
    return HostQueryInterface(riid, ppv);
}
ULONG TCustomHostedWB::AddRef() {
    return HostAddRef();
}
ULONG TCustomHostedWB::Release() {
    return HostRelease();
}

void* TCustomHostedWB::QueryHostInterface(REFIID riid) noexcept {
    if (riid == __uuidof(IDocHostUIHandler) || riid == __uuidof(IDocHostUIHandler2))
        return static_cast<IDocHostUIHandler2*>(this);
    if (riid == __uuidof(IDocHostShowUI)) return static_cast<IDocHostShowUI*>(this);
    if (riid == __uuidof(IDropTarget)) return static_cast<IDropTarget*>(this);
    if (riid == __uuidof(IOleCommandTarget)) return static_cast<IOleCommandTarget*>(this);
    if (riid == __uuidof(IServiceProvider)) return static_cast<IServiceProvider*>(this);
    if (riid == __uuidof(INewWindowManager)) return static_cast<INewWindowManager*>(this);
    if (riid == __uuidof(IProtectFocus)) return static_cast<IProtectFocus*>(this);
    if (riid == __uuidof(IDownloadManager)) return static_cast<IDownloadManager*>(this);
    if (riid == __uuidof(IHostBehaviorInit)) return static_cast<IHostBehaviorInit*>(this);
    if (riid == __uuidof(IHTMLOMWindowServices)) return static_cast<IHTMLOMWindowServices*>(this);
    if (riid == __uuidof(IAuthenticate)) return static_cast<IAuthenticate*>(this);
    if (riid == __uuidof(IZoomEvents)) return static_cast<IZoomEvents*>(this);
    return THWB::QueryHostInterface(riid);
}

// --- option sets --------------------------------------------------------------------------------

void TCustomHostedWB::SetDownloadOptions(TDownloadControlOptions value) {
    FDownloadOptions = value;
    FDownloadOptionValue = DownloadControlFlags(value);
    NotifyAmbientChange(DISPID_AMBIENT_DLCONTROL);
}

void TCustomHostedWB::SetUserInterfaceOptions(TUserInterfaceOptions value) {
    FUserInterfaceOptions = value;
    FUserInterfaceValue = UserInterfaceFlags(value);
    // The control rereads its host flags with the download-control ambient.
    NotifyAmbientChange(DISPID_AMBIENT_DLCONTROL);
}

void TCustomHostedWB::SetDesignMode(bool value) {
    FDesignMode = value;
    NotifyAmbientChange(DISPID_AMBIENT_USERMODE);
}

void TCustomHostedWB::NotifyAmbientChange(DISPID id) noexcept {
    if (!ControlDispatch()) return;
    try {
        if (const auto control = Application().as<IOleControl>())
            (void)control->OnAmbientPropertyChange(id);
    } catch (...) {
        // A control whose automation object cannot be read is not told; it reads the ambient
        // property again when it next needs it.
    }
}

void TCustomHostedWB::WriteRegisterAsDropTarget(bool value) noexcept {
    try {
        SetRegisterAsDropTarget(value);
    } catch (...) {
        // The drop registration is the control's own affair; the host's answer stands.
    }
}

// --- document helpers ---------------------------------------------------------------------------

ComPtr<IDispatch> TCustomHostedWB::DocumentOrNull() const noexcept {
    try {
        return Document();
    } catch (...) {
        // The helpers that test for a document treat an unreadable one as none.
        return {};
    }
}

ComPtr<IOleCommandTarget> TCustomHostedWB::DocumentCommandTarget() const {
    return DocumentOrNull().as<IOleCommandTarget>();
}

ComPtr<IHTMLDocument2> TCustomHostedWB::Doc2() const {
    return DocumentOrNull().as<IHTMLDocument2>();
}
ComPtr<IHTMLDocument3> TCustomHostedWB::Doc3() const {
    return DocumentOrNull().as<IHTMLDocument3>();
}
ComPtr<IHTMLDocument4> TCustomHostedWB::Doc4() const {
    return DocumentOrNull().as<IHTMLDocument4>();
}
ComPtr<IHTMLDocument5> TCustomHostedWB::Doc5() const {
    return DocumentOrNull().as<IHTMLDocument5>();
}

ComPtr<IHTMLElement> TCustomHostedWB::Body() const {
    ComPtr<IHTMLElement> body;
    if (const auto doc = Doc2()) OleCheck(doc->get_body(body.put()));
    return body;
}

std::wstring TCustomHostedWB::Cookie() const {
    const ComPtr<IDispatch> doc = DocumentOrNull();
    if (!doc.as<IHTMLDocument2>()) return {};
    wchar_t name[] = L"cookie";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    if (FAILED(doc->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return {};
    DISPPARAMS none{};
    OleVariant value;
    if (FAILED(doc->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                           value.put(), nullptr, nullptr)))
        return {};
    return VariantToString(value.get());
}

std::wstring TCustomHostedWB::CharactersSet() const {
    const auto doc = Doc2();
    if (!doc) return {};
    Bstr charset;
    OleCheck(doc->get_charset(charset.put()));
    return charset.str();
}

void TCustomHostedWB::SetCharactersSet(const std::wstring& value) {
    const auto doc = Doc2();
    if (!doc) return;
    OleCheck(doc->put_charset(Bstr(value).get()));
    if (!DefaultInterface()) return;
    // The page is loaded again in the new character set.
    OleVariant level(kCharsetRefreshLevel);
    OleCheck(DefaultInterface()->Refresh2(level.ptr()));
}

TDocDesignMode TCustomHostedWB::DocDesignMode() const {
    const auto doc = Doc2();
    if (!doc) return ddmUnknown;
    Bstr mode;
    OleCheck(doc->get_designMode(mode.put()));
    static constexpr std::wstring_view kModes[] = {L"On", L"Off", L"Inherit"};
    switch (IndexOfString(mode.str(), kModes, 2)) {
    case 0:
        return ddmOn;
    case 1:
        return ddmOff;
    case 2:
        return ddmInherit;
    default:
        return ddmUnknown;
    }
}

void TCustomHostedWB::SetDocDesignMode(TDocDesignMode value) {
    static constexpr const wchar_t* kModes[] = {L"On", L"Off", L"Inherit"};
    if (value > ddmInherit) return;
    const auto doc = Doc2();
    if (!doc) return;
    OleCheck(doc->put_designMode(Bstr(kModes[value]).get()));
}

HWND TCustomHostedWB::GetIEWin(const std::wstring& ClassName) {
    const HWND wnd = HandleIfAllocated();
    if (!wnd) return nullptr;
    for (HWND w = ::GetWindow(wnd, GW_CHILD); w; w = ::GetWindow(w, GW_CHILD))
        if (SameLocaleText(GetWindowClassName(w), ClassName)) return w;
    return nullptr;
}

HRESULT TCustomHostedWB::InvokeCommand(const GUID* CmdGroup, DWORD Cmd, DWORD nCmdexecopt,
                                       VARIANT& vaIn, VARIANT& vaOut) {
    const auto target = DocumentCommandTarget();
    if (!target) return E_UNEXPECTED;
    return target->Exec(CmdGroup, Cmd, nCmdexecopt, &vaIn, &vaOut);
}

HRESULT TCustomHostedWB::InvokeCommand(const GUID* CmdGroup, DWORD Cmd) {
    OleVariant in, out;
    return InvokeCommand(CmdGroup, Cmd, 0, *in.ptr(), *out.ptr());
}

HRESULT TCustomHostedWB::QueryCommandStatus(const GUID* CmdGroup, ULONG cCmds, OLECMD* prgCmds,
                                            OLECMDTEXT* CmdText) {
    const auto target = DocumentCommandTarget();
    if (!target) return E_UNEXPECTED;
    return target->QueryStatus(CmdGroup, cCmds, prgCmds, CmdText);
}

DWORD TCustomHostedWB::QueryCMDStatus(const GUID* CmdGroup, DWORD cmdID) {
    OLECMD cmd{cmdID, 0};
    if (FAILED(QueryCommandStatus(CmdGroup, 1, &cmd, nullptr))) return 0;
    return cmd.cmdf;
}

bool TCustomHostedWB::QueryCMDEnabled(const GUID* CmdGroup, DWORD cmdID) {
    return (QueryCMDStatus(CmdGroup, cmdID) & OLECMDF_ENABLED) != 0;
}

bool TCustomHostedWB::QueryCMDLatched(const GUID* CmdGroup, DWORD cmdID) {
    return (QueryCMDStatus(CmdGroup, cmdID) & OLECMDF_LATCHED) != 0;
}

bool TCustomHostedWB::QueryCMDArrayStatus(const GUID* CmdGroup, std::span<OLECMD> Cmds) {
    if (Cmds.empty()) return false;
    return QueryCommandStatus(CmdGroup, static_cast<ULONG>(Cmds.size()), Cmds.data(), nullptr) ==
           S_OK;
}

// --- zoom ---------------------------------------------------------------------------------------

bool TCustomHostedWB::ReadZoomRange(DWORD cmd, DWORD& range, VARIANT& out) {
    OleVariant in;
    if (FAILED(InvokeCommand(nullptr, cmd, OLECMDEXECOPT_DONTPROMPTUSER, *in.ptr(), out)))
        return false;
    if (out.vt == VT_EMPTY || out.vt == VT_NULL) return false;
    VARIANT n;
    ::VariantInit(&n);
    if (FAILED(::VariantChangeType(&n, &out, 0, VT_I4))) return false;
    range = static_cast<DWORD>(n.lVal);
    return true;
}

namespace {
// The low word is the lower end of the range, the high word the upper end.
int ClampToZoomRange(int value, DWORD range) noexcept {
    // Without a range the value goes to the control as it is: a missing or zero answer would
    // otherwise zoom every page to nothing.
    if (range == 0) return value;
    const int low = static_cast<int>(range & 0xFFFF);
    const int high = static_cast<int>(range >> 16);
    if (value < low) return low;
    if (value > high) return high;
    return value;
}
} // namespace

int TCustomHostedWB::Zoom() {
    OleVariant in, out;
    (void)InvokeCommand(nullptr, OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, *in.ptr(),
                        *out.ptr());
    return VariantToInt(out.get());
}

void TCustomHostedWB::SetZoom(int value) {
    OleVariant out;
    DWORD range = 0;
    if (ReadZoomRange(OLECMDID_GETZOOMRANGE, range, *out.ptr()))
        value = ClampToZoomRange(value, range);
    OleVariant in(LONG{value});
    out.Clear();
    (void)InvokeCommand(nullptr, OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, *in.ptr(),
                        *out.ptr());
}

int TCustomHostedWB::ZoomRangeLow() {
    OleVariant out;
    DWORD range = 0;
    return ReadZoomRange(OLECMDID_GETZOOMRANGE, range, *out.ptr())
               ? static_cast<int>(range & 0xFFFF)
               : 0;
}

int TCustomHostedWB::ZoomRangeHigh() {
    OleVariant out;
    DWORD range = 0;
    return ReadZoomRange(OLECMDID_GETZOOMRANGE, range, *out.ptr()) ? static_cast<int>(range >> 16)
                                                                   : 0;
}

void TCustomHostedWB::SetZoomPercent(int value) {
    if (value == FZoomPercent) return;
    FZoomPercent = value;
    OleVariant out;
    DWORD range = 0;
    if (ReadZoomRange(OLECMDID_OPTICAL_GETZOOMRANGE, range, *out.ptr()))
        value = ClampToZoomRange(value, range);
    OleVariant in(LONG{value});
    (void)InvokeCommand(nullptr, OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, *in.ptr(),
                        *out.ptr());
    if (OnZoomPercentChange)
        (void)OnZoomPercentChange(this, static_cast<ULONG>(VariantToInt(out.get())));
}

// --- focus and placement ------------------------------------------------------------------------

TForm* TCustomHostedWB::ParentForm() const noexcept {
    TWinControl* top = Parent();
    while (top && top->Parent())
        top = top->Parent();
    return dynamic_cast<TForm*>(top);
}

bool TCustomHostedWB::ScrollToElement(IHTMLElement* Element) {
    if (!Element) return false;
    ComPtr<IHTMLElement2> element;
    OleCheck(Element->QueryInterface(__uuidof(IHTMLElement2), element.put_void()));
    ComPtr<IHTMLRect> rect;
    OleCheck(element->getBoundingClientRect(rect.put()));
    LONG left = 0, top = 0;
    OleCheck(rect->get_left(&left));
    OleCheck(rect->get_top(&top));
    const auto doc = Doc2();
    if (!doc) return false;
    ComPtr<IHTMLWindow2> window;
    OleCheck(doc->get_parentWindow(window.put()));
    if (!window) return false;
    OleCheck(window->scrollBy(left, top));
    return true;
}

void TCustomHostedWB::SetFocusToBody() {
    const auto body = Body();
    if (!body) return;
    ComPtr<IHTMLElement2> element;
    OleCheck(body->QueryInterface(__uuidof(IHTMLElement2), element.put_void()));
    OleCheck(element->focus());
}

void TCustomHostedWB::SetFocusToDoc() {
    if (!DocumentOrNull()) return;
    // The control's activation may run what frees this component: then nothing is put back.
    const TScopedLivingFlag grabbing(CanGrabFocus, Life());
    const auto object = Application().as<IOleObject>();
    const HWND wnd = HandleIfAllocated();
    if (!object || !wnd) return;
    RECT r{};
    ::GetClientRect(wnd, &r);
    const HRESULT hr = object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, ClientSite(), 0, wnd, &r);
    if (!grabbing.Alive()) return;
    if (hr == S_OK && ParentForm() && CanFocus()) ParentForm()->SetActiveControl(this);
}

void TCustomHostedWB::SetFocusToParent() {
    const HWND wnd = HandleIfAllocated();
    if (!wnd || !Parent()) return;
    const HWND parent = Parent()->Handle();
    ::SetParent(wnd, parent);
    ::MoveWindow(wnd, 0, 0, Parent()->Width(), Parent()->Height(), TRUE);
    ::SetFocus(parent);
}

void TCustomHostedWB::Client2HostWin(int& CX, int& CY) {
    if (TForm* form = ParentForm()) {
        CX += form->ClientWidth() - Width();
        CY += form->ClientHeight() - Height();
    }
}

bool TCustomHostedWB::GetElementNamespaceTable(ComPtr<IElementNamespaceTable>& aTable) {
    aTable.reset();
    const auto services = DocumentOrNull().as<IServiceProvider>();
    if (!services) return false;
    return services->QueryService(__uuidof(IElementNamespaceTable),
                                  __uuidof(IElementNamespaceTable), aTable.put_void()) == S_OK;
}

// --- window parking -----------------------------------------------------------------------------

void TCustomHostedWB::CreateWnd() {
    if (CurrentHandle && ::IsWindow(CurrentHandle)) {
        const HWND wnd = std::exchange(CurrentHandle, nullptr);
        SetWindowHandle(wnd);
        if (Parent()) ::SetParent(wnd, Parent()->Handle());
        ::MoveWindow(wnd, Left(), Top(), Width(), Height(), TRUE);
        return;
    }
    CurrentHandle = nullptr;
    THWB::CreateWnd();
}

void TCustomHostedWB::DestroyWnd() noexcept {
    const HWND wnd = HandleIfAllocated();
    const HWND park = tn::Application ? tn::Application->Handle() : nullptr;
    if (!Destroying() && wnd && park) {
        // The control and its page live on in the hidden application window until the parent
        // has a window again.
        ::SetParent(wnd, park);
        CurrentHandle = wnd;
        SetWindowHandle(nullptr);
        return;
    }
    THWB::DestroyWnd();
}

void TCustomHostedWB::TakeBackParkedWindow() noexcept {
    if (CurrentHandle && ::IsWindow(CurrentHandle)) SetWindowHandle(CurrentHandle);
    CurrentHandle = nullptr;
}

void TCustomHostedWB::BeforeDestruction() noexcept {
    FLiveness.End();
    TakeBackParkedWindow();
    THWB::BeforeDestruction();
}

void TCustomHostedWB::DefaultHandler(TMessage& m) {
    if (!HandleAllocated() && CurrentHandle) {
        m.Result = ::DefWindowProcW(CurrentHandle, m.Msg, m.WParam, m.LParam);
        return;
    }
    THWB::DefaultHandler(m);
}

} // namespace tn
