#include "classlib/Forms.h"

#include "classlib/Application.h"

namespace tn {
namespace {

// Posted by Release; the form frees itself when it arrives.
constexpr UINT CM_RELEASE = WM_APP + 0x3F01;
// Posted by a cancel that came in menu mode; the cancel is acted on when it arrives.
constexpr UINT CM_CANCELMODE = WM_APP + 0x3F02;

bool InMenuMode() noexcept {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(::GetCurrentThreadId(), &info) &&
           (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE)) != 0;
}

constexpr DWORD kBorderStyles = WS_POPUP | WS_CAPTION | WS_BORDER | WS_THICKFRAME | WS_SYSMENU |
                                WS_MINIMIZEBOX | WS_MAXIMIZEBOX | DS_MODALFRAME;
constexpr DWORD kBorderExStyles = WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;

void BorderBits(TBorderStyle b, DWORD& style, DWORD& exStyle) noexcept {
    switch (b) {
    case TBorderStyle::bsNone:
        style = WS_POPUP;
        exStyle = 0;
        break;
    case TBorderStyle::bsSingle:
        style = WS_CAPTION | WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        exStyle = 0;
        break;
    case TBorderStyle::bsDialog:
        style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        exStyle = WS_EX_DLGMODALFRAME;
        break;
    case TBorderStyle::bsToolWindow:
        style = WS_CAPTION | WS_SYSMENU;
        exStyle = WS_EX_TOOLWINDOW;
        break;
    case TBorderStyle::bsSizeToolWin:
        style = WS_OVERLAPPEDWINDOW;
        exStyle = WS_EX_TOOLWINDOW;
        break;
    default:
        style = WS_OVERLAPPEDWINDOW;
        exStyle = 0;
        break;
    }
}

} // namespace

TForm::TForm(TComponent* owner) : TWinControl(owner) {
    FVisible = false;
    FWidth = 320;
    FHeight = 240;
    // The first form that the application creates is its main form from the start, so that its
    // window (made perhaps in its own OnCreate) is already the taskbar's.
    if (Application && Application->CreatingMainForm() && !Application->MainForm())
        Application->SetMainForm(this);
}

TForm::~TForm() {
    if (Application && Application->MainForm() == this) Application->SetMainForm(nullptr);
}

bool TForm::IsMainForm() const noexcept {
    return Application && Application->MainForm() == this;
}

void TForm::AfterConstruction() {
    TWinControl::AfterConstruction();
    if (OnCreate) OnCreate(this);
}

void TForm::BeforeDestruction() noexcept {
    try {
        if (OnDestroy) OnDestroy(this);
    } catch (...) {
        // A failing OnDestroy must not stop the teardown; there is nobody left to tell.
    }
    TWinControl::BeforeDestruction();
    if (IsMainForm()) Application->SetMainForm(nullptr);
}

void TForm::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    DWORD style, exStyle;
    BorderBits(FBorderStyle, style, exStyle);
    p.Style = (p.Style & ~WS_VISIBLE) | style;
    p.ExStyle |= exStyle;
    if (FFormStyle == TFormStyle::fsStayOnTop) p.ExStyle |= WS_EX_TOPMOST;
    if (FAlphaBlend || FTransparentColor) p.ExStyle |= WS_EX_LAYERED;
    // With the main form on the taskbar, it has no owner and the other forms are owned by it;
    // otherwise the hidden application window owns every form.
    p.WndParent = Application ? Application->Handle() : nullptr;
    if (Application && Application->MainFormOnTaskBar) {
        TForm* main = Application->MainForm();
        if (main == this) {
            p.ExStyle |= WS_EX_APPWINDOW;
            p.WndParent = nullptr;
        } else if (main && main->HandleAllocated()) {
            p.WndParent = main->HandleIfAllocated();
        }
    }
}

