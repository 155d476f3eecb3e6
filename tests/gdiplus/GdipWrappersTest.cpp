// The wrappers against a recording double of the flat API: which flat function each form calls
// with which arguments, and how each class keeps, returns and resets its status.
#include "Attached.h"
#include "Spy.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tn::gdiplus;
using namespace tn::gdiplus::testing;

namespace {

template <typename W, typename H> struct Replacing : Attached<W, H> {
    using Attached<W, H>::Attached;
    using W::ReplaceNative;
};

BOOL WINAPI EnumProc(EmfPlusRecordType, UINT, UINT, const BYTE*, void*) {
    return TRUE;
}

TGPPointF gPointsF[4] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
TGPPoint gPoints[4] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
const BYTE gComment[5] = {1, 2, 3, 4, 5};

class GdipWrappers : public ::testing::Test {
public:
    GdipWrappers() {
        AddLabels({{gPointsF, "ptsF"}, {gPoints, "pts"}});
        spy.table().GdipCreateFromHDC = [](HDC, GpGraphics** out) WINAPI -> Status {
            *out = kGraphics;
            return Ok;
        };
        graphics = TGPGraphics::Create(kHdc);
        spy.Take();
    }

    SpyTable spy;
    std::unique_ptr<TGPGraphics> graphics;
    std::unique_ptr<TGPBitmap> image = MakeAttached<TGPBitmap>(kImage);
    std::unique_ptr<TGPImage> other = MakeAttached<TGPImage>(kClone);
    std::unique_ptr<TGPPen> pen = MakeAttached<TGPPen>(kPen);
    std::unique_ptr<TGPBrush> brush = MakeAttached<TGPBrush>(kBrush);
    std::unique_ptr<TGPMatrix> matrix = MakeAttached<TGPMatrix>(kMatrix);
    std::unique_ptr<TGPRegion> region = MakeAttached<TGPRegion>(kRegion);
    std::unique_ptr<TGPGraphicsPath> path = MakeAttached<TGPGraphicsPath>(kPath);
    std::unique_ptr<TGPFont> font = MakeAttached<TGPFont>(kFont);
    std::unique_ptr<TGPStringFormat> format = MakeAttached<TGPStringFormat>(kFormat);
    std::unique_ptr<TGPImageAttributes> attributes = MakeAttached<TGPImageAttributes>(kAttributes);
    std::unique_ptr<TGPCachedBitmap> cached = MakeAttached<TGPCachedBitmap>(kCached);
    std::unique_ptr<TGPMetafile> metafile = MakeAttached<TGPMetafile>(kMetafile);
};

using Form = FormOf<GdipWrappers>;

TGPGraphics& G(GdipWrappers& f) {
    return *f.graphics;
}

const std::vector<Form>& Forms() {
    constexpr PixelFormat argb = PixelFormat32bppARGB;
    static const std::vector<Form> forms = {
        // Images: the launcher's road first.
        {"DrawImage float rect",
         [](GdipWrappers& f) { G(f).DrawImage(f.image.get(), 0.0f, 0.0f, 8.0f, 6.0f); },
         {"GdipDrawImageRect(G,I,0,0,8,6)"}},
        {"DrawImage RectF",
         [](GdipWrappers& f) {
             G(f).DrawImage(f.image.get(), TGPRectF{1, 2, 3, 4});
         },
         {"GdipDrawImageRect(G,I,1,2,3,4)"}},
        {"DrawImage int rect",
         [](GdipWrappers& f) { G(f).DrawImage(f.image.get(), 0, 0, 8, 6); },
         {"GdipDrawImageRectI(G,I,0,0,8,6)"}},
        {"DrawImage Rect",
         [](GdipWrappers& f) {
             G(f).DrawImage(f.image.get(), TGPRect{1, 2, 3, 4});
         },
         {"GdipDrawImageRectI(G,I,1,2,3,4)"}},
        {"DrawImage float point",
         [](GdipWrappers& f) { G(f).DrawImage(f.image.get(), 1.5f, 2.5f); },
         {"GdipDrawImage(G,I,1.5,2.5)"}},
        {"DrawImage PointF",
         [](GdipWrappers& f) {
             G(f).DrawImage(f.image.get(), TGPPointF{1.5f, 2.5f});
         },
         {"GdipDrawImage(G,I,1.5,2.5)"}},
        {"DrawImage int point",
         [](GdipWrappers& f) { G(f).DrawImage(f.image.get(), 1, 2); },
         {"GdipDrawImageI(G,I,1,2)"}},
        {"DrawImage Point",
         [](GdipWrappers& f) {
             G(f).DrawImage(f.image.get(), TGPPoint{1, 2});
         },
         {"GdipDrawImageI(G,I,1,2)"}},
        {"DrawImage no image",
         [](GdipWrappers& f) { G(f).DrawImage(nullptr, 0.0f, 0.0f, 10.0f, 10.0f); },
         {"GdipDrawImageRect(G,null,0,0,10,10)"}},
        {"DrawImage float points",
         [](GdipWrappers& f) { G(f).DrawImage(f.image.get(), gPointsF, 3); },
         {"GdipDrawImagePoints(G,I,ptsF,3)"}},
        {"DrawImage int points",
         [](GdipWrappers& f) { G(f).DrawImage(f.image.get(), gPoints, 4); },
         {"GdipDrawImagePointsI(G,I,pts,4)"}},
        {"DrawImage float point rect",
         [](GdipWrappers& f) {
             G(f).DrawImage(f.image.get(), 1.f, 2.f, 3.f, 4.f, 5.f, 6.f, UnitPixel);
         },
         {"GdipDrawImagePointRect(G,I,1,2,3,4,5,6,2)"}},
        {"DrawImage int point rect",
         [](GdipWrappers& f) { G(f).DrawImage(f.image.get(), 1, 2, 3, 4, 5, 6, UnitPixel); },
         {"GdipDrawImagePointRectI(G,I,1,2,3,4,5,6,2)"}},
        {"DrawImage float rect rect",
         [](GdipWrappers& f) {
             G(f).DrawImage(f.image.get(), TGPRectF{1, 2, 3, 4}, 5.f, 6.f, 7.f, 8.f, UnitPixel,
                            f.attributes.get());
         },
         {"GdipDrawImageRectRect(G,I,1,2,3,4,5,6,7,8,2,A,null,null)"}},
        {"DrawImage int rect rect",
         [](GdipWrappers& f) {
             G(f).DrawImage(f.image.get(), TGPRect{1, 2, 3, 4}, 5, 6, 7, 8, UnitPixel);
         },
         {"GdipDrawImageRectRectI(G,I,1,2,3,4,5,6,7,8,2,null,null,null)"}},
        {"DrawImage float points rect",
         [](GdipWrappers& f) {
             G(f).DrawImage(f.image.get(), gPointsF, 3, 1.f, 2.f, 3.f, 4.f, UnitPixel);
         },
         {"GdipDrawImagePointsRect(G,I,ptsF,3,1,2,3,4,2,null,null,null)"}},
        {"DrawImage int points rect",
         [](GdipWrappers& f) {
             G(f).DrawImage(f.image.get(), gPoints, 4, 1, 2, 3, 4, UnitPixel, f.attributes.get());
         },
         {"GdipDrawImagePointsRectI(G,I,pts,4,1,2,3,4,2,A,null,null)"}},
        {"DrawCachedBitmap",
         [](GdipWrappers& f) { G(f).DrawCachedBitmap(f.cached.get(), 1, 2); },
         {"GdipDrawCachedBitmap(G,C,1,2)"}},
        // Pens: numbers and records give the same call; a missing pen passes no handle.
        {"DrawLine float",
         [](GdipWrappers& f) { G(f).DrawLine(f.pen.get(), 1.f, 2.f, 3.f, 4.f); },
         {"GdipDrawLine(G,P,1,2,3,4)"}},
        {"DrawLine Points",
         [](GdipWrappers& f) {
             G(f).DrawLine(f.pen.get(), TGPPoint{1, 2}, TGPPoint{3, 4});
         },
         {"GdipDrawLineI(G,P,1,2,3,4)"}},
        {"DrawLine no pen",
         [](GdipWrappers& f) { G(f).DrawLine(nullptr, 1, 2, 3, 4); },
         {"GdipDrawLineI(G,null,1,2,3,4)"}},
        {"DrawArc Rect",
         [](GdipWrappers& f) {
             G(f).DrawArc(f.pen.get(), TGPRect{1, 2, 3, 4}, 10.f, 90.f);
         },
         {"GdipDrawArcI(G,P,1,2,3,4,10,90)"}},
        {"DrawBezier PointsF",
         [](GdipWrappers& f) {
             G(f).DrawBezier(f.pen.get(), TGPPointF{1, 2}, TGPPointF{3, 4}, TGPPointF{5, 6},
                             TGPPointF{7, 8});
         },
         {"GdipDrawBezier(G,P,1,2,3,4,5,6,7,8)"}},
        {"DrawRectangles int",
         [](GdipWrappers& f) {
             const TGPRect rects[1] = {{1, 2, 3, 4}};
             G(f).DrawRectangles(f.pen.get(), rects, 1);
         },
         {"GdipDrawRectanglesI(G,P,{1,2,3,4},1)"}},
        {"DrawCurve segments",
         [](GdipWrappers& f) { G(f).DrawCurve(f.pen.get(), gPointsF, 3, 1, 2, 0.5f); },
         {"GdipDrawCurve3(G,P,ptsF,3,1,2,0.5)"}},
        {"DrawCurve tension int",
         [](GdipWrappers& f) { G(f).DrawCurve(f.pen.get(), gPoints, 3, 0.25f); },
         {"GdipDrawCurve2I(G,P,pts,3,0.25)"}},
        {"DrawClosedCurve int",
         [](GdipWrappers& f) { G(f).DrawClosedCurve(f.pen.get(), gPoints, 3); },
         {"GdipDrawClosedCurveI(G,P,pts,3)"}},
        {"DrawPath",
         [](GdipWrappers& f) { G(f).DrawPath(f.pen.get(), f.path.get()); },
         {"GdipDrawPath(G,P,Pa)"}},
        {"Clear",
         [](GdipWrappers& f) { G(f).Clear(0xFF102030); },
         {"GdipGraphicsClear(G,4279246896)"}},
        // Brushes
        {"FillRectangle RectF",
         [](GdipWrappers& f) {
             G(f).FillRectangle(f.brush.get(), TGPRectF{1, 2, 3, 4});
         },
         {"GdipFillRectangle(G,B,1,2,3,4)"}},
        {"FillEllipse int",
         [](GdipWrappers& f) { G(f).FillEllipse(f.brush.get(), 1, 2, 3, 4); },
         {"GdipFillEllipseI(G,B,1,2,3,4)"}},
        {"FillPolygon alternate",
         [](GdipWrappers& f) { G(f).FillPolygon(f.brush.get(), gPoints, 3); },
         {"GdipFillPolygonI(G,B,pts,3,0)"}},
        {"FillPolygon winding",
         [](GdipWrappers& f) { G(f).FillPolygon(f.brush.get(), gPointsF, 3, FillModeWinding); },
         {"GdipFillPolygon(G,B,ptsF,3,1)"}},
        {"FillPie int",
         [](GdipWrappers& f) { G(f).FillPie(f.brush.get(), 1, 2, 3, 4, 5.f, 6.f); },
         {"GdipFillPieI(G,B,1,2,3,4,5,6)"}},
        {"FillClosedCurve mode and tension",
         [](GdipWrappers& f) {
             G(f).FillClosedCurve(f.brush.get(), gPointsF, 3, FillModeWinding, 0.25f);
         },
         {"GdipFillClosedCurve2(G,B,ptsF,3,0.25,1)"}},
        {"FillPath",
         [](GdipWrappers& f) { G(f).FillPath(f.brush.get(), f.path.get()); },
         {"GdipFillPath(G,B,Pa)"}},
        {"FillRegion",
         [](GdipWrappers& f) { G(f).FillRegion(f.brush.get(), f.region.get()); },
         {"GdipFillRegion(G,B,R)"}},
        // Text: a layout origin becomes an empty rectangle there.
        {"DrawString origin",
         [](GdipWrappers& f) {
             G(f).DrawString(L"ab", 2, f.font.get(), TGPPointF{1, 2}, f.brush.get());
         },
         {"GdipDrawString(G,\"ab\",2,F,{1,2,0,0},null,B)"}},
        {"DrawString layout",
         [](GdipWrappers& f) {
             G(f).DrawString(L"ab", -1, f.font.get(), TGPRectF{1, 2, 3, 4}, f.format.get(),
                             f.brush.get());
         },
         {"GdipDrawString(G,\"ab\",-1,F,{1,2,3,4},SF,B)"}},
        {"MeasureString origin",
         [](GdipWrappers& f) {
             TGPRectF box{};
             G(f).MeasureString(L"ab", 2, f.font.get(), TGPPointF{1, 2}, box);
         },
         {"GdipMeasureString(G,\"ab\",2,F,{1,2,0,0},null,&,null,null)"}},
        {"MeasureCharacterRanges",
         [](GdipWrappers& f) {
             TGPRegion* regions[1] = {f.region.get()};
             G(f).MeasureCharacterRanges(L"ab", 2, f.font.get(), TGPRectF{0, 0, 9, 9},
                                         f.format.get(), 1, regions);
         },
         {"GdipMeasureCharacterRanges(G,\"ab\",2,F,{0,0,9,9},SF,1,&)"}},
        // Text lengths never pass the text; any negative one is "up to the NUL".
        {"DrawString length beyond the text",
         [](GdipWrappers& f) {
             G(f).DrawString(L"ab", 10, f.font.get(), TGPPointF{1, 2}, f.format.get(),
                             f.brush.get());
         },
         {"GdipDrawString(G,\"ab\",2,F,{1,2,0,0},SF,B)"}},
        {"DrawString negative length",
         [](GdipWrappers& f) {
             G(f).DrawString(L"ab", -5, f.font.get(), TGPPointF{1, 2}, f.brush.get());
         },
         {"GdipDrawString(G,\"ab\",-1,F,{1,2,0,0},null,B)"}},
        {"DrawString length within the text",
         [](GdipWrappers& f) {
             G(f).DrawString(L"abc", 1, f.font.get(), TGPRectF{1, 2, 3, 4}, nullptr, nullptr);
         },
         {"GdipDrawString(G,\"abc\",1,F,{1,2,3,4},null,null)"}},
        {"MeasureString layout with counters, length beyond the text",
         [](GdipWrappers& f) {
             TGPRectF box{};
             INT fitted = 0, lines = 0;
             G(f).MeasureString(L"ab", 3, f.font.get(), TGPRectF{1, 2, 3, 4}, f.format.get(), box,
                                &fitted, &lines);
         },
         {"GdipMeasureString(G,\"ab\",2,F,{1,2,3,4},SF,&,&8,&9)"}},
        {"MeasureString layout size, length beyond the text",
         [](GdipWrappers& f) {
             TGPSizeF size{};
             G(f).MeasureString(L"ab", 99, f.font.get(), TGPSizeF{5, 6}, f.format.get(), size);
         },
         {"GdipMeasureString(G,\"ab\",2,F,{0,0,5,6},SF,&,null,null)"}},
        {"MeasureString origin and format, length beyond the text",
         [](GdipWrappers& f) {
             TGPRectF box{};
             G(f).MeasureString(L"ab", 4, f.font.get(), TGPPointF{1, 2}, f.format.get(), box);
         },
         {"GdipMeasureString(G,\"ab\",2,F,{1,2,0,0},SF,&,null,null)"}},
        {"MeasureString layout, negative length",
         [](GdipWrappers& f) {
             TGPRectF box{};
             G(f).MeasureString(L"ab", -3, f.font.get(), TGPRectF{1, 2, 3, 4}, box);
         },
         {"GdipMeasureString(G,\"ab\",-1,F,{1,2,3,4},null,&,null,null)"}},
        {"MeasureString origin, length beyond the text",
         [](GdipWrappers& f) {
             TGPRectF box{};
             G(f).MeasureString(L"ab", 7, f.font.get(), TGPPointF{1, 2}, box);
         },
         {"GdipMeasureString(G,\"ab\",2,F,{1,2,0,0},null,&,null,null)"}},
        {"MeasureCharacterRanges length beyond the text",
         [](GdipWrappers& f) {
             TGPRegion* regions[1] = {f.region.get()};
             G(f).MeasureCharacterRanges(L"ab", 30, f.font.get(), TGPRectF{0, 0, 9, 9},
                                         f.format.get(), 1, regions);
         },
         {"GdipMeasureCharacterRanges(G,\"ab\",2,F,{0,0,9,9},SF,1,&)"}},
        {"MeasureCharacterRanges negative length",
         [](GdipWrappers& f) {
             TGPRegion* regions[1] = {f.region.get()};
             G(f).MeasureCharacterRanges(L"ab", -2, f.font.get(), TGPRectF{0, 0, 9, 9},
                                         f.format.get(), 1, regions);
         },
         {"GdipMeasureCharacterRanges(G,\"ab\",-1,F,{0,0,9,9},SF,1,&)"}},
        // Clipping: IntersectClip and ExcludeClip are SetClip with their combine modes.
        {"SetClip RectF",
         [](GdipWrappers& f) {
             G(f).SetClip(TGPRectF{1, 2, 3, 4});
         },
         {"GdipSetClipRect(G,1,2,3,4,0)"}},
        {"SetClip Rect intersect",
         [](GdipWrappers& f) {
             G(f).SetClip(TGPRect{1, 2, 3, 4}, CombineModeIntersect);
         },
         {"GdipSetClipRectI(G,1,2,3,4,1)"}},
        {"IntersectClip Rect",
         [](GdipWrappers& f) {
             G(f).IntersectClip(TGPRect{1, 2, 3, 4});
         },
         {"GdipSetClipRectI(G,1,2,3,4,1)"}},
        {"ExcludeClip region",
         [](GdipWrappers& f) { G(f).ExcludeClip(f.region.get()); },
         {"GdipSetClipRegion(G,R,4)"}},
        {"SetClip graphics",
         [](GdipWrappers& f) { G(f).SetClip(f.graphics.get(), CombineModeXor); },
         {"GdipSetClipGraphics(G,G,3)"}},
        {"TranslateClip float",
         [](GdipWrappers& f) { G(f).TranslateClip(1.5f, 2.5f); },
         {"GdipTranslateClip(G,1.5,2.5)"}},
        {"TranslateClip int",
         [](GdipWrappers& f) { G(f).TranslateClip(1, 2); },
         {"GdipTranslateClipI(G,1,2)"}},
        {"IsVisible int point",
         [](GdipWrappers& f) { static_cast<void>(G(f).IsVisible(1, 2)); },
         {"GdipIsVisiblePointI(G,1,2,&4)"}},
        {"IsVisible RectF",
         [](GdipWrappers& f) {
             static_cast<void>(G(f).IsVisible(TGPRectF{1, 2, 3, 4}));
         },
         {"GdipIsVisibleRect(G,1,2,3,4,&6)"}},
        // Transforms, containers and comments
        {"TransformPoints int",
         [](GdipWrappers& f) {
             G(f).TransformPoints(CoordinateSpacePage, CoordinateSpaceWorld, gPoints, 3);
         },
         {"GdipTransformPointsI(G,1,0,pts,3)"}},
        {"TranslateTransform",
         [](GdipWrappers& f) { G(f).TranslateTransform(1.f, 2.f); },
         {"GdipTranslateWorldTransform(G,1,2,0)"}},
        {"MultiplyTransform",
         [](GdipWrappers& f) { G(f).MultiplyTransform(f.matrix.get(), MatrixOrderAppend); },
         {"GdipMultiplyWorldTransform(G,M,1)"}},
        {"SetTransform no matrix",
         [](GdipWrappers& f) { G(f).SetTransform(nullptr); },
         {"GdipSetWorldTransform(G,null)"}},
        {"BeginContainer Rect",
         [](GdipWrappers& f) {
             static_cast<void>(
                 G(f).BeginContainer(TGPRect{1, 2, 3, 4}, TGPRect{5, 6, 7, 8}, UnitPixel));
         },
         {"GdipBeginContainerI(G,{1,2,3,4},{5,6,7,8},2,&5)"}},
        {"AddMetafileComment size before data",
         [](GdipWrappers& f) { G(f).AddMetafileComment(gComment, 5); },
         {"GdipComment(G,5,&)"}},
        {"ReleaseHDC", [](GdipWrappers& f) { G(f).ReleaseHDC(kHdc); }, {"GdipReleaseDC(G,DC)"}},
        {"EnumerateMetafile point",
         [](GdipWrappers& f) {
             G(f).EnumerateMetafile(f.metafile.get(), TGPPointF{1, 2}, EnumProc);
         },
         {"GdipEnumerateMetafileDestPoint(G,MF,{1,2},&,null,null)"}},
        {"EnumerateMetafile int points with source",
         [](GdipWrappers& f) {
             G(f).EnumerateMetafile(f.metafile.get(), gPoints, 3, TGPRect{1, 2, 3, 4}, UnitPixel,
                                    EnumProc, nullptr, f.attributes.get());
         },
         {"GdipEnumerateMetafileSrcRectDestPointsI(G,MF,pts,3,{1,2,3,4},2,&,null,A)"}},
        // Construction
        {"Graphics on a window with colour management",
         [](GdipWrappers&) { static_cast<void>(TGPGraphics::Create(HWND(nullptr), true)); },
         {"GdipCreateFromHWNDICM(null,&H2)", "GdipDeleteGraphics(H2)"}},
        {"Graphics on an image",
         [](GdipWrappers& f) { static_cast<void>(TGPGraphics::FromImage(f.image.get())); },
         {"GdipGetImageGraphicsContext(I,&H2)", "GdipDeleteGraphics(H2)"}},
        {"Image from file",
         [](GdipWrappers&) { static_cast<void>(TGPImage::FromFile(L"skin.png")); },
         {"GdipLoadImageFromFile(\"skin.png\",&H2)", "GdipDisposeImage(H2)"}},
        {"Image from file with colour management",
         [](GdipWrappers&) { static_cast<void>(TGPImage::FromFile(L"skin.png", true)); },
         {"GdipLoadImageFromFileICM(\"skin.png\",&H2)", "GdipDisposeImage(H2)"}},
        {"Bitmap with its own pixels",
         [](GdipWrappers&) { static_cast<void>(TGPBitmap::Create(4, 3)); },
         {"GdipCreateBitmapFromScan0(4,3,0,2498570,null,&H6)", "GdipDisposeImage(H6)"}},
        {"Bitmap from file",
         [](GdipWrappers&) { static_cast<void>(TGPBitmap::FromFile(L"skin.png")); },
         {"GdipCreateBitmapFromFile(\"skin.png\",&H2)", "GdipDisposeImage(H2)"}},
        {"Bitmap on a graphics",
         [](GdipWrappers& f) { static_cast<void>(TGPBitmap::Create(4, 3, f.graphics.get())); },
         {"GdipCreateBitmapFromGraphics(4,3,G,&H4)", "GdipDisposeImage(H4)"}},
        // Image and bitmap methods
        {"GetWidth",
         [](GdipWrappers& f) { static_cast<void>(f.image->GetWidth()); },
         {"GdipGetImageWidth(I,&2)"}},
        {"SaveAdd image",
         [](GdipWrappers& f) { f.image->SaveAdd(f.other.get(), nullptr); },
         {"GdipSaveAddImage(I,I2,null)"}},
        {"Clone float area",
         [](GdipWrappers& f) {
             static_cast<void>(f.image->Clone(TGPRectF{1, 2, 3, 4}, argb));
         },
         {"GdipCloneBitmapArea(1,2,3,4,2498570,I,&H7)", "GdipDisposeImage(H7)"}},
        {"Clone int area",
         [](GdipWrappers& f) { static_cast<void>(f.image->Clone(1, 2, 3, 4, argb)); },
         {"GdipCloneBitmapAreaI(1,2,3,4,2498570,I,&H7)", "GdipDisposeImage(H7)"}},
        {"LockBits",
         [](GdipWrappers& f) {
             BitmapData data{};
             f.image->LockBits(TGPRect{1, 2, 3, 4}, ImageLockModeRead, argb, data);
         },
         {"GdipBitmapLockBits(I,{1,2,3,4},1,2498570,&)"}},
        {"GetHBITMAP background last",
         [](GdipWrappers& f) {
             HBITMAP bitmap = nullptr;
             f.image->GetHBITMAP(0xFF000000, bitmap);
         },
         {"GdipCreateHBITMAPFromBitmap(I,&,4278190080)"}},
        {"SetPixel",
         [](GdipWrappers& f) { f.image->SetPixel(1, 2, 0x80FF0000); },
         {"GdipBitmapSetPixel(I,1,2,2164195328)"}},
    };
    return forms;
}

TEST_F(GdipWrappers, EachFormCallsItsFlatFunctionWithItsArguments) {
    for (const Form& form : Forms()) {
        form.call(*this);
        EXPECT_EQ(spy.Take(), form.expected) << form.what;
    }
}

// The spy writes n through the out-parameter in position n of a call that succeeds, so each
// output shows which position it was taken from.
TEST_F(GdipWrappers, EachOutputHoldsWhatGdiplusWroteThroughItsOwnParameter) {
    const auto cap = MakeAttached<TGPCustomLineCap>(Fake<GpCustomLineCap*>(0x8A00, "CAP"));
    const auto linear = MakeAttached<TGPLinearGradientBrush>(kBrush);
    struct Row {
        const char* what;
        std::function<std::string(GdipWrappers&)> outputs;
        const char* expected;
    };
    const auto pair = [](auto a, auto b) {
        return std::to_string(static_cast<long long>(a)) + " " +
               std::to_string(static_cast<long long>(b));
    };
    const Row rows[] = {
        {"rendering origin x, y",
         [&](GdipWrappers& f) {
             INT x = 0, y = 0;
             G(f).GetRenderingOrigin(x, y);
             return pair(x, y);
         },
         "2 3"},
        {"physical dimension width, height",
         [&](GdipWrappers& f) {
             TGPSizeF size{};
             f.image->GetPhysicalDimension(size);
             return pair(size.Width, size.Height);
         },
         "2 3"},
        {"property size total, count",
         [&](GdipWrappers& f) {
             UINT total = 0, count = 0;
             f.image->GetPropertySize(total, count);
             return pair(total, count);
         },
         "2 3"},
        {"bounds unit",
         [&](GdipWrappers& f) {
             TGPRectF rect{};
             Unit_ unit = UnitWorld;
             f.image->GetBounds(rect, unit);
             return std::to_string(unit);
         },
         "3"},
        {"stroke caps start, end",
         [&](GdipWrappers&) {
             LineCap start = LineCapFlat, end = LineCapFlat;
             cap->GetStrokeCaps(start, end);
             return pair(start, end);
         },
         "2 3"},
        {"linear colours: the first element is the first colour",
         [&](GdipWrappers&) {
             ARGB first = 0, second = 0;
             linear->GetLinearColors(first, second);
             return pair(first, second);
         },
         "2 0"},
        {"tab stops offset, first stop",
         [&](GdipWrappers& f) {
             REAL offset = 0, stops[2] = {};
             f.format->GetTabStops(offset, stops);
             return pair(offset, stops[0]);
         },
         "3 4"},
        {"digit substitution language, method",
         [&](GdipWrappers& f) {
             return pair(f.format->GetDigitSubstitutionLanguage(),
                         f.format->GetDigitSubstitutionMethod());
         },
         "2 3"},
        {"smoothing mode, dpi",
         [&](GdipWrappers& f) { return pair(G(f).GetSmoothingMode(), G(f).GetDpiX()); }, "2 2"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.outputs(*this), row.expected) << row.what;
        spy.Take();
    }
}

// ---- status keeping
// ------------------------------------------------------------------------------

TEST_F(GdipWrappers, StatusKeepsTheLatestFailureUntilRead) {
    auto img = TGPImage::FromFile(L"a.png");
    EXPECT_EQ(img->GetLastStatus(), Ok);
    EXPECT_EQ(img->GetLastStatus(), Ok);

    spy.Returns("GdipGetImageFlags", Win32Error);
    static_cast<void>(img->GetFlags());
    static_cast<void>(img->GetWidth()); // succeeds
    EXPECT_EQ(img->GetLastStatus(), Win32Error);
    EXPECT_EQ(img->GetLastStatus(), Ok);

    spy.Returns("GdipImageRotateFlip", GenericError);
    spy.Returns("GdipSaveAdd", AccessDenied);
    EXPECT_EQ(img->RotateFlip(Rotate90FlipNone), GenericError);
    EXPECT_EQ(img->SaveAdd(nullptr), AccessDenied); // its own status, not the kept one
    EXPECT_EQ(img->GetLastStatus(), AccessDenied);
}

TEST_F(GdipWrappers, ConstructorsKeepTheirStatusAndStillGiveAnObject) {
    spy.Returns("GdipLoadImageFromFile", FileNotFound);
    auto missing = TGPImage::FromFile(L"missing.png");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->Native(), nullptr);
    EXPECT_EQ(missing->GetLastStatus(), FileNotFound);
    EXPECT_EQ(missing->GetLastStatus(), Ok);
    spy.Take();
    missing.reset();
    EXPECT_EQ(spy.Take(), Calls{"GdipDisposeImage(null)"}); // disposed without a test

