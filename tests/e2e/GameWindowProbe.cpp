// Starts tn.exe and reports on its top-level windows, driven line by line from standard input, so
// that a script can take screenshots between the steps. Commands:
//   windows            one line: "windows" and, per top-level window of the program,
//                      " CLASS:VISIBLE:ZOOMED:X:Y:W:H"
//   waitfor CLASS MS   waits up to MS for a visible window of that class: "ok" or "timeout"
//   close CLASS        posts WM_CLOSE to the program's window of that class: "ok" or "error ..."
//   quit               ends the program if it still runs
// The first line is "ready" once the program waits for input, or "error ...".
#include "classlib/Handles.h"

#include <windows.h>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

DWORD childPid = 0;

std::string Narrow(const std::wstring& s) {
    std::string out;
    for (const wchar_t c : s)
        out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

BOOL CALLBACK CollectOwn(HWND wnd, LPARAM lp) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    if (pid == childPid) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(wnd);
    return TRUE;
}

std::vector<HWND> OwnWindows() {
    std::vector<HWND> found;
    ::EnumWindows(&CollectOwn, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring ClassOf(HWND wnd) {
    wchar_t cls[64] = {};
    ::GetClassNameW(wnd, cls, 64);
    return cls;
}

HWND FindOwn(const std::wstring& cls, bool visibleOnly) {
    for (const HWND wnd : OwnWindows())
        if (ClassOf(wnd) == cls && (!visibleOnly || ::IsWindowVisible(wnd))) return wnd;
    return nullptr;
}

std::string Windows() {
    std::string line = "windows";
    for (const HWND wnd : OwnWindows()) {
        RECT r{};
        ::GetWindowRect(wnd, &r);
        std::ostringstream item;
        item << ' ' << Narrow(ClassOf(wnd)) << ':' << (::IsWindowVisible(wnd) ? 1 : 0) << ':'
             << (::IsZoomed(wnd) ? 1 : 0) << ':' << r.left << ':' << r.top << ':'
             << r.right - r.left << ':' << r.bottom - r.top;
        line += item.str();
    }
    return line;
}

void Say(const std::string& line) {
    std::cout << line << std::endl;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        Say("error usage: probe.exe <program> [arguments...]");
        return 2;
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
        return 2;
    }
    const tn::UniqueHandleKernel process(pi.hProcess);
    const tn::UniqueHandleKernel thread(pi.hThread);
    childPid = pi.dwProcessId;
    ::WaitForInputIdle(process.get(), 30000);
    Say("ready");

    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string verb, cls;
        in >> verb;
        if (verb == "windows") {
            Say(Windows());
        } else if (verb == "waitfor") {
            DWORD ms = 0;
            in >> cls >> ms;
            const std::wstring wide(cls.begin(), cls.end());
            const DWORD start = ::GetTickCount();
            bool found = false;
            while (!(found = FindOwn(wide, true) != nullptr) && ::GetTickCount() - start < ms &&
                   ::WaitForSingleObject(process.get(), 50) == WAIT_TIMEOUT) {
            }
            Say(found ? "ok" : "timeout");
        } else if (verb == "close") {
            in >> cls;
            const HWND wnd = FindOwn(std::wstring(cls.begin(), cls.end()), false);
            Say(wnd && ::PostMessageW(wnd, WM_CLOSE, 0, 0) ? "ok" : "error no such window");
        } else if (verb == "quit") {
            break;
        } else {
            Say("error unknown command");
        }
    }
    if (::WaitForSingleObject(process.get(), 0) != WAIT_OBJECT_0)
        ::TerminateProcess(process.get(), 4);
    Say("bye");
    return 0;
}
