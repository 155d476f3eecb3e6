// String format and metafile wrappers. The two generic formats are shared process-wide objects,
// made on first use and freed by the shutdown step.
#pragma once

#include "gdiplus/GdiplusBase.h"
#include "gdiplus/Image.h"

#include <span>
#include <string>

namespace tn::gdiplus {

void ShutdownGdiplus() noexcept;

// Its status field is lastError; the rule is the usual one.
class TGPStringFormat : public TGdiplusBase {
public:
    [[nodiscard]] static std::unique_ptr<TGPStringFormat> Create(INT formatFlags = 0,
                                                                 LANGID language = 0) noexcept;
    // A copy of format; with none GDI+ answers for itself.
    [[nodiscard]] static std::unique_ptr<TGPStringFormat>
    Create(const TGPStringFormat* format) noexcept;
    // The shared generic formats: the caller must not free them. A format whose GDI+ call failed
    // is cached all the same, with the failure kept; none when no wrapper could be made.
    [[nodiscard]] static TGPStringFormat* GenericDefault() noexcept;
    [[nodiscard]] static TGPStringFormat* GenericTypographic() noexcept;
    ~TGPStringFormat() override;

    [[nodiscard]] GpStringFormat* Native() const noexcept { return nativeFormat; }

    // Keeps the clone call's status even when Ok; none when it failed.
    [[nodiscard]] std::unique_ptr<TGPStringFormat> Clone() noexcept;

    Status SetFormatFlags(INT flags) noexcept;
    [[nodiscard]] INT GetFormatFlags() noexcept;
    Status SetAlignment(StringAlignment align) noexcept;
    [[nodiscard]] StringAlignment GetAlignment() noexcept;
    Status SetLineAlignment(StringAlignment align) noexcept;
    [[nodiscard]] StringAlignment GetLineAlignment() noexcept;
    Status SetHotkeyPrefix(HotkeyPrefix hotkeyPrefix) noexcept;
    [[nodiscard]] HotkeyPrefix GetHotkeyPrefix() noexcept;
    Status SetTabStops(REAL firstTabOffset, std::span<const REAL> tabStops) noexcept;
    [[nodiscard]] INT GetTabStopCount() noexcept;
    // Reads as many tab stops as the span holds.
    Status GetTabStops(REAL& firstTabOffset, std::span<REAL> tabStops) noexcept;
    Status SetDigitSubstitution(LANGID language, StringDigitSubstitute substitute) noexcept;
    [[nodiscard]] LANGID GetDigitSubstitutionLanguage() noexcept;
    [[nodiscard]] StringDigitSubstitute GetDigitSubstitutionMethod() noexcept;
    Status SetTrimming(StringTrimming trimming) noexcept;
    [[nodiscard]] StringTrimming GetTrimming() noexcept;
    Status SetMeasurableCharacterRanges(std::span<const TCharacterRange> ranges) noexcept;
    [[nodiscard]] INT GetMeasurableCharacterRangeCount() noexcept;

    // The kept status; reading it resets it to Ok.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    friend void ShutdownGdiplus() noexcept;
    TGPStringFormat() noexcept = default;
    TGPStringFormat(GpStringFormat* handle, Status status) noexcept;
    // Wraps an existing handle; when no wrapper can be made the handle is deleted.
    [[nodiscard]] static std::unique_ptr<TGPStringFormat> CreateFromNative(GpStringFormat* handle,
                                                                           Status status) noexcept;
    void AttachNative(GpStringFormat* handle) noexcept { nativeFormat = handle; }
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastError, status); }

    GpStringFormat* nativeFormat = nullptr;
    Status lastError = Ok;

private:
    using GenericGetter = Status(WINAPI*)(GpStringFormat** format);
    static TGPStringFormat* Generic(std::unique_ptr<TGPStringFormat>& slot,
                                    GenericGetter get) noexcept;

    static std::unique_ptr<TGPStringFormat> genericDefaultFormat;
    static std::unique_ptr<TGPStringFormat> genericTypographicFormat;
};

// A metafile is an image; it records through the image's status and is disposed as one. The
// recording forms take a reference device context and, optionally, a frame; without a frame the
// frame unit is GDI units. A description may be none.
class TGPMetafile : public TGPImage {
public:
    [[nodiscard]] static std::unique_ptr<TGPMetafile>
    Create(HMETAFILE hWmf, const WmfPlaceableFileHeader& wmfPlaceableFileHeader,
           bool deleteWmf = false) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPMetafile> Create(HENHMETAFILE hEmf,
                                                             bool deleteEmf = false) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPMetafile> Create(const std::wstring& filename) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPMetafile>
    Create(const std::wstring& filename,
           const WmfPlaceableFileHeader& wmfPlaceableFileHeader) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPMetafile> Create(IStream* stream) noexcept;

