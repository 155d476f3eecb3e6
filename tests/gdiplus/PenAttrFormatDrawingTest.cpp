// Real GDI+ under this Wine: pens, caps, image attributes, cached bitmaps, string formats and
// metafiles drawing into bitmaps and read back.
//
// Not called here: GdipGetCustomLineCapStrokeCaps stops the process under this Wine (the spy test
// covers GetStrokeCaps).
#include "Attached.h"
#include "DrawingSupport.h"

#include "gdiplus/Gdiplus.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <typeinfo>
#include <vector>

using namespace tn::gdiplus;
using namespace tn::gdiplus::testing;

namespace {

std::unique_ptr<TGPGraphicsPath> Polygon(std::initializer_list<TGPPointF> points) {
    GpPath* path = nullptr;
    EXPECT_EQ(Gdip().GdipCreatePath(FillModeAlternate, &path), Ok);
    EXPECT_EQ(Gdip().GdipAddPathPolygon(path, points.begin(), static_cast<INT>(points.size())), Ok);
    return MakeAttached<TGPGraphicsPath>(path);
}

// A 32-bit ARGB bitmap with a graphics object on it, cleared to one colour.
class Canvas {
public:
    Canvas(int width, int height, ARGB background = 0xFFFFFFFF)
        : bitmap(TGPBitmap::Create(width, height, PixelFormat32bppARGB)),
          graphics(TGPGraphics::FromImage(bitmap.get())) {
        EXPECT_EQ(graphics->GetLastStatus(), Ok);
        graphics->Clear(background);
    }
    [[nodiscard]] ARGB At(int x, int y) const {
        ARGB color = 0;
        EXPECT_EQ(bitmap->GetPixel(x, y, color), Ok);
        return color;
    }
    [[nodiscard]] bool Dark(int x, int y) const {
        const ARGB c = At(x, y);
        return (c & 0xFF) < 0x80 && ((c >> 8) & 0xFF) < 0x80 && ((c >> 16) & 0xFF) < 0x80;
    }
    // Leftmost and rightmost dark columns of the whole canvas, -1 when none.
    [[nodiscard]] std::pair<int, int> DarkColumns() const {
        int first = -1, last = -1;
        for (int x = 0; x < static_cast<int>(bitmap->GetWidth()); ++x)
            for (int y = 0; y < static_cast<int>(bitmap->GetHeight()); ++y)
                if (Dark(x, y)) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
        return {first, last};
    }

