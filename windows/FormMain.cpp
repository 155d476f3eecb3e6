#include "windows/FormMain.h"

#include "Deploy.h"
#include "classlib/Dialogs.h"
#include "classlib/IniFile.h"
#include "services/PublicUnit.h"
#include "windows/FormBack.h"
#include "windows/FormLogin.h"
#include "windows/Launcher.h"
#include "windows/Layouts.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace tn {
namespace {

constexpr wchar_t kTrayTip[] = L"单击左键或右键";
constexpr std::wstring_view kLoadGameMarker = L"client://loadgame|";
// SC_MOVE + 1: the system's move loop, driven by the mouse.
constexpr WPARAM kSysCommandDrag = 0xF011;
constexpr TColor kBackgroundColor = 0x4E8395;
constexpr TColor kTitleTextColor = clWhite;
// The keyboard messages, key down to Unicode character.
constexpr UINT kFirstKeyMessage = 256, kLastKeyMessage = 265;
constexpr LPARAM kExtendedKey = 0x1000000;

void TitleFont(TFont& font) {
    font.SetName(L"微软雅黑");
    font.SetHeight(-13);
    font.SetColor(kTitleTextColor);
}

// The cache walks under way. Never destroyed: a walk ends after the static objects' teardown has
// begun only when nothing stopped it, and must not find its list gone.
struct TCacheWalks {
    std::mutex lock;
    std::condition_variable ended;
    std::vector<TClearCacheThread*> running;
};
TCacheWalks& CacheWalks() {
    static TCacheWalks& walks = *new TCacheWalks;
    return walks;
}

} // namespace

TClearCacheThread::TClearCacheThread(const TInternetClientCalls& calls) : FCalls(calls) {
    TCacheWalks& walks = CacheWalks();
    const std::lock_guard hold(walks.lock);
    walks.running.push_back(this);
}

TClearCacheThread::~TClearCacheThread() {
    TCacheWalks& walks = CacheWalks();
    const std::lock_guard hold(walks.lock);
    std::erase(walks.running, this);
    walks.ended.notify_all();
}

void TClearCacheThread::StopAll() noexcept {
    TCacheWalks& walks = CacheWalks();
    std::unique_lock hold(walks.lock);
    for (TClearCacheThread* walk : walks.running)
        walk->Terminate();
    walks.ended.wait(hold, [&] { return walks.running.empty(); });
}

void TClearCacheThread::Execute() {
    // Asked between two entries, so that the program's end stops the walk.
    DeleteAllCacheEntries(FCalls, [this] { return Terminated(); });
}

