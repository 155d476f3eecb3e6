// Matrix and region wrappers: a 3x2 affine matrix and a region, each one GDI+ handle.
#pragma once

#include "gdiplus/GdiplusBase.h"

namespace tn::gdiplus {

class TGPMatrix : public TGdiplusBase {
public:
    ~TGPMatrix() override;

    [[nodiscard]] GpMatrix* Native() const noexcept { return nativeMatrix; }
    // The kept status; reading it resets it to Ok.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    TGPMatrix() noexcept = default;
    explicit TGPMatrix(GpMatrix* handle) noexcept;
    // Wraps an existing handle; when no wrapper can be made the handle is deleted.
    [[nodiscard]] static std::unique_ptr<TGPMatrix> CreateFromNative(GpMatrix* handle) noexcept;
    void AttachNative(GpMatrix* handle) noexcept { nativeMatrix = handle; }
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastResult, status); }

    GpMatrix* nativeMatrix = nullptr;
    Status lastResult = Ok;
};

class TGPRegion : public TGdiplusBase {
public:
    ~TGPRegion() override;

    [[nodiscard]] GpRegion* Native() const noexcept { return nativeRegion; }
    // The kept status; reading it resets it to Ok.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    TGPRegion() noexcept = default;
    explicit TGPRegion(GpRegion* handle) noexcept;
    // Wraps an existing handle; when no wrapper can be made the handle is deleted.
    [[nodiscard]] static std::unique_ptr<TGPRegion> CreateFromNative(GpRegion* handle) noexcept;
    void AttachNative(GpRegion* handle) noexcept { nativeRegion = handle; }
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastResult, status); }

    GpRegion* nativeRegion = nullptr;
    Status lastResult = Ok;
};

} // namespace tn::gdiplus
