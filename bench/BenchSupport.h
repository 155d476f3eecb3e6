// What the benchmarks share. The measuring side: starting a program in its own folder and ending
// it, the moment its skin window is first shown, its peak working set, and rounds of runs of
// tn.exe and the other programs in turn with their medians and ratios. The minimal programs:
// their plain window class and message loop.
#pragma once

#include "classlib/Handles.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace tn::bench {

// One start: a time in ms per column of the comparison (negative: not measured) and the peak
// working set by the end of the measurement.
struct Run {
    std::vector<double> ms;
    double peakMiB = 0;
};

// A program of the comparison: its name, which columns it has, and one measured start.
struct Contender {
    std::string name;
    std::vector<bool> has;
    std::function<Run()> measure;
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

// Starts exe, with args when there are any, in its own folder, its first thread suspended when
// asked (so that a watch is in place before it runs); false when it cannot start.
inline bool Start(const std::wstring& exe, const std::wstring& args, Started& started,
                  bool suspended = false) {
    std::wstring cmd = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
    const std::wstring dir = exe.substr(0, exe.find_last_of(L"\\/") + 1);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE,
                          suspended ? CREATE_SUSPENDED : 0, nullptr, dir.c_str(), &si, &pi))
        return false;
    started.process = UniqueHandleKernel(pi.hProcess);
    started.thread = UniqueHandleKernel(pi.hThread);
    started.pid = pi.dwProcessId;
    return true;
}

inline LONGLONG Now() noexcept {
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return t.QuadPart;
}

inline double MsBetween(LONGLONG from, LONGLONG to) noexcept {
    LARGE_INTEGER freq;
    ::QueryPerformanceFrequency(&freq);
    return 1000.0 * static_cast<double>(to - from) / static_cast<double>(freq.QuadPart);
}

// The skin windows' classes: tn.exe's background window and the minimal programs'.
inline bool IsSkinClass(const wchar_t* cls) noexcept {
    return ::lstrcmpW(cls, L"TFormBack") == 0 || ::lstrcmpW(cls, L"MinimalSkin") == 0;
}

// Watches one process for the first show of its skin window. Both kinds of program draw the
// picture into the layered window before they show it, so that show is the moment the skin
// appears. This Wine reports a window's creation to another process (an out-of-context event
// hook, which the created program does not wait for) but not its show: from the skin window's
// creation on, a thread of this process looks every millisecond whether it is visible yet, and
// stamps the first look that finds it so.
class SkinShowWatch {
public:
    explicit SkinShowWatch(DWORD pid) : FPid(pid) {
        const UniqueHandleKernel ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        FThread = std::thread([this, &ready] { Watch(ready.get()); });
        ::WaitForSingleObject(ready.get(), INFINITE);
    }
    SkinShowWatch(const SkinShowWatch&) = delete;
    SkinShowWatch& operator=(const SkinShowWatch&) = delete;
    ~SkinShowWatch() {
        ::PostThreadMessageW(FThreadId, WM_QUIT, 0, 0);
        FThread.join();
    }

    // Waits up to ms for the show; the counter's value when it came, 0 when it did not.
    LONGLONG WaitShown(DWORD ms) const {
        ::WaitForSingleObject(FShown.get(), ms);
        return FShownAt.load();
    }
    [[nodiscard]] HWND Window() const noexcept { return FWindow; }

private:
    static void CALLBACK OnCreate(HWINEVENTHOOK, DWORD, HWND wnd, LONG object, LONG child, DWORD,
                                  DWORD) {
        SkinShowWatch* self = Current();
        if (!self || self->FWindow || object != OBJID_WINDOW || child != CHILDID_SELF) return;
        wchar_t cls[64] = {};
        ::GetClassNameW(wnd, cls, 64);
        if (IsSkinClass(cls)) self->FWindow = wnd;
    }
    static SkinShowWatch*& Current() noexcept {
        thread_local SkinShowWatch* current = nullptr;
        return current;
    }

    void Watch(HANDLE ready) {
        Current() = this;
        FThreadId = ::GetCurrentThreadId();
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // the queue, before anyone posts to it
        const HWINEVENTHOOK hook =
            ::SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, &OnCreate, FPid, 0,
                              WINEVENT_OUTOFCONTEXT);
        ::SetEvent(ready);
        if (!hook) return;
        for (;;) {
            const bool looking = FWindow && !FShownAt.load();
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, looking ? 1 : INFINITE, QS_ALLINPUT);
            if (looking && ::IsWindowVisible(FWindow)) {
                FShownAt = Now();
                ::SetEvent(FShown.get());
            }
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    ::UnhookWinEvent(hook);
                    return;
                }
                ::DispatchMessageW(&msg);
            }
        }
    }

    DWORD FPid;
    DWORD FThreadId = 0;
    // Written and read on the watching thread only, until the show is signalled.
    HWND FWindow = nullptr;
    UniqueHandleKernel FShown{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<LONGLONG> FShownAt{0};
    std::thread FThread;
};

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
    return n == 0 ? -1 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

