// The baseline of the start-up benchmark: a program that only shows the skin picture as a
// per-pixel-alpha layered window at the screen centre, with as little as GDI+ allows.
#include "bench/BenchSupport.h"

#include <windows.h>

#include <string>

namespace {

using GpStatus = int;
struct StartupInput {
    UINT32 version = 1;
    void* debugCallback = nullptr;
    BOOL suppressBackgroundThread = FALSE;
    BOOL suppressExternalCodecs = FALSE;
};

template <typename F> F Bind(HMODULE lib, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(lib, name)));
}

} // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR, int) {
    wchar_t exe[MAX_PATH];
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path = exe;
    path = path.substr(0, path.find_last_of(L'\\') + 1) + L"Skin\\loginback.png";

    const HMODULE gdiplus = ::LoadLibraryW(L"gdiplus.dll");
    if (!gdiplus) return 1;
    const auto startup =
        Bind<GpStatus(WINAPI*)(ULONG_PTR*, const StartupInput*, void*)>(gdiplus, "GdiplusStartup");
    const auto load =
        Bind<GpStatus(WINAPI*)(const wchar_t*, void**)>(gdiplus, "GdipLoadImageFromFile");
    const auto width = Bind<GpStatus(WINAPI*)(void*, UINT*)>(gdiplus, "GdipGetImageWidth");
    const auto height = Bind<GpStatus(WINAPI*)(void*, UINT*)>(gdiplus, "GdipGetImageHeight");
    const auto fromHdc = Bind<GpStatus(WINAPI*)(HDC, void**)>(gdiplus, "GdipCreateFromHDC");
    const auto draw = Bind<GpStatus(WINAPI*)(void*, void*, float, float, float, float)>(
        gdiplus, "GdipDrawImageRect");
    const auto deleteGraphics = Bind<GpStatus(WINAPI*)(void*)>(gdiplus, "GdipDeleteGraphics");
    const auto dispose = Bind<GpStatus(WINAPI*)(void*)>(gdiplus, "GdipDisposeImage");
    ULONG_PTR token = 0;
    StartupInput in;
    void* image = nullptr;
    if (!startup || startup(&token, &in, nullptr) != 0 || load(path.c_str(), &image) != 0) return 1;
    UINT w = 0, h = 0;
    width(image, &w);
    height(image, &h);

    tn::bench::RegisterPlainClass(inst, L"MinimalSkin");
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - static_cast<int>(w)) / 2;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - static_cast<int>(h)) / 2;
    const HWND wnd = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_APPWINDOW, L"MinimalSkin",
                                       L"MinimalSkin", WS_POPUP, x, y, static_cast<int>(w),
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

    tn::bench::RunMessageLoop();
    return 0;
}
