// The graphics path wrapper: figures of lines, curves, shapes and text in one GDI+ path. Pens,
// matrices, string formats, font families and graphics passed in are only borrowed; a missing one
// passes no handle.
#pragma once

#include "gdiplus/GdiplusBase.h"

#include <span>
#include <string>

namespace tn::gdiplus {

class TGPFontFamily;
class TGPGraphics;
class TGPMatrix;
class TGPPen;
class TGPStringFormat;

// Float and integer overloads call the flat functions without and with the suffix "I"; angles
// and tensions are always REAL.
class TGPGraphicsPath : public TGdiplusBase {
public:
    // Constructors from a fill mode or from points keep their call's status whatever it is.
    [[nodiscard]] static std::unique_ptr<TGPGraphicsPath> Create(FillMode fillMode) noexcept;
    // One type byte per point; arrays of different lengths are InvalidParameter, without a call.
    [[nodiscard]] static std::unique_ptr<TGPGraphicsPath> Create(std::span<const TGPPointF> points,
                                                                 std::span<const BYTE> types,
                                                                 FillMode fillMode) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPGraphicsPath> Create(std::span<const TGPPoint> points,
                                                                 std::span<const BYTE> types,
                                                                 FillMode fillMode) noexcept;
    // A copy of the path; a failure is kept. No path: InvalidParameter, without a call.
    [[nodiscard]] static std::unique_ptr<TGPGraphicsPath>
    Create(const TGPGraphicsPath* path) noexcept;
    ~TGPGraphicsPath() override;

    [[nodiscard]] GpPath* Native() const noexcept { return nativePath; }

    // The copy starts with status Ok, whatever this path keeps.
    [[nodiscard]] std::unique_ptr<TGPGraphicsPath> Clone() noexcept;
    // The kept status; reading it resets it to Ok.
    Status GetLastStatus() noexcept;

    // State and figures
    Status Reset() noexcept;
    // FillModeAlternate when the call fails.
    [[nodiscard]] FillMode GetFillMode() noexcept;
    Status SetFillMode(FillMode fillmode) noexcept;
    // Arrays holding fewer entries than the path are given back and replaced by new ones from
    // std::malloc; large enough ones are kept. Count becomes the path's point count. An empty
    // path leaves no arrays and answers the kept status without a call.
    Status GetPathData(TPathData& pathData) noexcept;
    Status StartFigure() noexcept;
    Status CloseFigure() noexcept;
    Status CloseAllFigures() noexcept;
    Status SetMarker() noexcept;
    Status ClearMarkers() noexcept;
    Status Reverse() noexcept;
    Status GetLastPoint(TGPPointF& lastPoint) noexcept;
    // 0 when the call fails.
    [[nodiscard]] INT GetPointCount() noexcept;
    Status GetPathTypes(std::span<BYTE> types) noexcept;
    Status GetPathPoints(std::span<TGPPointF> points) noexcept;
    Status GetPathPoints(std::span<TGPPoint> points) noexcept;

    // Adding figures
    Status AddLine(REAL x1, REAL y1, REAL x2, REAL y2) noexcept;
    Status AddLine(const TGPPointF& pt1, const TGPPointF& pt2) noexcept;
    Status AddLine(INT x1, INT y1, INT x2, INT y2) noexcept;
    Status AddLine(const TGPPoint& pt1, const TGPPoint& pt2) noexcept;
    Status AddLines(std::span<const TGPPointF> points) noexcept;
    Status AddLines(std::span<const TGPPoint> points) noexcept;
    Status AddArc(REAL x, REAL y, REAL width, REAL height, REAL startAngle,
                  REAL sweepAngle) noexcept;
    Status AddArc(const TGPRectF& rect, REAL startAngle, REAL sweepAngle) noexcept;
    Status AddArc(INT x, INT y, INT width, INT height, REAL startAngle, REAL sweepAngle) noexcept;
    Status AddArc(const TGPRect& rect, REAL startAngle, REAL sweepAngle) noexcept;
    Status AddBezier(REAL x1, REAL y1, REAL x2, REAL y2, REAL x3, REAL y3, REAL x4,
                     REAL y4) noexcept;
    Status AddBezier(const TGPPointF& pt1, const TGPPointF& pt2, const TGPPointF& pt3,
                     const TGPPointF& pt4) noexcept;
    Status AddBezier(INT x1, INT y1, INT x2, INT y2, INT x3, INT y3, INT x4, INT y4) noexcept;
    Status AddBezier(const TGPPoint& pt1, const TGPPoint& pt2, const TGPPoint& pt3,
                     const TGPPoint& pt4) noexcept;
    Status AddBeziers(std::span<const TGPPointF> points) noexcept;
    Status AddBeziers(std::span<const TGPPoint> points) noexcept;
    Status AddCurve(std::span<const TGPPointF> points) noexcept;
    Status AddCurve(std::span<const TGPPointF> points, REAL tension) noexcept;
    Status AddCurve(std::span<const TGPPointF> points, INT offset, INT numberOfSegments,
                    REAL tension) noexcept;
    Status AddCurve(std::span<const TGPPoint> points) noexcept;
    Status AddCurve(std::span<const TGPPoint> points, REAL tension) noexcept;
    Status AddCurve(std::span<const TGPPoint> points, INT offset, INT numberOfSegments,
                    REAL tension) noexcept;
    Status AddClosedCurve(std::span<const TGPPointF> points) noexcept;
    Status AddClosedCurve(std::span<const TGPPointF> points, REAL tension) noexcept;
    Status AddClosedCurve(std::span<const TGPPoint> points) noexcept;
    Status AddClosedCurve(std::span<const TGPPoint> points, REAL tension) noexcept;
    Status AddRectangle(const TGPRectF& rect) noexcept;
    Status AddRectangle(const TGPRect& rect) noexcept;
    Status AddRectangles(std::span<const TGPRectF> rects) noexcept;
    Status AddRectangles(std::span<const TGPRect> rects) noexcept;
    Status AddEllipse(REAL x, REAL y, REAL width, REAL height) noexcept;
    Status AddEllipse(const TGPRectF& rect) noexcept;
    Status AddEllipse(INT x, INT y, INT width, INT height) noexcept;
    Status AddEllipse(const TGPRect& rect) noexcept;
    Status AddPie(REAL x, REAL y, REAL width, REAL height, REAL startAngle,
                  REAL sweepAngle) noexcept;
    Status AddPie(const TGPRectF& rect, REAL startAngle, REAL sweepAngle) noexcept;
    Status AddPie(INT x, INT y, INT width, INT height, REAL startAngle, REAL sweepAngle) noexcept;
    Status AddPie(const TGPRect& rect, REAL startAngle, REAL sweepAngle) noexcept;
    Status AddPolygon(std::span<const TGPPointF> points) noexcept;
    Status AddPolygon(std::span<const TGPPoint> points) noexcept;
    Status AddPath(const TGPGraphicsPath* addingPath, bool connect) noexcept;
    // length counts UTF-16 units: one beyond the text is cut to it, and any negative one becomes
    // -1, the text up to its NUL. An origin is a layout rectangle of no size there.
    Status AddString(const std::wstring& string_, INT length, const TGPFontFamily* family,
                     INT style, REAL emSize, const TGPPointF& origin,
                     const TGPStringFormat* format) noexcept;
    Status AddString(const std::wstring& string_, INT length, const TGPFontFamily* family,
                     INT style, REAL emSize, const TGPRectF& layoutRect,
                     const TGPStringFormat* format) noexcept;
    Status AddString(const std::wstring& string_, INT length, const TGPFontFamily* family,
                     INT style, REAL emSize, const TGPPoint& origin,
                     const TGPStringFormat* format) noexcept;
    Status AddString(const std::wstring& string_, INT length, const TGPFontFamily* family,
                     INT style, REAL emSize, const TGPRect& layoutRect,
                     const TGPStringFormat* format) noexcept;

