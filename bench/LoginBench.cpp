// Login-page benchmark: the time from process start to the login page's first request at the
// stand-in, for tn.exe and for a minimal program that only puts the browser control in a plain
// window and navigates to the same URL, alternating, several runs each. Prints every run with its
// peak working set, then the medians and their ratio.
// Usage: LoginBench.exe <tn.exe> <minimal.exe> <stand-in base URL> <login path> [runs]
#include "bench/BenchSupport.h"
#include "classlib/Http.h"
#include "classlib/Text.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
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

Run Measure(const std::wstring& exe, const std::wstring& args, const std::wstring& standin,
            const std::wstring& path) {
    tn::THttpClient http;
    http.SetReadTimeout(60000);
    try {
        (void)http.Get(standin + L"/_standin/reset");
    } catch (...) {
        return {};
    }
    const double start = NowSeconds();
    tn::bench::Started program;
    if (!tn::bench::Start(exe, args, program)) return {};
    Run run;
    try {
        // Answers once the first request to the path has arrived, with its arrival time.
        const std::wstring arrived =
            http.Get(standin + L"/_standin/times?path=" + path + L"&count=1&timeout=30000");
        if (!arrived.empty()) {
            run.ms = (std::stod(tn::text::ToUtf8(arrived)) - start) * 1000.0;
            run.peakMiB = tn::bench::PeakMiB(program.process.get());
        }
    } catch (...) {
        run.ms = -1;
    }
    return run;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 5) {
        std::printf("usage: LoginBench.exe <tn.exe> <minimal.exe> <stand-in URL> <login path> "
                    "[runs]\n");
        return 2;
    }
    const std::wstring tnExe = argv[1], minimal = argv[2], standin = argv[3], path = argv[4];
    const int runs = argc > 5 ? std::max(1, _wtoi(argv[5])) : 11;
    const std::wstring url = L"\"" + standin + path + L"\"";
    return tn::bench::Compare(
        runs, [&] { return Measure(tnExe, L"", standin, path); },
        [&] { return Measure(minimal, url, standin, path); });
}