TFormMain::TFormMain(TComponent* owner) : TForm(owner), FTray(kTrayTip) {
    SetName(L"FormMain");
    SetBounds(0, 0, 936, 565);

    pnlTitle = TComponent::Create<TPanel>(*this);
    pnlTitle->SetName(L"pnlTitle");
    pnlTitle->SetParent(this);
    pnlTitle->SetHeight(37);
    pnlTitle->SetAlign(TAlign::alTop);
    pnlTitle->SetBevelOuter(TBevelCut::bvNone);
    pnlTitle->DoubleBuffered = true;
    pnlTitle->ParentBackground = false;

    imgTitleLeft = TComponent::Create<TImage>(*this);
    imgTitleLeft->SetName(L"imgTitleLeft");
    imgTitleLeft->SetParent(pnlTitle);
    imgTitleLeft->SetAlign(TAlign::alClient);
    imgTitleLeft->SetStretch(true);
    imgTitleLeft->SetTransparent(true);
    imgTitleLeft->Picture().LoadFromResource(L"MAIN_TITLE");
    imgTitleLeft->OnDblClick = [this](TObject* s) { imgMaxClick(s); };
    imgTitleLeft->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) {
        imgTitleLeftMouseMove(s, sh, x, y);
    };

    img1 = TComponent::Create<TImage>(*this);
    img1->SetName(L"img1");
    img1->SetParent(pnlTitle);
    img1->SetBounds(7, -2, 40, 35);
    img1->SetStretch(true);
    img1->SetTransparent(true);
    img1->Picture().LoadFromResource(L"MAIN_LOGO");
    img1->OnDblClick = [this](TObject* s) { imgMaxClick(s); };

    lblwebtitle = TComponent::Create<TLabel>(*this);
    lblwebtitle->SetName(L"lblwebtitle");
    lblwebtitle->SetParent(pnlTitle);
    lblwebtitle->SetConstraints({0, 0, 350, 0});
    TitleFont(lblwebtitle->Font());
    lblwebtitle->SetTransparent(true);
    lblwebtitle->SetBounds(55, 5, lblwebtitle->Width(), lblwebtitle->Height());
    lblwebtitle->OnDblClick = [this](TObject* s) { imgMaxClick(s); };

    lblBackservicelist = TComponent::Create<TLabel>(*this);
    lblBackservicelist->SetName(L"lblBackservicelist");
    lblBackservicelist->SetParent(pnlTitle);
    lblBackservicelist->SetConstraints({0, 0, 200, 0});
    lblBackservicelist->SetCursor(TCursor::crHandPoint);
    TitleFont(lblBackservicelist->Font());
    lblBackservicelist->SetTransparent(true);
    lblBackservicelist->SetBounds(159, 5, lblBackservicelist->Width(),
                                  lblBackservicelist->Height());
    lblBackservicelist->OnClick = [this](TObject* s) { lblBackservicelistClick(s); };
    lblBackservicelist->OnDblClick = [this](TObject* s) { lblBackservicelistClick(s); };
    lblBackservicelist->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x,
                                           int y) { lblBackservicelistMouseUp(s, b, sh, x, y); };
    lblBackservicelist->OnMouseEnter = [this](TObject* s) { lblBackservicelistMouseEnter(s); };
    lblBackservicelist->OnMouseLeave = [this](TObject* s) { lblBackservicelistMouseLeave(s); };

    // The title-bar buttons, right to left; all but the close button take their picture's size.
    const auto button = [this](const wchar_t* name, const wchar_t* pictures, int left, int width,
                               int height, void (TFormMain::*click)(TObject*)) {
        auto* b = TComponent::Create<TZorButton>(*this);
        b->SetName(name);
        b->SetParent(pnlTitle);
        b->SetBounds(left, 2, width, height);
        b->SetAnchors(akTop | akRight);
        b->SetCursor(TCursor::crHandPoint);
        b->SetTxtColorNormal(clBlack);
        b->SetTxtColorMouseOver(clBlack);
        b->SetTxtColorMouseDown(clBlack);
        b->SetTxtColorDisable(clBlack);
        b->SetPictureNormal(ResourcePicture(std::wstring(pictures) + L"_NORMAL"));
        b->SetPictureMouseOver(ResourcePicture(std::wstring(pictures) + L"_OVER"));
        b->OnClick = [this, click](TObject* s) { (this->*click)(s); };
        return b;
    };
    imgClose = button(L"imgClose", L"MAIN_CLOSE", 900, 34, 26, &TFormMain::imgCloseClick);
    imgMax = button(L"imgMax", L"MAIN_MAX", 872, 28, 24, &TFormMain::imgMaxClick);
    imgMax->SetPictureCheckNormal(ResourcePicture(L"MAIN_MAX_CHECK_NORMAL"));
    imgMax->SetPictureCheckMouseOver(ResourcePicture(L"MAIN_MAX_CHECK_OVER"));
    imgMax->SetPictureCheckMouseDown(ResourcePicture(L"MAIN_MAX_CHECK_DOWN"));
    imgMin = button(L"imgMin", L"MAIN_MIN", 845, 27, 24, &TFormMain::imgMinClick);
    imgBossKey = button(L"imgBossKey", L"MAIN_BOSSKEY", 816, 29, 24, &TFormMain::imgBossKeyClick);
    imgSetting = button(L"imgSetting", L"MAIN_SETTING", 728, 60, 24, &TFormMain::imgSettingClick);
    imgBbs = button(L"imgBbs", L"MAIN_BBS", 665, 57, 24, &TFormMain::imgBbsClick);
    imgHomePage =
        button(L"imgHomePage", L"MAIN_HOMEPAGE", 602, 57, 24, &TFormMain::imgHomePageClick);
    imgPay = button(L"imgPay", L"MAIN_PAY", 536, 60, 24, &TFormMain::imgPayClick);
    imgService = button(L"imgService", L"MAIN_SERVICE", 470, 60, 24, &TFormMain::imgServiceClick);
    for (TZorButton* b :
         {imgMax, imgMin, imgBossKey, imgSetting, imgBbs, imgHomePage, imgPay, imgService})
        b->SetAutoSize(true);

    imgFoot = TComponent::Create<TImage>(*this);
    imgFoot->SetName(L"imgFoot");
    imgFoot->SetParent(this);
    imgFoot->SetBounds(0, 561, 936, 11);
    imgFoot->SetAnchors(akLeft | akRight | akBottom);
    imgFoot->SetStretch(true);
    imgFoot->Picture().LoadFromResource(L"MAIN_FOOT");

    Panel1 = TComponent::Create<TPanel>(*this);
    Panel1->SetName(L"Panel1");
    Panel1->SetParent(this);
    Panel1->SetAlign(TAlign::alCustom);
    Panel1->SetBevelOuter(TBevelCut::bvNone);
    Panel1->ParentBackground = false;

    popmenuSetting = TComponent::Create<TPopupMenu>(*this);
    popmenuSetting->SetName(L"popmenuSetting");
    popmenuSetting->AutoHotkeys = false;
    popmenuSetting->OnPopup = [this](TObject* s) { popmenuSettingPopup(s); };
    mitemFresh = popmenuSetting->Items().Add(L"刷新", [this](TObject* s) { mitemFreshClick(s); });
    mitemFresh->SetName(L"mitemFresh");
    mitemClearCache =
        popmenuSetting->Items().Add(L"清理缓存", [this](TObject* s) { mitemClearCacheClick(s); });
    mitemClearCache->SetName(L"mitemClearCache");
    mniStartup =
        popmenuSetting->Items().Add(L"开机启动", [this](TObject* s) { mniStartupClick(s); });
    mniStartup->SetName(L"mniStartup");

    ApplicationEvents1 = TComponent::Create<TApplicationEvents>(*this);
    ApplicationEvents1->SetName(L"ApplicationEvents1");
    ApplicationEvents1->OnMessage = [this](MSG& msg, bool& handled) {
        ApplicationEvents1Message(msg, handled);
    };

    pmtaskbar = TComponent::Create<TPopupMenu>(*this);
    pmtaskbar->SetName(L"pmtaskbar");
    pmtaskbar->AutoHotkeys = false;
    N1 = pmtaskbar->Items().Add(L"打开", [this](TObject* s) { N1Click(s); });
    N1->SetName(L"N1");
    N2 = pmtaskbar->Items().Add(L"退出", [this](TObject* s) { N2Click(s); });
    N2->SetName(L"N2");

    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnDestroy = [this](TObject* s) { FormDestroy(s); };
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
    OnResize = [this](TObject* s) { FormResize(s); };
    FormResize(this);

    Bind(WM_REVIGATE, &TFormMain::WMRevigate);
    Bind(WM_GETMINMAXINFO, &TFormMain::WMGetMinMaxInfo);
    Bind(WM_WINDOWPOSCHANGING, &TFormMain::WMWindowPosChanging);
    Bind(WM_SYSCOMMAND, &TFormMain::WMSysCommand);
    Bind(WM_BARICON, &TFormMain::WMBarIconClick);
    Bind(WM_TIMER, &TFormMain::WMTimer);
    if (const UINT taskbarCreated = TaskbarCreatedMessage())
        Bind(taskbarCreated, &TFormMain::WMTaskbarCreated);
}

