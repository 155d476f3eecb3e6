#include "gdiplus/Brush.h"

#include "gdiplus/GdipInternal.h"
#include "gdiplus/Image.h"
#include "gdiplus/ImageAttributes.h"
#include "gdiplus/MatrixRegion.h"

#include <algorithm>

namespace tn::gdiplus {
namespace {

// Two arrays read or written side by side: GDI+ never goes past the shorter one.
template <typename A, typename B> INT PairCount(std::span<A> a, std::span<B> b) noexcept {
    return static_cast<INT>(std::min(a.size(), b.size()));
}

} // namespace

// ---- TGPBrush
// ------------------------------------------------------------------------------------

TGPBrush::TGPBrush(GpBrush* handle, Status status) noexcept {
    lastResult = status;
    AttachNative(handle);
}

std::unique_ptr<TGPBrush> TGPBrush::CreateFromNative(GpBrush* handle, Status status) noexcept {
    auto wrapper = GdipFactory::Make<TGPBrush>(handle, status);
    if (!wrapper && handle) detail::DeleteNative(Gdip().GdipDeleteBrush, handle);
    return wrapper;
}

template <typename W, typename H, typename Call>
std::unique_ptr<W> TGPBrush::Construct(Call&& call) noexcept {
    return GdipFactory::Construct<W, H>(std::forward<Call>(call));
}

std::unique_ptr<TGPBrush> TGPBrush::Create() noexcept {
    auto brush = GdipFactory::Make<TGPBrush>();
    if (brush) brush->lastResult = NotImplemented;
    return brush;
}

TGPBrush::~TGPBrush() {
    detail::DeleteNative(Gdip().GdipDeleteBrush, nativeBrush);
}

std::unique_ptr<TGPBrush> TGPBrush::Clone() noexcept {
    GpBrush* clone = nullptr;
    RecordStatus(Gdip().GdipCloneBrush(nativeBrush, &clone));
    return CreateFromNative(clone, lastResult);
}

BrushType TGPBrush::GetType() noexcept {
    auto type = static_cast<BrushType>(-1);
    RecordStatus(Gdip().GdipGetBrushType(nativeBrush, &type));
    return type;
}

Status TGPBrush::GetLastStatus() noexcept {
    return std::exchange(lastResult, Ok);
}

// ---- TGPSolidBrush
// -------------------------------------------------------------------------------

std::unique_ptr<TGPSolidBrush> TGPSolidBrush::Create(ARGB color) noexcept {
    return Construct<TGPSolidBrush, GpSolidFill>(
        [&](GpSolidFill** out) { return Gdip().GdipCreateSolidFill(color, out); });
}

std::unique_ptr<TGPSolidBrush> TGPSolidBrush::Create() noexcept {
    return GdipFactory::Make<TGPSolidBrush>();
}

GpSolidFill* TGPSolidBrush::NativeFill() const noexcept {
    return static_cast<GpSolidFill*>(nativeBrush);
}

Status TGPSolidBrush::GetColor(ARGB& color) noexcept {
    RecordStatus(Gdip().GdipGetSolidFillColor(NativeFill(), &color));
    return lastResult;
}

Status TGPSolidBrush::SetColor(ARGB color) noexcept {
    return RecordStatus(Gdip().GdipSetSolidFillColor(NativeFill(), color));
}

// ---- TGPTextureBrush
// -----------------------------------------------------------------------------

namespace {

// The texture constructors' shared shape: no image, no call.
template <typename Call> auto TextureCall(const TGPImage* image, Call&& call) noexcept {
    return [image, &call](GpTexture** out) {
        return image ? call(image->Native(), out) : InvalidParameter;
    };
}

} // namespace

std::unique_ptr<TGPTextureBrush> TGPTextureBrush::Create(const TGPImage* image,
                                                         WrapMode wrapMode) noexcept {
    return Construct<TGPTextureBrush, GpTexture>(
        TextureCall(image, [&](GpImage* native, GpTexture** out) {
            return Gdip().GdipCreateTexture(native, wrapMode, out);
        }));
}

std::unique_ptr<TGPTextureBrush> TGPTextureBrush::Create(const TGPImage* image, WrapMode wrapMode,
                                                         const TGPRectF& dstRect) noexcept {
    return Create(image, wrapMode, dstRect.X, dstRect.Y, dstRect.Width, dstRect.Height);
}

std::unique_ptr<TGPTextureBrush>
TGPTextureBrush::Create(const TGPImage* image, const TGPRectF& dstRect,
                        const TGPImageAttributes* imageAttributes) noexcept {
    return Construct<TGPTextureBrush, GpTexture>(
        TextureCall(image, [&](GpImage* native, GpTexture** out) {
            return Gdip().GdipCreateTextureIA(native, NativeOf(imageAttributes), dstRect.X,
                                              dstRect.Y, dstRect.Width, dstRect.Height, out);
        }));
}

std::unique_ptr<TGPTextureBrush>
TGPTextureBrush::Create(const TGPImage* image, const TGPRect& dstRect,
                        const TGPImageAttributes* imageAttributes) noexcept {
    return Construct<TGPTextureBrush, GpTexture>(
        TextureCall(image, [&](GpImage* native, GpTexture** out) {
            return Gdip().GdipCreateTextureIAI(native, NativeOf(imageAttributes), dstRect.X,
                                               dstRect.Y, dstRect.Width, dstRect.Height, out);
        }));
}

std::unique_ptr<TGPTextureBrush> TGPTextureBrush::Create(const TGPImage* image, WrapMode wrapMode,
                                                         const TGPRect& dstRect) noexcept {
    return Create(image, wrapMode, dstRect.X, dstRect.Y, dstRect.Width, dstRect.Height);
}

std::unique_ptr<TGPTextureBrush> TGPTextureBrush::Create(const TGPImage* image, WrapMode wrapMode,
                                                         REAL dstX, REAL dstY, REAL dstWidth,
                                                         REAL dstHeight) noexcept {
    return Construct<TGPTextureBrush, GpTexture>(TextureCall(image, [&](GpImage* native,
                                                                        GpTexture** out) {
        return Gdip().GdipCreateTexture2(native, wrapMode, dstX, dstY, dstWidth, dstHeight, out);
    }));
}

std::unique_ptr<TGPTextureBrush> TGPTextureBrush::Create(const TGPImage* image, WrapMode wrapMode,
                                                         INT dstX, INT dstY, INT dstWidth,
                                                         INT dstHeight) noexcept {
    return Construct<TGPTextureBrush, GpTexture>(TextureCall(image, [&](GpImage* native,
                                                                        GpTexture** out) {
        return Gdip().GdipCreateTexture2I(native, wrapMode, dstX, dstY, dstWidth, dstHeight, out);
    }));
}

std::unique_ptr<TGPTextureBrush> TGPTextureBrush::Create() noexcept {
    return GdipFactory::Make<TGPTextureBrush>();
}

GpTexture* TGPTextureBrush::NativeTexture() const noexcept {
    return static_cast<GpTexture*>(nativeBrush);
}

Status TGPTextureBrush::SetTransform(const TGPMatrix* matrix) noexcept {
    return RecordStatus(Gdip().GdipSetTextureTransform(NativeTexture(), NativeOf(matrix)));
}

Status TGPTextureBrush::GetTransform(TGPMatrix* matrix) noexcept {
    return RecordStatus(Gdip().GdipGetTextureTransform(NativeTexture(), NativeOf(matrix)));
}

Status TGPTextureBrush::ResetTransform() noexcept {
    return RecordStatus(Gdip().GdipResetTextureTransform(NativeTexture()));
}

Status TGPTextureBrush::MultiplyTransform(const TGPMatrix* matrix, MatrixOrder order) noexcept {
    return RecordStatus(
        Gdip().GdipMultiplyTextureTransform(NativeTexture(), NativeOf(matrix), order));
}

Status TGPTextureBrush::TranslateTransform(REAL dx, REAL dy, MatrixOrder order) noexcept {
    return RecordStatus(Gdip().GdipTranslateTextureTransform(NativeTexture(), dx, dy, order));
}

Status TGPTextureBrush::ScaleTransform(REAL sx, REAL sy, MatrixOrder order) noexcept {
    return RecordStatus(Gdip().GdipScaleTextureTransform(NativeTexture(), sx, sy, order));
}

Status TGPTextureBrush::RotateTransform(REAL angle, MatrixOrder order) noexcept {
    return RecordStatus(Gdip().GdipRotateTextureTransform(NativeTexture(), angle, order));
}

Status TGPTextureBrush::SetWrapMode(WrapMode wrapMode) noexcept {
    return RecordStatus(Gdip().GdipSetTextureWrapMode(NativeTexture(), wrapMode));
}

WrapMode TGPTextureBrush::GetWrapMode() noexcept {
    WrapMode wrapMode = WrapModeTile;
    RecordStatus(Gdip().GdipGetTextureWrapMode(NativeTexture(), &wrapMode));
    return wrapMode;
}

std::unique_ptr<TGPImage> TGPTextureBrush::GetImage() noexcept {
    GpImage* image = nullptr;
    RecordStatus(Gdip().GdipGetTextureImage(NativeTexture(), &image));
    auto wrapper = GdipFactory::Make<TGPImage>(image, lastResult);
    if (!wrapper && image) detail::DeleteNative(Gdip().GdipDisposeImage, image);
    return wrapper;
}

// ---- TGPLinearGradientBrush
// ----------------------------------------------------------------------

std::unique_ptr<TGPLinearGradientBrush> TGPLinearGradientBrush::Create(const TGPPointF& point1,
                                                                       const TGPPointF& point2,
                                                                       ARGB color1,
                                                                       ARGB color2) noexcept {
    return Construct<TGPLinearGradientBrush, GpLineGradient>([&](GpLineGradient** out) {
        return Gdip().GdipCreateLineBrush(&point1, &point2, color1, color2, WrapModeTile, out);
    });
}

std::unique_ptr<TGPLinearGradientBrush> TGPLinearGradientBrush::Create(const TGPPoint& point1,
                                                                       const TGPPoint& point2,
                                                                       ARGB color1,
                                                                       ARGB color2) noexcept {
    return Construct<TGPLinearGradientBrush, GpLineGradient>([&](GpLineGradient** out) {
        return Gdip().GdipCreateLineBrushI(&point1, &point2, color1, color2, WrapModeTile, out);
    });
}

std::unique_ptr<TGPLinearGradientBrush>
TGPLinearGradientBrush::Create(const TGPRectF& rect, ARGB color1, ARGB color2,
                               LinearGradientMode mode) noexcept {
    return Construct<TGPLinearGradientBrush, GpLineGradient>([&](GpLineGradient** out) {
        return Gdip().GdipCreateLineBrushFromRect(&rect, color1, color2, mode, WrapModeTile, out);
    });
}

std::unique_ptr<TGPLinearGradientBrush>
TGPLinearGradientBrush::Create(const TGPRect& rect, ARGB color1, ARGB color2,
                               LinearGradientMode mode) noexcept {
    return Construct<TGPLinearGradientBrush, GpLineGradient>([&](GpLineGradient** out) {
        return Gdip().GdipCreateLineBrushFromRectI(&rect, color1, color2, mode, WrapModeTile, out);
    });
}

std::unique_ptr<TGPLinearGradientBrush>
TGPLinearGradientBrush::Create(const TGPRectF& rect, ARGB color1, ARGB color2, REAL angle,
                               bool isAngleScalable) noexcept {
    return Construct<TGPLinearGradientBrush, GpLineGradient>([&](GpLineGradient** out) {
        return Gdip().GdipCreateLineBrushFromRectWithAngle(
            &rect, color1, color2, angle, isAngleScalable ? TRUE : FALSE, WrapModeTile, out);
    });
}

std::unique_ptr<TGPLinearGradientBrush>
TGPLinearGradientBrush::Create(const TGPRect& rect, ARGB color1, ARGB color2, REAL angle,
                               bool isAngleScalable) noexcept {
    return Construct<TGPLinearGradientBrush, GpLineGradient>([&](GpLineGradient** out) {
        return Gdip().GdipCreateLineBrushFromRectWithAngleI(
            &rect, color1, color2, angle, isAngleScalable ? TRUE : FALSE, WrapModeTile, out);
    });
}

std::unique_ptr<TGPLinearGradientBrush> TGPLinearGradientBrush::Create() noexcept {
    return GdipFactory::Make<TGPLinearGradientBrush>();
}

GpLineGradient* TGPLinearGradientBrush::NativeGradient() const noexcept {
    return static_cast<GpLineGradient*>(nativeBrush);
}

Status TGPLinearGradientBrush::SetLinearColors(ARGB color1, ARGB color2) noexcept {
    return RecordStatus(Gdip().GdipSetLineColors(NativeGradient(), color1, color2));
}

Status TGPLinearGradientBrush::GetLinearColors(ARGB& color1, ARGB& color2) noexcept {
    ARGB colors[2] = {};
    RecordStatus(Gdip().GdipGetLineColors(NativeGradient(), colors));
    if (lastResult == Ok) {
        color1 = colors[0];
        color2 = colors[1];
    }
    return lastResult;
}

Status TGPLinearGradientBrush::GetRectangle(TGPRectF& rect) noexcept {
    return RecordStatus(Gdip().GdipGetLineRect(NativeGradient(), &rect));
}

Status TGPLinearGradientBrush::GetRectangle(TGPRect& rect) noexcept {
    return RecordStatus(Gdip().GdipGetLineRectI(NativeGradient(), &rect));
}

Status TGPLinearGradientBrush::SetGammaCorrection(bool useGammaCorrection) noexcept {
    return RecordStatus(
        Gdip().GdipSetLineGammaCorrection(NativeGradient(), useGammaCorrection ? TRUE : FALSE));
}

bool TGPLinearGradientBrush::GetGammaCorrection() noexcept {
    BOOL useGammaCorrection = FALSE;
    RecordStatus(Gdip().GdipGetLineGammaCorrection(NativeGradient(), &useGammaCorrection));
    return useGammaCorrection != FALSE;
}

INT TGPLinearGradientBrush::GetBlendCount() noexcept {
    INT count = 0;
    RecordStatus(Gdip().GdipGetLineBlendCount(NativeGradient(), &count));
    return count;
}

Status TGPLinearGradientBrush::SetBlend(std::span<const REAL> blendFactors,
                                        std::span<const REAL> blendPositions) noexcept {
    return RecordStatus(Gdip().GdipSetLineBlend(NativeGradient(), blendFactors.data(),
                                                blendPositions.data(),
                                                PairCount(blendFactors, blendPositions)));
}

Status TGPLinearGradientBrush::GetBlend(std::span<REAL> blendFactors,
                                        std::span<REAL> blendPositions) noexcept {
    const INT count = PairCount(blendFactors, blendPositions);
    if (count <= 0 || !blendFactors.data() || !blendPositions.data())
        return RecordStatus(InvalidParameter);
    return RecordStatus(Gdip().GdipGetLineBlend(NativeGradient(), blendFactors.data(),
                                                blendPositions.data(), count));
}

INT TGPLinearGradientBrush::GetInterpolationColorCount() noexcept {
    INT count = 0;
    RecordStatus(Gdip().GdipGetLinePresetBlendCount(NativeGradient(), &count));
    return count;
}

Status
TGPLinearGradientBrush::SetInterpolationColors(std::span<const ARGB> presetColors,
                                               std::span<const REAL> blendPositions) noexcept {
    const INT count = PairCount(presetColors, blendPositions);
    if (count <= 0) return RecordStatus(InvalidParameter);
    return RecordStatus(Gdip().GdipSetLinePresetBlend(NativeGradient(), presetColors.data(),
                                                      blendPositions.data(), count));
}

Status TGPLinearGradientBrush::GetInterpolationColors(std::span<ARGB> presetColors,
                                                      std::span<REAL> blendPositions) noexcept {
    const INT count = PairCount(presetColors, blendPositions);
    if (count <= 0) return RecordStatus(InvalidParameter);
    return RecordStatus(Gdip().GdipGetLinePresetBlend(NativeGradient(), presetColors.data(),
                                                      blendPositions.data(), count));
}

Status TGPLinearGradientBrush::SetBlendBellShape(REAL focus, REAL scale) noexcept {
    return RecordStatus(Gdip().GdipSetLineSigmaBlend(NativeGradient(), focus, scale));
}

Status TGPLinearGradientBrush::SetBlendTriangularShape(REAL focus, REAL scale) noexcept {
    return RecordStatus(Gdip().GdipSetLineLinearBlend(NativeGradient(), focus, scale));
}

Status TGPLinearGradientBrush::SetTransform(const TGPMatrix* matrix) noexcept {
    return RecordStatus(Gdip().GdipSetLineTransform(NativeGradient(), NativeOf(matrix)));
}

Status TGPLinearGradientBrush::GetTransform(TGPMatrix* matrix) noexcept {
    return RecordStatus(Gdip().GdipGetLineTransform(NativeGradient(), NativeOf(matrix)));
}

Status TGPLinearGradientBrush::ResetTransform() noexcept {
    return RecordStatus(Gdip().GdipResetLineTransform(NativeGradient()));
}

Status TGPLinearGradientBrush::MultiplyTransform(const TGPMatrix* matrix,
                                                 MatrixOrder order) noexcept {
    return RecordStatus(
        Gdip().GdipMultiplyLineTransform(NativeGradient(), NativeOf(matrix), order));
}

Status TGPLinearGradientBrush::TranslateTransform(REAL dx, REAL dy, MatrixOrder order) noexcept {
    return RecordStatus(Gdip().GdipTranslateLineTransform(NativeGradient(), dx, dy, order));
}

Status TGPLinearGradientBrush::ScaleTransform(REAL sx, REAL sy, MatrixOrder order) noexcept {
    return RecordStatus(Gdip().GdipScaleLineTransform(NativeGradient(), sx, sy, order));
}

Status TGPLinearGradientBrush::RotateTransform(REAL angle, MatrixOrder order) noexcept {
    return RecordStatus(Gdip().GdipRotateLineTransform(NativeGradient(), angle, order));
}

Status TGPLinearGradientBrush::SetWrapMode(WrapMode wrapMode) noexcept {
    return RecordStatus(Gdip().GdipSetLineWrapMode(NativeGradient(), wrapMode));
}

WrapMode TGPLinearGradientBrush::GetWrapMode() noexcept {
    WrapMode wrapMode = WrapModeTile;
    RecordStatus(Gdip().GdipGetLineWrapMode(NativeGradient(), &wrapMode));
    return wrapMode;
}

// ---- TGPHatchBrush
// -------------------------------------------------------------------------------

std::unique_ptr<TGPHatchBrush> TGPHatchBrush::Create(HatchStyle hatchStyle, ARGB foreColor,
                                                     ARGB backColor) noexcept {
    return Construct<TGPHatchBrush, GpHatch>([&](GpHatch** out) {
        return Gdip().GdipCreateHatchBrush(hatchStyle, foreColor, backColor, out);
    });
}

std::unique_ptr<TGPHatchBrush> TGPHatchBrush::Create() noexcept {
    return GdipFactory::Make<TGPHatchBrush>();
}

GpHatch* TGPHatchBrush::NativeHatch() const noexcept {
    return static_cast<GpHatch*>(nativeBrush);
}

HatchStyle TGPHatchBrush::GetHatchStyle() noexcept {
    HatchStyle hatchStyle = HatchStyleHorizontal;
    RecordStatus(Gdip().GdipGetHatchStyle(NativeHatch(), &hatchStyle));
    return hatchStyle;
}

Status TGPHatchBrush::GetForegroundColor(ARGB& color) noexcept {
    return RecordStatus(Gdip().GdipGetHatchForegroundColor(NativeHatch(), &color));
}

Status TGPHatchBrush::GetBackgroundColor(ARGB& color) noexcept {
    return RecordStatus(Gdip().GdipGetHatchBackgroundColor(NativeHatch(), &color));
}

} // namespace tn::gdiplus
