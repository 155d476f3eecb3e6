// The font, family, collection and path wrappers against a recording double of the flat API:
// which flat function each form calls with which arguments, and how each class keeps, returns and
// resets its status.
#include "Attached.h"
#include "Spy.h"

#include "classlib/Handles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace tn::gdiplus;
using namespace tn::gdiplus::testing;

namespace {

const auto kFamily = Fake<GpFontFamily*>(0x8A00, "FF");
const auto kCollection = Fake<GpFontCollection*>(0x8B00, "FC");
const auto kPath2 = Fake<GpPath*>(0x8401, "Pa2");
GpFontFamily* FamilyHandle(std::uintptr_t n) {
    return reinterpret_cast<GpFontFamily*>(n);
}

struct CollectionWith : TGPFontCollection {
    explicit CollectionWith(GpFontCollection* h) noexcept { nativeFontCollection = h; }
};

const TGPPointF gPtsF[4] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
const TGPPoint gPts[4] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
const BYTE gTypes[4] = {0, 1, 1, 1};
const TGPRectF gRectsF[2] = {{1, 2, 3, 4}, {5, 6, 7, 8}};
const TGPRect gRects[2] = {{1, 2, 3, 4}, {5, 6, 7, 8}};

class GdipFontPath : public ::testing::Test {
public:
    GdipFontPath() {
        AddLabels({{gPtsF, "ptsF"},
                   {gPts, "pts"},
                   {gTypes, "types"},
                   {gRectsF, "rectsF"},
                   {gRects, "rects"}});
        const char* const families[] = {"F1", "F2", "F3", "F4"};
        for (std::uintptr_t n = 0; n < 4; ++n)
            Labels()[0xB001 + n] = families[n];
    }

