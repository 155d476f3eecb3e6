#include "gdiplus/Font.h"

#include "gdiplus/GdipInternal.h"
#include "gdiplus/Graphics.h"

#include <algorithm>
#include <cwchar>
#include <vector>

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

std::unique_ptr<TGPFontFamily>
TGPFontFamily::Create(const std::wstring& name, const TGPFontCollection* fontCollection) noexcept {
    auto family = Create();
    if (!family) return nullptr;
    family->nativeFamily = nullptr;
    family->lastResult = Gdip().GdipCreateFontFamilyFromName(name.c_str(), NativeOf(fontCollection),
                                                             &family->nativeFamily);
    return family;
}

// Each handle GDI+ hands over is a reference of its own, even the very one already held (this Wine
// gives one shared pointer per installed family), so the held reference always goes.
void TGPFontFamily::ReplaceNative(GpFontFamily* handle) noexcept {
    if (nativeFamily) detail::DeleteNative(Gdip().GdipDeleteFontFamily, nativeFamily);
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

Status TGPFontFamily::GetFamilyName(std::wstring& name, LANGID language) noexcept {
    WCHAR buffer[LF_FACESIZE] = {};
    const Status status = RecordStatus(Gdip().GdipGetFamilyName(nativeFamily, buffer, language));
    try {
        name.assign(buffer, ::wcsnlen(buffer, LF_FACESIZE));
    } catch (const std::bad_alloc&) {
        return RecordStatus(OutOfMemory);
    }
    return status;
}

std::unique_ptr<TGPFontFamily> TGPFontFamily::Clone() noexcept {
    GpFontFamily* clone = nullptr;
    RecordStatus(Gdip().GdipCloneFontFamily(nativeFamily, &clone));
    return CreateFromNative(clone, lastResult);
}

bool TGPFontFamily::IsStyleAvailable(INT style) noexcept {
    BOOL available = FALSE;
    return RecordStatus(Gdip().GdipIsStyleAvailable(nativeFamily, style, &available)) == Ok &&
           available;
}

UINT16 TGPFontFamily::GetMetric(Metric metric, INT style) noexcept {
    UINT16 value = 0;
    RecordStatus(metric(nativeFamily, style, &value));
    return value;
}

UINT16 TGPFontFamily::GetEmHeight(INT style) noexcept {
    return GetMetric(Gdip().GdipGetEmHeight, style);
}

UINT16 TGPFontFamily::GetCellAscent(INT style) noexcept {
    return GetMetric(Gdip().GdipGetCellAscent, style);
}

UINT16 TGPFontFamily::GetCellDescent(INT style) noexcept {
    return GetMetric(Gdip().GdipGetCellDescent, style);
}

UINT16 TGPFontFamily::GetLineSpacing(INT style) noexcept {
    return GetMetric(Gdip().GdipGetLineSpacing, style);
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

template <typename Call> std::unique_ptr<TGPFont> TGPFont::Construct(Call&& call) noexcept {
    return GdipFactory::Construct<TGPFont, GpFont>(std::forward<Call>(call));
}

std::unique_ptr<TGPFont> TGPFont::Create(HDC hdc) noexcept {
    return Construct([&](GpFont** out) { return Gdip().GdipCreateFontFromDC(hdc, out); });
}

std::unique_ptr<TGPFont> TGPFont::Create(HDC hdc, const LOGFONTA* logfont) noexcept {
    if (!logfont) return Create(hdc);
    return Construct(
        [&](GpFont** out) { return Gdip().GdipCreateFontFromLogfontA(hdc, logfont, out); });
}

std::unique_ptr<TGPFont> TGPFont::Create(HDC hdc, const LOGFONTW* logfont) noexcept {
    if (!logfont) return Create(hdc);
    return Construct(
        [&](GpFont** out) { return Gdip().GdipCreateFontFromLogfontW(hdc, logfont, out); });
}

std::unique_ptr<TGPFont> TGPFont::Create(HDC hdc, HFONT hfont) noexcept {
    if (!hfont) return Create(hdc);
    static_assert(sizeof(LOGFONTA) == 60);
    LOGFONTA logfont{};
    if (::GetObjectA(hfont, sizeof logfont, &logfont) == 0) return Create(hdc);
    return Create(hdc, &logfont);
}

std::unique_ptr<TGPFont> TGPFont::Create(const TGPFontFamily* family, REAL emSize, INT style,
                                         Unit_ unit_) noexcept {
    return Construct([&](GpFont** out) {
        return Gdip().GdipCreateFont(NativeOf(family), emSize, style, unit_, out);
    });
}

std::unique_ptr<TGPFont> TGPFont::Create(const std::wstring& familyName, REAL emSize, INT style,
                                         Unit_ unit_,
                                         const TGPFontCollection* fontCollection) noexcept {
    return GdipFactory::Make<TGPFont>(familyName, emSize, style, unit_, fontCollection);
}

TGPFont::TGPFont(const std::wstring& familyName, REAL emSize, INT style, Unit_ unit_,
                 const TGPFontCollection* fontCollection) noexcept {
    nativeFont = nullptr;
    // The temporary family owns only the handle made for it; the fallback's handle stays with the
    // shared generic family, which freeing the temporary one must not delete.
    const auto named = TGPFontFamily::Create(familyName, fontCollection);
    const GpFontFamily* family = NativeOf(named.get());
    lastResult = named ? named->GetLastStatus() : OutOfMemory;
    if (lastResult != Ok) {
        const TGPFontFamily* generic = TGPFontFamily::GenericSansSerif();
        family = NativeOf(generic);
        lastResult = generic ? generic->lastResult : OutOfMemory;
        if (lastResult != Ok) return;
    }
    lastResult = Gdip().GdipCreateFont(family, emSize, style, unit_, &nativeFont);
    if (lastResult != Ok) {
        const TGPFontFamily* generic = TGPFontFamily::GenericSansSerif();
        lastResult = generic ? generic->lastResult : OutOfMemory;
        if (lastResult == Ok)
            lastResult =
                Gdip().GdipCreateFont(generic->Native(), emSize, style, unit_, &nativeFont);
    }
}

TGPFont::~TGPFont() {
    detail::DeleteNative(Gdip().GdipDeleteFont, nativeFont);
}

Status TGPFont::GetLogFontA(const TGPGraphics* g, LOGFONTA& logfontA) noexcept {
    return RecordStatus(Gdip().GdipGetLogFontA(nativeFont, NativeOf(g), &logfontA));
}

Status TGPFont::GetLogFontW(const TGPGraphics* g, LOGFONTW& logfontW) noexcept {
    return RecordStatus(Gdip().GdipGetLogFontW(nativeFont, NativeOf(g), &logfontW));
}

std::unique_ptr<TGPFont> TGPFont::Clone() noexcept {
    GpFont* clone = nullptr;
    RecordStatus(Gdip().GdipCloneFont(nativeFont, &clone));
    return CreateFromNative(clone, lastResult);
}

INT TGPFont::GetStyle() noexcept {
    INT style = 0;
    RecordStatus(Gdip().GdipGetFontStyle(nativeFont, &style));
    return style;
}

REAL TGPFont::GetSize() noexcept {
    REAL size = 0;
    RecordStatus(Gdip().GdipGetFontSize(nativeFont, &size));
    return size;
}

Unit_ TGPFont::GetUnit() noexcept {
    Unit_ unit_ = UnitWorld;
    RecordStatus(Gdip().GdipGetFontUnit(nativeFont, &unit_));
    return unit_;
}

REAL TGPFont::GetHeight(const TGPGraphics* graphics) noexcept {
    REAL height = 0;
    RecordStatus(Gdip().GdipGetFontHeight(nativeFont, NativeOf(graphics), &height));
    return height;
}

REAL TGPFont::GetHeight(REAL dpi) noexcept {
    REAL height = 0;
    RecordStatus(Gdip().GdipGetFontHeightGivenDPI(nativeFont, dpi, &height));
    return height;
}

Status TGPFont::GetFamily(TGPFontFamily* family) noexcept {
    if (!family) return RecordStatus(InvalidParameter);
    GpFontFamily* handle = nullptr;
    const Status status = Gdip().GdipGetFamily(nativeFont, &handle);
    // A call that wrote nothing leaves the family its handle.
    if (handle) family->ReplaceNative(handle);
    family->RecordStatus(status);
    return RecordStatus(status);
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

Status TGPFontCollection::GetFamilies(INT numSought, std::span<TGPFontFamily* const> gpfamilies,
                                      INT& numFound) noexcept {
    if (numSought <= 0 || gpfamilies.size() < static_cast<std::size_t>(numSought) ||
        std::find(gpfamilies.begin(), gpfamilies.begin() + numSought, nullptr) !=
            gpfamilies.begin() + numSought)
        return RecordStatus(InvalidParameter);
    numFound = 0;
    std::vector<GpFontFamily*> room;
    try {
        room.resize(static_cast<std::size_t>(numSought));
    } catch (const std::bad_alloc&) {
        return RecordStatus(OutOfMemory);
    }
    const Status status = RecordStatus(Gdip().GdipGetFontCollectionFamilyList(
        nativeFontCollection, numSought, room.data(), &numFound));
    if (status == Ok) {
        // The copies' statuses are not looked at; a copy not made leaves the family as it was.
        const INT found = std::clamp(numFound, 0, numSought);
        for (INT i = 0; i < found; ++i) {
            GpFontFamily* clone = nullptr;
            static_cast<void>(Gdip().GdipCloneFontFamily(room[i], &clone));
            if (clone) gpfamilies[i]->ReplaceNative(clone);
        }
    }
    return status;
}

Status TGPFontCollection::GetLastStatus() noexcept {
    return lastResult;
}

} // namespace tn::gdiplus
