// Starts tn.exe and reports on its top-level windows, driven line by line from standard input, so
// that a script can take screenshots between the steps. Commands:
//   windows            one line: "windows" and, per top-level window of the program,
//                      " CLASS:VISIBLE:ZOOMED:X:Y:W:H"
//   waitfor CLASS MS   waits up to MS for a visible window of that class: "ok" or "timeout"
//   close CLASS        posts WM_CLOSE to the program's window of that class: "ok" or "error ..."
//   quit               ends the program if it still runs
// The first line is "ready" once the program waits for input, or "error ...".
#include "tests/e2e/ProbeSupport.h"

#include <windows.h>

#include <iostream>
#include <sstream>
#include <string>

namespace {

using namespace tn::probe;

std::string Narrow(const std::wstring& s) {
    std::string out;
    for (const wchar_t c : s)
        out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

std::string Windows(DWORD pid) {
    std::string line = "windows";
    for (const HWND wnd : WindowsOf(pid)) {
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

} // namespace

int wmain(int argc, wchar_t** argv) {
    Child child;
    if (!StartChild(argc, argv, child)) return 2;
    const HANDLE process = child.process.get();
    Say("ready");

    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string verb, cls;
        in >> verb;
        if (verb == "windows") {
            Say(Windows(child.pid));
        } else if (verb == "waitfor") {
            DWORD ms = 0;
            in >> cls >> ms;
            const std::wstring wide(cls.begin(), cls.end());
            const DWORD start = ::GetTickCount();
            bool found = false;
            while (!(found = WindowOf(child.pid, wide, true) != nullptr) &&
                   ::GetTickCount() - start < ms &&
                   ::WaitForSingleObject(process, 50) == WAIT_TIMEOUT) {
            }
            Say(found ? "ok" : "timeout");
        } else if (verb == "close") {
            in >> cls;
            const HWND wnd = WindowOf(child.pid, std::wstring(cls.begin(), cls.end()));
            Say(wnd && ::PostMessageW(wnd, WM_CLOSE, 0, 0) ? "ok" : "error no such window");
        } else if (verb == "quit") {
            break;
        } else {
            Say("error unknown command");
        }
    }
    child.End();
    Say("bye");
    return 0;
}
