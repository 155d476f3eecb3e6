// Start-up benchmark: the time from process start to the skin window being shown (the program's
// first wait for input, with the window visible by then), for tn.exe and for a minimal program
// that only shows the same picture, alternating, several runs each. Prints every run with its
// peak working set, then the medians and their ratio. tn.exe also makes the login window with its
// browser control before that first wait (its first show does), so it does more than the minimal
// program; bench/login.sh compares the login page's first request with a minimal browser.
// Usage: StartupBench.exe <tn.exe> <minimal.exe> [runs]
#include "bench/BenchSupport.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

using tn::bench::Run;

struct Found {
    DWORD pid;
    HWND wnd;
};

// The child's skin window: tn.exe's background window or the minimal program's.
BOOL CALLBACK FindSkinWindow(HWND wnd, LPARAM lp) {
    auto* f = reinterpret_cast<Found*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    wchar_t cls[64] = {};
    ::GetClassNameW(wnd, cls, 64);
    if (pid == f->pid &&
        (::lstrcmpW(cls, L"TFormBack") == 0 || ::lstrcmpW(cls, L"MinimalSkin") == 0)) {
        f->wnd = wnd;
        return FALSE;
    }
    return TRUE;
}

Run Measure(const std::wstring& exe) {
    LARGE_INTEGER freq, t0, t1;
    ::QueryPerformanceFrequency(&freq);
    ::QueryPerformanceCounter(&t0);
    tn::bench::Started program;
    if (!tn::bench::Start(exe, L"", program)) return {};
    Run run;
    // Both programs show their window before their message loop first waits for input.
    if (::WaitForInputIdle(program.process.get(), 30000) == 0) {
        ::QueryPerformanceCounter(&t1);
        Found f{program.pid, nullptr};
        ::EnumWindows(&FindSkinWindow, reinterpret_cast<LPARAM>(&f));
        if (f.wnd && ::IsWindowVisible(f.wnd)) {
            run.ms = 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) /
                     static_cast<double>(freq.QuadPart);
            run.peakMiB = tn::bench::PeakMiB(program.process.get());
        }
    }
    return run;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::printf("usage: StartupBench.exe <tn.exe> <minimal.exe> [runs]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, _wtoi(argv[3])) : 11;
    return tn::bench::Compare(
        runs, [&] { return Measure(argv[1]); }, [&] { return Measure(argv[2]); });
}