    spy.Returns("GdipCreateFromHWND", OutOfMemory);
    auto g = TGPGraphics::Create(HWND(nullptr));
    EXPECT_EQ(g->GetLastStatus(), OutOfMemory);

    spy.Returns("GdipCreateBitmapFromScan0", InvalidParameter);
    auto bitmap = TGPBitmap::Create(0, 0);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->GetLastStatus(), InvalidParameter);
}

TEST_F(GdipWrappers, GettersStartFromTheirPresetWhenTheCallFailsWithoutWriting) {
    for (const char* name : {"GdipGetImageWidth", "GdipGetImageHeight", "GdipGetSmoothingMode",
                             "GdipGetInterpolationMode", "GdipGetPixelOffsetMode",
                             "GdipIsVisibleRect", "GdipIsVisibleRectI", "GdipIsVisiblePoint",
                             "GdipIsVisiblePointI", "GdipIsClipEmpty", "GdipIsVisibleClipEmpty"})
        spy.Returns(name, GenericError);
    EXPECT_EQ(image->GetWidth(), 0u);
    EXPECT_EQ(image->GetHeight(), 0u);
    EXPECT_EQ(graphics->GetSmoothingMode(), SmoothingModeInvalid);
    EXPECT_EQ(graphics->GetInterpolationMode(), InterpolationModeInvalid);
    EXPECT_EQ(graphics->GetPixelOffsetMode(), PixelOffsetModeInvalid);
    EXPECT_TRUE(graphics->IsVisible(TGPRectF{0, 0, 1, 1}));
    EXPECT_TRUE(graphics->IsVisible(TGPRect{0, 0, 1, 1}));
    EXPECT_FALSE(graphics->IsVisible(0.5f, 0.5f));
    EXPECT_FALSE(graphics->IsVisible(TGPPoint{0, 0}));
    EXPECT_FALSE(graphics->IsClipEmpty());
    EXPECT_FALSE(graphics->IsVisibleClipEmpty());
    EXPECT_EQ(graphics->GetLastStatus(), GenericError);
}