void TFormMain::CreateParams(TCreateParams& params) {
    TForm::CreateParams(params);
    params.ExStyle |= WS_EX_APPWINDOW;
    params.WndParent = ::GetDesktopWindow();
}

void TFormMain::BeforeDestruction() noexcept {
    // The tray icon goes with the window; the shell would otherwise keep one whose window is gone.
    if (HandleAllocated()) DisposBarIco();
    if (FormMain == this) FormMain = nullptr;
    TForm::BeforeDestruction();
}

// --- creation and the frame ---------------------------------------------------------------------

void TFormMain::FormCreate(TObject*) {
    (void)AddNewFrame();
    SetColor(kBackgroundColor);
    SetCaption(kProductName);
    SetBorderStyle(TBorderStyle::bsNone);
    SetIcon(Application->Icon());
    const HWND wnd = Handle();
    ::SetWindowLongW(wnd, GWL_STYLE,
                     ::GetWindowLongW(wnd, GWL_STYLE) | WS_MAXIMIZEBOX | WS_MINIMIZEBOX |
                         WS_SYSMENU);
    imgMax->SetCheck(true);
    SetWindowState(TWindowState::wsMaximized);
    SetAlign(TAlign::alClient);
    lblBackservicelist->SetCaption(L"【返回服务器列表】");
}