void TForm::CreateWnd() {
    TWinControl::CreateWnd();
    if (FIcon) {
        ::SendMessageW(HandleIfAllocated(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon));
        ::SendMessageW(HandleIfAllocated(), WM_SETICON, ICON_SMALL,
                       reinterpret_cast<LPARAM>(FIcon));
    }
    ApplyLayered();
}

void TForm::SetBorderStyle(TBorderStyle style) {
    if (style == FBorderStyle) return;
    DWORD oldStyle, oldEx, newStyle, newEx;
    BorderBits(FBorderStyle, oldStyle, oldEx);
    BorderBits(style, newStyle, newEx);
    FBorderStyle = style;
    if (const HWND wnd = HandleIfAllocated()) {
        const DWORD s = static_cast<DWORD>(::GetWindowLongW(wnd, GWL_STYLE));
        const DWORD e = static_cast<DWORD>(::GetWindowLongW(wnd, GWL_EXSTYLE));
        ::SetWindowLongW(wnd, GWL_STYLE, static_cast<LONG>((s & ~kBorderStyles) | newStyle));
        ::SetWindowLongW(wnd, GWL_EXSTYLE, static_cast<LONG>((e & ~kBorderExStyles) | newEx));
        ::SetWindowPos(wnd, nullptr, 0, 0, 0, 0,
                       SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

TWindowState TForm::WindowState() const noexcept {
    const HWND wnd = HandleIfAllocated();
    if (wnd && ::IsWindowVisible(wnd)) {
        if (::IsIconic(wnd)) return TWindowState::wsMinimized;
        if (::IsZoomed(wnd)) return TWindowState::wsMaximized;
        return TWindowState::wsNormal;
    }
    return FWindowState;
}

void TForm::SetWindowState(TWindowState state) {
    FWindowState = state;
    const HWND wnd = HandleIfAllocated();
    if (!wnd || !::IsWindowVisible(wnd)) return;
    switch (state) {
    case TWindowState::wsMinimized:
        ::ShowWindow(wnd, SW_MINIMIZE);
        break;
    case TWindowState::wsMaximized:
        ::ShowWindow(wnd, SW_SHOWMAXIMIZED);
        break;
    default:
        ::ShowWindow(wnd, SW_RESTORE);
        break;
    }
}

void TForm::SetFormStyle(TFormStyle style) {
    FFormStyle = style;
    if (const HWND wnd = HandleIfAllocated())
        ::SetWindowPos(wnd, style == TFormStyle::fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0,
                       0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm::SetIcon(HICON icon) {
    FIcon = icon;
    if (const HWND wnd = HandleIfAllocated()) {
        ::SendMessageW(wnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        ::SendMessageW(wnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
}

void TForm::SetAlphaBlend(bool value) {
    FAlphaBlend = value;
    ApplyLayered();
}
void TForm::SetAlphaBlendValue(BYTE value) {
    FAlphaBlendValue = value;
    ApplyLayered();
}
void TForm::SetTransparentColor(bool value) {
    FTransparentColor = value;
    ApplyLayered();
}
void TForm::SetTransparentColorValue(TColor value) {
    FTransparentColorValue = value;
    ApplyLayered();
}

void TForm::ApplyLayered() {
    const HWND wnd = HandleIfAllocated();
    // A form painted by UpdateLayeredWindow sets neither property and is left alone.
    if (!wnd || !(FAlphaBlend || FTransparentColor)) return;
    const LONG ex = ::GetWindowLongW(wnd, GWL_EXSTYLE);
    if (!(ex & WS_EX_LAYERED)) ::SetWindowLongW(wnd, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(wnd, ColorToRGB(FTransparentColorValue), FAlphaBlendValue,
                                 (FAlphaBlend ? LWA_ALPHA : 0) |
                                     (FTransparentColor ? LWA_COLORKEY : 0));
}

void TForm::ApplyPosition() {
    UpdateBounds();
    int left = FLeft, top = FTop;
    switch (FPosition) {
    case TPosition::poScreenCenter:
        left = (ScreenWidth() - FWidth) / 2;
        top = (ScreenHeight() - FHeight) / 2;
        break;
    case TPosition::poDesktopCenter:
        left = ::GetSystemMetrics(SM_XVIRTUALSCREEN) +
               (::GetSystemMetrics(SM_CXVIRTUALSCREEN) - FWidth) / 2;
        top = ::GetSystemMetrics(SM_YVIRTUALSCREEN) +
              (::GetSystemMetrics(SM_CYVIRTUALSCREEN) - FHeight) / 2;
        break;
    case TPosition::poMainFormCenter: {
        const TForm* main = Application ? Application->MainForm() : nullptr;
        if (main && main != this) {
            left = main->Left() + (main->Width() - FWidth) / 2;
            top = main->Top() + (main->Height() - FHeight) / 2;
        } else {
            left = (ScreenWidth() - FWidth) / 2;
            top = (ScreenHeight() - FHeight) / 2;
        }
        break;
    }
    default:
        return;
    }
    SetBounds(left, top, FWidth, FHeight);
}

bool TForm::Showing() const {
    const HWND wnd = HandleIfAllocated();
    return wnd && ::IsWindowVisible(wnd);
}

void TForm::SetVisible(bool visible) {
    if (visible) {
        ShowWindowAs(true);
        return;
    }
    const bool shown = Showing();
    if (!FVisible && !shown) return;
    FVisible = false;
    if (OnHide) OnHide(this);
    if (shown) ::ShowWindow(HandleIfAllocated(), SW_HIDE);
}

void TForm::ShowWindowAs(bool activate) {
    if (FVisible && Showing()) return;
    FVisible = true;
    const HWND wnd = Handle();
    // Placed at the first show, with the size the window has by then (a picture's, say).
    if (!FPositioned) {
        FPositioned = true;
        ApplyPosition();
    }
    if (OnShow) OnShow(this);
    if (!FVisible) return;
    int cmd = activate ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE;
    if (FWindowState == TWindowState::wsMinimized)
        cmd = activate ? SW_SHOWMINIMIZED : SW_SHOWMINNOACTIVE;
    else if (FWindowState == TWindowState::wsMaximized)
        // Without activation the system cannot maximize; a form hidden while maximized comes
        // back as it was.
        cmd = activate ? SW_SHOWMAXIMIZED : SW_SHOWNA;
    ::ShowWindow(wnd, cmd);
}

void TForm::Show() {
    SetVisible(true);
    if (FVisible) BringToFront();
}

void TForm::ShowNoActivate() {
    ShowWindowAs(false);
}

void TForm::RequestAlign() {
    if (Parent() || Align() != TAlign::alClient) {
        TWinControl::RequestAlign();
        return;
    }
    SetBoundsRect(MonitorArea().WorkArea);
}

TMonitorArea TForm::MonitorArea() const noexcept {
    return MonitorAreaOf(HandleIfAllocated());
}

void TForm::Close() {
    TCloseAction action = TCloseAction::caHide;
    if (OnClose) OnClose(this, action);
    if (action == TCloseAction::caNone) return;
    if (IsMainForm()) {
        Application->Terminate();
        return;
    }
    switch (action) {
    case TCloseAction::caHide:
        Hide();
        break;
    case TCloseAction::caMinimize:
        SetWindowState(TWindowState::wsMinimized);
        break;
    default:
        Release();
        break;
    }
}

void TForm::Release() {
    ::PostMessageW(Handle(), CM_RELEASE, 0, 0);
}

void TForm::SetActiveControl(TWinControl* control) {
    FActiveControl = control;
    const HWND wnd = HandleIfAllocated();
    if (!control || !wnd || ::GetActiveWindow() != wnd || !control->CanFocus()) return;
    // A focus already inside the control (in a window it hosts) stays where it is.
    const HWND own = control->Handle();
    if (!control->ContainsFocus()) ::SetFocus(own);
}

void TForm::ControlLeaving(TWinControl* control) noexcept {
    for (const TControl* c = FActiveControl; c; c = c->Parent())
        if (c == control) {
            FActiveControl = nullptr;
            return;
        }
}

void TForm::Dispatch(TMessage& m) {
    switch (m.Msg) {
    case WM_ACTIVATE:
        TWinControl::Dispatch(m);
        if (LOWORD(m.WParam) == WA_INACTIVE || HIWORD(m.WParam)) return;
        // The system gave the focus to the form's window; it belongs to the active control.
        if (FActiveControl && FActiveControl->HandleAllocated() && FActiveControl->CanFocus())
            ::SetFocus(FActiveControl->HandleIfAllocated());
        // A form activated while the application stays active (a box closed, a window shown
        // again) is told to the application's hooks as the application's own activation is.
        if (Application) Application->PostActivate();
        return;
    case WM_CANCELMODE:
        // Some window systems (X under Wine) report a lost focus late: word of an activation
        // change made just before this form became the foreground again arrives while a menu is
        // up and would close it at once. In menu mode a cancel is acted on once the activation
        // it reports has happened, and only when the form has lost the foreground.
        if (InMenuMode() && ::GetForegroundWindow() == HandleIfAllocated()) {
            ::PostMessageW(HandleIfAllocated(), CM_CANCELMODE, 0, 0);
            m.Result = 0;
            return;
        }
        TWinControl::Dispatch(m);
        return;
    case CM_CANCELMODE:
        if (::GetForegroundWindow() != HandleIfAllocated())
            ::SendMessageW(HandleIfAllocated(), WM_CANCELMODE, 0, 0);
        return;
    case WM_CLOSE:
        Close();
        m.Result = 0;
        return;
    case CM_RELEASE:
        // Nothing may touch this object after this line.
        Free(this);
        return;
    case WM_SIZE:
        // The state the system gives a shown window (a taskbar click restoring it, say) is the
        // one it comes back in after a hide. A window being made or hidden keeps the asked one.
        if (::IsWindowVisible(HandleIfAllocated())) {
            if (m.WParam == SIZE_MINIMIZED)
                FWindowState = TWindowState::wsMinimized;
            else if (m.WParam == SIZE_MAXIMIZED)
                FWindowState = TWindowState::wsMaximized;
            else if (m.WParam == SIZE_RESTORED)
                FWindowState = TWindowState::wsNormal;
        }
        TWinControl::Dispatch(m);
        return;
    case WM_SETTINGCHANGE:
        TWinControl::Dispatch(m);
        if (m.WParam == SPI_SETWORKAREA) RequestAlign();
        return;
    default:
        TWinControl::Dispatch(m);
        return;
    }
}

TFrame::TFrame(TComponent* owner) : TWinControl(owner) {
    FWidth = 320;
    FHeight = 240;
}

TForm* GetParentForm(const TControl* control) noexcept {
    while (control && control->Parent())
        control = control->Parent();
    return dynamic_cast<TForm*>(const_cast<TControl*>(control));
}

int ScreenWidth() noexcept {
    return ::GetSystemMetrics(SM_CXSCREEN);
}
int ScreenHeight() noexcept {
    return ::GetSystemMetrics(SM_CYSCREEN);
}

RECT ScreenWorkArea() noexcept {
    RECT r{0, 0, ScreenWidth(), ScreenHeight()};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

TMonitorArea MonitorAreaOf(HWND wnd) noexcept {
    const HMONITOR monitor = wnd ? ::MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST)
                                 : ::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    const SIZE primary{ScreenWidth(), ScreenHeight()};
    if (monitor && ::GetMonitorInfoW(monitor, &info)) return {info.rcMonitor, info.rcWork, primary};
    return {{0, 0, primary.cx, primary.cy}, ScreenWorkArea(), primary};
}

} // namespace tn