TEST_F(GdipWrappers, WrapperMadeStatusesAreReturnedWithoutCallingGdiplus) {
    EXPECT_EQ(image->SaveAdd(nullptr, nullptr), InvalidParameter);
    EXPECT_EQ(image->GetLastStatus(), InvalidParameter);

    EXPECT_EQ(graphics->DrawImage(image.get(), gPointsF, 2), InvalidParameter);
    EXPECT_EQ(graphics->DrawImage(image.get(), static_cast<const TGPPoint*>(nullptr), 3),
              InvalidParameter);
    EXPECT_EQ(graphics->GetLastStatus(), InvalidParameter);

    // MeasureCharacterRanges refuses a count it cannot serve and keeps nothing.
    TGPRegion* regions[1] = {region.get()};
    for (INT count : {0, -1, 2})
        EXPECT_EQ(graphics->MeasureCharacterRanges(L"ab", 2, font.get(), TGPRectF{}, format.get(),
                                                   count, regions),
                  InvalidParameter)
            << count;
    EXPECT_EQ(graphics->GetLastStatus(), Ok);
    EXPECT_TRUE(spy.Take().empty());
}

TEST_F(GdipWrappers, GraphicsOperationsWithTheirOwnStatusHandling) {
    spy.Returns("GdipFlush", GenericError);
    graphics->Flush();
    EXPECT_EQ(graphics->GetLastStatus(), Ok);

    spy.Returns("GdipReleaseDC", ObjectBusy);
    graphics->ReleaseHDC(kHdc);
    EXPECT_EQ(graphics->GetLastStatus(), ObjectBusy);

    static_cast<void>(TGPGraphics::GetHalftonePalette());
    EXPECT_EQ(spy.Take(),
              (Calls{"GdipFlush(G,0)", "GdipReleaseDC(G,DC)", "GdipCreateHalftonePalette()"}));

    spy.Take();
    auto empty = TGPGraphics::Create(static_cast<const TGPImage*>(nullptr));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->Native(), nullptr);
    EXPECT_EQ(empty->GetLastStatus(), Ok);
    EXPECT_TRUE(spy.Take().empty());
}

