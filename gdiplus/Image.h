// Image and bitmap wrappers: one GDI+ image handle each, the last failing status kept.
#pragma once

#include "gdiplus/GdiplusBase.h"

#include <string>

namespace tn::gdiplus {

class TGPGraphics;

class TGPImage : public TGdiplusBase {
public:
    // Constructors: the creating call's status is kept whatever it is. A file that cannot be
    // loaded still gives an object; only a failed allocation gives none.
    [[nodiscard]] static std::unique_ptr<TGPImage>
    Create(const std::wstring& filename, bool useEmbeddedColorManagement = false) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPImage>
    Create(IStream* stream, bool useEmbeddedColorManagement = false) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPImage>
    FromFile(const std::wstring& filename, bool useEmbeddedColorManagement = false) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPImage>
    FromStream(IStream* stream, bool useEmbeddedColorManagement = false) noexcept;
    ~TGPImage() override;

    [[nodiscard]] GpImage* Native() const noexcept { return nativeImage; }

    // Always a TGPImage, even for a bitmap; carries this object's status.
    [[nodiscard]] std::unique_ptr<TGPImage> Clone() noexcept;
    Status Save(const std::wstring& filename, const CLSID& clsidEncoder,
                const EncoderParameters* encoderParams = nullptr) noexcept;
    Status Save(IStream* stream, const CLSID& clsidEncoder,
                const EncoderParameters* encoderParams = nullptr) noexcept;
    Status SaveAdd(const EncoderParameters* encoderParams) noexcept;
    Status SaveAdd(const TGPImage* newImage, const EncoderParameters* encoderParams) noexcept;
    [[nodiscard]] ImageType GetType() noexcept;
    Status GetPhysicalDimension(TGPSizeF& size) noexcept;
    Status GetBounds(TGPRectF& srcRect, Unit_& srcUnit) noexcept;
    [[nodiscard]] UINT GetWidth() noexcept;
    [[nodiscard]] UINT GetHeight() noexcept;
    [[nodiscard]] REAL GetHorizontalResolution() noexcept;
    [[nodiscard]] REAL GetVerticalResolution() noexcept;
    [[nodiscard]] UINT GetFlags() noexcept;
    Status GetRawFormat(GUID& format) noexcept;
    [[nodiscard]] PixelFormat GetPixelFormat() noexcept;
    [[nodiscard]] INT GetPaletteSize() noexcept;
    Status GetPalette(ColorPalette* palette, INT size) noexcept;
    Status SetPalette(const ColorPalette* palette) noexcept;
    [[nodiscard]] std::unique_ptr<TGPImage>
    GetThumbnailImage(UINT thumbWidth, UINT thumbHeight, GetThumbnailImageAbort callback = nullptr,
                      void* callbackData = nullptr) noexcept;
    [[nodiscard]] UINT GetFrameDimensionsCount() noexcept;
    Status GetFrameDimensionsList(GUID* dimensionIDs, UINT count) noexcept;
    [[nodiscard]] UINT GetFrameCount(const GUID& dimensionID) noexcept;
    Status SelectActiveFrame(const GUID& dimensionID, UINT frameIndex) noexcept;
    Status RotateFlip(RotateFlipType rotateFlipType) noexcept;
    [[nodiscard]] UINT GetPropertyCount() noexcept;
    Status GetPropertyIdList(UINT numOfProperty, PROPID* list) noexcept;
    [[nodiscard]] UINT GetPropertyItemSize(PROPID propId) noexcept;
    Status GetPropertyItem(PROPID propId, UINT propSize, PropertyItem* buffer) noexcept;
    Status GetPropertySize(UINT& totalBufferSize, UINT& numProperties) noexcept;
    Status GetAllPropertyItems(UINT totalBufferSize, UINT numProperties,
                               PropertyItem* allItems) noexcept;
    Status RemovePropertyItem(PROPID propId) noexcept;
    Status SetPropertyItem(const PropertyItem& item) noexcept;
    [[nodiscard]] UINT GetEncoderParameterListSize(const CLSID& clsidEncoder) noexcept;
    Status GetEncoderParameterList(const CLSID& clsidEncoder, UINT size,
                                   EncoderParameters* buffer) noexcept;
    // The kept status; reading it resets it to Ok.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    TGPImage() noexcept = default;
    TGPImage(const std::wstring& filename, bool useEmbeddedColorManagement) noexcept;
    TGPImage(IStream* stream, bool useEmbeddedColorManagement) noexcept;
    TGPImage(GpImage* image, Status status) noexcept;

