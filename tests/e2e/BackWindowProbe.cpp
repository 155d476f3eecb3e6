// Starts tn.exe and reports on its background window, driven line by line from standard input, so
// that a script can take screenshots between the steps. Commands:
//   state              the window's state line
//   send MSG WP LP     sends a message to the window without waiting for its result, then waits
//                      until the program has taken it (a handler may open a modal loop)
//   trayclick MSG      sends a mouse message to the icon in the system tray, which hands it on
//                      to its program as the icon's callback; then waits as "send" does
//   menu N             chooses item N (0-based) of the program's open popup menu
//   wait MS            waits up to MS for the program to end: "exited CODE" or "running"
//   quit               ends the program if it still runs
// The first line is "ready ..." (with the state) once the program waits for input, or "error ...".
#include "tests/e2e/ProbeSupport.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

namespace {

using namespace tn::probe;

// The shell knows the icon when it accepts a change of nothing in it.
bool TrayIconShown(HWND wnd) {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = wnd;
    nid.uFlags = 0;
    return ::Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

std::string State(HWND wnd) {
    RECT r{};
    ::GetWindowRect(wnd, &r);
    const LONG ex = ::GetWindowLongW(wnd, GWL_EXSTYLE);
    char line[256];
    std::snprintf(line, sizeof line,
                  "visible=%d iconic=%d x=%ld y=%ld w=%ld h=%ld appwindow=%d toolwindow=%d tray=%d",
                  ::IsWindowVisible(wnd) ? 1 : 0, ::IsIconic(wnd) ? 1 : 0, r.left, r.top,
                  r.right - r.left, r.bottom - r.top, (ex & WS_EX_APPWINDOW) ? 1 : 0,
                  (ex & WS_EX_TOOLWINDOW) ? 1 : 0, TrayIconShown(wnd) ? 1 : 0);
    return line;
}

// The icon window of Wine's own system tray (the only icon in a fresh prefix); its window
// procedure hands mouse messages on to the icon's program, as a click on it would.
HWND TrayIconWindow() {
    const HWND tray = ::FindWindowW(L"__winex11_standalone_tray", nullptr);
    return tray ? ::FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr) : nullptr;
}

// The program has taken the messages sent before this once it answers.
bool Sync(HWND wnd) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &result) != 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    Child child;
    if (!StartChild(argc, argv, child)) return 2;
    const HANDLE process = child.process.get();
    // The program may look at its queue before it makes its window, which ends the wait above
    // early: look for the window until it is there, the program has ended, or 30 s have passed.
    HWND wnd = WindowOf(child.pid, L"TFormBack");
    for (int i = 0; !wnd && i < 600; ++i) {
        if (::WaitForSingleObject(process, 50) != WAIT_TIMEOUT) break;
        wnd = WindowOf(child.pid, L"TFormBack");
    }
    if (!wnd) {
        Say("error no background window");
        return 2;
    }
    Sync(wnd);
    Say("ready " + State(wnd));

    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string verb;
        in >> verb;
        if (verb == "state") {
            Say(::IsWindow(wnd) ? "state " + State(wnd) : "state gone");
        } else if (verb == "send") {
            UINT msg = 0;
            WPARAM wp = 0;
            LPARAM lp = 0;
            in >> msg >> wp >> lp;
            // Sent messages are taken in order and before posted ones: once the next one is
            // answered, this one has been handled (or its handler is in a modal loop).
            ::SendNotifyMessageW(wnd, msg, wp, lp);
            Say(Sync(wnd) ? "ok" : "error no answer");
        } else if (verb == "trayclick") {
            UINT msg = 0;
            in >> msg;
            const HWND icon = TrayIconWindow();
            if (!icon) {
                Say("error no tray icon");
                continue;
            }
            // Sent, not posted: once the tray answers it has handed the click on, and once the
            // program answers it has taken it.
            DWORD_PTR result = 0;
            const bool relayed = ::SendMessageTimeoutW(icon, msg, 0, MAKELPARAM(8, 8),
                                                       SMTO_ABORTIFHUNG, 10000, &result) != 0;
            Say(relayed && Sync(wnd) ? "ok" : "error no answer");
        } else if (verb == "menu") {
            int item = 0;
            in >> item;
            const HWND menu = WindowOf(child.pid, L"#32768");
            if (!menu) {
                Say("error no menu");
                continue;
            }
            for (int i = 0; i <= item; ++i)
                ::PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
            ::PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
            Say("ok");
        } else if (verb == "wait") {
            DWORD ms = 0;
            in >> ms;
            if (::WaitForSingleObject(process, ms) == WAIT_OBJECT_0) {
                DWORD code = 0;
                ::GetExitCodeProcess(process, &code);
                Say("exited " + std::to_string(code));
            } else {
                Say("running");
            }
        } else if (verb == "quit") {
            break;
        } else {
            Say("error unknown command");
        }
    }
    Say("bye");
    return 0;
}
