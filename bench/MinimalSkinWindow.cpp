#include "bench/MinimalSkinWindow.h"

#include "bench/BenchSupport.h"

#include <string>

namespace tn::bench {
namespace {

using GpStatus = int;
struct StartupInput {
    UINT32 version = 1;
    void* debugCallback = nullptr;
    BOOL suppressBackgroundThread = FALSE;
    BOOL suppressExternalCodecs = FALSE;
};

HMODULE Gdiplus = nullptr;

template <typename F> F Bind(const char* name) noexcept {
    return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(Gdiplus, name)));
}

} // namespace

bool StartGdiplus() noexcept {
    Gdiplus = ::LoadLibraryW(L"gdiplus.dll");
    if (!Gdiplus) return false;
    const auto startup =
        Bind<GpStatus(WINAPI*)(ULONG_PTR*, const StartupInput*, void*)>("GdiplusStartup");
    ULONG_PTR token = 0;
    const StartupInput in;
    return startup && startup(&token, &in, nullptr) == 0;
}

HWND ShowSkinWindow(HINSTANCE inst) noexcept {
    wchar_t exe[MAX_PATH];
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path = exe;
    path = path.substr(0, path.find_last_of(L'\\') + 1) + L"Skin\\loginback.png";

    const auto load = Bind<GpStatus(WINAPI*)(const wchar_t*, void**)>("GdipLoadImageFromFile");
    const auto width = Bind<GpStatus(WINAPI*)(void*, UINT*)>("GdipGetImageWidth");
    const auto height = Bind<GpStatus(WINAPI*)(void*, UINT*)>("GdipGetImageHeight");
    const auto fromHdc = Bind<GpStatus(WINAPI*)(HDC, void**)>("GdipCreateFromHDC");
    const auto draw =
        Bind<GpStatus(WINAPI*)(void*, void*, float, float, float, float)>("GdipDrawImageRect");
    const auto deleteGraphics = Bind<GpStatus(WINAPI*)(void*)>("GdipDeleteGraphics");
    const auto dispose = Bind<GpStatus(WINAPI*)(void*)>("GdipDisposeImage");
    void* image = nullptr;
    if (!load || load(path.c_str(), &image) != 0) return nullptr;
    UINT w = 0, h = 0;
    width(image, &w);
    height(image, &h);

    RegisterPlainClass(inst, kMinimalSkinClass);
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - static_cast<int>(w)) / 2;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - static_cast<int>(h)) / 2;
    const HWND wnd = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_APPWINDOW, kMinimalSkinClass,
                                       kMinimalSkinClass, WS_POPUP, x, y, static_cast<int>(w),
                                       static_cast<int>(h), nullptr, nullptr, inst, nullptr);
    const HDC screen = ::GetDC(wnd);
    const HDC mem = ::CreateCompatibleDC(screen);
    const HBITMAP bmp = ::CreateCompatibleBitmap(screen, static_cast<int>(w), static_cast<int>(h));
    const HGDIOBJ old = ::SelectObject(mem, bmp);
    void* graphics = nullptr;
    fromHdc(mem, &graphics);
    draw(graphics, image, 0, 0, static_cast<float>(w), static_cast<float>(h));
    deleteGraphics(graphics);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    SIZE size{static_cast<LONG>(w), static_cast<LONG>(h)};
    POINT src{0, 0};
    ::UpdateLayeredWindow(wnd, screen, nullptr, &size, mem, &src, 0, &blend, ULW_ALPHA);
    ::SelectObject(mem, old);
    ::DeleteObject(bmp);
    ::DeleteDC(mem);
    ::ReleaseDC(wnd, screen);
    dispose(image);
    ::ShowWindow(wnd, SW_SHOWNORMAL);
    return wnd;
}

} // namespace tn::bench
