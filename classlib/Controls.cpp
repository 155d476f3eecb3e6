#include "classlib/Controls.h"

#include "classlib/Forms.h"
#include "classlib/Menus.h"

#include <algorithm>
#include <stdexcept>

namespace tn {
namespace {

class PaintScope {
public:
    explicit PaintScope(HWND wnd) noexcept : wnd_(wnd), dc_(::BeginPaint(wnd, &ps_)) {}
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { ::EndPaint(wnd_, &ps_); }
    [[nodiscard]] HDC dc() const noexcept { return dc_; }
    [[nodiscard]] const RECT& area() const noexcept { return ps_.rcPaint; }

private:
    HWND wnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

class SavedDc {
public:
    explicit SavedDc(HDC dc) noexcept : dc_(dc), id_(::SaveDC(dc)) {}
    SavedDc(const SavedDc&) = delete;
    SavedDc& operator=(const SavedDc&) = delete;
    ~SavedDc() { ::RestoreDC(dc_, id_); }

private:
    HDC dc_;
    int id_;
};

bool Intersects(const RECT& a, const RECT& b) noexcept {
    RECT r;
    return ::IntersectRect(&r, &a, &b) != FALSE;
}

} // namespace

// --- TControl ------------------------------------------------------------------------------------

TControl::TControl(TComponent* owner) : TComponent(owner) {
    FFont.OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
    if (FParent) FParent->RemoveControl(this);
}

void TControl::BeforeDestruction() noexcept {
    if (FParent) {
        FParent->RemoveControl(this);
        FParent = nullptr;
    }
    TComponent::BeforeDestruction();
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == FParent) return;
    if (parent == this) throw EInvalidOperation("a control cannot be its own parent");
    if (FParent) {
        if (auto* self = dynamic_cast<TWinControl*>(this)) {
            if (TForm* form = GetParentForm(this)) form->ControlLeaving(self);
            self->DestroyHandle();
        }
        FParent->RemoveControl(this);
    }
    FParent = parent;
    if (FParent) FParent->InsertControl(this);
}

void TControl::ApplyConstraints(int& width, int& height) const noexcept {
    if (FConstraints.MinWidth > 0 && width < FConstraints.MinWidth) width = FConstraints.MinWidth;
    if (FConstraints.MaxWidth > 0 && width > FConstraints.MaxWidth) width = FConstraints.MaxWidth;
    if (FConstraints.MinHeight > 0 && height < FConstraints.MinHeight)
        height = FConstraints.MinHeight;
    if (FConstraints.MaxHeight > 0 && height > FConstraints.MaxHeight)
        height = FConstraints.MaxHeight;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    ApplyConstraints(width, height);
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
    Invalidate();
    const bool sized = width != FWidth || height != FHeight;
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    Invalidate();
    if (sized) Resize();
    if (FParent && FAlign != TAlign::alNone && !FParent->FAligning) FParent->AlignControls();
}

void TControl::SetConstraints(const TSizeConstraints& c) {
    FConstraints = c;
    SetBounds(FLeft, FTop, FWidth, FHeight);
}

void TControl::SetAlign(TAlign align) {
    if (align == FAlign) return;
    FAlign = align;
    RequestAlign();
}

void TControl::RequestAlign() {
    if (FParent) FParent->AlignControls();
}

void TControl::SetVisible(bool visible) {
    if (visible == FVisible) return;
    FVisible = visible;
    VisibleChanged();
}

void TControl::VisibleChanged() {
    if (!FParent) return;
    if (FParent->FHandle) {
        const RECT r = BoundsRect();
        ::InvalidateRect(FParent->FHandle, &r, FALSE);
    }
    if (FAlign != TAlign::alNone) FParent->AlignControls();
}

bool TControl::Showing() const {
    return FVisible && (!FParent || FParent->Showing());
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == FEnabled) return;
    FEnabled = enabled;
    if (auto* self = dynamic_cast<TWinControl*>(this); self && self->FHandle)
        ::EnableWindow(self->FHandle, enabled);
    EnabledChanged();
}

void TControl::SetCaption(const std::wstring& caption) {
    if (caption == FCaption) return;
    FCaption = caption;
    if (auto* self = dynamic_cast<TWinControl*>(this); self && self->FHandle)
        ::SetWindowTextW(self->FHandle, FCaption.c_str());
    TextChanged();
}

void TControl::SetColor(TColor color) {
    if (color == FColor) return;
    FColor = color;
    ColorChanged();
}

