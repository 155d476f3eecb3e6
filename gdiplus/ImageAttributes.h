// Image attributes and cached bitmap wrappers.
#pragma once

#include "gdiplus/GdiplusBase.h"

namespace tn::gdiplus {

class TGPImageAttributes : public TGdiplusBase {
public:
    ~TGPImageAttributes() override;

    [[nodiscard]] GpImageAttributes* Native() const noexcept { return nativeImageAttr; }
    // The kept status; reading it resets it to Ok.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    TGPImageAttributes() noexcept = default;
    TGPImageAttributes(GpImageAttributes* handle, Status status) noexcept;
    // Wraps an existing handle; when no wrapper can be made the handle is deleted.
    [[nodiscard]] static std::unique_ptr<TGPImageAttributes>
    CreateFromNative(GpImageAttributes* handle, Status status) noexcept;
    void AttachNative(GpImageAttributes* handle) noexcept { nativeImageAttr = handle; }
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastResult, status); }

    GpImageAttributes* nativeImageAttr = nullptr;
    Status lastResult = Ok;
};

class TGPCachedBitmap : public TGdiplusBase {
public:
    ~TGPCachedBitmap() override;

    [[nodiscard]] GpCachedBitmap* Native() const noexcept { return nativeCachedBitmap; }
    // The kept status; reading it resets it to Ok.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    TGPCachedBitmap() noexcept = default;
    void AttachNative(GpCachedBitmap* handle) noexcept { nativeCachedBitmap = handle; }
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastResult, status); }

    GpCachedBitmap* nativeCachedBitmap = nullptr;
    Status lastResult = Ok;
};

} // namespace tn::gdiplus
