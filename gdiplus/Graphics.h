// The graphics wrapper: one GDI+ drawing surface (a device context, a window or an image) with its
// rendering state, transforms, clipping and drawing operations. Other wrappers passed in are only
// borrowed; a missing one passes no handle.
#pragma once

#include "gdiplus/GdiplusBase.h"

#include <span>
#include <string>

namespace tn::gdiplus {

class TGPImage;
class TGPMetafile;
class TGPPen;
class TGPBrush;
class TGPMatrix;
class TGPRegion;
class TGPGraphicsPath;
class TGPFont;
class TGPStringFormat;
class TGPImageAttributes;
class TGPCachedBitmap;

// Float and integer overloads call the flat functions without and with the suffix "I"; mixed
// argument types do not pick one, so pass REAL or INT explicitly.
class TGPGraphics : public TGdiplusBase {
public:
    [[nodiscard]] static std::unique_ptr<TGPGraphics> Create(HDC hdc) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPGraphics> Create(HDC hdc, HANDLE hdevice) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPGraphics> Create(HWND hwnd, bool icm = false) noexcept;
    // No image: no call, no handle, status Ok.
    [[nodiscard]] static std::unique_ptr<TGPGraphics> Create(const TGPImage* image) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPGraphics> FromHDC(HDC hdc) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPGraphics> FromHDC(HDC hdc, HANDLE hdevice) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPGraphics> FromHWND(HWND hwnd,
                                                               bool icm = false) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPGraphics> FromImage(const TGPImage* image) noexcept;
    ~TGPGraphics() override;

    [[nodiscard]] GpGraphics* Native() const noexcept { return nativeGraphics; }

    // Neither recorded nor returned.
    void Flush(FlushIntention intention = FlushIntentionFlush) noexcept;
    [[nodiscard]] HDC GetHDC() noexcept;
    void ReleaseHDC(HDC hdc) noexcept;
    // Needs no surface and records nothing; the caller owns the palette.
    [[nodiscard]] static HPALETTE GetHalftonePalette() noexcept;

    // Rendering state
    Status SetRenderingOrigin(INT x, INT y) noexcept;
    Status GetRenderingOrigin(INT& x, INT& y) noexcept;
    Status SetCompositingMode(CompositingMode compositingMode) noexcept;
    [[nodiscard]] CompositingMode GetCompositingMode() noexcept;
    Status SetCompositingQuality(CompositingQuality compositingQuality) noexcept;
    [[nodiscard]] CompositingQuality GetCompositingQuality() noexcept;
    Status SetTextRenderingHint(TextRenderingHint newMode) noexcept;
    [[nodiscard]] TextRenderingHint GetTextRenderingHint() noexcept;
    Status SetTextContrast(UINT contrast) noexcept;
    [[nodiscard]] UINT GetTextContrast() noexcept;
    Status SetInterpolationMode(InterpolationMode interpolationMode) noexcept;
    [[nodiscard]] InterpolationMode GetInterpolationMode() noexcept;
    Status SetSmoothingMode(SmoothingMode smoothingMode) noexcept;
    [[nodiscard]] SmoothingMode GetSmoothingMode() noexcept;
    Status SetPixelOffsetMode(PixelOffsetMode pixelOffsetMode) noexcept;
    [[nodiscard]] PixelOffsetMode GetPixelOffsetMode() noexcept;
    Status SetPageUnit(Unit_ unit_) noexcept;
    [[nodiscard]] Unit_ GetPageUnit() noexcept;
    Status SetPageScale(REAL scale) noexcept;
    [[nodiscard]] REAL GetPageScale() noexcept;
    [[nodiscard]] REAL GetDpiX() noexcept;
    [[nodiscard]] REAL GetDpiY() noexcept;

    // World transform
    Status SetTransform(const TGPMatrix* matrix) noexcept;
    Status ResetTransform() noexcept;
    Status MultiplyTransform(const TGPMatrix* matrix,
                             MatrixOrder order = MatrixOrderPrepend) noexcept;
    Status TranslateTransform(REAL dx, REAL dy, MatrixOrder order = MatrixOrderPrepend) noexcept;
    Status ScaleTransform(REAL sx, REAL sy, MatrixOrder order = MatrixOrderPrepend) noexcept;
    Status RotateTransform(REAL angle, MatrixOrder order = MatrixOrderPrepend) noexcept;
    Status GetTransform(TGPMatrix* matrix) noexcept;
    Status TransformPoints(CoordinateSpace destSpace, CoordinateSpace srcSpace, TGPPointF* pts,
                           INT count) noexcept;
    Status TransformPoints(CoordinateSpace destSpace, CoordinateSpace srcSpace, TGPPoint* pts,
                           INT count) noexcept;
    Status GetNearestColor(ARGB& color) noexcept;