    // Wraps an existing handle; when no wrapper can be made the handle is disposed.
    [[nodiscard]] static std::unique_ptr<TGPImage> CreateFromNative(GpImage* image,
                                                                    Status status) noexcept;
    void AttachNative(GpImage* image) noexcept { nativeImage = image; }
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastResult, status); }

    GpImage* nativeImage = nullptr;
    Status lastResult = Ok;
    Status loadStatus = Ok;
};

class TGPBitmap : public TGPImage {
public:
    [[nodiscard]] static std::unique_ptr<TGPBitmap>
    Create(const std::wstring& filename, bool useEmbeddedColorManagement = false) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPBitmap>
    Create(IStream* stream, bool useEmbeddedColorManagement = false) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPBitmap>
    Create(INT width, INT height, INT stride, PixelFormat format, BYTE* scan0) noexcept;
    // GDI+ allocates the pixels.
    [[nodiscard]] static std::unique_ptr<TGPBitmap>
    Create(INT width, INT height, PixelFormat format = PixelFormat32bppARGB) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPBitmap> Create(INT width, INT height,
                                                           const TGPGraphics* target) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPBitmap> Create(const BITMAPINFO& gdiBitmapInfo,
                                                           void* gdiBitmapData) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPBitmap> Create(HBITMAP hbm, HPALETTE hpal) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPBitmap> Create(HICON hicon) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPBitmap> Create(HINSTANCE hInstance,
                                                           const std::wstring& bitmapName) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPBitmap>
    FromFile(const std::wstring& filename, bool useEmbeddedColorManagement = false) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPBitmap>
    FromStream(IStream* stream, bool useEmbeddedColorManagement = false) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPBitmap> FromBITMAPINFO(const BITMAPINFO& gdiBitmapInfo,
                                                                   void* gdiBitmapData) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPBitmap> FromHBITMAP(HBITMAP hbm,
                                                                HPALETTE hpal) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPBitmap> FromHICON(HICON hicon) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPBitmap>
    FromResource(HINSTANCE hInstance, const std::wstring& bitmapName) noexcept;

    using TGPImage::Clone;
    // Integer area: the status is kept even when Ok, so a success clears an earlier failure.
    [[nodiscard]] std::unique_ptr<TGPBitmap> Clone(const TGPRect& rect,
                                                   PixelFormat format) noexcept;
    [[nodiscard]] std::unique_ptr<TGPBitmap> Clone(INT x, INT y, INT width, INT height,
                                                   PixelFormat format) noexcept;
    // Float area: none while any failure is kept, an earlier unread one included.
    [[nodiscard]] std::unique_ptr<TGPBitmap> Clone(const TGPRectF& rect,
                                                   PixelFormat format) noexcept;
    [[nodiscard]] std::unique_ptr<TGPBitmap> Clone(REAL x, REAL y, REAL width, REAL height,
                                                   PixelFormat format) noexcept;
    Status LockBits(const TGPRect& rect, UINT flags, PixelFormat format,
                    BitmapData& lockedBitmapData) noexcept;
    Status UnlockBits(BitmapData& lockedBitmapData) noexcept;
    Status GetPixel(INT x, INT y, ARGB& color) noexcept;
    Status SetPixel(INT x, INT y, ARGB color) noexcept;
    Status SetResolution(REAL xdpi, REAL ydpi) noexcept;
    // The caller owns the GDI bitmap and the icon.
    Status GetHBITMAP(ARGB colorBackground, HBITMAP& hbmReturn) noexcept;
    Status GetHICON(HICON& hicon) noexcept;

protected:
    friend struct GdipFactory;
    TGPBitmap() noexcept = default;
    explicit TGPBitmap(GpBitmap* bitmap) noexcept;

    [[nodiscard]] static std::unique_ptr<TGPBitmap> CreateFromNative(GpBitmap* bitmap) noexcept;
    // Runs one creating call into a fresh bitmap wrapper and keeps its status.
    template <typename Call> static std::unique_ptr<TGPBitmap> Construct(Call&& call) noexcept;
    [[nodiscard]] GpBitmap* NativeBitmap() const noexcept {
        return static_cast<GpBitmap*>(nativeImage);
    }
    // A copy that is not handed out is disposed, not leaked.
    [[nodiscard]] std::unique_ptr<TGPBitmap> WrapClone(GpBitmap* clone) noexcept;
};

} // namespace tn::gdiplus