void TControl::SetAutoSize(bool value) {
    if (value == FAutoSize) return;
    FAutoSize = value;
    if (value) AdjustSize();
}

bool TControl::CanAutoSize(int&, int&) {
    return false;
}

void TControl::AdjustSize() {
    if (!FAutoSize) return;
    int w = FWidth, h = FHeight;
    if (CanAutoSize(w, h)) SetBounds(FLeft, FTop, w, h);
}

void TControl::Resize() {
    if (OnResize) OnResize(this);
}

void TControl::Invalidate() {}

void TControl::Repaint() {
    Invalidate();
    const TControl* c = this;
    while (c && !dynamic_cast<const TWinControl*>(c))
        c = c->FParent;
    if (auto* w = static_cast<const TWinControl*>(c); w && w->FHandle) ::UpdateWindow(w->FHandle);
}

POINT TControl::ClientToScreen(POINT p) const {
    if (auto* w = dynamic_cast<const TWinControl*>(this); w && w->FHandle) {
        ::ClientToScreen(w->FHandle, &p);
        return p;
    }
    p.x += FLeft;
    p.y += FTop;
    return FParent ? FParent->ClientToScreen(p) : p;
}

POINT TControl::ScreenToClient(POINT p) const {
    if (auto* w = dynamic_cast<const TWinControl*>(this); w && w->FHandle) {
        ::ScreenToClient(w->FHandle, &p);
        return p;
    }
    if (FParent) p = FParent->ScreenToClient(p);
    p.x -= FLeft;
    p.y -= FTop;
    return p;
}

void TControl::BringToFront() {
    if (FParent)
        FParent->MoveControl(this, true);
    else if (auto* w = dynamic_cast<TWinControl*>(this); w && w->FHandle)
        ::SetWindowPos(w->FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TControl::SendToBack() {
    if (FParent)
        FParent->MoveControl(this, false);
    else if (auto* w = dynamic_cast<TWinControl*>(this); w && w->FHandle)
        ::SetWindowPos(w->FHandle, HWND_BOTTOM, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}
void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}
void TControl::Click() {
    if (OnClick) OnClick(this);
}
void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}
void TControl::MouseEnter() {
    FMouseInControl = true;
    if (OnMouseEnter) OnMouseEnter(this);
}
void TControl::MouseLeave() {
    FMouseInControl = false;
    if (OnMouseLeave) OnMouseLeave(this);
}

// --- TGraphicControl -----------------------------------------------------------------------------

void TGraphicControl::Invalidate() {
    if (Parent() && Parent()->HandleAllocated()) {
        const RECT r = BoundsRect();
        ::InvalidateRect(Parent()->HandleIfAllocated(), &r, FALSE);
    }
}

// --- TWinControl ---------------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {
    ControlStyle |= csAcceptsControls;
}

TWinControl::~TWinControl() {
    // Only reached with a window when a constructor failed part-way: detach before destroying.
    if (FHandle) {
        ::SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
        ::DestroyWindow(FHandle);
        FHandle = nullptr;
    }
}

void TWinControl::BeforeDestruction() noexcept {
    if (TForm* form = GetParentForm(this); form && form != this) form->ControlLeaving(this);
    while (!FControls.empty()) {
        TControl* c = FControls.back();
        FControls.pop_back();
        c->FParent = nullptr;
        Free(c);
    }
    FCaptureControl = FMouseControl = nullptr;
    DestroyHandle();
    TControl::BeforeDestruction();
}

HWND TWinControl::Handle() {
    if (!FHandle) {
        if (FParent) FParent->HandleNeeded();
        // Making the parent's window makes its children's too, this one among them.
        if (FHandle) return FHandle;
        CreateWnd();
        for (TControl* c : std::vector<TControl*>(FControls))
            if (auto* w = dynamic_cast<TWinControl*>(c)) w->HandleNeeded();
        AlignControls();
    }
    return FHandle;
}

void TWinControl::DestroyHandle() noexcept {
    if (!FHandle) return;
    // Children first, each through its own DestroyWnd, so that one may keep its window.
    for (TControl* c : std::vector<TControl*>(FControls))
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
    if (FHandle) DestroyWnd();
    FHandle = nullptr;
}

void TWinControl::DestroyWnd() noexcept {
    const HWND wnd = FHandle;
    if (!wnd) return;
    if (!::DestroyWindow(wnd)) {
        // Not destroyable from here (another thread's window): at least never reach this object.
        ::SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    }
}