    // Drawing with a pen
    Status DrawLine(const TGPPen* pen, REAL x1, REAL y1, REAL x2, REAL y2) noexcept;
    Status DrawLine(const TGPPen* pen, const TGPPointF& pt1, const TGPPointF& pt2) noexcept;
    Status DrawLine(const TGPPen* pen, INT x1, INT y1, INT x2, INT y2) noexcept;
    Status DrawLine(const TGPPen* pen, const TGPPoint& pt1, const TGPPoint& pt2) noexcept;
    Status DrawLines(const TGPPen* pen, const TGPPointF* points, INT count) noexcept;
    Status DrawLines(const TGPPen* pen, const TGPPoint* points, INT count) noexcept;
    Status DrawArc(const TGPPen* pen, REAL x, REAL y, REAL width, REAL height, REAL startAngle,
                   REAL sweepAngle) noexcept;
    Status DrawArc(const TGPPen* pen, const TGPRectF& rect, REAL startAngle,
                   REAL sweepAngle) noexcept;
    Status DrawArc(const TGPPen* pen, INT x, INT y, INT width, INT height, REAL startAngle,
                   REAL sweepAngle) noexcept;
    Status DrawArc(const TGPPen* pen, const TGPRect& rect, REAL startAngle,
                   REAL sweepAngle) noexcept;
    Status DrawBezier(const TGPPen* pen, REAL x1, REAL y1, REAL x2, REAL y2, REAL x3, REAL y3,
                      REAL x4, REAL y4) noexcept;
    Status DrawBezier(const TGPPen* pen, const TGPPointF& pt1, const TGPPointF& pt2,
                      const TGPPointF& pt3, const TGPPointF& pt4) noexcept;
    Status DrawBezier(const TGPPen* pen, INT x1, INT y1, INT x2, INT y2, INT x3, INT y3, INT x4,
                      INT y4) noexcept;
    Status DrawBezier(const TGPPen* pen, const TGPPoint& pt1, const TGPPoint& pt2,
                      const TGPPoint& pt3, const TGPPoint& pt4) noexcept;
    Status DrawBeziers(const TGPPen* pen, const TGPPointF* points, INT count) noexcept;
    Status DrawBeziers(const TGPPen* pen, const TGPPoint* points, INT count) noexcept;
    Status DrawRectangle(const TGPPen* pen, REAL x, REAL y, REAL width, REAL height) noexcept;
    Status DrawRectangle(const TGPPen* pen, const TGPRectF& rect) noexcept;
    Status DrawRectangle(const TGPPen* pen, INT x, INT y, INT width, INT height) noexcept;
    Status DrawRectangle(const TGPPen* pen, const TGPRect& rect) noexcept;
    Status DrawRectangles(const TGPPen* pen, const TGPRectF* rects, INT count) noexcept;
    Status DrawRectangles(const TGPPen* pen, const TGPRect* rects, INT count) noexcept;
    Status DrawEllipse(const TGPPen* pen, REAL x, REAL y, REAL width, REAL height) noexcept;
    Status DrawEllipse(const TGPPen* pen, const TGPRectF& rect) noexcept;
    Status DrawEllipse(const TGPPen* pen, INT x, INT y, INT width, INT height) noexcept;
    Status DrawEllipse(const TGPPen* pen, const TGPRect& rect) noexcept;
    Status DrawPie(const TGPPen* pen, REAL x, REAL y, REAL width, REAL height, REAL startAngle,
                   REAL sweepAngle) noexcept;
    Status DrawPie(const TGPPen* pen, const TGPRectF& rect, REAL startAngle,
                   REAL sweepAngle) noexcept;
    Status DrawPie(const TGPPen* pen, INT x, INT y, INT width, INT height, REAL startAngle,
                   REAL sweepAngle) noexcept;
    Status DrawPie(const TGPPen* pen, const TGPRect& rect, REAL startAngle,
                   REAL sweepAngle) noexcept;
    Status DrawPolygon(const TGPPen* pen, const TGPPointF* points, INT count) noexcept;
    Status DrawPolygon(const TGPPen* pen, const TGPPoint* points, INT count) noexcept;
    Status DrawPath(const TGPPen* pen, const TGPGraphicsPath* path) noexcept;
    Status DrawCurve(const TGPPen* pen, const TGPPointF* points, INT count) noexcept;
    Status DrawCurve(const TGPPen* pen, const TGPPointF* points, INT count, REAL tension) noexcept;
    Status DrawCurve(const TGPPen* pen, const TGPPointF* points, INT count, INT offset,
                     INT numberOfSegments, REAL tension) noexcept;
    Status DrawCurve(const TGPPen* pen, const TGPPoint* points, INT count) noexcept;
    Status DrawCurve(const TGPPen* pen, const TGPPoint* points, INT count, REAL tension) noexcept;
    Status DrawCurve(const TGPPen* pen, const TGPPoint* points, INT count, INT offset,
                     INT numberOfSegments, REAL tension) noexcept;
    Status DrawClosedCurve(const TGPPen* pen, const TGPPointF* points, INT count) noexcept;
    Status DrawClosedCurve(const TGPPen* pen, const TGPPointF* points, INT count,
                           REAL tension) noexcept;
    Status DrawClosedCurve(const TGPPen* pen, const TGPPoint* points, INT count) noexcept;
    Status DrawClosedCurve(const TGPPen* pen, const TGPPoint* points, INT count,
                           REAL tension) noexcept;
    Status Clear(ARGB color) noexcept;

