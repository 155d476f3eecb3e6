#include "gdiplus/Graphics.h"

#include "gdiplus/GdipInternal.h"
#include "gdiplus/GdipObj.h"

#include <vector>

namespace tn::gdiplus {
namespace {

// The handle GDI+ sees for a borrowed metafile: its image handle as a metafile.
GpMetafile* MetafileOf(const TGPMetafile* metafile) noexcept {
    return static_cast<GpMetafile*>(NativeOf(static_cast<const TGPImage*>(metafile)));
}

} // namespace

// ---- construction
// --------------------------------------------------------------------------------

template <typename Call> std::unique_ptr<TGPGraphics> TGPGraphics::Construct(Call&& call) noexcept {
    return GdipFactory::Construct<TGPGraphics, GpGraphics>(std::forward<Call>(call));
}

std::unique_ptr<TGPGraphics> TGPGraphics::Create(HDC hdc) noexcept {
    return Construct([&](GpGraphics** out) { return Gdip().GdipCreateFromHDC(hdc, out); });
}

std::unique_ptr<TGPGraphics> TGPGraphics::Create(HDC hdc, HANDLE hdevice) noexcept {
    return Construct(
        [&](GpGraphics** out) { return Gdip().GdipCreateFromHDC2(hdc, hdevice, out); });
}

std::unique_ptr<TGPGraphics> TGPGraphics::Create(HWND hwnd, bool icm) noexcept {
    return Construct([&](GpGraphics** out) {
        return icm ? Gdip().GdipCreateFromHWNDICM(hwnd, out) : Gdip().GdipCreateFromHWND(hwnd, out);
    });
}

std::unique_ptr<TGPGraphics> TGPGraphics::Create(const TGPImage* image) noexcept {
    if (!image) return GdipFactory::Make<TGPGraphics>();
    return Construct(
        [&](GpGraphics** out) { return Gdip().GdipGetImageGraphicsContext(image->Native(), out); });
}

std::unique_ptr<TGPGraphics> TGPGraphics::FromHDC(HDC hdc) noexcept {
    return Create(hdc);
}

std::unique_ptr<TGPGraphics> TGPGraphics::FromHDC(HDC hdc, HANDLE hdevice) noexcept {
    return Create(hdc, hdevice);
}

std::unique_ptr<TGPGraphics> TGPGraphics::FromHWND(HWND hwnd, bool icm) noexcept {
    return Create(hwnd, icm);
}

std::unique_ptr<TGPGraphics> TGPGraphics::FromImage(const TGPImage* image) noexcept {
    return Create(image);
}

TGPGraphics::~TGPGraphics() {
    detail::DeleteNative(Gdip().GdipDeleteGraphics, nativeGraphics);
}

// ---- status exceptions
// ---------------------------------------------------------------------------

void TGPGraphics::Flush(FlushIntention intention) noexcept {
    static_cast<void>(Gdip().GdipFlush(nativeGraphics, intention));
}

HDC TGPGraphics::GetHDC() noexcept {
    HDC hdc = nullptr;
    RecordStatus(Gdip().GdipGetDC(nativeGraphics, &hdc));
    return hdc;
}

void TGPGraphics::ReleaseHDC(HDC hdc) noexcept {
    RecordStatus(Gdip().GdipReleaseDC(nativeGraphics, hdc));
}

HPALETTE TGPGraphics::GetHalftonePalette() noexcept {
    return Gdip().GdipCreateHalftonePalette();
}

Status TGPGraphics::GetLastStatus() noexcept {
    return std::exchange(lastResult, Ok);
}

// ---- rendering state
// -----------------------------------------------------------------------------

Status TGPGraphics::SetRenderingOrigin(INT x, INT y) noexcept {
    return RecordStatus(Gdip().GdipSetRenderingOrigin(nativeGraphics, x, y));
}

Status TGPGraphics::GetRenderingOrigin(INT& x, INT& y) noexcept {
    return RecordStatus(Gdip().GdipGetRenderingOrigin(nativeGraphics, &x, &y));
}

Status TGPGraphics::SetCompositingMode(CompositingMode compositingMode) noexcept {
    return RecordStatus(Gdip().GdipSetCompositingMode(nativeGraphics, compositingMode));
}

CompositingMode TGPGraphics::GetCompositingMode() noexcept {
    CompositingMode mode = CompositingModeSourceOver;
    RecordStatus(Gdip().GdipGetCompositingMode(nativeGraphics, &mode));
    return mode;
}

Status TGPGraphics::SetCompositingQuality(CompositingQuality compositingQuality) noexcept {
    return RecordStatus(Gdip().GdipSetCompositingQuality(nativeGraphics, compositingQuality));
}

CompositingQuality TGPGraphics::GetCompositingQuality() noexcept {
    CompositingQuality quality = CompositingQualityDefault;
    RecordStatus(Gdip().GdipGetCompositingQuality(nativeGraphics, &quality));
    return quality;
}

Status TGPGraphics::SetTextRenderingHint(TextRenderingHint newMode) noexcept {
    return RecordStatus(Gdip().GdipSetTextRenderingHint(nativeGraphics, newMode));
}

TextRenderingHint TGPGraphics::GetTextRenderingHint() noexcept {
    TextRenderingHint hint = TextRenderingHintSystemDefault;
    RecordStatus(Gdip().GdipGetTextRenderingHint(nativeGraphics, &hint));
    return hint;
}

Status TGPGraphics::SetTextContrast(UINT contrast) noexcept {
    return RecordStatus(Gdip().GdipSetTextContrast(nativeGraphics, contrast));
}

UINT TGPGraphics::GetTextContrast() noexcept {
    UINT contrast = 0;
    RecordStatus(Gdip().GdipGetTextContrast(nativeGraphics, &contrast));
    return contrast;
}

Status TGPGraphics::SetInterpolationMode(InterpolationMode interpolationMode) noexcept {
    return RecordStatus(Gdip().GdipSetInterpolationMode(nativeGraphics, interpolationMode));
}

InterpolationMode TGPGraphics::GetInterpolationMode() noexcept {
    InterpolationMode mode = InterpolationModeInvalid;
    RecordStatus(Gdip().GdipGetInterpolationMode(nativeGraphics, &mode));
    return mode;
}

Status TGPGraphics::SetSmoothingMode(SmoothingMode smoothingMode) noexcept {
    return RecordStatus(Gdip().GdipSetSmoothingMode(nativeGraphics, smoothingMode));
}

SmoothingMode TGPGraphics::GetSmoothingMode() noexcept {
    SmoothingMode mode = SmoothingModeInvalid;
    RecordStatus(Gdip().GdipGetSmoothingMode(nativeGraphics, &mode));
    return mode;
}

Status TGPGraphics::SetPixelOffsetMode(PixelOffsetMode pixelOffsetMode) noexcept {
    return RecordStatus(Gdip().GdipSetPixelOffsetMode(nativeGraphics, pixelOffsetMode));
}

PixelOffsetMode TGPGraphics::GetPixelOffsetMode() noexcept {
    PixelOffsetMode mode = PixelOffsetModeInvalid;
    RecordStatus(Gdip().GdipGetPixelOffsetMode(nativeGraphics, &mode));
    return mode;
}

Status TGPGraphics::SetPageUnit(Unit_ unit_) noexcept {
    return RecordStatus(Gdip().GdipSetPageUnit(nativeGraphics, unit_));
}

Unit_ TGPGraphics::GetPageUnit() noexcept {
    Unit_ unit_ = UnitWorld;
    RecordStatus(Gdip().GdipGetPageUnit(nativeGraphics, &unit_));
    return unit_;
}

Status TGPGraphics::SetPageScale(REAL scale) noexcept {
    return RecordStatus(Gdip().GdipSetPageScale(nativeGraphics, scale));
}

REAL TGPGraphics::GetPageScale() noexcept {
    REAL scale = 0;
    RecordStatus(Gdip().GdipGetPageScale(nativeGraphics, &scale));
    return scale;
}

REAL TGPGraphics::GetDpiX() noexcept {
    REAL dpi = 0;
    RecordStatus(Gdip().GdipGetDpiX(nativeGraphics, &dpi));
    return dpi;
}

REAL TGPGraphics::GetDpiY() noexcept {
    REAL dpi = 0;
    RecordStatus(Gdip().GdipGetDpiY(nativeGraphics, &dpi));
    return dpi;
}

// ---- world transform
// -----------------------------------------------------------------------------

Status TGPGraphics::SetTransform(const TGPMatrix* matrix) noexcept {
    return RecordStatus(Gdip().GdipSetWorldTransform(nativeGraphics, NativeOf(matrix)));
}

Status TGPGraphics::ResetTransform() noexcept {
    return RecordStatus(Gdip().GdipResetWorldTransform(nativeGraphics));
}

Status TGPGraphics::MultiplyTransform(const TGPMatrix* matrix, MatrixOrder order) noexcept {
    return RecordStatus(Gdip().GdipMultiplyWorldTransform(nativeGraphics, NativeOf(matrix), order));
}

Status TGPGraphics::TranslateTransform(REAL dx, REAL dy, MatrixOrder order) noexcept {
    return RecordStatus(Gdip().GdipTranslateWorldTransform(nativeGraphics, dx, dy, order));
}

Status TGPGraphics::ScaleTransform(REAL sx, REAL sy, MatrixOrder order) noexcept {
    return RecordStatus(Gdip().GdipScaleWorldTransform(nativeGraphics, sx, sy, order));
}

Status TGPGraphics::RotateTransform(REAL angle, MatrixOrder order) noexcept {
    return RecordStatus(Gdip().GdipRotateWorldTransform(nativeGraphics, angle, order));
}

Status TGPGraphics::GetTransform(TGPMatrix* matrix) noexcept {
    return RecordStatus(Gdip().GdipGetWorldTransform(nativeGraphics, NativeOf(matrix)));
}

Status TGPGraphics::TransformPoints(CoordinateSpace destSpace, CoordinateSpace srcSpace,
                                    TGPPointF* pts, INT count) noexcept {
    return RecordStatus(
        Gdip().GdipTransformPoints(nativeGraphics, destSpace, srcSpace, pts, count));
}

Status TGPGraphics::TransformPoints(CoordinateSpace destSpace, CoordinateSpace srcSpace,
                                    TGPPoint* pts, INT count) noexcept {
    return RecordStatus(
        Gdip().GdipTransformPointsI(nativeGraphics, destSpace, srcSpace, pts, count));
}

Status TGPGraphics::GetNearestColor(ARGB& color) noexcept {
    return RecordStatus(Gdip().GdipGetNearestColor(nativeGraphics, &color));
}

// ---- drawing with a pen
// --------------------------------------------------------------------------

Status TGPGraphics::DrawLine(const TGPPen* pen, REAL x1, REAL y1, REAL x2, REAL y2) noexcept {
    return RecordStatus(Gdip().GdipDrawLine(nativeGraphics, NativeOf(pen), x1, y1, x2, y2));
}

Status TGPGraphics::DrawLine(const TGPPen* pen, const TGPPointF& pt1,
                             const TGPPointF& pt2) noexcept {
    return DrawLine(pen, pt1.X, pt1.Y, pt2.X, pt2.Y);
}

Status TGPGraphics::DrawLine(const TGPPen* pen, INT x1, INT y1, INT x2, INT y2) noexcept {
    return RecordStatus(Gdip().GdipDrawLineI(nativeGraphics, NativeOf(pen), x1, y1, x2, y2));
}

Status TGPGraphics::DrawLine(const TGPPen* pen, const TGPPoint& pt1, const TGPPoint& pt2) noexcept {
    return DrawLine(pen, pt1.X, pt1.Y, pt2.X, pt2.Y);
}

Status TGPGraphics::DrawLines(const TGPPen* pen, const TGPPointF* points, INT count) noexcept {
    return RecordStatus(Gdip().GdipDrawLines(nativeGraphics, NativeOf(pen), points, count));
}

Status TGPGraphics::DrawLines(const TGPPen* pen, const TGPPoint* points, INT count) noexcept {
    return RecordStatus(Gdip().GdipDrawLinesI(nativeGraphics, NativeOf(pen), points, count));
}

Status TGPGraphics::DrawArc(const TGPPen* pen, REAL x, REAL y, REAL width, REAL height,
                            REAL startAngle, REAL sweepAngle) noexcept {
    return RecordStatus(Gdip().GdipDrawArc(nativeGraphics, NativeOf(pen), x, y, width, height,
                                           startAngle, sweepAngle));
}

Status TGPGraphics::DrawArc(const TGPPen* pen, const TGPRectF& rect, REAL startAngle,
                            REAL sweepAngle) noexcept {
    return DrawArc(pen, rect.X, rect.Y, rect.Width, rect.Height, startAngle, sweepAngle);
}

Status TGPGraphics::DrawArc(const TGPPen* pen, INT x, INT y, INT width, INT height, REAL startAngle,
                            REAL sweepAngle) noexcept {
    return RecordStatus(Gdip().GdipDrawArcI(nativeGraphics, NativeOf(pen), x, y, width, height,
                                            startAngle, sweepAngle));
}

Status TGPGraphics::DrawArc(const TGPPen* pen, const TGPRect& rect, REAL startAngle,
                            REAL sweepAngle) noexcept {
    return DrawArc(pen, rect.X, rect.Y, rect.Width, rect.Height, startAngle, sweepAngle);
}

Status TGPGraphics::DrawBezier(const TGPPen* pen, REAL x1, REAL y1, REAL x2, REAL y2, REAL x3,
                               REAL y3, REAL x4, REAL y4) noexcept {
    return RecordStatus(
        Gdip().GdipDrawBezier(nativeGraphics, NativeOf(pen), x1, y1, x2, y2, x3, y3, x4, y4));
}

Status TGPGraphics::DrawBezier(const TGPPen* pen, const TGPPointF& pt1, const TGPPointF& pt2,
                               const TGPPointF& pt3, const TGPPointF& pt4) noexcept {
    return DrawBezier(pen, pt1.X, pt1.Y, pt2.X, pt2.Y, pt3.X, pt3.Y, pt4.X, pt4.Y);
}

Status TGPGraphics::DrawBezier(const TGPPen* pen, INT x1, INT y1, INT x2, INT y2, INT x3, INT y3,
                               INT x4, INT y4) noexcept {
    return RecordStatus(
        Gdip().GdipDrawBezierI(nativeGraphics, NativeOf(pen), x1, y1, x2, y2, x3, y3, x4, y4));
}

Status TGPGraphics::DrawBezier(const TGPPen* pen, const TGPPoint& pt1, const TGPPoint& pt2,
                               const TGPPoint& pt3, const TGPPoint& pt4) noexcept {
    return DrawBezier(pen, pt1.X, pt1.Y, pt2.X, pt2.Y, pt3.X, pt3.Y, pt4.X, pt4.Y);
}

Status TGPGraphics::DrawBeziers(const TGPPen* pen, const TGPPointF* points, INT count) noexcept {
    return RecordStatus(Gdip().GdipDrawBeziers(nativeGraphics, NativeOf(pen), points, count));
}

Status TGPGraphics::DrawBeziers(const TGPPen* pen, const TGPPoint* points, INT count) noexcept {
    return RecordStatus(Gdip().GdipDrawBeziersI(nativeGraphics, NativeOf(pen), points, count));
}

Status TGPGraphics::DrawRectangle(const TGPPen* pen, REAL x, REAL y, REAL width,
                                  REAL height) noexcept {
    return RecordStatus(
        Gdip().GdipDrawRectangle(nativeGraphics, NativeOf(pen), x, y, width, height));
}

Status TGPGraphics::DrawRectangle(const TGPPen* pen, const TGPRectF& rect) noexcept {
    return DrawRectangle(pen, rect.X, rect.Y, rect.Width, rect.Height);
}

Status TGPGraphics::DrawRectangle(const TGPPen* pen, INT x, INT y, INT width, INT height) noexcept {
    return RecordStatus(
        Gdip().GdipDrawRectangleI(nativeGraphics, NativeOf(pen), x, y, width, height));
}

Status TGPGraphics::DrawRectangle(const TGPPen* pen, const TGPRect& rect) noexcept {
    return DrawRectangle(pen, rect.X, rect.Y, rect.Width, rect.Height);
}

Status TGPGraphics::DrawRectangles(const TGPPen* pen, const TGPRectF* rects, INT count) noexcept {
    return RecordStatus(Gdip().GdipDrawRectangles(nativeGraphics, NativeOf(pen), rects, count));
}

Status TGPGraphics::DrawRectangles(const TGPPen* pen, const TGPRect* rects, INT count) noexcept {
    return RecordStatus(Gdip().GdipDrawRectanglesI(nativeGraphics, NativeOf(pen), rects, count));
}

Status TGPGraphics::DrawEllipse(const TGPPen* pen, REAL x, REAL y, REAL width,
                                REAL height) noexcept {
    return RecordStatus(Gdip().GdipDrawEllipse(nativeGraphics, NativeOf(pen), x, y, width, height));
}

Status TGPGraphics::DrawEllipse(const TGPPen* pen, const TGPRectF& rect) noexcept {
    return DrawEllipse(pen, rect.X, rect.Y, rect.Width, rect.Height);
}

Status TGPGraphics::DrawEllipse(const TGPPen* pen, INT x, INT y, INT width, INT height) noexcept {
    return RecordStatus(
        Gdip().GdipDrawEllipseI(nativeGraphics, NativeOf(pen), x, y, width, height));
}

Status TGPGraphics::DrawEllipse(const TGPPen* pen, const TGPRect& rect) noexcept {
    return DrawEllipse(pen, rect.X, rect.Y, rect.Width, rect.Height);
}

Status TGPGraphics::DrawPie(const TGPPen* pen, REAL x, REAL y, REAL width, REAL height,
                            REAL startAngle, REAL sweepAngle) noexcept {
    return RecordStatus(Gdip().GdipDrawPie(nativeGraphics, NativeOf(pen), x, y, width, height,
                                           startAngle, sweepAngle));
}

Status TGPGraphics::DrawPie(const TGPPen* pen, const TGPRectF& rect, REAL startAngle,
                            REAL sweepAngle) noexcept {
    return DrawPie(pen, rect.X, rect.Y, rect.Width, rect.Height, startAngle, sweepAngle);
}

Status TGPGraphics::DrawPie(const TGPPen* pen, INT x, INT y, INT width, INT height, REAL startAngle,
                            REAL sweepAngle) noexcept {
    return RecordStatus(Gdip().GdipDrawPieI(nativeGraphics, NativeOf(pen), x, y, width, height,
                                            startAngle, sweepAngle));
}

Status TGPGraphics::DrawPie(const TGPPen* pen, const TGPRect& rect, REAL startAngle,
                            REAL sweepAngle) noexcept {
    return DrawPie(pen, rect.X, rect.Y, rect.Width, rect.Height, startAngle, sweepAngle);
}

Status TGPGraphics::DrawPolygon(const TGPPen* pen, const TGPPointF* points, INT count) noexcept {
    return RecordStatus(Gdip().GdipDrawPolygon(nativeGraphics, NativeOf(pen), points, count));
}

Status TGPGraphics::DrawPolygon(const TGPPen* pen, const TGPPoint* points, INT count) noexcept {
    return RecordStatus(Gdip().GdipDrawPolygonI(nativeGraphics, NativeOf(pen), points, count));
}

Status TGPGraphics::DrawPath(const TGPPen* pen, const TGPGraphicsPath* path) noexcept {
    return RecordStatus(Gdip().GdipDrawPath(nativeGraphics, NativeOf(pen), NativeOf(path)));
}

Status TGPGraphics::DrawCurve(const TGPPen* pen, const TGPPointF* points, INT count) noexcept {
    return RecordStatus(Gdip().GdipDrawCurve(nativeGraphics, NativeOf(pen), points, count));
}

Status TGPGraphics::DrawCurve(const TGPPen* pen, const TGPPointF* points, INT count,
                              REAL tension) noexcept {
    return RecordStatus(
        Gdip().GdipDrawCurve2(nativeGraphics, NativeOf(pen), points, count, tension));
}

Status TGPGraphics::DrawCurve(const TGPPen* pen, const TGPPointF* points, INT count, INT offset,
                              INT numberOfSegments, REAL tension) noexcept {
    return RecordStatus(Gdip().GdipDrawCurve3(nativeGraphics, NativeOf(pen), points, count, offset,
                                              numberOfSegments, tension));
}

Status TGPGraphics::DrawCurve(const TGPPen* pen, const TGPPoint* points, INT count) noexcept {
    return RecordStatus(Gdip().GdipDrawCurveI(nativeGraphics, NativeOf(pen), points, count));
}

Status TGPGraphics::DrawCurve(const TGPPen* pen, const TGPPoint* points, INT count,
                              REAL tension) noexcept {
    return RecordStatus(
        Gdip().GdipDrawCurve2I(nativeGraphics, NativeOf(pen), points, count, tension));
}

Status TGPGraphics::DrawCurve(const TGPPen* pen, const TGPPoint* points, INT count, INT offset,
                              INT numberOfSegments, REAL tension) noexcept {
    return RecordStatus(Gdip().GdipDrawCurve3I(nativeGraphics, NativeOf(pen), points, count, offset,
                                               numberOfSegments, tension));
}

Status TGPGraphics::DrawClosedCurve(const TGPPen* pen, const TGPPointF* points,
                                    INT count) noexcept {
    return RecordStatus(Gdip().GdipDrawClosedCurve(nativeGraphics, NativeOf(pen), points, count));
}

Status TGPGraphics::DrawClosedCurve(const TGPPen* pen, const TGPPointF* points, INT count,
                                    REAL tension) noexcept {
    return RecordStatus(
        Gdip().GdipDrawClosedCurve2(nativeGraphics, NativeOf(pen), points, count, tension));
}

Status TGPGraphics::DrawClosedCurve(const TGPPen* pen, const TGPPoint* points, INT count) noexcept {
    return RecordStatus(Gdip().GdipDrawClosedCurveI(nativeGraphics, NativeOf(pen), points, count));
}

Status TGPGraphics::DrawClosedCurve(const TGPPen* pen, const TGPPoint* points, INT count,
                                    REAL tension) noexcept {
    return RecordStatus(
        Gdip().GdipDrawClosedCurve2I(nativeGraphics, NativeOf(pen), points, count, tension));
}

Status TGPGraphics::Clear(ARGB color) noexcept {
    return RecordStatus(Gdip().GdipGraphicsClear(nativeGraphics, color));
}

// ---- filling with a brush
// ------------------------------------------------------------------------

Status TGPGraphics::FillRectangle(const TGPBrush* brush, REAL x, REAL y, REAL width,
                                  REAL height) noexcept {
    return RecordStatus(
        Gdip().GdipFillRectangle(nativeGraphics, NativeOf(brush), x, y, width, height));
}

Status TGPGraphics::FillRectangle(const TGPBrush* brush, const TGPRectF& rect) noexcept {
    return FillRectangle(brush, rect.X, rect.Y, rect.Width, rect.Height);
}

Status TGPGraphics::FillRectangle(const TGPBrush* brush, INT x, INT y, INT width,
                                  INT height) noexcept {
    return RecordStatus(
        Gdip().GdipFillRectangleI(nativeGraphics, NativeOf(brush), x, y, width, height));
}

Status TGPGraphics::FillRectangle(const TGPBrush* brush, const TGPRect& rect) noexcept {
    return FillRectangle(brush, rect.X, rect.Y, rect.Width, rect.Height);
}

Status TGPGraphics::FillRectangles(const TGPBrush* brush, const TGPRectF* rects,
                                   INT count) noexcept {
    return RecordStatus(Gdip().GdipFillRectangles(nativeGraphics, NativeOf(brush), rects, count));
}

Status TGPGraphics::FillRectangles(const TGPBrush* brush, const TGPRect* rects,
                                   INT count) noexcept {
    return RecordStatus(Gdip().GdipFillRectanglesI(nativeGraphics, NativeOf(brush), rects, count));
}

Status TGPGraphics::FillPolygon(const TGPBrush* brush, const TGPPointF* points,
                                INT count) noexcept {
    return FillPolygon(brush, points, count, FillModeAlternate);
}

Status TGPGraphics::FillPolygon(const TGPBrush* brush, const TGPPointF* points, INT count,
                                FillMode fillMode) noexcept {
    return RecordStatus(
        Gdip().GdipFillPolygon(nativeGraphics, NativeOf(brush), points, count, fillMode));
}

Status TGPGraphics::FillPolygon(const TGPBrush* brush, const TGPPoint* points, INT count) noexcept {
    return FillPolygon(brush, points, count, FillModeAlternate);
}

Status TGPGraphics::FillPolygon(const TGPBrush* brush, const TGPPoint* points, INT count,
                                FillMode fillMode) noexcept {
    return RecordStatus(
        Gdip().GdipFillPolygonI(nativeGraphics, NativeOf(brush), points, count, fillMode));
}

Status TGPGraphics::FillEllipse(const TGPBrush* brush, REAL x, REAL y, REAL width,
                                REAL height) noexcept {
    return RecordStatus(
        Gdip().GdipFillEllipse(nativeGraphics, NativeOf(brush), x, y, width, height));
}

Status TGPGraphics::FillEllipse(const TGPBrush* brush, const TGPRectF& rect) noexcept {
    return FillEllipse(brush, rect.X, rect.Y, rect.Width, rect.Height);
}

Status TGPGraphics::FillEllipse(const TGPBrush* brush, INT x, INT y, INT width,
                                INT height) noexcept {
    return RecordStatus(
        Gdip().GdipFillEllipseI(nativeGraphics, NativeOf(brush), x, y, width, height));
}

Status TGPGraphics::FillEllipse(const TGPBrush* brush, const TGPRect& rect) noexcept {
    return FillEllipse(brush, rect.X, rect.Y, rect.Width, rect.Height);
}

Status TGPGraphics::FillPie(const TGPBrush* brush, REAL x, REAL y, REAL width, REAL height,
                            REAL startAngle, REAL sweepAngle) noexcept {
    return RecordStatus(Gdip().GdipFillPie(nativeGraphics, NativeOf(brush), x, y, width, height,
                                           startAngle, sweepAngle));
}

Status TGPGraphics::FillPie(const TGPBrush* brush, const TGPRectF& rect, REAL startAngle,
                            REAL sweepAngle) noexcept {
    return FillPie(brush, rect.X, rect.Y, rect.Width, rect.Height, startAngle, sweepAngle);
}

Status TGPGraphics::FillPie(const TGPBrush* brush, INT x, INT y, INT width, INT height,
                            REAL startAngle, REAL sweepAngle) noexcept {
    return RecordStatus(Gdip().GdipFillPieI(nativeGraphics, NativeOf(brush), x, y, width, height,
                                            startAngle, sweepAngle));
}

Status TGPGraphics::FillPie(const TGPBrush* brush, const TGPRect& rect, REAL startAngle,
                            REAL sweepAngle) noexcept {
    return FillPie(brush, rect.X, rect.Y, rect.Width, rect.Height, startAngle, sweepAngle);
}

Status TGPGraphics::FillPath(const TGPBrush* brush, const TGPGraphicsPath* path) noexcept {
    return RecordStatus(Gdip().GdipFillPath(nativeGraphics, NativeOf(brush), NativeOf(path)));
}

Status TGPGraphics::FillClosedCurve(const TGPBrush* brush, const TGPPointF* points,
                                    INT count) noexcept {
    return RecordStatus(Gdip().GdipFillClosedCurve(nativeGraphics, NativeOf(brush), points, count));
}

Status TGPGraphics::FillClosedCurve(const TGPBrush* brush, const TGPPointF* points, INT count,
                                    FillMode fillMode, REAL tension) noexcept {
    return RecordStatus(Gdip().GdipFillClosedCurve2(nativeGraphics, NativeOf(brush), points, count,
                                                    tension, fillMode));
}

Status TGPGraphics::FillClosedCurve(const TGPBrush* brush, const TGPPoint* points,
                                    INT count) noexcept {
    return RecordStatus(
        Gdip().GdipFillClosedCurveI(nativeGraphics, NativeOf(brush), points, count));
}

Status TGPGraphics::FillClosedCurve(const TGPBrush* brush, const TGPPoint* points, INT count,
                                    FillMode fillMode, REAL tension) noexcept {
    return RecordStatus(Gdip().GdipFillClosedCurve2I(nativeGraphics, NativeOf(brush), points, count,
                                                     tension, fillMode));
}

Status TGPGraphics::FillRegion(const TGPBrush* brush, const TGPRegion* region) noexcept {
    return RecordStatus(Gdip().GdipFillRegion(nativeGraphics, NativeOf(brush), NativeOf(region)));
}

// ---- text
// ----------------------------------------------------------------------------------------

Status TGPGraphics::DrawString(const std::wstring& string_, INT length, const TGPFont* font,
                               const TGPRectF& layoutRect, const TGPStringFormat* stringFormat,
                               const TGPBrush* brush) noexcept {
    return RecordStatus(Gdip().GdipDrawString(
        nativeGraphics, string_.c_str(), detail::TextLength(string_, length), NativeOf(font),
        &layoutRect, NativeOf(stringFormat), NativeOf(brush)));
}

Status TGPGraphics::DrawString(const std::wstring& string_, INT length, const TGPFont* font,
                               const TGPPointF& origin, const TGPBrush* brush) noexcept {
    return DrawString(string_, length, font, TGPRectF{origin.X, origin.Y, 0, 0}, nullptr, brush);
}

Status TGPGraphics::DrawString(const std::wstring& string_, INT length, const TGPFont* font,
                               const TGPPointF& origin, const TGPStringFormat* stringFormat,
                               const TGPBrush* brush) noexcept {
    return DrawString(string_, length, font, TGPRectF{origin.X, origin.Y, 0, 0}, stringFormat,
                      brush);
}

Status TGPGraphics::MeasureString(const std::wstring& string_, INT length, const TGPFont* font,
                                  const TGPRectF& layoutRect, const TGPStringFormat* stringFormat,
                                  TGPRectF& boundingBox, INT* codepointsFitted,
                                  INT* linesFilled) noexcept {
    return RecordStatus(Gdip().GdipMeasureString(
        nativeGraphics, string_.c_str(), detail::TextLength(string_, length), NativeOf(font),
        &layoutRect, NativeOf(stringFormat), &boundingBox, codepointsFitted, linesFilled));
}

Status TGPGraphics::MeasureString(const std::wstring& string_, INT length, const TGPFont* font,
                                  const TGPSizeF& layoutRectSize,
                                  const TGPStringFormat* stringFormat, TGPSizeF& size,
                                  INT* codepointsFitted, INT* linesFilled) noexcept {
    const TGPRectF layoutRect{0, 0, layoutRectSize.Width, layoutRectSize.Height};
    TGPRectF boundingBox{};
    const Status status = MeasureString(string_, length, font, layoutRect, stringFormat,
                                        boundingBox, codepointsFitted, linesFilled);
    if (status == Ok) size = {boundingBox.Width, boundingBox.Height};
    return status;
}

Status TGPGraphics::MeasureString(const std::wstring& string_, INT length, const TGPFont* font,
                                  const TGPPointF& origin, const TGPStringFormat* stringFormat,
                                  TGPRectF& boundingBox) noexcept {
    return MeasureString(string_, length, font, TGPRectF{origin.X, origin.Y, 0, 0}, stringFormat,
                         boundingBox, nullptr, nullptr);
}

Status TGPGraphics::MeasureString(const std::wstring& string_, INT length, const TGPFont* font,
                                  const TGPRectF& layoutRect, TGPRectF& boundingBox) noexcept {
    return MeasureString(string_, length, font, layoutRect, nullptr, boundingBox, nullptr, nullptr);
}

Status TGPGraphics::MeasureString(const std::wstring& string_, INT length, const TGPFont* font,
                                  const TGPPointF& origin, TGPRectF& boundingBox) noexcept {
    return MeasureString(string_, length, font, TGPRectF{origin.X, origin.Y, 0, 0}, nullptr,
                         boundingBox, nullptr, nullptr);
}

Status TGPGraphics::MeasureCharacterRanges(const std::wstring& string_, INT length,
                                           const TGPFont* font, const TGPRectF& layoutRect,
                                           const TGPStringFormat* stringFormat, INT regionCount,
                                           std::span<TGPRegion* const> regions) noexcept {
    if (regionCount <= 0 || static_cast<std::size_t>(regionCount) > regions.size())
        return InvalidParameter;
    try {
        std::vector<GpRegion*> handles(static_cast<std::size_t>(regionCount));
        for (std::size_t i = 0; i < handles.size(); ++i)
            handles[i] = NativeOf(regions[i]);
        return RecordStatus(Gdip().GdipMeasureCharacterRanges(
            nativeGraphics, string_.c_str(), detail::TextLength(string_, length), NativeOf(font),
            &layoutRect, NativeOf(stringFormat), regionCount, handles.data()));
    } catch (const std::bad_alloc&) {
        return RecordStatus(OutOfMemory);
    }
}

Status TGPGraphics::DrawDriverString(const UINT16* text, INT length, const TGPFont* font,
                                     const TGPBrush* brush, const TGPPointF* positions, INT flags,
                                     const TGPMatrix* matrix) noexcept {
    return RecordStatus(Gdip().GdipDrawDriverString(nativeGraphics, text, length, NativeOf(font),
                                                    NativeOf(brush), positions, flags,
                                                    NativeOf(matrix)));
}

Status TGPGraphics::MeasureDriverString(const UINT16* text, INT length, const TGPFont* font,
                                        const TGPPointF* positions, INT flags,
                                        const TGPMatrix* matrix, TGPRectF& boundingBox) noexcept {
    return RecordStatus(Gdip().GdipMeasureDriverString(nativeGraphics, text, length, NativeOf(font),
                                                       positions, flags, NativeOf(matrix),
                                                       &boundingBox));
}

// ---- images
// --------------------------------------------------------------------------------------

Status TGPGraphics::DrawImage(const TGPImage* image, REAL x, REAL y) noexcept {
    return RecordStatus(Gdip().GdipDrawImage(nativeGraphics, NativeOf(image), x, y));
}

Status TGPGraphics::DrawImage(const TGPImage* image, const TGPPointF& point) noexcept {
    return DrawImage(image, point.X, point.Y);
}

Status TGPGraphics::DrawImage(const TGPImage* image, REAL x, REAL y, REAL width,
                              REAL height) noexcept {
    return RecordStatus(
        Gdip().GdipDrawImageRect(nativeGraphics, NativeOf(image), x, y, width, height));
}

Status TGPGraphics::DrawImage(const TGPImage* image, const TGPRectF& rect) noexcept {
    return DrawImage(image, rect.X, rect.Y, rect.Width, rect.Height);
}

Status TGPGraphics::DrawImage(const TGPImage* image, INT x, INT y) noexcept {
    return RecordStatus(Gdip().GdipDrawImageI(nativeGraphics, NativeOf(image), x, y));
}

Status TGPGraphics::DrawImage(const TGPImage* image, const TGPPoint& point) noexcept {
    return DrawImage(image, point.X, point.Y);
}

Status TGPGraphics::DrawImage(const TGPImage* image, INT x, INT y, INT width, INT height) noexcept {
    return RecordStatus(
        Gdip().GdipDrawImageRectI(nativeGraphics, NativeOf(image), x, y, width, height));
}

Status TGPGraphics::DrawImage(const TGPImage* image, const TGPRect& rect) noexcept {
    return DrawImage(image, rect.X, rect.Y, rect.Width, rect.Height);
}

Status TGPGraphics::DrawImage(const TGPImage* image, const TGPPointF* destPoints,
                              INT count) noexcept {
    if ((count != 3 && count != 4) || !destPoints) return RecordStatus(InvalidParameter);
    return RecordStatus(
        Gdip().GdipDrawImagePoints(nativeGraphics, NativeOf(image), destPoints, count));
}

Status TGPGraphics::DrawImage(const TGPImage* image, const TGPPoint* destPoints,
                              INT count) noexcept {
    if ((count != 3 && count != 4) || !destPoints) return RecordStatus(InvalidParameter);
    return RecordStatus(
        Gdip().GdipDrawImagePointsI(nativeGraphics, NativeOf(image), destPoints, count));
}

Status TGPGraphics::DrawImage(const TGPImage* image, REAL x, REAL y, REAL srcx, REAL srcy,
                              REAL srcwidth, REAL srcheight, Unit_ srcUnit) noexcept {
    return RecordStatus(Gdip().GdipDrawImagePointRect(nativeGraphics, NativeOf(image), x, y, srcx,
                                                      srcy, srcwidth, srcheight, srcUnit));
}

Status TGPGraphics::DrawImage(const TGPImage* image, INT x, INT y, INT srcx, INT srcy, INT srcwidth,
                              INT srcheight, Unit_ srcUnit) noexcept {
    return RecordStatus(Gdip().GdipDrawImagePointRectI(nativeGraphics, NativeOf(image), x, y, srcx,
                                                       srcy, srcwidth, srcheight, srcUnit));
}

Status TGPGraphics::DrawImage(const TGPImage* image, const TGPRectF& destRect, REAL srcx, REAL srcy,
                              REAL srcwidth, REAL srcheight, Unit_ srcUnit,
                              const TGPImageAttributes* imageAttributes, DrawImageAbort callback,
                              void* callbackData) noexcept {
    return RecordStatus(Gdip().GdipDrawImageRectRect(
        nativeGraphics, NativeOf(image), destRect.X, destRect.Y, destRect.Width, destRect.Height,
        srcx, srcy, srcwidth, srcheight, srcUnit, NativeOf(imageAttributes), callback,
        callbackData));
}

Status TGPGraphics::DrawImage(const TGPImage* image, const TGPRect& destRect, INT srcx, INT srcy,
                              INT srcwidth, INT srcheight, Unit_ srcUnit,
                              const TGPImageAttributes* imageAttributes, DrawImageAbort callback,
                              void* callbackData) noexcept {
    return RecordStatus(Gdip().GdipDrawImageRectRectI(
        nativeGraphics, NativeOf(image), destRect.X, destRect.Y, destRect.Width, destRect.Height,
        srcx, srcy, srcwidth, srcheight, srcUnit, NativeOf(imageAttributes), callback,
        callbackData));
}

Status TGPGraphics::DrawImage(const TGPImage* image, const TGPPointF* destPoints, INT count,
                              REAL srcx, REAL srcy, REAL srcwidth, REAL srcheight, Unit_ srcUnit,
                              const TGPImageAttributes* imageAttributes, DrawImageAbort callback,
                              void* callbackData) noexcept {
    return RecordStatus(Gdip().GdipDrawImagePointsRect(
        nativeGraphics, NativeOf(image), destPoints, count, srcx, srcy, srcwidth, srcheight,
        srcUnit, NativeOf(imageAttributes), callback, callbackData));
}

Status TGPGraphics::DrawImage(const TGPImage* image, const TGPPoint* destPoints, INT count,
                              INT srcx, INT srcy, INT srcwidth, INT srcheight, Unit_ srcUnit,
                              const TGPImageAttributes* imageAttributes, DrawImageAbort callback,
                              void* callbackData) noexcept {
    return RecordStatus(Gdip().GdipDrawImagePointsRectI(
        nativeGraphics, NativeOf(image), destPoints, count, srcx, srcy, srcwidth, srcheight,
        srcUnit, NativeOf(imageAttributes), callback, callbackData));
}

Status TGPGraphics::DrawCachedBitmap(const TGPCachedBitmap* cb, INT x, INT y) noexcept {
    return RecordStatus(Gdip().GdipDrawCachedBitmap(nativeGraphics, NativeOf(cb), x, y));
}

// ---- metafile enumeration
// ------------------------------------------------------------------------

Status TGPGraphics::EnumerateMetafile(const TGPMetafile* metafile, const TGPPointF& destPoint,
                                      EnumerateMetafileProc callback, void* callbackData,
                                      const TGPImageAttributes* imageAttributes) noexcept {
    return RecordStatus(Gdip().GdipEnumerateMetafileDestPoint(nativeGraphics, MetafileOf(metafile),
                                                              &destPoint, callback, callbackData,
                                                              NativeOf(imageAttributes)));
}

Status TGPGraphics::EnumerateMetafile(const TGPMetafile* metafile, const TGPPoint& destPoint,
                                      EnumerateMetafileProc callback, void* callbackData,
                                      const TGPImageAttributes* imageAttributes) noexcept {
    return RecordStatus(Gdip().GdipEnumerateMetafileDestPointI(nativeGraphics, MetafileOf(metafile),
                                                               &destPoint, callback, callbackData,
                                                               NativeOf(imageAttributes)));
}

Status TGPGraphics::EnumerateMetafile(const TGPMetafile* metafile, const TGPRectF& destRect,
                                      EnumerateMetafileProc callback, void* callbackData,
                                      const TGPImageAttributes* imageAttributes) noexcept {
    return RecordStatus(Gdip().GdipEnumerateMetafileDestRect(nativeGraphics, MetafileOf(metafile),
                                                             &destRect, callback, callbackData,
                                                             NativeOf(imageAttributes)));
}

Status TGPGraphics::EnumerateMetafile(const TGPMetafile* metafile, const TGPRect& destRect,
                                      EnumerateMetafileProc callback, void* callbackData,
                                      const TGPImageAttributes* imageAttributes) noexcept {
    return RecordStatus(Gdip().GdipEnumerateMetafileDestRectI(nativeGraphics, MetafileOf(metafile),
                                                              &destRect, callback, callbackData,
                                                              NativeOf(imageAttributes)));
}

Status TGPGraphics::EnumerateMetafile(const TGPMetafile* metafile, const TGPPointF* destPoints,
                                      INT count, EnumerateMetafileProc callback, void* callbackData,
                                      const TGPImageAttributes* imageAttributes) noexcept {
    return RecordStatus(Gdip().GdipEnumerateMetafileDestPoints(
        nativeGraphics, MetafileOf(metafile), destPoints, count, callback, callbackData,
        NativeOf(imageAttributes)));
}

Status TGPGraphics::EnumerateMetafile(const TGPMetafile* metafile, const TGPPoint* destPoints,
                                      INT count, EnumerateMetafileProc callback, void* callbackData,
                                      const TGPImageAttributes* imageAttributes) noexcept {
    return RecordStatus(Gdip().GdipEnumerateMetafileDestPointsI(
        nativeGraphics, MetafileOf(metafile), destPoints, count, callback, callbackData,
        NativeOf(imageAttributes)));
}

Status TGPGraphics::EnumerateMetafile(const TGPMetafile* metafile, const TGPPointF& destPoint,
                                      const TGPRectF& srcRect, Unit_ srcUnit,
                                      EnumerateMetafileProc callback, void* callbackData,
                                      const TGPImageAttributes* imageAttributes) noexcept {
    return RecordStatus(Gdip().GdipEnumerateMetafileSrcRectDestPoint(
        nativeGraphics, MetafileOf(metafile), &destPoint, &srcRect, srcUnit, callback, callbackData,
        NativeOf(imageAttributes)));
}

Status TGPGraphics::EnumerateMetafile(const TGPMetafile* metafile, const TGPPoint& destPoint,
                                      const TGPRect& srcRect, Unit_ srcUnit,
                                      EnumerateMetafileProc callback, void* callbackData,
                                      const TGPImageAttributes* imageAttributes) noexcept {
    return RecordStatus(Gdip().GdipEnumerateMetafileSrcRectDestPointI(
        nativeGraphics, MetafileOf(metafile), &destPoint, &srcRect, srcUnit, callback, callbackData,
        NativeOf(imageAttributes)));
}

Status TGPGraphics::EnumerateMetafile(const TGPMetafile* metafile, const TGPRectF& destRect,
                                      const TGPRectF& srcRect, Unit_ srcUnit,
                                      EnumerateMetafileProc callback, void* callbackData,
                                      const TGPImageAttributes* imageAttributes) noexcept {
    return RecordStatus(Gdip().GdipEnumerateMetafileSrcRectDestRect(
        nativeGraphics, MetafileOf(metafile), &destRect, &srcRect, srcUnit, callback, callbackData,
        NativeOf(imageAttributes)));
}

Status TGPGraphics::EnumerateMetafile(const TGPMetafile* metafile, const TGPRect& destRect,
                                      const TGPRect& srcRect, Unit_ srcUnit,
                                      EnumerateMetafileProc callback, void* callbackData,
                                      const TGPImageAttributes* imageAttributes) noexcept {
    return RecordStatus(Gdip().GdipEnumerateMetafileSrcRectDestRectI(
        nativeGraphics, MetafileOf(metafile), &destRect, &srcRect, srcUnit, callback, callbackData,
        NativeOf(imageAttributes)));
}

Status TGPGraphics::EnumerateMetafile(const TGPMetafile* metafile, const TGPPointF* destPoints,
                                      INT count, const TGPRectF& srcRect, Unit_ srcUnit,
                                      EnumerateMetafileProc callback, void* callbackData,
                                      const TGPImageAttributes* imageAttributes) noexcept {
    return RecordStatus(Gdip().GdipEnumerateMetafileSrcRectDestPoints(
        nativeGraphics, MetafileOf(metafile), destPoints, count, &srcRect, srcUnit, callback,
        callbackData, NativeOf(imageAttributes)));
}

Status TGPGraphics::EnumerateMetafile(const TGPMetafile* metafile, const TGPPoint* destPoints,
                                      INT count, const TGPRect& srcRect, Unit_ srcUnit,
                                      EnumerateMetafileProc callback, void* callbackData,
                                      const TGPImageAttributes* imageAttributes) noexcept {
    return RecordStatus(Gdip().GdipEnumerateMetafileSrcRectDestPointsI(
        nativeGraphics, MetafileOf(metafile), destPoints, count, &srcRect, srcUnit, callback,
        callbackData, NativeOf(imageAttributes)));
}

// ---- clipping
// ------------------------------------------------------------------------------------

Status TGPGraphics::SetClip(const TGPGraphics* g, CombineMode combineMode) noexcept {
    return RecordStatus(Gdip().GdipSetClipGraphics(nativeGraphics, NativeOf(g), combineMode));
}

Status TGPGraphics::SetClip(const TGPRectF& rect, CombineMode combineMode) noexcept {
    return RecordStatus(Gdip().GdipSetClipRect(nativeGraphics, rect.X, rect.Y, rect.Width,
                                               rect.Height, combineMode));
}

Status TGPGraphics::SetClip(const TGPRect& rect, CombineMode combineMode) noexcept {
    return RecordStatus(Gdip().GdipSetClipRectI(nativeGraphics, rect.X, rect.Y, rect.Width,
                                                rect.Height, combineMode));
}

Status TGPGraphics::SetClip(const TGPGraphicsPath* path, CombineMode combineMode) noexcept {
    return RecordStatus(Gdip().GdipSetClipPath(nativeGraphics, NativeOf(path), combineMode));
}

Status TGPGraphics::SetClip(const TGPRegion* region, CombineMode combineMode) noexcept {
    return RecordStatus(Gdip().GdipSetClipRegion(nativeGraphics, NativeOf(region), combineMode));
}

Status TGPGraphics::SetClip(HRGN hRgn, CombineMode combineMode) noexcept {
    return RecordStatus(Gdip().GdipSetClipHrgn(nativeGraphics, hRgn, combineMode));
}

Status TGPGraphics::IntersectClip(const TGPRectF& rect) noexcept {
    return SetClip(rect, CombineModeIntersect);
}

Status TGPGraphics::IntersectClip(const TGPRect& rect) noexcept {
    return SetClip(rect, CombineModeIntersect);
}

Status TGPGraphics::IntersectClip(const TGPRegion* region) noexcept {
    return SetClip(region, CombineModeIntersect);
}

Status TGPGraphics::ExcludeClip(const TGPRectF& rect) noexcept {
    return SetClip(rect, CombineModeExclude);
}

Status TGPGraphics::ExcludeClip(const TGPRect& rect) noexcept {
    return SetClip(rect, CombineModeExclude);
}

Status TGPGraphics::ExcludeClip(const TGPRegion* region) noexcept {
    return SetClip(region, CombineModeExclude);
}

Status TGPGraphics::ResetClip() noexcept {
    return RecordStatus(Gdip().GdipResetClip(nativeGraphics));
}

Status TGPGraphics::TranslateClip(REAL dx, REAL dy) noexcept {
    return RecordStatus(Gdip().GdipTranslateClip(nativeGraphics, dx, dy));
}

Status TGPGraphics::TranslateClip(INT dx, INT dy) noexcept {
    return RecordStatus(Gdip().GdipTranslateClipI(nativeGraphics, dx, dy));
}

Status TGPGraphics::GetClip(TGPRegion* region) noexcept {
    return RecordStatus(Gdip().GdipGetClip(nativeGraphics, NativeOf(region)));
}

Status TGPGraphics::GetClipBounds(TGPRectF& rect) noexcept {
    return RecordStatus(Gdip().GdipGetClipBounds(nativeGraphics, &rect));
}

Status TGPGraphics::GetClipBounds(TGPRect& rect) noexcept {
    return RecordStatus(Gdip().GdipGetClipBoundsI(nativeGraphics, &rect));
}

Status TGPGraphics::GetVisibleClipBounds(TGPRectF& rect) noexcept {
    return RecordStatus(Gdip().GdipGetVisibleClipBounds(nativeGraphics, &rect));
}

Status TGPGraphics::GetVisibleClipBounds(TGPRect& rect) noexcept {
    return RecordStatus(Gdip().GdipGetVisibleClipBoundsI(nativeGraphics, &rect));
}

bool TGPGraphics::IsClipEmpty() noexcept {
    BOOL result = FALSE;
    RecordStatus(Gdip().GdipIsClipEmpty(nativeGraphics, &result));
    return result != FALSE;
}

bool TGPGraphics::IsVisibleClipEmpty() noexcept {
    BOOL result = FALSE;
    RecordStatus(Gdip().GdipIsVisibleClipEmpty(nativeGraphics, &result));
    return result != FALSE;
}

bool TGPGraphics::IsVisible(INT x, INT y) noexcept {
    BOOL result = FALSE;
    RecordStatus(Gdip().GdipIsVisiblePointI(nativeGraphics, x, y, &result));
    return result != FALSE;
}

bool TGPGraphics::IsVisible(const TGPPoint& point) noexcept {
    return IsVisible(point.X, point.Y);
}

bool TGPGraphics::IsVisible(REAL x, REAL y) noexcept {
    BOOL result = FALSE;
    RecordStatus(Gdip().GdipIsVisiblePoint(nativeGraphics, x, y, &result));
    return result != FALSE;
}

bool TGPGraphics::IsVisible(const TGPPointF& point) noexcept {
    return IsVisible(point.X, point.Y);
}

bool TGPGraphics::IsVisible(INT x, INT y, INT width, INT height) noexcept {
    BOOL result = TRUE;
    RecordStatus(Gdip().GdipIsVisibleRectI(nativeGraphics, x, y, width, height, &result));
    return result != FALSE;
}

bool TGPGraphics::IsVisible(const TGPRect& rect) noexcept {
    return IsVisible(rect.X, rect.Y, rect.Width, rect.Height);
}

bool TGPGraphics::IsVisible(REAL x, REAL y, REAL width, REAL height) noexcept {
    BOOL result = TRUE;
    RecordStatus(Gdip().GdipIsVisibleRect(nativeGraphics, x, y, width, height, &result));
    return result != FALSE;
}

bool TGPGraphics::IsVisible(const TGPRectF& rect) noexcept {
    return IsVisible(rect.X, rect.Y, rect.Width, rect.Height);
}

// ---- state stack and containers
// ------------------------------------------------------------------

GraphicsState TGPGraphics::Save() noexcept {
    GraphicsState state = 0;
    RecordStatus(Gdip().GdipSaveGraphics(nativeGraphics, &state));
    return state;
}

Status TGPGraphics::Restore(GraphicsState gstate) noexcept {
    return RecordStatus(Gdip().GdipRestoreGraphics(nativeGraphics, gstate));
}

GraphicsContainer TGPGraphics::BeginContainer(const TGPRectF& dstrect, const TGPRectF& srcrect,
                                              Unit_ unit_) noexcept {
    GraphicsContainer state = 0;
    RecordStatus(Gdip().GdipBeginContainer(nativeGraphics, &dstrect, &srcrect, unit_, &state));
    return state;
}

GraphicsContainer TGPGraphics::BeginContainer(const TGPRect& dstrect, const TGPRect& srcrect,
                                              Unit_ unit_) noexcept {
    GraphicsContainer state = 0;
    RecordStatus(Gdip().GdipBeginContainerI(nativeGraphics, &dstrect, &srcrect, unit_, &state));
    return state;
}

GraphicsContainer TGPGraphics::BeginContainer() noexcept {
    GraphicsContainer state = 0;
    RecordStatus(Gdip().GdipBeginContainer2(nativeGraphics, &state));
    return state;
}

Status TGPGraphics::EndContainer(GraphicsContainer state) noexcept {
    return RecordStatus(Gdip().GdipEndContainer(nativeGraphics, state));
}

Status TGPGraphics::AddMetafileComment(const BYTE* data, UINT sizeData) noexcept {
    return RecordStatus(Gdip().GdipComment(nativeGraphics, sizeData, data));
}

} // namespace tn::gdiplus