void TWinControl::CreateParams(TCreateParams& p) {
    p.Caption = Caption();
    p.X = FLeft;
    p.Y = FTop;
    p.Width = FWidth;
    p.Height = FHeight;
    p.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (Parent()) {
        p.Style |= WS_CHILD;
        if (FVisible) p.Style |= WS_VISIBLE;
        p.WndParent = Parent()->Handle();
    }
    if (!Enabled()) p.Style |= WS_DISABLED;
    p.WinClassName = ClassName();
}

void TWinControl::CreateWnd() {
    TCreateParams p;
    CreateParams(p);
    const HINSTANCE inst = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!::GetClassInfoExW(inst, p.WinClassName.c_str(), &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.style = p.WindowClassStyle;
        wc.lpfnWndProc = &TWinControl::StdWndProc;
        wc.hInstance = inst;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = p.WinClassName.c_str();
        if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            throw std::runtime_error("cannot register a window class");
    }
    // WM_NCCREATE attaches the window to this object (StdWndProc).
    const HWND wnd =
        ::CreateWindowExW(p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y,
                          p.Width, p.Height, p.WndParent, nullptr, inst, this);
    if (!wnd) throw std::runtime_error("cannot create a window");
    FHandle = wnd;
    SyncBounds();
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND wnd, UINT msg, WPARAM wParam,
                                         LPARAM lParam) noexcept {
    TWinControl* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<TWinControl*>(
            reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->FHandle = wnd;
        ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<TWinControl*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcW(wnd, msg, wParam, lParam);
    TMessage m{msg, wParam, lParam, 0};
    try {
        // The object may be freed while it handles a message; nothing below touches it then,
        // except at WM_NCDESTROY, which arrives only while the object still exists.
        self->CallWindowProc(m);
    } catch (...) {
        // The one place where failures inside handlers are swallowed: an exception must not
        // unwind through the system's message dispatcher. The message counts as handled.
        m.Result = 0;
    }
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
        self->FHandle = nullptr;
    }
    return m.Result;
}

void TWinControl::SetMessageHandler(UINT msg, TMessageHandler handler) {
    if (handler)
        FHandlers[msg] = std::move(handler);
    else
        FHandlers.erase(msg);
}

LRESULT TWinControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage m{msg, wParam, lParam, 0};
    CallWindowProc(m);
    return m.Result;
}

void TWinControl::CallWindowProc(TMessage& m) {
    if (FWindowProc) {
        // A copy: the hook may replace itself while it runs.
        const TWndMethod proc = FWindowProc;
        proc(m);
    } else {
        WndProc(m);
    }
}

TWndMethod TWinControl::WindowProc() {
    if (FWindowProc) return FWindowProc;
    return [this](TMessage& m) { WndProc(m); };
}