    // Filling with a brush
    Status FillRectangle(const TGPBrush* brush, REAL x, REAL y, REAL width, REAL height) noexcept;
    Status FillRectangle(const TGPBrush* brush, const TGPRectF& rect) noexcept;
    Status FillRectangle(const TGPBrush* brush, INT x, INT y, INT width, INT height) noexcept;
    Status FillRectangle(const TGPBrush* brush, const TGPRect& rect) noexcept;
    Status FillRectangles(const TGPBrush* brush, const TGPRectF* rects, INT count) noexcept;
    Status FillRectangles(const TGPBrush* brush, const TGPRect* rects, INT count) noexcept;
    Status FillPolygon(const TGPBrush* brush, const TGPPointF* points, INT count) noexcept;
    Status FillPolygon(const TGPBrush* brush, const TGPPointF* points, INT count,
                       FillMode fillMode) noexcept;
    Status FillPolygon(const TGPBrush* brush, const TGPPoint* points, INT count) noexcept;
    Status FillPolygon(const TGPBrush* brush, const TGPPoint* points, INT count,
                       FillMode fillMode) noexcept;
    Status FillEllipse(const TGPBrush* brush, REAL x, REAL y, REAL width, REAL height) noexcept;
    Status FillEllipse(const TGPBrush* brush, const TGPRectF& rect) noexcept;
    Status FillEllipse(const TGPBrush* brush, INT x, INT y, INT width, INT height) noexcept;
    Status FillEllipse(const TGPBrush* brush, const TGPRect& rect) noexcept;
    Status FillPie(const TGPBrush* brush, REAL x, REAL y, REAL width, REAL height, REAL startAngle,
                   REAL sweepAngle) noexcept;
    Status FillPie(const TGPBrush* brush, const TGPRectF& rect, REAL startAngle,
                   REAL sweepAngle) noexcept;
    Status FillPie(const TGPBrush* brush, INT x, INT y, INT width, INT height, REAL startAngle,
                   REAL sweepAngle) noexcept;
    Status FillPie(const TGPBrush* brush, const TGPRect& rect, REAL startAngle,
                   REAL sweepAngle) noexcept;
    Status FillPath(const TGPBrush* brush, const TGPGraphicsPath* path) noexcept;
    Status FillClosedCurve(const TGPBrush* brush, const TGPPointF* points, INT count) noexcept;
    Status FillClosedCurve(const TGPBrush* brush, const TGPPointF* points, INT count,
                           FillMode fillMode, REAL tension) noexcept;
    Status FillClosedCurve(const TGPBrush* brush, const TGPPoint* points, INT count) noexcept;
    Status FillClosedCurve(const TGPBrush* brush, const TGPPoint* points, INT count,
                           FillMode fillMode, REAL tension) noexcept;
    Status FillRegion(const TGPBrush* brush, const TGPRegion* region) noexcept;