    std::unique_ptr<TGPBitmap> bitmap;
    std::unique_ptr<TGPGraphics> graphics;
};

// ---- pens
// ----------------------------------------------------------------------------------------

TEST(GdipPenAttrFormatDrawing, PenWidthAndDashesShowInDrawnLines) {
    Canvas canvas(40, 40);
    auto pen = TGPPen::Create(0xFF000000, 5.0f);
    ASSERT_EQ(pen->GetLastStatus(), Ok);
    EXPECT_EQ(pen->GetWidth(), 5.0f);
    ASSERT_EQ(canvas.graphics->DrawLine(pen.get(), 2.0f, 10.0f, 38.0f, 10.0f), Ok);
    EXPECT_TRUE(canvas.Dark(20, 8));
    EXPECT_TRUE(canvas.Dark(20, 12));
    EXPECT_FALSE(canvas.Dark(20, 5));
    EXPECT_FALSE(canvas.Dark(20, 15));

    // A dashed line has gaps along its length; the solid one has none.
    auto gaps = [&](int y) {
        int count = 0;
        for (int x = 4; x < 36; ++x)
            count += canvas.Dark(x, y) && !canvas.Dark(x + 1, y) ? 1 : 0;
        return count;
    };
    EXPECT_EQ(gaps(10), 0);
    ASSERT_EQ(pen->SetWidth(2.0f), Ok);
    ASSERT_EQ(pen->SetDashStyle(DashStyleDash), Ok);
    EXPECT_EQ(pen->GetDashStyle(), DashStyleDash);
    ASSERT_EQ(canvas.graphics->DrawLine(pen.get(), 0.0f, 25.0f, 40.0f, 25.0f), Ok);
    EXPECT_GE(gaps(25), 3);

    const REAL pattern[] = {1.0f, 3.0f};
    ASSERT_EQ(pen->SetDashPattern(pattern), Ok);
    EXPECT_EQ(pen->GetDashStyle(), DashStyleCustom);
    ASSERT_EQ(pen->GetDashPatternCount(), 2);
    REAL back[2] = {};
    ASSERT_EQ(pen->GetDashPattern(back), Ok);
    EXPECT_EQ(back[0], 1.0f);
    EXPECT_EQ(back[1], 3.0f);
    ASSERT_EQ(pen->SetDashOffset(2.0f), Ok);
    EXPECT_EQ(pen->GetDashOffset(), 2.0f);
    ASSERT_EQ(canvas.graphics->DrawLine(pen.get(), 0.0f, 33.0f, 40.0f, 33.0f), Ok);
    EXPECT_GE(gaps(33), 4); // dash 2, gap 6: more and shorter dashes
    EXPECT_EQ(pen->GetLastStatus(), Ok);
}

TEST(GdipPenAttrFormatDrawing, CapsAndJoinsShowAtLineEndsAndCorners) {
    struct CapRow {
        LineCap cap;
        bool beyondEnd;    // (7, 20): on the axis 3 px before the line's start
        bool beyondCorner; // (6, 15): off the axis, 4 px before it
    };
    const CapRow caps[] = {
        {LineCapFlat, false, false},
        {LineCapSquare, true, true},
        {LineCapRound, true, false},
        {LineCapTriangle, true, false},
    };
    for (const CapRow& row : caps) {
        Canvas canvas(40, 40);
        auto pen = TGPPen::Create(0xFF000000, 10.0f);
        ASSERT_EQ(pen->SetLineCap(row.cap, row.cap, DashCapFlat), Ok);
        EXPECT_EQ(pen->GetStartCap(), row.cap);
        EXPECT_EQ(pen->GetEndCap(), row.cap);
        ASSERT_EQ(canvas.graphics->DrawLine(pen.get(), 10.0f, 20.0f, 30.0f, 20.0f), Ok);
        EXPECT_TRUE(canvas.Dark(20, 20)) << row.cap;
        EXPECT_EQ(canvas.Dark(7, 20), row.beyondEnd) << row.cap;
        EXPECT_EQ(canvas.Dark(6, 15), row.beyondCorner) << row.cap;
        EXPECT_EQ(canvas.Dark(33, 20), row.beyondEnd) << row.cap;
    }

    // A sharp corner at (20, 12): a mitre reaches above it, a bevel does not. Measured: this Wine
    // draws a round join as a bevel.
    struct JoinRow {
        LineJoin join;
        bool tip;  // (20, 8)
        bool edge; // (20, 10)
    };
    const JoinRow joins[] = {
        {LineJoinMiter, true, true},
        {LineJoinBevel, false, false},
        {LineJoinRound, false, false},
    };
    const TGPPointF corner[] = {{5, 38}, {20, 12}, {35, 38}};
    for (const JoinRow& row : joins) {
        Canvas canvas(40, 40);
        auto pen = TGPPen::Create(0xFF000000, 6.0f);
        ASSERT_EQ(pen->SetLineJoin(row.join), Ok);
        EXPECT_EQ(pen->GetLineJoin(), row.join);
        ASSERT_EQ(canvas.graphics->DrawLines(pen.get(), corner, 3), Ok);
        EXPECT_TRUE(canvas.Dark(20, 14)) << row.join;
        EXPECT_EQ(canvas.Dark(20, 8), row.tip) << row.join;
        EXPECT_EQ(canvas.Dark(20, 10), row.edge) << row.join;
    }
}

TEST(GdipPenAttrFormatDrawing, CompoundLineIsKeptButPaintedAsOneBandHere) {
    Canvas canvas(40, 40);
    auto pen = TGPPen::Create(0xFF000000, 12.0f);
    const REAL compound[] = {0.0f, 0.25f, 0.75f, 1.0f};
    ASSERT_EQ(pen->SetCompoundArray(compound), Ok);
    ASSERT_EQ(pen->GetCompoundArrayCount(), 4);
    REAL back[4] = {};
    ASSERT_EQ(pen->GetCompoundArray(back), Ok);
    EXPECT_EQ(back[2], 0.75f);
    ASSERT_EQ(canvas.graphics->DrawLine(pen.get(), 5.0f, 20.0f, 35.0f, 20.0f), Ok);
    // Measured: this Wine ignores the compound array when drawing, so the middle gap is painted
    // with the rest of the 12 px band.
    for (int y = 15; y <= 24; ++y)
        EXPECT_TRUE(canvas.Dark(20, y)) << y;
    EXPECT_FALSE(canvas.Dark(20, 12));
    EXPECT_FALSE(canvas.Dark(20, 27));
}

TEST(GdipPenAttrFormatDrawing, CustomCapIsDrawnAtTheLineEnd) {
    // A square around the cap's origin, in units of the pen's width.
    auto square = Polygon({{-3, -3}, {3, -3}, {3, 3}, {-3, 3}});
    auto cap = TGPCustomLineCap::Create(square.get(), nullptr);
    ASSERT_TRUE(cap);
    ASSERT_EQ(cap->GetLastStatus(), Ok);
    ASSERT_NE(cap->Native(), nullptr);
    EXPECT_EQ(cap->SetStrokeCap(LineCapRound), Ok);
    EXPECT_EQ(cap->SetStrokeJoin(LineJoinBevel), Ok);
    EXPECT_EQ(cap->GetStrokeJoin(), LineJoinBevel);
    EXPECT_EQ(cap->SetBaseInset(1.0f), Ok);
    EXPECT_EQ(cap->GetBaseInset(), 1.0f);
    EXPECT_EQ(cap->SetWidthScale(1.0f), Ok);
    EXPECT_EQ(cap->GetWidthScale(), 1.0f);
    EXPECT_EQ(cap->GetBaseCap(), LineCapFlat);

    Canvas canvas(40, 40);
    auto pen = TGPPen::Create(0xFF000000, 2.0f);
    ASSERT_EQ(pen->SetCustomEndCap(cap.get()), Ok);
    EXPECT_EQ(pen->GetEndCap(), LineCapCustom);
    ASSERT_EQ(canvas.graphics->DrawLine(pen.get(), 5.0f, 20.0f, 25.0f, 20.0f), Ok);
    EXPECT_TRUE(canvas.Dark(15, 20));
    EXPECT_FALSE(canvas.Dark(15, 15)); // the line itself is 2 px wide
    EXPECT_TRUE(canvas.Dark(25, 15));  // the cap square is 12 px wide around the end
    EXPECT_TRUE(canvas.Dark(29, 24));
    EXPECT_FALSE(canvas.Dark(5, 15)); // no cap at the start

    // The pen hands out a copy of its cap; a clone of that is a cap of its own.
    auto copy = TGPCustomLineCap::Create();
    ASSERT_EQ(pen->GetCustomEndCap(copy.get()), Ok);
    ASSERT_NE(copy->Native(), nullptr);
    EXPECT_NE(copy->Native(), cap->Native());
    EXPECT_EQ(copy->GetBaseInset(), 1.0f);
    auto clone = copy->Clone();
    ASSERT_TRUE(clone);
    EXPECT_EQ(clone->GetBaseInset(), 1.0f);
    EXPECT_EQ(clone->GetLastStatus(), Ok);
    // No cap is passed on as none; this Wine refuses it.
    EXPECT_EQ(pen->SetCustomEndCap(nullptr), InvalidParameter);
}

TEST(GdipPenAttrFormatDrawing, PenFillsComeBackAsBrushesOfTheirClass) {
    auto solid = TGPPen::Create(0xFF204060, 2.0f);
    EXPECT_EQ(solid->GetPenType(), BrushTypeSolidColor);
    ARGB color = 0;
    EXPECT_EQ(solid->GetColor(color), Ok);
    EXPECT_EQ(color, 0xFF204060u);
    auto solidFill = solid->GetBrush();
    ASSERT_TRUE(solidFill);
    EXPECT_NE(dynamic_cast<TGPSolidBrush*>(solidFill.get()), nullptr);
    BrushType type = BrushTypeHatchFill;
    ASSERT_EQ(Gdip().GdipGetBrushType(solidFill->Native(), &type), Ok);
    EXPECT_EQ(type, BrushTypeSolidColor);

    GpHatch* hatch = nullptr;
    ASSERT_EQ(Gdip().GdipCreateHatchBrush(HatchStyleCross, 0xFF000000, 0xFFFFFFFF, &hatch), Ok);
    auto hatchBrush = MakeAttached<TGPBrush>(static_cast<GpBrush*>(hatch));
    auto hatched = TGPPen::Create(hatchBrush.get(), 3.0f);
    ASSERT_EQ(hatched->GetLastStatus(), Ok);
    EXPECT_EQ(hatched->GetPenType(), BrushTypeHatchFill);
    EXPECT_EQ(hatched->GetColor(color), WrongState);
    EXPECT_EQ(hatched->GetLastStatus(), Ok);
    auto hatchFill = hatched->GetBrush();
    ASSERT_TRUE(hatchFill);
    EXPECT_NE(dynamic_cast<TGPHatchBrush*>(hatchFill.get()), nullptr);
    EXPECT_NE(hatchFill->Native(), hatchBrush->Native()); // a copy the caller owns

    const TGPPointF triangle[] = {{0, 0}, {10, 0}, {5, 10}};
    GpPathGradient* gradient = nullptr;
    ASSERT_EQ(Gdip().GdipCreatePathGradient(triangle, 3, WrapModeClamp, &gradient), Ok);
    auto gradientBrush = MakeAttached<TGPBrush>(static_cast<GpBrush*>(gradient));
    ASSERT_EQ(solid->SetBrush(gradientBrush.get()), Ok);
    EXPECT_EQ(solid->GetPenType(), BrushTypePathGradient);
    auto gradientFill = solid->GetBrush();
    ASSERT_TRUE(gradientFill);
    EXPECT_EQ(typeid(*gradientFill), typeid(TGPBrush));
    EXPECT_NE(gradientFill->Native(), nullptr);
    EXPECT_EQ(gradientFill->GetLastStatus(), NotImplemented);

    const TGPPointF from{0, 0}, to{10, 0};
    GpLineGradient* line = nullptr;
    ASSERT_EQ(Gdip().GdipCreateLineBrush(&from, &to, 0xFF000000, 0xFFFFFFFF, WrapModeTile, &line),
              Ok);
    auto lineBrush = MakeAttached<TGPBrush>(static_cast<GpBrush*>(line));
    ASSERT_EQ(solid->SetBrush(lineBrush.get()), Ok);
    EXPECT_NE(dynamic_cast<TGPLinearGradientBrush*>(solid->GetBrush().get()), nullptr);

    auto picture = TGPBitmap::Create(2, 2);
    GpTexture* texture = nullptr;
    ASSERT_EQ(Gdip().GdipCreateTexture(picture->Native(), WrapModeTile, &texture), Ok);
    auto textureBrush = MakeAttached<TGPBrush>(static_cast<GpBrush*>(texture));
    ASSERT_EQ(solid->SetBrush(textureBrush.get()), Ok);
    EXPECT_NE(dynamic_cast<TGPTextureBrush*>(solid->GetBrush().get()), nullptr);

    EXPECT_EQ(solid->GetLastStatus(), Ok);
    // Measured: this Wine sets a colour only on a pen that already has one.
    EXPECT_EQ(solid->SetColor(0xFF00FF00), NotImplemented);
    EXPECT_EQ(solid->GetPenType(), BrushTypeTextureFill);
    EXPECT_EQ(solid->GetLastStatus(), NotImplemented);
}

TEST(GdipPenAttrFormatDrawing, PenSettingsRoundTripAndCloneCarriesThem) {
    auto pen = TGPPen::Create(0xFF000000, 3.0f);
    EXPECT_EQ(pen->SetDashCap(DashCapRound), Ok);
    EXPECT_EQ(pen->GetDashCap(), DashCapRound);
    EXPECT_EQ(pen->SetStartCap(LineCapArrowAnchor), Ok);
    EXPECT_EQ(pen->GetStartCap(), LineCapArrowAnchor);
    EXPECT_EQ(pen->SetEndCap(LineCapDiamondAnchor), Ok);
    EXPECT_EQ(pen->GetEndCap(), LineCapDiamondAnchor);
    EXPECT_EQ(pen->SetMiterLimit(4.0f), Ok);
    EXPECT_EQ(pen->GetMiterLimit(), 4.0f);
    EXPECT_EQ(pen->SetAlignment(PenAlignmentInset), Ok);
    EXPECT_EQ(pen->GetAlignment(), PenAlignmentInset);

    GpMatrix* scale = nullptr;
    ASSERT_EQ(Gdip().GdipCreateMatrix2(2, 0, 0, 3, 0, 0, &scale), Ok);
    auto matrix = MakeAttached<TGPMatrix>(scale);
    GpMatrix* out = nullptr;
    ASSERT_EQ(Gdip().GdipCreateMatrix2(1, 0, 0, 1, 0, 0, &out), Ok);
    auto readBack = MakeAttached<TGPMatrix>(out);
    REAL elements[6] = {};
    EXPECT_EQ(pen->SetTransform(matrix.get()), Ok);
    EXPECT_EQ(pen->ScaleTransform(2, 1, MatrixOrderAppend), Ok);
    EXPECT_EQ(pen->GetTransform(readBack.get()), Ok);
    ASSERT_EQ(Gdip().GdipGetMatrixElements(readBack->Native(), elements), Ok);
    EXPECT_EQ(elements[0], 4.0f);
    EXPECT_EQ(elements[3], 3.0f);
    EXPECT_EQ(pen->MultiplyTransform(matrix.get()), Ok);
    EXPECT_EQ(pen->ResetTransform(), Ok);
    EXPECT_EQ(pen->GetTransform(readBack.get()), Ok);
    ASSERT_EQ(Gdip().GdipGetMatrixElements(readBack->Native(), elements), Ok);
    EXPECT_EQ(elements[0], 1.0f);
    EXPECT_EQ(elements[3], 1.0f);
    EXPECT_EQ(pen->TranslateTransform(1, 2), Ok);
    EXPECT_EQ(pen->RotateTransform(90), Ok);
    EXPECT_EQ(pen->GetLastStatus(), Ok);
    // Measured: a missing matrix or brush passed on as none is refused by GDI+ itself.
    EXPECT_EQ(pen->GetTransform(nullptr), InvalidParameter);
    EXPECT_EQ(pen->MultiplyTransform(nullptr), InvalidParameter);
    EXPECT_EQ(pen->SetBrush(nullptr), InvalidParameter);
    EXPECT_EQ(pen->GetLastStatus(), InvalidParameter);

    auto clone = pen->Clone();
    ASSERT_TRUE(clone);
    EXPECT_NE(clone->Native(), pen->Native());
    EXPECT_EQ(clone->GetWidth(), 3.0f);
    EXPECT_EQ(clone->GetEndCap(), LineCapDiamondAnchor);
    EXPECT_EQ(clone->GetLastStatus(), Ok);
}

// ---- image attributes and cached bitmaps
// ---------------------------------------------------------

constexpr ARGB kRed = 0xFFFF0000;
constexpr ARGB kGreen = 0xFF00FF00;
constexpr ARGB kGray = 0xFF808080;
constexpr ARGB kWhite = 0xFFFFFFFF;

// A 2 x 2 picture: red, green / gray, white.
std::unique_ptr<TGPBitmap> Picture() {
    auto picture = TGPBitmap::Create(2, 2, PixelFormat32bppARGB);
    picture->SetPixel(0, 0, kRed);
    picture->SetPixel(1, 0, kGreen);
    picture->SetPixel(0, 1, kGray);
    picture->SetPixel(1, 1, kWhite);
    return picture;
}

// The picture scaled 8 times onto a blue canvas through the attributes; returns the canvas.
std::unique_ptr<Canvas> DrawThrough(const TGPImageAttributes* attributes, REAL sourceSize = 2) {
    auto picture = Picture();
    auto canvas = std::make_unique<Canvas>(32, 32, 0xFF0000FF);
    canvas->graphics->SetInterpolationMode(InterpolationModeNearestNeighbor);
    canvas->graphics->SetPixelOffsetMode(PixelOffsetModeHalf);
    const REAL size = 16 * sourceSize / 2;
    EXPECT_EQ(canvas->graphics->DrawImage(picture.get(), TGPRectF{0, 0, size, size}, 0.0f, 0.0f,
                                          sourceSize, sourceSize, UnitPixel, attributes),
              Ok);
    return canvas;
}

TEST(GdipPenAttrFormatDrawing, ImageAttributesChangeColoursWhileDrawing) {
    auto attributes = TGPImageAttributes::Create();
    ASSERT_EQ(attributes->GetLastStatus(), Ok);
    {
        auto plain = DrawThrough(attributes.get());
        EXPECT_TRUE(Near(plain->At(4, 4), kRed));
        EXPECT_TRUE(Near(plain->At(12, 4), kGreen));
    }

    // Red and blue swapped by a colour matrix.
    ColorMatrix swap{};
    swap.m[0][2] = swap.m[2][0] = swap.m[1][1] = swap.m[3][3] = swap.m[4][4] = 1;
    ASSERT_EQ(attributes->SetColorMatrix(swap), Ok);
    EXPECT_TRUE(Near(DrawThrough(attributes.get())->At(4, 4), 0xFF0000FF));
    // NoOp switches every adjustment of the type off, ClearNoOp on again.
    ASSERT_EQ(attributes->SetNoOp(), Ok);
    EXPECT_TRUE(Near(DrawThrough(attributes.get())->At(4, 4), kRed));
    ASSERT_EQ(attributes->ClearNoOp(), Ok);
    EXPECT_TRUE(Near(DrawThrough(attributes.get())->At(4, 4), 0xFF0000FF));
    ASSERT_EQ(attributes->ClearColorMatrix(), Ok);
    EXPECT_TRUE(Near(DrawThrough(attributes.get())->At(4, 4), kRed));

    // A colour key makes green transparent: the blue canvas shows through.
    ASSERT_EQ(attributes->SetColorKey(0xFF00F000, 0xFF00FFFF), Ok);
    {
        auto keyed = DrawThrough(attributes.get());
        EXPECT_TRUE(Near(keyed->At(12, 4), 0xFF0000FF));
        EXPECT_TRUE(Near(keyed->At(4, 4), kRed));
    }
    ASSERT_EQ(attributes->ClearColorKey(), Ok);
    EXPECT_TRUE(Near(DrawThrough(attributes.get())->At(12, 4), kGreen));

    // Gamma 2.2 darkens the middle gray; white stays white.
    ASSERT_EQ(attributes->SetGamma(2.2f), Ok);
    {
        auto dark = DrawThrough(attributes.get());
        EXPECT_LT(dark->At(4, 12) & 0xFF, 0x50u);
        EXPECT_TRUE(Near(dark->At(12, 12), kWhite));
    }
    ASSERT_EQ(attributes->ClearGamma(), Ok);
    EXPECT_TRUE(Near(DrawThrough(attributes.get())->At(4, 12), kGray));

    // A remap table turns red into yellow.
    const ColorMap redToYellow[] = {{kRed, 0xFFFFFF00}};
    ASSERT_EQ(attributes->SetRemapTable(redToYellow), Ok);
    EXPECT_TRUE(Near(DrawThrough(attributes.get())->At(4, 4), 0xFFFFFF00));
    ASSERT_EQ(attributes->ClearRemapTable(), Ok);
    EXPECT_TRUE(Near(DrawThrough(attributes.get())->At(4, 4), kRed));

    // The clone carries the adjustments; resetting the original leaves the clone as it was.
    ASSERT_EQ(attributes->SetColorMatrix(swap), Ok);
    auto clone = attributes->Clone();
    ASSERT_TRUE(clone);
    EXPECT_EQ(clone->GetLastStatus(), Ok);
    ASSERT_EQ(attributes->Reset(), Ok);
    EXPECT_TRUE(Near(DrawThrough(attributes.get())->At(4, 4), kRed));
    EXPECT_TRUE(Near(DrawThrough(clone.get())->At(4, 4), 0xFF0000FF));
    EXPECT_EQ(attributes->GetLastStatus(), Ok);
}

TEST(GdipPenAttrFormatDrawing, WrapModeFillsBeyondThePicture) {
    // A source area twice the picture's size: tiled it repeats, clamped it is the given colour.
    auto attributes = TGPImageAttributes::Create();
    ASSERT_EQ(attributes->SetWrapMode(WrapModeTile, 0, FALSE), Ok);
    {
        auto tiled = DrawThrough(attributes.get(), 4);
        EXPECT_TRUE(Near(tiled->At(4, 4), kRed));
        EXPECT_TRUE(Near(tiled->At(20, 4), kRed));
        EXPECT_TRUE(Near(tiled->At(28, 12), kWhite));
    }
    ASSERT_EQ(attributes->SetWrapMode(WrapModeClamp, 0xFF00FFFF, FALSE), Ok);
    {
        auto clamped = DrawThrough(attributes.get(), 4);
        EXPECT_TRUE(Near(clamped->At(4, 4), kRed));
        EXPECT_TRUE(Near(clamped->At(20, 4), 0xFF00FFFF));
    }
    EXPECT_EQ(attributes->GetLastStatus(), Ok);
}

TEST(GdipPenAttrFormatDrawing, AdjustedPaletteAndWhatThisPlatformDoesNotImplement) {
    auto attributes = TGPImageAttributes::Create();
    const ColorMap redToYellow[] = {{kRed, 0xFFFFFF00}};
    ASSERT_EQ(attributes->SetRemapTable(redToYellow, ColorAdjustTypeBitmap), Ok);
    struct {
        ColorPalette head;
        ARGB more[1];
    } palette{};
    palette.head.Count = 2;
    palette.head.Entries[0] = kRed;
    palette.more[0] = kGreen;
    ASSERT_EQ(attributes->GetAdjustedPalette(&palette.head, ColorAdjustTypeBitmap), Ok);
    EXPECT_EQ(palette.head.Entries[0], 0xFFFFFF00u);
    EXPECT_EQ(palette.more[0], kGreen);

    // Measured on this platform: these adjustments are not implemented, on and off alike.
    EXPECT_EQ(attributes->SetToIdentity(ColorAdjustTypeBitmap), NotImplemented);
    EXPECT_EQ(attributes->SetThreshold(0.5f, ColorAdjustTypeBitmap), NotImplemented);
    EXPECT_EQ(attributes->ClearThreshold(ColorAdjustTypeBitmap), NotImplemented);
    EXPECT_EQ(attributes->SetOutputChannel(ColorChannelFlagsC, ColorAdjustTypeBitmap),
              NotImplemented);
    EXPECT_EQ(attributes->ClearOutputChannel(ColorAdjustTypeBitmap), NotImplemented);
    EXPECT_EQ(attributes->SetOutputChannelColorProfile(L"none.icc", ColorAdjustTypeBitmap),
              NotImplemented);
    EXPECT_EQ(attributes->ClearOutputChannelColorProfile(ColorAdjustTypeBitmap), NotImplemented);
    EXPECT_EQ(attributes->GetLastStatus(), NotImplemented);
    // Bound to its stand-in: the library does not export it.
    EXPECT_EQ(Gdip().GdipSetImageAttributesICMMode(attributes->Native(), TRUE), NotImplemented);
}

TEST(GdipPenAttrFormatDrawing, CachedBitmapIsDrawn) {
    auto picture = Picture();
    Canvas canvas(8, 8, 0xFF000000);
    auto cached = TGPCachedBitmap::Create(picture.get(), canvas.graphics.get());
    ASSERT_TRUE(cached);
    ASSERT_EQ(cached->GetLastStatus(), Ok);
    ASSERT_NE(cached->Native(), nullptr);
    ASSERT_EQ(canvas.graphics->DrawCachedBitmap(cached.get(), 3, 4), Ok);
    EXPECT_TRUE(Near(canvas.At(3, 4), kRed));
    EXPECT_TRUE(Near(canvas.At(4, 4), kGreen));
    EXPECT_TRUE(Near(canvas.At(4, 5), kWhite));
    EXPECT_TRUE(Near(canvas.At(2, 4), 0xFF000000));
}

// ---- string formats
// ------------------------------------------------------------------------------

class GdipStringFormats : public ::testing::Test {
protected:
    std::unique_ptr<TGPFont> font =
        TGPFont::Create(TGPFontFamily::GenericSansSerif(), 14, 0, UnitPixel);
    std::unique_ptr<TGPBrush> black = SolidBrush(0xFF000000);
};

TEST_F(GdipStringFormats, AlignmentMovesDrawnText) {
    ASSERT_EQ(font->GetLastStatus(), Ok);
    auto format = TGPStringFormat::Create();
    ASSERT_EQ(format->GetLastStatus(), Ok);
    const TGPRectF layout{0, 0, 120, 60};
    int previousLeft = -1;
    for (StringAlignment align : {StringAlignmentNear, StringAlignmentCenter, StringAlignmentFar}) {
        ASSERT_EQ(format->SetAlignment(align), Ok);
        EXPECT_EQ(format->GetAlignment(), align);
        Canvas canvas(120, 60);
        ASSERT_EQ(
            canvas.graphics->DrawString(L"Wide", -1, font.get(), layout, format.get(), black.get()),
            Ok);
        const auto [left, right] = canvas.DarkColumns();
        ASSERT_GE(left, 0) << align;
        EXPECT_GT(left, previousLeft) << align;
        EXPECT_LT(right, 120) << align;
        previousLeft = left;

        // Measured: this Wine measures every alignment from the layout's left edge.
        TGPRectF box{};
        ASSERT_EQ(
            canvas.graphics->MeasureString(L"Wide", -1, font.get(), layout, format.get(), box), Ok);
        EXPECT_EQ(box.X, 0.0f) << align;
        EXPECT_GT(box.Width, 20.0f) << align;
    }
    EXPECT_GT(previousLeft, 60); // far-aligned text sits in the right half

    auto topRow = [&](StringAlignment lineAlign) {
        EXPECT_EQ(format->SetLineAlignment(lineAlign), Ok);
        EXPECT_EQ(format->GetLineAlignment(), lineAlign);
        Canvas canvas(120, 60);
        EXPECT_EQ(
            canvas.graphics->DrawString(L"Wide", -1, font.get(), layout, format.get(), black.get()),
            Ok);
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 120; ++x)
                if (canvas.Dark(x, y)) return y;
        return -1;
    };
    const int top = topRow(StringAlignmentNear);
    EXPECT_GE(top, 0);
    EXPECT_GT(topRow(StringAlignmentFar), top + 30);
    EXPECT_EQ(format->GetLastStatus(), Ok);
}

