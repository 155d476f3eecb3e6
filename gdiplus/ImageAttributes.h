// Image attributes and cached bitmap wrappers. Each colour adjustment is kept per adjust type;
// a Set method turns it on with its values, the matching Clear turns it off.
#pragma once

#include "gdiplus/GdiplusBase.h"

#include <span>
#include <string>

namespace tn::gdiplus {

class TGPBitmap;
class TGPGraphics;

class TGPImageAttributes : public TGdiplusBase {
public:
    [[nodiscard]] static std::unique_ptr<TGPImageAttributes> Create() noexcept;
    ~TGPImageAttributes() override;

    [[nodiscard]] GpImageAttributes* Native() const noexcept { return nativeImageAttr; }

    // The copy carries this object's kept status, whatever the clone call gave.
    [[nodiscard]] std::unique_ptr<TGPImageAttributes> Clone() noexcept;

    Status SetToIdentity(ColorAdjustType type_ = ColorAdjustTypeDefault) noexcept;
    Status Reset(ColorAdjustType type_ = ColorAdjustTypeDefault) noexcept;
    Status SetColorMatrix(const ColorMatrix& colorMatrix,
                          ColorMatrixFlags mode = ColorMatrixFlagsDefault,
                          ColorAdjustType type_ = ColorAdjustTypeDefault) noexcept;
    Status ClearColorMatrix(ColorAdjustType type_ = ColorAdjustTypeDefault) noexcept;
    Status SetColorMatrices(const ColorMatrix& colorMatrix, const ColorMatrix& grayMatrix,
                            ColorMatrixFlags mode = ColorMatrixFlagsDefault,
                            ColorAdjustType type_ = ColorAdjustTypeDefault) noexcept;
    Status ClearColorMatrices(ColorAdjustType type_ = ColorAdjustTypeDefault) noexcept;
    Status SetThreshold(REAL threshold, ColorAdjustType type_ = ColorAdjustTypeDefault) noexcept;
    Status ClearThreshold(ColorAdjustType type_ = ColorAdjustTypeDefault) noexcept;
    Status SetGamma(REAL gamma, ColorAdjustType type_ = ColorAdjustTypeDefault) noexcept;
    Status ClearGamma(ColorAdjustType type_ = ColorAdjustTypeDefault) noexcept;
    Status SetNoOp(ColorAdjustType type_ = ColorAdjustTypeDefault) noexcept;
    Status ClearNoOp(ColorAdjustType type_ = ColorAdjustTypeDefault) noexcept;
    Status SetColorKey(ARGB colorLow, ARGB colorHigh,
                       ColorAdjustType type_ = ColorAdjustTypeDefault) noexcept;
    Status ClearColorKey(ColorAdjustType type_ = ColorAdjustTypeDefault) noexcept;
    Status SetOutputChannel(ColorChannelFlags channelFlags,
                            ColorAdjustType type_ = ColorAdjustTypeDefault) noexcept;
    Status ClearOutputChannel(ColorAdjustType type_ = ColorAdjustTypeDefault) noexcept;
    Status SetOutputChannelColorProfile(const std::wstring& colorProfileFilename,
                                        ColorAdjustType type_ = ColorAdjustTypeDefault) noexcept;
    Status ClearOutputChannelColorProfile(ColorAdjustType type_ = ColorAdjustTypeDefault) noexcept;
    Status SetRemapTable(std::span<const ColorMap> map,
                         ColorAdjustType type_ = ColorAdjustTypeDefault) noexcept;
    Status ClearRemapTable(ColorAdjustType type_ = ColorAdjustTypeDefault) noexcept;
    // The remap table of brushes.
    Status SetBrushRemapTable(std::span<const ColorMap> map) noexcept;
    Status ClearBrushRemapTable() noexcept;
    Status SetWrapMode(WrapMode wrap, ARGB color, BOOL clamp) noexcept;
    // Adjusts the palette's entries in place.
    Status GetAdjustedPalette(ColorPalette* colorPalette, ColorAdjustType colorAdjustType) noexcept;

    // The kept status; reading it resets it to Ok.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    TGPImageAttributes() noexcept = default;
    TGPImageAttributes(GpImageAttributes* handle, Status status) noexcept;
    // Wraps an existing handle; when no wrapper can be made the handle is deleted.
    [[nodiscard]] static std::unique_ptr<TGPImageAttributes>
    CreateFromNative(GpImageAttributes* handle, Status status) noexcept;
    void AttachNative(GpImageAttributes* handle) noexcept { nativeImageAttr = handle; }
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastResult, status); }

    GpImageAttributes* nativeImageAttr = nullptr;
    Status lastResult = Ok;
};

// A bitmap converted once for fast drawing on one graphics surface; TGPGraphics draws it.
class TGPCachedBitmap : public TGdiplusBase {
public:
    // Both are only read. A missing one is InvalidParameter, kept, without a call.
    [[nodiscard]] static std::unique_ptr<TGPCachedBitmap>
    Create(const TGPBitmap* bitmap, const TGPGraphics* graphics) noexcept;
    ~TGPCachedBitmap() override;

    [[nodiscard]] GpCachedBitmap* Native() const noexcept { return nativeCachedBitmap; }
    // The kept status; reading it resets it to Ok.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    TGPCachedBitmap() noexcept = default;
    void AttachNative(GpCachedBitmap* handle) noexcept { nativeCachedBitmap = handle; }
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastResult, status); }

    GpCachedBitmap* nativeCachedBitmap = nullptr;
    Status lastResult = Ok;
};

} // namespace tn::gdiplus