    // Text: the buffer is NUL-terminated, length counts UTF-16 units; one beyond the text is cut
    // to it, and any negative one becomes -1, the text up to its NUL.
    Status DrawString(const std::wstring& string_, INT length, const TGPFont* font,
                      const TGPRectF& layoutRect, const TGPStringFormat* stringFormat,
                      const TGPBrush* brush) noexcept;
    Status DrawString(const std::wstring& string_, INT length, const TGPFont* font,
                      const TGPPointF& origin, const TGPBrush* brush) noexcept;
    Status DrawString(const std::wstring& string_, INT length, const TGPFont* font,
                      const TGPPointF& origin, const TGPStringFormat* stringFormat,
                      const TGPBrush* brush) noexcept;
    Status MeasureString(const std::wstring& string_, INT length, const TGPFont* font,
                         const TGPRectF& layoutRect, const TGPStringFormat* stringFormat,
                         TGPRectF& boundingBox, INT* codepointsFitted = nullptr,
                         INT* linesFilled = nullptr) noexcept;
    // size is written only when the call succeeds.
    Status MeasureString(const std::wstring& string_, INT length, const TGPFont* font,
                         const TGPSizeF& layoutRectSize, const TGPStringFormat* stringFormat,
                         TGPSizeF& size, INT* codepointsFitted = nullptr,
                         INT* linesFilled = nullptr) noexcept;
    Status MeasureString(const std::wstring& string_, INT length, const TGPFont* font,
                         const TGPPointF& origin, const TGPStringFormat* stringFormat,
                         TGPRectF& boundingBox) noexcept;
    Status MeasureString(const std::wstring& string_, INT length, const TGPFont* font,
                         const TGPRectF& layoutRect, TGPRectF& boundingBox) noexcept;
    Status MeasureString(const std::wstring& string_, INT length, const TGPFont* font,
                         const TGPPointF& origin, TGPRectF& boundingBox) noexcept;
    // A count below 1, or more than the regions given, is InvalidParameter and is not kept.
    Status MeasureCharacterRanges(const std::wstring& string_, INT length, const TGPFont* font,
                                  const TGPRectF& layoutRect, const TGPStringFormat* stringFormat,
                                  INT regionCount, std::span<TGPRegion* const> regions) noexcept;
    Status DrawDriverString(const UINT16* text, INT length, const TGPFont* font,
                            const TGPBrush* brush, const TGPPointF* positions, INT flags,
                            const TGPMatrix* matrix) noexcept;
    Status MeasureDriverString(const UINT16* text, INT length, const TGPFont* font,
                               const TGPPointF* positions, INT flags, const TGPMatrix* matrix,
                               TGPRectF& boundingBox) noexcept;

    // Images
    Status DrawImage(const TGPImage* image, REAL x, REAL y) noexcept;
    Status DrawImage(const TGPImage* image, const TGPPointF& point) noexcept;
    Status DrawImage(const TGPImage* image, REAL x, REAL y, REAL width, REAL height) noexcept;
    Status DrawImage(const TGPImage* image, const TGPRectF& rect) noexcept;
    Status DrawImage(const TGPImage* image, INT x, INT y) noexcept;
    Status DrawImage(const TGPImage* image, const TGPPoint& point) noexcept;
    Status DrawImage(const TGPImage* image, INT x, INT y, INT width, INT height) noexcept;
    Status DrawImage(const TGPImage* image, const TGPRect& rect) noexcept;
    // Three or four destination points, else InvalidParameter without a call.
    Status DrawImage(const TGPImage* image, const TGPPointF* destPoints, INT count) noexcept;
    Status DrawImage(const TGPImage* image, const TGPPoint* destPoints, INT count) noexcept;
    Status DrawImage(const TGPImage* image, REAL x, REAL y, REAL srcx, REAL srcy, REAL srcwidth,
                     REAL srcheight, Unit_ srcUnit) noexcept;
    Status DrawImage(const TGPImage* image, INT x, INT y, INT srcx, INT srcy, INT srcwidth,
                     INT srcheight, Unit_ srcUnit) noexcept;
    Status DrawImage(const TGPImage* image, const TGPRectF& destRect, REAL srcx, REAL srcy,
                     REAL srcwidth, REAL srcheight, Unit_ srcUnit,
                     const TGPImageAttributes* imageAttributes = nullptr,
                     DrawImageAbort callback = nullptr, void* callbackData = nullptr) noexcept;
    Status DrawImage(const TGPImage* image, const TGPRect& destRect, INT srcx, INT srcy,
                     INT srcwidth, INT srcheight, Unit_ srcUnit,
                     const TGPImageAttributes* imageAttributes = nullptr,
                     DrawImageAbort callback = nullptr, void* callbackData = nullptr) noexcept;
    Status DrawImage(const TGPImage* image, const TGPPointF* destPoints, INT count, REAL srcx,
                     REAL srcy, REAL srcwidth, REAL srcheight, Unit_ srcUnit,
                     const TGPImageAttributes* imageAttributes = nullptr,
                     DrawImageAbort callback = nullptr, void* callbackData = nullptr) noexcept;
    Status DrawImage(const TGPImage* image, const TGPPoint* destPoints, INT count, INT srcx,
                     INT srcy, INT srcwidth, INT srcheight, Unit_ srcUnit,
                     const TGPImageAttributes* imageAttributes = nullptr,
                     DrawImageAbort callback = nullptr, void* callbackData = nullptr) noexcept;
    Status DrawCachedBitmap(const TGPCachedBitmap* cb, INT x, INT y) noexcept;