TEST_F(GdipStringFormats, TrimmingAndTabStopsAreKeptButNotLaidOutHere) {
    // Without wrapping, a narrow layout holds only the first letters.
    auto format = TGPStringFormat::Create(0x1000 /* no wrap */);
    Canvas canvas(10, 10);
    const std::wstring text = L"abcdefghijklmnopqrstuvwxyz";
    const TGPRectF narrow{0, 0, 60, 40};
    auto fittedWith = [&](StringTrimming trimming) {
        EXPECT_EQ(format->SetTrimming(trimming), Ok);
        EXPECT_EQ(format->GetTrimming(), trimming);
        TGPRectF box{};
        INT fitted = 0, lines = 0;
        EXPECT_EQ(canvas.graphics->MeasureString(text, -1, font.get(), narrow, format.get(), box,
                                                 &fitted, &lines),
                  Ok);
        EXPECT_EQ(lines, 1);
        EXPECT_LE(box.Width, 60.0f);
        return fitted;
    };
    const INT plain = fittedWith(StringTrimmingNone);
    EXPECT_GT(plain, 0);
    EXPECT_LT(plain, static_cast<INT>(text.size()));
    // Measured: the trimming mode changes nothing this Wine lays out.
    EXPECT_EQ(fittedWith(StringTrimmingEllipsisCharacter), plain);

    // Measured: this Wine gives a tab no width, whatever the stops; they are kept all the same.
    const TGPRectF wide{0, 0, 400, 40};
    auto measured = [&](const wchar_t* line) {
        TGPRectF box{};
        EXPECT_EQ(canvas.graphics->MeasureString(line, -1, font.get(), wide, format.get(), box),
                  Ok);
        return box.Width;
    };
    const REAL stops[] = {40, 160};
    ASSERT_EQ(format->SetTabStops(8, stops), Ok);
    EXPECT_EQ(measured(L"a\tb"), measured(L"ab"));
    ASSERT_EQ(format->GetTabStopCount(), 2);
    REAL first = -1;
    REAL back[2] = {};
    ASSERT_EQ(format->GetTabStops(first, back), Ok);
    EXPECT_EQ(first, 8.0f);
    EXPECT_EQ(back[0], 40.0f);
    EXPECT_EQ(back[1], 160.0f);
    EXPECT_EQ(format->GetLastStatus(), Ok);
}