    // Geometry
    // No matrix: nothing to do, Ok, nothing kept.
    Status Transform(const TGPMatrix* matrix) noexcept;
    Status GetBounds(TGPRectF& bounds, const TGPMatrix* matrix = nullptr,
                     const TGPPen* pen = nullptr) noexcept;
    Status GetBounds(TGPRect& bounds, const TGPMatrix* matrix = nullptr,
                     const TGPPen* pen = nullptr) noexcept;
    Status Flatten(const TGPMatrix* matrix, REAL flatness) noexcept;
    // No pen: InvalidParameter, without a call.
    Status Widen(const TGPPen* pen, const TGPMatrix* matrix, REAL flatness) noexcept;
    Status Outline(const TGPMatrix* matrix, REAL flatness) noexcept;
    Status Warp(std::span<const TGPPointF> destPoints, const TGPRectF& srcRect,
                const TGPMatrix* matrix, WarpMode warpMode, REAL flatness) noexcept;

    // Hit tests: the answer starts false, so a call that fails without writing answers false.
    [[nodiscard]] bool IsVisible(REAL x, REAL y, const TGPGraphics* g = nullptr) noexcept;
    [[nodiscard]] bool IsVisible(const TGPPointF& point, const TGPGraphics* g = nullptr) noexcept;
    [[nodiscard]] bool IsVisible(INT x, INT y, const TGPGraphics* g = nullptr) noexcept;
    [[nodiscard]] bool IsVisible(const TGPPoint& point, const TGPGraphics* g = nullptr) noexcept;
    [[nodiscard]] bool IsOutlineVisible(REAL x, REAL y, const TGPPen* pen,
                                        const TGPGraphics* g = nullptr) noexcept;
    [[nodiscard]] bool IsOutlineVisible(const TGPPointF& point, const TGPPen* pen,
                                        const TGPGraphics* g = nullptr) noexcept;
    [[nodiscard]] bool IsOutlineVisible(INT x, INT y, const TGPPen* pen,
                                        const TGPGraphics* g = nullptr) noexcept;
    [[nodiscard]] bool IsOutlineVisible(const TGPPoint& point, const TGPPen* pen,
                                        const TGPGraphics* g = nullptr) noexcept;

protected:
    friend struct GdipFactory;
    TGPGraphicsPath() noexcept = default;
    explicit TGPGraphicsPath(GpPath* handle) noexcept;
    // Wraps an existing handle; when no wrapper can be made the handle is deleted.
    [[nodiscard]] static std::unique_ptr<TGPGraphicsPath> CreateFromNative(GpPath* handle) noexcept;
    // Runs one creating call into a fresh wrapper and keeps its status.
    template <typename Call>
    static std::unique_ptr<TGPGraphicsPath> Construct(Call&& call) noexcept;
    void AttachNative(GpPath* handle) noexcept { nativePath = handle; }
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastResult, status); }

    GpPath* nativePath = nullptr;
    Status lastResult = Ok;
};

} // namespace tn::gdiplus