    // Metafile enumeration
    Status EnumerateMetafile(const TGPMetafile* metafile, const TGPPointF& destPoint,
                             EnumerateMetafileProc callback, void* callbackData = nullptr,
                             const TGPImageAttributes* imageAttributes = nullptr) noexcept;
    Status EnumerateMetafile(const TGPMetafile* metafile, const TGPPoint& destPoint,
                             EnumerateMetafileProc callback, void* callbackData = nullptr,
                             const TGPImageAttributes* imageAttributes = nullptr) noexcept;
    Status EnumerateMetafile(const TGPMetafile* metafile, const TGPRectF& destRect,
                             EnumerateMetafileProc callback, void* callbackData = nullptr,
                             const TGPImageAttributes* imageAttributes = nullptr) noexcept;
    Status EnumerateMetafile(const TGPMetafile* metafile, const TGPRect& destRect,
                             EnumerateMetafileProc callback, void* callbackData = nullptr,
                             const TGPImageAttributes* imageAttributes = nullptr) noexcept;
    Status EnumerateMetafile(const TGPMetafile* metafile, const TGPPointF* destPoints, INT count,
                             EnumerateMetafileProc callback, void* callbackData = nullptr,
                             const TGPImageAttributes* imageAttributes = nullptr) noexcept;
    Status EnumerateMetafile(const TGPMetafile* metafile, const TGPPoint* destPoints, INT count,
                             EnumerateMetafileProc callback, void* callbackData = nullptr,
                             const TGPImageAttributes* imageAttributes = nullptr) noexcept;
    Status EnumerateMetafile(const TGPMetafile* metafile, const TGPPointF& destPoint,
                             const TGPRectF& srcRect, Unit_ srcUnit, EnumerateMetafileProc callback,
                             void* callbackData = nullptr,
                             const TGPImageAttributes* imageAttributes = nullptr) noexcept;
    Status EnumerateMetafile(const TGPMetafile* metafile, const TGPPoint& destPoint,
                             const TGPRect& srcRect, Unit_ srcUnit, EnumerateMetafileProc callback,
                             void* callbackData = nullptr,
                             const TGPImageAttributes* imageAttributes = nullptr) noexcept;
    Status EnumerateMetafile(const TGPMetafile* metafile, const TGPRectF& destRect,
                             const TGPRectF& srcRect, Unit_ srcUnit, EnumerateMetafileProc callback,
                             void* callbackData = nullptr,
                             const TGPImageAttributes* imageAttributes = nullptr) noexcept;
    Status EnumerateMetafile(const TGPMetafile* metafile, const TGPRect& destRect,
                             const TGPRect& srcRect, Unit_ srcUnit, EnumerateMetafileProc callback,
                             void* callbackData = nullptr,
                             const TGPImageAttributes* imageAttributes = nullptr) noexcept;
    Status EnumerateMetafile(const TGPMetafile* metafile, const TGPPointF* destPoints, INT count,
                             const TGPRectF& srcRect, Unit_ srcUnit, EnumerateMetafileProc callback,
                             void* callbackData = nullptr,
                             const TGPImageAttributes* imageAttributes = nullptr) noexcept;
    Status EnumerateMetafile(const TGPMetafile* metafile, const TGPPoint* destPoints, INT count,
                             const TGPRect& srcRect, Unit_ srcUnit, EnumerateMetafileProc callback,
                             void* callbackData = nullptr,
                             const TGPImageAttributes* imageAttributes = nullptr) noexcept;

