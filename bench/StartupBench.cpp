// Start-up benchmark: from process start to the skin window being shown, and to the program's
// first wait for input (its windows made by then), for tn.exe, for a minimal program that only
// shows the same picture, and for the floor program that makes what tn.exe makes before that wait
// (skin window, then the browser control in a second window navigating to the same URL). In
// rounds of one start each; prints every run with its peak working set, then the medians and
// tn.exe's ratios to both. tn.exe and the floor also ask for the login page before their first
// wait; bench/login.sh measures that request.
// Usage: StartupBench.exe <tn.exe> <minimal skin.exe> <floor.exe> <login URL> [runs]
#include "bench/BenchSupport.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

using tn::bench::Run;

Run Measure(const std::wstring& exe, const std::wstring& args) {
    Run run{{-1, -1}, 0};
    const LONGLONG t0 = tn::bench::Now();
    tn::bench::Started program;
    if (!tn::bench::Start(exe, args, program, true)) return run;
    const tn::bench::SkinShowWatch watch(program.pid);
    ::ResumeThread(program.thread.get());
    // Every program shows its skin window before its message loop first waits for input.
    if (::WaitForInputIdle(program.process.get(), 30000) == 0) {
        const LONGLONG idle = tn::bench::Now();
        const LONGLONG shown = watch.WaitShown(0);
        if (shown && ::IsWindowVisible(watch.Window())) {
            run.ms = {tn::bench::MsBetween(t0, shown), tn::bench::MsBetween(t0, idle)};
            run.peakMiB = tn::bench::PeakMiB(program.process.get());
        }
    }
    return run;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 5) {
        std::printf("usage: StartupBench.exe <tn.exe> <minimal skin.exe> <floor.exe> <login URL> "
                    "[runs]\n");
        return 2;
    }
    const std::wstring tnExe = argv[1], minimal = argv[2], floor = argv[3];
    const std::wstring url = L"\"" + std::wstring(argv[4]) + L"\"";
    const int runs = argc > 5 ? std::max(1, _wtoi(argv[5])) : 11;
    return tn::bench::Compare(
        runs, {"skin", "idle"},
        {{"tn.exe", {true, true}, [&] { return Measure(tnExe, L""); }},
         {"MinimalSkin.exe", {true, true}, [&] { return Measure(minimal, L""); }},
         {"MinimalStart.exe", {true, true}, [&] { return Measure(floor, url); }}});
}
