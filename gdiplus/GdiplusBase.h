// The base of every GDI+ wrapper: instances live in memory from GdipAlloc and go back through
// GdipFree, so wrappers exist only while the flat API is bound.
#pragma once

#include "gdiplus/GdipApi.h"

#include <memory>
#include <new>
#include <utility>

namespace tn::gdiplus {

class TGdiplusBase {
public:
    TGdiplusBase(const TGdiplusBase&) = delete;
    TGdiplusBase& operator=(const TGdiplusBase&) = delete;
    virtual ~TGdiplusBase() = default;

    // Zero-filled memory from GdipAlloc; null (so no object) when it gives none or is not bound.
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
    static void operator delete(void* p) noexcept;
    static void operator delete(void* p, const std::nothrow_t&) noexcept;
    static void* operator new(std::size_t) = delete;
    static void* operator new[](std::size_t) = delete;
    static void operator delete[](void*) = delete;

protected:
    TGdiplusBase() noexcept = default;
};

// The one way wrappers come into being: an empty pointer means no wrapper could be made.
struct GdipFactory {
    template <typename T, typename... A> static std::unique_ptr<T> Make(A&&... args) noexcept {
        return std::unique_ptr<T>(new (std::nothrow) T(std::forward<A>(args)...));
    }

    // A wrapper of class W around the handle of type H* that call writes, keeping the call's
    // status whatever it is. The call is made only once the wrapper exists.
    template <typename W, typename H, typename Call>
    static std::unique_ptr<W> Construct(Call&& call) noexcept {
        auto wrapper = Make<W>();
        if (!wrapper) return nullptr;
        H* handle = nullptr;
        wrapper->lastResult = call(&handle);
        wrapper->AttachNative(handle);
        return wrapper;
    }
};

// The status recording rule shared by the wrappers: only failures are kept.
[[nodiscard]] constexpr Status KeepFailure(Status& field, Status status) noexcept {
    if (status != Ok) field = status;
    return status;
}

// A borrowed wrapper argument as GDI+ sees it: its native handle, or none for no wrapper.
template <typename W> [[nodiscard]] auto NativeOf(const W* wrapper) noexcept {
    return wrapper ? wrapper->Native() : nullptr;
}

} // namespace tn::gdiplus
