// Brush wrappers: the base class holds any kind of GDI+ brush; each descendant adds one kind.
// Constructors keep the creating call's status whatever it is; only a failed allocation gives no
// object. Float and integer overloads call the flat functions without and with the suffix "I".
#pragma once

#include "gdiplus/GdiplusBase.h"

#include <span>

namespace tn::gdiplus {

class TGPImage;
class TGPImageAttributes;
class TGPMatrix;
class TGPPen;

class TGPBrush : public TGdiplusBase {
public:
    // No native object: NotImplemented is kept.
    [[nodiscard]] static std::unique_ptr<TGPBrush> Create() noexcept;
    ~TGPBrush() override;

    [[nodiscard]] GpBrush* Native() const noexcept { return nativeBrush; }

    // For every kind a plain TGPBrush around the copy, carrying this brush's status.
    [[nodiscard]] virtual std::unique_ptr<TGPBrush> Clone() noexcept;
    // -1 when the call fails.
    [[nodiscard]] BrushType GetType() noexcept;
    // The kept status; reading it resets it to Ok.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    // A pen hands its fill to an empty brush of the matching kind.
    friend class TGPPen;
    TGPBrush() noexcept = default;
    TGPBrush(GpBrush* handle, Status status) noexcept;
    // Wraps an existing handle; when no wrapper can be made the handle is deleted.
    [[nodiscard]] static std::unique_ptr<TGPBrush> CreateFromNative(GpBrush* handle,
                                                                    Status status) noexcept;
    // Runs one creating call into a fresh wrapper of class W and keeps its status.
    template <typename W, typename H, typename Call>
    static std::unique_ptr<W> Construct(Call&& call) noexcept;
    void AttachNative(GpBrush* handle) noexcept { nativeBrush = handle; }
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastResult, status); }

    GpBrush* nativeBrush = nullptr;
    Status lastResult = Ok;
};

class TGPSolidBrush : public TGPBrush {
public:
    [[nodiscard]] static std::unique_ptr<TGPSolidBrush> Create(ARGB color) noexcept;
    // No native object and nothing kept.
    [[nodiscard]] static std::unique_ptr<TGPSolidBrush> Create() noexcept;

    // GDI+ writes the colour; the result is the kept status, an earlier unread failure included.
    Status GetColor(ARGB& color) noexcept;
    Status SetColor(ARGB color) noexcept;

protected:
    friend struct GdipFactory;
    TGPSolidBrush() noexcept = default;

private:
    [[nodiscard]] GpSolidFill* NativeFill() const noexcept;
};

// The image is required by every constructor (InvalidParameter, kept, without a call); the brush
// does not keep the image wrapper.
class TGPTextureBrush : public TGPBrush {
public:
    [[nodiscard]] static std::unique_ptr<TGPTextureBrush> Create(const TGPImage* image,
                                                                 WrapMode wrapMode) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPTextureBrush>
    Create(const TGPImage* image, WrapMode wrapMode, const TGPRectF& dstRect) noexcept;
    // No attributes passes none.
    [[nodiscard]] static std::unique_ptr<TGPTextureBrush>
    Create(const TGPImage* image, const TGPRectF& dstRect,
           const TGPImageAttributes* imageAttributes = nullptr) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPTextureBrush>
    Create(const TGPImage* image, const TGPRect& dstRect,
           const TGPImageAttributes* imageAttributes = nullptr) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPTextureBrush>
    Create(const TGPImage* image, WrapMode wrapMode, const TGPRect& dstRect) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPTextureBrush> Create(const TGPImage* image,
                                                                 WrapMode wrapMode, REAL dstX,
                                                                 REAL dstY, REAL dstWidth,
                                                                 REAL dstHeight) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPTextureBrush> Create(const TGPImage* image,
                                                                 WrapMode wrapMode, INT dstX,
                                                                 INT dstY, INT dstWidth,
                                                                 INT dstHeight) noexcept;
    // No native object and nothing kept.
    [[nodiscard]] static std::unique_ptr<TGPTextureBrush> Create() noexcept;

    Status SetTransform(const TGPMatrix* matrix) noexcept;
    // GDI+ writes the transform into the given matrix.
    Status GetTransform(TGPMatrix* matrix) noexcept;
    Status ResetTransform() noexcept;
    Status MultiplyTransform(const TGPMatrix* matrix,
                             MatrixOrder order = MatrixOrderPrepend) noexcept;
    Status TranslateTransform(REAL dx, REAL dy, MatrixOrder order = MatrixOrderPrepend) noexcept;
    Status ScaleTransform(REAL sx, REAL sy, MatrixOrder order = MatrixOrderPrepend) noexcept;
    Status RotateTransform(REAL angle, MatrixOrder order = MatrixOrderPrepend) noexcept;
    Status SetWrapMode(WrapMode wrapMode) noexcept;
    [[nodiscard]] WrapMode GetWrapMode() noexcept;
    // A new image owned by the caller, carrying this brush's status.
    [[nodiscard]] std::unique_ptr<TGPImage> GetImage() noexcept;

protected:
    friend struct GdipFactory;
    TGPTextureBrush() noexcept = default;

private:
    [[nodiscard]] GpTexture* NativeTexture() const noexcept;
};

