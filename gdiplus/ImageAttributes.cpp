#include "gdiplus/ImageAttributes.h"

#include "gdiplus/GdipInternal.h"
#include "gdiplus/Graphics.h"
#include "gdiplus/Image.h"

namespace tn::gdiplus {
namespace {

// The enable flags as the flat API takes them.
constexpr BOOL kEnable = -1;
constexpr BOOL kDisable = 0;

} // namespace

// ---- TGPImageAttributes
// --------------------------------------------------------------------------

TGPImageAttributes::TGPImageAttributes(GpImageAttributes* handle, Status status) noexcept {
    lastResult = status;
    AttachNative(handle);
}

std::unique_ptr<TGPImageAttributes> TGPImageAttributes::CreateFromNative(GpImageAttributes* handle,
                                                                         Status status) noexcept {
    auto wrapper = GdipFactory::Make<TGPImageAttributes>(handle, status);
    if (!wrapper && handle) detail::DeleteNative(Gdip().GdipDisposeImageAttributes, handle);
    return wrapper;
}

std::unique_ptr<TGPImageAttributes> TGPImageAttributes::Create() noexcept {
    auto attributes = GdipFactory::Make<TGPImageAttributes>();
    if (!attributes) return nullptr;
    GpImageAttributes* handle = nullptr;
    attributes->lastResult = Gdip().GdipCreateImageAttributes(&handle);
    attributes->AttachNative(handle);
    return attributes;
}

TGPImageAttributes::~TGPImageAttributes() {
    detail::DeleteNative(Gdip().GdipDisposeImageAttributes, nativeImageAttr);
}

std::unique_ptr<TGPImageAttributes> TGPImageAttributes::Clone() noexcept {
    GpImageAttributes* clone = nullptr;
    RecordStatus(Gdip().GdipCloneImageAttributes(nativeImageAttr, &clone));
    return CreateFromNative(clone, lastResult);
}

Status TGPImageAttributes::SetToIdentity(ColorAdjustType type_) noexcept {
    return RecordStatus(Gdip().GdipSetImageAttributesToIdentity(nativeImageAttr, type_));
}

Status TGPImageAttributes::Reset(ColorAdjustType type_) noexcept {
    return RecordStatus(Gdip().GdipResetImageAttributes(nativeImageAttr, type_));
}

Status TGPImageAttributes::SetColorMatrix(const ColorMatrix& colorMatrix, ColorMatrixFlags mode,
                                          ColorAdjustType type_) noexcept {
    return RecordStatus(Gdip().GdipSetImageAttributesColorMatrix(nativeImageAttr, type_, kEnable,
                                                                 &colorMatrix, nullptr, mode));
}

Status TGPImageAttributes::ClearColorMatrix(ColorAdjustType type_) noexcept {
    return RecordStatus(Gdip().GdipSetImageAttributesColorMatrix(
        nativeImageAttr, type_, kDisable, nullptr, nullptr, ColorMatrixFlagsDefault));
}

Status TGPImageAttributes::SetColorMatrices(const ColorMatrix& colorMatrix,
                                            const ColorMatrix& grayMatrix, ColorMatrixFlags mode,
                                            ColorAdjustType type_) noexcept {
    return RecordStatus(Gdip().GdipSetImageAttributesColorMatrix(nativeImageAttr, type_, kEnable,
                                                                 &colorMatrix, &grayMatrix, mode));
}

Status TGPImageAttributes::ClearColorMatrices(ColorAdjustType type_) noexcept {
    return ClearColorMatrix(type_);
}

Status TGPImageAttributes::SetThreshold(REAL threshold, ColorAdjustType type_) noexcept {
    return RecordStatus(
        Gdip().GdipSetImageAttributesThreshold(nativeImageAttr, type_, kEnable, threshold));
}

Status TGPImageAttributes::ClearThreshold(ColorAdjustType type_) noexcept {
    return RecordStatus(
        Gdip().GdipSetImageAttributesThreshold(nativeImageAttr, type_, kDisable, 0));
}

Status TGPImageAttributes::SetGamma(REAL gamma, ColorAdjustType type_) noexcept {
    return RecordStatus(Gdip().GdipSetImageAttributesGamma(nativeImageAttr, type_, kEnable, gamma));
}

Status TGPImageAttributes::ClearGamma(ColorAdjustType type_) noexcept {
    return RecordStatus(Gdip().GdipSetImageAttributesGamma(nativeImageAttr, type_, kDisable, 0));
}

Status TGPImageAttributes::SetNoOp(ColorAdjustType type_) noexcept {
    return RecordStatus(Gdip().GdipSetImageAttributesNoOp(nativeImageAttr, type_, kEnable));
}

Status TGPImageAttributes::ClearNoOp(ColorAdjustType type_) noexcept {
    return RecordStatus(Gdip().GdipSetImageAttributesNoOp(nativeImageAttr, type_, kDisable));
}

Status TGPImageAttributes::SetColorKey(ARGB colorLow, ARGB colorHigh,
                                       ColorAdjustType type_) noexcept {
    return RecordStatus(Gdip().GdipSetImageAttributesColorKeys(nativeImageAttr, type_, kEnable,
                                                               colorLow, colorHigh));
}

Status TGPImageAttributes::ClearColorKey(ColorAdjustType type_) noexcept {
    return RecordStatus(
        Gdip().GdipSetImageAttributesColorKeys(nativeImageAttr, type_, kDisable, 0, 0));
}

Status TGPImageAttributes::SetOutputChannel(ColorChannelFlags channelFlags,
                                            ColorAdjustType type_) noexcept {
    return RecordStatus(
        Gdip().GdipSetImageAttributesOutputChannel(nativeImageAttr, type_, kEnable, channelFlags));
}

Status TGPImageAttributes::ClearOutputChannel(ColorAdjustType type_) noexcept {
    return RecordStatus(Gdip().GdipSetImageAttributesOutputChannel(nativeImageAttr, type_, kDisable,
                                                                   ColorChannelFlagsLast));
}

Status TGPImageAttributes::SetOutputChannelColorProfile(const std::wstring& colorProfileFilename,
                                                        ColorAdjustType type_) noexcept {
    return RecordStatus(Gdip().GdipSetImageAttributesOutputChannelColorProfile(
        nativeImageAttr, type_, kEnable, colorProfileFilename.c_str()));
}

Status TGPImageAttributes::ClearOutputChannelColorProfile(ColorAdjustType type_) noexcept {
    return RecordStatus(Gdip().GdipSetImageAttributesOutputChannelColorProfile(
        nativeImageAttr, type_, kDisable, nullptr));
}

Status TGPImageAttributes::SetRemapTable(std::span<const ColorMap> map,
                                         ColorAdjustType type_) noexcept {
    return RecordStatus(Gdip().GdipSetImageAttributesRemapTable(
        nativeImageAttr, type_, kEnable, static_cast<UINT>(map.size()), map.data()));
}

Status TGPImageAttributes::ClearRemapTable(ColorAdjustType type_) noexcept {
    return RecordStatus(
        Gdip().GdipSetImageAttributesRemapTable(nativeImageAttr, type_, kDisable, 0, nullptr));
}

Status TGPImageAttributes::SetBrushRemapTable(std::span<const ColorMap> map) noexcept {
    return SetRemapTable(map, ColorAdjustTypeBrush);
}

Status TGPImageAttributes::ClearBrushRemapTable() noexcept {
    return ClearRemapTable(ColorAdjustTypeBrush);
}

Status TGPImageAttributes::SetWrapMode(WrapMode wrap, ARGB color, BOOL clamp) noexcept {
    return RecordStatus(Gdip().GdipSetImageAttributesWrapMode(nativeImageAttr, wrap, color, clamp));
}

Status TGPImageAttributes::GetAdjustedPalette(ColorPalette* colorPalette,
                                              ColorAdjustType colorAdjustType) noexcept {
    return RecordStatus(Gdip().GdipGetImageAttributesAdjustedPalette(nativeImageAttr, colorPalette,
                                                                     colorAdjustType));
}

Status TGPImageAttributes::GetLastStatus() noexcept {
    return std::exchange(lastResult, Ok);
}

// ---- TGPCachedBitmap
// -----------------------------------------------------------------------------

std::unique_ptr<TGPCachedBitmap> TGPCachedBitmap::Create(const TGPBitmap* bitmap,
                                                         const TGPGraphics* graphics) noexcept {
    auto cached = GdipFactory::Make<TGPCachedBitmap>();
    if (!cached) return nullptr;
    if (!bitmap || !graphics) {
        cached->lastResult = InvalidParameter;
        return cached;
    }
    GpCachedBitmap* handle = nullptr;
    cached->lastResult = Gdip().GdipCreateCachedBitmap(static_cast<GpBitmap*>(bitmap->Native()),
                                                       graphics->Native(), &handle);
    cached->AttachNative(handle);
    return cached;
}

TGPCachedBitmap::~TGPCachedBitmap() {
    detail::DeleteNative(Gdip().GdipDeleteCachedBitmap, nativeCachedBitmap);
}

Status TGPCachedBitmap::GetLastStatus() noexcept {
    return std::exchange(lastResult, Ok);
}

} // namespace tn::gdiplus
