// Matrix and region wrappers: a 3x2 affine matrix and a region, each one GDI+ handle.
#pragma once

#include "gdiplus/GdiplusBase.h"

#include <array>
#include <span>

namespace tn::gdiplus {

class TGPGraphics;
class TGPGraphicsPath;

// The six elements in GDI+ order: m11, m12, m21, m22, dx, dy.
using TMatrixArray = std::array<REAL, 6>;

class TGPMatrix : public TGdiplusBase {
public:
    // Constructors: the creating call's status is kept whatever it is; only a failed allocation
    // gives no object. The parallelogram is the destination of the rectangle's top-left,
    // top-right and bottom-left corners.
    [[nodiscard]] static std::unique_ptr<TGPMatrix> Create() noexcept;
    [[nodiscard]] static std::unique_ptr<TGPMatrix> Create(REAL m11, REAL m12, REAL m21, REAL m22,
                                                           REAL dx, REAL dy) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPMatrix>
    Create(const TGPRectF& rect, std::span<const TGPPointF, 3> dstplg) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPMatrix>
    Create(const TGPRect& rect, std::span<const TGPPoint, 3> dstplg) noexcept;
    ~TGPMatrix() override;

    [[nodiscard]] GpMatrix* Native() const noexcept { return nativeMatrix; }

    // None while any failure is kept, an earlier unread one included; the copy is then deleted.
    [[nodiscard]] std::unique_ptr<TGPMatrix> Clone() noexcept;
    Status GetElements(TMatrixArray& m) noexcept;
    Status SetElements(REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy) noexcept;
    // The offsets; 0 when the elements cannot be read.
    [[nodiscard]] REAL OffsetX() noexcept;
    [[nodiscard]] REAL OffsetY() noexcept;
    // Back to the identity.
    Status Reset() noexcept;
    Status Multiply(const TGPMatrix* matrix, MatrixOrder order = MatrixOrderPrepend) noexcept;
    Status Translate(REAL offsetX, REAL offsetY, MatrixOrder order = MatrixOrderPrepend) noexcept;
    Status Scale(REAL scaleX, REAL scaleY, MatrixOrder order = MatrixOrderPrepend) noexcept;
    Status Rotate(REAL angle, MatrixOrder order = MatrixOrderPrepend) noexcept;
    // Three calls, each kept when it fails; returns the last one's status.
    Status RotateAt(REAL angle, const TGPPointF& center,
                    MatrixOrder order = MatrixOrderPrepend) noexcept;
    Status Shear(REAL shearX, REAL shearY, MatrixOrder order = MatrixOrderPrepend) noexcept;
    Status Invert() noexcept;
    // Every point of the span, in place; vectors ignore the offsets.
    Status TransformPoints(std::span<TGPPointF> pts) noexcept;
    Status TransformPoints(std::span<TGPPoint> pts) noexcept;
    Status TransformVectors(std::span<TGPPointF> pts) noexcept;
    Status TransformVectors(std::span<TGPPoint> pts) noexcept;
    // False when the call fails.
    [[nodiscard]] bool IsInvertible() noexcept;
    [[nodiscard]] bool IsIdentity() noexcept;
    [[nodiscard]] bool Equals(const TGPMatrix* matrix) noexcept;
    // The kept status; reading it resets it to Ok.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    TGPMatrix() noexcept = default;
    explicit TGPMatrix(GpMatrix* handle) noexcept;
    // Wraps an existing handle; when no wrapper can be made the handle is deleted.
    [[nodiscard]] static std::unique_ptr<TGPMatrix> CreateFromNative(GpMatrix* handle) noexcept;
    // Runs one creating call into a fresh wrapper and keeps its status.
    template <typename Call> static std::unique_ptr<TGPMatrix> Construct(Call&& call) noexcept;
    void AttachNative(GpMatrix* handle) noexcept { nativeMatrix = handle; }
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastResult, status); }

    GpMatrix* nativeMatrix = nullptr;
    Status lastResult = Ok;
};

// Float and integer overloads call the flat functions without and with the suffix "I". A wrapper
// argument marked required that is missing is InvalidParameter, kept, without a call.
class TGPRegion : public TGdiplusBase {
public:
    // Constructors: the creating call's status is kept whatever it is; only a failed allocation
    // gives no object. No arguments: the infinite region.
    [[nodiscard]] static std::unique_ptr<TGPRegion> Create() noexcept;
    [[nodiscard]] static std::unique_ptr<TGPRegion> Create(const TGPRectF& rect) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPRegion> Create(const TGPRect& rect) noexcept;
    // No path: GDI+ answers for itself.
    [[nodiscard]] static std::unique_ptr<TGPRegion> Create(const TGPGraphicsPath* path) noexcept;
    // Data as GetData writes it.
    [[nodiscard]] static std::unique_ptr<TGPRegion>
    Create(std::span<const BYTE> regionData) noexcept;
    // GDI+ copies the GDI region; the caller keeps it.
    [[nodiscard]] static std::unique_ptr<TGPRegion> Create(HRGN hRgn) noexcept;
    // None when GDI+ refuses the GDI region (nothing is kept anywhere) or no wrapper can be made.
    [[nodiscard]] static std::unique_ptr<TGPRegion> FromHRGN(HRGN hRgn) noexcept;
    ~TGPRegion() override;

    [[nodiscard]] GpRegion* Native() const noexcept { return nativeRegion; }