TEST_F(GdipWrappers, MeasureStringWithASizeWritesItOnlyOnSuccess) {
    spy.table().GdipMeasureString = [](GpGraphics*, const WCHAR*, INT, const GpFont*,
                                       const TGPRectF* layout, const GpStringFormat*, TGPRectF* box,
                                       INT*, INT*) WINAPI -> Status {
        *box = {0, 0, layout->Width / 2, layout->Height / 2};
        return layout->Width > 0 ? Ok : GenericError;
    };
    TGPSizeF size{7, 7};
    EXPECT_EQ(graphics->MeasureString(L"ab", 2, font.get(), TGPSizeF{0, 10}, nullptr, size),
              GenericError);
    EXPECT_EQ(size.Width, 7);
    EXPECT_EQ(size.Height, 7);
    EXPECT_EQ(graphics->MeasureString(L"ab", 2, font.get(), TGPSizeF{30, 40}, nullptr, size), Ok);
    EXPECT_EQ(size.Width, 15);
    EXPECT_EQ(size.Height, 20);
}

// ---- clones
// --------------------------------------------------------------------------------------

void CloneWritesCopy(SpyTable& spy) {
    spy.table().GdipCloneBitmapArea = [](REAL, REAL, REAL, REAL, PixelFormat, GpBitmap*,
                                         GpBitmap** out) WINAPI -> Status {
        *out = static_cast<GpBitmap*>(kClone);
        return Ok;
    };
    spy.table().GdipCloneBitmapAreaI = [](INT, INT, INT, INT, PixelFormat, GpBitmap*,
                                          GpBitmap** out) WINAPI -> Status {
        *out = static_cast<GpBitmap*>(kClone);
        return Ok;
    };
    spy.table().GdipCloneImage = [](GpImage*, GpImage** out) WINAPI -> Status {
        *out = kClone;
        return Ok;
    };
}

