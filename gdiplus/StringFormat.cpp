#include "gdiplus/StringFormat.h"

#include "gdiplus/GdipInternal.h"

#include <cstddef>

namespace tn::gdiplus {

// ---- TGPStringFormat
// -----------------------------------------------------------------------------

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

std::unique_ptr<TGPStringFormat> TGPStringFormat::Create(INT formatFlags,
                                                         LANGID language) noexcept {
    auto format = GdipFactory::Make<TGPStringFormat>();
    if (!format) return nullptr;
    GpStringFormat* handle = nullptr;
    format->lastError = Gdip().GdipCreateStringFormat(formatFlags, language, &handle);
    format->AttachNative(handle);
    return format;
}

std::unique_ptr<TGPStringFormat> TGPStringFormat::Create(const TGPStringFormat* format) noexcept {
    auto copy = GdipFactory::Make<TGPStringFormat>();
    if (!copy) return nullptr;
    GpStringFormat* handle = nullptr;
    copy->lastError = Gdip().GdipCloneStringFormat(NativeOf(format), &handle);
    copy->AttachNative(handle);
    return copy;
}

TGPStringFormat::~TGPStringFormat() {
    detail::DeleteNative(Gdip().GdipDeleteStringFormat, nativeFormat);
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

std::unique_ptr<TGPStringFormat> TGPStringFormat::Clone() noexcept {
    GpStringFormat* clone = nullptr;
    lastError = Gdip().GdipCloneStringFormat(nativeFormat, &clone);
    if (lastError != Ok) return nullptr;
    return CreateFromNative(clone, Ok);
}

Status TGPStringFormat::SetFormatFlags(INT flags) noexcept {
    return RecordStatus(Gdip().GdipSetStringFormatFlags(nativeFormat, flags));
}

INT TGPStringFormat::GetFormatFlags() noexcept {
    INT flags = 0;
    RecordStatus(Gdip().GdipGetStringFormatFlags(nativeFormat, &flags));
    return flags;
}

Status TGPStringFormat::SetAlignment(StringAlignment align) noexcept {
    return RecordStatus(Gdip().GdipSetStringFormatAlign(nativeFormat, align));
}

StringAlignment TGPStringFormat::GetAlignment() noexcept {
    StringAlignment align = StringAlignmentNear;
    RecordStatus(Gdip().GdipGetStringFormatAlign(nativeFormat, &align));
    return align;
}

Status TGPStringFormat::SetLineAlignment(StringAlignment align) noexcept {
    return RecordStatus(Gdip().GdipSetStringFormatLineAlign(nativeFormat, align));
}

StringAlignment TGPStringFormat::GetLineAlignment() noexcept {
    StringAlignment align = StringAlignmentNear;
    RecordStatus(Gdip().GdipGetStringFormatLineAlign(nativeFormat, &align));
    return align;
}

Status TGPStringFormat::SetHotkeyPrefix(HotkeyPrefix hotkeyPrefix) noexcept {
    return RecordStatus(Gdip().GdipSetStringFormatHotkeyPrefix(nativeFormat, hotkeyPrefix));
}

HotkeyPrefix TGPStringFormat::GetHotkeyPrefix() noexcept {
    INT prefix = HotkeyPrefixNone;
    RecordStatus(Gdip().GdipGetStringFormatHotkeyPrefix(nativeFormat, &prefix));
    return static_cast<HotkeyPrefix>(prefix);
}

Status TGPStringFormat::SetTabStops(REAL firstTabOffset, std::span<const REAL> tabStops) noexcept {
    return RecordStatus(Gdip().GdipSetStringFormatTabStops(
        nativeFormat, firstTabOffset, static_cast<INT>(tabStops.size()), tabStops.data()));
}

INT TGPStringFormat::GetTabStopCount() noexcept {
    INT count = 0;
    RecordStatus(Gdip().GdipGetStringFormatTabStopCount(nativeFormat, &count));
    return count;
}

Status TGPStringFormat::GetTabStops(REAL& firstTabOffset, std::span<REAL> tabStops) noexcept {
    return RecordStatus(Gdip().GdipGetStringFormatTabStops(
        nativeFormat, static_cast<INT>(tabStops.size()), &firstTabOffset, tabStops.data()));
}

Status TGPStringFormat::SetDigitSubstitution(LANGID language,
                                             StringDigitSubstitute substitute) noexcept {
    return RecordStatus(
        Gdip().GdipSetStringFormatDigitSubstitution(nativeFormat, language, substitute));
}

LANGID TGPStringFormat::GetDigitSubstitutionLanguage() noexcept {
    LANGID language = 0;
    RecordStatus(Gdip().GdipGetStringFormatDigitSubstitution(nativeFormat, &language, nullptr));
    return language;
}

StringDigitSubstitute TGPStringFormat::GetDigitSubstitutionMethod() noexcept {
    StringDigitSubstitute substitute = StringDigitSubstituteUser;
    RecordStatus(Gdip().GdipGetStringFormatDigitSubstitution(nativeFormat, nullptr, &substitute));
    return substitute;
}

Status TGPStringFormat::SetTrimming(StringTrimming trimming) noexcept {
    return RecordStatus(Gdip().GdipSetStringFormatTrimming(nativeFormat, trimming));
}

StringTrimming TGPStringFormat::GetTrimming() noexcept {
    StringTrimming trimming = StringTrimmingNone;
    RecordStatus(Gdip().GdipGetStringFormatTrimming(nativeFormat, &trimming));
    return trimming;
}

Status
TGPStringFormat::SetMeasurableCharacterRanges(std::span<const TCharacterRange> ranges) noexcept {
    return RecordStatus(Gdip().GdipSetStringFormatMeasurableCharacterRanges(
        nativeFormat, static_cast<INT>(ranges.size()), ranges.data()));
}

INT TGPStringFormat::GetMeasurableCharacterRangeCount() noexcept {
    INT count = 0;
    RecordStatus(Gdip().GdipGetStringFormatMeasurableCharacterRangeCount(nativeFormat, &count));
    return count;
}

Status TGPStringFormat::GetLastStatus() noexcept {
    return std::exchange(lastError, Ok);
}

// ---- TGPMetafile
// ---------------------------------------------------------------------------------

// GDI+ fills the whole header in one write from its first field.
static_assert(offsetof(TMetafileHeader, Type_) == 0);

template <typename Call> std::unique_ptr<TGPMetafile> TGPMetafile::Construct(Call&& call) noexcept {
    return GdipFactory::Construct<TGPMetafile, GpMetafile>(std::forward<Call>(call));
}

std::unique_ptr<TGPMetafile>
TGPMetafile::Create(HMETAFILE hWmf, const WmfPlaceableFileHeader& wmfPlaceableFileHeader,
                    bool deleteWmf) noexcept {
    return Construct([&](GpMetafile** out) {
        return Gdip().GdipCreateMetafileFromWmf(hWmf, deleteWmf ? TRUE : FALSE,
                                                &wmfPlaceableFileHeader, out);
    });
}

std::unique_ptr<TGPMetafile> TGPMetafile::Create(HENHMETAFILE hEmf, bool deleteEmf) noexcept {
    return Construct([&](GpMetafile** out) {
        return Gdip().GdipCreateMetafileFromEmf(hEmf, deleteEmf ? TRUE : FALSE, out);
    });
}

std::unique_ptr<TGPMetafile> TGPMetafile::Create(const std::wstring& filename) noexcept {
    return Construct(
        [&](GpMetafile** out) { return Gdip().GdipCreateMetafileFromFile(filename.c_str(), out); });
}

std::unique_ptr<TGPMetafile>
TGPMetafile::Create(const std::wstring& filename,
                    const WmfPlaceableFileHeader& wmfPlaceableFileHeader) noexcept {
    return Construct([&](GpMetafile** out) {
        return Gdip().GdipCreateMetafileFromWmfFile(filename.c_str(), &wmfPlaceableFileHeader, out);
    });
}

std::unique_ptr<TGPMetafile> TGPMetafile::Create(IStream* stream) noexcept {
    return Construct([&](GpMetafile** out) {
        const detail::StreamHold hold(stream);
        return Gdip().GdipCreateMetafileFromStream(hold.get(), out);
    });
}

std::unique_ptr<TGPMetafile> TGPMetafile::Create(HDC referenceHdc, EmfType type_,
                                                 const WCHAR* description) noexcept {
    return Construct([&](GpMetafile** out) {
        return Gdip().GdipRecordMetafile(referenceHdc, type_, nullptr, MetafileFrameUnitGdi,
                                         description, out);
    });
}

std::unique_ptr<TGPMetafile> TGPMetafile::Create(HDC referenceHdc, const TGPRectF& frameRect,
                                                 MetafileFrameUnit frameUnit, EmfType type_,
                                                 const WCHAR* description) noexcept {
    return Construct([&](GpMetafile** out) {
        return Gdip().GdipRecordMetafile(referenceHdc, type_, &frameRect, frameUnit, description,
                                         out);
    });
}

std::unique_ptr<TGPMetafile> TGPMetafile::Create(HDC referenceHdc, const TGPRect& frameRect,
                                                 MetafileFrameUnit frameUnit, EmfType type_,
                                                 const WCHAR* description) noexcept {
    return Construct([&](GpMetafile** out) {
        return Gdip().GdipRecordMetafileI(referenceHdc, type_, &frameRect, frameUnit, description,
                                          out);
    });
}

std::unique_ptr<TGPMetafile> TGPMetafile::Create(const std::wstring& fileName, HDC referenceHdc,
                                                 EmfType type_, const WCHAR* description) noexcept {
    return Construct([&](GpMetafile** out) {
        return Gdip().GdipRecordMetafileFileName(fileName.c_str(), referenceHdc, type_, nullptr,
                                                 MetafileFrameUnitGdi, description, out);
    });
}

std::unique_ptr<TGPMetafile> TGPMetafile::Create(const std::wstring& fileName, HDC referenceHdc,
                                                 const TGPRectF& frameRect,
                                                 MetafileFrameUnit frameUnit, EmfType type_,
                                                 const WCHAR* description) noexcept {
    return Construct([&](GpMetafile** out) {
        return Gdip().GdipRecordMetafileFileName(fileName.c_str(), referenceHdc, type_, &frameRect,
                                                 frameUnit, description, out);
    });
}

std::unique_ptr<TGPMetafile> TGPMetafile::Create(const std::wstring& fileName, HDC referenceHdc,
                                                 const TGPRect& frameRect,
                                                 MetafileFrameUnit frameUnit, EmfType type_,
                                                 const WCHAR* description) noexcept {
    return Construct([&](GpMetafile** out) {
        return Gdip().GdipRecordMetafileFileNameI(fileName.c_str(), referenceHdc, type_, &frameRect,
                                                  frameUnit, description, out);
    });
}

std::unique_ptr<TGPMetafile> TGPMetafile::Create(IStream* stream, HDC referenceHdc, EmfType type_,
                                                 const WCHAR* description) noexcept {
    return Construct([&](GpMetafile** out) {
        const detail::StreamHold hold(stream);
        return Gdip().GdipRecordMetafileStream(hold.get(), referenceHdc, type_, nullptr,
                                               MetafileFrameUnitGdi, description, out);
    });
}

std::unique_ptr<TGPMetafile> TGPMetafile::Create(IStream* stream, HDC referenceHdc,
                                                 const TGPRectF& frameRect,
                                                 MetafileFrameUnit frameUnit, EmfType type_,
                                                 const WCHAR* description) noexcept {
    return Construct([&](GpMetafile** out) {
        const detail::StreamHold hold(stream);
        return Gdip().GdipRecordMetafileStream(hold.get(), referenceHdc, type_, &frameRect,
                                               frameUnit, description, out);
    });
}

std::unique_ptr<TGPMetafile> TGPMetafile::Create(IStream* stream, HDC referenceHdc,
                                                 const TGPRect& frameRect,
                                                 MetafileFrameUnit frameUnit, EmfType type_,
                                                 const WCHAR* description) noexcept {
    return Construct([&](GpMetafile** out) {
        const detail::StreamHold hold(stream);
        return Gdip().GdipRecordMetafileStreamI(hold.get(), referenceHdc, type_, &frameRect,
                                                frameUnit, description, out);
    });
}

std::unique_ptr<TGPMetafile> TGPMetafile::Create() noexcept {
    return GdipFactory::Make<TGPMetafile>();
}

Status TGPMetafile::GetMetafileHeader(HMETAFILE hWmf,
                                      const WmfPlaceableFileHeader& wmfPlaceableFileHeader,
                                      TMetafileHeader& header) noexcept {
    return Gdip().GdipGetMetafileHeaderFromWmf(hWmf, &wmfPlaceableFileHeader, &header);
}

Status TGPMetafile::GetMetafileHeader(HENHMETAFILE hEmf, TMetafileHeader& header) noexcept {
    return Gdip().GdipGetMetafileHeaderFromEmf(hEmf, &header);
}

Status TGPMetafile::GetMetafileHeader(const std::wstring& filename,
                                      TMetafileHeader& header) noexcept {
    return Gdip().GdipGetMetafileHeaderFromFile(filename.c_str(), &header);
}

Status TGPMetafile::GetMetafileHeader(IStream* stream, TMetafileHeader& header) noexcept {
    const detail::StreamHold hold(stream);
    return Gdip().GdipGetMetafileHeaderFromStream(hold.get(), &header);
}

Status TGPMetafile::GetMetafileHeader(TMetafileHeader& header) noexcept {
    return RecordStatus(Gdip().GdipGetMetafileHeaderFromMetafile(NativeMetafile(), &header));
}

HENHMETAFILE TGPMetafile::GetHENHMETAFILE() noexcept {
    HENHMETAFILE hemf = nullptr;
    RecordStatus(Gdip().GdipGetHemfFromMetafile(NativeMetafile(), &hemf));
    return hemf;
}

Status TGPMetafile::PlayRecord(EmfPlusRecordType recordType, UINT flags,
                               std::span<const BYTE> data) noexcept {
    return RecordStatus(Gdip().GdipPlayMetafileRecord(NativeMetafile(), recordType, flags,
                                                      static_cast<UINT>(data.size()), data.data()));
}

Status TGPMetafile::SetDownLevelRasterizationLimit(UINT metafileRasterizationLimitDpi) noexcept {
    return RecordStatus(Gdip().GdipSetMetafileDownLevelRasterizationLimit(
        NativeMetafile(), metafileRasterizationLimitDpi));
}

UINT TGPMetafile::GetDownLevelRasterizationLimit() noexcept {
    UINT limit = 0;
    RecordStatus(Gdip().GdipGetMetafileDownLevelRasterizationLimit(NativeMetafile(), &limit));
    return limit;
}

UINT TGPMetafile::EmfToWmfBits(HENHMETAFILE hemf, std::span<BYTE> data16, INT iMapMode,
                               INT eFlags) noexcept {
    return Gdip().GdipEmfToWmfBits(hemf, static_cast<UINT>(data16.size()), data16.data(), iMapMode,
                                   eFlags);
}

} // namespace tn::gdiplus
