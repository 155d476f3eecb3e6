#include "gdiplus/Image.h"

#include "gdiplus/GdipInternal.h"
#include "gdiplus/Graphics.h"

namespace tn::gdiplus {

// ---- TGPImage
// ------------------------------------------------------------------------------------

TGPImage::TGPImage(const std::wstring& filename, bool useEmbeddedColorManagement) noexcept {
    nativeImage = nullptr;
    lastResult = useEmbeddedColorManagement
                     ? Gdip().GdipLoadImageFromFileICM(filename.c_str(), &nativeImage)
                     : Gdip().GdipLoadImageFromFile(filename.c_str(), &nativeImage);
}

TGPImage::TGPImage(IStream* stream, bool useEmbeddedColorManagement) noexcept {
    const detail::StreamHold hold(stream);
    nativeImage = nullptr;
    lastResult = useEmbeddedColorManagement
                     ? Gdip().GdipLoadImageFromStreamICM(hold.get(), &nativeImage)
                     : Gdip().GdipLoadImageFromStream(hold.get(), &nativeImage);
}

TGPImage::TGPImage(GpImage* image, Status status) noexcept {
    lastResult = status;
    AttachNative(image);
}

TGPImage::~TGPImage() {
    detail::DeleteNative(Gdip().GdipDisposeImage, nativeImage);
}

std::unique_ptr<TGPImage> TGPImage::Create(const std::wstring& filename,
                                           bool useEmbeddedColorManagement) noexcept {
    return GdipFactory::Make<TGPImage>(filename, useEmbeddedColorManagement);
}

std::unique_ptr<TGPImage> TGPImage::Create(IStream* stream,
                                           bool useEmbeddedColorManagement) noexcept {
    return GdipFactory::Make<TGPImage>(stream, useEmbeddedColorManagement);
}

std::unique_ptr<TGPImage> TGPImage::FromFile(const std::wstring& filename,
                                             bool useEmbeddedColorManagement) noexcept {
    return TGPImage::Create(filename, useEmbeddedColorManagement);
}

std::unique_ptr<TGPImage> TGPImage::FromStream(IStream* stream,
                                               bool useEmbeddedColorManagement) noexcept {
    return TGPImage::Create(stream, useEmbeddedColorManagement);
}

std::unique_ptr<TGPImage> TGPImage::CreateFromNative(GpImage* image, Status status) noexcept {
    auto wrapper = GdipFactory::Make<TGPImage>(image, status);
    if (!wrapper && image) detail::DeleteNative(Gdip().GdipDisposeImage, image);
    return wrapper;
}

std::unique_ptr<TGPImage> TGPImage::Clone() noexcept {
    GpImage* clone = nullptr;
    RecordStatus(Gdip().GdipCloneImage(nativeImage, &clone));
    return CreateFromNative(clone, lastResult);
}

Status TGPImage::Save(const std::wstring& filename, const CLSID& clsidEncoder,
                      const EncoderParameters* encoderParams) noexcept {
    return RecordStatus(
        Gdip().GdipSaveImageToFile(nativeImage, filename.c_str(), &clsidEncoder, encoderParams));
}

Status TGPImage::Save(IStream* stream, const CLSID& clsidEncoder,
                      const EncoderParameters* encoderParams) noexcept {
    const detail::StreamHold hold(stream);
    return RecordStatus(
        Gdip().GdipSaveImageToStream(nativeImage, hold.get(), &clsidEncoder, encoderParams));
}

Status TGPImage::SaveAdd(const EncoderParameters* encoderParams) noexcept {
    return RecordStatus(Gdip().GdipSaveAdd(nativeImage, encoderParams));
}

Status TGPImage::SaveAdd(const TGPImage* newImage,
                         const EncoderParameters* encoderParams) noexcept {
    if (!newImage) return RecordStatus(InvalidParameter);
    return RecordStatus(Gdip().GdipSaveAddImage(nativeImage, newImage->nativeImage, encoderParams));
}

ImageType TGPImage::GetType() noexcept {
    ImageType type = ImageTypeUnknown;
    RecordStatus(Gdip().GdipGetImageType(nativeImage, &type));
    return type;
}

Status TGPImage::GetPhysicalDimension(TGPSizeF& size) noexcept {
    return RecordStatus(Gdip().GdipGetImageDimension(nativeImage, &size.Width, &size.Height));
}

Status TGPImage::GetBounds(TGPRectF& srcRect, Unit_& srcUnit) noexcept {
    return RecordStatus(Gdip().GdipGetImageBounds(nativeImage, &srcRect, &srcUnit));
}

UINT TGPImage::GetWidth() noexcept {
    UINT width = 0;
    RecordStatus(Gdip().GdipGetImageWidth(nativeImage, &width));
    return width;
}

UINT TGPImage::GetHeight() noexcept {
    UINT height = 0;
    RecordStatus(Gdip().GdipGetImageHeight(nativeImage, &height));
    return height;
}

REAL TGPImage::GetHorizontalResolution() noexcept {
    REAL resolution = 0;
    RecordStatus(Gdip().GdipGetImageHorizontalResolution(nativeImage, &resolution));
    return resolution;
}

REAL TGPImage::GetVerticalResolution() noexcept {
    REAL resolution = 0;
    RecordStatus(Gdip().GdipGetImageVerticalResolution(nativeImage, &resolution));
    return resolution;
}

UINT TGPImage::GetFlags() noexcept {
    UINT flags = 0;
    RecordStatus(Gdip().GdipGetImageFlags(nativeImage, &flags));
    return flags;
}

Status TGPImage::GetRawFormat(GUID& format) noexcept {
    return RecordStatus(Gdip().GdipGetImageRawFormat(nativeImage, &format));
}

PixelFormat TGPImage::GetPixelFormat() noexcept {
    PixelFormat format = 0;
    RecordStatus(Gdip().GdipGetImagePixelFormat(nativeImage, &format));
    return format;
}

INT TGPImage::GetPaletteSize() noexcept {
    INT size = 0;
    RecordStatus(Gdip().GdipGetImagePaletteSize(nativeImage, &size));
    return size;
}

Status TGPImage::GetPalette(ColorPalette* palette, INT size) noexcept {
    return RecordStatus(Gdip().GdipGetImagePalette(nativeImage, palette, size));
}

Status TGPImage::SetPalette(const ColorPalette* palette) noexcept {
    return RecordStatus(Gdip().GdipSetImagePalette(nativeImage, palette));
}

std::unique_ptr<TGPImage> TGPImage::GetThumbnailImage(UINT thumbWidth, UINT thumbHeight,
                                                      GetThumbnailImageAbort callback,
                                                      void* callbackData) noexcept {
    GpImage* thumbnail = nullptr;
    RecordStatus(Gdip().GdipGetImageThumbnail(nativeImage, thumbWidth, thumbHeight, &thumbnail,
                                              callback, callbackData));
    return CreateFromNative(thumbnail, lastResult);
}

UINT TGPImage::GetFrameDimensionsCount() noexcept {
    UINT count = 0;
    RecordStatus(Gdip().GdipImageGetFrameDimensionsCount(nativeImage, &count));
    return count;
}

Status TGPImage::GetFrameDimensionsList(GUID* dimensionIDs, UINT count) noexcept {
    return RecordStatus(Gdip().GdipImageGetFrameDimensionsList(nativeImage, dimensionIDs, count));
}

UINT TGPImage::GetFrameCount(const GUID& dimensionID) noexcept {
    UINT count = 0;
    RecordStatus(Gdip().GdipImageGetFrameCount(nativeImage, &dimensionID, &count));
    return count;
}

Status TGPImage::SelectActiveFrame(const GUID& dimensionID, UINT frameIndex) noexcept {
    return RecordStatus(Gdip().GdipImageSelectActiveFrame(nativeImage, &dimensionID, frameIndex));
}

Status TGPImage::RotateFlip(RotateFlipType rotateFlipType) noexcept {
    return RecordStatus(Gdip().GdipImageRotateFlip(nativeImage, rotateFlipType));
}

UINT TGPImage::GetPropertyCount() noexcept {
    UINT count = 0;
    RecordStatus(Gdip().GdipGetPropertyCount(nativeImage, &count));
    return count;
}

Status TGPImage::GetPropertyIdList(UINT numOfProperty, PROPID* list) noexcept {
    return RecordStatus(Gdip().GdipGetPropertyIdList(nativeImage, numOfProperty, list));
}

UINT TGPImage::GetPropertyItemSize(PROPID propId) noexcept {
    UINT size = 0;
    RecordStatus(Gdip().GdipGetPropertyItemSize(nativeImage, propId, &size));
    return size;
}

Status TGPImage::GetPropertyItem(PROPID propId, UINT propSize, PropertyItem* buffer) noexcept {
    return RecordStatus(Gdip().GdipGetPropertyItem(nativeImage, propId, propSize, buffer));
}

Status TGPImage::GetPropertySize(UINT& totalBufferSize, UINT& numProperties) noexcept {
    return RecordStatus(Gdip().GdipGetPropertySize(nativeImage, &totalBufferSize, &numProperties));
}

Status TGPImage::GetAllPropertyItems(UINT totalBufferSize, UINT numProperties,
                                     PropertyItem* allItems) noexcept {
    return RecordStatus(
        Gdip().GdipGetAllPropertyItems(nativeImage, totalBufferSize, numProperties, allItems));
}

Status TGPImage::RemovePropertyItem(PROPID propId) noexcept {
    return RecordStatus(Gdip().GdipRemovePropertyItem(nativeImage, propId));
}

Status TGPImage::SetPropertyItem(const PropertyItem& item) noexcept {
    return RecordStatus(Gdip().GdipSetPropertyItem(nativeImage, &item));
}

UINT TGPImage::GetEncoderParameterListSize(const CLSID& clsidEncoder) noexcept {
    UINT size = 0;
    RecordStatus(Gdip().GdipGetEncoderParameterListSize(nativeImage, &clsidEncoder, &size));
    return size;
}

Status TGPImage::GetEncoderParameterList(const CLSID& clsidEncoder, UINT size,
                                         EncoderParameters* buffer) noexcept {
    return RecordStatus(
        Gdip().GdipGetEncoderParameterList(nativeImage, &clsidEncoder, size, buffer));
}

Status TGPImage::GetLastStatus() noexcept {
    return std::exchange(lastResult, Ok);
}

// ---- TGPBitmap
// -----------------------------------------------------------------------------------

TGPBitmap::TGPBitmap(GpBitmap* bitmap) noexcept {
    lastResult = Ok;
    AttachNative(bitmap);
}

std::unique_ptr<TGPBitmap> TGPBitmap::CreateFromNative(GpBitmap* bitmap) noexcept {
    auto wrapper = GdipFactory::Make<TGPBitmap>(bitmap);
    if (!wrapper && bitmap) detail::DeleteNative(Gdip().GdipDisposeImage, bitmap);
    return wrapper;
}

template <typename Call> std::unique_ptr<TGPBitmap> TGPBitmap::Construct(Call&& call) noexcept {
    return GdipFactory::Construct<TGPBitmap, GpBitmap>(std::forward<Call>(call));
}

std::unique_ptr<TGPBitmap> TGPBitmap::Create(const std::wstring& filename,
                                             bool useEmbeddedColorManagement) noexcept {
    return Construct([&](GpBitmap** out) {
        return useEmbeddedColorManagement
                   ? Gdip().GdipCreateBitmapFromFileICM(filename.c_str(), out)
                   : Gdip().GdipCreateBitmapFromFile(filename.c_str(), out);
    });
}

std::unique_ptr<TGPBitmap> TGPBitmap::Create(IStream* stream,
                                             bool useEmbeddedColorManagement) noexcept {
    return Construct([&](GpBitmap** out) {
        const detail::StreamHold hold(stream);
        return useEmbeddedColorManagement ? Gdip().GdipCreateBitmapFromStreamICM(hold.get(), out)
                                          : Gdip().GdipCreateBitmapFromStream(hold.get(), out);
    });
}

std::unique_ptr<TGPBitmap> TGPBitmap::Create(INT width, INT height, INT stride, PixelFormat format,
                                             BYTE* scan0) noexcept {
    return Construct([&](GpBitmap** out) {
        return Gdip().GdipCreateBitmapFromScan0(width, height, stride, format, scan0, out);
    });
}

std::unique_ptr<TGPBitmap> TGPBitmap::Create(INT width, INT height, PixelFormat format) noexcept {
    return Construct([&](GpBitmap** out) {
        return Gdip().GdipCreateBitmapFromScan0(width, height, 0, format, nullptr, out);
    });
}

std::unique_ptr<TGPBitmap> TGPBitmap::Create(INT width, INT height,
                                             const TGPGraphics* target) noexcept {
    return Construct([&](GpBitmap** out) {
        return Gdip().GdipCreateBitmapFromGraphics(width, height, NativeOf(target), out);
    });
}

std::unique_ptr<TGPBitmap> TGPBitmap::Create(const BITMAPINFO& gdiBitmapInfo,
                                             void* gdiBitmapData) noexcept {
    return Construct([&](GpBitmap** out) {
        return Gdip().GdipCreateBitmapFromGdiDib(&gdiBitmapInfo, gdiBitmapData, out);
    });
}

std::unique_ptr<TGPBitmap> TGPBitmap::Create(HBITMAP hbm, HPALETTE hpal) noexcept {
    return Construct(
        [&](GpBitmap** out) { return Gdip().GdipCreateBitmapFromHBITMAP(hbm, hpal, out); });
}

std::unique_ptr<TGPBitmap> TGPBitmap::Create(HICON hicon) noexcept {
    return Construct([&](GpBitmap** out) { return Gdip().GdipCreateBitmapFromHICON(hicon, out); });
}

std::unique_ptr<TGPBitmap> TGPBitmap::Create(HINSTANCE hInstance,
                                             const std::wstring& bitmapName) noexcept {
    return Construct([&](GpBitmap** out) {
        return Gdip().GdipCreateBitmapFromResource(hInstance, bitmapName.c_str(), out);
    });
}

std::unique_ptr<TGPBitmap> TGPBitmap::FromFile(const std::wstring& filename,
                                               bool useEmbeddedColorManagement) noexcept {
    return TGPBitmap::Create(filename, useEmbeddedColorManagement);
}

std::unique_ptr<TGPBitmap> TGPBitmap::FromStream(IStream* stream,
                                                 bool useEmbeddedColorManagement) noexcept {
    return TGPBitmap::Create(stream, useEmbeddedColorManagement);
}

std::unique_ptr<TGPBitmap> TGPBitmap::FromBITMAPINFO(const BITMAPINFO& gdiBitmapInfo,
                                                     void* gdiBitmapData) noexcept {
    return TGPBitmap::Create(gdiBitmapInfo, gdiBitmapData);
}

std::unique_ptr<TGPBitmap> TGPBitmap::FromHBITMAP(HBITMAP hbm, HPALETTE hpal) noexcept {
    return TGPBitmap::Create(hbm, hpal);
}

std::unique_ptr<TGPBitmap> TGPBitmap::FromHICON(HICON hicon) noexcept {
    return TGPBitmap::Create(hicon);
}

std::unique_ptr<TGPBitmap> TGPBitmap::FromResource(HINSTANCE hInstance,
                                                   const std::wstring& bitmapName) noexcept {
    return TGPBitmap::Create(hInstance, bitmapName);
}

std::unique_ptr<TGPBitmap> TGPBitmap::WrapClone(GpBitmap* clone) noexcept {
    if (lastResult != Ok) {
        if (clone) detail::DeleteNative(Gdip().GdipDisposeImage, clone);
        return nullptr;
    }
    return CreateFromNative(clone);
}

std::unique_ptr<TGPBitmap> TGPBitmap::Clone(const TGPRect& rect, PixelFormat format) noexcept {
    return Clone(rect.X, rect.Y, rect.Width, rect.Height, format);
}

std::unique_ptr<TGPBitmap> TGPBitmap::Clone(INT x, INT y, INT width, INT height,
                                            PixelFormat format) noexcept {
    GpBitmap* clone = nullptr;
    lastResult = Gdip().GdipCloneBitmapAreaI(x, y, width, height, format, NativeBitmap(), &clone);
    return WrapClone(clone);
}

std::unique_ptr<TGPBitmap> TGPBitmap::Clone(const TGPRectF& rect, PixelFormat format) noexcept {
    return Clone(rect.X, rect.Y, rect.Width, rect.Height, format);
}

std::unique_ptr<TGPBitmap> TGPBitmap::Clone(REAL x, REAL y, REAL width, REAL height,
                                            PixelFormat format) noexcept {
    GpBitmap* clone = nullptr;
    RecordStatus(Gdip().GdipCloneBitmapArea(x, y, width, height, format, NativeBitmap(), &clone));
    return WrapClone(clone);
}

Status TGPBitmap::LockBits(const TGPRect& rect, UINT flags, PixelFormat format,
                           BitmapData& lockedBitmapData) noexcept {
    const TGPRect copy = rect;
    return RecordStatus(
        Gdip().GdipBitmapLockBits(NativeBitmap(), &copy, flags, format, &lockedBitmapData));
}

Status TGPBitmap::UnlockBits(BitmapData& lockedBitmapData) noexcept {
    return RecordStatus(Gdip().GdipBitmapUnlockBits(NativeBitmap(), &lockedBitmapData));
}

Status TGPBitmap::GetPixel(INT x, INT y, ARGB& color) noexcept {
    return RecordStatus(Gdip().GdipBitmapGetPixel(NativeBitmap(), x, y, &color));
}

Status TGPBitmap::SetPixel(INT x, INT y, ARGB color) noexcept {
    return RecordStatus(Gdip().GdipBitmapSetPixel(NativeBitmap(), x, y, color));
}

Status TGPBitmap::SetResolution(REAL xdpi, REAL ydpi) noexcept {
    return RecordStatus(Gdip().GdipBitmapSetResolution(NativeBitmap(), xdpi, ydpi));
}

Status TGPBitmap::GetHBITMAP(ARGB colorBackground, HBITMAP& hbmReturn) noexcept {
    return RecordStatus(
        Gdip().GdipCreateHBITMAPFromBitmap(NativeBitmap(), &hbmReturn, colorBackground));
}

Status TGPBitmap::GetHICON(HICON& hicon) noexcept {
    return RecordStatus(Gdip().GdipCreateHICONFromBitmap(NativeBitmap(), &hicon));
}

} // namespace tn::gdiplus