TEST_F(GdipWrappers, IntegerAreaCloneKeepsItsStatusEvenWhenOk) {
    spy.Returns("GdipCloneBitmapAreaI", OutOfMemory);
    EXPECT_FALSE(image->Clone(0, 0, 1, 1, PixelFormat32bppARGB));
    EXPECT_EQ(image->GetLastStatus(), OutOfMemory);

    CloneWritesCopy(spy);
    spy.Returns("GdipGetImageFlags", GenericError);
    static_cast<void>(image->GetFlags());
    auto clone = image->Clone(TGPRect{0, 0, 1, 1}, PixelFormat32bppARGB);
    ASSERT_TRUE(clone);
    EXPECT_EQ(clone->Native(), kClone);
    EXPECT_EQ(clone->GetLastStatus(), Ok);
    EXPECT_EQ(image->GetLastStatus(), Ok); // the success cleared the earlier failure
}

TEST_F(GdipWrappers, FloatAreaCloneWithAnUnreadFailureGivesNoneAndDisposesTheCopy) {
    CloneWritesCopy(spy);
    spy.Returns("GdipGetImageFlags", GenericError);
    static_cast<void>(image->GetFlags());
    spy.Take();
    EXPECT_FALSE(image->Clone(0.f, 0.f, 1.f, 1.f, PixelFormat32bppARGB));
    EXPECT_EQ(spy.Take(), Calls{"GdipDisposeImage(I2)"});

    EXPECT_EQ(image->GetLastStatus(), GenericError);
    auto clone = image->Clone(TGPRectF{0, 0, 1, 1}, PixelFormat32bppARGB);
    ASSERT_TRUE(clone);
    EXPECT_EQ(clone->Native(), kClone);
}

