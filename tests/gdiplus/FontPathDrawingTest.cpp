// Real GDI+ under this Wine: fonts made every way and drawn, family metrics, and paths of every
// figure kind filled into bitmaps, hit-tested, flattened, transformed, widened, bounded and read
// back. Pens, brushes and matrices are made through the flat API and held by their wrappers.
#include "Attached.h"
#include "DrawingSupport.h"

#include "gdiplus/Gdiplus.h"

#include "classlib/Handles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <span>
#include <string>
#include <vector>

using namespace tn::gdiplus;
using namespace tn::gdiplus::testing;

namespace {

constexpr ARGB kWhite = 0xFFFFFFFF;
constexpr ARGB kBlack = 0xFF000000;
constexpr INT kRegular = 0;
constexpr int kSize = 64;

std::unique_ptr<TGPPen> MakePen(REAL width) {
    GpPen* pen = nullptr;
    EXPECT_EQ(Gdip().GdipCreatePen1(kBlack, width, UnitPixel, &pen), Ok);
    return MakeAttached<TGPPen>(pen);
}

std::unique_ptr<TGPMatrix> MakeMatrix(REAL sx, REAL sy, REAL dx, REAL dy) {
    GpMatrix* matrix = nullptr;
    EXPECT_EQ(Gdip().GdipCreateMatrix2(sx, 0, 0, sy, dx, dy, &matrix), Ok);
    return MakeAttached<TGPMatrix>(matrix);
}

// A white bitmap with a graphics on it; black is ink.
class Canvas {
public:
    Canvas()
        : bitmap_(TGPBitmap::Create(kSize, kSize)),
          graphics_(TGPGraphics::FromImage(bitmap_.get())) {
        EXPECT_EQ(graphics_->Clear(kWhite), Ok);
    }
    [[nodiscard]] TGPGraphics& graphics() { return *graphics_; }
    [[nodiscard]] bool Inked(int x, int y) {
        graphics_->Flush(FlushIntentionSync);
        return Pixel(x, y) != kWhite;
    }
    [[nodiscard]] int InkCount() {
        graphics_->Flush(FlushIntentionSync);
        int count = 0;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x)
                count += Pixel(x, y) != kWhite ? 1 : 0;
        return count;
    }

private:
    ARGB Pixel(int x, int y) {
        ARGB color = 0;
        EXPECT_EQ(bitmap_->GetPixel(x, y, color), Ok);
        return color;
    }

    std::unique_ptr<TGPBitmap> bitmap_;
    std::unique_ptr<TGPGraphics> graphics_;
};

std::wstring NameOf(TGPFontFamily& family) {
    std::wstring name;
    EXPECT_EQ(family.GetFamilyName(name, 0), Ok);
    return name;
}

std::wstring FamilyNameOf(TGPFont& font) {
    auto family = TGPFontFamily::Create();
    EXPECT_EQ(font.GetFamily(family.get()), Ok);
    return NameOf(*family);
}

// ---- fonts and families
// --------------------------------------------------------------------------

TEST(GdipFontPathDrawing, TheGenericFamiliesAllResolveToOneInstalledFace) {
    TGPFontFamily* generics[] = {TGPFontFamily::GenericSansSerif(), TGPFontFamily::GenericSerif(),
                                 TGPFontFamily::GenericMonospace()};
    for (TGPFontFamily* family : generics) {
        ASSERT_NE(family, nullptr);
        EXPECT_TRUE(family->IsAvailable());
        EXPECT_EQ(family->GetLastStatus(), Ok);
    }
    // The set-up maps all three to one face: pixels cannot tell them apart.
    const std::wstring face = NameOf(*generics[0]);
    EXPECT_FALSE(face.empty());
    EXPECT_EQ(NameOf(*generics[1]), face);
    EXPECT_EQ(NameOf(*generics[2]), face);
    auto byName = TGPFontFamily::Create(face);
    EXPECT_EQ(byName->GetLastStatus(), Ok);
    EXPECT_EQ(NameOf(*byName), face);
    auto copy = byName->Clone();
    ASSERT_TRUE(copy);
    EXPECT_NE(copy->Native(), nullptr);
    EXPECT_EQ(NameOf(*copy), face);
}

TEST(GdipFontPathDrawing, FamilyMetricsAreConsistentWithTheFontHeight) {
    TGPFontFamily& family = *TGPFontFamily::GenericSansSerif();
    EXPECT_TRUE(family.IsStyleAvailable(kRegular));
    const UINT16 em = family.GetEmHeight(kRegular);
    const UINT16 ascent = family.GetCellAscent(kRegular);
    const UINT16 descent = family.GetCellDescent(kRegular);
    const UINT16 spacing = family.GetLineSpacing(kRegular);
    EXPECT_EQ(family.GetLastStatus(), Ok);
    EXPECT_GT(em, 0);
    EXPECT_GT(ascent, 0);
    EXPECT_GT(descent, 0);
    EXPECT_GE(spacing, ascent + descent);

    auto font = TGPFont::Create(&family, 20, kRegular, UnitPixel);
    ASSERT_EQ(font->GetLastStatus(), Ok);
    EXPECT_EQ(font->GetSize(), 20);
    EXPECT_EQ(font->GetUnit(), UnitPixel);
    EXPECT_EQ(font->GetStyle(), kRegular);
    const REAL expected = 20.0f * spacing / em;
    EXPECT_NEAR(font->GetHeight(96.0f), expected, 0.01);
    Canvas canvas;
    EXPECT_NEAR(font->GetHeight(&canvas.graphics()), expected, 0.01);
    EXPECT_EQ(font->GetLastStatus(), Ok);
}