// Every gradient starts with wrap mode WrapModeTile. Arrays are spans; GDI+ is given the smaller
// of the two sizes as the count.
class TGPLinearGradientBrush : public TGPBrush {
public:
    [[nodiscard]] static std::unique_ptr<TGPLinearGradientBrush>
    Create(const TGPPointF& point1, const TGPPointF& point2, ARGB color1, ARGB color2) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPLinearGradientBrush>
    Create(const TGPPoint& point1, const TGPPoint& point2, ARGB color1, ARGB color2) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPLinearGradientBrush>
    Create(const TGPRectF& rect, ARGB color1, ARGB color2, LinearGradientMode mode) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPLinearGradientBrush>
    Create(const TGPRect& rect, ARGB color1, ARGB color2, LinearGradientMode mode) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPLinearGradientBrush>
    Create(const TGPRectF& rect, ARGB color1, ARGB color2, REAL angle,
           bool isAngleScalable) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPLinearGradientBrush>
    Create(const TGPRect& rect, ARGB color1, ARGB color2, REAL angle,
           bool isAngleScalable) noexcept;
    // No native object and nothing kept.
    [[nodiscard]] static std::unique_ptr<TGPLinearGradientBrush> Create() noexcept;

    Status SetLinearColors(ARGB color1, ARGB color2) noexcept;
    // The result is the kept status; both colours are written only when it is Ok.
    Status GetLinearColors(ARGB& color1, ARGB& color2) noexcept;
    Status GetRectangle(TGPRectF& rect) noexcept;
    Status GetRectangle(TGPRect& rect) noexcept;
    Status SetGammaCorrection(bool useGammaCorrection) noexcept;
    [[nodiscard]] bool GetGammaCorrection() noexcept;
    [[nodiscard]] INT GetBlendCount() noexcept;
    Status SetBlend(std::span<const REAL> blendFactors,
                    std::span<const REAL> blendPositions) noexcept;
    // Both spans non-empty, else InvalidParameter, kept, without a call.
    Status GetBlend(std::span<REAL> blendFactors, std::span<REAL> blendPositions) noexcept;
    [[nodiscard]] INT GetInterpolationColorCount() noexcept;
    // A count of 0 is InvalidParameter, kept, without a call.
    Status SetInterpolationColors(std::span<const ARGB> presetColors,
                                  std::span<const REAL> blendPositions) noexcept;
    Status GetInterpolationColors(std::span<ARGB> presetColors,
                                  std::span<REAL> blendPositions) noexcept;
    Status SetBlendBellShape(REAL focus, REAL scale) noexcept;
    Status SetBlendTriangularShape(REAL focus, REAL scale) noexcept;
    Status SetTransform(const TGPMatrix* matrix) noexcept;
    // GDI+ writes the transform into the given matrix.
    Status GetTransform(TGPMatrix* matrix) noexcept;
    Status ResetTransform() noexcept;
    Status MultiplyTransform(const TGPMatrix* matrix,
                             MatrixOrder order = MatrixOrderPrepend) noexcept;
    Status TranslateTransform(REAL dx, REAL dy, MatrixOrder order = MatrixOrderPrepend) noexcept;
    Status ScaleTransform(REAL sx, REAL sy, MatrixOrder order = MatrixOrderPrepend) noexcept;
    Status RotateTransform(REAL angle, MatrixOrder order = MatrixOrderPrepend) noexcept;
    Status SetWrapMode(WrapMode wrapMode) noexcept;
    [[nodiscard]] WrapMode GetWrapMode() noexcept;

protected:
    friend struct GdipFactory;
    TGPLinearGradientBrush() noexcept = default;

private:
    [[nodiscard]] GpLineGradient* NativeGradient() const noexcept;
};

class TGPHatchBrush : public TGPBrush {
public:
    [[nodiscard]] static std::unique_ptr<TGPHatchBrush>
    Create(HatchStyle hatchStyle, ARGB foreColor, ARGB backColor) noexcept;
    // No native object and nothing kept.
    [[nodiscard]] static std::unique_ptr<TGPHatchBrush> Create() noexcept;

    [[nodiscard]] HatchStyle GetHatchStyle() noexcept;
    // Each returns its own call's status.
    Status GetForegroundColor(ARGB& color) noexcept;
    Status GetBackgroundColor(ARGB& color) noexcept;

protected:
    friend struct GdipFactory;
    TGPHatchBrush() noexcept = default;

private:
    [[nodiscard]] GpHatch* NativeHatch() const noexcept;
};

} // namespace tn::gdiplus