    // Recording into memory.
    [[nodiscard]] static std::unique_ptr<TGPMetafile>
    Create(HDC referenceHdc, EmfType type_ = EmfTypeEmfPlusDual,
           const WCHAR* description = nullptr) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPMetafile>
    Create(HDC referenceHdc, const TGPRectF& frameRect,
           MetafileFrameUnit frameUnit = MetafileFrameUnitGdi, EmfType type_ = EmfTypeEmfPlusDual,
           const WCHAR* description = nullptr) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPMetafile>
    Create(HDC referenceHdc, const TGPRect& frameRect,
           MetafileFrameUnit frameUnit = MetafileFrameUnitGdi, EmfType type_ = EmfTypeEmfPlusDual,
           const WCHAR* description = nullptr) noexcept;
    // Recording into a file.
    [[nodiscard]] static std::unique_ptr<TGPMetafile>
    Create(const std::wstring& fileName, HDC referenceHdc, EmfType type_ = EmfTypeEmfPlusDual,
           const WCHAR* description = nullptr) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPMetafile>
    Create(const std::wstring& fileName, HDC referenceHdc, const TGPRectF& frameRect,
           MetafileFrameUnit frameUnit = MetafileFrameUnitGdi, EmfType type_ = EmfTypeEmfPlusDual,
           const WCHAR* description = nullptr) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPMetafile>
    Create(const std::wstring& fileName, HDC referenceHdc, const TGPRect& frameRect,
           MetafileFrameUnit frameUnit = MetafileFrameUnitGdi, EmfType type_ = EmfTypeEmfPlusDual,
           const WCHAR* description = nullptr) noexcept;
    // Recording into a stream.
    [[nodiscard]] static std::unique_ptr<TGPMetafile>
    Create(IStream* stream, HDC referenceHdc, EmfType type_ = EmfTypeEmfPlusDual,
           const WCHAR* description = nullptr) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPMetafile>
    Create(IStream* stream, HDC referenceHdc, const TGPRectF& frameRect,
           MetafileFrameUnit frameUnit = MetafileFrameUnitGdi, EmfType type_ = EmfTypeEmfPlusDual,
           const WCHAR* description = nullptr) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPMetafile>
    Create(IStream* stream, HDC referenceHdc, const TGPRect& frameRect,
           MetafileFrameUnit frameUnit = MetafileFrameUnitGdi, EmfType type_ = EmfTypeEmfPlusDual,
           const WCHAR* description = nullptr) noexcept;
    // No native object: handle none, status Ok.
    [[nodiscard]] static std::unique_ptr<TGPMetafile> Create() noexcept;

    // Headers of metafiles that are not wrapped: GDI+'s status, kept nowhere.
    static Status GetMetafileHeader(HMETAFILE hWmf,
                                    const WmfPlaceableFileHeader& wmfPlaceableFileHeader,
                                    TMetafileHeader& header) noexcept;
    static Status GetMetafileHeader(HENHMETAFILE hEmf, TMetafileHeader& header) noexcept;
    static Status GetMetafileHeader(const std::wstring& filename, TMetafileHeader& header) noexcept;
    static Status GetMetafileHeader(IStream* stream, TMetafileHeader& header) noexcept;
    // This metafile's header; the status is kept.
    Status GetMetafileHeader(TMetafileHeader& header) noexcept;

    // The caller owns the enhanced metafile; GDI+ leaves this metafile unusable afterwards.
    [[nodiscard]] HENHMETAFILE GetHENHMETAFILE() noexcept;
    Status PlayRecord(EmfPlusRecordType recordType, UINT flags,
                      std::span<const BYTE> data) noexcept;
    Status SetDownLevelRasterizationLimit(UINT metafileRasterizationLimitDpi) noexcept;
    [[nodiscard]] UINT GetDownLevelRasterizationLimit() noexcept;

    // GDI+'s byte count as it comes, kept nowhere; an empty span asks for the size.
    [[nodiscard]] static UINT EmfToWmfBits(HENHMETAFILE hemf, std::span<BYTE> data16, INT iMapMode,
                                           INT eFlags) noexcept;

protected:
    friend struct GdipFactory;
    TGPMetafile() noexcept = default;
    // Runs one creating call into a fresh wrapper and keeps its status.
    template <typename Call> static std::unique_ptr<TGPMetafile> Construct(Call&& call) noexcept;
    [[nodiscard]] GpMetafile* NativeMetafile() const noexcept {
        return static_cast<GpMetafile*>(nativeImage);
    }
};

} // namespace tn::gdiplus
