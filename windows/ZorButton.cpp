#include "windows/ZorButton.h"

#include "classlib/FileUtil.h"
#include "classlib/StdCtrls.h"

#include <cmath>

namespace tn {

TZorButton::TZorButton(TComponent* owner) : TGraphicControl(owner) {
    ControlStyle |= csSetCaption | csReplicatable | csPannable;
    FPicture.OnChange = [this](TObject*) { PictureChanged(); };
    FPicture.OnProgress = [this](TObject*, TProgressStage stage, int percent, bool redraw,
                                 const RECT& r, const std::wstring& msg) {
        if (IncrementalDisplay && redraw) Repaint();
        if (OnProgress) OnProgress(this, stage, percent, redraw, r, msg);
    };
    // The control's own mouse events drive the states; the Ex events are the published ones.
    OnMouseEnter = [this](TObject*) { DoMouseEnter(); };
    OnMouseLeave = [this](TObject*) { DoMouseLeave(); };
    OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
        DoMouseDown(b, s, x, y);
    };
    OnMouseUp = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
        DoMouseUp(b, s, x, y);
    };
    FTxtOffsetWidth = 25;
    SetBounds(Left(), Top(), 80, 28);
}

TZorButton::~TZorButton() {
    // The picture notifies this control; it must not once the control is going.
    FPicture.OnChange = nullptr;
    FPicture.OnProgress = nullptr;
}

void TZorButton::SetCheck(bool value) {
    FCheck = value;
    FPicture.Assign(value ? FPictureCheckNormal : FPictureNormal);
}

void TZorButton::SetPictureNormal(const TPicture& p) {
    FPictureNormal.Assign(p);
    FPicture.Assign(p);
}

void TZorButton::SetTxtColorNormal(TColor c) {
    FTxtColorNormal = c;
    Font().SetColor(c);
}

void TZorButton::SetTxtOffsetWidth(int v) {
    FTxtOffsetWidth = v;
    Repaint();
}

void TZorButton::SetCenter(bool v) {
    if (v == FCenter) return;
    FCenter = v;
    PictureChanged();
}
void TZorButton::SetStretch(bool v) {
    if (v == FStretch) return;
    FStretch = v;
    PictureChanged();
}
void TZorButton::SetProportional(bool v) {
    if (v == FProportional) return;
    FProportional = v;
    PictureChanged();
}
void TZorButton::SetTransparent(bool v) {
    if (v == FTransparent) return;
    FTransparent = v;
    PictureChanged();
}

void TZorButton::SkinChange(const std::wstring& skinFolder) {
    const std::wstring folder = IncludeTrailingBackslash(skinFolder);
    if (FSkinName.empty()) return;
    const auto load = [&](TPicture& pic, const std::wstring& base, const wchar_t* ending) {
        const std::wstring path = folder + base + ending;
        if (FileExists(path)) pic.LoadFromFile(path);
    };
    load(FPictureNormal, FSkinName, L"_normal.png");
    load(FPictureMouseOver, FSkinName, L"_over.png");
    load(FPictureMouseDown, FSkinName, L"_down.png");
    load(FPictureDisable, FSkinName, L"_disable.png");
    if (!FSkinCheckName.empty()) {
        load(FPictureCheckNormal, FSkinCheckName, L"_normal.png");
        load(FPictureCheckMouseOver, FSkinCheckName, L"_over.png");
        load(FPictureCheckMouseDown, FSkinCheckName, L"_down.png");
        load(FPictureCheckDisable, FSkinCheckName, L"_disable.png");
    }
    FPicture.Assign(FCheck ? FPictureCheckNormal : FPictureNormal);
}

void TZorButton::Take(const TPicture& pic) {
    if (pic.HasGraphic()) FPicture.Assign(pic);
}

void TZorButton::DoMouseEnter() {
    if (Enabled()) {
        Font().SetColor(FTxtColorMouseOver);
        Take(FCheck ? FPictureCheckMouseOver : FPictureMouseOver);
    }
    if (OnMouseEnterEx) OnMouseEnterEx(this);
}

