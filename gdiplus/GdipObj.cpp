#include "gdiplus/GdipObj.h"

namespace tn::gdiplus {
namespace {

GdiplusStartupInput StartupInput;
ULONG_PTR StartupToken = 0;

} // namespace

void StartupGdiplus() noexcept {
    StartupInput.DebugEventCallback = nullptr;
    StartupInput.SuppressBackgroundThread = FALSE;
    StartupInput.SuppressExternalCodecs = FALSE;
    StartupInput.GdiplusVersion = 1;
    // Without the library the entry routine has already stopped; nothing to start.
    if (!Gdip().GdiplusStartup) return;
    static_cast<void>(Gdip().GdiplusStartup(&StartupToken, &StartupInput, nullptr));
}

void ShutdownGdiplus() noexcept {
    // Freeing a wrapper deletes its object through GDI+, so this comes before GdiplusShutdown;
    // the references are left empty.
    TGPFontFamily::genericSansSerifFamily.reset();
    TGPFontFamily::genericSerifFamily.reset();
    TGPFontFamily::genericMonospaceFamily.reset();
    TGPStringFormat::genericTypographicFormat.reset();
    TGPStringFormat::genericDefaultFormat.reset();
    if (Gdip().GdiplusShutdown) Gdip().GdiplusShutdown(StartupToken);
}

} // namespace tn::gdiplus
