#include "gdiplus/Brush.h"

#include "gdiplus/GdipInternal.h"

namespace tn::gdiplus {

TGPBrush::TGPBrush(GpBrush* handle, Status status) noexcept {
    lastResult = status;
    AttachNative(handle);
}

std::unique_ptr<TGPBrush> TGPBrush::CreateFromNative(GpBrush* handle, Status status) noexcept {
    auto wrapper = GdipFactory::Make<TGPBrush>(handle, status);
    if (!wrapper && handle) detail::DeleteNative(Gdip().GdipDeleteBrush, handle);
    return wrapper;
}

TGPBrush::~TGPBrush() {
    detail::DeleteNative(Gdip().GdipDeleteBrush, nativeBrush);
}

Status TGPBrush::GetLastStatus() noexcept {
    return std::exchange(lastResult, Ok);
}

} // namespace tn::gdiplus
