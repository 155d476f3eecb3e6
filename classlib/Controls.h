// Controls: bounds, alignment and anchors, visibility, enabled state, parent and child order.
// Windowed controls own an HWND attached at WM_NCCREATE and detached at WM_NCDESTROY; graphic
// controls have none and are painted and fed mouse input by their parent.
#pragma once

#include "classlib/Component.h"
#include "classlib/Graphics.h"
#include "classlib/Messages.h"

#include <windows.h>

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tn {

class TWinControl;
class TPopupMenu;

// A control's window procedure as a value, so that a hook can save one and chain to it.
using TWndMethod = std::function<void(TMessage&)>;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;
enum class TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftFlag : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64
};
using TShiftState = unsigned;
enum TControlStyleFlag : unsigned {
    csAcceptsControls = 1,
    csCaptureMouse = 2,
    csClickEvents = 4,
    csOpaque = 8,
    csDoubleClicks = 16,
    csSetCaption = 32,
    csReplicatable = 64,
    csPannable = 128,
};
using TControlStyle = unsigned;

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;

// Sets a flag for one scope and gives it back its earlier value, however the scope ends.
class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) noexcept : flag_(flag), old_(flag) { flag_ = true; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;
    ~ScopedFlag() { flag_ = old_; }

private:
    bool& flag_;
    bool old_;
};

