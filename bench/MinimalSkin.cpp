// A baseline of the start-up benchmark: a program that only shows the skin picture as a
// per-pixel-alpha layered window at the screen centre, with as little as GDI+ allows.
#include "bench/BenchSupport.h"
#include "bench/MinimalSkinWindow.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR, int) {
    if (!tn::bench::StartGdiplus() || !tn::bench::ShowSkinWindow(inst)) return 1;
    tn::bench::RunMessageLoop();
    return 0;
}