// Measures the programs in turn, one round of one start each, runs rounds, after one round that
// is not measured (the system's caches are then warm for every measured run). The first program
// is tn.exe. Prints every run, then each program's medians, and tn.exe's against each other
// program: the ratio of the medians, the median of the ratios within a round (the load of the
// machine changes less within a round than across rounds) and the peak's difference. 0 when
// every run measured every column its program has, else 1.
inline int Compare(int runs, const std::vector<std::string>& columns,
                   const std::vector<Contender>& programs) {
    for (const Contender& p : programs)
        p.measure();
    const std::size_t nc = columns.size(), np = programs.size();
    // Each program's group of columns: its times, then its peak.
    const auto width = [&](std::size_t c) {
        return std::max<int>(9, static_cast<int>(columns[c].size()) + 5);
    };
    int group = 10;
    for (std::size_t c = 0; c < nc; ++c)
        group += width(c);
    std::printf("   ");
    for (const Contender& p : programs)
        std::printf("   %-*s", group, p.name.c_str());
    std::printf("\nrun");
    for (std::size_t p = 0; p < np; ++p) {
        std::printf("   ");
        for (std::size_t c = 0; c < nc; ++c)
            std::printf("%*s", width(c), (columns[c] + " ms").c_str());
        std::printf("  peak MiB");
    }
    std::printf("\n");

    std::vector<std::vector<Run>> rounds; // rounds[round][program]
    bool complete = true;
    for (int r = 0; r < runs; ++r) {
        std::vector<Run> round;
        std::printf("%3d", r + 1);
        for (const Contender& p : programs) {
            Run run = p.measure();
            run.ms.resize(nc, -1);
            std::printf("   ");
            for (std::size_t c = 0; c < nc; ++c) {
                if (!p.has[c])
                    std::printf("%*s", width(c), "-");
                else if (run.ms[c] < 0)
                    std::printf("%*s", width(c), "fail");
                else
                    std::printf("%*.0f", width(c), run.ms[c]);
                if (p.has[c] && run.ms[c] < 0) complete = false;
            }
            std::printf("%10.1f", run.peakMiB);
            round.push_back(std::move(run));
        }
        std::printf("\n");
        std::fflush(stdout);
        rounds.push_back(std::move(round));
    }

    const auto values = [&](std::size_t p, std::size_t c) {
        std::vector<double> v;
        for (const auto& round : rounds)
            if (round[p].ms[c] >= 0) v.push_back(round[p].ms[c]);
        return v;
    };
    const auto peak = [&](std::size_t p) {
        std::vector<double> v;
        for (const auto& round : rounds)
            v.push_back(round[p].peakMiB);
        return Median(v);
    };
    std::printf("median of %d runs:\n", runs);
    for (std::size_t p = 0; p < np; ++p) {
        std::printf("  %-20s", programs[p].name.c_str());
        for (std::size_t c = 0; c < nc; ++c)
            if (programs[p].has[c])
                std::printf("  %s %.0f ms", columns[c].c_str(), Median(values(p, c)));
        std::printf("  peak %.1f MiB\n", peak(p));
    }
    std::printf("tn.exe against (ratio of the medians; median of the ratios within a round):\n");
    for (std::size_t p = 1; p < np; ++p) {
        std::printf("  %-20s", programs[p].name.c_str());
        for (std::size_t c = 0; c < nc; ++c) {
            if (!programs[0].has[c] || !programs[p].has[c]) continue;
            std::vector<double> within;
            for (const auto& round : rounds)
                if (round[0].ms[c] >= 0 && round[p].ms[c] > 0)
                    within.push_back(round[0].ms[c] / round[p].ms[c]);
            const double a = Median(values(0, c)), b = Median(values(p, c));
            std::printf("  %s %.2f; %.2f", columns[c].c_str(), b > 0 ? a / b : 0.0, Median(within));
        }
        std::printf("  peak %+.1f MiB\n", peak(0) - peak(p));
    }
    return complete ? 0 : 1;
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