void TZorButton::DoMouseLeave() {
    if (Enabled()) {
        Font().SetColor(FTxtColorNormal);
        Take(FCheck ? FPictureCheckNormal : FPictureNormal);
    }
    if (OnMouseLeaveEx) OnMouseLeaveEx(this);
}

void TZorButton::DoMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (Enabled()) {
        Font().SetColor(FTxtColorMouseDown);
        Take(FCheck ? FPictureCheckMouseDown : FPictureMouseDown);
    }
    if (OnMouseDownEx) OnMouseDownEx(this, button, shift, x, y);
}

void TZorButton::DoMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (Enabled()) {
        Font().SetColor(FTxtColorNormal);
        Take(FCheck ? FPictureCheckNormal : FPictureNormal);
    }
    if (OnMouseUpEx) OnMouseUpEx(this, button, shift, x, y);
}

void TZorButton::EnabledChanged() {
    if (Enabled()) {
        Font().SetColor(FTxtColorNormal);
        Take(FCheck ? FPictureCheckNormal : FPictureNormal);
    } else {
        Font().SetColor(FTxtColorDisable);
        Take(FCheck ? FPictureCheckDisable : FPictureDisable);
    }
    TGraphicControl::EnabledChanged();
}

RECT TZorButton::DestRect() const noexcept {
    return ImageDestRect(FPicture.Width(), FPicture.Height(), ClientWidth(), ClientHeight(),
                         FStretch, FProportional, FCenter);
}

void TZorButton::PictureChanged() {
    if (AutoSize() && FPicture.Width() > 0 && FPicture.Height() > 0)
        SetBounds(Left(), Top(), FPicture.Width(), FPicture.Height());
    if (TGraphic* g = FPicture.Graphic())
        ApplyPictureStyle(*g, FTransparent, DestRect(), ClientWidth(), ClientHeight(),
                          ControlStyle);
    if (!FDrawing) Invalidate();
}

bool TZorButton::CanAutoSize(int& newWidth, int& newHeight) {
    if (Designing() && !(FPicture.Width() > 0 && FPicture.Height() > 0)) return true;
    if (Align() == TAlign::alNone || Align() == TAlign::alLeft || Align() == TAlign::alRight)
        newWidth = FPicture.Width();
    if (Align() == TAlign::alNone || Align() == TAlign::alTop || Align() == TAlign::alBottom)
        newHeight = FPicture.Height();
    return true;
}

TCanvas& TZorButton::Canvas() {
    if (!FPicture.Graphic()) {
        auto bmp = std::make_unique<TBitmap>();
        bmp->SetSize(Width(), Height());
        FPicture.SetGraphic(std::move(bmp));
    }
    if (auto* bmp = dynamic_cast<TBitmap*>(FPicture.Graphic())) return bmp->Canvas();
    throw EInvalidOperation("Can only modify an image if it contains a bitmap");
}

void TZorButton::Paint() {
    // A button whose layout gave only the normal picture shows it.
    if (FPictureNormal.HasGraphic() && !FPicture.HasGraphic()) FPicture.Assign(FPictureNormal);
    TCanvas& canvas = TGraphicControl::Canvas();
    if (Designing()) {
        canvas.Pen.Style = TPenStyle::psDash;
        canvas.Brush.Style = TBrushStyle::bsClear;
        canvas.Rectangle(ClientRect());
    }
    const ScopedFlag drawing(FDrawing);
    // No form here is painted on a glass frame, so the buffered glass painting never applies.
    if (const TGraphic* g = FPicture.Graphic(); g && !g->Empty())
        canvas.StretchDraw(DestRect(), *g);
    if (!Caption().empty()) {
        canvas.Brush.Style = TBrushStyle::bsClear;
        canvas.Font = Font();
        const int textHeight = canvas.TextHeight(Caption());
        // Half a pixel rounds to even, the rounding the layouts were laid out with.
        const int y = static_cast<int>(std::lrint((ClientHeight() - textHeight) / 2.0));
        canvas.TextOut(FTxtOffsetWidth, y, Caption());
    }
}

} // namespace tn