TEST(GdipFontPathDrawing, TextIsDrawnWithFontsMadeEveryWay) {
    TGPFontFamily* sans = TGPFontFamily::GenericSansSerif();
    const std::wstring face = NameOf(*sans);
    const tn::UniqueMemDc dc(::CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    const tn::UniqueFontHandle hfont(
        ::CreateFontW(-24, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face.c_str()));
    ASSERT_TRUE(hfont);
    LOGFONTW logfontW{};
    ASSERT_NE(::GetObjectW(hfont.get(), sizeof logfontW, &logfontW), 0);
    LOGFONTA logfontA{};
    ASSERT_NE(::GetObjectA(hfont.get(), sizeof logfontA, &logfontA), 0);

    struct Way {
        const char* what;
        std::function<std::unique_ptr<TGPFont>()> make;
    };
    const Way ways[] = {
        {"family", [&] { return TGPFont::Create(sans, 24, kRegular, UnitPixel); }},
        {"family name", [&] { return TGPFont::Create(face, 18, kRegular, UnitPoint); }},
        {"wide log font", [&] { return TGPFont::Create(dc.get(), &logfontW); }},
        {"ANSI log font", [&] { return TGPFont::Create(dc.get(), &logfontA); }},
        {"GDI font", [&] { return TGPFont::Create(dc.get(), hfont.get()); }},
        {"device context", [&] { return TGPFont::Create(dc.get()); }},
        {"no GDI font", [&] { return TGPFont::Create(dc.get(), HFONT{}); }},
    };
    auto brush = SolidBrush(kBlack);
    for (const Way& way : ways) {
        auto font = way.make();
        ASSERT_TRUE(font) << way.what;
        EXPECT_EQ(font->GetLastStatus(), Ok) << way.what;
        EXPECT_TRUE(font->IsAvailable()) << way.what;
        EXPECT_GT(font->GetSize(), 0) << way.what;
        Canvas canvas;
        EXPECT_EQ(canvas.InkCount(), 0) << way.what;
        EXPECT_EQ(canvas.graphics().DrawString(L"Hg", -1, font.get(), TGPPointF{2, 2}, brush.get()),
                  Ok)
            << way.what;
        EXPECT_GT(canvas.InkCount(), 20) << way.what;
        auto clone = font->Clone();
        ASSERT_TRUE(clone) << way.what;
        EXPECT_EQ(clone->GetSize(), font->GetSize()) << way.what;
    }

    // The GDI font's own description reaches GDI+: its face and its height.
    auto fromGdi = TGPFont::Create(dc.get(), hfont.get());
    Canvas canvas;
    LOGFONTW described{};
    ASSERT_EQ(fromGdi->GetLogFontW(&canvas.graphics(), described), Ok);
    EXPECT_EQ(std::wstring(described.lfFaceName), face);
    EXPECT_NEAR(std::abs(described.lfHeight), 24, 1);
    EXPECT_EQ(FamilyNameOf(*fromGdi), face);
}

TEST(GdipFontPathDrawing, AnUnknownFamilyIsNotFoundAndTheFontFallsBackToSansSerif) {
    auto family = TGPFontFamily::Create(L"No Such Family Anywhere");
    EXPECT_EQ(family->GetLastStatus(), FontFamilyNotFound);
    EXPECT_FALSE(family->IsAvailable());
    EXPECT_FALSE(family->IsStyleAvailable(kRegular));
    EXPECT_EQ(family->GetLastStatus(), InvalidParameter);

    auto font = TGPFont::Create(L"No Such Family Anywhere", 12, kRegular, UnitPoint);
    EXPECT_EQ(font->GetLastStatus(), Ok);
    EXPECT_TRUE(font->IsAvailable());
    EXPECT_EQ(FamilyNameOf(*font), NameOf(*TGPFontFamily::GenericSansSerif()));
}

TEST(GdipFontPathDrawing, LogFontGettersNeedAGraphicsButTheHeightGetterDoesNot) {
    auto font = TGPFont::Create(TGPFontFamily::GenericSansSerif(), 16, kRegular, UnitPixel);
    LOGFONTA logfontA{};
    LOGFONTW logfontW{};
    EXPECT_EQ(font->GetLogFontA(nullptr, logfontA), InvalidParameter);
    EXPECT_EQ(font->GetLogFontW(nullptr, logfontW), InvalidParameter);
    EXPECT_GT(font->GetHeight(static_cast<const TGPGraphics*>(nullptr)), 0);
    // The font keeps its failure through reads.
    EXPECT_EQ(font->GetLastStatus(), InvalidParameter);
    EXPECT_EQ(font->GetLastStatus(), InvalidParameter);

    Canvas canvas;
    EXPECT_EQ(font->GetLogFontA(&canvas.graphics(), logfontA), Ok);
    EXPECT_EQ(font->GetLogFontW(&canvas.graphics(), logfontW), Ok);
    EXPECT_EQ(logfontA.lfHeight, logfontW.lfHeight);
    EXPECT_NE(logfontW.lfHeight, 0);
}

TEST(GdipFontPathDrawing, ACollectionWithoutAHandleRefusesEveryCall) {
    auto collection = TGPFontCollection::Create();
    EXPECT_EQ(collection->Native(), nullptr);
    EXPECT_EQ(collection->GetFamilyCount(), 0);
    EXPECT_EQ(collection->GetLastStatus(), InvalidParameter);

    auto first = TGPFontFamily::Create();
    auto second = TGPFontFamily::Create();
    TGPFontFamily* families[] = {first.get(), second.get()};
    INT found = -5;
    EXPECT_EQ(collection->GetFamilies(2, families, found), InvalidParameter);
    EXPECT_EQ(found, 0);
    EXPECT_FALSE(first->IsAvailable());
    EXPECT_EQ(collection->GetLastStatus(), InvalidParameter);

    // A family made from a collection with no handle is the installed one.
    auto family =
        TGPFontFamily::Create(NameOf(*TGPFontFamily::GenericSansSerif()), collection.get());
    EXPECT_EQ(family->GetLastStatus(), Ok);
}

// ---- paths
// ---------------------------------------------------------------------------------------

const TGPPointF kTriangleF[] = {{8, 8}, {56, 8}, {8, 56}};
const TGPPoint kTriangle[] = {{8, 8}, {56, 8}, {8, 56}};
const TGPPointF kArchF[] = {{8, 56}, {32, 8}, {56, 56}};
const TGPPoint kArch[] = {{8, 56}, {32, 8}, {56, 56}};
const TGPPointF kSquareF[] = {{16, 16}, {48, 16}, {48, 48}, {16, 48}};
const TGPPoint kSquare[] = {{16, 16}, {48, 16}, {48, 48}, {16, 48}};

struct Figure {
    const char* what;
    std::function<Status(TGPGraphicsPath&)> add;
    TGPPoint inside;
    TGPPoint outside;
};

const std::vector<Figure>& Figures() {
    static const std::vector<Figure> figures = {
        {"lines", [](TGPGraphicsPath& p) { return p.AddLines(kTriangleF); }, {16, 16}, {48, 48}},
        {"lines int", [](TGPGraphicsPath& p) { return p.AddLines(kTriangle); }, {16, 16}, {48, 48}},
        {"line and line",
         [](TGPGraphicsPath& p) {
             p.AddLine(8.0f, 8.0f, 56.0f, 8.0f);
             return p.AddLine(TGPPointF{56, 8}, TGPPointF{8, 56});
         },
         {16, 16},
         {48, 48}},
        {"line and line int",
         [](TGPGraphicsPath& p) {
             p.AddLine(8, 8, 56, 8);
             return p.AddLine(TGPPoint{56, 8}, TGPPoint{8, 56});
         },
         {16, 16},
         {48, 48}},
        {"arc, lower half",
         [](TGPGraphicsPath& p) {
             return p.AddArc(TGPRectF{8, 8, 48, 48}, 0, 180);
         },
         {32, 44},
         {32, 20}},
        {"arc int, upper half",
         [](TGPGraphicsPath& p) { return p.AddArc(8, 8, 48, 48, 180.0f, 180.0f); },
         {32, 20},
         {32, 44}},
        {"arc floats",
         [](TGPGraphicsPath& p) { return p.AddArc(8.0f, 8.0f, 48.0f, 48.0f, 0.0f, 180.0f); },
         {32, 44},
         {32, 20}},
        {"arc Rect",
         [](TGPGraphicsPath& p) {
             return p.AddArc(TGPRect{8, 8, 48, 48}, 180, 180);
         },
         {32, 20},
         {32, 44}},
        {"bezier",
         [](TGPGraphicsPath& p) {
             return p.AddBezier(8.0f, 32.0f, 20.0f, 0.0f, 44.0f, 0.0f, 56.0f, 32.0f);
         },
         {32, 24},
         {32, 44}},
        {"bezier PointsF",
         [](TGPGraphicsPath& p) {
             return p.AddBezier(TGPPointF{8, 32}, TGPPointF{20, 0}, TGPPointF{44, 0},
                                TGPPointF{56, 32});
         },
         {32, 24},
         {32, 44}},
        {"bezier int",
         [](TGPGraphicsPath& p) { return p.AddBezier(8, 32, 20, 64, 44, 64, 56, 32); },
         {32, 40},
         {32, 20}},
        {"bezier Points",
         [](TGPGraphicsPath& p) {
             return p.AddBezier(TGPPoint{8, 32}, TGPPoint{20, 64}, TGPPoint{44, 64},
                                TGPPoint{56, 32});
         },
         {32, 40},
         {32, 20}},
        {"beziers",
         [](TGPGraphicsPath& p) {
             const TGPPointF points[] = {{8, 32}, {20, 0}, {44, 0}, {56, 32}};
             return p.AddBeziers(points);
         },
         {32, 24},
         {32, 44}},
        {"beziers int",
         [](TGPGraphicsPath& p) {
             const TGPPoint points[] = {{8, 32}, {20, 64}, {44, 64}, {56, 32}};
             return p.AddBeziers(points);
         },
         {32, 40},
         {32, 20}},
        {"curve", [](TGPGraphicsPath& p) { return p.AddCurve(kArchF); }, {32, 40}, {8, 8}},
        {"curve int", [](TGPGraphicsPath& p) { return p.AddCurve(kArch); }, {32, 40}, {8, 8}},
        {"curve tension",
         [](TGPGraphicsPath& p) { return p.AddCurve(kArchF, 0.3f); },
         {32, 40},
         {8, 8}},
        {"curve tension int",
         [](TGPGraphicsPath& p) { return p.AddCurve(kArch, 0.3f); },
         {32, 40},
         {8, 8}},
        {"curve segments",
         [](TGPGraphicsPath& p) {
             const TGPPointF points[] = {{0, 0}, {8, 56}, {32, 8}, {56, 56}};
             return p.AddCurve(points, 1, 2, 0.5f);
         },
         {32, 40},
         {4, 4}},
        {"curve segments int",
         [](TGPGraphicsPath& p) {
             const TGPPoint points[] = {{0, 0}, {8, 56}, {32, 8}, {56, 56}};
             return p.AddCurve(points, 1, 2, 0.5f);
         },
         {32, 40},
         {4, 4}},
        {"closed curve",
         [](TGPGraphicsPath& p) { return p.AddClosedCurve(kSquareF); },
         {32, 32},
         {2, 2}},
        {"closed curve int",
         [](TGPGraphicsPath& p) { return p.AddClosedCurve(kSquare); },
         {32, 32},
         {2, 2}},
        {"closed curve tension",
         [](TGPGraphicsPath& p) { return p.AddClosedCurve(kSquareF, 0.2f); },
         {32, 32},
         {2, 2}},
        {"closed curve tension int",
         [](TGPGraphicsPath& p) { return p.AddClosedCurve(kSquare, 0.2f); },
         {32, 32},
         {2, 2}},
        {"rectangle",
         [](TGPGraphicsPath& p) {
             return p.AddRectangle(TGPRectF{16, 16, 32, 32});
         },
         {32, 32},
         {8, 8}},
        {"rectangle int",
         [](TGPGraphicsPath& p) {
             return p.AddRectangle(TGPRect{16, 16, 32, 32});
         },
         {32, 32},
         {8, 8}},
        {"rectangles",
         [](TGPGraphicsPath& p) {
             const TGPRectF rects[] = {{4, 4, 16, 16}, {40, 40, 16, 16}};
             return p.AddRectangles(rects);
         },
         {48, 48},
         {32, 32}},
        {"rectangles int",
         [](TGPGraphicsPath& p) {
             const TGPRect rects[] = {{4, 4, 16, 16}, {40, 40, 16, 16}};
             return p.AddRectangles(rects);
         },
         {12, 12},
         {32, 32}},
        {"ellipse",
         [](TGPGraphicsPath& p) { return p.AddEllipse(8.0f, 8.0f, 48.0f, 48.0f); },
         {32, 32},
         {10, 10}},
        {"ellipse RectF",
         [](TGPGraphicsPath& p) {
             return p.AddEllipse(TGPRectF{8, 8, 48, 48});
         },
         {32, 32},
         {10, 10}},
        {"ellipse int",
         [](TGPGraphicsPath& p) { return p.AddEllipse(8, 8, 48, 48); },
         {32, 32},
         {10, 10}},
        {"ellipse Rect",
         [](TGPGraphicsPath& p) {
             return p.AddEllipse(TGPRect{8, 8, 48, 48});
         },
         {32, 32},
         {10, 10}},
        {"pie",
         [](TGPGraphicsPath& p) { return p.AddPie(8.0f, 8.0f, 48.0f, 48.0f, 0.0f, 90.0f); },
         {40, 40},
         {24, 24}},
        {"pie RectF",
         [](TGPGraphicsPath& p) {
             return p.AddPie(TGPRectF{8, 8, 48, 48}, 0, 90);
         },
         {40, 40},
         {24, 24}},
        {"pie int",
         [](TGPGraphicsPath& p) { return p.AddPie(8, 8, 48, 48, 180.0f, 90.0f); },
         {24, 24},
         {40, 40}},
        {"pie Rect",
         [](TGPGraphicsPath& p) {
             return p.AddPie(TGPRect{8, 8, 48, 48}, 180, 90);
         },
         {24, 24},
         {40, 40}},
        {"polygon",
         [](TGPGraphicsPath& p) { return p.AddPolygon(kTriangleF); },
         {16, 16},
         {48, 48}},
        {"polygon int",
         [](TGPGraphicsPath& p) { return p.AddPolygon(kTriangle); },
         {16, 16},
         {48, 48}},
        {"another path",
         [](TGPGraphicsPath& p) {
             auto other = TGPGraphicsPath::Create(FillModeAlternate);
             other->AddRectangle(TGPRect{16, 16, 32, 32});
             return p.AddPath(other.get(), false);
         },
         {32, 32},
         {8, 8}},
    };
    return figures;
}

TEST(GdipFontPathDrawing, EachFigureKindFillsAndHitTestsItsOwnArea) {
    auto brush = SolidBrush(kBlack);
    for (const Figure& figure : Figures()) {
        auto path = TGPGraphicsPath::Create(FillModeAlternate);
        ASSERT_TRUE(path) << figure.what;
        EXPECT_EQ(figure.add(*path), Ok) << figure.what;
        EXPECT_GT(path->GetPointCount(), 1) << figure.what;
        EXPECT_EQ(path->GetLastStatus(), Ok) << figure.what;

        const TGPPoint in = figure.inside;
        const TGPPoint out = figure.outside;
        EXPECT_TRUE(path->IsVisible(in)) << figure.what;
        EXPECT_TRUE(path->IsVisible(static_cast<REAL>(in.X), static_cast<REAL>(in.Y)))
            << figure.what;
        EXPECT_FALSE(path->IsVisible(out.X, out.Y)) << figure.what;
        EXPECT_FALSE(path->IsVisible(TGPPointF{static_cast<REAL>(out.X), static_cast<REAL>(out.Y)}))
            << figure.what;

        Canvas canvas;
        EXPECT_EQ(canvas.graphics().FillPath(brush.get(), path.get()), Ok) << figure.what;
        EXPECT_TRUE(canvas.Inked(in.X, in.Y)) << figure.what;
        EXPECT_FALSE(canvas.Inked(out.X, out.Y)) << figure.what;
    }
}

TEST(GdipFontPathDrawing, OutlineHitTestsFollowThePen) {
    auto path = TGPGraphicsPath::Create(FillModeAlternate);
    path->AddRectangle(TGPRect{16, 16, 32, 32});
    auto pen = MakePen(4);
    Canvas canvas;
    EXPECT_TRUE(path->IsOutlineVisible(16, 30, pen.get()));
    EXPECT_TRUE(path->IsOutlineVisible(TGPPoint{17, 30}, pen.get(), &canvas.graphics()));
    EXPECT_TRUE(path->IsOutlineVisible(47.5f, 30.0f, pen.get()));
    EXPECT_TRUE(path->IsOutlineVisible(TGPPointF{30, 48.5f}, pen.get()));
    EXPECT_FALSE(path->IsOutlineVisible(32, 32, pen.get()));
    EXPECT_FALSE(path->IsOutlineVisible(TGPPointF{4, 4}, pen.get()));
    EXPECT_EQ(path->GetLastStatus(), Ok);

    EXPECT_EQ(canvas.graphics().DrawPath(pen.get(), path.get()), Ok);
    EXPECT_TRUE(canvas.Inked(16, 30));
    EXPECT_FALSE(canvas.Inked(32, 32));
}

TEST(GdipFontPathDrawing, FillModeDecidesWhetherOverlapsAreInside) {
    const TGPRect overlapping[] = {{8, 8, 32, 32}, {24, 24, 32, 32}};
    auto alternate = TGPGraphicsPath::Create(FillModeAlternate);
    EXPECT_EQ(alternate->GetFillMode(), FillModeAlternate);
    auto winding = TGPGraphicsPath::Create(FillModeWinding);
    EXPECT_EQ(winding->GetFillMode(), FillModeWinding);
    for (auto* path : {alternate.get(), winding.get()}) {
        path->AddRectangles(overlapping);
        EXPECT_TRUE(path->IsVisible(12, 12));
    }
    EXPECT_FALSE(alternate->IsVisible(32, 32));
    EXPECT_TRUE(winding->IsVisible(32, 32));
    EXPECT_EQ(alternate->SetFillMode(FillModeWinding), Ok);
    EXPECT_EQ(alternate->GetFillMode(), FillModeWinding);
    EXPECT_TRUE(alternate->IsVisible(32, 32));
}

TEST(GdipFontPathDrawing, BoundsWithAndWithoutAPen) {
    auto path = TGPGraphicsPath::Create(FillModeAlternate);
    path->AddRectangle(TGPRectF{10, 10, 20, 20});
    TGPRectF bounds{};
    EXPECT_EQ(path->GetBounds(bounds), Ok);
    EXPECT_EQ(bounds.X, 10);
    EXPECT_EQ(bounds.Y, 10);
    EXPECT_EQ(bounds.Width, 20);
    EXPECT_EQ(bounds.Height, 20);
    TGPRect whole{};
    EXPECT_EQ(path->GetBounds(whole), Ok);
    EXPECT_EQ(whole.X + whole.Y * 100, 1010);
    EXPECT_EQ(whole.Width + whole.Height * 100, 2020);

    auto pen = MakePen(4);
    TGPRectF widened{};
    EXPECT_EQ(path->GetBounds(widened, nullptr, pen.get()), Ok);
    EXPECT_LT(widened.X, 10);
    EXPECT_LT(widened.Y, 10);
    EXPECT_GT(widened.X + widened.Width, 30);
    EXPECT_GT(widened.Y + widened.Height, 30);

    auto twice = MakeMatrix(2, 2, 0, 0);
    EXPECT_EQ(path->GetBounds(bounds, twice.get()), Ok);
    EXPECT_EQ(bounds.X + bounds.Width, 60);
    EXPECT_EQ(path->GetLastStatus(), Ok);
}

TEST(GdipFontPathDrawing, FlatteningTurnsCurvesIntoLines) {
    auto path = TGPGraphicsPath::Create(FillModeAlternate);
    path->AddEllipse(TGPRect{8, 8, 48, 48});
    const INT curved = path->GetPointCount();
    std::vector<BYTE> types(static_cast<std::size_t>(curved));
    ASSERT_EQ(path->GetPathTypes(types), Ok);
    EXPECT_EQ(types[1] & 0x07, 3); // a Bezier point

    EXPECT_EQ(path->Flatten(nullptr, 0.25f), Ok);
    const INT flat = path->GetPointCount();
    EXPECT_GT(flat, curved);
    types.resize(static_cast<std::size_t>(flat));
    ASSERT_EQ(path->GetPathTypes(types), Ok);
    for (BYTE type : types)
        EXPECT_NE(type & 0x07, 3);
    EXPECT_TRUE(path->IsVisible(32, 32));
    EXPECT_FALSE(path->IsVisible(10, 10));

    auto coarse = TGPGraphicsPath::Create(FillModeAlternate);
    coarse->AddEllipse(TGPRect{8, 8, 48, 48});
    auto half = MakeMatrix(0.5f, 0.5f, 0, 0);
    EXPECT_EQ(coarse->Flatten(half.get(), 4.0f), Ok);
    EXPECT_LT(coarse->GetPointCount(), flat);
    TGPRect bounds{};
    coarse->GetBounds(bounds);
    EXPECT_LE(bounds.X + bounds.Width, 29);
}

TEST(GdipFontPathDrawing, TransformMovesThePathAndNoMatrixLeavesIt) {
    auto path = TGPGraphicsPath::Create(FillModeAlternate);
    path->AddRectangle(TGPRectF{0, 0, 10, 10});
    EXPECT_EQ(path->Transform(nullptr), Ok);
    auto move = MakeMatrix(1, 2, 20, 30);
    EXPECT_EQ(path->Transform(move.get()), Ok);
    TGPRectF bounds{};
    path->GetBounds(bounds);
    EXPECT_EQ(bounds.X, 20);
    EXPECT_EQ(bounds.Y, 30);
    EXPECT_EQ(bounds.Width, 10);
    EXPECT_EQ(bounds.Height, 20);
    EXPECT_TRUE(path->IsVisible(25, 45));
    EXPECT_FALSE(path->IsVisible(5, 5));
}

TEST(GdipFontPathDrawing, WideningMakesALineAnArea) {
    auto path = TGPGraphicsPath::Create(FillModeAlternate);
    path->AddLine(8, 32, 56, 32);
    EXPECT_FALSE(path->IsVisible(32, 34));
    auto pen = MakePen(8);
    EXPECT_EQ(path->Widen(pen.get(), nullptr, 0.25f), Ok);
    EXPECT_TRUE(path->IsVisible(32, 34));
    EXPECT_FALSE(path->IsVisible(32, 40));
    TGPRectF bounds{};
    path->GetBounds(bounds);
    EXPECT_NEAR(bounds.Y, 28, 0.5);
    EXPECT_NEAR(bounds.Height, 8, 0.5);

    auto brush = SolidBrush(kBlack);
    Canvas canvas;
    canvas.graphics().FillPath(brush.get(), path.get());
    EXPECT_TRUE(canvas.Inked(32, 30));
    EXPECT_FALSE(canvas.Inked(32, 40));

    auto scaled = TGPGraphicsPath::Create(FillModeAlternate);
    scaled->AddLine(8, 16, 24, 16);
    auto twice = MakeMatrix(2, 2, 0, 0);
    EXPECT_EQ(scaled->Widen(pen.get(), twice.get(), 0.5f), Ok);
    scaled->GetBounds(bounds);
    EXPECT_NEAR(bounds.X + bounds.Width, 48, 4.5);
}

TEST(GdipFontPathDrawing, WarpAndOutlineAreNotImplementedHere) {
    auto path = TGPGraphicsPath::Create(FillModeAlternate);
    path->AddRectangle(TGPRect{10, 10, 20, 20});
    const INT count = path->GetPointCount();
    const TGPPointF dest[] = {{0, 0}, {40, 0}, {0, 40}, {40, 40}};
    EXPECT_EQ(path->Warp(dest, TGPRectF{10, 10, 20, 20}, nullptr, WarpModePerspective, 0.25f),
              NotImplemented);
    EXPECT_EQ(path->GetLastStatus(), NotImplemented);
    EXPECT_EQ(path->Outline(nullptr, 0.25f), NotImplemented);
    EXPECT_EQ(path->GetLastStatus(), NotImplemented);
    EXPECT_EQ(path->GetLastStatus(), Ok);
    EXPECT_EQ(path->GetPointCount(), count);
}

TEST(GdipFontPathDrawing, TextJoinsAPathOnlyWithAStringFormat) {
    TGPFontFamily* sans = TGPFontFamily::GenericSansSerif();
    TGPStringFormat* format = TGPStringFormat::GenericTypographic();
    ASSERT_NE(format, nullptr);
    auto path = TGPGraphicsPath::Create(FillModeAlternate);
    // No format: refused whatever the layout.
    EXPECT_EQ(path->AddString(L"Hg", -1, sans, kRegular, 24, TGPPointF{4, 4}, nullptr),
              InvalidParameter);
    EXPECT_EQ(path->AddString(L"Hg", -1, sans, kRegular, 24, TGPRectF{4, 4, 56, 56}, nullptr),
              InvalidParameter);
    EXPECT_EQ(path->GetPointCount(), 0);
    EXPECT_EQ(path->GetLastStatus(), InvalidParameter);

    EXPECT_EQ(path->AddString(L"Hg", -1, sans, kRegular, 24, TGPPointF{4, 4}, format), Ok);
    const INT count = path->GetPointCount();
    EXPECT_GT(count, 8);
    TGPRect bounds{};
    path->GetBounds(bounds);
    EXPECT_GE(bounds.X, 4);
    EXPECT_GE(bounds.Y, 4);
    EXPECT_LT(bounds.X + bounds.Width, kSize);

    auto brush = SolidBrush(kBlack);
    Canvas canvas;
    canvas.graphics().FillPath(brush.get(), path.get());
    EXPECT_GT(canvas.InkCount(), 20);

    // A length beyond the text is cut to it; a shorter one takes only its units.
    auto longer = TGPGraphicsPath::Create(FillModeAlternate);
    EXPECT_EQ(longer->AddString(L"Hg", 400, sans, kRegular, 24, TGPPoint{4, 4}, format), Ok);
    EXPECT_EQ(longer->GetPointCount(), count);
    auto firstOnly = TGPGraphicsPath::Create(FillModeAlternate);
    EXPECT_EQ(firstOnly->AddString(L"Hg", 1, sans, kRegular, 24, TGPRect{4, 4, 60, 60}, format),
              Ok);
    EXPECT_GT(firstOnly->GetPointCount(), 0);
    EXPECT_LT(firstOnly->GetPointCount(), count);
}

TEST(GdipFontPathDrawing, FiguresMarkersAndDirection) {
    auto path = TGPGraphicsPath::Create(FillModeAlternate);
    path->AddLine(8.0f, 8.0f, 56.0f, 8.0f);
    TGPPointF last{};
    EXPECT_EQ(path->GetLastPoint(last), Ok);
    EXPECT_EQ(last.X, 56);
    EXPECT_EQ(path->SetMarker(), Ok);
    path->AddLine(56, 8, 56, 56);
    BYTE types[3] = {};
    ASSERT_EQ(path->GetPathTypes(types), Ok);
    EXPECT_EQ(types[1] & 0x20, 0x20); // a marker after the first line
    EXPECT_EQ(path->ClearMarkers(), Ok);
    ASSERT_EQ(path->GetPathTypes(types), Ok);
    EXPECT_EQ(types[1] & 0x20, 0);

    EXPECT_EQ(path->Reverse(), Ok);
    EXPECT_EQ(path->GetLastPoint(last), Ok);
    EXPECT_EQ(last.X, 8);
    TGPPoint points[3] = {};
    ASSERT_EQ(path->GetPathPoints(points), Ok);
    EXPECT_EQ(points[0].Y, 56);
    EXPECT_EQ(path->CloseFigure(), Ok);

    EXPECT_EQ(path->StartFigure(), Ok);
    path->AddLine(8, 40, 56, 40);
    path->AddLine(56, 56, 8, 56);
    EXPECT_EQ(path->StartFigure(), Ok);
    path->AddLine(0, 0, 4, 4);
    EXPECT_EQ(path->CloseAllFigures(), Ok);
    BYTE all[9] = {};
    ASSERT_EQ(path->GetPointCount(), 9);
    ASSERT_EQ(path->GetPathTypes(all), Ok);
    // Closed, but for the last figure, which this Wine leaves open.
    for (int end : {2, 6})
        EXPECT_EQ(all[end] & 0x80, 0x80) << end;
    for (int start : {0, 3, 7})
        EXPECT_EQ(all[start], 0) << start; // each figure started
    EXPECT_EQ(path->Reset(), Ok);
    EXPECT_EQ(path->GetPointCount(), 0);
    EXPECT_EQ(path->GetLastStatus(), Ok);
}

TEST(GdipFontPathDrawing, PathsFromPointsCopiesAndClones) {
    auto source = TGPGraphicsPath::Create(FillModeAlternate);
    source->AddRectangle(TGPRect{16, 16, 32, 32});
    TPathData data;
    ASSERT_EQ(source->GetPathData(data), Ok);
    const std::span<const TGPPointF> points(data.Points, static_cast<std::size_t>(data.Count));
    const std::span<const BYTE> types(data.Types, static_cast<std::size_t>(data.Count));

    auto fromPoints = TGPGraphicsPath::Create(points, types, FillModeWinding);
    EXPECT_EQ(fromPoints->GetLastStatus(), Ok);
    EXPECT_EQ(fromPoints->GetFillMode(), FillModeWinding);
    std::vector<TGPPoint> whole(points.size());
    for (std::size_t i = 0; i < whole.size(); ++i)
        whole[i] = {static_cast<INT>(points[i].X), static_cast<INT>(points[i].Y)};
    auto fromInts =
        TGPGraphicsPath::Create(std::span<const TGPPoint>(whole), types, FillModeAlternate);
    EXPECT_EQ(fromInts->GetLastStatus(), Ok);
    auto copy = TGPGraphicsPath::Create(source.get());
    EXPECT_EQ(copy->GetLastStatus(), Ok);
    source->Warp(points, TGPRectF{0, 0, 1, 1}, nullptr, WarpModePerspective,
                 0.25f); // leaves a failure in the source
    auto clone = source->Clone();
    ASSERT_TRUE(clone);
    EXPECT_EQ(clone->GetLastStatus(), Ok);
    EXPECT_EQ(source->GetLastStatus(), NotImplemented);

    for (auto* path : {fromPoints.get(), fromInts.get(), copy.get(), clone.get()}) {
        EXPECT_NE(path->Native(), source->Native());
        EXPECT_EQ(path->GetPointCount(), 4);
        EXPECT_TRUE(path->IsVisible(32, 32));
        EXPECT_FALSE(path->IsVisible(8, 8));
    }
    // A copy is its own path.
    copy->AddRectangle(TGPRect{0, 0, 4, 4});
    EXPECT_EQ(source->GetPointCount(), 4);

    auto mismatched = TGPGraphicsPath::Create(points, types.first(2), FillModeAlternate);
    EXPECT_EQ(mismatched->Native(), nullptr);
    EXPECT_EQ(mismatched->GetLastStatus(), InvalidParameter);
    auto noSource = TGPGraphicsPath::Create(static_cast<const TGPGraphicsPath*>(nullptr));
    EXPECT_EQ(noSource->Native(), nullptr);
    EXPECT_EQ(noSource->GetLastStatus(), InvalidParameter);
}

// Arrays as a caller might have left them: n entries from std::malloc, each set to a mark.
void Prepare(TPathData& data, INT n) {
    data.Count = n;
    data.Points = static_cast<TGPPointF*>(std::malloc(sizeof(TGPPointF) * static_cast<size_t>(n)));
    data.Types = static_cast<BYTE*>(std::malloc(static_cast<size_t>(n)));
    for (INT i = 0; i < n; ++i) {
        data.Points[i] = {-7, -7};
        data.Types[i] = 0xEE;
    }
}

TEST(GdipFontPathDrawing, PathDataFitsTheRecordToThePath) {
    auto path = TGPGraphicsPath::Create(FillModeAlternate);
    TPathData empty;
    Prepare(empty, 3);
    EXPECT_EQ(path->GetPathData(empty), Ok);
    EXPECT_EQ(empty.Count, 0);
    EXPECT_EQ(empty.Points, nullptr);
    EXPECT_EQ(empty.Types, nullptr);
    // An empty path answers the kept status without a call.
    const TGPPointF dest[] = {{0, 0}, {1, 0}, {0, 1}};
    path->Warp(dest, TGPRectF{0, 0, 1, 1}, nullptr, WarpModePerspective, 0.25f);
    EXPECT_EQ(path->GetPathData(empty), NotImplemented);
    EXPECT_EQ(path->GetLastStatus(), NotImplemented);

    path->AddLine(1.0f, 2.0f, 3.0f, 4.0f);
    path->AddLine(5.0f, 6.0f, 7.0f, 8.0f);
    TPathData fresh;
    EXPECT_EQ(path->GetPathData(fresh), Ok);
    ASSERT_EQ(fresh.Count, 4);
    EXPECT_EQ(fresh.Points[3].Y, 8);
    EXPECT_EQ(fresh.Types[0], 0);
    EXPECT_EQ(fresh.Types[3], 1);

    TPathData smaller;
    Prepare(smaller, 1);
    EXPECT_EQ(path->GetPathData(smaller), Ok);
    ASSERT_EQ(smaller.Count, 4);
    EXPECT_EQ(std::memcmp(smaller.Points, fresh.Points, 4 * sizeof(TGPPointF)), 0);
    EXPECT_EQ(std::memcmp(smaller.Types, fresh.Types, 4), 0);

    // Larger arrays are kept and filled only as far as the path goes.
    TPathData larger;
    Prepare(larger, 8);
    const TGPPointF* const points = larger.Points;
    const BYTE* const types = larger.Types;
    EXPECT_EQ(path->GetPathData(larger), Ok);
    EXPECT_EQ(larger.Points, points);
    EXPECT_EQ(larger.Types, types);
    EXPECT_EQ(larger.Count, 4);
    EXPECT_EQ(std::memcmp(larger.Points, fresh.Points, 4 * sizeof(TGPPointF)), 0);
    for (int i = 4; i < 8; ++i) {
        EXPECT_EQ(larger.Points[i].X, -7) << i;
        EXPECT_EQ(larger.Types[i], 0xEE) << i;
    }
    // Read again into the same record: the arrays fit exactly and stay.
    EXPECT_EQ(path->GetPathData(larger), Ok);
    EXPECT_EQ(larger.Points, points);
    EXPECT_EQ(path->GetLastStatus(), Ok);
}

} // namespace