TEST_F(GdipStringFormats, SettingsRoundTripAndCopiesAndGenericsAreDistinct) {
    auto format = TGPStringFormat::Create(0x4000, 0x0409);
    EXPECT_EQ(format->GetFormatFlags(), 0x4000);
    ASSERT_EQ(format->SetFormatFlags(0x1000), Ok);
    ASSERT_EQ(format->SetHotkeyPrefix(HotkeyPrefixShow), Ok);
    EXPECT_EQ(format->GetHotkeyPrefix(), HotkeyPrefixShow);
    ASSERT_EQ(format->SetDigitSubstitution(0x0401, StringDigitSubstituteNational), Ok);
    EXPECT_EQ(format->GetDigitSubstitutionLanguage(), 0x0401);
    EXPECT_EQ(format->GetDigitSubstitutionMethod(), StringDigitSubstituteNational);
    const TCharacterRange ranges[] = {{0, 1}, {2, 2}};
    ASSERT_EQ(format->SetMeasurableCharacterRanges(ranges), Ok);
    EXPECT_EQ(format->GetMeasurableCharacterRangeCount(), 2);

    auto copy = TGPStringFormat::Create(format.get());
    ASSERT_EQ(copy->GetLastStatus(), Ok);
    auto clone = format->Clone();
    ASSERT_TRUE(clone);
    for (TGPStringFormat* same : {copy.get(), clone.get()}) {
        EXPECT_NE(same->Native(), format->Native());
        EXPECT_EQ(same->GetFormatFlags(), 0x1000);
        EXPECT_EQ(same->GetHotkeyPrefix(), HotkeyPrefixShow);
        EXPECT_EQ(same->GetLastStatus(), Ok);
    }

    // A copy of no format: GDI+ refuses it.
    auto none = TGPStringFormat::Create(static_cast<const TGPStringFormat*>(nullptr));
    ASSERT_TRUE(none);
    EXPECT_EQ(none->GetLastStatus(), InvalidParameter);

    TGPStringFormat* byDefault = TGPStringFormat::GenericDefault();
    TGPStringFormat* typographic = TGPStringFormat::GenericTypographic();
    ASSERT_TRUE(byDefault && typographic);
    EXPECT_EQ(TGPStringFormat::GenericDefault(), byDefault);
    EXPECT_NE(byDefault, typographic);
    EXPECT_EQ(byDefault->GetFormatFlags(), 0);
    EXPECT_NE(typographic->GetFormatFlags(), 0);
    Canvas canvas(10, 10);
    TGPRectF box{};
    EXPECT_EQ(
        canvas.graphics->MeasureString(L"ab", -1, font.get(), TGPPointF{0, 0}, typographic, box),
        Ok);
    EXPECT_GT(box.Width, 0.0f);
}

