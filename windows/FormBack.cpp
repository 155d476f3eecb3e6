#include "windows/FormBack.h"

#include "classlib/Application.h"
#include "classlib/Handles.h"
#include "gdiplus/Gdiplus.h"
#include "services/PublicUnit.h"
#include "services/Shell.h"
#include "windows/FormLogin.h"
#include "windows/Launcher.h"
#include "windows/ModuleSteps.h"

#include <cmath>

namespace tn {
namespace {

namespace gp = gdiplus;

constexpr wchar_t kTrayTip[] = L"左键双击弹出或右键";
// SC_MOVE + 1: the system's move loop, driven by the mouse.
constexpr WPARAM kSysCommandDrag = 0xF011;

// The login window, owned by the application: made on the first show, reached as a form. This
// window places it over itself, before its first show would centre it on the desktop.
void CreateFormLogin() {
    FormLogin = TComponent::Create<TFormLogin>(*Application);
    FormLogin->SetPosition(TPosition::poDesigned);
}
TForm* LoginForm() noexcept {
    return FormLogin;
}

} // namespace

TFormBack::TFormBack(TComponent* owner, std::future<TLayeredPicture> skin) : TFormBack(owner) {
    FSkin = std::move(skin);
}

TFormBack::TFormBack(TComponent* owner) : TForm(owner), FTray(kTrayTip) {
    SetName(L"FormBack");
    SetBorderStyle(TBorderStyle::bsNone);
    SetPosition(TPosition::poScreenCenter);
    Font().SetName(L"Tahoma");
    Font().SetHeight(-11);

    pmtaskbar = TComponent::Create<TPopupMenu>(*this);
    pmtaskbar->SetName(L"pmtaskbar");
    pmtaskbar->AutoHotkeys = false;
    mniOpen = pmtaskbar->Items().Add(L"打开", [this](TObject* s) { mniOpenClick(s); });
    mniOpen->SetName(L"mniOpen");
    mniExit = pmtaskbar->Items().Add(L"退出", [this](TObject* s) { mniExitClick(s); });
    mniExit->SetName(L"mniExit");

    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnShow = [this](TObject* s) { FormShow(s); };
    OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        FormMouseDown(s, b, sh, x, y);
    };
    Bind(WM_MOVE, &TFormBack::WMMove);
    Bind(WM_SYSCOMMAND, &TFormBack::WMSysCommand);
    Bind(WM_BARICON, &TFormBack::WMBarIconClick);
    Bind(WM_TIMER, &TFormBack::WMOnTimer);
    if (const UINT taskbarCreated = TaskbarCreatedMessage())
        Bind(taskbarCreated, &TFormBack::WMTaskbarCreated);
}

void TFormBack::BeforeDestruction() noexcept {
    // Ending from the tray would otherwise leave the icon behind until the pointer passes over it.
    if ((FIsBarIcon || FTray.Wanted()) && HandleAllocated()) {
        try {
            UpdateTrayIcon(true);
        } catch (...) {
            // Nothing to report at teardown; the shell drops the icon when the mouse passes.
        }
    }
    TForm::BeforeDestruction();
}

void TFormBack::FormCreate(TObject*) {
    SetBounds(Left(), Top(), 1024, 651);
    IfFristActive = true;
    SetIcon(Application->Icon());
    Application->SetTitle(kProductName);
    SetCaption(kProductName);
    FIsBarIcon = false;
    const HWND wnd = Handle();
    ::SetWindowLongW(wnd, GWL_STYLE,
                     ::GetWindowLongW(wnd, GWL_STYLE) | WS_MINIMIZEBOX | WS_SYSMENU);
    // The resource check has seen the file; a picture that still cannot be loaded would leave an
    // empty, invisible window, so the start ends with the resource message instead.
    const TLayeredPicture skin =
        FSkin.valid() ? FSkin.get() : TLayeredPicture::Paint(GetLoginBackImagePath(), 100);
    if (!skin.Present(wnd))
        throw TStartupError(L"您的资源缺失，请下载新的程序或联系Varkel客服，谢谢！");
    UpdateBounds();
}

