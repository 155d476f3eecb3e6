// What the benchmarks share. The measuring side: starting a program in its own folder and ending
// it, its peak working set, and runs of tn.exe and a minimal program in turn with their medians.
// The minimal programs: their plain window class and message loop.
#pragma once

#include "classlib/Handles.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace tn::bench {

// One start: the time measured (negative: none) and the peak working set by then.
struct Run {
    double ms = -1;
    double peakMiB = 0;
};

// A started program, ended when this goes.
struct Started {
    Started() = default;
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;
    ~Started() {
        if (!process) return;
        ::TerminateProcess(process.get(), 0);
        ::WaitForSingleObject(process.get(), 10000);
    }

    UniqueHandleKernel process, thread;
    DWORD pid = 0;
};

// Starts exe, with args when there are any, in its own folder; false when it cannot start.
inline bool Start(const std::wstring& exe, const std::wstring& args, Started& started) {
    std::wstring cmd = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
    const std::wstring dir = exe.substr(0, exe.find_last_of(L"\\/") + 1);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                          &si, &pi))
        return false;
    started.process = UniqueHandleKernel(pi.hProcess);
    started.thread = UniqueHandleKernel(pi.hThread);
    started.pid = pi.dwProcessId;
    return true;
}

// The process's peak working set so far; 0 when it cannot be read.
inline double PeakMiB(HANDLE process) {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    if (!::GetProcessMemoryInfo(process, &pmc, sizeof pmc)) return 0;
    return static_cast<double>(pmc.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

// Measures tn.exe and the minimal program in turn, runs times each, after one start of each that
// is not measured (the system's caches are then warm for every measured run). Prints every run,
// then the medians and their ratio; 0 when every run was measured, else 1.
inline int Compare(int runs, const std::function<Run()>& tnRun,
                   const std::function<Run()>& minimalRun) {
    tnRun();
    minimalRun();
    std::vector<double> tn, minimal;
    std::printf("run  tn.exe ms  peak MiB  minimal ms  peak MiB\n");
    for (int i = 0; i < runs; ++i) {
        const Run a = tnRun();
        const Run b = minimalRun();
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

// The minimal programs' window: the program ends when it is destroyed.
inline LRESULT CALLBACK QuitOnDestroy(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

inline void RegisterPlainClass(HINSTANCE inst, const wchar_t* name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &QuitOnDestroy;
    wc.hInstance = inst;
    wc.lpszClassName = name;
    ::RegisterClassExW(&wc);
}

inline void RunMessageLoop() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

} // namespace tn::bench