// ---- metafiles
// -----------------------------------------------------------------------------------

// A screen-compatible device context the recordings refer to.
class ReferenceDc {
public:
    ReferenceDc() : dc_(::GetDC(nullptr)) {}
    ReferenceDc(const ReferenceDc&) = delete;
    ReferenceDc& operator=(const ReferenceDc&) = delete;
    ~ReferenceDc() { ::ReleaseDC(nullptr, dc_); }
    [[nodiscard]] HDC get() const { return dc_; }

private:
    HDC dc_;
};

// Fills a red square at (2, 2), 12 x 12, into the recording and ends it.
void RecordRedSquare(TGPMetafile& metafile) {
    auto graphics = TGPGraphics::FromImage(&metafile);
    ASSERT_EQ(graphics->GetLastStatus(), Ok);
    auto red = SolidBrush(kRed);
    EXPECT_EQ(graphics->FillRectangle(red.get(), 2.0f, 2.0f, 12.0f, 12.0f), Ok);
}

// Plays the metafile into a white 32 x 32 canvas at its own size.
std::unique_ptr<Canvas> Play(TGPMetafile& metafile) {
    auto canvas = std::make_unique<Canvas>(32, 32);
    TGPRectF bounds{};
    Unit_ unit = UnitPixel;
    EXPECT_EQ(metafile.GetBounds(bounds, unit), Ok);
    EXPECT_EQ(canvas->graphics->DrawImage(&metafile, bounds), Ok);
    return canvas;
}

