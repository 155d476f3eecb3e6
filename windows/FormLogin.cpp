#include "windows/FormLogin.h"

#include "Deploy.h"
#include "classlib/Application.h"
#include "classlib/ComPtr.h"
#include "classlib/CommandLine.h"
#include "classlib/Dialogs.h"
#include "classlib/FileUtil.h"
#include "classlib/Fpu.h"
#include "classlib/IniFile.h"
#include "classlib/MemoryStream.h"
#include "classlib/Text.h"
#include "services/PublicUnit.h"
#include "services/Shell.h"
#include "services/Statistics.h"
#include "windows/FormBack.h"
#include "windows/FormMain.h"
#include "windows/Launcher.h"
#include "windows/Layouts.h"

#include <mshtml.h>

namespace tn {

namespace {

constexpr int kWindowWidth = 1024;
constexpr int kWindowHeight = 651;
constexpr RECT kBrowserArea{328, 175, 931, 554};
constexpr int kBrowserWidth = kBrowserArea.right - kBrowserArea.left;
constexpr int kBrowserHeight = kBrowserArea.bottom - kBrowserArea.top;
constexpr RECT kMinButton{865, 155, 885, 175};
constexpr RECT kCloseButton{889, 155, 909, 175};
constexpr TColor kInfoBackground = 528421; // 0x081025
constexpr wchar_t kLoadingText[] = L"正在为您加载资源，请稍后...";
constexpr wchar_t kNetworkErrorText[] = L"您的网络出现异常，请检查，谢谢！";
constexpr wchar_t kPlayPageMarker[] = L"wd_play_1016.php";
constexpr UINT kRetryDelayMs = 5000;

std::wstring PayRedirectUrl() {
    return std::wstring(deploy::kPlatformServer) + L"/action/redirect_pay.php?gid=" + kGameId;
}

// Half of diff rounded to the nearest integer, halves to the even neighbour (the layout's
// rounding).
int HalfRounded(int diff) noexcept {
    int q = diff >= 0 ? diff / 2 : -((1 - diff) / 2); // floor
    if ((diff & 1) && (q & 1)) ++q;
    return q;
}

// The same COM object: the control names the top-level navigation by its own automation object,
// a frame's by the frame's.
bool SameObject(IDispatch* a, IUnknown* b) noexcept {
    if (!a || !b) return false;
    const ComPtr<IUnknown> ua = ComPtr<IDispatch>(a).asUnknown();
    const ComPtr<IUnknown> ub = ComPtr<IUnknown>(b).asUnknown();
    return ua && ua.get() == ub.get();
}

} // namespace

// --- login window -------------------------------------------------------------------------------

TFormLogin::TFormLogin(TComponent* owner) : TFormLogin(owner, TSeams{}) {}

TFormLogin::TFormLogin(TComponent* owner, TSeams seams)
    : TForm(owner), FShellExecute(seams.shellExecute),
      FShowGame(seams.ShowGame ? std::move(seams.ShowGame) : [] { (void)ShowGameWindow(); }) {
    // The layout.
    SetName(L"FormLogin");
    SetBorderStyle(TBorderStyle::bsNone);
    SetAlphaBlend(true);
    SetAlphaBlendValue(255);
    SetTransparentColor(true);
    SetPosition(TPosition::poDesktopCenter);

    lblNavigateInfos = TComponent::Create<TLabel>(*this);
    lblNavigateInfos->SetName(L"lblNavigateInfos");
    lblNavigateInfos->SetParent(this);
    lblNavigateInfos->SetTransparent(false);
    lblNavigateInfos->SetColor(kInfoBackground);
    lblNavigateInfos->Font().SetName(L"微软雅黑");
    lblNavigateInfos->Font().SetHeight(-21);
    lblNavigateInfos->Font().SetColor(clYellow);
    lblNavigateInfos->SetCaption(kLoadingText);

    const auto button = [this](const wchar_t* name, const wchar_t* picture, TNotifyEvent click) {
        auto* b = TComponent::Create<TZorButton>(*this);
        b->SetName(name);
        b->SetParent(this);
        b->SetCursor(TCursor::crHandPoint);
        b->SetPictureNormal(ResourcePicture(std::wstring(picture) + L"_NORMAL"));
        b->SetPictureMouseOver(ResourcePicture(std::wstring(picture) + L"_OVER"));
        b->OnClick = std::move(click);
        return b;
    };
    imgClose = button(L"imgClose", L"LOGIN_CLOSE", [this](TObject* s) { imgCloseClick(s); });
    imgMin = button(L"imgMin", L"LOGIN_MIN", [this](TObject* s) { imgMinClick(s); });

    browser =
        seams.CreateBrowser ? seams.CreateBrowser(*this) : TComponent::Create<THostedWB>(*this);
    browser->SetName(L"browser");
    browser->SetParent(this);
    browser->SetBounds(216, 144, 490, 358);
    ApplyLayoutBrowserSettings(*browser, kPageDialogOptions);
    browser->OnBeforeNavigate2 = [this](TObject* s, IDispatch* d, VARIANT& url, VARIANT& flags,
                                        VARIANT& frame, VARIANT& post, VARIANT& headers,
                                        bool& cancel) {
        browserBeforeNavigate2(s, d, url, flags, frame, post, headers, cancel);
    };
    browser->OnDocumentComplete = [this](TObject* s, IDispatch* d, VARIANT& url) {
        browserDocumentComplete(s, d, url);
    };
    browser->OnNavigateError = [this](TObject* s, IDispatch* d, VARIANT& url, VARIANT& frame,
                                      VARIANT& status, bool& cancel) {
        browserNavigateError(s, d, url, frame, status, cancel);
    };

    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
    Bind(WM_NCHITTEST, &TFormLogin::FormDragMsg);
    Bind(WM_NAVIGATERETRY, &TFormLogin::WMNavigateRetry);
    Bind(WM_TIMER, &TFormLogin::WMTimer);
    Bind(WM_SYSCOMMAND, &TFormLogin::WMSysCommand);

    // The window, then the browser's load-time settings; FormCreate runs after both, so its
    // control word is the one that stays (the settings put the start-up word back).
    HandleNeeded();
    browser->LoadSettings();
}

void TFormLogin::BeforeDestruction() noexcept {
    // The program ends with this window: the update thread starts nothing more, and a file it is
    // saving or reading now is gone before the program is.
    FUpdateGate->Close();
    // The background window's move handler and the update thread read it.
    if (FormLogin == this) FormLogin = nullptr;
    TForm::BeforeDestruction();
}

void TFormLogin::FormCreate(TObject*) {
    if (TopMost) SetFormStyle(TFormStyle::fsStayOnTop);
    Application->SetTitle(kProductName);
    SetCaption(kProductName);
    SetTransparentColorValue(clBlack);
    SetColor(clBlack);
    FNavigateError = false;
    FNavigateSuccess = false;
    try {
        UpdataThread = TThread::StartFreeOnTerminate<TUpdataThread>(FUpdateGate);
    } catch (...) {
        // A thread that cannot start is a version check that cannot run: the launcher goes on
        // as when the check finds nothing.
        UpdataThread = nullptr;
    }
    const HWND wnd = Handle();
    ::SetWindowLongW(wnd, GWL_STYLE,
                     ::GetWindowLongW(wnd, GWL_STYLE) | WS_MINIMIZEBOX | WS_SYSMENU);
    browser->Navigate(GameLoginUrl);
    InitLayout();
    Set8087CW(kMaskedControlWord);
}

void TFormLogin::InitLayout() {
    SetBounds(Left(), Top(), kWindowWidth, kWindowHeight);
    ShowBrowser(false);
    CenterNavigateInfo();
    imgMin->SetBoundsRect(kMinButton);
    imgClose->SetBoundsRect(kCloseButton);
}

void TFormLogin::ShowBrowser(bool visible) {
    if (visible)
        browser->SetBoundsRect(kBrowserArea);
    else
        browser->SetBoundsRect(
            {-kBrowserArea.right, -kBrowserArea.bottom, -kBrowserArea.left, -kBrowserArea.top});
}

void TFormLogin::CenterNavigateInfo() {
    lblNavigateInfos->SetBounds(
        kBrowserArea.left + HalfRounded(kBrowserWidth - lblNavigateInfos->Width()),
        kBrowserArea.top + HalfRounded(kBrowserHeight - lblNavigateInfos->Height()),
        lblNavigateInfos->Width(), lblNavigateInfos->Height());
}

void TFormLogin::CloseApp() {
    Close();
}

void TFormLogin::FormClose(TObject*, TCloseAction& Action) {
    Action = TCloseAction::caFree;
    Application->Terminate();
}

void TFormLogin::imgCloseClick(TObject*) {
    Close();
}

void TFormLogin::imgMinClick(TObject*) {
    // This window is owned by the background window and goes with it.
    if (FormBack) FormBack->SetWindowState(TWindowState::wsMinimized);
}

void TFormLogin::browserBeforeNavigate2(TObject*, IDispatch*, VARIANT& URL, VARIANT&, VARIANT&,
                                        VARIANT&, VARIANT&, bool& Cancel) {
    const std::wstring url = VariantToString(URL);
    if (url == PayRedirectUrl()) {
        OpenUrl(Handle(), url, FShellExecute);
        Cancel = true;
    }
    if (url.find(kPlayPageMarker) != std::wstring::npos) {
        Cancel = true;
        HandOverToGame(url);
    } else {
        LoginUserName.clear();
    }
}

void TFormLogin::HandOverToGame(const std::wstring& url) {
    GameUrl = url;
    try {
        browser->Refresh();
    } catch (...) {
        // The login page stays as it is; the hand-over goes on all the same.
    }
    try {
        FShowGame();
    } catch (...) {
        // No game window could be made (no browser control, no window): the login window stays,
        // and the page's next way to the play page tries again.
        return;
    }
    Hide();
    if (FormBack) FormBack->Hide();
}

void TFormLogin::browserDocumentComplete(TObject*, IDispatch*, VARIANT&) {
    if (!FNavigateError) {
        FNavigateSuccess = true;
        ShowBrowser(true);
        if (StatisticsManager) StatisticsManager->SendStatisticsThread(1);
        // In the tray, whether the shell took the icon or not.
        if (FormBack && FormBack->InTray() && AutoRun == 1 && IsAutoRunStart(ProgramArgs()))
            ::PostMessageW(FormBack->Handle(), WM_BARICON, 0, WM_LBUTTONDOWN);
    }
    if (LoginUserName.empty()) ScanUserName();
}

void TFormLogin::ScanUserName() {
    // Any failure of the document's objects ends the scan: the name is then simply not known.
    try {
        const auto document = browser->Document().as<IHTMLDocument2>();
        if (!document) return;
        ComPtr<IHTMLElementCollection> all;
        if (FAILED(document->get_all(all.put())) || !all) return;
        LONG count = 0;
        if (FAILED(all->get_length(&count))) return;
        for (LONG i = 0; i < count; ++i) {
            OleVariant index(i);
            OleVariant none(LONG{0});
            ComPtr<IDispatch> element;
            if (FAILED(all->item(index.get(), none.get(), element.put())) || !element) return;
            const auto input = element.as<IHTMLInputElement>();
            if (!input) continue;
            Bstr type, name, value;
            if (FAILED(input->get_type(type.put()))) return;
            const std::wstring kind = text::UpperCase(type.str());
            if (kind != L"HIDDEN" && kind != L"TEXT") continue;
            if (FAILED(input->get_name(name.put()))) return;
            if (text::UpperCase(name.str()) != L"USERNAME") continue;
            if (FAILED(input->get_value(value.put()))) return;
            if (!value.str().empty()) {
                LoginUserName = value.str();
                return;
            }
        }
    } catch (...) {
        return;
    }
}

void TFormLogin::browserNavigateError(TObject*, IDispatch* pDisp, VARIANT&, VARIANT&, VARIANT&,
                                      bool&) {
    if (FNavigateSuccess) return;
    // Only the page itself: a frame that fails would otherwise reload the page every 5 s for ever.
    if (!SameObject(pDisp, browser->DefaultInterface())) return;
    FNavigateError = true;
    lblNavigateInfos->SetCaption(kNetworkErrorText);
    CenterNavigateInfo();
    ::PostMessageW(Handle(), WM_NAVIGATERETRY, 0, 0);
}

void TFormLogin::WMNavigateRetry(TWMNoParams&) {
    if (FNavigateSuccess) return;
    browser->Stop();
    const HWND wnd = Handle();
    ::SetTimer(wnd, reinterpret_cast<UINT_PTR>(wnd), kRetryDelayMs, nullptr);
}

void TFormLogin::WMTimer(TWMTimer& Msg) {
    const HWND wnd = Handle();
    if (Msg.TimerID != reinterpret_cast<UINT_PTR>(wnd)) {
        Dispatch(Msg.Raw);
        return;
    }
    ::KillTimer(wnd, Msg.TimerID);
    FNavigateError = false;
    browser->Navigate(GameLoginUrl);
}

void TFormLogin::FormDragMsg(TWMNCHitTest& Msg) {
    Dispatch(Msg.Raw);
    RECT r{};
    ::GetWindowRect(Handle(), &r);
    const POINT p = Msg.Pos;
    if (p.x >= r.right - 6 && p.y >= r.bottom - 6)
        Msg.Raw.Result = HTBOTTOMRIGHT;
    else if (p.x >= r.right - 4)
        Msg.Raw.Result = HTRIGHT;
    else if (p.y >= r.bottom - 4)
        Msg.Raw.Result = HTBOTTOM;
}

void TFormLogin::WMSysCommand(TWMSysCommand& Msg) {
    DefaultHandler(Msg.Raw);
}

// --- update check -------------------------------------------------------------------------------

std::int32_t UpgradeVersionNumber(const std::wstring& dotted) noexcept {
    try {
        return text::StrToIntDef(text::ReplaceAll(dotted, L".", L""), 0);
    } catch (...) {
        return 0;
    }
}

bool TUpdateGate::Run(const std::function<void()>& step) {
    const std::lock_guard hold(FLock);
    if (FClosed || Application->Terminated()) return false;
    step();
    return true;
}

void TUpdateGate::Close() noexcept {
    const std::lock_guard hold(FLock);
    FClosed = true;
}

bool TUpdateGate::Closed() noexcept {
    const std::lock_guard hold(FLock);
    return FClosed;
}

TUpdataThread::TUpdataThread(std::shared_ptr<TUpdateGate> gate)
    : FGate(std::move(gate)), FVersionCheckUrl(VersionCheckUrl),
      FVersionDownloadUrl(VersionDownloadUrl), FVersionFile(ExeFileName() + L".ini"),
      FExeFolder(ExeFolder()) {}

void TUpdataThread::ShowMsg() {
    // A visible window of the program owns the box, so that it has a taskbar button and comes to
    // the front also while another program is active.
    HWND owner = nullptr;
    for (const TForm* form :
         {static_cast<const TForm*>(FormLogin), static_cast<const TForm*>(FormBack),
          static_cast<const TForm*>(FormMain)})
        if (!owner && form && form->Showing()) owner = form->HandleIfAllocated();
    ShowMessage(FMsg, owner);
}

bool TUpdataThread::WithLoginWindow(const std::function<void(TFormLogin&)>& step) noexcept {
    bool present = false;
    try {
        Synchronize([&] {
            // Once the user has chosen to end, or this thread's window is gone, nothing more is
            // shown.
            if (!FormLogin || FGate->Closed() || Application->Terminated()) return;
            present = true;
            step(*FormLogin);
        });
    } catch (...) {
        // A step that failed on the GUI thread counts as not done.
        return false;
    }
    return present;
}

void TUpdataThread::ShowLoginAgain(bool loginWasShown) noexcept {
    if (loginWasShown) (void)WithLoginWindow([](TFormLogin& login) { login.Show(); });
}

void TUpdataThread::ReportFailure(bool loginWasShown) noexcept {
    FMsg = L"网络出错";
    if (!WithLoginWindow([this](TFormLogin&) { ShowMsg(); })) return;
    ShowLoginAgain(loginWasShown);
}

bool TUpdataThread::RunInstaller(const TMemoryStream& stream, const std::wstring& version,
                                 TInstallerStart& started) noexcept {
    started = TInstallerStart::Failed;
    try {
        return FGate->Run([&] {
            try {
                started = SaveAndStartInstaller(stream, FExeFolder, L"Setup_Varkelpfr.exe", false);
            } catch (...) {
                // Not saved, only in part, or changed before its start: nothing started.
            }
            if (started == TInstallerStart::Started)
                (void)WriteIniValue(GetIniPath(true), L"Common", L"LastTimeUpGradeVersion",
                                    version);
        });
    } catch (...) {
        return true; // no memory for the paths: nothing started, a failure like any other
    }
}

void TUpdataThread::Execute() {
    // Its installer is saved and started under the same rule as the full one.
    if (!FileExists(GetAnimateExePath())) (void)DownloadAnimateIcon(FGate.get());

    // The version file lies beside the executable only while it is read: saved, read and deleted
    // in one step, which the program's end waits for.
    std::wstring current, range;
    {
        TMemoryStream stream;
        try {
            IdHTTP1.Get(FVersionCheckUrl, stream);
        } catch (...) {
            // No network, no file, a refused or oversized reply: no update to offer.
            return;
        }
        const bool read = FGate->Run([&] {
            // From here the file is this run's, a half-written one included.
            struct Remove {
                const std::wstring& path;
                ~Remove() { ::DeleteFileW(path.c_str()); }
            } remove{FVersionFile};
            try {
                stream.SaveToFile(FVersionFile);
                const TIniFile ini(FVersionFile);
                current = ini.ReadString(L"version", L"currentversion", L"");
                range = ini.ReadString(L"version", L"upgraderange", L"");
            } catch (...) {
                // A file that cannot be saved or read offers nothing; it goes all the same.
                current.clear();
            }
        });
        if (!read) return;
    }
    const std::int32_t remote = UpgradeVersionNumber(current);
    const std::int32_t local = UpgradeVersionNumber(GetLastUpgradeVersion());
    if (!(local < remote) || !(remote > kClientVersion) || !IsVersionInRange(range)) return;

    FMsg = L"检测到最新版本" + current + L"，确认更新！";
    if (!WithLoginWindow([this](TFormLogin&) { ShowMsg(); })) return;
    bool loginWasShown = false;
    if (!WithLoginWindow([&](TFormLogin& login) {
            loginWasShown = login.Visible();
            login.Hide();
        }))
        return;

    TMemoryStream stream;
    try {
        // A stalled server would otherwise leave the user with the skin and no login window.
        IdHTTP1.SetReadTimeout(kInstallerStallMs);
        IdHTTP1.SetMaxBodySize(kInstallerMaxBodySize);
        IdHTTP1.Get(FVersionDownloadUrl, stream);
    } catch (...) {
        ReportFailure(loginWasShown);
        return;
    }

    TInstallerStart started = TInstallerStart::Failed;
    if (!RunInstaller(stream, current, started)) return;
    switch (started) {
    case TInstallerStart::Started:
        (void)WithLoginWindow([](TFormLogin& login) { login.CloseApp(); });
        return;
    case TInstallerStart::Declined:
        // The user said no to the system's question: nothing went wrong, and the update is
        // offered again at the next start.
        ShowLoginAgain(loginWasShown);
        return;
    default:
        // Nothing was installed: the version is not recorded, and the program goes on.
        ReportFailure(loginWasShown);
        return;
    }
}

} // namespace tn