TEST_F(GdipWrappers, ImageCloneIsAnImageCarryingTheSourceStatus) {
    CloneWritesCopy(spy);
    spy.Returns("GdipGetImageFlags", Aborted);
    static_cast<void>(image->GetFlags());
    TGPImage& asImage = *image;
    auto clone = asImage.Clone();
    ASSERT_TRUE(clone);
    EXPECT_EQ(dynamic_cast<TGPBitmap*>(clone.get()), nullptr);
    EXPECT_EQ(clone->Native(), kClone);
    EXPECT_EQ(clone->GetLastStatus(), Aborted);
}

TEST_F(GdipWrappers, NoWrapperWithoutMemoryAndNoCopyLeft) {
    CloneWritesCopy(spy);
    spy.table().GdipAlloc = [](SIZE_T) WINAPI -> void* { return nullptr; };
    spy.Take();

    EXPECT_FALSE(TGPImage::FromFile(L"a.png"));
    EXPECT_FALSE(TGPGraphics::Create(kHdc));
    EXPECT_FALSE(TGPBitmap::Create(1, 1));
    EXPECT_TRUE(spy.Take().empty()); // no object, so no creating call

    EXPECT_FALSE(image->Clone());
    EXPECT_FALSE(image->Clone(0, 0, 1, 1, PixelFormat32bppARGB));
    EXPECT_EQ(spy.Take(), (Calls{"GdipDisposeImage(I2)", "GdipDisposeImage(I2)"}));
}

