#include "gdiplus/ImageAttributes.h"

#include "gdiplus/GdipInternal.h"

namespace tn::gdiplus {

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

TGPImageAttributes::~TGPImageAttributes() {
    detail::DeleteNative(Gdip().GdipDisposeImageAttributes, nativeImageAttr);
}

Status TGPImageAttributes::GetLastStatus() noexcept {
    return std::exchange(lastResult, Ok);
}

TGPCachedBitmap::~TGPCachedBitmap() {
    detail::DeleteNative(Gdip().GdipDeleteCachedBitmap, nativeCachedBitmap);
}

Status TGPCachedBitmap::GetLastStatus() noexcept {
    return std::exchange(lastResult, Ok);
}

} // namespace tn::gdiplus
