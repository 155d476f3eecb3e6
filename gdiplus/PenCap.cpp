#include "gdiplus/PenCap.h"

#include "gdiplus/GdipInternal.h"
#include "gdiplus/GraphicsPath.h"
#include "gdiplus/MatrixRegion.h"

namespace tn::gdiplus {

// ---- TGPPen
// --------------------------------------------------------------------------------------

TGPPen::TGPPen(GpPen* handle, Status status) noexcept {
    lastResult = status;
    AttachNative(handle);
}

std::unique_ptr<TGPPen> TGPPen::CreateFromNative(GpPen* handle, Status status) noexcept {
    auto wrapper = GdipFactory::Make<TGPPen>(handle, status);
    if (!wrapper && handle) detail::DeleteNative(Gdip().GdipDeletePen, handle);
    return wrapper;
}

template <typename Call> std::unique_ptr<TGPPen> TGPPen::Construct(Call&& call) noexcept {
    return GdipFactory::Construct<TGPPen, GpPen>(std::forward<Call>(call));
}

std::unique_ptr<TGPPen> TGPPen::Create(ARGB color, REAL width) noexcept {
    return Construct(
        [&](GpPen** out) { return Gdip().GdipCreatePen1(color, width, UnitWorld, out); });
}

std::unique_ptr<TGPPen> TGPPen::Create(const TGPBrush* brush, REAL width) noexcept {
    return Construct([&](GpPen** out) {
        if (!brush) return InvalidParameter;
        return Gdip().GdipCreatePen2(brush->Native(), width, UnitWorld, out);
    });
}

TGPPen::~TGPPen() {
    detail::DeleteNative(Gdip().GdipDeletePen, nativePen);
}

std::unique_ptr<TGPPen> TGPPen::Clone() noexcept {
    GpPen* clone = nullptr;
    lastResult = Gdip().GdipClonePen(nativePen, &clone);
    return CreateFromNative(clone, lastResult);
}

Status TGPPen::SetWidth(REAL width) noexcept {
    return RecordStatus(Gdip().GdipSetPenWidth(nativePen, width));
}

REAL TGPPen::GetWidth() noexcept {
    REAL width = 0;
    RecordStatus(Gdip().GdipGetPenWidth(nativePen, &width));
    return width;
}

Status TGPPen::SetLineCap(LineCap startCap, LineCap endCap, DashCap dashCap) noexcept {
    return RecordStatus(Gdip().GdipSetPenLineCap197819(nativePen, startCap, endCap, dashCap));
}

Status TGPPen::SetStartCap(LineCap startCap) noexcept {
    return RecordStatus(Gdip().GdipSetPenStartCap(nativePen, startCap));
}

Status TGPPen::SetEndCap(LineCap endCap) noexcept {
    return RecordStatus(Gdip().GdipSetPenEndCap(nativePen, endCap));
}

Status TGPPen::SetDashCap(DashCap dashCap) noexcept {
    return RecordStatus(Gdip().GdipSetPenDashCap197819(nativePen, dashCap));
}

LineCap TGPPen::GetStartCap() noexcept {
    LineCap cap = LineCapFlat;
    RecordStatus(Gdip().GdipGetPenStartCap(nativePen, &cap));
    return cap;
}

LineCap TGPPen::GetEndCap() noexcept {
    LineCap cap = LineCapFlat;
    RecordStatus(Gdip().GdipGetPenEndCap(nativePen, &cap));
    return cap;
}

DashCap TGPPen::GetDashCap() noexcept {
    DashCap cap = DashCapFlat;
    RecordStatus(Gdip().GdipGetPenDashCap197819(nativePen, &cap));
    return cap;
}

Status TGPPen::SetLineJoin(LineJoin lineJoin) noexcept {
    return RecordStatus(Gdip().GdipSetPenLineJoin(nativePen, lineJoin));
}

LineJoin TGPPen::GetLineJoin() noexcept {
    LineJoin join = LineJoinMiter;
    RecordStatus(Gdip().GdipGetPenLineJoin(nativePen, &join));
    return join;
}

Status TGPPen::SetCustomStartCap(const TGPCustomLineCap* customCap) noexcept {
    return RecordStatus(Gdip().GdipSetPenCustomStartCap(nativePen, NativeOf(customCap)));
}

Status TGPPen::SetCustomEndCap(const TGPCustomLineCap* customCap) noexcept {
    return RecordStatus(Gdip().GdipSetPenCustomEndCap(nativePen, NativeOf(customCap)));
}

// GDI+ writes into the cap's own handle: a call that writes nothing leaves the cap as it was, one
// that writes a new handle replaces the old, which is deleted rather than lost.
Status TGPPen::GetCustomCap(CapGetter get, TGPCustomLineCap* customCap) noexcept {
    if (!customCap) return RecordStatus(InvalidParameter);
    GpCustomLineCap* handle = customCap->nativeCap;
    const Status status = RecordStatus(get(nativePen, &handle));
    customCap->ReplaceNative(handle);
    return status;
}

Status TGPPen::GetCustomStartCap(TGPCustomLineCap* customCap) noexcept {
    return GetCustomCap(Gdip().GdipGetPenCustomStartCap, customCap);
}

Status TGPPen::GetCustomEndCap(TGPCustomLineCap* customCap) noexcept {
    return GetCustomCap(Gdip().GdipGetPenCustomEndCap, customCap);
}

Status TGPPen::SetMiterLimit(REAL miterLimit) noexcept {
    return RecordStatus(Gdip().GdipSetPenMiterLimit(nativePen, miterLimit));
}

REAL TGPPen::GetMiterLimit() noexcept {
    REAL limit = 0;
    RecordStatus(Gdip().GdipGetPenMiterLimit(nativePen, &limit));
    return limit;
}

// GDI+ calls a pen's alignment its mode.
Status TGPPen::SetAlignment(PenAlignment penAlignment) noexcept {
    return RecordStatus(Gdip().GdipSetPenMode(nativePen, penAlignment));
}

PenAlignment TGPPen::GetAlignment() noexcept {
    PenAlignment alignment = PenAlignmentCenter;
    RecordStatus(Gdip().GdipGetPenMode(nativePen, &alignment));
    return alignment;
}

Status TGPPen::SetTransform(const TGPMatrix* matrix) noexcept {
    if (!matrix) return RecordStatus(InvalidParameter);
    return RecordStatus(Gdip().GdipSetPenTransform(nativePen, matrix->Native()));
}

Status TGPPen::GetTransform(TGPMatrix* matrix) noexcept {
    return RecordStatus(Gdip().GdipGetPenTransform(nativePen, NativeOf(matrix)));
}

Status TGPPen::ResetTransform() noexcept {
    return RecordStatus(Gdip().GdipResetPenTransform(nativePen));
}

Status TGPPen::MultiplyTransform(const TGPMatrix* matrix, MatrixOrder order) noexcept {
    return RecordStatus(Gdip().GdipMultiplyPenTransform(nativePen, NativeOf(matrix), order));
}

Status TGPPen::TranslateTransform(REAL dx, REAL dy, MatrixOrder order) noexcept {
    return RecordStatus(Gdip().GdipTranslatePenTransform(nativePen, dx, dy, order));
}

Status TGPPen::ScaleTransform(REAL sx, REAL sy, MatrixOrder order) noexcept {
    return RecordStatus(Gdip().GdipScalePenTransform(nativePen, sx, sy, order));
}

Status TGPPen::RotateTransform(REAL angle, MatrixOrder order) noexcept {
    return RecordStatus(Gdip().GdipRotatePenTransform(nativePen, angle, order));
}

INT TGPPen::GetPenType() noexcept {
    INT type = 0;
    RecordStatus(Gdip().GdipGetPenFillType(nativePen, &type));
    return type;
}

Status TGPPen::SetColor(ARGB color) noexcept {
    return RecordStatus(Gdip().GdipSetPenColor(nativePen, color));
}

Status TGPPen::SetBrush(const TGPBrush* brush) noexcept {
    return RecordStatus(Gdip().GdipSetPenBrushFill(nativePen, NativeOf(brush)));
}

Status TGPPen::GetColor(ARGB& color) noexcept {
    if (GetPenType() != BrushTypeSolidColor) return WrongState;
    ARGB argb = 0;
    RecordStatus(Gdip().GdipGetPenColor(nativePen, &argb));
    if (lastResult == Ok) color = argb;
    return lastResult;
}

std::unique_ptr<TGPBrush> TGPPen::GetBrush() noexcept {
    std::unique_ptr<TGPBrush> brush;
    switch (GetPenType()) {
    case BrushTypeSolidColor:
        brush = GdipFactory::Make<TGPSolidBrush>();
        break;
    case BrushTypeHatchFill:
        brush = GdipFactory::Make<TGPHatchBrush>();
        break;
    case BrushTypeTextureFill:
        brush = GdipFactory::Make<TGPTextureBrush>();
        break;
    case BrushTypePathGradient:
        // No path-gradient class: a plain brush, which says so from its first GetLastStatus.
        brush = GdipFactory::Make<TGPBrush>();
        if (brush) brush->RecordStatus(NotImplemented);
        break;
    case BrushTypeLinearGradient:
        brush = GdipFactory::Make<TGPLinearGradientBrush>();
        break;
    default:
        return nullptr;
    }
    if (!brush) return nullptr;
    GpBrush* fill = nullptr;
    RecordStatus(Gdip().GdipGetPenBrushFill(nativePen, &fill));
    brush->AttachNative(fill);
    return brush;
}

DashStyle TGPPen::GetDashStyle() noexcept {
    DashStyle style = DashStyleSolid;
    RecordStatus(Gdip().GdipGetPenDashStyle(nativePen, &style));
    return style;
}

Status TGPPen::SetDashStyle(DashStyle dashStyle) noexcept {
    return RecordStatus(Gdip().GdipSetPenDashStyle(nativePen, dashStyle));
}

REAL TGPPen::GetDashOffset() noexcept {
    REAL offset = 0;
    RecordStatus(Gdip().GdipGetPenDashOffset(nativePen, &offset));
    return offset;
}

Status TGPPen::SetDashOffset(REAL dashOffset) noexcept {
    return RecordStatus(Gdip().GdipSetPenDashOffset(nativePen, dashOffset));
}

Status TGPPen::SetDashPattern(std::span<const REAL> dashArray) noexcept {
    return RecordStatus(Gdip().GdipSetPenDashArray(nativePen, dashArray.data(),
                                                   static_cast<INT>(dashArray.size())));
}

INT TGPPen::GetDashPatternCount() noexcept {
    INT count = 0;
    RecordStatus(Gdip().GdipGetPenDashCount(nativePen, &count));
    return count;
}

Status TGPPen::GetDashPattern(std::span<REAL> dashArray) noexcept {
    return RecordStatus(Gdip().GdipGetPenDashArray(nativePen, dashArray.data(),
                                                   static_cast<INT>(dashArray.size())));
}

Status TGPPen::SetCompoundArray(std::span<const REAL> compoundArray) noexcept {
    return RecordStatus(Gdip().GdipSetPenCompoundArray(nativePen, compoundArray.data(),
                                                       static_cast<INT>(compoundArray.size())));
}

INT TGPPen::GetCompoundArrayCount() noexcept {
    INT count = 0;
    RecordStatus(Gdip().GdipGetPenCompoundCount(nativePen, &count));
    return count;
}

Status TGPPen::GetCompoundArray(std::span<REAL> compoundArray) noexcept {
    if (compoundArray.empty()) return RecordStatus(InvalidParameter);
    return RecordStatus(Gdip().GdipGetPenCompoundArray(nativePen, compoundArray.data(),
                                                       static_cast<INT>(compoundArray.size())));
}

Status TGPPen::GetLastStatus() noexcept {
    return std::exchange(lastResult, Ok);
}

// ---- TGPCustomLineCap
// ----------------------------------------------------------------------------

TGPCustomLineCap::TGPCustomLineCap(GpCustomLineCap* handle, Status status) noexcept {
    lastResult = status;
    AttachNative(handle);
}

std::unique_ptr<TGPCustomLineCap> TGPCustomLineCap::CreateFromNative(GpCustomLineCap* handle,
                                                                     Status status) noexcept {
    auto wrapper = GdipFactory::Make<TGPCustomLineCap>(handle, status);
    if (!wrapper && handle) detail::DeleteNative(Gdip().GdipDeleteCustomLineCap, handle);
    return wrapper;
}

std::unique_ptr<TGPCustomLineCap> TGPCustomLineCap::Create(const TGPGraphicsPath* fillPath,
                                                           const TGPGraphicsPath* strokePath,
                                                           LineCap baseCap,
                                                           REAL baseInset) noexcept {
    auto cap = GdipFactory::Make<TGPCustomLineCap>();
    if (!cap) return nullptr;
    GpCustomLineCap* handle = nullptr;
    cap->lastResult = Gdip().GdipCreateCustomLineCap(NativeOf(fillPath), NativeOf(strokePath),
                                                     baseCap, baseInset, &handle);
    cap->AttachNative(handle);
    return cap;
}

std::unique_ptr<TGPCustomLineCap> TGPCustomLineCap::Create() noexcept {
    return GdipFactory::Make<TGPCustomLineCap>();
}

void TGPCustomLineCap::ReplaceNative(GpCustomLineCap* handle) noexcept {
    if (nativeCap && nativeCap != handle)
        detail::DeleteNative(Gdip().GdipDeleteCustomLineCap, nativeCap);
    AttachNative(handle);
}

TGPCustomLineCap::~TGPCustomLineCap() {
    detail::DeleteNative(Gdip().GdipDeleteCustomLineCap, nativeCap);
}

std::unique_ptr<TGPCustomLineCap> TGPCustomLineCap::Clone() noexcept {
    GpCustomLineCap* clone = nullptr;
    RecordStatus(Gdip().GdipCloneCustomLineCap(nativeCap, &clone));
    // Refused for a kept failure, the copy nobody will own is deleted; the failure stays.
    if (lastResult != Ok) {
        if (clone) detail::DeleteNative(Gdip().GdipDeleteCustomLineCap, clone);
        return nullptr;
    }
    auto wrapper = GdipFactory::Make<TGPCustomLineCap>(clone, Ok);
    if (!wrapper && clone) RecordStatus(Gdip().GdipDeleteCustomLineCap(clone));
    return wrapper;
}

Status TGPCustomLineCap::SetStrokeCap(LineCap strokeCap) noexcept {
    return SetStrokeCaps(strokeCap, strokeCap);
}

Status TGPCustomLineCap::SetStrokeCaps(LineCap startCap, LineCap endCap) noexcept {
    return RecordStatus(Gdip().GdipSetCustomLineCapStrokeCaps(nativeCap, startCap, endCap));
}

Status TGPCustomLineCap::GetStrokeCaps(LineCap& startCap, LineCap& endCap) noexcept {
    return RecordStatus(Gdip().GdipGetCustomLineCapStrokeCaps(nativeCap, &startCap, &endCap));
}

Status TGPCustomLineCap::SetStrokeJoin(LineJoin lineJoin) noexcept {
    return RecordStatus(Gdip().GdipSetCustomLineCapStrokeJoin(nativeCap, lineJoin));
}

LineJoin TGPCustomLineCap::GetStrokeJoin() noexcept {
    LineJoin join = LineJoinMiter;
    RecordStatus(Gdip().GdipGetCustomLineCapStrokeJoin(nativeCap, &join));
    return join;
}

Status TGPCustomLineCap::SetBaseCap(LineCap baseCap) noexcept {
    return RecordStatus(Gdip().GdipSetCustomLineCapBaseCap(nativeCap, baseCap));
}

LineCap TGPCustomLineCap::GetBaseCap() noexcept {
    LineCap cap = LineCapFlat;
    RecordStatus(Gdip().GdipGetCustomLineCapBaseCap(nativeCap, &cap));
    return cap;
}

Status TGPCustomLineCap::SetBaseInset(REAL inset) noexcept {
    return RecordStatus(Gdip().GdipSetCustomLineCapBaseInset(nativeCap, inset));
}

REAL TGPCustomLineCap::GetBaseInset() noexcept {
    REAL inset = 0;
    RecordStatus(Gdip().GdipGetCustomLineCapBaseInset(nativeCap, &inset));
    return inset;
}

Status TGPCustomLineCap::SetWidthScale(REAL widthScale) noexcept {
    return RecordStatus(Gdip().GdipSetCustomLineCapWidthScale(nativeCap, widthScale));
}

REAL TGPCustomLineCap::GetWidthScale() noexcept {
    REAL scale = 0;
    RecordStatus(Gdip().GdipGetCustomLineCapWidthScale(nativeCap, &scale));
    return scale;
}

Status TGPCustomLineCap::GetLastStatus() noexcept {
    return std::exchange(lastResult, Ok);
}

} // namespace tn::gdiplus
