#include "gdiplus/Font.h"

#include "gdiplus/GdipInternal.h"

namespace tn::gdiplus {

// ---- TGPFontFamily
// -------------------------------------------------------------------------------

std::unique_ptr<TGPFontFamily> TGPFontFamily::genericSansSerifFamily;
std::unique_ptr<TGPFontFamily> TGPFontFamily::genericSerifFamily;
std::unique_ptr<TGPFontFamily> TGPFontFamily::genericMonospaceFamily;

TGPFontFamily::TGPFontFamily(GpFontFamily* handle, Status status) noexcept {
    lastResult = status;
    AttachNative(handle);
}

std::unique_ptr<TGPFontFamily> TGPFontFamily::CreateFromNative(GpFontFamily* handle,
                                                               Status status) noexcept {
    auto wrapper = GdipFactory::Make<TGPFontFamily>(handle, status);
    if (!wrapper && handle) detail::DeleteNative(Gdip().GdipDeleteFontFamily, handle);
    return wrapper;
}

std::unique_ptr<TGPFontFamily> TGPFontFamily::Create() noexcept {
    return GdipFactory::Make<TGPFontFamily>();
}

void TGPFontFamily::ReplaceNative(GpFontFamily* handle) noexcept {
    if (nativeFamily && nativeFamily != handle)
        detail::DeleteNative(Gdip().GdipDeleteFontFamily, nativeFamily);
    AttachNative(handle);
}

TGPFontFamily::~TGPFontFamily() {
    detail::DeleteNative(Gdip().GdipDeleteFontFamily, nativeFamily);
}

Status TGPFontFamily::GetLastStatus() noexcept {
    return std::exchange(lastResult, Ok);
}

// Asked once per family: a family whose call failed stays cached with its status.
TGPFontFamily* TGPFontFamily::Generic(std::unique_ptr<TGPFontFamily>& slot,
                                      GenericGetter get) noexcept {
    if (!slot) {
        slot = Create();
        if (!slot) return nullptr;
        GpFontFamily* handle = nullptr;
        slot->lastResult = get(&handle);
        slot->nativeFamily = handle;
    }
    return slot.get();
}

TGPFontFamily* TGPFontFamily::GenericSansSerif() noexcept {
    return Generic(genericSansSerifFamily, Gdip().GdipGetGenericFontFamilySansSerif);
}

TGPFontFamily* TGPFontFamily::GenericSerif() noexcept {
    return Generic(genericSerifFamily, Gdip().GdipGetGenericFontFamilySerif);
}

TGPFontFamily* TGPFontFamily::GenericMonospace() noexcept {
    return Generic(genericMonospaceFamily, Gdip().GdipGetGenericFontFamilyMonospace);
}

// ---- TGPFont
// -------------------------------------------------------------------------------------

TGPFont::TGPFont(GpFont* handle, Status status) noexcept {
    lastResult = status;
    AttachNative(handle);
}

std::unique_ptr<TGPFont> TGPFont::CreateFromNative(GpFont* handle, Status status) noexcept {
    auto wrapper = GdipFactory::Make<TGPFont>(handle, status);
    if (!wrapper && handle) detail::DeleteNative(Gdip().GdipDeleteFont, handle);
    return wrapper;
}

std::unique_ptr<TGPFont> TGPFont::Create(const TGPFontFamily* family, REAL emSize, INT style,
                                         Unit_ unit_) noexcept {
    auto font = GdipFactory::Make<TGPFont>();
    if (!font) return nullptr;
    GpFont* handle = nullptr;
    font->lastResult = Gdip().GdipCreateFont(NativeOf(family), emSize, style, unit_, &handle);
    font->AttachNative(handle);
    return font;
}

TGPFont::~TGPFont() {
    detail::DeleteNative(Gdip().GdipDeleteFont, nativeFont);
}

Status TGPFont::GetLastStatus() noexcept {
    return lastResult;
}

// ---- TGPFontCollection
// ---------------------------------------------------------------------------

std::unique_ptr<TGPFontCollection> TGPFontCollection::Create() noexcept {
    return GdipFactory::Make<TGPFontCollection>();
}

INT TGPFontCollection::GetFamilyCount() noexcept {
    INT count = 0;
    RecordStatus(Gdip().GdipGetFontCollectionFamilyCount(nativeFontCollection, &count));
    return count;
}

Status TGPFontCollection::GetLastStatus() noexcept {
    return lastResult;
}

} // namespace tn::gdiplus