TFrameWeb* TFormMain::MakeFrame(TComponent& owner) {
    return TComponent::Create<TFrameWeb>(owner);
}

TFrameWeb* TFormMain::AddNewFrame() {
    TFrameWeb* frame = MakeFrame(*Panel1);
    frame->SetParent(Panel1);
    frame->SetAlign(TAlign::alClient);
    // Before the first navigation, so that the game page's own requests are seen from the start.
    frame->hostedwb->OnBeforeNavigate2 = [this](TObject* s, IDispatch* d, VARIANT& url,
                                                VARIANT& flags, VARIANT& target, VARIANT& post,
                                                VARIANT& headers, bool& cancel) {
        FrameBeforeNavigate2(s, d, url, flags, target, post, headers, cancel);
    };
    frame->hostedwb->Navigate(GameUrl);
    NewFrame = frame;
    return frame;
}

void TFormMain::FormResize(TObject*) {
    if (!Panel1 || !pnlTitle) return;
    Panel1->SetBounds(-2, pnlTitle->Top() + pnlTitle->Height() - 2, Width() + 4,
                      Height() - pnlTitle->Height() + 3);
}

void TFormMain::FrameBeforeNavigate2(TObject*, IDispatch*, VARIANT& URL, VARIANT&, VARIANT&,
                                     VARIANT&, VARIANT&, bool& Cancel) {
    const std::wstring url = VariantToString(URL);
    if (!url.starts_with(kLoadGameMarker)) return;
    FRevigateUrl = url.substr(kLoadGameMarker.size());
    ::PostMessageW(Handle(), WM_REVIGATE, 0, 0);
    Cancel = true;
}

void TFormMain::WMRevigate(TWMNoParams&) {
    if (!NewFrame) return;
    THostedWB& browser = *NewFrame->hostedwb;
    if (browser.Busy()) browser.Stop();
    browser.Navigate(L"about:blank");
    browser.Navigate(FRevigateUrl);
}

void TFormMain::FormDestroy(TObject*) {
    if (!NewFrame) return;
    try {
        THostedWB& browser = *NewFrame->hostedwb;
        if (browser.Busy()) browser.Stop();
        browser.Navigate(L"about:blank");
    } catch (...) {
        // The frame goes in any case; a browser that cannot be blanked is freed as it is.
    }
    TComponent::Free(NewFrame);
    NewFrame = nullptr;
}

