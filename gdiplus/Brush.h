// Brush wrappers: the base class holds any kind of GDI+ brush; each descendant adds one kind.
#pragma once

#include "gdiplus/GdiplusBase.h"

namespace tn::gdiplus {

class TGPBrush : public TGdiplusBase {
public:
    ~TGPBrush() override;

    [[nodiscard]] GpBrush* Native() const noexcept { return nativeBrush; }
    // The kept status; reading it resets it to Ok.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    friend class TGPPen; // a pen's GetBrush fills an empty wrapper of the fill's class
    TGPBrush() noexcept = default;
    TGPBrush(GpBrush* handle, Status status) noexcept;
    // Wraps an existing handle; when no wrapper can be made the handle is deleted.
    [[nodiscard]] static std::unique_ptr<TGPBrush> CreateFromNative(GpBrush* handle,
                                                                    Status status) noexcept;
    void AttachNative(GpBrush* handle) noexcept { nativeBrush = handle; }
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastResult, status); }

    GpBrush* nativeBrush = nullptr;
    Status lastResult = Ok;
};

class TGPSolidBrush : public TGPBrush {
protected:
    friend struct GdipFactory;
    TGPSolidBrush() noexcept = default;
};

class TGPTextureBrush : public TGPBrush {
protected:
    friend struct GdipFactory;
    TGPTextureBrush() noexcept = default;
};

class TGPLinearGradientBrush : public TGPBrush {
protected:
    friend struct GdipFactory;
    TGPLinearGradientBrush() noexcept = default;
};

class TGPHatchBrush : public TGPBrush {
protected:
    friend struct GdipFactory;
    TGPHatchBrush() noexcept = default;
};

} // namespace tn::gdiplus
