// Start-up benchmark: the time from process start to the skin window being shown (the program's
// first wait for input, with the window visible by then), for tn.exe and for a minimal program
// that only shows the same picture, alternating, several runs each. Prints every run with its
// peak working set, then the medians and their ratio. tn.exe also makes the login window with its
// browser control before that first wait (its first show does), so it does more than the minimal
// program; bench/login.sh compares the login page's first request with a minimal browser.
// Usage: StartupBench.exe <tn.exe> <minimal.exe> [runs]
#include "classlib/Handles.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

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

struct Run {
    double ms = -1;
    double peakMiB = 0;
};

Run Measure(const std::wstring& exe) {
    std::wstring cmd = L"\"" + exe + L"\"";
    std::wstring dir = exe.substr(0, exe.find_last_of(L"\\/") + 1);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER freq, t0, t1;
    ::QueryPerformanceFrequency(&freq);
    ::QueryPerformanceCounter(&t0);
    if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                          &si, &pi))
        return {};
    const tn::UniqueHandleKernel process(pi.hProcess);
    const tn::UniqueHandleKernel thread(pi.hThread);
    Run run;
    // Both programs show their window before their message loop first waits for input.
    if (::WaitForInputIdle(process.get(), 30000) == 0) {
        ::QueryPerformanceCounter(&t1);
        Found f{pi.dwProcessId, nullptr};
        ::EnumWindows(&FindSkinWindow, reinterpret_cast<LPARAM>(&f));
        if (f.wnd && ::IsWindowVisible(f.wnd)) {
            run.ms = 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) /
                     static_cast<double>(freq.QuadPart);
            PROCESS_MEMORY_COUNTERS pmc{};
            pmc.cb = sizeof pmc;
            if (::GetProcessMemoryInfo(process.get(), &pmc, sizeof pmc))
                run.peakMiB = static_cast<double>(pmc.PeakWorkingSetSize) / (1024.0 * 1024.0);
        }
    }
    ::TerminateProcess(process.get(), 0);
    ::WaitForSingleObject(process.get(), 10000);
    return run;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::printf("usage: StartupBench.exe <tn.exe> <minimal.exe> [runs]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, _wtoi(argv[3])) : 11;
    // One start of each first, unmeasured: the system's caches are warm for every measured run.
    Measure(argv[1]);
    Measure(argv[2]);
    std::vector<double> tn, minimal;
    std::printf("run  tn.exe ms  peak MiB  minimal ms  peak MiB\n");
    for (int i = 0; i < runs; ++i) {
        const Run a = Measure(argv[1]);
        const Run b = Measure(argv[2]);
        std::printf("%3d  %9.0f  %8.1f  %10.0f  %8.1f\n", i + 1, a.ms, a.peakMiB, b.ms, b.peakMiB);
        std::fflush(stdout);
        if (a.ms >= 0) tn.push_back(a.ms);
        if (b.ms >= 0) minimal.push_back(b.ms);
    }
    const double mt = Median(tn), mm = Median(minimal);
    std::printf("median  tn.exe %.0f ms, minimal %.0f ms, ratio %.2f\n", mt, mm,
                mm > 0 ? mt / mm : 0.0);
    return tn.size() == static_cast<std::size_t>(runs) &&
                   minimal.size() == static_cast<std::size_t>(runs)
               ? 0
               : 1;
}
