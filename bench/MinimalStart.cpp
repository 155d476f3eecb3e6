// The floor of both benchmarks: a program that does only what the launcher cannot leave out before
// it asks for the login page, in the launcher's order: OLE initialised, GDI+ started, the skin
// picture decoded and shown as a per-pixel-alpha layered window, then a second window with the
// browser control navigating to the URL of its command line. It reads no configuration, sends no
// statistics and makes no class-library window.
// Usage: MinimalStart.exe <url>
#include "bench/BenchSupport.h"
#include "bench/MinimalBrowserWindow.h"
#include "bench/MinimalSkinWindow.h"

#include <windows.h>
#include <ole2.h>

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR cmdLine, int) {
    const std::wstring url = tn::bench::UrlFromCommandLine(cmdLine);
    if (url.empty()) return 2;
    if (FAILED(::OleInitialize(nullptr))) return 1;
    if (!tn::bench::StartGdiplus() || !tn::bench::ShowSkinWindow(inst)) return 1;
    {
        tn::bench::MinimalBrowserWindow browser;
        if (!browser.Open(inst, url)) return 1;
        tn::bench::RunMessageLoop();
    }
    ::OleUninitialize();
    return 0;
}