bool TWinControl::CanFocus() const {
    const TForm* form = GetParentForm(this);
    if (!form) return false;
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

void TWinControl::SetFocus() {
    if (TForm* form = GetParentForm(this); form && form != this) {
        form->SetActiveControl(this);
        return;
    }
    if (const HWND wnd = Handle()) ::SetFocus(wnd);
}

void TWinControl::NoteFocused() noexcept {
    // A window destroyed with the focus may hand it to its parent while that is going too.
    for (const TControl* c = this; c; c = c->Parent())
        if (c->Destroying()) return;
    // The control last given the focus is the one its form gives it back to.
    if (TForm* form = GetParentForm(this); form && form != this) form->ControlFocused(this);
}

bool TWinControl::Focused() const {
    return FHandle && ::GetFocus() == FHandle;
}

bool TWinControl::ContainsFocus() const noexcept {
    const HWND focus = ::GetFocus();
    return FHandle && focus && (focus == FHandle || ::IsChild(FHandle, focus));
}

void TWinControl::WndProc(TMessage& m) {
    if (const auto it = FHandlers.find(m.Msg); it != FHandlers.end()) {
        // A copy: the handler may rebind its own message.
        const TMessageHandler handler = it->second;
        handler(m);
        return;
    }
    Dispatch(m);
}

void TWinControl::Dispatch(TMessage& m) {
    switch (m.Msg) {
    case WM_PAINT:
        WMPaint(m);
        return;
    case WM_ERASEBKGND:
        m.Result = 1;
        return; // the background is painted with the rest in WM_PAINT
    case WM_WINDOWPOSCHANGED:
        SyncBounds();
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        HandleMouse(m);
        return;
    case WM_MOUSELEAVE:
        FTrackingLeave = false;
        SetMouseControl(nullptr);
        if (MouseInControl()) MouseLeave();
        return;
    case WM_CAPTURECHANGED:
        FCaptureControl = nullptr;
        break;
    case WM_SETCURSOR:
        if (WMSetCursor(m)) return;
        break;
    case WM_CONTEXTMENU:
        if (WMContextMenu(m)) return;
        break;
    case WM_SETFOCUS:
        NoteFocused();
        break;
    default:
        // Key messages offered before dispatch: nobody here wants them.
        if (IsCnKeyMessage(m.Msg)) {
            m.Result = 0;
            return;
        }
        break;
    }
    DefaultHandler(m);
}

void TWinControl::DefaultHandler(TMessage& m) {
    m.Result = FHandle ? ::DefWindowProcW(FHandle, m.Msg, m.WParam, m.LParam) : 0;
}

TShiftState TWinControl::KeysToShift(UINT keys) noexcept {
    TShiftState s = 0;
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    if (::GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

TControl* TWinControl::ControlAtPos(POINT p, bool allowDisabled) const {
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        TControl* c = *it;
        if (!dynamic_cast<TGraphicControl*>(c) || !c->Visible() ||
            (!c->Enabled() && !allowDisabled))
            continue;
        const RECT r = c->BoundsRect();
        if (::PtInRect(&r, p)) return c;
    }
    return nullptr;
}

void TWinControl::SetMouseControl(TControl* c) {
    if (c == FMouseControl) return;
    TControl* old = FMouseControl;
    FMouseControl = c;
    if (old) old->MouseLeave();
    if (c) c->MouseEnter();
}

void TWinControl::HandleMouse(TMessage& m) {
    const POINT p = PointFromLParam(m.LParam);
    const auto keys = static_cast<UINT>(m.WParam);
    const TShiftState shift = KeysToShift(keys);
    TControl* target = FCaptureControl ? FCaptureControl : ControlAtPos(p);
    if (!target) target = this;
    const int x = target == this ? p.x : p.x - target->FLeft;
    const int y = target == this ? p.y : p.y - target->FTop;

    if (m.Msg == WM_MOUSEMOVE) {
        if (!FTrackingLeave) {
            TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, FHandle, 0};
            FTrackingLeave = ::TrackMouseEvent(&t) != FALSE;
        }
        if (!MouseInControl()) MouseEnter();
        SetMouseControl(ControlAtPos(p, true));
        target->MouseMove(shift, x, y);
        return;
    }

    TMouseButton button = TMouseButton::mbLeft;
    if (m.Msg == WM_RBUTTONDOWN || m.Msg == WM_RBUTTONUP || m.Msg == WM_RBUTTONDBLCLK)
        button = TMouseButton::mbRight;
    else if (m.Msg == WM_MBUTTONDOWN || m.Msg == WM_MBUTTONUP || m.Msg == WM_MBUTTONDBLCLK)
        button = TMouseButton::mbMiddle;

    switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
        const bool dbl =
            m.Msg == WM_LBUTTONDBLCLK || m.Msg == WM_RBUTTONDBLCLK || m.Msg == WM_MBUTTONDBLCLK;
        if (target->ControlStyle & csCaptureMouse) {
            if (target != this) FCaptureControl = target;
            ::SetCapture(FHandle);
        }
        if (button == TMouseButton::mbLeft) {
            if (dbl && (target->ControlStyle & csDoubleClicks))
                target->DblClick();
            else if (target->ControlStyle & csClickEvents)
                target->FClicked = true;
        }
        target->MouseDown(button, dbl ? shift | ssDouble : shift, x, y);
        return;
    }
    default: { // button up
        FCaptureControl = nullptr;
        if (::GetCapture() == FHandle && !(keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)))
            ::ReleaseCapture();
        if (button == TMouseButton::mbLeft && target->FClicked) {
            target->FClicked = false;
            const RECT r = target->ClientRect();
            if (::PtInRect(&r, POINT{x, y})) target->Click();
        }
        target->MouseUp(button, shift, x, y);
        return;
    }
    }
}

bool TWinControl::WMSetCursor(TMessage& m) {
    if (reinterpret_cast<HWND>(m.WParam) != FHandle || LOWORD(m.LParam) != HTCLIENT) return false;
    POINT p;
    ::GetCursorPos(&p);
    ::ScreenToClient(FHandle, &p);
    const TControl* c = ControlAtPos(p, true);
    TCursor cursor = c ? c->Cursor() : TCursor::crDefault;
    if (cursor == TCursor::crDefault) cursor = Cursor();
    if (cursor == TCursor::crDefault) return false;
    ::SetCursor(CursorHandle(cursor));
    m.Result = TRUE;
    return true;
}