TEST(GdipPenAttrFormatDrawing, MetafileRecordedToMemoryPlaysAndReportsItsHeader) {
    ReferenceDc dc;
    auto metafile = TGPMetafile::Create(dc.get(), TGPRectF{0, 0, 32, 32}, MetafileFrameUnitPixel,
                                        EmfTypeEmfPlusDual, L"memory");
    ASSERT_TRUE(metafile);
    ASSERT_EQ(metafile->GetLastStatus(), Ok);
    RecordRedSquare(*metafile);

    TMetafileHeader header{};
    ASSERT_EQ(metafile->GetMetafileHeader(header), Ok);
    EXPECT_EQ(header.Type_, MetafileTypeEmfPlusDual);
    EXPECT_TRUE(header.IsEmfPlusDual());
    EXPECT_NE(header.GetEmfHeader(), nullptr);

    auto canvas = Play(*metafile);
    EXPECT_TRUE(Near(canvas->At(8, 8), kRed));
    EXPECT_TRUE(Near(canvas->At(20, 20), kWhite));

    // Measured on this platform: both down-level calls refuse a finished recording.
    EXPECT_EQ(metafile->SetDownLevelRasterizationLimit(96), WrongState);
    EXPECT_EQ(metafile->GetDownLevelRasterizationLimit(), 0u);
    EXPECT_EQ(metafile->GetLastStatus(), WrongState);
    // A record played outside an enumeration has no target.
    EXPECT_EQ(metafile->PlayRecord(0x400A, 0, {}), InvalidParameter);
    EXPECT_EQ(metafile->GetLastStatus(), InvalidParameter);

    // Its enhanced metafile, taken out, is another metafile's source and header.
    HENHMETAFILE emf = metafile->GetHENHMETAFILE();
    ASSERT_NE(emf, nullptr);
    EXPECT_EQ(metafile->GetLastStatus(), Ok);
    TMetafileHeader emfHeader{};
    EXPECT_EQ(TGPMetafile::GetMetafileHeader(emf, emfHeader), Ok);
    EXPECT_TRUE(emfHeader.IsEmfOrEmfPlus());
    // Measured: the conversion answers 6, NotImplemented read as a byte count.
    EXPECT_EQ(TGPMetafile::EmfToWmfBits(emf, {}, MM_ANISOTROPIC, 0), 6u);
    auto fromEmf = TGPMetafile::Create(emf, true);
    ASSERT_EQ(fromEmf->GetLastStatus(), Ok);
    EXPECT_TRUE(Near(Play(*fromEmf)->At(8, 8), kRed));
}

