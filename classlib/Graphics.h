// Colours, cursors, fonts, the canvas over a device context, and pictures: a picture holds one
// graphic, a 32-bit bitmap or a PNG image, and draws it with per-pixel alpha.
#pragma once

#include "classlib/Component.h"
#include "classlib/Handles.h"
#include "classlib/Png.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace tn {

class TMemoryStream;

// 0x00BBGGRR, or a system colour (high bit set, low byte the COLOR_* index).
using TColor = std::uint32_t;
inline constexpr TColor clBlack = 0x000000, clWhite = 0xFFFFFF, clYellow = 0x00FFFF,
                        clRed = 0x0000FF, clBtnFace = 0x80000000u | COLOR_BTNFACE,
                        clWindow = 0x80000000u | COLOR_WINDOW, clNone = 0x1FFFFFFF;
[[nodiscard]] COLORREF ColorToRGB(TColor c) noexcept;

enum class TCursor : int {
    crDefault = 0,
    crNone = -1,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSizeNESW = -6,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crHourGlass = -11,
    crNo = -18,
    crAppStart = -19,
    crHelp = -20,
    crHandPoint = -21,
    crSizeAll = -22,
};
// The shared system cursor for a cursor value (crDefault and crNone give null).
[[nodiscard]] HCURSOR CursorHandle(TCursor c) noexcept;

class EInvalidGraphic : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class EInvalidOperation : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;
enum class TProgressStage { psStarting, psRunning, psEnding };
using TProgressEvent = std::function<void(TObject* Sender, TProgressStage Stage, int PercentDone,
                                          bool RedrawNow, const RECT& R, const std::wstring& Msg)>;

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

class TFont : public TObject {
public:
    TFont() = default;
    TFont(const TFont& o)
        : TObject(o), FName(o.FName), FHeight(o.FHeight), FColor(o.FColor), FStyle(o.FStyle) {}
    TFont& operator=(const TFont& o);

    [[nodiscard]] const std::wstring& Name() const noexcept { return FName; }
    void SetName(const std::wstring& name);
    // Character height in pixels, negative as the system takes it (Tahoma 8 pt is -11).
    [[nodiscard]] int Height() const noexcept { return FHeight; }
    void SetHeight(int height);
    [[nodiscard]] TColor Color() const noexcept { return FColor; }
    void SetColor(TColor color);
    [[nodiscard]] unsigned Style() const noexcept { return FStyle; }
    void SetStyle(unsigned styles);
    // Made on first use and again after each change.
    [[nodiscard]] HFONT Handle() const;

    TNotifyEvent OnChange;

private:
    void Changed();
    std::wstring FName = L"Tahoma";
    int FHeight = -11;
    TColor FColor = clBlack;
    unsigned FStyle = 0;
    mutable UniqueFontHandle FHandle;
};

enum class TBrushStyle { bsSolid, bsClear };
struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = TBrushStyle::bsSolid;
};
enum class TPenStyle { psSolid, psDash, psDot, psClear };
struct TPen {
    TColor Color = clBlack;
    TPenStyle Style = TPenStyle::psSolid;
    int Width = 1;
};

class TGraphic;

// Drawing on a device context that someone else owns (a paint DC, a bitmap's memory DC). The
// canvas selects its font, brush and pen only for the duration of each operation.
class TCanvas : public TObject {
public:
    TCanvas() = default;
    explicit TCanvas(HDC dc) noexcept : FHandle(dc) {}
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    [[nodiscard]] HDC Handle() const noexcept { return FHandle; }
    void SetHandle(HDC dc) noexcept { FHandle = dc; }

    TFont Font;
    TBrush Brush;
    TPen Pen;

    void TextOut(int x, int y, const std::wstring& text);
    [[nodiscard]] SIZE TextExtent(const std::wstring& text) const;
    [[nodiscard]] int TextWidth(const std::wstring& text) const { return TextExtent(text).cx; }
    [[nodiscard]] int TextHeight(const std::wstring& text) const { return TextExtent(text).cy; }
    void FillRect(const RECT& r);
    // Outline with the pen, inside filled with the brush (unless the brush is clear).
    void Rectangle(const RECT& r);
    void Draw(int x, int y, const TGraphic& graphic, BYTE opacity = 255);
    void StretchDraw(const RECT& r, const TGraphic& graphic, BYTE opacity = 255);

private:
    HDC FHandle = nullptr;
};

// A picture's content. Changes are reported through OnChange; loading through OnProgress.
class TGraphic : public TObject {
public:
    [[nodiscard]] virtual int Width() const noexcept = 0;
    [[nodiscard]] virtual int Height() const noexcept = 0;
    [[nodiscard]] virtual bool Empty() const noexcept { return Width() == 0 || Height() == 0; }
    [[nodiscard]] bool Transparent() const noexcept { return FTransparent; }
    void SetTransparent(bool value);
    // Whether the graphic has an alpha channel that drawing honours.
    [[nodiscard]] virtual bool SupportsPartialTransparency() const noexcept { return false; }
    // Stretches the graphic into r on the canvas, blended with the given constant opacity.
    virtual void Draw(TCanvas& canvas, const RECT& r, BYTE opacity = 255) const = 0;
    [[nodiscard]] virtual std::unique_ptr<TGraphic> Clone() const = 0;
    // Raises EInvalidGraphic when the bytes are not a picture of this kind.
    virtual void LoadFromBytes(const std::uint8_t* data, std::size_t size) = 0;

