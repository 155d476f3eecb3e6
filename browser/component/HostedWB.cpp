#include "browser/component/HostedWB.h"

#include "browser/component/BrowserModule.h"
#include "browser/host/HwbControl.h"
#include "browser/host/HwbUtils.h"
#include "browser/tools/ProxyOptions.h"
#include "browser/tools/StoredSettings.h"
#include "browser/tools/ToolBasics.h"
#include "browser/tools/UrlCache.h"
#include "classlib/Application.h"
#include "classlib/Forms.h"
#include "classlib/Text.h"

#include <commctrl.h>

#include <iterator>

namespace tn {

namespace {

constexpr DISPID kRegisterAsBrowser = 552;
constexpr DISPID kReadyState = -525;
constexpr long kReadyStateComplete = 4;
constexpr DWORD kSetFeatureOnProcess = 2; // SET_FEATURE_ON_PROCESS

// The shift state of a key message: Alt from the key data, Shift and Ctrl from the keyboard.
TShiftState KeyDataToShiftState(LPARAM keyData) noexcept {
    TShiftState s = 0;
    if (::GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (::GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (keyData & 0x20000000) s |= ssAlt;
    return s;
}

} // namespace

THostedWB::THostedWB(TComponent* owner) : TCustomHostedWB(owner) {
    FAbout = L"Browser component of the launcher";
    FSilent = true;
    FResizing = false;
    FEncoding = CP_ACP;
    EnableMessageHandler = true;
    FWndProcSubClassed = false;
    FOnSetUserAgent = [this](std::wstring& agent) { return SupplyUserAgent(agent); };
    FOnHookChildWindow = [this](TObject*) { HookChildWindowsIfNeeded(); };
    SetMessageHandler(WM_HWB_REFOCUS, [this](TMessage&) {
        TForm* form = GetParentForm(this);
        if (form && dynamic_cast<THostedWB*>(form->ActiveControl())) ActivateBrowser(form);
    });
    FDestroying = false;
}

void THostedWB::AfterConstruction() {
    TCustomHostedWB::AfterConstruction();
    // Here, not in the constructor, so that a derived class's version test is the one asked.
    FWinXPSP2orLater = VersionIsXPSP2OrLater();
    FResizing = !FWinXPSP2orLater;
}

void THostedWB::BeforeDestruction() noexcept {
    FDestroying = true;
    FLiveness.End();
    // The hooks go before anything else: an owner message arriving while the rest is taken
    // down must find neither this instance's procedures nor half-released state.
    RemoveOwnerHook();
    UnhookChildWindows();
    if (FVisualEffects.TextSize != 2 && !Designing()) {
        try {
            SetZoom(2);
        } catch (...) {
            // The text size is the control's own; a control that cannot be told keeps it.
        }
    }
    FTextRange.reset();
    FTextRangeDocument.reset();
    RemoveUserAgentToken();
    TCustomHostedWB::BeforeDestruction();
}

// --- identity -----------------------------------------------------------------------------------

HRESULT THostedWB::QueryInterface(REFIID riid, void** ppv) {
    return HostQueryInterface(riid, ppv);
}
ULONG THostedWB::AddRef() {
    return HostAddRef();
}
ULONG THostedWB::Release() {
    return HostRelease();
}

void* THostedWB::QueryHostInterface(REFIID riid) noexcept {
    if (riid == IID_IInternetProtocolRoot || riid == IID_IInternetProtocol)
        return static_cast<IInternetProtocol*>(this);
    return TCustomHostedWB::QueryHostInterface(riid);
}

// --- settings -----------------------------------------------------------------------------------

void THostedWB::LoadSettings() {
    SetModified(true); // the value is not used: the write refreshes the flag
    wchar_t measure[10] = {};
    if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IMEASURE, measure,
                         static_cast<int>(std::size(measure))) == 0)
        FRuntimeMeasure = mUnknown;
    else
        FRuntimeMeasure = std::wstring(measure) == L"1" ? mUS : mMetric;
    EnableMessageHandler = true;
    if (!FWndProcSubClassed) {
        SetWindowProc([this](TMessage& m) { WndProc(m); });
        FWndProcSubClassed = true;
    }
    if (!SecurityManager) {
        // Unused by the launcher itself; a manager that cannot be made is asked for again at the
        // next load.
        auto* services = static_cast<IServiceProvider*>(this);
        if (FAILED(::CoInternetCreateSecurityManager(services, SecurityManager.put(), 0)))
            SecurityManager.reset();
        else if (FAILED(::CoInternetCreateZoneManager(services, ZoneManager.put(), 0)))
            ZoneManager.reset();
    }
    if (FDisableErrors.ScriptErrorsSuppressed) ScriptErrorAction = eaContinue;
    FDisableErrors.SetfpExceptions(FDisableErrors.fpExceptions());
    InstallOwnerHook();
    // The proxy's message box runs the program's messages, which may free this instance.
    if (FProxySettings.AutoLoadProxy && !LivesAfter([this] { RefreshProxy(); })) return;
    if (FVisualEffects.DisableSounds) {
        DisableNavSound(true);
        BrowserModuleFlags().NavSoundOff = true;
    }
    FHTMLCodeLoaded = true;
    ApplyHTMLCode();
}

void THostedWB::RefreshProxy() {
    // A copy: the bypass box runs the program's messages, which may free this instance with its
    // settings. The user's settings are then still written as asked, and put back at shutdown.
    TProxySettings p = FProxySettings;
    if (!p.UserName.empty())
        (void)p.SetProxy(p.UserAgent, p.Address, p.UserName, p.Password, p.Port);
    else
        (void)p.SetProxy(p.UserAgent, p.Address + L":" + text::IntToStr(p.Port), p.Bypass);
}

void THostedWB::DisableNavSound(bool bDisable) {
    if (BrowserMajorVersion() < 7) {
        SetNavigationSoundScheme(bDisable);
        return;
    }
    (void)SetInternetFeatureEnabled(TInternetFeatureList::DisableNavigationSounds,
                                    kSetFeatureOnProcess, bDisable);
}

// --- focus and visibility -----------------------------------------------------------------------

void THostedWB::SetFocus() {
    if (CanFocus()) TCustomHostedWB::SetFocus();
}

bool THostedWB::Focused() const {
    return ContainsFocus();
}

void THostedWB::VisibleChanged() {
    TCustomHostedWB::VisibleChanged();
    if (OnVisible) OnVisible(this, Visible());
}

// --- window procedure ---------------------------------------------------------------------------

void THostedWB::WndProc(TMessage& m) {
    // The handlers and the base procedure may free this instance: nothing of it is read then.
    const TLifeToken life = Life();
    bool passOn = true;
    if (m.Msg == WM_CLOSE && OnCloseQuery) {
        OnCloseQuery(this, passOn);
        if (!life.Alive()) return;
    }
    if (m.Msg == CN_KEYDOWN || m.Msg == CN_SYSKEYDOWN || m.Msg == CN_KEYUP ||
        m.Msg == CN_SYSKEYUP) {
        const bool down = m.Msg == CN_KEYDOWN || m.Msg == CN_SYSKEYDOWN;
        const TShiftState shift = KeyDataToShiftState(m.LParam);
        WORD key = static_cast<WORD>(m.WParam);
        if (down && HandleFolderListKey(key, shift)) {
            passOn = false;
            m.Result = 1;
        }
        const TKeyEventEx& event = down ? OnKeyDown : OnKeyUp;
        if (event) {
            event(this, key, static_cast<WORD>((m.LParam >> 16) & 0xFF), shift);
            if (!life.Alive()) return;
            if (key == 0) {
                passOn = false;
                m.Result = 1;
            }
        }
    }
    if (passOn) {
        TCustomHostedWB::WndProc(m);
        if (!life.Alive()) return;
    }
    // Enter goes on to the page as well, after the control's accelerators have seen it.
    if (EnableMessageHandler && m.Msg == CN_KEYDOWN && m.WParam == VK_RETURN) m.Result = 0;
    if (OnMessage) {
        bool handled = false;
        OnMessage(this, m, handled);
        if (!life.Alive()) return;
    }
    // A button pressed in a child window (the page) is reported to this window as a parent
    // notification; any other message whose wParam happens to be 513 or 516 is no click.
    if (m.Msg == WM_PARENTNOTIFY && OnClick) {
        const WORD event = LOWORD(m.WParam);
        if (event == WM_LBUTTONDOWN || event == WM_RBUTTONDOWN) {
            const POINT p = PointFromLParam(m.LParam);
            OnClick(this, event == WM_LBUTTONDOWN ? TMouseButton::mbLeft : TMouseButton::mbRight,
                    KeysToShift(LOWORD(m.WParam)), p.x, p.y);
            if (!life.Alive()) return;
        }
    }
    switch (m.Msg) {
    case WM_SIZE:
        FResizing = !FWinXPSP2orLater;
        break;
    case WM_WINDOWPOSCHANGING:
        if (FResizing) {
            auto* pos = reinterpret_cast<WINDOWPOS*>(m.LParam);
            if (pos && (pos->flags & (SWP_NOSIZE | SWP_NOMOVE))) {
                if (!(pos->flags & SWP_NOMOVE)) {
                    pos->flags |= SWP_NOMOVE;
                    if (OnMove) OnMove(this, pos->x, pos->y);
                }
                if (!(pos->flags & SWP_NOSIZE)) {
                    pos->flags |= SWP_NOSIZE;
                    if (OnResize) OnResize(this, pos->cx, pos->cy);
                }
            }
        }
        break;
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTCHARS;
        break;
    default:
        break;
    }
}

bool THostedWB::HandleFolderListKey(WORD key, TShiftState shift) noexcept {
    UINT direction = 0;
    switch (key) {
    case VK_LEFT:
        direction = LVNI_TOLEFT;
        break;
    case VK_UP:
        direction = LVNI_ABOVE;
        break;
    case VK_RIGHT:
        direction = LVNI_TORIGHT;
        break;
    case VK_DOWN:
        direction = LVNI_BELOW;
        break;
    default:
        return false;
    }
    const HWND list = GetIEWin(L"SysListView32");
    if (!list) return false;
    const auto focused = static_cast<int>(
        ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    const auto next = static_cast<int>(
        ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(focused), direction));
    if (next < 0) return true;
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    if (!(shift & ssShift)) {
        state.state = 0;
        ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(focused),
                       reinterpret_cast<LPARAM>(&state));
    }
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(next),
                   reinterpret_cast<LPARAM>(&state));
    ::SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(next), FALSE);
    ::SendMessageW(list, WM_SETFOCUS, 0, 0);
    return true;
}