struct TSizeConstraints {
    int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0; // 0: no limit
};

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    [[nodiscard]] TWinControl* Parent() const noexcept { return FParent; }
    virtual void SetParent(TWinControl* parent);

    [[nodiscard]] int Left() const noexcept { return FLeft; }
    [[nodiscard]] int Top() const noexcept { return FTop; }
    [[nodiscard]] int Width() const noexcept { return FWidth; }
    [[nodiscard]] int Height() const noexcept { return FHeight; }
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    // Position in the parent's client area (on the screen for top-level windows); constrained.
    virtual void SetBounds(int left, int top, int width, int height);
    [[nodiscard]] RECT BoundsRect() const noexcept {
        return {FLeft, FTop, FLeft + FWidth, FTop + FHeight};
    }
    void SetBoundsRect(const RECT& r) {
        SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    [[nodiscard]] virtual RECT ClientRect() const { return {0, 0, FWidth, FHeight}; }
    [[nodiscard]] int ClientWidth() const { return ClientRect().right; }
    [[nodiscard]] int ClientHeight() const { return ClientRect().bottom; }

    [[nodiscard]] TAlign Align() const noexcept { return FAlign; }
    void SetAlign(TAlign align);
    [[nodiscard]] TAnchors Anchors() const noexcept { return FAnchors; }
    void SetAnchors(TAnchors anchors) noexcept { FAnchors = anchors; }
    [[nodiscard]] const TSizeConstraints& Constraints() const noexcept { return FConstraints; }
    void SetConstraints(const TSizeConstraints& c);

    [[nodiscard]] bool Visible() const noexcept { return FVisible; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and every parent up to the top shown too.
    [[nodiscard]] virtual bool Showing() const;
    [[nodiscard]] bool Enabled() const noexcept { return FEnabled; }
    void SetEnabled(bool enabled);

    [[nodiscard]] const std::wstring& Caption() const noexcept { return FCaption; }
    void SetCaption(const std::wstring& caption);
    [[nodiscard]] TFont& Font() noexcept { return FFont; }
    [[nodiscard]] const TFont& Font() const noexcept { return FFont; }
    [[nodiscard]] TColor Color() const noexcept { return FColor; }
    void SetColor(TColor color);
    [[nodiscard]] TCursor Cursor() const noexcept { return FCursor; }
    void SetCursor(TCursor cursor) noexcept { FCursor = cursor; }
    [[nodiscard]] TPopupMenu* PopupMenu() const noexcept { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* menu) noexcept { FPopupMenu = menu; }
    [[nodiscard]] bool AutoSize() const noexcept { return FAutoSize; }
    void SetAutoSize(bool value);
    std::wstring Hint;
    bool ShowHint = false;
    bool ParentShowHint = true;
    TControlStyle ControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks;
    // Components are never edited in a designer here; the design-time branches stay closed.
    [[nodiscard]] bool Designing() const noexcept { return false; }

    virtual void Invalidate();
    void Repaint();
    [[nodiscard]] POINT ClientToScreen(POINT p) const;
    [[nodiscard]] POINT ScreenToClient(POINT p) const;
    void BringToFront();
    void SendToBack();

    TNotifyEvent OnClick, OnDblClick, OnMouseEnter, OnMouseLeave, OnResize;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    // Mouse input in this control's client coordinates, as the window layer delivers it.
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void Click();
    virtual void DblClick();
    virtual void MouseEnter();
    virtual void MouseLeave();
    [[nodiscard]] bool MouseInControl() const noexcept { return FMouseInControl; }

protected:
    // Proposes a size for AutoSize; false leaves the size as it is.
    virtual bool CanAutoSize(int& newWidth, int& newHeight);
    void AdjustSize();
    virtual void EnabledChanged() { Invalidate(); }
    virtual void TextChanged() { Invalidate(); }
    virtual void FontChanged() { Invalidate(); }
    virtual void ColorChanged() { Invalidate(); }
    virtual void VisibleChanged();
    virtual void Resize();
    // The alignment changed: the parent lays out its children again.
    virtual void RequestAlign();
    void BeforeDestruction() noexcept override;
    void ApplyConstraints(int& width, int& height) const noexcept;

    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    bool FVisible = true;

private:
    friend class TWinControl;

    TWinControl* FParent = nullptr;
    TAlign FAlign = TAlign::alNone;
    TAnchors FAnchors = akLeft | akTop;
    TSizeConstraints FConstraints;
    bool FEnabled = true;
    bool FAutoSize = false;
    bool FClicked = false;
    bool FMouseInControl = false;
    std::wstring FCaption;
    TFont FFont;
    TColor FColor = clBtnFace;
    TCursor FCursor = TCursor::crDefault;
    TPopupMenu* FPopupMenu = nullptr;
};

// A control without a window: its parent paints it through Paint and routes mouse input to it.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner) : TControl(owner) {}
    // The parent's paint DC, with this control's origin and clip, while Paint runs.
    [[nodiscard]] TCanvas& Canvas() noexcept { return FCanvas; }
    void Invalidate() override;

protected:
    virtual void Paint() {}

private:
    friend class TWinControl;
    TCanvas FCanvas;
};

struct TCreateParams {
    std::wstring Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    std::wstring WinClassName;
    UINT WindowClassStyle = CS_DBLCLKS;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    // The window, made on first use (and the parent's before it).
    [[nodiscard]] HWND Handle();
    [[nodiscard]] HWND HandleIfAllocated() const noexcept { return FHandle; }
    [[nodiscard]] bool HandleAllocated() const noexcept { return FHandle != nullptr; }
    void HandleNeeded() { (void)Handle(); }
    void DestroyHandle() noexcept;

    [[nodiscard]] const std::vector<TControl*>& Controls() const noexcept { return FControls; }
    [[nodiscard]] std::size_t ControlCount() const noexcept { return FControls.size(); }
    // The topmost visible graphic child under a client point, or null.
    [[nodiscard]] TControl* ControlAtPos(POINT p, bool allowDisabled = false) const;

    void SetBounds(int left, int top, int width, int height) override;
    // Takes the bounds from the window again, after a change the system made without telling
    // (UpdateLayeredWindow, for one, may resize a window without WM_WINDOWPOSCHANGED).
    void UpdateBounds() { SyncBounds(); }
    [[nodiscard]] RECT ClientRect() const override;
    void Invalidate() override;
    void AlignControls();
    bool DoubleBuffered = false;

