// Login-page benchmark: from process start to the login page's first request at the stand-in,
// and to the skin window being shown, for tn.exe, for a minimal program that only puts the
// browser control in a plain window and navigates to the same URL, and for the floor program that
// first shows the skin as well. In rounds of one start each; prints every run with its peak
// working set, then the medians and tn.exe's ratios to both.
// Usage: LoginBench.exe <tn.exe> <minimal browser.exe> <floor.exe> <stand-in base URL>
//        <login path> [runs]
#include "bench/BenchSupport.h"
#include "classlib/Http.h"
#include "classlib/Text.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

namespace {

using tn::bench::Run;

// Seconds since 1970 on the clock the stand-in stamps its requests with.
double NowSeconds() {
    FILETIME ft{};
    ::GetSystemTimePreciseAsFileTime(&ft);
    const ULONGLONG t = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return static_cast<double>(t - 116444736000000000ULL) / 1e7;
}

Run Measure(const std::wstring& exe, const std::wstring& args, bool skin,
            const std::wstring& standin, const std::wstring& path) {
    Run run{{-1, -1}, 0};
    tn::THttpClient http;
    http.SetReadTimeout(60000);
    try {
        (void)http.Get(standin + L"/_standin/reset");
    } catch (...) {
        return run;
    }
    const double start = NowSeconds();
    const LONGLONG t0 = tn::bench::Now();
    tn::bench::Started program;
    if (!tn::bench::Start(exe, args, program, true)) return run;
    std::optional<tn::bench::SkinShowWatch> watch;
    if (skin) watch.emplace(program.pid);
    ::ResumeThread(program.thread.get());
    try {
        // Answers once the first request to the path has arrived, with its arrival time.
        const std::wstring arrived =
            http.Get(standin + L"/_standin/times?path=" + path + L"&count=1&timeout=30000");
        if (!arrived.empty()) run.ms[1] = (std::stod(tn::text::ToUtf8(arrived)) - start) * 1000.0;
    } catch (...) {
        run.ms[1] = -1;
    }
    // The skin may come after the request: a program may ask for the page before it shows it.
    if (watch)
        if (const LONGLONG shown = watch->WaitShown(30000))
            run.ms[0] = tn::bench::MsBetween(t0, shown);
    run.peakMiB = tn::bench::PeakMiB(program.process.get());
    return run;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 6) {
        std::printf("usage: LoginBench.exe <tn.exe> <minimal browser.exe> <floor.exe> "
                    "<stand-in URL> <login path> [runs]\n");
        return 2;
    }
    const std::wstring tnExe = argv[1], minimal = argv[2], floor = argv[3], standin = argv[4],
                       path = argv[5];
    const int runs = argc > 6 ? std::max(1, _wtoi(argv[6])) : 11;
    const std::wstring url = L"\"" + standin + path + L"\"";
    return tn::bench::Compare(
        runs, {"skin", "request"},
        {{"tn.exe", {true, true}, [&] { return Measure(tnExe, L"", true, standin, path); }},
         {"MinimalBrowser.exe",
          {false, true},
          [&] { return Measure(minimal, url, false, standin, path); }},
         {"MinimalStart.exe", {true, true}, [&] {
              return Measure(floor, url, true, standin, path);
          }}});
}
