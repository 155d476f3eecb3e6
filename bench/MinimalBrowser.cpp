// A baseline of the login-page benchmark: a program that only initialises OLE, puts the system
// web-browser control in place in a plain window and navigates it to the URL of its command line.
// Usage: MinimalBrowser.exe <url>
#include "bench/BenchSupport.h"
#include "bench/MinimalBrowserWindow.h"

#include <windows.h>
#include <ole2.h>

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR cmdLine, int) {
    const std::wstring url = tn::bench::UrlFromCommandLine(cmdLine);
    if (url.empty()) return 2;
    if (FAILED(::OleInitialize(nullptr))) return 1;
    {
        tn::bench::MinimalBrowserWindow browser;
        if (!browser.Open(inst, url)) return 1;
        tn::bench::RunMessageLoop();
    }
    ::OleUninitialize();
    return 0;
}
