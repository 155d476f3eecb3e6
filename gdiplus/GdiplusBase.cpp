#include "gdiplus/GdiplusBase.h"

#include <cstring>

namespace tn::gdiplus {

void* TGdiplusBase::operator new(std::size_t size, const std::nothrow_t&) noexcept {
    const auto alloc = Gdip().GdipAlloc;
    void* p = alloc ? alloc(size) : nullptr;
    if (p) std::memset(p, 0, size);
    return p;
}

void TGdiplusBase::operator delete(void* p) noexcept {
    // After unbinding the memory went with the library; there is nothing left to give back.
    if (p && Gdip().GdipFree) Gdip().GdipFree(p);
}

void TGdiplusBase::operator delete(void* p, const std::nothrow_t&) noexcept {
    operator delete(p);
}

} // namespace tn::gdiplus