void TFormMain::FormClose(TObject*, TCloseAction& Action) {
    Action = TCloseAction::caFree;
    if (FormBack && FormBack->InTray()) {
        // Handed over from the tray (a start at logon whose page went on by itself): back as the
        // tray's "打开" brings the windows, not as a minimized tool window with its icon.
        FormBack->Restore();
    } else {
        if (FormLogin) FormLogin->Show();
        if (FormBack) FormBack->Show();
    }
    // The background's show activated it, but the page to type into is the login window's: its
    // activation gives the page the focus.
    if (FormLogin && FormLogin->Visible()) ::SetActiveWindow(FormLogin->Handle());
    if (FormMain == this) FormMain = nullptr;
}

// --- title bar ----------------------------------------------------------------------------------

void TFormMain::imgCloseClick(TObject*) {
    Close();
}

void TFormMain::lblBackservicelistClick(TObject*) {
    Close();
}

void TFormMain::imgMinClick(TObject*) {
    SetWindowState(TWindowState::wsMinimized);
}

void TFormMain::imgMaxClick(TObject*) {
    if (WindowState() == TWindowState::wsMaximized) {
        imgMax->SetCheck(false);
        SetAlign(TAlign::alNone);
        SetWindowState(TWindowState::wsNormal);
        SetWidth(1026);
        SetHeight(717);
        // Centred on its monitor, its top edge 2 pixels below a taskbar at the top.
        const TMonitorArea monitor = MonitorArea();
        const int monitorWidth = monitor.Bounds.right - monitor.Bounds.left;
        SetLeft(monitor.Bounds.left +
                static_cast<int>(std::lrint(monitorWidth / 2.0 - Width() / 2.0)));
        SetTop(monitor.WorkArea.top + 2);
    } else {
        imgMax->SetCheck(true);
        SetAlign(TAlign::alClient);
        SetWindowState(TWindowState::wsMaximized);
    }
}

void TFormMain::imgTitleLeftMouseMove(TObject*, TShiftState Shift, int, int) {
    if (Shift != ssLeft) return;
    ::ReleaseCapture();
    // The pointer's screen position goes along, as with a move chosen by the mouse.
    POINT p{};
    ::GetCursorPos(&p);
    ::SendMessageW(Handle(), WM_SYSCOMMAND, kSysCommandDrag, MAKELPARAM(p.x, p.y));
}

void TFormMain::imgBossKeyClick(TObject*) {
    ::SendMessageW(Handle(), WM_SYSCOMMAND, SC_HIDETOTRAY, 0);
}

void TFormMain::imgSettingClick(TObject*) {
    const POINT p = pnlTitle->ClientToScreen({imgSetting->Left(), imgSetting->Top() + 25});
    popmenuSetting->Popup(p.x, p.y);
}

void TFormMain::lblBackservicelistMouseEnter(TObject*) {
    lblBackservicelist->Font().SetStyle(lblBackservicelist->Font().Style() | fsUnderline);
}

void TFormMain::lblBackservicelistMouseLeave(TObject*) {
    lblBackservicelist->Font().SetStyle(lblBackservicelist->Font().Style() & ~fsUnderline);
}

void TFormMain::lblBackservicelistMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    lblBackservicelist->Font().SetStyle(lblBackservicelist->Font().Style() & ~fsUnderline);
}

void TFormMain::OpenPage(const std::wstring& url) {
    OpenUrl(Handle(), url, FShellExecute);
}

void TFormMain::imgBbsClick(TObject*) {
    OpenPage(std::wstring(deploy::kPlatformServer) + L"/forum.php?gid=147");
}

void TFormMain::imgHomePageClick(TObject*) {
    OpenPage(std::wstring(deploy::kPlatformServer) + L"/tn/");
}

void TFormMain::imgPayClick(TObject*) {
    std::wstring url = GetPayUrl();
    // No server id yet: the platform's own pay page.
    if (url.empty())
        url = std::wstring(deploy::kPlatformServer) + L"/action/redirect_pay.php?gid=" + kGameId;
    OpenPage(url);
}