TEST(GdipPenAttrFormatDrawing, MetafileRecordedWithoutAFrameStillPlays) {
    ReferenceDc dc;
    auto metafile = TGPMetafile::Create(dc.get());
    ASSERT_EQ(metafile->GetLastStatus(), Ok);
    RecordRedSquare(*metafile);
    TMetafileHeader header{};
    ASSERT_EQ(metafile->GetMetafileHeader(header), Ok);
    EXPECT_EQ(header.Type_, MetafileTypeEmfPlusDual);
    EXPECT_GT(header.Width, 0);
    // Drawn into its own bounds, the red square fills the middle.
    TGPRectF bounds{};
    Unit_ unit = UnitPixel;
    ASSERT_EQ(metafile->GetBounds(bounds, unit), Ok);
    Canvas canvas(32, 32);
    ASSERT_EQ(canvas.graphics->DrawImage(metafile.get(), TGPRectF{0, 0, 32, 32}), Ok);
    EXPECT_TRUE(Near(canvas.At(16, 16), kRed))
        << bounds.X << "," << bounds.Y << " " << bounds.Width << "x" << bounds.Height;
}

TEST(GdipPenAttrFormatDrawing, MetafileRecordedToAFileAndAStreamIsReadBack) {
    ReferenceDc dc;
    const std::wstring file = TempPath(L"tn-gdip-record.emf");
    ::DeleteFileW(file.c_str());
    {
        // Measured: the integer frame form is not implemented here, the float form works.
        auto integer =
            TGPMetafile::Create(file, dc.get(), TGPRect{0, 0, 32, 32}, MetafileFrameUnitPixel);
        EXPECT_EQ(integer->GetLastStatus(), NotImplemented);
    }
    {
        auto recording = TGPMetafile::Create(file, dc.get(), TGPRectF{0, 0, 32, 32},
                                             MetafileFrameUnitPixel, EmfTypeEmfPlusDual, L"file");
        ASSERT_EQ(recording->GetLastStatus(), Ok);
        RecordRedSquare(*recording);
    }
    TMetafileHeader header{};
    ASSERT_EQ(TGPMetafile::GetMetafileHeader(file, header), Ok);
    EXPECT_EQ(header.Type_, MetafileTypeEmfPlusDual);
    {
        auto loaded = TGPMetafile::Create(file);
        ASSERT_EQ(loaded->GetLastStatus(), Ok);
        EXPECT_EQ(loaded->GetType(), ImageTypeMetafile);
        EXPECT_TRUE(Near(Play(*loaded)->At(8, 8), kRed));
    }
    ::DeleteFileW(file.c_str());

    StreamOwner memory;
    ASSERT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, &memory.stream), S_OK);
    {
        auto recording = TGPMetafile::Create(memory.stream, dc.get(), TGPRectF{0, 0, 32, 32},
                                             MetafileFrameUnitPixel);
        ASSERT_EQ(recording->GetLastStatus(), Ok);
        RecordRedSquare(*recording);
    }
    ASSERT_EQ(memory.stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr), S_OK);
    TMetafileHeader streamed{};
    ASSERT_EQ(TGPMetafile::GetMetafileHeader(memory.stream, streamed), Ok);
    EXPECT_EQ(streamed.Type_, MetafileTypeEmfPlusDual);
    ASSERT_EQ(memory.stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr), S_OK);
    auto loaded = TGPMetafile::Create(memory.stream);
    ASSERT_EQ(loaded->GetLastStatus(), Ok);
    EXPECT_TRUE(Near(Play(*loaded)->At(8, 8), kRed));
}