TEST_F(GdipWrappers, ReplacingAHandleDeletesTheOneHeld) {
    auto family = GdipFactory::Make<Replacing<TGPFontFamily, GpFontFamily*>>(
        reinterpret_cast<GpFontFamily*>(0xB001));
    family->ReplaceNative(reinterpret_cast<GpFontFamily*>(0xB002));
    // A family handed the same handle again holds a second reference: the first one goes.
    family->ReplaceNative(reinterpret_cast<GpFontFamily*>(0xB002));
    auto cap = GdipFactory::Make<Replacing<TGPCustomLineCap, GpCustomLineCap*>>(nullptr);
    cap->ReplaceNative(reinterpret_cast<GpCustomLineCap*>(0xB101));
    cap->ReplaceNative(reinterpret_cast<GpCustomLineCap*>(0xB102));
    EXPECT_EQ(spy.Take(), (Calls{"GdipDeleteFontFamily(0xb001)", "GdipDeleteFontFamily(0xb002)",
                                 "GdipDeleteCustomLineCap(0xb101)"}));
    family.reset();
    cap.reset();
    EXPECT_EQ(spy.Take(),
              (Calls{"GdipDeleteFontFamily(0xb002)", "GdipDeleteCustomLineCap(0xb102)"}));
}

TEST(GdipMetafileHeader, PredicatesFollowTheMetafileType) {
    struct Row {
        MetafileType type;
        bool wmf, placeable, emf, emfOrPlus, plus, dual, only;
    };
    const Row rows[] = {
        {MetafileTypeInvalid, false, false, false, false, false, false, false},
        {MetafileTypeWmf, true, false, false, false, false, false, false},
        {MetafileTypeWmfPlaceable, true, true, false, false, false, false, false},
        {MetafileTypeEmf, false, false, true, true, false, false, false},
        {MetafileTypeEmfPlusOnly, false, false, false, true, true, false, true},
        {MetafileTypeEmfPlusDual, false, false, false, true, true, true, false},
    };
    for (const Row& row : rows) {
        TMetafileHeader header{};
        header.Type_ = row.type;
        header.EmfPlusFlags = 1;
        EXPECT_EQ(header.IsWmf(), row.wmf) << row.type;
        EXPECT_EQ(header.IsWmfPlaceable(), row.placeable) << row.type;
        EXPECT_EQ(header.IsEmf(), row.emf) << row.type;
        EXPECT_EQ(header.IsEmfOrEmfPlus(), row.emfOrPlus) << row.type;
        EXPECT_EQ(header.IsEmfPlus(), row.plus) << row.type;
        EXPECT_EQ(header.IsEmfPlusDual(), row.dual) << row.type;
        EXPECT_EQ(header.IsEmfPlusOnly(), row.only) << row.type;
        EXPECT_EQ(header.IsDisplay(), row.plus) << row.type;
        EXPECT_EQ(header.GetWmfHeader() != nullptr, row.wmf) << row.type;
        EXPECT_EQ(header.GetEmfHeader() != nullptr, row.emfOrPlus) << row.type;
        header.EmfPlusFlags = 2;
        EXPECT_FALSE(header.IsDisplay()) << row.type;
    }
    TMetafileHeader header{};
    header.X = 1, header.Y = 2, header.Width = 3, header.Height = 4;
    TGPRect bounds{};
    header.GetBounds(bounds);
    EXPECT_EQ(bounds.X + bounds.Y * 10 + bounds.Width * 100 + bounds.Height * 1000, 4321);
}

// ---- font classes and the shared generic objects
// --------------------------------------------------