void TFormMain::imgServiceClick(TObject*) {
    OpenPage(std::wstring(deploy::kPlatformServer) + L"/action/redirect_kf.php");
}

// --- settings menu ------------------------------------------------------------------------------

void TFormMain::popmenuSettingPopup(TObject*) {
    mniStartup->Checked = IsAutoRunSet();
}

void TFormMain::mitemFreshClick(TObject*) {
    if (!NewFrame) return;
    try {
        NewFrame->hostedwb->Refresh();
    } catch (...) {
        // A page that cannot be reloaded stays as it is; the menu says nothing.
    }
}

const TInternetClientCalls& TFormMain::CacheCalls() const noexcept {
    return SystemInternetClient();
}

void TFormMain::mitemClearCacheClick(TObject*) {
    TThread::StartFreeOnTerminate<TClearCacheThread>(CacheCalls());
    // At once, as the user expects it; the walk may still be running.
    ShowMessage(L"缓存清除完毕！");
}

void TFormMain::mniStartupClick(TObject*) {
    if (IsAutoRunSet())
        RemoveAutoRun(Application->Title());
    else
        SetAutoRun(Application->Title());
    (void)WriteIniValue(GetIniPath(false), L"Operate", L"ManualAutoRun", L"1");
}

// --- size limits and the tray -------------------------------------------------------------------

void TFormMain::WMGetMinMaxInfo(TWMGetMinMaxInfo& Msg) {
    // The work area of the monitor the window is on, whatever covers the rest of it (a taskbar at
    // any edge, or none there); the position counts from the monitor's corner. The system reads
    // the size as the primary monitor's and, on a larger monitor, grows it by the difference, past
    // a work area that a taskbar cuts: there the tracking size holds it to the work area.
    if (Msg.MinMaxInfo) {
        MINMAXINFO& info = *Msg.MinMaxInfo;
        const TMonitorArea monitor = MonitorArea();
        const RECT& work = monitor.WorkArea;
        info.ptMaxSize = {work.right - work.left, work.bottom - work.top};
        info.ptMaxPosition = {work.left - monitor.Bounds.left, work.top - monitor.Bounds.top};
        if (monitor.Bounds.right - monitor.Bounds.left > monitor.Primary.cx)
            info.ptMaxTrackSize.x = info.ptMaxSize.x;
        if (monitor.Bounds.bottom - monitor.Bounds.top > monitor.Primary.cy)
            info.ptMaxTrackSize.y = info.ptMaxSize.y;
    }
    Dispatch(Msg.Raw);
}