// --- navigation and waiting ---------------------------------------------------------------------

void THostedWB::Stop() noexcept {
    FStopped = true;
    if (IWebBrowser2* browser = DefaultInterface()) (void)browser->Stop();
}

void THostedWB::ClearCache() noexcept {
    DeleteAllCacheEntries();
}

long THostedWB::ReadyState() const {
    return static_cast<long>(VariantToInt(GetProperty(kReadyState).get()));
}

bool THostedWB::VersionIsXPSP2OrLater() const noexcept {
    return IsWinXPSP2OrLater();
}

int THostedWB::BrowserMajorVersion() const noexcept {
    return GetBrowserMajorVersion();
}

bool THostedWB::RunWaitLoop(DWORD TimeOut, const std::function<bool()>& waiting) {
    // The handler and the messages the loop pumps may free this instance: from then on only the
    // token is read, and the wait fails, for there is nothing left to go on with.
    const TLifeToken life = Life();
    const DWORD start = ::GetTickCount();
    bool failed = false;
    while (!FDestroying && waiting()) {
        bool cancel = false;
        if (OnBusyWait) {
            // A copy: the member goes with the instance the handler may free.
            const TOnBusyWait handler = OnBusyWait;
            handler(this, start, TimeOut, cancel);
            if (!life.Alive()) return false;
        }
        if (FStopped || cancel || (TimeOut > 0 && ::GetTickCount() - start > TimeOut)) {
            failed = true;
            break;
        }
        if (tn::Application->Terminated()) break;
        tn::Application->ProcessMessages();
        if (!life.Alive()) return false;
        if (tn::Application->Terminated()) break;
        // At most a millisecond, sooner when input arrives.
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    FStopped = false;
    return !failed;
}

bool THostedWB::Wait(DWORD TimeOut) {
    if (!HandleAllocated()) return true;
    return RunWaitLoop(TimeOut, [this] { return ReadyState() != kReadyStateComplete; });
}

bool THostedWB::WaitWhileBusy(DWORD TimeOut) {
    return RunWaitLoop(TimeOut, [this] { return Busy(); });
}

HWND THostedWB::ControlWindow() const noexcept {
    const auto inPlace = ComPtr<IOleObject>(OleObject()).as<IOleInPlaceObject>();
    HWND wnd = nullptr;
    if (!inPlace || FAILED(inPlace->GetWindow(&wnd))) return nullptr;
    return wnd;
}

// --- document -----------------------------------------------------------------------------------

ComPtr<IHTMLDocument2> THostedWB::GetDocument() {
    if (!LivesAfterWait()) return nullptr;
    ComPtr<IHTMLDocument2> doc;
    return DocumentLoaded(doc) ? doc : nullptr;
}

HRESULT THostedWB::SaveToFile(const std::wstring& FileName) {
    try {
        // Nothing was saved by an instance the wait freed.
        if (!LivesAfterWait()) return E_ABORT;
        const auto persist = Document().as<IPersistFile>();
        if (!persist) return S_FALSE;
        return persist->Save(FileName.c_str(), FALSE);
    } catch (const EOleSysError& e) {
        return e.ErrorCode();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

// --- properties ---------------------------------------------------------------------------------

void THostedWB::SetSilent(bool value) {
    FSilent = value;
    THWB::SetSilent(value);
}

bool THostedWB::RegisterAsBrowser() const {
    return VariantToBool(GetProperty(kRegisterAsBrowser).get());
}

void THostedWB::SetRegisterAsBrowser(bool value) {
    SetProperty(kRegisterAsBrowser, OleVariant(value).get());
}

HWND THostedWB::Hwnd() {
    if (!HandleAllocated()) return nullptr;
    const HWND server = GetIEWin(L"Internet Explorer_Server");
    if (server && ::IsWindow(server)) return server;
    return GetIEWin(L"SysListView32");
}

void THostedWB::SetModified(bool) {
    if (FModified || ReadyState() != kReadyStateComplete) return;
    const auto doc = Doc2();
    if (!doc) return;
    VARIANT_BOOL enabled = VARIANT_FALSE;
    OleCheck(doc->queryCommandEnabled(Bstr(L"Undo").get(), &enabled));
    FModified = enabled != VARIANT_FALSE;
}

bool THostedWB::DocumentDesignMode() const {
    const auto doc = Doc2();
    if (!doc) return false;
    Bstr mode;
    OleCheck(doc->get_designMode(mode.put()));
    return mode.str() == L"On";
}

void THostedWB::SetDocumentDesignMode(bool value) {
    const auto doc = Doc2();
    if (!doc) return;
    OleCheck(doc->put_designMode(Bstr(value ? L"On" : L"Off").get()));
}

} // namespace tn
