#include "gdiplus/MatrixRegion.h"

#include "gdiplus/GdipInternal.h"
#include "gdiplus/Graphics.h"
#include "gdiplus/GraphicsPath.h"

namespace tn::gdiplus {

using detail::CountOf;

// ---- TGPMatrix
// -----------------------------------------------------------------------------------

TGPMatrix::TGPMatrix(GpMatrix* handle) noexcept {
    AttachNative(handle);
}

std::unique_ptr<TGPMatrix> TGPMatrix::CreateFromNative(GpMatrix* handle) noexcept {
    auto wrapper = GdipFactory::Make<TGPMatrix>(handle);
    if (!wrapper && handle) detail::DeleteNative(Gdip().GdipDeleteMatrix, handle);
    return wrapper;
}

template <typename Call> std::unique_ptr<TGPMatrix> TGPMatrix::Construct(Call&& call) noexcept {
    return GdipFactory::Construct<TGPMatrix, GpMatrix>(std::forward<Call>(call));
}

std::unique_ptr<TGPMatrix> TGPMatrix::Create() noexcept {
    return Construct([](GpMatrix** out) { return Gdip().GdipCreateMatrix(out); });
}

std::unique_ptr<TGPMatrix> TGPMatrix::Create(REAL m11, REAL m12, REAL m21, REAL m22, REAL dx,
                                             REAL dy) noexcept {
    return Construct(
        [&](GpMatrix** out) { return Gdip().GdipCreateMatrix2(m11, m12, m21, m22, dx, dy, out); });
}

std::unique_ptr<TGPMatrix> TGPMatrix::Create(const TGPRectF& rect,
                                             std::span<const TGPPointF, 3> dstplg) noexcept {
    return Construct(
        [&](GpMatrix** out) { return Gdip().GdipCreateMatrix3(&rect, dstplg.data(), out); });
}

std::unique_ptr<TGPMatrix> TGPMatrix::Create(const TGPRect& rect,
                                             std::span<const TGPPoint, 3> dstplg) noexcept {
    return Construct(
        [&](GpMatrix** out) { return Gdip().GdipCreateMatrix3I(&rect, dstplg.data(), out); });
}

TGPMatrix::~TGPMatrix() {
    detail::DeleteNative(Gdip().GdipDeleteMatrix, nativeMatrix);
}

std::unique_ptr<TGPMatrix> TGPMatrix::Clone() noexcept {
    GpMatrix* clone = nullptr;
    RecordStatus(Gdip().GdipCloneMatrix(nativeMatrix, &clone));
    if (lastResult != Ok) {
        // A copy that is not handed out is deleted, not leaked.
        if (clone) detail::DeleteNative(Gdip().GdipDeleteMatrix, clone);
        return nullptr;
    }
    return CreateFromNative(clone);
}

Status TGPMatrix::GetElements(TMatrixArray& m) noexcept {
    return RecordStatus(Gdip().GdipGetMatrixElements(nativeMatrix, m.data()));
}

Status TGPMatrix::SetElements(REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy) noexcept {
    return RecordStatus(Gdip().GdipSetMatrixElements(nativeMatrix, m11, m12, m21, m22, dx, dy));
}

REAL TGPMatrix::OffsetX() noexcept {
    TMatrixArray m{};
    return GetElements(m) == Ok ? m[4] : 0;
}

REAL TGPMatrix::OffsetY() noexcept {
    TMatrixArray m{};
    return GetElements(m) == Ok ? m[5] : 0;
}

Status TGPMatrix::Reset() noexcept {
    return SetElements(1, 0, 0, 1, 0, 0);
}

Status TGPMatrix::Multiply(const TGPMatrix* matrix, MatrixOrder order) noexcept {
    return RecordStatus(Gdip().GdipMultiplyMatrix(nativeMatrix, NativeOf(matrix), order));
}

Status TGPMatrix::Translate(REAL offsetX, REAL offsetY, MatrixOrder order) noexcept {
    return RecordStatus(Gdip().GdipTranslateMatrix(nativeMatrix, offsetX, offsetY, order));
}

Status TGPMatrix::Scale(REAL scaleX, REAL scaleY, MatrixOrder order) noexcept {
    return RecordStatus(Gdip().GdipScaleMatrix(nativeMatrix, scaleX, scaleY, order));
}

Status TGPMatrix::Rotate(REAL angle, MatrixOrder order) noexcept {
    return RecordStatus(Gdip().GdipRotateMatrix(nativeMatrix, angle, order));
}

Status TGPMatrix::RotateAt(REAL angle, const TGPPointF& center, MatrixOrder order) noexcept {
    // Whichever side the steps are added on, the one applied first to a point moves the centre
    // to the origin.
    const REAL sign = order == MatrixOrderPrepend ? 1.0f : -1.0f;
    Translate(sign * center.X, sign * center.Y, order);
    Rotate(angle, order);
    return Translate(-sign * center.X, -sign * center.Y, order);
}

Status TGPMatrix::Shear(REAL shearX, REAL shearY, MatrixOrder order) noexcept {
    return RecordStatus(Gdip().GdipShearMatrix(nativeMatrix, shearX, shearY, order));
}

Status TGPMatrix::Invert() noexcept {
    return RecordStatus(Gdip().GdipInvertMatrix(nativeMatrix));
}

Status TGPMatrix::TransformPoints(std::span<TGPPointF> pts) noexcept {
    return RecordStatus(Gdip().GdipTransformMatrixPoints(nativeMatrix, pts.data(), CountOf(pts)));
}

Status TGPMatrix::TransformPoints(std::span<TGPPoint> pts) noexcept {
    return RecordStatus(Gdip().GdipTransformMatrixPointsI(nativeMatrix, pts.data(), CountOf(pts)));
}

Status TGPMatrix::TransformVectors(std::span<TGPPointF> pts) noexcept {
    return RecordStatus(
        Gdip().GdipVectorTransformMatrixPoints(nativeMatrix, pts.data(), CountOf(pts)));
}

Status TGPMatrix::TransformVectors(std::span<TGPPoint> pts) noexcept {
    return RecordStatus(
        Gdip().GdipVectorTransformMatrixPointsI(nativeMatrix, pts.data(), CountOf(pts)));
}

bool TGPMatrix::IsInvertible() noexcept {
    BOOL result = FALSE;
    RecordStatus(Gdip().GdipIsMatrixInvertible(nativeMatrix, &result));
    return result != FALSE;
}

bool TGPMatrix::IsIdentity() noexcept {
    BOOL result = FALSE;
    RecordStatus(Gdip().GdipIsMatrixIdentity(nativeMatrix, &result));
    return result != FALSE;
}

bool TGPMatrix::Equals(const TGPMatrix* matrix) noexcept {
    BOOL result = FALSE;
    RecordStatus(Gdip().GdipIsMatrixEqual(nativeMatrix, NativeOf(matrix), &result));
    return result != FALSE;
}

Status TGPMatrix::GetLastStatus() noexcept {
    return std::exchange(lastResult, Ok);
}

// ---- TGPRegion
// -----------------------------------------------------------------------------------

TGPRegion::TGPRegion(GpRegion* handle) noexcept {
    AttachNative(handle);
}

std::unique_ptr<TGPRegion> TGPRegion::CreateFromNative(GpRegion* handle) noexcept {
    auto wrapper = GdipFactory::Make<TGPRegion>(handle);
    if (!wrapper && handle) detail::DeleteNative(Gdip().GdipDeleteRegion, handle);
    return wrapper;
}

template <typename Call> std::unique_ptr<TGPRegion> TGPRegion::Construct(Call&& call) noexcept {
    return GdipFactory::Construct<TGPRegion, GpRegion>(std::forward<Call>(call));
}

std::unique_ptr<TGPRegion> TGPRegion::Create() noexcept {
    return Construct([](GpRegion** out) { return Gdip().GdipCreateRegion(out); });
}

std::unique_ptr<TGPRegion> TGPRegion::Create(const TGPRectF& rect) noexcept {
    return Construct([&](GpRegion** out) { return Gdip().GdipCreateRegionRect(&rect, out); });
}

std::unique_ptr<TGPRegion> TGPRegion::Create(const TGPRect& rect) noexcept {
    return Construct([&](GpRegion** out) { return Gdip().GdipCreateRegionRectI(&rect, out); });
}

std::unique_ptr<TGPRegion> TGPRegion::Create(const TGPGraphicsPath* path) noexcept {
    return Construct(
        [&](GpRegion** out) { return Gdip().GdipCreateRegionPath(NativeOf(path), out); });
}

std::unique_ptr<TGPRegion> TGPRegion::Create(std::span<const BYTE> regionData) noexcept {
    return Construct([&](GpRegion** out) {
        return Gdip().GdipCreateRegionRgnData(regionData.data(), CountOf(regionData), out);
    });
}

std::unique_ptr<TGPRegion> TGPRegion::Create(HRGN hRgn) noexcept {
    return Construct([&](GpRegion** out) { return Gdip().GdipCreateRegionHrgn(hRgn, out); });
}

std::unique_ptr<TGPRegion> TGPRegion::FromHRGN(HRGN hRgn) noexcept {
    GpRegion* handle = nullptr;
    if (Gdip().GdipCreateRegionHrgn(hRgn, &handle) != Ok) return nullptr;
    return CreateFromNative(handle);
}

TGPRegion::~TGPRegion() {
    detail::DeleteNative(Gdip().GdipDeleteRegion, nativeRegion);
}

std::unique_ptr<TGPRegion> TGPRegion::Clone() noexcept {
    GpRegion* clone = nullptr;
    RecordStatus(Gdip().GdipCloneRegion(nativeRegion, &clone));
    return CreateFromNative(clone);
}

Status TGPRegion::MakeInfinite() noexcept {
    return RecordStatus(Gdip().GdipSetInfinite(nativeRegion));
}

Status TGPRegion::MakeEmpty() noexcept {
    return RecordStatus(Gdip().GdipSetEmpty(nativeRegion));
}

UINT TGPRegion::GetDataSize() noexcept {
    UINT size = 0;
    RecordStatus(Gdip().GdipGetRegionDataSize(nativeRegion, &size));
    return size;
}

Status TGPRegion::GetData(std::span<BYTE> buffer, UINT* sizeFilled) noexcept {
    return RecordStatus(Gdip().GdipGetRegionData(nativeRegion, buffer.data(),
                                                 static_cast<UINT>(buffer.size()), sizeFilled));
}

// ---- combining
// -----------------------------------------------------------------------------------

Status TGPRegion::Combine(const TGPRect& rect, CombineMode mode) noexcept {
    return RecordStatus(Gdip().GdipCombineRegionRectI(nativeRegion, &rect, mode));
}

Status TGPRegion::Combine(const TGPRectF& rect, CombineMode mode) noexcept {
    return RecordStatus(Gdip().GdipCombineRegionRect(nativeRegion, &rect, mode));
}

Status TGPRegion::Combine(const TGPGraphicsPath* path, CombineMode mode) noexcept {
    if (!path) return RecordStatus(InvalidParameter);
    return RecordStatus(Gdip().GdipCombineRegionPath(nativeRegion, path->Native(), mode));
}

Status TGPRegion::Combine(const TGPRegion* region, CombineMode mode) noexcept {
    if (!region) return RecordStatus(InvalidParameter);
    return RecordStatus(Gdip().GdipCombineRegionRegion(nativeRegion, region->nativeRegion, mode));
}

Status TGPRegion::Intersect(const TGPRect& rect) noexcept {
    return Combine(rect, CombineModeIntersect);
}
Status TGPRegion::Intersect(const TGPRectF& rect) noexcept {
    return Combine(rect, CombineModeIntersect);
}
Status TGPRegion::Intersect(const TGPGraphicsPath* path) noexcept {
    return Combine(path, CombineModeIntersect);
}
Status TGPRegion::Intersect(const TGPRegion* region) noexcept {
    return Combine(region, CombineModeIntersect);
}

Status TGPRegion::Union(const TGPRect& rect) noexcept {
    return Combine(rect, CombineModeUnion);
}
Status TGPRegion::Union(const TGPRectF& rect) noexcept {
    return Combine(rect, CombineModeUnion);
}
Status TGPRegion::Union(const TGPGraphicsPath* path) noexcept {
    return Combine(path, CombineModeUnion);
}
Status TGPRegion::Union(const TGPRegion* region) noexcept {
    return Combine(region, CombineModeUnion);
}

Status TGPRegion::Xor_(const TGPRect& rect) noexcept {
    return Combine(rect, CombineModeXor);
}
Status TGPRegion::Xor_(const TGPRectF& rect) noexcept {
    return Combine(rect, CombineModeXor);
}
Status TGPRegion::Xor_(const TGPGraphicsPath* path) noexcept {
    return Combine(path, CombineModeXor);
}
Status TGPRegion::Xor_(const TGPRegion* region) noexcept {
    return Combine(region, CombineModeXor);
}

Status TGPRegion::Exclude(const TGPRect& rect) noexcept {
    return Combine(rect, CombineModeExclude);
}
Status TGPRegion::Exclude(const TGPRectF& rect) noexcept {
    return Combine(rect, CombineModeExclude);
}
Status TGPRegion::Exclude(const TGPGraphicsPath* path) noexcept {
    return Combine(path, CombineModeExclude);
}
Status TGPRegion::Exclude(const TGPRegion* region) noexcept {
    return Combine(region, CombineModeExclude);
}

Status TGPRegion::Complement(const TGPRect& rect) noexcept {
    return Combine(rect, CombineModeComplement);
}
Status TGPRegion::Complement(const TGPRectF& rect) noexcept {
    return Combine(rect, CombineModeComplement);
}
Status TGPRegion::Complement(const TGPGraphicsPath* path) noexcept {
    return Combine(path, CombineModeComplement);
}
Status TGPRegion::Complement(const TGPRegion* region) noexcept {
    return Combine(region, CombineModeComplement);
}

// ---- transforms and queries
// ----------------------------------------------------------------------

Status TGPRegion::Translate(REAL dx, REAL dy) noexcept {
    return RecordStatus(Gdip().GdipTranslateRegion(nativeRegion, dx, dy));
}

Status TGPRegion::Translate(INT dx, INT dy) noexcept {
    return RecordStatus(Gdip().GdipTranslateRegionI(nativeRegion, dx, dy));
}

Status TGPRegion::Transform(const TGPMatrix* matrix) noexcept {
    return RecordStatus(Gdip().GdipTransformRegion(nativeRegion, NativeOf(matrix)));
}

Status TGPRegion::GetBounds(TGPRect& rect, const TGPGraphics* g) noexcept {
    if (!g) return RecordStatus(InvalidParameter);
    return RecordStatus(Gdip().GdipGetRegionBoundsI(nativeRegion, g->Native(), &rect));
}

Status TGPRegion::GetBounds(TGPRectF& rect, const TGPGraphics* g) noexcept {
    if (!g) return RecordStatus(InvalidParameter);
    return RecordStatus(Gdip().GdipGetRegionBounds(nativeRegion, g->Native(), &rect));
}

HRGN TGPRegion::GetHRGN(const TGPGraphics* g) noexcept {
    if (!g) {
        RecordStatus(InvalidParameter);
        return nullptr;
    }
    HRGN hRgn = nullptr;
    RecordStatus(Gdip().GdipGetRegionHRgn(nativeRegion, g->Native(), &hRgn));
    return hRgn;
}

bool TGPRegion::IsEmpty(const TGPGraphics* g) noexcept {
    if (!g) {
        RecordStatus(InvalidParameter);
        return false;
    }
    BOOL result = FALSE;
    RecordStatus(Gdip().GdipIsEmptyRegion(nativeRegion, g->Native(), &result));
    return result != FALSE;
}

bool TGPRegion::IsInfinite(const TGPGraphics* g) noexcept {
    if (!g) {
        RecordStatus(InvalidParameter);
        return false;
    }
    BOOL result = FALSE;
    RecordStatus(Gdip().GdipIsInfiniteRegion(nativeRegion, g->Native(), &result));
    return result != FALSE;
}

bool TGPRegion::Equals(const TGPRegion* region, const TGPGraphics* g) noexcept {
    if (!g) {
        RecordStatus(InvalidParameter);
        return false;
    }
    BOOL result = FALSE;
    RecordStatus(Gdip().GdipIsEqualRegion(nativeRegion, NativeOf(region), g->Native(), &result));
    return result != FALSE;
}

bool TGPRegion::IsVisible(INT x, INT y, const TGPGraphics* g) noexcept {
    BOOL result = FALSE;
    RecordStatus(Gdip().GdipIsVisibleRegionPointI(nativeRegion, x, y, NativeOf(g), &result));
    return result != FALSE;
}

bool TGPRegion::IsVisible(const TGPPoint& point, const TGPGraphics* g) noexcept {
    return IsVisible(point.X, point.Y, g);
}

bool TGPRegion::IsVisible(REAL x, REAL y, const TGPGraphics* g) noexcept {
    BOOL result = FALSE;
    RecordStatus(Gdip().GdipIsVisibleRegionPoint(nativeRegion, x, y, NativeOf(g), &result));
    return result != FALSE;
}

bool TGPRegion::IsVisible(const TGPPointF& point, const TGPGraphics* g) noexcept {
    return IsVisible(point.X, point.Y, g);
}

bool TGPRegion::IsVisible(INT x, INT y, INT width, INT height, const TGPGraphics* g) noexcept {
    BOOL result = FALSE;
    RecordStatus(
        Gdip().GdipIsVisibleRegionRectI(nativeRegion, x, y, width, height, NativeOf(g), &result));
    return result != FALSE;
}

bool TGPRegion::IsVisible(const TGPRect& rect, const TGPGraphics* g) noexcept {
    return IsVisible(rect.X, rect.Y, rect.Width, rect.Height, g);
}

bool TGPRegion::IsVisible(REAL x, REAL y, REAL width, REAL height, const TGPGraphics* g) noexcept {
    BOOL result = FALSE;
    RecordStatus(
        Gdip().GdipIsVisibleRegionRect(nativeRegion, x, y, width, height, NativeOf(g), &result));
    return result != FALSE;
}

bool TGPRegion::IsVisible(const TGPRectF& rect, const TGPGraphics* g) noexcept {
    return IsVisible(rect.X, rect.Y, rect.Width, rect.Height, g);
}

UINT TGPRegion::GetRegionScansCount(const TGPMatrix* matrix) noexcept {
    UINT count = 0;
    RecordStatus(Gdip().GdipGetRegionScansCount(nativeRegion, &count, NativeOf(matrix)));
    return count;
}

template <typename Rect, typename Flat>
Status TGPRegion::Scans(const TGPMatrix* matrix, std::span<Rect> rects, INT& count,
                        Flat flat) noexcept {
    // GDI+ writes every rectangle the region has, whatever room the caller gave: the room is
    // measured first.
    if (!rects.empty()) {
        UINT needed = 0;
        const Status counted =
            RecordStatus(Gdip().GdipGetRegionScansCount(nativeRegion, &needed, NativeOf(matrix)));
        if (counted != Ok) return counted;
        if (needed > rects.size()) {
            count = static_cast<INT>(needed);
            return RecordStatus(InsufficientBuffer);
        }
    }
    return RecordStatus(
        flat(nativeRegion, rects.empty() ? nullptr : rects.data(), &count, NativeOf(matrix)));
}

Status TGPRegion::GetRegionScans(const TGPMatrix* matrix, std::span<TGPRectF> rects,
                                 INT& count) noexcept {
    return Scans(matrix, rects, count, Gdip().GdipGetRegionScans);
}

Status TGPRegion::GetRegionScans(const TGPMatrix* matrix, std::span<TGPRect> rects,
                                 INT& count) noexcept {
    return Scans(matrix, rects, count, Gdip().GdipGetRegionScansI);
}

Status TGPRegion::GetLastStatus() noexcept {
    return std::exchange(lastResult, Ok);
}

} // namespace tn::gdiplus
