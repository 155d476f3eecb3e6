// Font family, font and font collection wrappers. The three generic families are shared
// process-wide objects, made on first use and freed by the shutdown step.
#pragma once

#include "gdiplus/GdiplusBase.h"

#include <span>
#include <string>

namespace tn::gdiplus {

void ShutdownGdiplus() noexcept;

class TGPGraphics;
class TGPFont;
class TGPFontCollection;

class TGPFontFamily : public TGdiplusBase {
public:
    // No handle, status Ok.
    [[nodiscard]] static std::unique_ptr<TGPFontFamily> Create() noexcept;
    // No collection: the installed fonts.
    [[nodiscard]] static std::unique_ptr<TGPFontFamily>
    Create(const std::wstring& name, const TGPFontCollection* fontCollection = nullptr) noexcept;
    // The shared generic families: the caller must not free them. GDI+ is asked once per family,
    // whatever status it gave; none when no wrapper could be made.
    [[nodiscard]] static TGPFontFamily* GenericSansSerif() noexcept;
    [[nodiscard]] static TGPFontFamily* GenericSerif() noexcept;
    [[nodiscard]] static TGPFontFamily* GenericMonospace() noexcept;
    ~TGPFontFamily() override;

    [[nodiscard]] GpFontFamily* Native() const noexcept { return nativeFamily; }

    // The name is the buffer's text up to its first NUL (at most 32 units); empty when GDI+ wrote
    // none.
    Status GetFamilyName(std::wstring& name, LANGID language) noexcept;
    // Carries this family's status.
    [[nodiscard]] std::unique_ptr<TGPFontFamily> Clone() noexcept;
    [[nodiscard]] bool IsAvailable() const noexcept { return nativeFamily != nullptr; }
    // False whenever the call fails.
    [[nodiscard]] bool IsStyleAvailable(INT style) noexcept;
    // Design units; 0 when the call fails.
    [[nodiscard]] UINT16 GetEmHeight(INT style) noexcept;
    [[nodiscard]] UINT16 GetCellAscent(INT style) noexcept;
    [[nodiscard]] UINT16 GetCellDescent(INT style) noexcept;
    [[nodiscard]] UINT16 GetLineSpacing(INT style) noexcept;
    // The kept status; reading it resets it to Ok.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    friend class TGPFont;
    friend class TGPFontCollection;
    friend void ShutdownGdiplus() noexcept;
    TGPFontFamily() noexcept = default;
    TGPFontFamily(GpFontFamily* handle, Status status) noexcept;
    // Wraps an existing handle; when no wrapper can be made the handle is deleted.
    [[nodiscard]] static std::unique_ptr<TGPFontFamily> CreateFromNative(GpFontFamily* handle,
                                                                         Status status) noexcept;
    void AttachNative(GpFontFamily* handle) noexcept { nativeFamily = handle; }
    // For getters that hand this wrapper a new handle: the reference it held is deleted, not lost.
    void ReplaceNative(GpFontFamily* handle) noexcept;
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastResult, status); }

    GpFontFamily* nativeFamily = nullptr;
    Status lastResult = Ok;

private:
    using GenericGetter = Status(WINAPI*)(GpFontFamily** nativeFamily);
    static TGPFontFamily* Generic(std::unique_ptr<TGPFontFamily>& slot, GenericGetter get) noexcept;
    using Metric = Status(WINAPI*)(const GpFontFamily* family, INT style, UINT16* value);
    UINT16 GetMetric(Metric metric, INT style) noexcept;

    static std::unique_ptr<TGPFontFamily> genericSansSerifFamily;
    static std::unique_ptr<TGPFontFamily> genericSerifFamily;
    static std::unique_ptr<TGPFontFamily> genericMonospaceFamily;
};