TLayeredPicture TLayeredPicture::Paint(const std::wstring& path, int percent) noexcept {
    const std::unique_ptr<gp::TGPImage> image = gp::TGPImage::FromFile(path, false);
    if (!image) return {};
    const UINT width = image->GetWidth();
    const UINT height = image->GetHeight();
    if (image->GetLastStatus() != gp::Ok || width == 0 || height == 0) return {};

    // The screen's own format is what a top-level window's device context has.
    const WindowDc screen(nullptr);
    TLayeredPicture picture;
    picture.FDc.reset(::CreateCompatibleDC(screen.get()));
    picture.FBitmap.reset(
        ::CreateCompatibleBitmap(screen.get(), static_cast<int>(width), static_cast<int>(height)));
    if (!picture.FDc || !picture.FBitmap) return {};
    picture.FSize = {static_cast<LONG>(width), static_cast<LONG>(height)};
    if (percent < 0 || percent > 100) percent = 100;
    picture.FAlpha = static_cast<BYTE>(std::lrint(percent * 2.55));

    const HGDIOBJ old = ::SelectObject(picture.FDc.get(), picture.FBitmap.get());
    const std::unique_ptr<gp::TGPGraphics> graphics = gp::TGPGraphics::Create(picture.FDc.get());
    if (graphics) {
        (void)graphics->DrawImage(image.get(), gp::REAL(0), gp::REAL(0),
                                  static_cast<gp::REAL>(width), static_cast<gp::REAL>(height));
        graphics->ReleaseHDC(picture.FDc.get());
    }
    ::SelectObject(picture.FDc.get(), old);
    if (!graphics) return {};
    return picture;
}

std::future<TLayeredPicture> TLayeredPicture::PaintAside(std::wstring path, int percent) noexcept {
    try {
        return std::async(std::launch::async, [path = std::move(path), percent]() noexcept {
            // The imaging codecs may be COM objects.
            const TComScope com;
            return Paint(path, percent);
        });
    } catch (...) {
        // No thread to paint on: the window paints the picture itself.
        return {};
    }
}

