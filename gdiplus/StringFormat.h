// String format and metafile wrappers. The two generic formats are shared process-wide objects,
// made on first use and freed by the shutdown step.
#pragma once

#include "gdiplus/GdiplusBase.h"
#include "gdiplus/Image.h"

namespace tn::gdiplus {

void ShutdownGdiplus() noexcept;

class TGPStringFormat : public TGdiplusBase {
public:
    // The shared generic formats: the caller must not free them. A format whose GDI+ call failed
    // is cached all the same, with the failure kept; none when no wrapper could be made.
    [[nodiscard]] static TGPStringFormat* GenericDefault() noexcept;
    [[nodiscard]] static TGPStringFormat* GenericTypographic() noexcept;
    ~TGPStringFormat() override;

    [[nodiscard]] GpStringFormat* Native() const noexcept { return nativeFormat; }
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

// A metafile is an image; it records through the image's status and is disposed as one.
class TGPMetafile : public TGPImage {
protected:
    friend struct GdipFactory;
    TGPMetafile() noexcept = default;
    [[nodiscard]] GpMetafile* NativeMetafile() const noexcept {
        return static_cast<GpMetafile*>(nativeImage);
    }
};

} // namespace tn::gdiplus
