// Move-only owners of Win32 handles: one closing rule per kind, so no handle is closed twice or
// leaked.
#pragma once

#include <windows.h>

#include <utility>

namespace tn {

template <typename T, typename Traits> class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(T h) noexcept : h_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    [[nodiscard]] T get() const noexcept { return h_; }
    [[nodiscard]] bool valid() const noexcept { return Traits::valid(h_); }
    explicit operator bool() const noexcept { return valid(); }
    T release() noexcept { return std::exchange(h_, Traits::invalid()); }
    void reset(T h = Traits::invalid()) noexcept {
        if (Traits::valid(h_)) Traits::close(h_);
        h_ = h;
    }
    // For out-parameters: closes what is held and hands out the slot.
    T* put() noexcept {
        reset();
        return &h_;
    }

private:
    T h_ = Traits::invalid();
};

struct KernelHandleTraits { // CreateFile and the like: INVALID_HANDLE_VALUE and null both mean none
    static HANDLE invalid() noexcept { return nullptr; }
    static bool valid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) noexcept { ::CloseHandle(h); }
};
using UniqueHandleKernel = UniqueHandle<HANDLE, KernelHandleTraits>;

struct RegKeyTraits {
    static HKEY invalid() noexcept { return nullptr; }
    static bool valid(HKEY h) noexcept { return h != nullptr; }
    static void close(HKEY h) noexcept { ::RegCloseKey(h); }
};
using UniqueRegKey = UniqueHandle<HKEY, RegKeyTraits>;

struct ModuleTraits {
    static HMODULE invalid() noexcept { return nullptr; }
    static bool valid(HMODULE h) noexcept { return h != nullptr; }
    static void close(HMODULE h) noexcept { ::FreeLibrary(h); }
};
using UniqueModule = UniqueHandle<HMODULE, ModuleTraits>;

struct FindTraits {
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool valid(HANDLE h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void close(HANDLE h) noexcept { ::FindClose(h); }
};
using UniqueFind = UniqueHandle<HANDLE, FindTraits>;

template <typename T> struct GdiObjectTraits {
    static T invalid() noexcept { return nullptr; }
    static bool valid(T h) noexcept { return h != nullptr; }
    static void close(T h) noexcept { ::DeleteObject(h); }
};
using UniqueBitmap = UniqueHandle<HBITMAP, GdiObjectTraits<HBITMAP>>;
using UniqueFontHandle = UniqueHandle<HFONT, GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueHandle<HBRUSH, GdiObjectTraits<HBRUSH>>;

struct IconTraits { // LoadImage and CopyIcon icons, not the shared ones of LoadIcon
    static HICON invalid() noexcept { return nullptr; }
    static bool valid(HICON h) noexcept { return h != nullptr; }
    static void close(HICON h) noexcept { ::DestroyIcon(h); }
};
using UniqueIcon = UniqueHandle<HICON, IconTraits>;

struct MemDcTraits {
    static HDC invalid() noexcept { return nullptr; }
    static bool valid(HDC h) noexcept { return h != nullptr; }
    static void close(HDC h) noexcept { ::DeleteDC(h); }
};
using UniqueMemDc = UniqueHandle<HDC, MemDcTraits>;

// A window's DC from GetDC, given back with ReleaseDC to the same window.
class WindowDc {
public:
    explicit WindowDc(HWND wnd) noexcept : wnd_(wnd), dc_(::GetDC(wnd)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ::ReleaseDC(wnd_, dc_);
    }
    [[nodiscard]] HDC get() const noexcept { return dc_; }

private:
    HWND wnd_;
    HDC dc_;
};

} // namespace tn
