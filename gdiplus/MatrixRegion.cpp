#include "gdiplus/MatrixRegion.h"

#include "gdiplus/GdipInternal.h"

namespace tn::gdiplus {

TGPMatrix::TGPMatrix(GpMatrix* handle) noexcept {
    AttachNative(handle);
}

std::unique_ptr<TGPMatrix> TGPMatrix::CreateFromNative(GpMatrix* handle) noexcept {
    auto wrapper = GdipFactory::Make<TGPMatrix>(handle);
    if (!wrapper && handle) detail::DeleteNative(Gdip().GdipDeleteMatrix, handle);
    return wrapper;
}

TGPMatrix::~TGPMatrix() {
    detail::DeleteNative(Gdip().GdipDeleteMatrix, nativeMatrix);
}

Status TGPMatrix::GetLastStatus() noexcept {
    return std::exchange(lastResult, Ok);
}

TGPRegion::TGPRegion(GpRegion* handle) noexcept {
    AttachNative(handle);
}

std::unique_ptr<TGPRegion> TGPRegion::CreateFromNative(GpRegion* handle) noexcept {
    auto wrapper = GdipFactory::Make<TGPRegion>(handle);
    if (!wrapper && handle) detail::DeleteNative(Gdip().GdipDeleteRegion, handle);
    return wrapper;
}

TGPRegion::~TGPRegion() {
    detail::DeleteNative(Gdip().GdipDeleteRegion, nativeRegion);
}

Status TGPRegion::GetLastStatus() noexcept {
    return std::exchange(lastResult, Ok);
}

} // namespace tn::gdiplus