    // Clipping
    Status SetClip(const TGPGraphics* g, CombineMode combineMode = CombineModeReplace) noexcept;
    Status SetClip(const TGPRectF& rect, CombineMode combineMode = CombineModeReplace) noexcept;
    Status SetClip(const TGPRect& rect, CombineMode combineMode = CombineModeReplace) noexcept;
    Status SetClip(const TGPGraphicsPath* path,
                   CombineMode combineMode = CombineModeReplace) noexcept;
    Status SetClip(const TGPRegion* region, CombineMode combineMode = CombineModeReplace) noexcept;
    Status SetClip(HRGN hRgn, CombineMode combineMode = CombineModeReplace) noexcept;
    Status IntersectClip(const TGPRectF& rect) noexcept;
    Status IntersectClip(const TGPRect& rect) noexcept;
    Status IntersectClip(const TGPRegion* region) noexcept;
    Status ExcludeClip(const TGPRectF& rect) noexcept;
    Status ExcludeClip(const TGPRect& rect) noexcept;
    Status ExcludeClip(const TGPRegion* region) noexcept;
    Status ResetClip() noexcept;
    Status TranslateClip(REAL dx, REAL dy) noexcept;
    Status TranslateClip(INT dx, INT dy) noexcept;
    Status GetClip(TGPRegion* region) noexcept;
    Status GetClipBounds(TGPRectF& rect) noexcept;
    Status GetClipBounds(TGPRect& rect) noexcept;
    Status GetVisibleClipBounds(TGPRectF& rect) noexcept;
    Status GetVisibleClipBounds(TGPRect& rect) noexcept;
    [[nodiscard]] bool IsClipEmpty() noexcept;
    [[nodiscard]] bool IsVisibleClipEmpty() noexcept;
    // A point is not visible, and a rectangle is, when the call fails.
    [[nodiscard]] bool IsVisible(INT x, INT y) noexcept;
    [[nodiscard]] bool IsVisible(const TGPPoint& point) noexcept;
    [[nodiscard]] bool IsVisible(REAL x, REAL y) noexcept;
    [[nodiscard]] bool IsVisible(const TGPPointF& point) noexcept;
    [[nodiscard]] bool IsVisible(INT x, INT y, INT width, INT height) noexcept;
    [[nodiscard]] bool IsVisible(const TGPRect& rect) noexcept;
    [[nodiscard]] bool IsVisible(REAL x, REAL y, REAL width, REAL height) noexcept;
    [[nodiscard]] bool IsVisible(const TGPRectF& rect) noexcept;

    // State stack and containers
    [[nodiscard]] GraphicsState Save() noexcept;
    Status Restore(GraphicsState gstate) noexcept;
    [[nodiscard]] GraphicsContainer BeginContainer(const TGPRectF& dstrect, const TGPRectF& srcrect,
                                                   Unit_ unit_) noexcept;
    [[nodiscard]] GraphicsContainer BeginContainer(const TGPRect& dstrect, const TGPRect& srcrect,
                                                   Unit_ unit_) noexcept;
    [[nodiscard]] GraphicsContainer BeginContainer() noexcept;
    Status EndContainer(GraphicsContainer state) noexcept;
    Status AddMetafileComment(const BYTE* data, UINT sizeData) noexcept;

    // The kept status; reading it resets it to Ok.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    TGPGraphics() noexcept = default;

    // Runs one creating call into a fresh wrapper and keeps its status.
    template <typename Call> static std::unique_ptr<TGPGraphics> Construct(Call&& call) noexcept;
    void AttachNative(GpGraphics* graphics) noexcept { nativeGraphics = graphics; }
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastResult, status); }

    GpGraphics* nativeGraphics = nullptr;
    Status lastResult = Ok;
};

} // namespace tn::gdiplus
