#include "gdiplus/GraphicsPath.h"

#include "gdiplus/Font.h"
#include "gdiplus/GdipInternal.h"
#include "gdiplus/Graphics.h"
#include "gdiplus/MatrixRegion.h"
#include "gdiplus/PenCap.h"
#include "gdiplus/StringFormat.h"

#include <algorithm>
#include <cstdlib>

namespace tn::gdiplus {

using detail::CountOf;
using detail::TextLength;

namespace {

void ReleaseArrays(TPathData& pathData) noexcept {
    std::free(pathData.Points);
    std::free(pathData.Types);
    pathData.Points = nullptr;
    pathData.Types = nullptr;
    pathData.Count = 0;
}

} // namespace

// ---- construction
// --------------------------------------------------------------------------------

TGPGraphicsPath::TGPGraphicsPath(GpPath* handle) noexcept {
    AttachNative(handle);
}

std::unique_ptr<TGPGraphicsPath> TGPGraphicsPath::CreateFromNative(GpPath* handle) noexcept {
    auto wrapper = GdipFactory::Make<TGPGraphicsPath>(handle);
    if (!wrapper && handle) detail::DeleteNative(Gdip().GdipDeletePath, handle);
    return wrapper;
}

template <typename Call>
std::unique_ptr<TGPGraphicsPath> TGPGraphicsPath::Construct(Call&& call) noexcept {
    return GdipFactory::Construct<TGPGraphicsPath, GpPath>(std::forward<Call>(call));
}

std::unique_ptr<TGPGraphicsPath> TGPGraphicsPath::Create(FillMode fillMode) noexcept {
    return Construct([&](GpPath** out) { return Gdip().GdipCreatePath(fillMode, out); });
}

std::unique_ptr<TGPGraphicsPath> TGPGraphicsPath::Create(std::span<const TGPPointF> points,
                                                         std::span<const BYTE> types,
                                                         FillMode fillMode) noexcept {
    return Construct([&](GpPath** out) {
        if (points.size() != types.size()) return InvalidParameter;
        return Gdip().GdipCreatePath2(points.data(), types.data(), CountOf(points), fillMode, out);
    });
}

std::unique_ptr<TGPGraphicsPath> TGPGraphicsPath::Create(std::span<const TGPPoint> points,
                                                         std::span<const BYTE> types,
                                                         FillMode fillMode) noexcept {
    return Construct([&](GpPath** out) {
        if (points.size() != types.size()) return InvalidParameter;
        return Gdip().GdipCreatePath2I(points.data(), types.data(), CountOf(points), fillMode, out);
    });
}

std::unique_ptr<TGPGraphicsPath> TGPGraphicsPath::Create(const TGPGraphicsPath* path) noexcept {
    auto copy = GdipFactory::Make<TGPGraphicsPath>();
    if (!copy) return nullptr;
    if (!path) {
        copy->RecordStatus(InvalidParameter);
        return copy;
    }
    GpPath* handle = nullptr;
    copy->RecordStatus(Gdip().GdipClonePath(path->nativePath, &handle));
    copy->AttachNative(handle);
    return copy;
}

TGPGraphicsPath::~TGPGraphicsPath() {
    detail::DeleteNative(Gdip().GdipDeletePath, nativePath);
}

std::unique_ptr<TGPGraphicsPath> TGPGraphicsPath::Clone() noexcept {
    GpPath* clone = nullptr;
    RecordStatus(Gdip().GdipClonePath(nativePath, &clone));
    return CreateFromNative(clone);
}

Status TGPGraphicsPath::GetLastStatus() noexcept {
    return std::exchange(lastResult, Ok);
}

// ---- state and figures
// ---------------------------------------------------------------------------

Status TGPGraphicsPath::Reset() noexcept {
    return RecordStatus(Gdip().GdipResetPath(nativePath));
}

FillMode TGPGraphicsPath::GetFillMode() noexcept {
    FillMode mode = FillModeAlternate;
    RecordStatus(Gdip().GdipGetPathFillMode(nativePath, &mode));
    return mode;
}

Status TGPGraphicsPath::SetFillMode(FillMode fillmode) noexcept {
    return RecordStatus(Gdip().GdipSetPathFillMode(nativePath, fillmode));
}

// The flat call copies as many entries as Count says, so Count must never exceed the path.
Status TGPGraphicsPath::GetPathData(TPathData& pathData) noexcept {
    const INT count = GetPointCount();
    if (count <= 0) {
        ReleaseArrays(pathData);
        return lastResult;
    }
    if (pathData.Count < count) {
        ReleaseArrays(pathData);
        pathData.Points = static_cast<TGPPointF*>(
            std::malloc(static_cast<std::size_t>(count) * sizeof(TGPPointF)));
        if (!pathData.Points) return RecordStatus(OutOfMemory);
        pathData.Types = static_cast<BYTE*>(std::malloc(static_cast<std::size_t>(count)));
        if (!pathData.Types) {
            ReleaseArrays(pathData);
            return RecordStatus(OutOfMemory);
        }
    }
    pathData.Count = count;
    return RecordStatus(Gdip().GdipGetPathData(nativePath, &pathData));
}

Status TGPGraphicsPath::StartFigure() noexcept {
    return RecordStatus(Gdip().GdipStartPathFigure(nativePath));
}

Status TGPGraphicsPath::CloseFigure() noexcept {
    return RecordStatus(Gdip().GdipClosePathFigure(nativePath));
}

Status TGPGraphicsPath::CloseAllFigures() noexcept {
    return RecordStatus(Gdip().GdipClosePathFigures(nativePath));
}

Status TGPGraphicsPath::SetMarker() noexcept {
    return RecordStatus(Gdip().GdipSetPathMarker(nativePath));
}

Status TGPGraphicsPath::ClearMarkers() noexcept {
    return RecordStatus(Gdip().GdipClearPathMarkers(nativePath));
}

Status TGPGraphicsPath::Reverse() noexcept {
    return RecordStatus(Gdip().GdipReversePath(nativePath));
}

Status TGPGraphicsPath::GetLastPoint(TGPPointF& lastPoint) noexcept {
    return RecordStatus(Gdip().GdipGetPathLastPoint(nativePath, &lastPoint));
}

INT TGPGraphicsPath::GetPointCount() noexcept {
    INT count = 0;
    RecordStatus(Gdip().GdipGetPointCount(nativePath, &count));
    return count;
}

Status TGPGraphicsPath::GetPathTypes(std::span<BYTE> types) noexcept {
    return RecordStatus(Gdip().GdipGetPathTypes(nativePath, types.data(), CountOf(types)));
}

Status TGPGraphicsPath::GetPathPoints(std::span<TGPPointF> points) noexcept {
    return RecordStatus(Gdip().GdipGetPathPoints(nativePath, points.data(), CountOf(points)));
}

Status TGPGraphicsPath::GetPathPoints(std::span<TGPPoint> points) noexcept {
    return RecordStatus(Gdip().GdipGetPathPointsI(nativePath, points.data(), CountOf(points)));
}

// ---- adding figures
// ------------------------------------------------------------------------------

Status TGPGraphicsPath::AddLine(REAL x1, REAL y1, REAL x2, REAL y2) noexcept {
    return RecordStatus(Gdip().GdipAddPathLine(nativePath, x1, y1, x2, y2));
}

Status TGPGraphicsPath::AddLine(const TGPPointF& pt1, const TGPPointF& pt2) noexcept {
    return AddLine(pt1.X, pt1.Y, pt2.X, pt2.Y);
}

Status TGPGraphicsPath::AddLine(INT x1, INT y1, INT x2, INT y2) noexcept {
    return RecordStatus(Gdip().GdipAddPathLineI(nativePath, x1, y1, x2, y2));
}

Status TGPGraphicsPath::AddLine(const TGPPoint& pt1, const TGPPoint& pt2) noexcept {
    return AddLine(pt1.X, pt1.Y, pt2.X, pt2.Y);
}

Status TGPGraphicsPath::AddLines(std::span<const TGPPointF> points) noexcept {
    return RecordStatus(Gdip().GdipAddPathLine2(nativePath, points.data(), CountOf(points)));
}

Status TGPGraphicsPath::AddLines(std::span<const TGPPoint> points) noexcept {
    return RecordStatus(Gdip().GdipAddPathLine2I(nativePath, points.data(), CountOf(points)));
}

Status TGPGraphicsPath::AddArc(REAL x, REAL y, REAL width, REAL height, REAL startAngle,
                               REAL sweepAngle) noexcept {
    return RecordStatus(
        Gdip().GdipAddPathArc(nativePath, x, y, width, height, startAngle, sweepAngle));
}

Status TGPGraphicsPath::AddArc(const TGPRectF& rect, REAL startAngle, REAL sweepAngle) noexcept {
    return AddArc(rect.X, rect.Y, rect.Width, rect.Height, startAngle, sweepAngle);
}

Status TGPGraphicsPath::AddArc(INT x, INT y, INT width, INT height, REAL startAngle,
                               REAL sweepAngle) noexcept {
    return RecordStatus(
        Gdip().GdipAddPathArcI(nativePath, x, y, width, height, startAngle, sweepAngle));
}

Status TGPGraphicsPath::AddArc(const TGPRect& rect, REAL startAngle, REAL sweepAngle) noexcept {
    return AddArc(rect.X, rect.Y, rect.Width, rect.Height, startAngle, sweepAngle);
}

Status TGPGraphicsPath::AddBezier(REAL x1, REAL y1, REAL x2, REAL y2, REAL x3, REAL y3, REAL x4,
                                  REAL y4) noexcept {
    return RecordStatus(Gdip().GdipAddPathBezier(nativePath, x1, y1, x2, y2, x3, y3, x4, y4));
}

Status TGPGraphicsPath::AddBezier(const TGPPointF& pt1, const TGPPointF& pt2, const TGPPointF& pt3,
                                  const TGPPointF& pt4) noexcept {
    return AddBezier(pt1.X, pt1.Y, pt2.X, pt2.Y, pt3.X, pt3.Y, pt4.X, pt4.Y);
}

Status TGPGraphicsPath::AddBezier(INT x1, INT y1, INT x2, INT y2, INT x3, INT y3, INT x4,
                                  INT y4) noexcept {
    return RecordStatus(Gdip().GdipAddPathBezierI(nativePath, x1, y1, x2, y2, x3, y3, x4, y4));
}

Status TGPGraphicsPath::AddBezier(const TGPPoint& pt1, const TGPPoint& pt2, const TGPPoint& pt3,
                                  const TGPPoint& pt4) noexcept {
    return AddBezier(pt1.X, pt1.Y, pt2.X, pt2.Y, pt3.X, pt3.Y, pt4.X, pt4.Y);
}

Status TGPGraphicsPath::AddBeziers(std::span<const TGPPointF> points) noexcept {
    return RecordStatus(Gdip().GdipAddPathBeziers(nativePath, points.data(), CountOf(points)));
}

Status TGPGraphicsPath::AddBeziers(std::span<const TGPPoint> points) noexcept {
    return RecordStatus(Gdip().GdipAddPathBeziersI(nativePath, points.data(), CountOf(points)));
}

Status TGPGraphicsPath::AddCurve(std::span<const TGPPointF> points) noexcept {
    return RecordStatus(Gdip().GdipAddPathCurve(nativePath, points.data(), CountOf(points)));
}

Status TGPGraphicsPath::AddCurve(std::span<const TGPPointF> points, REAL tension) noexcept {
    return RecordStatus(
        Gdip().GdipAddPathCurve2(nativePath, points.data(), CountOf(points), tension));
}

Status TGPGraphicsPath::AddCurve(std::span<const TGPPointF> points, INT offset,
                                 INT numberOfSegments, REAL tension) noexcept {
    return RecordStatus(Gdip().GdipAddPathCurve3(nativePath, points.data(), CountOf(points), offset,
                                                 numberOfSegments, tension));
}

Status TGPGraphicsPath::AddCurve(std::span<const TGPPoint> points) noexcept {
    return RecordStatus(Gdip().GdipAddPathCurveI(nativePath, points.data(), CountOf(points)));
}

Status TGPGraphicsPath::AddCurve(std::span<const TGPPoint> points, REAL tension) noexcept {
    return RecordStatus(
        Gdip().GdipAddPathCurve2I(nativePath, points.data(), CountOf(points), tension));
}

Status TGPGraphicsPath::AddCurve(std::span<const TGPPoint> points, INT offset, INT numberOfSegments,
                                 REAL tension) noexcept {
    return RecordStatus(Gdip().GdipAddPathCurve3I(nativePath, points.data(), CountOf(points),
                                                  offset, numberOfSegments, tension));
}

Status TGPGraphicsPath::AddClosedCurve(std::span<const TGPPointF> points) noexcept {
    return RecordStatus(Gdip().GdipAddPathClosedCurve(nativePath, points.data(), CountOf(points)));
}

Status TGPGraphicsPath::AddClosedCurve(std::span<const TGPPointF> points, REAL tension) noexcept {
    return RecordStatus(
        Gdip().GdipAddPathClosedCurve2(nativePath, points.data(), CountOf(points), tension));
}

Status TGPGraphicsPath::AddClosedCurve(std::span<const TGPPoint> points) noexcept {
    return RecordStatus(Gdip().GdipAddPathClosedCurveI(nativePath, points.data(), CountOf(points)));
}

Status TGPGraphicsPath::AddClosedCurve(std::span<const TGPPoint> points, REAL tension) noexcept {
    return RecordStatus(
        Gdip().GdipAddPathClosedCurve2I(nativePath, points.data(), CountOf(points), tension));
}

Status TGPGraphicsPath::AddRectangle(const TGPRectF& rect) noexcept {
    return RecordStatus(
        Gdip().GdipAddPathRectangle(nativePath, rect.X, rect.Y, rect.Width, rect.Height));
}

Status TGPGraphicsPath::AddRectangle(const TGPRect& rect) noexcept {
    return RecordStatus(
        Gdip().GdipAddPathRectangleI(nativePath, rect.X, rect.Y, rect.Width, rect.Height));
}

Status TGPGraphicsPath::AddRectangles(std::span<const TGPRectF> rects) noexcept {
    return RecordStatus(Gdip().GdipAddPathRectangles(nativePath, rects.data(), CountOf(rects)));
}

Status TGPGraphicsPath::AddRectangles(std::span<const TGPRect> rects) noexcept {
    return RecordStatus(Gdip().GdipAddPathRectanglesI(nativePath, rects.data(), CountOf(rects)));
}

Status TGPGraphicsPath::AddEllipse(REAL x, REAL y, REAL width, REAL height) noexcept {
    return RecordStatus(Gdip().GdipAddPathEllipse(nativePath, x, y, width, height));
}

Status TGPGraphicsPath::AddEllipse(const TGPRectF& rect) noexcept {
    return AddEllipse(rect.X, rect.Y, rect.Width, rect.Height);
}

Status TGPGraphicsPath::AddEllipse(INT x, INT y, INT width, INT height) noexcept {
    return RecordStatus(Gdip().GdipAddPathEllipseI(nativePath, x, y, width, height));
}

Status TGPGraphicsPath::AddEllipse(const TGPRect& rect) noexcept {
    return AddEllipse(rect.X, rect.Y, rect.Width, rect.Height);
}

Status TGPGraphicsPath::AddPie(REAL x, REAL y, REAL width, REAL height, REAL startAngle,
                               REAL sweepAngle) noexcept {
    return RecordStatus(
        Gdip().GdipAddPathPie(nativePath, x, y, width, height, startAngle, sweepAngle));
}

Status TGPGraphicsPath::AddPie(const TGPRectF& rect, REAL startAngle, REAL sweepAngle) noexcept {
    return AddPie(rect.X, rect.Y, rect.Width, rect.Height, startAngle, sweepAngle);
}

Status TGPGraphicsPath::AddPie(INT x, INT y, INT width, INT height, REAL startAngle,
                               REAL sweepAngle) noexcept {
    return RecordStatus(
        Gdip().GdipAddPathPieI(nativePath, x, y, width, height, startAngle, sweepAngle));
}

Status TGPGraphicsPath::AddPie(const TGPRect& rect, REAL startAngle, REAL sweepAngle) noexcept {
    return AddPie(rect.X, rect.Y, rect.Width, rect.Height, startAngle, sweepAngle);
}

Status TGPGraphicsPath::AddPolygon(std::span<const TGPPointF> points) noexcept {
    return RecordStatus(Gdip().GdipAddPathPolygon(nativePath, points.data(), CountOf(points)));
}

Status TGPGraphicsPath::AddPolygon(std::span<const TGPPoint> points) noexcept {
    return RecordStatus(Gdip().GdipAddPathPolygonI(nativePath, points.data(), CountOf(points)));
}

Status TGPGraphicsPath::AddPath(const TGPGraphicsPath* addingPath, bool connect) noexcept {
    return RecordStatus(
        Gdip().GdipAddPathPath(nativePath, NativeOf(addingPath), connect ? TRUE : FALSE));
}

Status TGPGraphicsPath::AddString(const std::wstring& string_, INT length,
                                  const TGPFontFamily* family, INT style, REAL emSize,
                                  const TGPPointF& origin, const TGPStringFormat* format) noexcept {
    return AddString(string_, length, family, style, emSize, TGPRectF{origin.X, origin.Y, 0, 0},
                     format);
}

Status TGPGraphicsPath::AddString(const std::wstring& string_, INT length,
                                  const TGPFontFamily* family, INT style, REAL emSize,
                                  const TGPRectF& layoutRect,
                                  const TGPStringFormat* format) noexcept {
    return RecordStatus(Gdip().GdipAddPathString(nativePath, string_.c_str(),
                                                 TextLength(string_, length), NativeOf(family),
                                                 style, emSize, &layoutRect, NativeOf(format)));
}

Status TGPGraphicsPath::AddString(const std::wstring& string_, INT length,
                                  const TGPFontFamily* family, INT style, REAL emSize,
                                  const TGPPoint& origin, const TGPStringFormat* format) noexcept {
    return AddString(string_, length, family, style, emSize, TGPRect{origin.X, origin.Y, 0, 0},
                     format);
}

Status TGPGraphicsPath::AddString(const std::wstring& string_, INT length,
                                  const TGPFontFamily* family, INT style, REAL emSize,
                                  const TGPRect& layoutRect,
                                  const TGPStringFormat* format) noexcept {
    return RecordStatus(Gdip().GdipAddPathStringI(nativePath, string_.c_str(),
                                                  TextLength(string_, length), NativeOf(family),
                                                  style, emSize, &layoutRect, NativeOf(format)));
}

// ---- geometry
// ------------------------------------------------------------------------------------

Status TGPGraphicsPath::Transform(const TGPMatrix* matrix) noexcept {
    if (!matrix) return Ok;
    return RecordStatus(Gdip().GdipTransformPath(nativePath, matrix->Native()));
}

Status TGPGraphicsPath::GetBounds(TGPRectF& bounds, const TGPMatrix* matrix,
                                  const TGPPen* pen) noexcept {
    return RecordStatus(
        Gdip().GdipGetPathWorldBounds(nativePath, &bounds, NativeOf(matrix), NativeOf(pen)));
}

Status TGPGraphicsPath::GetBounds(TGPRect& bounds, const TGPMatrix* matrix,
                                  const TGPPen* pen) noexcept {
    return RecordStatus(
        Gdip().GdipGetPathWorldBoundsI(nativePath, &bounds, NativeOf(matrix), NativeOf(pen)));
}

Status TGPGraphicsPath::Flatten(const TGPMatrix* matrix, REAL flatness) noexcept {
    return RecordStatus(Gdip().GdipFlattenPath(nativePath, NativeOf(matrix), flatness));
}

Status TGPGraphicsPath::Widen(const TGPPen* pen, const TGPMatrix* matrix, REAL flatness) noexcept {
    if (!pen) return RecordStatus(InvalidParameter);
    return RecordStatus(
        Gdip().GdipWidenPath(nativePath, pen->Native(), NativeOf(matrix), flatness));
}

Status TGPGraphicsPath::Outline(const TGPMatrix* matrix, REAL flatness) noexcept {
    return RecordStatus(Gdip().GdipWindingModeOutline(nativePath, NativeOf(matrix), flatness));
}

Status TGPGraphicsPath::Warp(std::span<const TGPPointF> destPoints, const TGPRectF& srcRect,
                             const TGPMatrix* matrix, WarpMode warpMode, REAL flatness) noexcept {
    return RecordStatus(Gdip().GdipWarpPath(nativePath, NativeOf(matrix), destPoints.data(),
                                            CountOf(destPoints), srcRect.X, srcRect.Y,
                                            srcRect.Width, srcRect.Height, warpMode, flatness));
}

// ---- hit tests
// -----------------------------------------------------------------------------------

bool TGPGraphicsPath::IsVisible(REAL x, REAL y, const TGPGraphics* g) noexcept {
    BOOL result = FALSE;
    RecordStatus(Gdip().GdipIsVisiblePathPoint(nativePath, x, y, NativeOf(g), &result));
    return result != FALSE;
}

bool TGPGraphicsPath::IsVisible(const TGPPointF& point, const TGPGraphics* g) noexcept {
    return IsVisible(point.X, point.Y, g);
}

bool TGPGraphicsPath::IsVisible(INT x, INT y, const TGPGraphics* g) noexcept {
    BOOL result = FALSE;
    RecordStatus(Gdip().GdipIsVisiblePathPointI(nativePath, x, y, NativeOf(g), &result));
    return result != FALSE;
}

bool TGPGraphicsPath::IsVisible(const TGPPoint& point, const TGPGraphics* g) noexcept {
    return IsVisible(point.X, point.Y, g);
}

bool TGPGraphicsPath::IsOutlineVisible(REAL x, REAL y, const TGPPen* pen,
                                       const TGPGraphics* g) noexcept {
    BOOL result = FALSE;
    RecordStatus(Gdip().GdipIsOutlineVisiblePathPoint(nativePath, x, y, NativeOf(pen), NativeOf(g),
                                                      &result));
    return result != FALSE;
}

bool TGPGraphicsPath::IsOutlineVisible(const TGPPointF& point, const TGPPen* pen,
                                       const TGPGraphics* g) noexcept {
    return IsOutlineVisible(point.X, point.Y, pen, g);
}

bool TGPGraphicsPath::IsOutlineVisible(INT x, INT y, const TGPPen* pen,
                                       const TGPGraphics* g) noexcept {
    BOOL result = FALSE;
    RecordStatus(Gdip().GdipIsOutlineVisiblePathPointI(nativePath, x, y, NativeOf(pen), NativeOf(g),
                                                       &result));
    return result != FALSE;
}

bool TGPGraphicsPath::IsOutlineVisible(const TGPPoint& point, const TGPPen* pen,
                                       const TGPGraphics* g) noexcept {
    return IsOutlineVisible(point.X, point.Y, pen, g);
}

} // namespace tn::gdiplus