bool TWinControl::WMContextMenu(TMessage& m) {
    POINT screen = PointFromLParam(m.LParam);
    if (screen.x == -1 && screen.y == -1) ::GetCursorPos(&screen);
    POINT client = screen;
    ::ScreenToClient(FHandle, &client);
    TControl* c = ControlAtPos(client);
    if (!c) c = this;
    TPopupMenu* menu = c->PopupMenu();
    if (!menu || !menu->AutoPopup) return false;
    menu->PopupComponent = c;
    menu->Popup(screen.x, screen.y);
    m.Result = 0;
    return true;
}

void TWinControl::WMPaint(TMessage& m) {
    const PaintScope paint(FHandle);
    const RECT& area = paint.area();
    if (DoubleBuffered) {
        const RECT client = ClientRect();
        const UniqueMemDc mem(::CreateCompatibleDC(paint.dc()));
        const UniqueBitmap bmp(::CreateCompatibleBitmap(paint.dc(), client.right, client.bottom));
        if (mem && bmp) {
            const HGDIOBJ old = ::SelectObject(mem.get(), bmp.get());
            PaintWindow(mem.get(), area);
            PaintControls(mem.get(), area);
            ::BitBlt(paint.dc(), area.left, area.top, area.right - area.left,
                     area.bottom - area.top, mem.get(), area.left, area.top, SRCCOPY);
            ::SelectObject(mem.get(), old);
            m.Result = 0;
            return;
        }
    }
    PaintWindow(paint.dc(), area);
    PaintControls(paint.dc(), area);
    m.Result = 0;
}

void TWinControl::PaintWindow(HDC dc, const RECT& area) {
    const UniqueBrush brush(::CreateSolidBrush(ColorToRGB(Color())));
    if (brush) ::FillRect(dc, &area, brush.get());
}

void TWinControl::PaintControls(HDC dc, const RECT& area) {
    for (TControl* c : std::vector<TControl*>(FControls)) {
        auto* g = dynamic_cast<TGraphicControl*>(c);
        if (!g || !g->Visible() || !Intersects(g->BoundsRect(), area)) continue;
        const SavedDc saved(dc);
        POINT org;
        ::GetViewportOrgEx(dc, &org);
        ::SetViewportOrgEx(dc, org.x + g->Left(), org.y + g->Top(), nullptr);
        ::IntersectClipRect(dc, 0, 0, g->Width(), g->Height());
        struct CanvasScope {
            TCanvas& canvas;
            ~CanvasScope() { canvas.SetHandle(nullptr); }
        } scope{g->FCanvas};
        g->FCanvas.SetHandle(dc);
        g->Paint();
    }
}

void TWinControl::InsertControl(TControl* c) {
    FControls.push_back(c);
    if (auto* w = dynamic_cast<TWinControl*>(c); w && FHandle) w->HandleNeeded();
    c->Invalidate();
    if (c->Align() != TAlign::alNone) AlignControls();
}

void TWinControl::RemoveControl(TControl* c) noexcept {
    if (FCaptureControl == c) FCaptureControl = nullptr;
    if (FMouseControl == c) FMouseControl = nullptr;
    const auto it = std::find(FControls.begin(), FControls.end(), c);
    if (it == FControls.end()) return;
    FControls.erase(it);
    if (FHandle && !Destroying()) {
        const RECT r = c->BoundsRect();
        ::InvalidateRect(FHandle, &r, FALSE);
    }
}

void TWinControl::MoveControl(TControl* c, bool toFront) {
    const auto it = std::find(FControls.begin(), FControls.end(), c);
    if (it == FControls.end()) return;
    FControls.erase(it);
    if (toFront)
        FControls.push_back(c);
    else
        FControls.insert(FControls.begin(), c);
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->FHandle)
        ::SetWindowPos(w->FHandle, toFront ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    c->Invalidate();
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    ApplyConstraints(width, height);
    if (FHandle) {
        if (left != FLeft || top != FTop || width != FWidth || height != FHeight)
            ::SetWindowPos(FHandle, nullptr, left, top, width, height,
                           SWP_NOZORDER | SWP_NOACTIVATE);
        SyncBounds();
    } else {
        if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
        const bool sized = width != FWidth || height != FHeight;
        FLeft = left;
        FTop = top;
        FWidth = width;
        FHeight = height;
        if (sized) Resize();
    }
    if (Parent() && Align() != TAlign::alNone && !Parent()->FAligning) Parent()->AlignControls();
}