bool TLayeredPicture::Present(HWND wnd) const noexcept {
    if (!*this) return false;
    const WindowDc target(wnd);
    const HGDIOBJ old = ::SelectObject(FDc.get(), FBitmap.get());
    BLENDFUNCTION blend{AC_SRC_OVER, 0, FAlpha, AC_SRC_ALPHA};
    ::SetWindowLongW(wnd, GWL_EXSTYLE, ::GetWindowLongW(wnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    SIZE size = FSize;
    POINT source{0, 0};
    const bool shown = ::UpdateLayeredWindow(wnd, target.get(), nullptr, &size, FDc.get(), &source,
                                             0, &blend, ULW_ALPHA) != FALSE;
    ::SelectObject(FDc.get(), old);
    return shown;
}

bool TFormBack::DrawLayeredImage(HWND wnd, const std::wstring& path, int percent) {
    return TLayeredPicture::Paint(path, percent).Present(wnd);
}

void TFormBack::FormShow(TObject*) {
    if (!FormLogin) {
        // The skin first: it is drawn already, and the login window with its browser takes
        // longer to make than the skin did. A tray start shows none of it.
        if (!Showing() && !(IfFristActive && IsTrayStart(ProgramArgs())))
            ::ShowWindow(Handle(), SW_SHOWNORMAL);
        CreateFormLogin();
    }
    // A login page that is the play page hands over while the login window is being made, and
    // that hides this window; the login window then stays hidden with it.
    if (TForm* login = LoginForm(); login && Visible()) {
        // This window was placed before its show, while there was no login window to take along.
        MoveLoginHere();
        login->Show();
    }
    CheckMinsizeAfterClose();
}

void TFormBack::CheckMinsizeAfterClose() {
    if (!IfFristActive || !IsTrayStart(ProgramArgs())) return;
    IfFristActive = false;
    const HWND wnd = Handle();
    ::SendMessageW(wnd, WM_SYSCOMMAND, SC_HIDETOTRAY, 0);
    // Hides the window again should the show in progress bring it up.
    ::SetTimer(wnd, reinterpret_cast<UINT_PTR>(wnd), 10, nullptr);
}

void TFormBack::WMOnTimer(TWMTimer& Msg) {
    if (FTray.Timer(Handle(), Application->Icon(), Msg.TimerID)) {
        FIsBarIcon = FTray.Shown();
        return;
    }
    Hide();
    const HWND wnd = Handle();
    ::KillTimer(wnd, reinterpret_cast<UINT_PTR>(wnd));
}

void TFormBack::WMSysCommand(TWMSysCommand& Msg) {
    if (Msg.CmdType != SC_HIDETOTRAY) {
        DefaultHandler(Msg.Raw);
        return;
    }
    const HWND wnd = Handle();
    ::SetWindowLongW(wnd, GWL_EXSTYLE,
                     (::GetWindowLongW(wnd, GWL_EXSTYLE) & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW);
    SetWindowState(TWindowState::wsMinimized);
    UpdateTrayIcon(false);
    if (TForm* login = LoginForm()) login->Hide();
    Hide();
}

void TFormBack::UpdateTrayIcon(bool remove) {
    if (remove)
        FTray.Remove(Handle(), Application->Icon());
    else
        FTray.Add(Handle(), Application->Icon());
    FIsBarIcon = FTray.Shown();
}

void TFormBack::WMTaskbarCreated(TWMNoParams& Msg) {
    // A new taskbar has none of the old icons: without this one the window is out of reach.
    FTray.TaskbarCreated(Handle(), Application->Icon());
    FIsBarIcon = FTray.Shown();
    Msg.Raw.Result = 0;
}

void TFormBack::WMBarIconClick(TWMNotifyIcon& Msg) {
    if (Msg.MouseMsg == WM_LBUTTONDOWN) Restore();
    if (Msg.MouseMsg == WM_RBUTTONDOWN) {
        POINT p{};
        ::GetCursorPos(&p);
        pmtaskbar->Popup(p.x, p.y);
    }
}

void TFormBack::Restore() {
    UpdateTrayIcon(true);
    const HWND wnd = Handle();
    ::SetWindowLongW(wnd, GWL_EXSTYLE,
                     (::GetWindowLongW(wnd, GWL_EXSTYLE) & ~WS_EX_TOOLWINDOW) | WS_EX_APPWINDOW);
    ::KillTimer(wnd, reinterpret_cast<UINT_PTR>(wnd));
    // Shown in the normal state: the hide to the tray left the window minimized.
    SetWindowState(TWindowState::wsNormal);
    Show();
    if (TForm* login = LoginForm()) login->Show();
    ::SetForegroundWindow(wnd);
    ::SetActiveWindow(wnd);
}

void TFormBack::mniOpenClick(TObject*) {
    Restore();
}

void TFormBack::mniExitClick(TObject*) {
    Close();
}

void TFormBack::MoveLoginHere() {
    TForm* login = LoginForm();
    if (!login) return;
    RECT r{};
    ::GetWindowRect(Handle(), &r);
    ::SetWindowPos(login->Handle(), HWND_TOP, r.left, r.top, 0, 0, SWP_NOSIZE);
}

void TFormBack::FormMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
    MoveLoginHere();
    ::ReleaseCapture();
    // The pointer's screen position goes along, as with a move chosen by the mouse; some systems
    // start the loop from it.
    POINT p{};
    ::GetCursorPos(&p);
    ::SendMessageW(Handle(), WM_SYSCOMMAND, kSysCommandDrag, MAKELPARAM(p.x, p.y));
}

void TFormBack::WMMove(TWMMove& Msg) {
    Dispatch(Msg.Raw);
    if (FormLogin) MoveLoginHere();
}

} // namespace tn
