// Wrappers around a handle the test already has: a fake one the recording double prints, or a
// real one made through the flat API, which the wrapper then deletes when it goes.
#pragma once

#include "gdiplus/Gdiplus.h"

#include <memory>

namespace tn::gdiplus::testing {

// A wrapper of class W that already holds the handle h.
template <typename W, typename H> struct Attached : W {
    explicit Attached(H h) noexcept { this->AttachNative(h); }
};
template <typename W, typename H> std::unique_ptr<W> MakeAttached(H h) {
    return GdipFactory::Make<Attached<W, H>>(h);
}

} // namespace tn::gdiplus::testing
