#include "gdiplus/StringFormat.h"

#include "gdiplus/GdipInternal.h"

namespace tn::gdiplus {

std::unique_ptr<TGPStringFormat> TGPStringFormat::genericDefaultFormat;
std::unique_ptr<TGPStringFormat> TGPStringFormat::genericTypographicFormat;

TGPStringFormat::TGPStringFormat(GpStringFormat* handle, Status status) noexcept {
    lastError = status;
    AttachNative(handle);
}

std::unique_ptr<TGPStringFormat> TGPStringFormat::CreateFromNative(GpStringFormat* handle,
                                                                   Status status) noexcept {
    auto wrapper = GdipFactory::Make<TGPStringFormat>(handle, status);
    if (!wrapper && handle) detail::DeleteNative(Gdip().GdipDeleteStringFormat, handle);
    return wrapper;
}

TGPStringFormat::~TGPStringFormat() {
    detail::DeleteNative(Gdip().GdipDeleteStringFormat, nativeFormat);
}

Status TGPStringFormat::GetLastStatus() noexcept {
    return std::exchange(lastError, Ok);
}

// Made once per kind: a format whose call failed stays cached with its status.
TGPStringFormat* TGPStringFormat::Generic(std::unique_ptr<TGPStringFormat>& slot,
                                          GenericGetter get) noexcept {
    if (!slot) {
        slot = GdipFactory::Make<TGPStringFormat>();
        if (!slot) return nullptr;
        GpStringFormat* handle = nullptr;
        slot->lastError = get(&handle);
        slot->nativeFormat = handle;
    }
    return slot.get();
}

TGPStringFormat* TGPStringFormat::GenericDefault() noexcept {
    return Generic(genericDefaultFormat, Gdip().GdipStringFormatGetGenericDefault);
}

TGPStringFormat* TGPStringFormat::GenericTypographic() noexcept {
    return Generic(genericTypographicFormat, Gdip().GdipStringFormatGetGenericTypographic);
}

} // namespace tn::gdiplus