void TFormMain::WMWindowPosChanging(TWMNoParams& Msg) {
    // The system holds only windows with a sizing border to their tracking size; this one has
    // none, so while maximized it holds itself, as the system would.
    auto* const pos = reinterpret_cast<WINDOWPOS*>(Msg.Raw.LParam);
    if (pos && !(pos->flags & SWP_NOSIZE) && ::IsZoomed(pos->hwnd)) {
        MINMAXINFO info{};
        info.ptMaxTrackSize = {::GetSystemMetrics(SM_CXMAXTRACK),
                               ::GetSystemMetrics(SM_CYMAXTRACK)};
        ::SendMessageW(pos->hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        pos->cx = std::min(pos->cx, static_cast<int>(info.ptMaxTrackSize.x));
        pos->cy = std::min(pos->cy, static_cast<int>(info.ptMaxTrackSize.y));
    }
    Dispatch(Msg.Raw);
}

void TFormMain::DisposBarIco() {
    FTray.Remove(Handle(), Application->Icon());
}

void TFormMain::WMSysCommand(TWMSysCommand& Msg) {
    if (Msg.CmdType != SC_HIDETOTRAY) {
        DefaultHandler(Msg.Raw);
        return;
    }
    FTray.Add(Handle(), Application->Icon());
    Hide();
}

void TFormMain::WMTaskbarCreated(TWMNoParams& Msg) {
    // A new taskbar has none of the old icons: without this one the window is out of reach.
    FTray.TaskbarCreated(Handle(), Application->Icon());
    Msg.Raw.Result = 0;
}

void TFormMain::WMTimer(TWMTimer& Msg) {
    if (!FTray.Timer(Handle(), Application->Icon(), Msg.TimerID)) Dispatch(Msg.Raw);
}

void TFormMain::WMBarIconClick(TWMNotifyIcon& Msg) {
    if (Msg.MouseMsg == WM_LBUTTONDOWN) {
        DisposBarIco();
        ShowNoActivate();
    }
    if (Msg.MouseMsg == WM_RBUTTONDOWN) {
        ::SetForegroundWindow(Handle());
        POINT p{};
        ::GetCursorPos(&p);
        pmtaskbar->Popup(p.x, p.y);
    }
}

void TFormMain::N1Click(TObject*) {
    ShowNoActivate();
    DisposBarIco();
}

void TFormMain::N2Click(TObject*) {
    DisposBarIco();
    Close();
}

// --- routing of the game page's keys and right mouse button -------------------------------------

bool TFormMain::CallFrameScript(int x, int y, const std::wstring& name) noexcept {
    // The page call hands its first argument over as the function's second.
    return NewFrame && NewFrame->PageScript(y, x, name);
}

void TFormMain::ApplicationEvents1Message(MSG& Msg, bool& Handled) noexcept {
    try {
        Handled = RouteMessage(Msg);
    } catch (...) {
        // A browser that cannot say whether it is busy takes nothing: the message goes the
        // ordinary way.
        Handled = false;
    }
}

bool TFormMain::RouteMessage(MSG& msg) {
    // Any release of the right button ends a drag, wherever it lands: one lost while the page
    // was busy would otherwise leave every later move taken for a drag.
    if (msg.message == WM_RBUTTONUP) FRightMouseDown = false;
    if (!NewFrame) return false;
    THostedWB& browser = *NewFrame->hostedwb;
    const HWND wnd = browser.HandleIfAllocated();
    if (!wnd || !msg.hwnd || !::IsChild(wnd, msg.hwnd) || browser.Busy()) return false;

    if (msg.message >= kFirstKeyMessage && msg.message <= kLastKeyMessage) {
        const WPARAM key = msg.wParam;
        const bool arrowOrDelete = (key >= VK_LEFT && key <= VK_DOWN) || key == VK_DELETE;
        if (!(key == VK_BACK || key == VK_TAB || key == VK_RETURN ||
              ::GetKeyState(VK_CONTROL) < 0 || (arrowOrDelete && (msg.lParam & kExtendedKey))))
            return false;
        // Through the class library's own way to the in-place object, so that the key is
        // offered once: one it does not take goes to the page from here.
        const std::optional<HRESULT> hr = browser.TranslateKeyMessage(msg);
        if (!hr) return false;
        if (*hr == S_OK) return true;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
        return true;
    }

    const int x = LOWORD(msg.lParam);
    const int y = HIWORD(msg.lParam);
    switch (msg.message) {
    case WM_RBUTTONDOWN:
        FRightMouseDown = true;
        (void)CallFrameScript(x, y, L"jjssyyllDown");
        return true;
    case WM_MOUSEMOVE:
        // Only while the button is really held: its release may have gone to another window.
        if (!FRightMouseDown || !(msg.wParam & MK_RBUTTON)) return false;
        (void)CallFrameScript(x, y, L"jjssyyllMove");
        return true;
    case WM_RBUTTONUP:
        (void)CallFrameScript(x, y, L"jjssyyllUp");
        return true;
    default:
        return false;
    }
}

// --- the hand-over ------------------------------------------------------------------------------

TFormMain* ShowGameWindow() {
    auto* window = TComponent::Create<TFormMain>(*Application);
    FormMain = window;
    window->Show();
    return window;
}

} // namespace tn