void TWinControl::SyncBounds() {
    if (!FHandle || ::IsIconic(FHandle)) return;
    RECT r;
    if (!::GetWindowRect(FHandle, &r)) return;
    if (::GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD)
        ::MapWindowPoints(HWND_DESKTOP, ::GetParent(FHandle), reinterpret_cast<POINT*>(&r), 2);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const bool sized = w != FWidth || h != FHeight;
    FLeft = r.left;
    FTop = r.top;
    FWidth = w;
    FHeight = h;
    if (sized) Resize();
}

RECT TWinControl::ClientRect() const {
    RECT r{0, 0, FWidth, FHeight};
    if (FHandle) ::GetClientRect(FHandle, &r);
    return r;
}

void TWinControl::Invalidate() {
    if (FHandle) ::InvalidateRect(FHandle, nullptr, FALSE);
}

void TWinControl::Resize() {
    AlignControls();
    TControl::Resize();
}

void TWinControl::VisibleChanged() {
    if (FHandle && (::GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD))
        ::ShowWindow(FHandle, FVisible ? SW_SHOWNOACTIVATE : SW_HIDE);
    else if (FVisible && Parent() && Parent()->HandleAllocated())
        HandleNeeded();
    TControl::VisibleChanged();
}

void TWinControl::AlignControls() {
    if (FAligning) return;
    const ScopedFlag aligning(FAligning);
    RECT r = ClientRect();
    const int cw = r.right - r.left, ch = r.bottom - r.top;
    // Anchored children follow the change of the client size since the last layout.
    if (FAnchorWidth >= 0 && (cw != FAnchorWidth || ch != FAnchorHeight)) {
        const int dx = cw - FAnchorWidth, dy = ch - FAnchorHeight;
        for (TControl* c : std::vector<TControl*>(FControls)) {
            if (c->Align() != TAlign::alNone) continue;
            const TAnchors a = c->Anchors();
            int l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
            if (a & akRight) {
                if (a & akLeft)
                    w += dx;
                else
                    l += dx;
            } else if (!(a & akLeft)) {
                l += dx / 2;
            }
            if (a & akBottom) {
                if (a & akTop)
                    h += dy;
                else
                    t += dy;
            } else if (!(a & akTop)) {
                t += dy / 2;
            }
            c->SetBounds(l, t, w, h);
        }
    }
    FAnchorWidth = cw;
    FAnchorHeight = ch;
    for (const TAlign kind :
         {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
        for (TControl* c : std::vector<TControl*>(FControls)) {
            if (!c->Visible() || c->Align() != kind) continue;
            switch (kind) {
            case TAlign::alTop:
                c->SetBounds(r.left, r.top, r.right - r.left, c->Height());
                r.top += c->Height();
                break;
            case TAlign::alBottom:
                c->SetBounds(r.left, r.bottom - c->Height(), r.right - r.left, c->Height());
                r.bottom -= c->Height();
                break;
            case TAlign::alLeft:
                c->SetBounds(r.left, r.top, c->Width(), r.bottom - r.top);
                r.left += c->Width();
                break;
            case TAlign::alRight:
                c->SetBounds(r.right - c->Width(), r.top, c->Width(), r.bottom - r.top);
                r.right -= c->Width();
                break;
            default:
                c->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
                break;
            }
        }
    }
}

TWinControl* FindControl(HWND wnd) noexcept {
    // Only windows of the classes registered here carry a control in their user data.
    if (!wnd || !::IsWindow(wnd) ||
        ::GetClassLongPtrW(wnd, GCLP_WNDPROC) !=
            reinterpret_cast<ULONG_PTR>(&TWinControl::StdWndProc))
        return nullptr;
    return reinterpret_cast<TWinControl*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
}

TWinControl* FindControlAtOrAbove(HWND wnd) noexcept {
    while (wnd) {
        if (TWinControl* control = FindControl(wnd)) return control;
        // A top-level window's "parent" is its owner, which is another window altogether.
        if (!(::GetWindowLongW(wnd, GWL_STYLE) & WS_CHILD)) return nullptr;
        wnd = ::GetParent(wnd);
    }
    return nullptr;
}

} // namespace tn
