// Font family, font and font collection wrappers. The three generic families are shared
// process-wide objects, made on first use and freed by the shutdown step.
#pragma once

#include "gdiplus/GdiplusBase.h"

namespace tn::gdiplus {

void ShutdownGdiplus() noexcept;

class TGPFontFamily : public TGdiplusBase {
public:
    // No handle, status Ok.
    [[nodiscard]] static std::unique_ptr<TGPFontFamily> Create() noexcept;
    // The shared generic families: the caller must not free them. GDI+ is asked once per family,
    // whatever status it gave; none when no wrapper could be made.
    [[nodiscard]] static TGPFontFamily* GenericSansSerif() noexcept;
    [[nodiscard]] static TGPFontFamily* GenericSerif() noexcept;
    [[nodiscard]] static TGPFontFamily* GenericMonospace() noexcept;
    ~TGPFontFamily() override;

    [[nodiscard]] GpFontFamily* Native() const noexcept { return nativeFamily; }
    // The kept status; reading it resets it to Ok.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    friend void ShutdownGdiplus() noexcept;
    TGPFontFamily() noexcept = default;
    TGPFontFamily(GpFontFamily* handle, Status status) noexcept;
    // Wraps an existing handle; when no wrapper can be made the handle is deleted.
    [[nodiscard]] static std::unique_ptr<TGPFontFamily> CreateFromNative(GpFontFamily* handle,
                                                                         Status status) noexcept;
    void AttachNative(GpFontFamily* handle) noexcept { nativeFamily = handle; }
    // For getters that hand this wrapper another handle: the one it held is deleted, not lost.
    void ReplaceNative(GpFontFamily* handle) noexcept;
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastResult, status); }

    GpFontFamily* nativeFamily = nullptr;
    Status lastResult = Ok;

private:
    using GenericGetter = Status(WINAPI*)(GpFontFamily** nativeFamily);
    static TGPFontFamily* Generic(std::unique_ptr<TGPFontFamily>& slot, GenericGetter get) noexcept;

    static std::unique_ptr<TGPFontFamily> genericSansSerifFamily;
    static std::unique_ptr<TGPFontFamily> genericSerifFamily;
    static std::unique_ptr<TGPFontFamily> genericMonospaceFamily;
};

class TGPFont : public TGdiplusBase {
public:
    [[nodiscard]] static std::unique_ptr<TGPFont> Create(const TGPFontFamily* family, REAL emSize,
                                                         INT style, Unit_ unit_) noexcept;
    ~TGPFont() override;

    [[nodiscard]] GpFont* Native() const noexcept { return nativeFont; }
    // The kept status; reading it leaves it in place.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    TGPFont() noexcept = default;
    TGPFont(GpFont* handle, Status status) noexcept;
    // Wraps an existing handle; when no wrapper can be made the handle is deleted.
    [[nodiscard]] static std::unique_ptr<TGPFont> CreateFromNative(GpFont* handle,
                                                                   Status status) noexcept;
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
