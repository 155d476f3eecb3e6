#include "gdiplus/GraphicsPath.h"

#include "gdiplus/GdipInternal.h"

namespace tn::gdiplus {

TGPGraphicsPath::TGPGraphicsPath(GpPath* handle) noexcept {
    AttachNative(handle);
}

std::unique_ptr<TGPGraphicsPath> TGPGraphicsPath::CreateFromNative(GpPath* handle) noexcept {
    auto wrapper = GdipFactory::Make<TGPGraphicsPath>(handle);
    if (!wrapper && handle) detail::DeleteNative(Gdip().GdipDeletePath, handle);
    return wrapper;
}

TGPGraphicsPath::~TGPGraphicsPath() {
    detail::DeleteNative(Gdip().GdipDeletePath, nativePath);
}

Status TGPGraphicsPath::GetLastStatus() noexcept {
    return std::exchange(lastResult, Ok);
}

} // namespace tn::gdiplus
