// Helpers the wrapper sources share; not part of the subsystem's interface.
#pragma once

#include "gdiplus/GdiplusBase.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <span>
#include <string>

namespace tn::gdiplus::detail {

// A span's size as the flat API's count; never more than INT_MAX.
template <typename T> [[nodiscard]] INT CountOf(std::span<T> items) noexcept {
    return static_cast<INT>(std::min<std::size_t>(items.size(), INT_MAX));
}

// A caller's text length as GDI+ may read it: never more than the text holds; negative is the
// flat API's "up to the NUL".
[[nodiscard]] inline INT TextLength(const std::wstring& text, INT length) noexcept {
    if (length < 0) return -1;
    return static_cast<INT>(std::min<std::size_t>(static_cast<std::size_t>(length), text.size()));
}

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
