#include "classlib/StdCtrls.h"

namespace tn {

RECT ImageDestRect(int w, int h, int cw, int ch, bool stretch, bool proportional,
                   bool center) noexcept {
    int width = w, height = h;
    if (stretch || (proportional && (w > cw || h > ch))) {
        if (proportional && w > 0 && h > 0) {
            const double ratio = static_cast<double>(w) / h;
            if (w > h) {
                width = cw;
                height = static_cast<int>(cw / ratio);
                if (height > ch) {
                    height = ch;
                    width = static_cast<int>(ch * ratio);
                }
            } else {
                height = ch;
                width = static_cast<int>(ch * ratio);
                if (width > cw) {
                    width = cw;
                    height = static_cast<int>(cw / ratio);
                }
            }
        } else {
            width = cw;
            height = ch;
        }
    }
    RECT r{0, 0, width, height};
    if (center) ::OffsetRect(&r, (cw - width) / 2, (ch - height) / 2);
    return r;
}

// --- TLabel --------------------------------------------------------------------------------------

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    ControlStyle |= csReplicatable;
    FWidth = 65;
    FHeight = 17;
    SetAutoSize(true);
}

void TLabel::SetTransparent(bool value) {
    if (value == FTransparent) return;
    FTransparent = value;
    Invalidate();
}

UINT TLabel::DrawFlags() const noexcept {
    return DT_EXPANDTABS | DT_LEFT | DT_TOP | (ShowAccelChar ? 0u : UINT{DT_NOPREFIX});
}

bool TLabel::CanAutoSize(int& newWidth, int& newHeight) {
    const WindowDc screen(nullptr);
    const HGDIOBJ old = ::SelectObject(screen.get(), Font().Handle());
    RECT r{0, 0, 0, 0};
    // An empty caption measures as one blank, so the label keeps a line's height.
    const std::wstring text = Caption().empty() ? L" " : Caption();
    ::DrawTextW(screen.get(), text.c_str(), static_cast<int>(text.size()), &r,
                DrawFlags() | DT_CALCRECT);
    ::SelectObject(screen.get(), old);
    newWidth = r.right;
    newHeight = r.bottom;
    return true;
}

void TLabel::TextChanged() {
    AdjustSize();
    Invalidate();
}

void TLabel::FontChanged() {
    AdjustSize();
    Invalidate();
}

void TLabel::Paint() {
    TCanvas& c = Canvas();
    RECT r = ClientRect();
    if (!FTransparent) {
        c.Brush.Color = Color();
        c.Brush.Style = TBrushStyle::bsSolid;
        c.FillRect(r);
    }
    const HDC dc = c.Handle();
    const HGDIOBJ old = ::SelectObject(dc, Font().Handle());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ColorToRGB(Enabled() ? Font().Color() : ::GetSysColor(COLOR_GRAYTEXT)));
    ::DrawTextW(dc, Caption().c_str(), static_cast<int>(Caption().size()), &r, DrawFlags());
    ::SelectObject(dc, old);
}

// --- TImage --------------------------------------------------------------------------------------

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
    FWidth = 105;
    FHeight = 105;
    FPicture.OnChange = [this](TObject*) { PictureChanged(); };
}

void TImage::SetStretch(bool v) {
    if (v == FStretch) return;
    FStretch = v;
    PictureChanged();
}
void TImage::SetCenter(bool v) {
    if (v == FCenter) return;
    FCenter = v;
    PictureChanged();
}
void TImage::SetProportional(bool v) {
    if (v == FProportional) return;
    FProportional = v;
    PictureChanged();
}
void TImage::SetTransparent(bool v) {
    if (v == FTransparent) return;
    FTransparent = v;
    PictureChanged();
}

void ApplyPictureStyle(TGraphic& graphic, bool transparent, const RECT& dest, int clientWidth,
                       int clientHeight, TControlStyle& style) {
    auto onChange = std::move(graphic.OnChange);
    graphic.SetTransparent(transparent);
    graphic.OnChange = std::move(onChange);
    const bool covers =
        dest.left <= 0 && dest.top <= 0 && dest.right >= clientWidth && dest.bottom >= clientHeight;
    if (!graphic.Transparent() && !graphic.SupportsPartialTransparency() && covers)
        style |= csOpaque;
    else
        style &= ~csOpaque;
}

RECT TImage::DestRect() const noexcept {
    return ImageDestRect(FPicture.Width(), FPicture.Height(), ClientWidth(), ClientHeight(),
                         FStretch, FProportional, FCenter);
}

void TImage::PictureChanged() {
    if (AutoSize() && FPicture.Width() > 0 && FPicture.Height() > 0)
        SetBounds(Left(), Top(), FPicture.Width(), FPicture.Height());
    if (TGraphic* g = FPicture.Graphic())
        ApplyPictureStyle(*g, FTransparent, DestRect(), ClientWidth(), ClientHeight(),
                          ControlStyle);
    if (!FDrawing) Invalidate();
}

bool TImage::CanAutoSize(int& newWidth, int& newHeight) {
    if (FPicture.Width() > 0 && FPicture.Height() > 0) {
        if (Align() == TAlign::alNone || Align() == TAlign::alLeft || Align() == TAlign::alRight)
            newWidth = FPicture.Width();
        if (Align() == TAlign::alNone || Align() == TAlign::alTop || Align() == TAlign::alBottom)
            newHeight = FPicture.Height();
    }
    return true;
}

void TImage::Paint() {
    const ScopedFlag drawing(FDrawing);
    if (const TGraphic* g = FPicture.Graphic(); g && !g->Empty())
        Canvas().StretchDraw(DestRect(), *g);
}

// --- TPanel --------------------------------------------------------------------------------------

TPanel::TPanel(TComponent* owner) : TWinControl(owner) {
    FWidth = 185;
    FHeight = 41;
}

void TPanel::SetBevelOuter(TBevelCut b) {
    if (b == FBevelOuter) return;
    FBevelOuter = b;
    Invalidate();
}

void TPanel::PaintWindow(HDC dc, const RECT& area) {
    TWinControl::PaintWindow(dc, area);
    if (FBevelOuter == TBevelCut::bvNone) return;
    RECT r = ClientRect();
    ::DrawEdge(dc, &r, FBevelOuter == TBevelCut::bvRaised ? BDR_RAISEDOUTER : BDR_SUNKENOUTER,
               BF_RECT);
}

} // namespace tn
