// Pen and custom line cap wrappers.
#pragma once

#include "gdiplus/GdiplusBase.h"

namespace tn::gdiplus {

class TGPPen : public TGdiplusBase {
public:
    ~TGPPen() override;

    [[nodiscard]] GpPen* Native() const noexcept { return nativePen; }
    // The kept status; reading it resets it to Ok.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    TGPPen() noexcept = default;
    TGPPen(GpPen* handle, Status status) noexcept;
    // Wraps an existing handle; when no wrapper can be made the handle is deleted.
    [[nodiscard]] static std::unique_ptr<TGPPen> CreateFromNative(GpPen* handle,
                                                                  Status status) noexcept;
    void AttachNative(GpPen* handle) noexcept { nativePen = handle; }
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastResult, status); }

    GpPen* nativePen = nullptr;
    Status lastResult = Ok;
};

class TGPCustomLineCap : public TGdiplusBase {
public:
    ~TGPCustomLineCap() override;

    [[nodiscard]] GpCustomLineCap* Native() const noexcept { return nativeCap; }
    // The kept status; reading it resets it to Ok.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    TGPCustomLineCap() noexcept = default;
    TGPCustomLineCap(GpCustomLineCap* handle, Status status) noexcept;
    // Wraps an existing handle; when no wrapper can be made the handle is deleted.
    [[nodiscard]] static std::unique_ptr<TGPCustomLineCap> CreateFromNative(GpCustomLineCap* handle,
                                                                            Status status) noexcept;
    void AttachNative(GpCustomLineCap* handle) noexcept { nativeCap = handle; }
    // For getters that hand this wrapper another handle: the one it held is deleted, not lost.
    void ReplaceNative(GpCustomLineCap* handle) noexcept;
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastResult, status); }

    GpCustomLineCap* nativeCap = nullptr;
    Status lastResult = Ok;
};

} // namespace tn::gdiplus
