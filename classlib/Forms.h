// Forms: top-level windows with border style, caption, icon, position and window state, show and
// hide with their events, close with an action (free on close included), alpha blending and a
// transparent colour; a form aligned to the client fills the work area of its monitor. Frames:
// windowed containers of controls placed inside forms. Plus the screen's and monitors' areas.
#pragma once

#include "classlib/Controls.h"

#include <windows.h>

#include <functional>

namespace tn {

enum class TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TPosition { poDesigned, poScreenCenter, poDesktopCenter, poMainFormCenter };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TFormStyle { fsNormal, fsStayOnTop };

// A monitor's whole rectangle and the part of it that no task bar covers, in screen coordinates,
// and the size of the primary monitor, against which the system measures a maximized window.
struct TMonitorArea {
    RECT Bounds;
    RECT WorkArea;
    SIZE Primary;
};
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;

class TForm : public TWinControl {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    [[nodiscard]] TBorderStyle BorderStyle() const noexcept { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle style);
    [[nodiscard]] TPosition Position() const noexcept { return FPosition; }
    void SetPosition(TPosition position) noexcept { FPosition = position; }
    // The window's own state while it is shown, else the state it will be shown in.
    [[nodiscard]] TWindowState WindowState() const noexcept;
    void SetWindowState(TWindowState state);
    [[nodiscard]] TFormStyle FormStyle() const noexcept { return FFormStyle; }
    void SetFormStyle(TFormStyle style);
    // A borrowed icon (the application's, for example), given to the window as both sizes.
    [[nodiscard]] HICON Icon() const noexcept { return FIcon; }
    void SetIcon(HICON icon);

    [[nodiscard]] bool AlphaBlend() const noexcept { return FAlphaBlend; }
    void SetAlphaBlend(bool value);
    [[nodiscard]] BYTE AlphaBlendValue() const noexcept { return FAlphaBlendValue; }
    void SetAlphaBlendValue(BYTE value);
    [[nodiscard]] bool TransparentColor() const noexcept { return FTransparentColor; }
    void SetTransparentColor(bool value);
    [[nodiscard]] TColor TransparentColorValue() const noexcept { return FTransparentColorValue; }
    void SetTransparentColorValue(TColor value);

    // Showing runs OnShow first, then shows the window unless the handler hid the form again.
    void SetVisible(bool visible) override;
    [[nodiscard]] bool Showing() const override;
    // Visible, on top and active.
    void Show();
    // Visible without becoming the active window; a form hidden while maximized comes back
    // maximized.
    void ShowNoActivate();
    // Runs OnClose with the default action (hide); the main form's close ends the application.
    void Close();
    // Frees the form once the message being handled now is done (posted to its window).
    void Release();
    [[nodiscard]] bool IsMainForm() const noexcept;

    // The control inside this form that last had the keyboard focus; the form gives the focus
    // back to it whenever the form is activated. Setting it focuses it while the form is active
    // (a focus already inside it stays where it is).
    [[nodiscard]] TWinControl* ActiveControl() const noexcept { return FActiveControl; }
    void SetActiveControl(TWinControl* control);
    // Told by the controls: one of them took the focus, or it (or a parent of it) leaves the form.
    void ControlFocused(TWinControl* control) noexcept { FActiveControl = control; }
    void ControlLeaving(TWinControl* control) noexcept;

    TNotifyEvent OnCreate, OnShow, OnHide, OnDestroy;
    TCloseEvent OnClose;

protected:
    [[nodiscard]] const wchar_t* ClassName() const noexcept override { return L"TForm"; }
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& m) override;
    void AfterConstruction() override;
    void BeforeDestruction() noexcept override;
    // A form of its own aligned to the client takes its monitor's work area.
    void RequestAlign() override;
    // The monitor the window is on (the primary one before it exists); a test may say another.
    [[nodiscard]] virtual TMonitorArea MonitorArea() const noexcept;

private:
    void ShowWindowAs(bool activate);
    void ApplyLayered();
    void ApplyPosition();

    TBorderStyle FBorderStyle = TBorderStyle::bsSizeable;
    TPosition FPosition = TPosition::poDesigned;
    TWindowState FWindowState = TWindowState::wsNormal;
    TFormStyle FFormStyle = TFormStyle::fsNormal;
    HICON FIcon = nullptr;
    bool FAlphaBlend = false;
    BYTE FAlphaBlendValue = 255;
    bool FTransparentColor = false;
    TColor FTransparentColorValue = clBlack;
    bool FPositioned = false;
    TWinControl* FActiveControl = nullptr;
};

// A container of controls with a window of its own, placed inside a form like any control.
class TFrame : public TWinControl {
public:
    explicit TFrame(TComponent* owner);

protected:
    [[nodiscard]] const wchar_t* ClassName() const noexcept override { return L"TFrame"; }
};

// The form at the top of a control's parent chain (the control itself when it is a form).
[[nodiscard]] TForm* GetParentForm(const TControl* control) noexcept;

[[nodiscard]] int ScreenWidth() noexcept;
[[nodiscard]] int ScreenHeight() noexcept;
// The desktop area not covered by the taskbar.
[[nodiscard]] RECT ScreenWorkArea() noexcept;
// The monitor nearest to the window (the primary one for none); the primary screen when the
// system cannot say.
[[nodiscard]] TMonitorArea MonitorAreaOf(HWND wnd) noexcept;

} // namespace tn