    TNotifyEvent OnChange;
    TProgressEvent OnProgress;

protected:
    TGraphic() = default;
    TGraphic(const TGraphic& o) : TObject(o), FTransparent(o.FTransparent) {}
    void Changed();
    void Progress(TProgressStage stage, int percent);

private:
    bool FTransparent = false;
};

enum class TAlphaFormat { afIgnored, afPremultiplied };

// A top-down 32-bit device-independent bitmap with its own memory DC and canvas.
class TBitmap : public TGraphic {
public:
    TBitmap() = default;
    TBitmap(const TBitmap& o);
    TBitmap& operator=(const TBitmap&) = delete;
    ~TBitmap() override;

    [[nodiscard]] int Width() const noexcept override { return FWidth; }
    [[nodiscard]] int Height() const noexcept override { return FHeight; }
    void SetSize(int width, int height);
    [[nodiscard]] HBITMAP Handle() const noexcept { return FBitmap.get(); }
    // B, G, R, A bytes, top-down rows of Width * 4 bytes; null while empty.
    [[nodiscard]] std::uint8_t* Bits() const noexcept { return FBits; }
    [[nodiscard]] TAlphaFormat AlphaFormat() const noexcept { return FAlphaFormat; }
    void SetAlphaFormat(TAlphaFormat f);
    // The canvas draws into the bitmap; call Modified after drawing through it.
    [[nodiscard]] TCanvas& Canvas();
    void Modified() { Changed(); }

    [[nodiscard]] bool SupportsPartialTransparency() const noexcept override {
        return FAlphaFormat == TAlphaFormat::afPremultiplied;
    }
    void Draw(TCanvas& canvas, const RECT& r, BYTE opacity = 255) const override;
    [[nodiscard]] std::unique_ptr<TGraphic> Clone() const override;
    // Uncompressed BMP files of 1 to 32 bits per pixel.
    void LoadFromBytes(const std::uint8_t* data, std::size_t size) override;
    // A Windows bitmap file of 32 bits per pixel, rows bottom-up, written at the stream's
    // position. Raises EInvalidGraphic for an empty bitmap.
    void SaveToStream(TMemoryStream& stream) const;
    // The same as a file, which is replaced. Raises EInvalidGraphic, and EFileError when the file
    // cannot be written.
    void SaveToFile(const std::wstring& path) const;

private:
    void Release() noexcept;
    [[nodiscard]] HDC MemoryDc() const;

    int FWidth = 0, FHeight = 0;
    UniqueBitmap FBitmap;
    std::uint8_t* FBits = nullptr;
    mutable UniqueMemDc FDc;
    mutable HGDIOBJ FOldBitmap = nullptr;
    TAlphaFormat FAlphaFormat = TAlphaFormat::afIgnored;
    std::unique_ptr<TCanvas> FCanvas;
};

// A decoded PNG; drawn through a premultiplied copy made on first draw.
class TPngImage : public TGraphic {
public:
    TPngImage() = default;
    TPngImage(const TPngImage& o) : TGraphic(o), FImage(o.FImage) {}
    TPngImage& operator=(const TPngImage&) = delete;

    [[nodiscard]] int Width() const noexcept override { return static_cast<int>(FImage.width); }
    [[nodiscard]] int Height() const noexcept override { return static_cast<int>(FImage.height); }
    [[nodiscard]] const png::Image& Image() const noexcept { return FImage; }
    [[nodiscard]] bool SupportsPartialTransparency() const noexcept override {
        return FImage.hasAlpha;
    }
    void Draw(TCanvas& canvas, const RECT& r, BYTE opacity = 255) const override;
    [[nodiscard]] std::unique_ptr<TGraphic> Clone() const override;
    void LoadFromBytes(const std::uint8_t* data, std::size_t size) override;

private:
    png::Image FImage;
    mutable std::unique_ptr<TBitmap> FPremultiplied;
};

// Holds one graphic (or none). Copying copies the graphic; changes of the graphic are passed on.
class TPicture : public TObject {
public:
    TPicture() = default;
    TPicture(const TPicture& o);
    TPicture& operator=(const TPicture& o);
    ~TPicture() override;

    [[nodiscard]] TGraphic* Graphic() const noexcept { return FGraphic.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    // Copies the other picture's graphic (none when it has none).
    void Assign(const TPicture& other);
    [[nodiscard]] bool HasGraphic() const noexcept { return FGraphic && !FGraphic->Empty(); }
    [[nodiscard]] int Width() const noexcept { return FGraphic ? FGraphic->Width() : 0; }
    [[nodiscard]] int Height() const noexcept { return FGraphic ? FGraphic->Height() : 0; }
    // The graphic as a bitmap; a graphic of another kind is replaced by an empty bitmap first.
    [[nodiscard]] TBitmap& Bitmap();

    // PNG, JPEG or BMP, told apart by their first bytes; EInvalidGraphic when none or corrupt.
    void LoadFromBytes(const std::uint8_t* data, std::size_t size);
    void LoadFromFile(const std::wstring& path);
    // An RCDATA resource of the module (the executable when module is null).
    void LoadFromResource(const wchar_t* name, HMODULE module = nullptr);

    TNotifyEvent OnChange;
    TProgressEvent OnProgress;

private:
    void Attach();
    void Changed();

    std::unique_ptr<TGraphic> FGraphic;
};

} // namespace tn