TEST_F(GdipWrappers, FontAndCollectionLeaveTheirStatusInPlace) {
    spy.Returns("GdipCreateFont", FontFamilyNotFound);
    auto f = TGPFont::Create(nullptr, 12, 0, UnitPoint);
    EXPECT_EQ(f->GetLastStatus(), FontFamilyNotFound);
    EXPECT_EQ(f->GetLastStatus(), FontFamilyNotFound);

    auto collection = TGPFontCollection::Create();
    spy.Returns("GdipGetFontCollectionFamilyCount", GenericError);
    static_cast<void>(collection->GetFamilyCount());
    EXPECT_EQ(collection->GetLastStatus(), GenericError);
    EXPECT_EQ(collection->GetLastStatus(), GenericError);
    spy.Returns("GdipGetFontCollectionFamilyCount", Ok);
    static_cast<void>(collection->GetFamilyCount());
    EXPECT_EQ(collection->GetLastStatus(), Ok); // every status is stored
    spy.Take();
    collection.reset();
    EXPECT_TRUE(spy.Take().empty()); // its handle is not deleted
}

class GdipGenerics : public GdipWrappers {
protected:
    GdipGenerics() {
        ShutdownGdiplus(); // the spy's: the shared objects start empty, GDI+ stays up
        spy.Take();
        Labels()[0xA001] = "SS";
        Labels()[0xA002] = "SE";
        Labels()[0xA003] = "MO";
        Labels()[0xA004] = "TY";
        Labels()[0xA005] = "DE";
        spy.table().GdipGetGenericFontFamilySansSerif = [](GpFontFamily** out) WINAPI -> Status {
            *out = reinterpret_cast<GpFontFamily*>(0xA001);
            Log("SansSerif");
            return Ok;
        };
        spy.table().GdipGetGenericFontFamilySerif = [](GpFontFamily** out) WINAPI -> Status {
            *out = reinterpret_cast<GpFontFamily*>(0xA002);
            Log("Serif");
            return FontFamilyNotFound;
        };
        spy.table().GdipGetGenericFontFamilyMonospace = [](GpFontFamily** out) WINAPI -> Status {
            *out = reinterpret_cast<GpFontFamily*>(0xA003);
            return Ok;
        };
        spy.table().GdipStringFormatGetGenericTypographic = [](GpStringFormat** out)
                                                                WINAPI -> Status {
            *out = reinterpret_cast<GpStringFormat*>(0xA004);
            return Ok;
        };
        spy.table().GdipStringFormatGetGenericDefault = [](GpStringFormat** out) WINAPI -> Status {
            *out = reinterpret_cast<GpStringFormat*>(0xA005);
            return ValueOverflow;
        };
        spy.table().GdiplusStartup = [](ULONG_PTR* token, const GdiplusStartupInput* input,
                                        GdiplusStartupOutput* output) WINAPI -> Status {
            sessionToken = *token; // the session's start-up, still running
            *token = 77;
            Log("GdiplusStartup(" + std::to_string(input->GdiplusVersion) + "," +
                Arg(input->DebugEventCallback) + "," +
                std::to_string(input->SuppressBackgroundThread) + "," +
                std::to_string(input->SuppressExternalCodecs) + "," + Arg(output) + ")");
            return Ok;
        };
        StartupGdiplus();
        EXPECT_EQ(spy.Take(), Calls{"GdiplusStartup(1,null,0,0,null)"});
    }
    ~GdipGenerics() override {
        ShutdownGdiplus();
        // The session's own shutdown needs its token back; GDI+ is not started again.
        spy.table().GdiplusStartup = [](ULONG_PTR* token, const GdiplusStartupInput*,
                                        GdiplusStartupOutput*) WINAPI -> Status {
            *token = sessionToken;
            return Ok;
        };
        StartupGdiplus();
    }

    static inline ULONG_PTR sessionToken = 0;
};

TEST_F(GdipGenerics, EachGenericIsMadeOnceAndKeepsItsStatus) {
    TGPFontFamily* serif = TGPFontFamily::GenericSerif();
    ASSERT_NE(serif, nullptr);
    EXPECT_EQ(TGPFontFamily::GenericSerif(), serif);
    EXPECT_EQ(spy.Take(), Calls{"Serif"});
    EXPECT_EQ(serif->GetLastStatus(), FontFamilyNotFound);
    EXPECT_EQ(serif->GetLastStatus(), Ok);
    EXPECT_NE(TGPFontFamily::GenericSansSerif(), serif);

    TGPStringFormat* typographic = TGPStringFormat::GenericTypographic();
    EXPECT_EQ(TGPStringFormat::GenericTypographic(), typographic);
    TGPStringFormat* byDefault = TGPStringFormat::GenericDefault();
    ASSERT_TRUE(byDefault);
    EXPECT_NE(byDefault, typographic);
    EXPECT_EQ(byDefault->Native(), reinterpret_cast<GpStringFormat*>(0xA005));
    EXPECT_EQ(byDefault->GetLastStatus(), ValueOverflow); // cached with its failure
    EXPECT_EQ(byDefault->GetLastStatus(), Ok);
}

TEST_F(GdipGenerics, ShutdownFreesTheCachedObjectsInOrderThenShutsDown) {
    static_cast<void>(TGPStringFormat::GenericDefault());
    static_cast<void>(TGPFontFamily::GenericMonospace());
    static_cast<void>(TGPStringFormat::GenericTypographic());
    static_cast<void>(TGPFontFamily::GenericSerif());
    static_cast<void>(TGPFontFamily::GenericSansSerif());
    spy.Take();

    ShutdownGdiplus();
    EXPECT_EQ(spy.Take(), (Calls{"GdipDeleteFontFamily(SS)", "GdipDeleteFontFamily(SE)",
                                 "GdipDeleteFontFamily(MO)", "GdipDeleteStringFormat(TY)",
                                 "GdipDeleteStringFormat(DE)", "GdiplusShutdown(77)"}));

    // The references were cleared: nothing is freed twice, and a new request asks GDI+ again.
    ShutdownGdiplus();
    EXPECT_EQ(spy.Take(), Calls{"GdiplusShutdown(77)"});
    static_cast<void>(TGPFontFamily::GenericSansSerif());
    EXPECT_EQ(spy.Take(), Calls{"SansSerif"});
}

} // namespace