// A Windows metafile of a black rectangle, with its placeable header in front when written out.
struct WindowsMetafile {
    WindowsMetafile() {
        HDC dc = ::CreateMetaFileW(nullptr);
        ::SelectObject(dc, ::GetStockObject(BLACK_BRUSH));
        ::Rectangle(dc, 0, 0, 100, 100);
        handle = ::CloseMetaFile(dc);
        placeable.Key = 0x9AC6CDD7;
        placeable.BoundingBox = {0, 0, 100, 100};
        placeable.Inch = 1440;
        const auto* words = reinterpret_cast<const WORD*>(&placeable);
        for (int i = 0; i < 10; ++i)
            placeable.Checksum = static_cast<INT16>(placeable.Checksum ^ words[i]);
    }
    ~WindowsMetafile() {
        if (handle) ::DeleteMetaFile(handle);
    }
    bool WriteTo(const std::wstring& file, bool withPlaceable) const {
        std::vector<BYTE> bits(::GetMetaFileBitsEx(handle, 0, nullptr));
        ::GetMetaFileBitsEx(handle, static_cast<UINT>(bits.size()), bits.data());
        FILE* out = _wfopen(file.c_str(), L"wb");
        if (!out) return false;
        if (withPlaceable) std::fwrite(&placeable, sizeof placeable, 1, out);
        std::fwrite(bits.data(), 1, bits.size(), out);
        return std::fclose(out) == 0;
    }

    HMETAFILE handle = nullptr;
    WmfPlaceableFileHeader placeable{};
};

TEST(GdipPenAttrFormatDrawing, PlaceableWindowsMetafileAndFilesThatAreNoMetafile) {
    WindowsMetafile wmf;
    ASSERT_NE(wmf.handle, nullptr);
    const std::wstring file = TempPath(L"tn-gdip-placeable.wmf");
    ASSERT_TRUE(wmf.WriteTo(file, true));

    TMetafileHeader header{};
    ASSERT_EQ(TGPMetafile::GetMetafileHeader(file, header), Ok);
    EXPECT_EQ(header.Type_, MetafileTypeWmfPlaceable);
    EXPECT_TRUE(header.IsWmfPlaceable());
    EXPECT_NE(header.GetWmfHeader(), nullptr);
    {
        auto loaded = TGPMetafile::Create(file);
        ASSERT_EQ(loaded->GetLastStatus(), Ok);
        auto canvas = Play(*loaded);
        EXPECT_TRUE(canvas->Dark(10, 10));
    }
    ::DeleteFileW(file.c_str());

    // A plain Windows metafile file gets its placeable header from the caller.
    ASSERT_TRUE(wmf.WriteTo(file, false));
    {
        auto withHeader = TGPMetafile::Create(file, wmf.placeable);
        ASSERT_EQ(withHeader->GetLastStatus(), Ok);
        EXPECT_TRUE(Play(*withHeader)->Dark(10, 10));
    }
    TMetafileHeader fromHandle{};
    EXPECT_EQ(TGPMetafile::GetMetafileHeader(wmf.handle, wmf.placeable, fromHandle), Ok);
    EXPECT_TRUE(fromHandle.IsWmf());
    auto fromWmf = TGPMetafile::Create(wmf.handle, wmf.placeable);
    EXPECT_EQ(fromWmf->GetLastStatus(), Ok);
    ::DeleteFileW(file.c_str());

    // Measured: the header of a file that is no metafile is a GenericError, kept nowhere.
    const std::wstring junk = TempPath(L"tn-gdip-junk.emf");
    FILE* out = _wfopen(junk.c_str(), L"wb");
    ASSERT_NE(out, nullptr);
    std::fputs("this is no metafile, only some words of text", out);
    std::fclose(out);
    TMetafileHeader none{};
    EXPECT_EQ(TGPMetafile::GetMetafileHeader(junk, none), GenericError);
    ::DeleteFileW(junk.c_str());
}

} // namespace
