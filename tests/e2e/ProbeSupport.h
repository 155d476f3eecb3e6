// What the probes that drive tn.exe for the end-to-end scripts share: their answers on standard
// output, the program they start and end, and that program's top-level windows.
#pragma once

#include "classlib/Handles.h"

#include <windows.h>

#include <iostream>
#include <string>
#include <vector>

namespace tn::probe {

inline void Say(const std::string& line) {
    std::cout << line << std::endl;
}

// The program a probe drives; one still running is ended when this goes, whichever way the probe
// ends.
struct Child {
    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() { End(); }

    void End() noexcept {
        if (!process || ::WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT) return;
        ::TerminateProcess(process.get(), 4);
        ::WaitForSingleObject(process.get(), 5000);
    }

    UniqueHandleKernel process, thread;
    DWORD pid = 0;
};

// Starts the program of the probe's command line (argv[1], its arguments after it) in its own
// folder and waits until it first waits for input. False, said as an "error" line, when there is
// no program or it cannot start.
inline bool StartChild(int argc, wchar_t** argv, Child& child) {
    if (argc < 2) {
        Say("error usage: probe.exe <program> [arguments...]");
        return false;
    }
    std::wstring cmd = L"\"" + std::wstring(argv[1]) + L"\"";
    for (int i = 2; i < argc; ++i)
        cmd += L" " + std::wstring(argv[i]);
    std::wstring dir = argv[1];
    dir.erase(dir.find_last_of(L"\\/") + 1);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                          &si, &pi)) {
        Say("error cannot start the program");
        return false;
    }
    child.process = UniqueHandleKernel(pi.hProcess);
    child.thread = UniqueHandleKernel(pi.hThread);
    child.pid = pi.dwProcessId;
    ::WaitForInputIdle(child.process.get(), 30000);
    return true;
}

inline std::wstring ClassOf(HWND wnd) {
    wchar_t cls[64] = {};
    ::GetClassNameW(wnd, cls, 64);
    return cls;
}

struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

inline BOOL CALLBACK CollectWindowOf(HWND wnd, LPARAM lp) {
    auto& search = *reinterpret_cast<WindowSearch*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    if (pid == search.pid) search.found.push_back(wnd);
    return TRUE;
}

// The top-level windows of process pid, in the system's order.
inline std::vector<HWND> WindowsOf(DWORD pid) {
    WindowSearch search{pid, {}};
    ::EnumWindows(&CollectWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The first top-level window of process pid of that class (only a visible one if asked).
inline HWND WindowOf(DWORD pid, const std::wstring& cls, bool visibleOnly = false) {
    for (const HWND wnd : WindowsOf(pid))
        if (ClassOf(wnd) == cls && (!visibleOnly || ::IsWindowVisible(wnd))) return wnd;
    return nullptr;
}

} // namespace tn::probe