    // Always an object with status Ok around whatever GDI+ gave; a failure is kept here.
    [[nodiscard]] std::unique_ptr<TGPRegion> Clone() noexcept;
    Status MakeInfinite() noexcept;
    Status MakeEmpty() noexcept;
    [[nodiscard]] UINT GetDataSize() noexcept;
    // GDI+ writes at most the span's size.
    Status GetData(std::span<BYTE> buffer, UINT* sizeFilled = nullptr) noexcept;

    // Combining with a rectangle, a path or a region; the path and the region are required.
    Status Intersect(const TGPRect& rect) noexcept;
    Status Intersect(const TGPRectF& rect) noexcept;
    Status Intersect(const TGPGraphicsPath* path) noexcept;
    Status Intersect(const TGPRegion* region) noexcept;
    Status Union(const TGPRect& rect) noexcept;
    Status Union(const TGPRectF& rect) noexcept;
    Status Union(const TGPGraphicsPath* path) noexcept;
    Status Union(const TGPRegion* region) noexcept;
    Status Xor_(const TGPRect& rect) noexcept;
    Status Xor_(const TGPRectF& rect) noexcept;
    Status Xor_(const TGPGraphicsPath* path) noexcept;
    Status Xor_(const TGPRegion* region) noexcept;
    Status Exclude(const TGPRect& rect) noexcept;
    Status Exclude(const TGPRectF& rect) noexcept;
    Status Exclude(const TGPGraphicsPath* path) noexcept;
    Status Exclude(const TGPRegion* region) noexcept;
    Status Complement(const TGPRect& rect) noexcept;
    Status Complement(const TGPRectF& rect) noexcept;
    Status Complement(const TGPGraphicsPath* path) noexcept;
    Status Complement(const TGPRegion* region) noexcept;

    Status Translate(REAL dx, REAL dy) noexcept;
    Status Translate(INT dx, INT dy) noexcept;
    Status Transform(const TGPMatrix* matrix) noexcept;

    // The graphics object is required by these five; Equals passes a missing region on to GDI+.
    Status GetBounds(TGPRect& rect, const TGPGraphics* g) noexcept;
    Status GetBounds(TGPRectF& rect, const TGPGraphics* g) noexcept;
    // The caller owns the GDI region; none when the call fails.
    [[nodiscard]] HRGN GetHRGN(const TGPGraphics* g) noexcept;
    [[nodiscard]] bool IsEmpty(const TGPGraphics* g) noexcept;
    [[nodiscard]] bool IsInfinite(const TGPGraphics* g) noexcept;
    [[nodiscard]] bool Equals(const TGPRegion* region, const TGPGraphics* g) noexcept;

    // The graphics object is optional; false when the call fails.
    [[nodiscard]] bool IsVisible(INT x, INT y, const TGPGraphics* g = nullptr) noexcept;
    [[nodiscard]] bool IsVisible(const TGPPoint& point, const TGPGraphics* g = nullptr) noexcept;
    [[nodiscard]] bool IsVisible(REAL x, REAL y, const TGPGraphics* g = nullptr) noexcept;
    [[nodiscard]] bool IsVisible(const TGPPointF& point, const TGPGraphics* g = nullptr) noexcept;
    [[nodiscard]] bool IsVisible(INT x, INT y, INT width, INT height,
                                 const TGPGraphics* g = nullptr) noexcept;
    [[nodiscard]] bool IsVisible(const TGPRect& rect, const TGPGraphics* g = nullptr) noexcept;
    [[nodiscard]] bool IsVisible(REAL x, REAL y, REAL width, REAL height,
                                 const TGPGraphics* g = nullptr) noexcept;
    [[nodiscard]] bool IsVisible(const TGPRectF& rect, const TGPGraphics* g = nullptr) noexcept;

    // The region as rectangles after the matrix. count receives the number of rectangles; an empty
    // span asks for the count only, and a span too small for them all is InsufficientBuffer with
    // the count needed and no rectangle written.
    [[nodiscard]] UINT GetRegionScansCount(const TGPMatrix* matrix) noexcept;
    Status GetRegionScans(const TGPMatrix* matrix, std::span<TGPRectF> rects, INT& count) noexcept;
    Status GetRegionScans(const TGPMatrix* matrix, std::span<TGPRect> rects, INT& count) noexcept;

    // The kept status; reading it resets it to Ok.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    TGPRegion() noexcept = default;
    explicit TGPRegion(GpRegion* handle) noexcept;
    // Wraps an existing handle; when no wrapper can be made the handle is deleted.
    [[nodiscard]] static std::unique_ptr<TGPRegion> CreateFromNative(GpRegion* handle) noexcept;
    // Runs one creating call into a fresh wrapper and keeps its status.
    template <typename Call> static std::unique_ptr<TGPRegion> Construct(Call&& call) noexcept;
    void AttachNative(GpRegion* handle) noexcept { nativeRegion = handle; }
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastResult, status); }

    GpRegion* nativeRegion = nullptr;
    Status lastResult = Ok;

private:
    Status Combine(const TGPRect& rect, CombineMode mode) noexcept;
    Status Combine(const TGPRectF& rect, CombineMode mode) noexcept;
    Status Combine(const TGPGraphicsPath* path, CombineMode mode) noexcept;
    Status Combine(const TGPRegion* region, CombineMode mode) noexcept;
    template <typename Rect, typename Flat>
    Status Scans(const TGPMatrix* matrix, std::span<Rect> rects, INT& count, Flat flat) noexcept;
};

} // namespace tn::gdiplus
