// The skinned image button: a windowless control that shows one of eight pictures by its state
// (normal, mouse over, mouse down, disabled; an unchecked and a checked set) under its caption.
#pragma once

#include "classlib/Controls.h"
#include "classlib/Graphics.h"

#include <string>

namespace tn {

class TZorButton : public TGraphicControl {
public:
    explicit TZorButton(TComponent* owner);
    ~TZorButton() override;

    [[nodiscard]] TPicture& Picture() noexcept { return FPicture; }
    void SetPicture(const TPicture& p) { FPicture.Assign(p); }
    [[nodiscard]] bool Check() const noexcept { return FCheck; }
    void SetCheck(bool value);

    [[nodiscard]] TPicture& PictureNormal() noexcept { return FPictureNormal; }
    [[nodiscard]] TPicture& PictureMouseOver() noexcept { return FPictureMouseOver; }
    [[nodiscard]] TPicture& PictureMouseDown() noexcept { return FPictureMouseDown; }
    [[nodiscard]] TPicture& PictureDisable() noexcept { return FPictureDisable; }
    [[nodiscard]] TPicture& PictureCheckNormal() noexcept { return FPictureCheckNormal; }
    [[nodiscard]] TPicture& PictureCheckMouseOver() noexcept { return FPictureCheckMouseOver; }
    [[nodiscard]] TPicture& PictureCheckMouseDown() noexcept { return FPictureCheckMouseDown; }
    [[nodiscard]] TPicture& PictureCheckDisable() noexcept { return FPictureCheckDisable; }
    // PictureNormal is also shown at once; the others only fill their own slot.
    void SetPictureNormal(const TPicture& p);
    void SetPictureMouseOver(const TPicture& p) { FPictureMouseOver.Assign(p); }
    void SetPictureMouseDown(const TPicture& p) { FPictureMouseDown.Assign(p); }
    void SetPictureDisable(const TPicture& p) { FPictureDisable.Assign(p); }
    void SetPictureCheckNormal(const TPicture& p) { FPictureCheckNormal.Assign(p); }
    void SetPictureCheckMouseOver(const TPicture& p) { FPictureCheckMouseOver.Assign(p); }
    void SetPictureCheckMouseDown(const TPicture& p) { FPictureCheckMouseDown.Assign(p); }
    void SetPictureCheckDisable(const TPicture& p) { FPictureCheckDisable.Assign(p); }

    [[nodiscard]] TColor TxtColorNormal() const noexcept { return FTxtColorNormal; }
    [[nodiscard]] TColor TxtColorMouseOver() const noexcept { return FTxtColorMouseOver; }
    [[nodiscard]] TColor TxtColorMouseDown() const noexcept { return FTxtColorMouseDown; }
    [[nodiscard]] TColor TxtColorDisable() const noexcept { return FTxtColorDisable; }
    // The normal colour is the font's colour at once; the others take effect on their state.
    void SetTxtColorNormal(TColor c);
    void SetTxtColorMouseOver(TColor c) noexcept { FTxtColorMouseOver = c; }
    void SetTxtColorMouseDown(TColor c) noexcept { FTxtColorMouseDown = c; }
    void SetTxtColorDisable(TColor c) noexcept { FTxtColorDisable = c; }
    [[nodiscard]] int TxtOffsetWidth() const noexcept { return FTxtOffsetWidth; }
    void SetTxtOffsetWidth(int v);

    [[nodiscard]] const std::wstring& SkinName() const noexcept { return FSkinName; }
    void SetSkinName(const std::wstring& v) { FSkinName = v; }
    [[nodiscard]] const std::wstring& SkinCheckName() const noexcept { return FSkinCheckName; }
    void SetSkinCheckName(const std::wstring& v) { FSkinCheckName = v; }
    // Loads the state pictures from folder + SkinName + "_normal.png" and its siblings.
    void SkinChange(const std::wstring& skinFolder);

    [[nodiscard]] bool Center() const noexcept { return FCenter; }
    void SetCenter(bool v);
    [[nodiscard]] bool Stretch() const noexcept { return FStretch; }
    void SetStretch(bool v);
    [[nodiscard]] bool Proportional() const noexcept { return FProportional; }
    void SetProportional(bool v);
    [[nodiscard]] bool Transparent() const noexcept { return FTransparent; }
    void SetTransparent(bool v);
    bool IncrementalDisplay = false;

    // The shown picture's bitmap canvas (an empty button gets a bitmap of its size first).
    [[nodiscard]] TCanvas& Canvas();
    [[nodiscard]] RECT DestRect() const noexcept;

    TMouseEvent OnMouseDownEx, OnMouseUpEx;
    TNotifyEvent OnMouseEnterEx, OnMouseLeaveEx;
    TProgressEvent OnProgress;

protected:
    bool CanAutoSize(int& newWidth, int& newHeight) override;
    void Paint() override;
    void EnabledChanged() override;

private:
    // The button drives its states from these; only the Ex events are for its users.
    using TControl::OnMouseDown;
    using TControl::OnMouseEnter;
    using TControl::OnMouseLeave;
    using TControl::OnMouseUp;

    void DoMouseEnter();
    void DoMouseLeave();
    void DoMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void DoMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    // Shows pic when it holds a graphic; otherwise the shown picture stays.
    void Take(const TPicture& pic);
    void PictureChanged();

    TPicture FPicture;
    bool FCheck = false;
    TPicture FPictureNormal, FPictureMouseOver, FPictureMouseDown, FPictureDisable;
    TPicture FPictureCheckNormal, FPictureCheckMouseOver, FPictureCheckMouseDown,
        FPictureCheckDisable;
    TColor FTxtColorNormal = clBlack, FTxtColorMouseOver = clBlack, FTxtColorMouseDown = clBlack,
           FTxtColorDisable = clBlack;
    int FTxtOffsetWidth = 25;
    bool FStretch = false, FCenter = false, FTransparent = false, FProportional = false;
    bool FDrawing = false;
    std::wstring FSkinName, FSkinCheckName;
};

} // namespace tn