    SpyTable spy;
    std::unique_ptr<TGPGraphicsPath> path = MakeAttached<TGPGraphicsPath>(kPath);
    std::unique_ptr<TGPGraphicsPath> other = MakeAttached<TGPGraphicsPath>(kPath2);
    std::unique_ptr<TGPGraphics> graphics = MakeAttached<TGPGraphics>(kGraphics);
    std::unique_ptr<TGPPen> pen = MakeAttached<TGPPen>(kPen);
    std::unique_ptr<TGPMatrix> matrix = MakeAttached<TGPMatrix>(kMatrix);
    std::unique_ptr<TGPStringFormat> format = MakeAttached<TGPStringFormat>(kFormat);
    std::unique_ptr<TGPFontFamily> family = MakeAttached<TGPFontFamily>(kFamily);
    std::unique_ptr<TGPFont> font = MakeAttached<TGPFont>(kFont);
    std::unique_ptr<TGPFontCollection> collection = GdipFactory::Make<CollectionWith>(kCollection);
};

using Form = FormOf<GdipFontPath>;

TGPGraphicsPath& P(GdipFontPath& f) {
    return *f.path;
}

// ---- one row per form
// ----------------------------------------------------------------------------

const std::vector<Form>& Forms() {
    static const std::vector<Form> forms = {
        // Path construction: the creating call's status is kept; the handle it gives is deleted.
        {"Create",
         [](GdipFontPath&) { static_cast<void>(TGPGraphicsPath::Create(FillModeAlternate)); },
         {"GdipCreatePath(0,&H2)", "GdipDeletePath(H2)"}},
        {"Create winding",
         [](GdipFontPath&) { static_cast<void>(TGPGraphicsPath::Create(FillModeWinding)); },
         {"GdipCreatePath(1,&H2)", "GdipDeletePath(H2)"}},
        {"Create points",
         [](GdipFontPath&) {
             static_cast<void>(TGPGraphicsPath::Create(gPtsF, gTypes, FillModeWinding));
         },
         {"GdipCreatePath2(ptsF,types,4,1,&H5)", "GdipDeletePath(H5)"}},
        {"Create int points",
         [](GdipFontPath&) {
             static_cast<void>(TGPGraphicsPath::Create(gPts, gTypes, FillModeAlternate));
         },
         {"GdipCreatePath2I(pts,types,4,0,&H5)", "GdipDeletePath(H5)"}},
        {"Create copy",
         [](GdipFontPath& f) { static_cast<void>(TGPGraphicsPath::Create(f.other.get())); },
         {"GdipClonePath(Pa2,&H2)", "GdipDeletePath(H2)"}},
        {"Clone",
         [](GdipFontPath& f) { static_cast<void>(P(f).Clone()); },
         {"GdipClonePath(Pa,&H2)", "GdipDeletePath(H2)"}},
        // State and figures
        {"Reset", [](GdipFontPath& f) { P(f).Reset(); }, {"GdipResetPath(Pa)"}},
        {"GetFillMode",
         [](GdipFontPath& f) { static_cast<void>(P(f).GetFillMode()); },
         {"GdipGetPathFillMode(Pa,&2)"}},
        {"SetFillMode",
         [](GdipFontPath& f) { P(f).SetFillMode(FillModeWinding); },
         {"GdipSetPathFillMode(Pa,1)"}},
        {"GetPathData asks for the points the path holds",
         [](GdipFontPath& f) {
             TPathData data;
             P(f).GetPathData(data);
         },
         {"GdipGetPointCount(Pa,&2)", "GdipGetPathData(Pa,&)"}},
        {"StartFigure", [](GdipFontPath& f) { P(f).StartFigure(); }, {"GdipStartPathFigure(Pa)"}},
        {"CloseFigure", [](GdipFontPath& f) { P(f).CloseFigure(); }, {"GdipClosePathFigure(Pa)"}},
        {"CloseAllFigures",
         [](GdipFontPath& f) { P(f).CloseAllFigures(); },
         {"GdipClosePathFigures(Pa)"}},
        {"SetMarker", [](GdipFontPath& f) { P(f).SetMarker(); }, {"GdipSetPathMarker(Pa)"}},
        {"ClearMarkers",
         [](GdipFontPath& f) { P(f).ClearMarkers(); },
         {"GdipClearPathMarkers(Pa)"}},
        {"Reverse", [](GdipFontPath& f) { P(f).Reverse(); }, {"GdipReversePath(Pa)"}},
        {"GetLastPoint",
         [](GdipFontPath& f) {
             TGPPointF last{};
             P(f).GetLastPoint(last);
         },
         {"GdipGetPathLastPoint(Pa,&)"}},
        {"GetPointCount",
         [](GdipFontPath& f) { static_cast<void>(P(f).GetPointCount()); },
         {"GdipGetPointCount(Pa,&2)"}},
        {"GetPathTypes",
         [](GdipFontPath& f) {
             BYTE types[3];
             P(f).GetPathTypes(types);
         },
         {"GdipGetPathTypes(Pa,&2,3)"}},
        {"GetPathPoints",
         [](GdipFontPath& f) {
             TGPPointF points[3];
             P(f).GetPathPoints(points);
         },
         {"GdipGetPathPoints(Pa,&,3)"}},
        {"GetPathPoints int",
         [](GdipFontPath& f) {
             TGPPoint points[2];
             P(f).GetPathPoints(points);
         },
         {"GdipGetPathPointsI(Pa,&,2)"}},
        // Adding: records are unpacked into the coordinates form.
        {"AddLine",
         [](GdipFontPath& f) { P(f).AddLine(1.5f, 2.f, 3.f, 4.f); },
         {"GdipAddPathLine(Pa,1.5,2,3,4)"}},
        {"AddLine PointsF",
         [](GdipFontPath& f) {
             P(f).AddLine(TGPPointF{1.5f, 2}, TGPPointF{3, 4});
         },
         {"GdipAddPathLine(Pa,1.5,2,3,4)"}},
        {"AddLine int",
         [](GdipFontPath& f) { P(f).AddLine(1, 2, 3, 4); },
         {"GdipAddPathLineI(Pa,1,2,3,4)"}},
        {"AddLine Points",
         [](GdipFontPath& f) {
             P(f).AddLine(TGPPoint{1, 2}, TGPPoint{3, 4});
         },
         {"GdipAddPathLineI(Pa,1,2,3,4)"}},
        {"AddLines",
         [](GdipFontPath& f) { P(f).AddLines(gPtsF); },
         {"GdipAddPathLine2(Pa,ptsF,4)"}},
        {"AddLines int",
         [](GdipFontPath& f) { P(f).AddLines(std::span(gPts).first(3)); },
         {"GdipAddPathLine2I(Pa,pts,3)"}},
        {"AddArc",
         [](GdipFontPath& f) { P(f).AddArc(1.5f, 2.f, 3.f, 4.f, 10.f, 90.f); },
         {"GdipAddPathArc(Pa,1.5,2,3,4,10,90)"}},
        {"AddArc RectF",
         [](GdipFontPath& f) {
             P(f).AddArc(TGPRectF{1.5f, 2, 3, 4}, 10.f, 90.f);
         },
         {"GdipAddPathArc(Pa,1.5,2,3,4,10,90)"}},
        {"AddArc int",
         [](GdipFontPath& f) { P(f).AddArc(1, 2, 3, 4, 10.5f, 90.f); },
         {"GdipAddPathArcI(Pa,1,2,3,4,10.5,90)"}},
        {"AddArc Rect",
         [](GdipFontPath& f) {
             P(f).AddArc(TGPRect{1, 2, 3, 4}, 10.5f, 90.f);
         },
         {"GdipAddPathArcI(Pa,1,2,3,4,10.5,90)"}},
        {"AddBezier",
         [](GdipFontPath& f) { P(f).AddBezier(1.5f, 2.f, 3.f, 4.f, 5.f, 6.f, 7.f, 8.f); },
         {"GdipAddPathBezier(Pa,1.5,2,3,4,5,6,7,8)"}},
        {"AddBezier PointsF",
         [](GdipFontPath& f) {
             P(f).AddBezier(TGPPointF{1.5f, 2}, TGPPointF{3, 4}, TGPPointF{5, 6}, TGPPointF{7, 8});
         },
         {"GdipAddPathBezier(Pa,1.5,2,3,4,5,6,7,8)"}},
        {"AddBezier int",
         [](GdipFontPath& f) { P(f).AddBezier(1, 2, 3, 4, 5, 6, 7, 8); },
         {"GdipAddPathBezierI(Pa,1,2,3,4,5,6,7,8)"}},
        {"AddBezier Points",
         [](GdipFontPath& f) {
             P(f).AddBezier(TGPPoint{1, 2}, TGPPoint{3, 4}, TGPPoint{5, 6}, TGPPoint{7, 8});
         },
         {"GdipAddPathBezierI(Pa,1,2,3,4,5,6,7,8)"}},
        {"AddBeziers",
         [](GdipFontPath& f) { P(f).AddBeziers(gPtsF); },
         {"GdipAddPathBeziers(Pa,ptsF,4)"}},
        {"AddBeziers int",
         [](GdipFontPath& f) { P(f).AddBeziers(gPts); },
         {"GdipAddPathBeziersI(Pa,pts,4)"}},
        {"AddCurve",
         [](GdipFontPath& f) { P(f).AddCurve(gPtsF); },
         {"GdipAddPathCurve(Pa,ptsF,4)"}},
        {"AddCurve tension",
         [](GdipFontPath& f) { P(f).AddCurve(gPtsF, 0.75f); },
         {"GdipAddPathCurve2(Pa,ptsF,4,0.75)"}},
        {"AddCurve segments",
         [](GdipFontPath& f) { P(f).AddCurve(gPtsF, 1, 2, 0.75f); },
         {"GdipAddPathCurve3(Pa,ptsF,4,1,2,0.75)"}},
        {"AddCurve int",
         [](GdipFontPath& f) { P(f).AddCurve(gPts); },
         {"GdipAddPathCurveI(Pa,pts,4)"}},
        {"AddCurve tension int",
         [](GdipFontPath& f) { P(f).AddCurve(gPts, 0.75f); },
         {"GdipAddPathCurve2I(Pa,pts,4,0.75)"}},
        {"AddCurve segments int",
         [](GdipFontPath& f) { P(f).AddCurve(gPts, 1, 2, 0.75f); },
         {"GdipAddPathCurve3I(Pa,pts,4,1,2,0.75)"}},
        {"AddClosedCurve",
         [](GdipFontPath& f) { P(f).AddClosedCurve(gPtsF); },
         {"GdipAddPathClosedCurve(Pa,ptsF,4)"}},
        {"AddClosedCurve tension",
         [](GdipFontPath& f) { P(f).AddClosedCurve(gPtsF, 0.75f); },
         {"GdipAddPathClosedCurve2(Pa,ptsF,4,0.75)"}},
        {"AddClosedCurve int",
         [](GdipFontPath& f) { P(f).AddClosedCurve(gPts); },
         {"GdipAddPathClosedCurveI(Pa,pts,4)"}},
        {"AddClosedCurve tension int",
         [](GdipFontPath& f) { P(f).AddClosedCurve(gPts, 0.75f); },
         {"GdipAddPathClosedCurve2I(Pa,pts,4,0.75)"}},
        {"AddRectangle",
         [](GdipFontPath& f) {
             P(f).AddRectangle(TGPRectF{1.5f, 2, 3, 4});
         },
         {"GdipAddPathRectangle(Pa,1.5,2,3,4)"}},
        {"AddRectangle int",
         [](GdipFontPath& f) {
             P(f).AddRectangle(TGPRect{1, 2, 3, 4});
         },
         {"GdipAddPathRectangleI(Pa,1,2,3,4)"}},
        {"AddRectangles",
         [](GdipFontPath& f) { P(f).AddRectangles(gRectsF); },
         {"GdipAddPathRectangles(Pa,rectsF,2)"}},
        {"AddRectangles int",
         [](GdipFontPath& f) { P(f).AddRectangles(gRects); },
         {"GdipAddPathRectanglesI(Pa,rects,2)"}},
        {"AddEllipse",
         [](GdipFontPath& f) { P(f).AddEllipse(1.5f, 2.f, 3.f, 4.f); },
         {"GdipAddPathEllipse(Pa,1.5,2,3,4)"}},
        {"AddEllipse RectF",
         [](GdipFontPath& f) {
             P(f).AddEllipse(TGPRectF{1.5f, 2, 3, 4});
         },
         {"GdipAddPathEllipse(Pa,1.5,2,3,4)"}},
        {"AddEllipse int",
         [](GdipFontPath& f) { P(f).AddEllipse(1, 2, 3, 4); },
         {"GdipAddPathEllipseI(Pa,1,2,3,4)"}},
        {"AddEllipse Rect",
         [](GdipFontPath& f) {
             P(f).AddEllipse(TGPRect{1, 2, 3, 4});
         },
         {"GdipAddPathEllipseI(Pa,1,2,3,4)"}},
        {"AddPie",
         [](GdipFontPath& f) { P(f).AddPie(1.5f, 2.f, 3.f, 4.f, 10.f, 90.f); },
         {"GdipAddPathPie(Pa,1.5,2,3,4,10,90)"}},
        {"AddPie RectF",
         [](GdipFontPath& f) {
             P(f).AddPie(TGPRectF{1.5f, 2, 3, 4}, 10.f, 90.f);
         },
         {"GdipAddPathPie(Pa,1.5,2,3,4,10,90)"}},
        {"AddPie int",
         [](GdipFontPath& f) { P(f).AddPie(1, 2, 3, 4, 10.5f, 90.f); },
         {"GdipAddPathPieI(Pa,1,2,3,4,10.5,90)"}},
        {"AddPie Rect",
         [](GdipFontPath& f) {
             P(f).AddPie(TGPRect{1, 2, 3, 4}, 10.5f, 90.f);
         },
         {"GdipAddPathPieI(Pa,1,2,3,4,10.5,90)"}},
        {"AddPolygon",
         [](GdipFontPath& f) { P(f).AddPolygon(gPtsF); },
         {"GdipAddPathPolygon(Pa,ptsF,4)"}},
        {"AddPolygon int",
         [](GdipFontPath& f) { P(f).AddPolygon(gPts); },
         {"GdipAddPathPolygonI(Pa,pts,4)"}},
        {"AddPath connected",
         [](GdipFontPath& f) { P(f).AddPath(f.other.get(), true); },
         {"GdipAddPathPath(Pa,Pa2,1)"}},
        {"AddPath none",
         [](GdipFontPath& f) { P(f).AddPath(nullptr, false); },
         {"GdipAddPathPath(Pa,null,0)"}},
        // Text: an origin is a layout of no size; the length never passes the text.
        {"AddString origin",
         [](GdipFontPath& f) {
             P(f).AddString(L"abc", 2, f.family.get(), 1, 12.5f, TGPPointF{3, 4}, f.format.get());
         },
         {"GdipAddPathString(Pa,\"abc\",2,FF,1,12.5,{3,4,0,0},SF)"}},
        {"AddString layout",
         [](GdipFontPath& f) {
             P(f).AddString(L"abc", -1, f.family.get(), 1, 12.5f, TGPRectF{3, 4, 5, 6},
                            f.format.get());
         },
         {"GdipAddPathString(Pa,\"abc\",-1,FF,1,12.5,{3,4,5,6},SF)"}},
        {"AddString int origin",
         [](GdipFontPath& f) {
             P(f).AddString(L"abc", 3, f.family.get(), 2, 9, TGPPoint{3, 4}, f.format.get());
         },
         {"GdipAddPathStringI(Pa,\"abc\",3,FF,2,9,{3,4,0,0},SF)"}},
        {"AddString int layout",
         [](GdipFontPath& f) {
             P(f).AddString(L"abc", 1, nullptr, 0, 9, TGPRect{3, 4, 5, 6}, nullptr);
         },
         {"GdipAddPathStringI(Pa,\"abc\",1,null,0,9,{3,4,5,6},null)"}},
        {"AddString length beyond the text",
         [](GdipFontPath& f) {
             P(f).AddString(L"abc", 40, f.family.get(), 0, 9, TGPPointF{3, 4}, f.format.get());
         },
         {"GdipAddPathString(Pa,\"abc\",3,FF,0,9,{3,4,0,0},SF)"}},
        {"AddString negative length",
         [](GdipFontPath& f) {
             P(f).AddString(L"abc", -7, f.family.get(), 0, 9, TGPRect{3, 4, 5, 6}, f.format.get());
         },
         {"GdipAddPathStringI(Pa,\"abc\",-1,FF,0,9,{3,4,5,6},SF)"}},
        // Geometry
        {"Transform",
         [](GdipFontPath& f) { P(f).Transform(f.matrix.get()); },
         {"GdipTransformPath(Pa,M)"}},
        {"Transform none", [](GdipFontPath& f) { P(f).Transform(nullptr); }, {}},
        {"GetBounds",
         [](GdipFontPath& f) {
             TGPRectF bounds{};
             P(f).GetBounds(bounds);
         },
         {"GdipGetPathWorldBounds(Pa,&,null,null)"}},
        {"GetBounds matrix and pen",
         [](GdipFontPath& f) {
             TGPRectF bounds{};
             P(f).GetBounds(bounds, f.matrix.get(), f.pen.get());
         },
         {"GdipGetPathWorldBounds(Pa,&,M,P)"}},
        {"GetBounds int",
         [](GdipFontPath& f) {
             TGPRect bounds{};
             P(f).GetBounds(bounds, nullptr, f.pen.get());
         },
         {"GdipGetPathWorldBoundsI(Pa,&,null,P)"}},
        {"Flatten",
         [](GdipFontPath& f) { P(f).Flatten(nullptr, 0.25f); },
         {"GdipFlattenPath(Pa,null,0.25)"}},
        {"Flatten matrix",
         [](GdipFontPath& f) { P(f).Flatten(f.matrix.get(), 2.5f); },
         {"GdipFlattenPath(Pa,M,2.5)"}},
        {"Widen",
         [](GdipFontPath& f) { P(f).Widen(f.pen.get(), nullptr, 0.25f); },
         {"GdipWidenPath(Pa,P,null,0.25)"}},
        {"Widen matrix",
         [](GdipFontPath& f) { P(f).Widen(f.pen.get(), f.matrix.get(), 2.5f); },
         {"GdipWidenPath(Pa,P,M,2.5)"}},
        {"Widen no pen", [](GdipFontPath& f) { P(f).Widen(nullptr, f.matrix.get(), 0.25f); }, {}},
        {"Outline",
         [](GdipFontPath& f) { P(f).Outline(nullptr, 0.25f); },
         {"GdipWindingModeOutline(Pa,null,0.25)"}},
        {"Outline matrix",
         [](GdipFontPath& f) { P(f).Outline(f.matrix.get(), 2.5f); },
         {"GdipWindingModeOutline(Pa,M,2.5)"}},
        {"Warp: matrix before the points, the source unpacked",
         [](GdipFontPath& f) {
             P(f).Warp(gPtsF, TGPRectF{1, 2, 3, 4}, f.matrix.get(), WarpModeBilinear, 2.5f);
         },
         {"GdipWarpPath(Pa,M,ptsF,4,1,2,3,4,1,2.5)"}},
        {"Warp without a matrix",
         [](GdipFontPath& f) {
             P(f).Warp(std::span(gPtsF).first(3), TGPRectF{1, 2, 3, 4}, nullptr,
                       WarpModePerspective, 0.25f);
         },
         {"GdipWarpPath(Pa,null,ptsF,3,1,2,3,4,0,0.25)"}},
        // Hit tests
        {"IsVisible",
         [](GdipFontPath& f) { static_cast<void>(P(f).IsVisible(1.5f, 2.f)); },
         {"GdipIsVisiblePathPoint(Pa,1.5,2,null,&5)"}},
        {"IsVisible PointF",
         [](GdipFontPath& f) {
             static_cast<void>(P(f).IsVisible(TGPPointF{1.5f, 2}, f.graphics.get()));
         },
         {"GdipIsVisiblePathPoint(Pa,1.5,2,G,&5)"}},
        {"IsVisible int",
         [](GdipFontPath& f) { static_cast<void>(P(f).IsVisible(1, 2, f.graphics.get())); },
         {"GdipIsVisiblePathPointI(Pa,1,2,G,&5)"}},
        {"IsVisible Point",
         [](GdipFontPath& f) {
             static_cast<void>(P(f).IsVisible(TGPPoint{1, 2}));
         },
         {"GdipIsVisiblePathPointI(Pa,1,2,null,&5)"}},
        {"IsOutlineVisible",
         [](GdipFontPath& f) {
             static_cast<void>(P(f).IsOutlineVisible(1.5f, 2.f, f.pen.get(), f.graphics.get()));
         },
         {"GdipIsOutlineVisiblePathPoint(Pa,1.5,2,P,G,&6)"}},
        {"IsOutlineVisible PointF",
         [](GdipFontPath& f) {
             static_cast<void>(P(f).IsOutlineVisible(TGPPointF{1.5f, 2}, f.pen.get()));
         },
         {"GdipIsOutlineVisiblePathPoint(Pa,1.5,2,P,null,&6)"}},
        {"IsOutlineVisible int",
         [](GdipFontPath& f) { static_cast<void>(P(f).IsOutlineVisible(1, 2, nullptr)); },
         {"GdipIsOutlineVisiblePathPointI(Pa,1,2,null,null,&6)"}},
        {"IsOutlineVisible Point",
         [](GdipFontPath& f) {
             static_cast<void>(
                 P(f).IsOutlineVisible(TGPPoint{1, 2}, f.pen.get(), f.graphics.get()));
         },
         {"GdipIsOutlineVisiblePathPointI(Pa,1,2,P,G,&6)"}},
        // Font families
        {"Family",
         [](GdipFontPath&) { static_cast<void>(TGPFontFamily::Create()); },
         {"GdipDeleteFontFamily(null)"}},
        {"Family by name",
         [](GdipFontPath&) { static_cast<void>(TGPFontFamily::Create(L"Serif Face")); },
         {"GdipCreateFontFamilyFromName(\"Serif Face\",null,&H3)", "GdipDeleteFontFamily(H3)"}},
        {"Family by name in a collection",
         [](GdipFontPath& f) {
             static_cast<void>(TGPFontFamily::Create(L"Serif Face", f.collection.get()));
         },
         {"GdipCreateFontFamilyFromName(\"Serif Face\",FC,&H3)", "GdipDeleteFontFamily(H3)"}},
        {"GetFamilyName",
         [](GdipFontPath& f) {
             std::wstring name;
             f.family->GetFamilyName(name, 0x409);
         },
         {"GdipGetFamilyName(FF,&,1033)"}},
        {"Family Clone",
         [](GdipFontPath& f) { static_cast<void>(f.family->Clone()); },
         {"GdipCloneFontFamily(FF,&H2)", "GdipDeleteFontFamily(H2)"}},
        {"IsStyleAvailable",
         [](GdipFontPath& f) { static_cast<void>(f.family->IsStyleAvailable(3)); },
         {"GdipIsStyleAvailable(FF,3,&3)"}},
        {"GetEmHeight",
         [](GdipFontPath& f) { static_cast<void>(f.family->GetEmHeight(1)); },
         {"GdipGetEmHeight(FF,1,&3)"}},
        {"GetCellAscent",
         [](GdipFontPath& f) { static_cast<void>(f.family->GetCellAscent(2)); },
         {"GdipGetCellAscent(FF,2,&3)"}},
        {"GetCellDescent",
         [](GdipFontPath& f) { static_cast<void>(f.family->GetCellDescent(4)); },
         {"GdipGetCellDescent(FF,4,&3)"}},
        {"GetLineSpacing",
         [](GdipFontPath& f) { static_cast<void>(f.family->GetLineSpacing(8)); },
         {"GdipGetLineSpacing(FF,8,&3)"}},
        // Fonts
        {"Font from a device context",
         [](GdipFontPath&) { static_cast<void>(TGPFont::Create(kHdc)); },
         {"GdipCreateFontFromDC(DC,&H2)", "GdipDeleteFont(H2)"}},
        {"Font from an ANSI log font",
         [](GdipFontPath&) {
             const LOGFONTA logfont{};
             static_cast<void>(TGPFont::Create(kHdc, &logfont));
         },
         {"GdipCreateFontFromLogfontA(DC,&,&H3)", "GdipDeleteFont(H3)"}},
        {"Font from no ANSI log font",
         [](GdipFontPath&) {
             static_cast<void>(TGPFont::Create(kHdc, static_cast<const LOGFONTA*>(nullptr)));
         },
         {"GdipCreateFontFromDC(DC,&H2)", "GdipDeleteFont(H2)"}},
        {"Font from a wide log font",
         [](GdipFontPath&) {
             const LOGFONTW logfont{};
             static_cast<void>(TGPFont::Create(kHdc, &logfont));
         },
         {"GdipCreateFontFromLogfontW(DC,&,&H3)", "GdipDeleteFont(H3)"}},
        {"Font from no wide log font",
         [](GdipFontPath&) {
             static_cast<void>(TGPFont::Create(kHdc, static_cast<const LOGFONTW*>(nullptr)));
         },
         {"GdipCreateFontFromDC(DC,&H2)", "GdipDeleteFont(H2)"}},
        {"Font from no GDI font",
         [](GdipFontPath&) { static_cast<void>(TGPFont::Create(kHdc, HFONT{})); },
         {"GdipCreateFontFromDC(DC,&H2)", "GdipDeleteFont(H2)"}},
        {"Font from a handle GDI does not know",
         [](GdipFontPath&) {
             static_cast<void>(TGPFont::Create(kHdc, reinterpret_cast<HFONT>(0x7A7A)));
         },
         {"GdipCreateFontFromDC(DC,&H2)", "GdipDeleteFont(H2)"}},
        {"Font from a family",
         [](GdipFontPath& f) {
             static_cast<void>(TGPFont::Create(f.family.get(), 12.5f, 1, UnitPoint));
         },
         {"GdipCreateFont(FF,12.5,1,3,&H5)", "GdipDeleteFont(H5)"}},
        {"Font from no family",
         [](GdipFontPath&) { static_cast<void>(TGPFont::Create(nullptr, 12.5f, 1, UnitPixel)); },
         {"GdipCreateFont(null,12.5,1,2,&H5)", "GdipDeleteFont(H5)"}},
        {"Font from a family name: the temporary family is freed",
         [](GdipFontPath& f) {
             static_cast<void>(TGPFont::Create(L"Serif Face", 9, 2, UnitPixel, f.collection.get()));
         },
         {"GdipCreateFontFamilyFromName(\"Serif Face\",FC,&H3)", "GdipCreateFont(H3,9,2,2,&H5)",
          "GdipDeleteFontFamily(H3)", "GdipDeleteFont(H5)"}},
        {"GetLogFontA",
         [](GdipFontPath& f) {
             LOGFONTA logfont{};
             f.font->GetLogFontA(f.graphics.get(), logfont);
         },
         {"GdipGetLogFontA(F,G,&)"}},
        {"GetLogFontW",
         [](GdipFontPath& f) {
             LOGFONTW logfont{};
             f.font->GetLogFontW(nullptr, logfont);
         },
         {"GdipGetLogFontW(F,null,&)"}},
        {"Font Clone",
         [](GdipFontPath& f) { static_cast<void>(f.font->Clone()); },
         {"GdipCloneFont(F,&H2)", "GdipDeleteFont(H2)"}},
        {"GetStyle",
         [](GdipFontPath& f) { static_cast<void>(f.font->GetStyle()); },
         {"GdipGetFontStyle(F,&2)"}},
        {"GetSize",
         [](GdipFontPath& f) { static_cast<void>(f.font->GetSize()); },
         {"GdipGetFontSize(F,&2)"}},
        {"GetUnit",
         [](GdipFontPath& f) { static_cast<void>(f.font->GetUnit()); },
         {"GdipGetFontUnit(F,&2)"}},
        {"GetHeight graphics",
         [](GdipFontPath& f) { static_cast<void>(f.font->GetHeight(f.graphics.get())); },
         {"GdipGetFontHeight(F,G,&3)"}},
        {"GetHeight dpi",
         [](GdipFontPath& f) { static_cast<void>(f.font->GetHeight(96.5f)); },
         {"GdipGetFontHeightGivenDPI(F,96.5,&3)"}},
        {"GetFamily",
         [](GdipFontPath& f) { f.font->GetFamily(f.family.get()); },
         {"GdipGetFamily(F,&H2)", "GdipDeleteFontFamily(FF)"}},
        {"GetFamily none", [](GdipFontPath& f) { f.font->GetFamily(nullptr); }, {}},
        // Collections
        {"GetFamilyCount",
         [](GdipFontPath& f) { static_cast<void>(f.collection->GetFamilyCount()); },
         {"GdipGetFontCollectionFamilyCount(FC,&2)"}},
        {"GetFamilies",
         [](GdipFontPath& f) {
             TGPFontFamily* families[3] = {f.family.get(), f.family.get(), f.family.get()};
             INT found = 0;
             f.collection->GetFamilies(2, families, found);
         },
         {"GdipGetFontCollectionFamilyList(FC,2,&H3,&4)", "GdipCloneFontFamily(H3,&H2)",
          "GdipDeleteFontFamily(H2)", "GdipCloneFontFamily(null,&H2)", "GdipDeleteFontFamily(H2)"}},
    };
    return forms;
}

TEST_F(GdipFontPath, EachFormCallsItsFlatFunctionWithItsArguments) {
    for (const Form& form : Forms()) {
        form.call(*this);
        EXPECT_EQ(spy.Take(), form.expected) << form.what;
    }
}

TEST_F(GdipFontPath, TheFontFromAGdiFontCarriesItsDescription) {
    static LOGFONTA seen{};
    spy.table().GdipCreateFontFromLogfontA = [](HDC, const LOGFONTA* logfont, GpFont**)
                                                 WINAPI -> Status {
        seen = *logfont;
        return Ok;
    };
    const tn::UniqueFontHandle hfont(
        ::CreateFontW(-17, 0, 0, 0, FW_BOLD, TRUE, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Face"));
    ASSERT_TRUE(hfont);
    auto font = TGPFont::Create(kHdc, hfont.get());
    EXPECT_EQ(font->GetLastStatus(), Ok);
    EXPECT_EQ(seen.lfHeight, -17);
    EXPECT_EQ(seen.lfWeight, FW_BOLD);
    EXPECT_EQ(seen.lfItalic, TRUE);
    EXPECT_STREQ(seen.lfFaceName, "Face");
}

// ---- status keeping
// ------------------------------------------------------------------------------

TEST_F(GdipFontPath, AFamilyResetsItsStatusWhenRead) {
    spy.Returns("GdipCreateFontFamilyFromName", FontFamilyNotFound);
    auto named = TGPFontFamily::Create(L"x");
    EXPECT_EQ(named->GetLastStatus(), FontFamilyNotFound);
    EXPECT_EQ(named->GetLastStatus(), Ok);

    spy.Returns("GdipGetEmHeight", GenericError);
    EXPECT_EQ(family->GetEmHeight(0), 0);
    EXPECT_EQ(family->GetCellAscent(0), 3); // succeeds, keeps the failure
    EXPECT_EQ(family->GetLastStatus(), GenericError);
    EXPECT_EQ(family->GetLastStatus(), Ok);

    // The style test answers false on failure, whatever GDI+ wrote.
    spy.table().GdipIsStyleAvailable = [](const GpFontFamily*, INT style, BOOL* available)
                                           WINAPI -> Status {
        *available = TRUE;
        return style == 0 ? Ok : FontStyleNotFound;
    };
    EXPECT_TRUE(family->IsStyleAvailable(0));
    EXPECT_FALSE(family->IsStyleAvailable(1));
    EXPECT_EQ(family->GetLastStatus(), FontStyleNotFound);

    // A clone carries the status its source holds.
    spy.table().GdipCloneFontFamily = [](GpFontFamily*, GpFontFamily** out) WINAPI -> Status {
        *out = FamilyHandle(0xB001);
        return Ok;
    };
    spy.Returns("GdipGetLineSpacing", ValueOverflow);
    static_cast<void>(family->GetLineSpacing(0));
    auto clone = family->Clone();
    ASSERT_TRUE(clone);
    EXPECT_EQ(clone->Native(), FamilyHandle(0xB001));
    EXPECT_EQ(clone->GetLastStatus(), ValueOverflow);
    EXPECT_TRUE(clone->IsAvailable());
    EXPECT_FALSE(TGPFontFamily::Create()->IsAvailable());
}

TEST_F(GdipFontPath, AFamilyNameIsTheBufferUpToItsFirstNul) {
    struct Row {
        const wchar_t* written;
        Status status;
        std::wstring expected;
    };
    static const wchar_t* written = nullptr;
    static Status answer = Ok;
    spy.table().GdipGetFamilyName = [](const GpFontFamily*, WCHAR* name, LANGID) WINAPI -> Status {
        if (written) std::memcpy(name, written, 32 * sizeof(WCHAR));
        return answer;
    };
    // 32 units without a NUL, and text with more after its NUL.
    const wchar_t full[33] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef";
    const wchar_t stopped[32] = L"Ab\0cd";
    const Row rows[] = {
        {full, Ok, full},
        {stopped, Ok, L"Ab"},
        {nullptr, GenericError, L""},
    };
    for (const Row& row : rows) {
        written = row.written;
        answer = row.status;
        std::wstring name = L"before";
        EXPECT_EQ(family->GetFamilyName(name, 0), row.status);
        EXPECT_EQ(name, row.expected);
    }
    EXPECT_EQ(family->GetLastStatus(), GenericError);
}

TEST_F(GdipFontPath, AFontKeepsItsStatusThroughReads) {
    spy.Returns("GdipCreateFontFromDC", NotTrueTypeFont);
    auto fromDc = TGPFont::Create(kHdc);
    EXPECT_EQ(fromDc->GetLastStatus(), NotTrueTypeFont);
    EXPECT_EQ(fromDc->GetLastStatus(), NotTrueTypeFont);
    EXPECT_FALSE(fromDc->IsAvailable());
    EXPECT_TRUE(font->IsAvailable());

    spy.Returns("GdipGetFontSize", GenericError);
    spy.Returns("GdipGetFontStyle", ObjectBusy);
    EXPECT_EQ(font->GetSize(), 0);
    EXPECT_EQ(font->GetUnit(), UnitPixel); // succeeds: what the spy wrote
    EXPECT_EQ(font->GetLastStatus(), GenericError);
    static_cast<void>(font->GetStyle());
    EXPECT_EQ(font->GetLastStatus(), ObjectBusy);
    EXPECT_EQ(font->GetLastStatus(), ObjectBusy);

    spy.table().GdipCloneFont = [](GpFont*, GpFont** out) WINAPI -> Status {
        *out = reinterpret_cast<GpFont*>(0xB100);
        return Ok;
    };
    auto clone = font->Clone();
    ASSERT_TRUE(clone);
    EXPECT_EQ(clone->Native(), reinterpret_cast<GpFont*>(0xB100));
    EXPECT_EQ(clone->GetLastStatus(), ObjectBusy);
}

TEST_F(GdipFontPath, ACollectionStoresEveryStatusOkIncluded) {
    TGPFontFamily* families[1] = {family.get()};
    INT found = 7;
    EXPECT_EQ(collection->GetFamilies(0, families, found), InvalidParameter);
    EXPECT_EQ(found, 7);
    EXPECT_EQ(collection->GetLastStatus(), InvalidParameter);
    EXPECT_EQ(collection->GetLastStatus(), InvalidParameter);
    static_cast<void>(collection->GetFamilyCount());
    EXPECT_EQ(collection->GetLastStatus(), Ok);

    spy.Returns("GdipGetFontCollectionFamilyCount", Win32Error);
    EXPECT_EQ(collection->GetFamilyCount(), 0);
    EXPECT_EQ(collection->GetLastStatus(), Win32Error);
    // The refused call never reached GDI+.
    EXPECT_EQ(spy.Take(), (Calls{"GdipGetFontCollectionFamilyCount(FC,&2)",
                                 "GdipGetFontCollectionFamilyCount(FC,&)"}));
}

// ---- families handed to the caller
// ----------------------------------------------------------------

TEST_F(GdipFontPath, GetFamilyGivesTheFamilyItsOwnNewHandle) {
    EXPECT_EQ(font->GetFamily(nullptr), InvalidParameter);
    EXPECT_EQ(font->GetLastStatus(), InvalidParameter);

    static Status answer = Ok;
    spy.table().GdipGetFamily = [](GpFont*, GpFontFamily** out) WINAPI -> Status {
        if (answer == Ok) *out = FamilyHandle(0xB002);
        return answer;
    };
    auto target = MakeAttached<TGPFontFamily>(FamilyHandle(0xB001));
    auto fresh = TGPFont::Create(kHdc);
    spy.Take();
    EXPECT_EQ(fresh->GetFamily(target.get()), Ok);
    EXPECT_EQ(target->Native(), FamilyHandle(0xB002));
    EXPECT_EQ(spy.Take(), (Calls{"GdipDeleteFontFamily(F1)"}));
    // The same handle again is a second reference: the one held is let go.
    EXPECT_EQ(fresh->GetFamily(target.get()), Ok);
    EXPECT_EQ(target->Native(), FamilyHandle(0xB002));
    EXPECT_EQ(spy.Take(), (Calls{"GdipDeleteFontFamily(F2)"}));

    // A failure writes nothing: the family keeps its handle, and both keep the failure.
    answer = GenericError;
    EXPECT_EQ(fresh->GetFamily(target.get()), GenericError);
    EXPECT_EQ(target->Native(), FamilyHandle(0xB002));
    EXPECT_TRUE(spy.Take().empty());
    EXPECT_EQ(target->GetLastStatus(), GenericError);
    EXPECT_EQ(target->GetLastStatus(), Ok);
    EXPECT_EQ(fresh->GetLastStatus(), GenericError);
    target.reset();
    EXPECT_EQ(spy.Take(), (Calls{"GdipDeleteFontFamily(F2)"}));
}

TEST_F(GdipFontPath, GetFamiliesRefusesWhatItCannotFillWithoutCallingGdiplus) {
    auto a = TGPFontFamily::Create();
    auto b = TGPFontFamily::Create();
    TGPFontFamily* two[] = {a.get(), b.get()};
    TGPFontFamily* gap[] = {a.get(), nullptr};
    struct Row {
        const char* what;
        INT sought;
        std::span<TGPFontFamily* const> families;
    };
    const Row rows[] = {
        {"none sought", 0, two},      {"negative", -1, two},
        {"no array", 1, {}},          {"array shorter than sought", 3, two},
        {"a family missing", 2, gap},
    };
    for (const Row& row : rows) {
        INT found = 9;
        EXPECT_EQ(collection->GetFamilies(row.sought, row.families, found), InvalidParameter)
            << row.what;
        EXPECT_EQ(found, 9) << row.what;
    }
    EXPECT_TRUE(spy.Take().empty());
    EXPECT_EQ(collection->GetLastStatus(), InvalidParameter);
}

TEST_F(GdipFontPath, GetFamiliesClonesEachFoundFamilyIntoTheCallers) {
    static INT reported = 0;
    spy.table().GdipGetFontCollectionFamilyList =
        [](GpFontCollection*, INT sought, GpFontFamily** list, INT* found) WINAPI -> Status {
        for (INT i = 0; i < sought; ++i)
            list[i] = reinterpret_cast<GpFontFamily*>(0xC000 + i);
        *found = reported;
        Log("list " + std::to_string(sought));
        return Ok;
    };
    spy.table().GdipCloneFontFamily = [](GpFontFamily* source, GpFontFamily** out)
                                          WINAPI -> Status {
        *out = FamilyHandle(0xB003 + (reinterpret_cast<std::uintptr_t>(source) - 0xC000));
        Log("clone " + Arg(*out));
        return GenericError; // not looked at
    };
    auto a = MakeAttached<TGPFontFamily>(FamilyHandle(0xB001));
    auto b = TGPFontFamily::Create();
    auto c = TGPFontFamily::Create();
    TGPFontFamily* families[] = {a.get(), b.get(), c.get()};

    reported = 2;
    INT found = 0;
    EXPECT_EQ(collection->GetFamilies(3, families, found), Ok);
    EXPECT_EQ(found, 2);
    EXPECT_EQ(spy.Take(), (Calls{"list 3", "clone F3", "GdipDeleteFontFamily(F1)", "clone F4"}));
    EXPECT_EQ(a->Native(), FamilyHandle(0xB003));
    EXPECT_EQ(b->Native(), FamilyHandle(0xB004));
    EXPECT_EQ(c->Native(), nullptr);
    EXPECT_EQ(a->GetLastStatus(), Ok);
    EXPECT_EQ(collection->GetLastStatus(), Ok);

    // A count found beyond the count sought fills no more than was sought; the family's earlier
    // reference goes even though the copy is the same handle.
    reported = 5;
    EXPECT_EQ(collection->GetFamilies(1, families, found), Ok);
    EXPECT_EQ(spy.Take(), (Calls{"list 1", "clone F3", "GdipDeleteFontFamily(F3)"}));
}

// ---- the font from a family name
// -------------------------------------------------------------------

class GdipFontByName : public GdipFontPath {
protected:
    GdipFontByName() {
        ShutdownGdiplus(); // the spy's: the generic sans-serif family starts empty
        Labels()[0xA001] = "SS";
        Labels()[0xA101] = "NF";
        spy.table().GdipGetGenericFontFamilySansSerif = [](GpFontFamily** out) WINAPI -> Status {
            *out = reinterpret_cast<GpFontFamily*>(0xA001);
            Log("SansSerif");
            return genericStatus;
        };
        spy.table().GdipCreateFontFamilyFromName = [](const WCHAR* name, GpFontCollection*,
                                                      GpFontFamily** out) WINAPI -> Status {
            if (std::wstring(name) != L"Known") return FontFamilyNotFound;
            *out = reinterpret_cast<GpFontFamily*>(0xA101);
            return Ok;
        };
        spy.table().GdipCreateFont = [](const GpFontFamily* family, REAL, INT, Unit_, GpFont** out)
                                         WINAPI -> Status {
            Log("GdipCreateFont(" + Arg(family) + ")");
            if (family == reinterpret_cast<GpFontFamily*>(0xA101) && refuseNamed)
                return FontStyleNotFound;
            *out = kFont;
            return Ok;
        };
        spy.Take();
    }
    ~GdipFontByName() override {
        ShutdownGdiplus(); // GDI+ itself stays up: the spy takes this shutdown
        genericStatus = Ok;
        refuseNamed = false;
    }

    static inline Status genericStatus = Ok;
    static inline bool refuseNamed = false;
};

TEST_F(GdipFontByName, AKnownNameMakesTheFontFromItsFamily) {
    auto made = TGPFont::Create(L"Known", 12, 0, UnitPoint);
    EXPECT_EQ(made->Native(), kFont);
    EXPECT_EQ(made->GetLastStatus(), Ok);
    EXPECT_EQ(spy.Take(), (Calls{"GdipCreateFont(NF)", "GdipDeleteFontFamily(NF)"}));
}

TEST_F(GdipFontByName, AnUnknownNameFallsBackToSansSerifWithoutFreeingIt) {
    auto made = TGPFont::Create(L"Unknown", 12, 0, UnitPoint);
    EXPECT_EQ(made->Native(), kFont);
    EXPECT_EQ(made->GetLastStatus(), Ok);
    // The temporary family held no handle; the shared one is not deleted.
    EXPECT_EQ(spy.Take(), (Calls{"SansSerif", "GdipCreateFont(SS)", "GdipDeleteFontFamily(null)"}));
    EXPECT_EQ(TGPFontFamily::GenericSansSerif()->Native(), reinterpret_cast<GpFontFamily*>(0xA001));
}

TEST_F(GdipFontByName, AFontTheFamilyCannotMakeIsTriedOnSansSerif) {
    refuseNamed = true;
    auto made = TGPFont::Create(L"Known", 12, 3, UnitPoint);
    EXPECT_EQ(made->Native(), kFont);
    EXPECT_EQ(made->GetLastStatus(), Ok);
    EXPECT_EQ(spy.Take(), (Calls{"GdipCreateFont(NF)", "SansSerif", "GdipCreateFont(SS)",
                                 "GdipDeleteFontFamily(NF)"}));
}

TEST_F(GdipFontByName, NoRoomForTheTemporaryFamilyFallsBackToSansSerif) {
    static void*(WINAPI * realAlloc)(SIZE_T) = nullptr;
    static int allocations = 0;
    realAlloc = spy.table().GdipAlloc;
    allocations = 0;
    // The font's own memory comes first, the temporary family's second.
    spy.table().GdipAlloc = [](SIZE_T size) WINAPI -> void* {
        return ++allocations == 2 ? nullptr : realAlloc(size);
    };
    auto made = TGPFont::Create(L"Known", 12, 0, UnitPoint);
    spy.table().GdipAlloc = realAlloc;
    ASSERT_TRUE(made);
    EXPECT_EQ(made->Native(), kFont);
    EXPECT_EQ(made->GetLastStatus(), Ok);
    EXPECT_EQ(spy.Take(), (Calls{"SansSerif", "GdipCreateFont(SS)"}));
}

TEST_F(GdipFontByName, AFailingSansSerifEndsWithItsStatusAndNoFont) {
    genericStatus = FontFamilyNotFound;
    auto unknown = TGPFont::Create(L"Unknown", 12, 0, UnitPoint);
    EXPECT_EQ(unknown->Native(), nullptr);
    EXPECT_EQ(unknown->GetLastStatus(), FontFamilyNotFound);
    EXPECT_EQ(spy.Take(), (Calls{"SansSerif", "GdipDeleteFontFamily(null)"}));

    // The generic family's status is read, not reset: it fails the next font too.
    refuseNamed = true;
    auto refused = TGPFont::Create(L"Known", 12, 0, UnitPoint);
    EXPECT_EQ(refused->Native(), nullptr);
    EXPECT_EQ(refused->GetLastStatus(), FontFamilyNotFound);
    EXPECT_EQ(spy.Take(), (Calls{"GdipCreateFont(NF)", "GdipDeleteFontFamily(NF)"}));
}

// ---- path statuses and data
// ----------------------------------------------------------------------

TEST_F(GdipFontPath, PathConstructorsAndCloneKeepTheirOwnStatus) {
    spy.Returns("GdipCreatePath", OutOfMemory);
    EXPECT_EQ(TGPGraphicsPath::Create(FillModeAlternate)->GetLastStatus(), OutOfMemory);
    spy.Returns("GdipCreatePath2I", InvalidParameter);
    EXPECT_EQ(TGPGraphicsPath::Create(gPts, gTypes, FillModeAlternate)->GetLastStatus(),
              InvalidParameter);

    spy.Returns("GdipClonePath", ObjectBusy);
    auto copy = TGPGraphicsPath::Create(other.get());
    EXPECT_EQ(copy->GetLastStatus(), ObjectBusy);

    // Refused without a call, and kept.
    spy.Take();
    auto noPath = TGPGraphicsPath::Create(static_cast<const TGPGraphicsPath*>(nullptr));
    EXPECT_EQ(noPath->GetLastStatus(), InvalidParameter);
    auto mismatched = TGPGraphicsPath::Create(gPtsF, std::span(gTypes).first(3), FillModeAlternate);
    EXPECT_EQ(mismatched->GetLastStatus(), InvalidParameter);
    EXPECT_EQ(path->Widen(nullptr, nullptr, 0.25f), InvalidParameter);
    EXPECT_EQ(path->GetLastStatus(), InvalidParameter);
    EXPECT_TRUE(spy.Take().empty());

    // A clone starts Ok whatever its source keeps; the source keeps the clone call's failure.
    spy.table().GdipClonePath = [](GpPath*, GpPath** out) WINAPI -> Status {
        *out = kPath2;
        return Ok;
    };
    spy.Returns("GdipReversePath", Aborted);
    path->Reverse();
    auto clone = path->Clone();
    ASSERT_TRUE(clone);
    EXPECT_EQ(clone->Native(), kPath2);
    EXPECT_EQ(clone->GetLastStatus(), Ok);
    EXPECT_EQ(path->GetLastStatus(), Aborted);
}

TEST_F(GdipFontPath, PathGettersStartFromTheirPresetWhenTheCallFails) {
    for (const char* name : {"GdipGetPathFillMode", "GdipGetPointCount", "GdipIsVisiblePathPoint",
                             "GdipIsVisiblePathPointI", "GdipIsOutlineVisiblePathPoint",
                             "GdipIsOutlineVisiblePathPointI"})
        spy.Returns(name, InvalidParameter);
    EXPECT_EQ(path->GetFillMode(), FillModeAlternate);
    EXPECT_EQ(path->GetPointCount(), 0);
    EXPECT_FALSE(path->IsVisible(1.f, 1.f));
    EXPECT_FALSE(path->IsVisible(1, 1));
    EXPECT_FALSE(path->IsOutlineVisible(1.f, 1.f, pen.get()));
    EXPECT_FALSE(path->IsOutlineVisible(1, 1, pen.get()));
    EXPECT_EQ(path->GetLastStatus(), InvalidParameter);

    // Transform without a matrix neither calls nor touches the kept status.
    spy.Returns("GdipFlattenPath", GenericError);
    path->Flatten(nullptr, 0.25f);
    spy.Take();
    EXPECT_EQ(path->Transform(nullptr), Ok);
    EXPECT_EQ(path->GetLastStatus(), GenericError);
    EXPECT_EQ(path->Transform(nullptr), Ok);
    EXPECT_EQ(path->GetLastStatus(), Ok);
    EXPECT_TRUE(spy.Take().empty());
}

TEST_F(GdipFontPath, PathDataAsksForNoMoreThanThePathHolds) {
    static INT points = 0;
    static INT asked = 0;
    spy.table().GdipGetPointCount = [](GpPath*, INT* count) WINAPI -> Status {
        *count = points;
        return Ok;
    };
    spy.table().GdipGetPathData = [](GpPath*, TPathData* data) WINAPI -> Status {
        asked = data->Count;
        return Ok;
    };
    struct Row {
        INT pathPoints;
        INT recordCount;
        INT asked;
        bool keepsArrays;
    };
    const Row rows[] = {
        {2, 0, 2, false},                    // new arrays
        {5, 3, 5, false},                    // too small: replaced
        {2, 8, 2, true},                     // large enough: kept, Count fitted to the path
        {4, 4, 4, true},  {3, -2, 3, false}, // a count below zero holds nothing usable
    };
    for (const Row& row : rows) {
        TPathData data;
        if (row.recordCount != 0) {
            data.Count = row.recordCount;
            data.Points = static_cast<TGPPointF*>(std::malloc(sizeof(TGPPointF) * 8));
            data.Types = static_cast<BYTE*>(std::malloc(8));
        }
        const TGPPointF* before = data.Points;
        points = row.pathPoints;
        asked = -99;
        EXPECT_EQ(path->GetPathData(data), Ok) << row.recordCount;
        EXPECT_EQ(asked, row.asked) << row.recordCount;
        EXPECT_EQ(data.Count, row.pathPoints) << row.recordCount;
        EXPECT_NE(data.Points, nullptr) << row.recordCount;
        EXPECT_NE(data.Types, nullptr) << row.recordCount;
        if (row.keepsArrays) {
            EXPECT_EQ(data.Points, before) << row.recordCount;
        }
    }

    // An empty path gives the arrays back and answers the kept status without the call.
    spy.Returns("GdipResetPath", WrongState);
    path->Reset();
    points = 0;
    TPathData data;
    data.Count = 2;
    data.Points = static_cast<TGPPointF*>(std::malloc(sizeof(TGPPointF) * 2));
    data.Types = static_cast<BYTE*>(std::malloc(2));
    asked = -99;
    EXPECT_EQ(path->GetPathData(data), WrongState);
    EXPECT_EQ(asked, -99);
    EXPECT_EQ(data.Count, 0);
    EXPECT_EQ(data.Points, nullptr);
    EXPECT_EQ(data.Types, nullptr);
}

} // namespace