    // Per-message handlers bound by message number; a bound handler replaces the class library's
    // handling of that message and may call Dispatch (class library) or DefaultHandler (system).
    using TMessageHandler = std::function<void(TMessage&)>;
    void SetMessageHandler(UINT msg, TMessageHandler handler);
    template <typename Crack, typename Self> void Bind(UINT msg, void (Self::*fn)(Crack&)) {
        Self* self = static_cast<Self*>(this);
        SetMessageHandler(msg, [self, fn](TMessage& m) {
            Crack c(m);
            (self->*fn)(c);
        });
    }
    // Runs a message through this control's window procedure at once, window or not.
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    // The procedure every message of this control goes through first: WndProc unless a hook
    // replaced it. A hook keeps the value it read and hands on to it; setting an empty one
    // puts WndProc back.
    [[nodiscard]] TWndMethod WindowProc();
    void SetWindowProc(TWndMethod proc) { FWindowProc = std::move(proc); }

    // Focus: a control can take it when it and every parent up to its form are visible and
    // enabled. SetFocus makes it its form's active control (focused when the form is active).
    [[nodiscard]] virtual bool CanFocus() const;
    virtual void SetFocus();
    [[nodiscard]] virtual bool Focused() const;
    // The focus window is this control's window or one inside it (a window it hosts).
    [[nodiscard]] bool ContainsFocus() const noexcept;

    virtual void WndProc(TMessage& m);
    virtual void Dispatch(TMessage& m);
    virtual void DefaultHandler(TMessage& m);

protected:
    // The window class name; each class of windows gets its own.
    [[nodiscard]] virtual const wchar_t* ClassName() const noexcept { return L"TWinControl"; }
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    // Destroys the window (DestroyHandle calls it after the children's windows are gone); a
    // derived class may keep the window alive elsewhere instead.
    virtual void DestroyWnd() noexcept;
    // Takes over a window that this object's window procedure already serves (one it kept).
    void SetWindowHandle(HWND wnd) noexcept { FHandle = wnd; }
    // Fills the background; PaintControls then draws the graphic children over it.
    virtual void PaintWindow(HDC dc, const RECT& area);
    void PaintControls(HDC dc, const RECT& area);
    void VisibleChanged() override;
    void Resize() override;
    void BeforeDestruction() noexcept override;
    [[nodiscard]] static TShiftState KeysToShift(UINT keys) noexcept;
    // Makes this control its form's active control; WM_SETFOCUS handling calls it.
    void NoteFocused() noexcept;

private:
    friend class TControl;
    friend TWinControl* FindControl(HWND wnd) noexcept;
    static LRESULT CALLBACK StdWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    void InsertControl(TControl* c);
    void RemoveControl(TControl* c) noexcept;
    void MoveControl(TControl* c, bool toFront);
    void SyncBounds();
    void HandleMouse(TMessage& m);
    void SetMouseControl(TControl* c);
    void WMPaint(TMessage& m);
    bool WMSetCursor(TMessage& m);
    bool WMContextMenu(TMessage& m);

    void CallWindowProc(TMessage& m);

    HWND FHandle = nullptr;
    TWndMethod FWindowProc;
    std::vector<TControl*> FControls;
    std::unordered_map<UINT, TMessageHandler> FHandlers;
    TControl* FCaptureControl = nullptr;
    TControl* FMouseControl = nullptr;
    bool FTrackingLeave = false;
    bool FAligning = false;
    int FAnchorWidth = -1, FAnchorHeight = -1; // client size the anchored children are laid out for
};

// The class library's windowed control that owns wnd; null for any other window.
[[nodiscard]] TWinControl* FindControl(HWND wnd) noexcept;
// The nearest class-library control that wnd is or lies inside (not crossing top-level windows).
[[nodiscard]] TWinControl* FindControlAtOrAbove(HWND wnd) noexcept;

} // namespace tn
