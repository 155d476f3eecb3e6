// Helpers the wrapper sources share; not part of the subsystem's interface.
#pragma once

#include "gdiplus/GdiplusBase.h"

namespace tn::gdiplus::detail {

// Destroying a wrapper deletes its handle whatever the handle is and ignores the status; an
// unbound entry (the library already gone) deletes nothing.
template <typename F, typename H> void DeleteNative(F deleteFunction, H handle) noexcept {
    if (deleteFunction) static_cast<void>(deleteFunction(handle));
}

// A borrowed stream is held by one counted reference while GDI+ reads it.
class StreamHold {
public:
    explicit StreamHold(IStream* stream) noexcept : stream_(stream) {
        if (stream_) stream_->AddRef();
    }
    StreamHold(const StreamHold&) = delete;
    StreamHold& operator=(const StreamHold&) = delete;
    ~StreamHold() {
        if (stream_) stream_->Release();
    }
    [[nodiscard]] IStream* get() const noexcept { return stream_; }

private:
    IStream* stream_;
};

} // namespace tn::gdiplus::detail
