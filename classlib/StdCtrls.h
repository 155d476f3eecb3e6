// Label, image and panel controls. The image's rule for its destination rectangle is shared with
// the controls that draw pictures the same way.
#pragma once

#include "classlib/Controls.h"
#include "classlib/Graphics.h"

namespace tn {

// Where a picture of w x h lands in a client area of cw x ch.
[[nodiscard]] RECT ImageDestRect(int w, int h, int cw, int ch, bool stretch, bool proportional,
                                 bool center) noexcept;

// The picture-changed step of the controls that show a picture: the graphic takes the control's
// transparency (quietly, as this step already answers its change), and the control is opaque
// exactly when the graphic paints every pixel of the client area.
void ApplyPictureStyle(TGraphic& graphic, bool transparent, const RECT& dest, int clientWidth,
                       int clientHeight, TControlStyle& style);

class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* owner);
    [[nodiscard]] bool Transparent() const noexcept { return FTransparent; }
    void SetTransparent(bool value);
    // "&" marks the next character as a hot key, as in menus.
    bool ShowAccelChar = true;

protected:
    void Paint() override;
    bool CanAutoSize(int& newWidth, int& newHeight) override;
    void TextChanged() override;
    void FontChanged() override;

private:
    [[nodiscard]] UINT DrawFlags() const noexcept;
    bool FTransparent = false;
};

class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);
    [[nodiscard]] TPicture& Picture() noexcept { return FPicture; }
    void SetPicture(const TPicture& picture) { FPicture.Assign(picture); }
    [[nodiscard]] bool Stretch() const noexcept { return FStretch; }
    void SetStretch(bool v);
    [[nodiscard]] bool Center() const noexcept { return FCenter; }
    void SetCenter(bool v);
    [[nodiscard]] bool Proportional() const noexcept { return FProportional; }
    void SetProportional(bool v);
    [[nodiscard]] bool Transparent() const noexcept { return FTransparent; }
    void SetTransparent(bool v);
    bool IncrementalDisplay = false;
    [[nodiscard]] RECT DestRect() const noexcept;

protected:
    void Paint() override;
    bool CanAutoSize(int& newWidth, int& newHeight) override;

private:
    void PictureChanged();
    TPicture FPicture;
    bool FStretch = false, FCenter = false, FProportional = false, FTransparent = false;
    bool FDrawing = false;
};

enum class TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public TWinControl {
public:
    explicit TPanel(TComponent* owner);
    [[nodiscard]] TBevelCut BevelOuter() const noexcept { return FBevelOuter; }
    void SetBevelOuter(TBevelCut b);
    // Kept for the layouts; the panel always paints its own colour.
    bool ParentBackground = false;

protected:
    [[nodiscard]] const wchar_t* ClassName() const noexcept override { return L"TPanel"; }
    void PaintWindow(HDC dc, const RECT& area) override;

private:
    TBevelCut FBevelOuter = TBevelCut::bvRaised;
};

} // namespace tn
