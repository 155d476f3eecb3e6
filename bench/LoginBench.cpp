// Login-page benchmark: the time from process start to the login page's first request at the
// stand-in, for tn.exe and for a minimal program that only puts the browser control in a plain
// window and navigates to the same URL, alternating, several runs each. Prints every run with its
// peak working set, then the medians and their ratio.
// Usage: LoginBench.exe <tn.exe> <minimal.exe> <stand-in base URL> <login path> [runs]
#include "classlib/Handles.h"
#include "classlib/Http.h"
#include "classlib/Text.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Run {
    double ms = -1;
    double peakMiB = 0;
};

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
    std::wstring cmd = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
    const std::wstring dir = exe.substr(0, exe.find_last_of(L"\\/") + 1);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const double start = NowSeconds();
    if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                          &si, &pi))
        return {};
    const tn::UniqueHandleKernel process(pi.hProcess);
    const tn::UniqueHandleKernel thread(pi.hThread);
    Run run;
    try {
        // Answers once the first request to the path has arrived, with its arrival time.
        const std::wstring arrived =
            http.Get(standin + L"/_standin/times?path=" + path + L"&count=1&timeout=30000");
        if (!arrived.empty()) {
            run.ms = (std::stod(tn::text::ToUtf8(arrived)) - start) * 1000.0;
            PROCESS_MEMORY_COUNTERS pmc{};
            pmc.cb = sizeof pmc;
            if (::GetProcessMemoryInfo(process.get(), &pmc, sizeof pmc))
                run.peakMiB = static_cast<double>(pmc.PeakWorkingSetSize) / (1024.0 * 1024.0);
        }
    } catch (...) {
        run.ms = -1;
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
    if (argc < 5) {
        std::printf("usage: LoginBench.exe <tn.exe> <minimal.exe> <stand-in URL> <login path> "
                    "[runs]\n");
        return 2;
    }
    const std::wstring tnExe = argv[1], minimal = argv[2], standin = argv[3], path = argv[4];
    const int runs = argc > 5 ? std::max(1, _wtoi(argv[5])) : 11;
    const std::wstring url = L"\"" + standin + path + L"\"";
    // One start of each first, unmeasured: the system's caches are warm for every measured run.
    Measure(tnExe, L"", standin, path);
    Measure(minimal, url, standin, path);
    std::vector<double> tn, base;
    std::printf("run  tn.exe ms  peak MiB  minimal ms  peak MiB\n");
    for (int i = 0; i < runs; ++i) {
        const Run a = Measure(tnExe, L"", standin, path);
        const Run b = Measure(minimal, url, standin, path);
        std::printf("%3d  %9.0f  %8.1f  %10.0f  %8.1f\n", i + 1, a.ms, a.peakMiB, b.ms, b.peakMiB);
        std::fflush(stdout);
        if (a.ms >= 0) tn.push_back(a.ms);
        if (b.ms >= 0) base.push_back(b.ms);
    }
    const double mt = Median(tn), mm = Median(base);
    std::printf("median  tn.exe %.0f ms, minimal %.0f ms, ratio %.2f\n", mt, mm,
                mm > 0 ? mt / mm : 0.0);
    return tn.size() == static_cast<std::size_t>(runs) &&
                   base.size() == static_cast<std::size_t>(runs)
               ? 0
               : 1;
}