// Constructors keep the status of their last creating call whatever it is.
class TGPFont : public TGdiplusBase {
public:
    [[nodiscard]] static std::unique_ptr<TGPFont> Create(HDC hdc) noexcept;
    // No log font: the device context's font.
    [[nodiscard]] static std::unique_ptr<TGPFont> Create(HDC hdc, const LOGFONTA* logfont) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPFont> Create(HDC hdc, const LOGFONTW* logfont) noexcept;
    // No font, or one GDI cannot describe: the device context's font.
    [[nodiscard]] static std::unique_ptr<TGPFont> Create(HDC hdc, HFONT hfont) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPFont> Create(const TGPFontFamily* family, REAL emSize,
                                                         INT style, Unit_ unit_) noexcept;
    // A name GDI+ cannot find, or a font it cannot make from that family, falls back to the
    // generic sans-serif family; the fallback's status is the one kept.
    [[nodiscard]] static std::unique_ptr<TGPFont>
    Create(const std::wstring& familyName, REAL emSize, INT style, Unit_ unit_,
           const TGPFontCollection* fontCollection = nullptr) noexcept;
    ~TGPFont() override;

    [[nodiscard]] GpFont* Native() const noexcept { return nativeFont; }

    Status GetLogFontA(const TGPGraphics* g, LOGFONTA& logfontA) noexcept;
    Status GetLogFontW(const TGPGraphics* g, LOGFONTW& logfontW) noexcept;
    // Carries this font's status.
    [[nodiscard]] std::unique_ptr<TGPFont> Clone() noexcept;
    [[nodiscard]] bool IsAvailable() const noexcept { return nativeFont != nullptr; }
    // These getters answer 0 when their call fails.
    [[nodiscard]] INT GetStyle() noexcept;
    [[nodiscard]] REAL GetSize() noexcept;
    [[nodiscard]] Unit_ GetUnit() noexcept;
    [[nodiscard]] REAL GetHeight(const TGPGraphics* graphics) noexcept;
    [[nodiscard]] REAL GetHeight(REAL dpi) noexcept;
    // The family gets its own new handle (the one it held is deleted); the status is kept in both.
    // No family: InvalidParameter, kept in the font.
    Status GetFamily(TGPFontFamily* family) noexcept;
    // The kept status; reading it leaves it in place.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    TGPFont() noexcept = default;
    TGPFont(GpFont* handle, Status status) noexcept;
    TGPFont(const std::wstring& familyName, REAL emSize, INT style, Unit_ unit_,
            const TGPFontCollection* fontCollection) noexcept;
    // Wraps an existing handle; when no wrapper can be made the handle is deleted.
    [[nodiscard]] static std::unique_ptr<TGPFont> CreateFromNative(GpFont* handle,
                                                                   Status status) noexcept;
    // Runs one creating call into a fresh wrapper and keeps its status.
    template <typename Call> static std::unique_ptr<TGPFont> Construct(Call&& call) noexcept;
    void AttachNative(GpFont* handle) noexcept { nativeFont = handle; }
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastResult, status); }

    GpFont* nativeFont = nullptr;
    Status lastResult = Ok;
};

// No operation of the program makes a collection handle, so its handle stays none.
class TGPFontCollection : public TGdiplusBase {
public:
    [[nodiscard]] static std::unique_ptr<TGPFontCollection> Create() noexcept;
    // The handle is not deleted.
    ~TGPFontCollection() override = default;

    [[nodiscard]] GpFontCollection* Native() const noexcept { return nativeFontCollection; }
    [[nodiscard]] INT GetFamilyCount() noexcept;
    // Each family found gets a copy of the collection's family (the handle it held is deleted).
    // A count below 1, a span shorter than the count or a missing family within it is
    // InvalidParameter, without a call.
    Status GetFamilies(INT numSought, std::span<TGPFontFamily* const> gpfamilies,
                       INT& numFound) noexcept;
    // The kept status; reading it leaves it in place.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    TGPFontCollection() noexcept = default;
    // This class keeps every status, Ok included.
    Status RecordStatus(Status status) noexcept { return lastResult = status; }

    GpFontCollection* nativeFontCollection = nullptr;
    Status lastResult = Ok;
};

} // namespace tn::gdiplus
