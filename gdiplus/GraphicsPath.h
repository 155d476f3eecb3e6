// The graphics path wrapper: figures of lines, curves, shapes and text in one GDI+ path.
#pragma once

#include "gdiplus/GdiplusBase.h"

namespace tn::gdiplus {

class TGPGraphicsPath : public TGdiplusBase {
public:
    ~TGPGraphicsPath() override;

    [[nodiscard]] GpPath* Native() const noexcept { return nativePath; }
    // The kept status; reading it resets it to Ok.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    TGPGraphicsPath() noexcept = default;
    explicit TGPGraphicsPath(GpPath* handle) noexcept;
    // Wraps an existing handle; when no wrapper can be made the handle is deleted.
    [[nodiscard]] static std::unique_ptr<TGPGraphicsPath> CreateFromNative(GpPath* handle) noexcept;
    void AttachNative(GpPath* handle) noexcept { nativePath = handle; }
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastResult, status); }

    GpPath* nativePath = nullptr;
    Status lastResult = Ok;
};

} // namespace tn::gdiplus
