#include "gdiplus/PenCap.h"

#include "gdiplus/GdipInternal.h"

namespace tn::gdiplus {

TGPPen::TGPPen(GpPen* handle, Status status) noexcept {
    lastResult = status;
    AttachNative(handle);
}

std::unique_ptr<TGPPen> TGPPen::CreateFromNative(GpPen* handle, Status status) noexcept {
    auto wrapper = GdipFactory::Make<TGPPen>(handle, status);
    if (!wrapper && handle) detail::DeleteNative(Gdip().GdipDeletePen, handle);
    return wrapper;
}

TGPPen::~TGPPen() {
    detail::DeleteNative(Gdip().GdipDeletePen, nativePen);
}

Status TGPPen::GetLastStatus() noexcept {
    return std::exchange(lastResult, Ok);
}

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

void TGPCustomLineCap::ReplaceNative(GpCustomLineCap* handle) noexcept {
    if (nativeCap && nativeCap != handle)
        detail::DeleteNative(Gdip().GdipDeleteCustomLineCap, nativeCap);
    AttachNative(handle);
}

TGPCustomLineCap::~TGPCustomLineCap() {
    detail::DeleteNative(Gdip().GdipDeleteCustomLineCap, nativeCap);
}

Status TGPCustomLineCap::GetLastStatus() noexcept {
    return std::exchange(lastResult, Ok);
}

} // namespace tn::gdiplus
