// What the minimal programs share of the skin: GDI+ started with the launcher's start-up input, and
// the skin picture decoded and shown as a per-pixel-alpha layered window at the screen centre, with
// as little as GDI+ allows.
#pragma once

#include <windows.h>

namespace tn::bench {

// The skin window's class, by which the benchmarks know it.
inline constexpr wchar_t kMinimalSkinClass[] = L"MinimalSkin";

// Loads gdiplus.dll and starts it; false when either fails.
bool StartGdiplus() noexcept;

// Decodes Skin\loginback.png beside the program, draws it into a new layered window of its size
// and shows that window; null when the picture cannot be decoded. GDI+ must have been started.
HWND ShowSkinWindow(HINSTANCE inst) noexcept;

} // namespace tn::bench
