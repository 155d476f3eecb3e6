// Waiting on the message queue in tests, and reading back what a window shows.
#pragma once

#include "classlib/Handles.h"
#include "classlib/Menus.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tn::test {

// Dispatches messages until done() holds, sleeping on the queue in between; false on time-out.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (done()) return true;
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    }
}

// While it lives, a message loop of this thread that waits past ms is ended with a quit message,
// and Expired() then tells that what the loop waited for never came.
class LoopBound {
public:
    explicit LoopBound(UINT ms) : FTimer(::SetTimer(nullptr, 0, ms, &OnTimer)) { Fired = false; }
    LoopBound(const LoopBound&) = delete;
    LoopBound& operator=(const LoopBound&) = delete;
    ~LoopBound() { ::KillTimer(nullptr, FTimer); }
    [[nodiscard]] static bool Expired() noexcept { return Fired; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(nullptr, id);
        Fired = true;
        ::PostQuitMessage(0);
    }
    static inline bool Fired = false;
    UINT_PTR FTimer;
};

// Dispatches what is queued now.
inline void Pump() {
    PumpUntil([] { return true; }, 0);
}

inline BOOL CALLBACK FindMenuWindow(HWND wnd, LPARAM lp) {
    wchar_t cls[16] = {};
    ::GetClassNameW(wnd, cls, 16);
    if (::lstrcmpW(cls, L"#32768") != 0) return TRUE;
    *reinterpret_cast<HWND*>(lp) = wnd;
    return FALSE;
}

// The popup menu window this thread shows (other programs may show theirs at the same time).
inline HWND ThreadMenuWindow() {
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindMenuWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// While it lives, the popup menus' platform calls are written to log in order instead of being
// made, with the window each was made for; a tracked menu answers with the command chosen
// (0: dismissed).
class PopupCallsSpy {
public:
    explicit PopupCallsSpy(std::vector<std::string>& log, UINT chosen = 0)
        : FSaved(PopupMenuCalls()) {
        Log = &log;
        Chosen = chosen;
        Windows.clear();
        PopupMenuCalls() = {&Foreground, &Track, &Post};
    }
    PopupCallsSpy(const PopupCallsSpy&) = delete;
    PopupCallsSpy& operator=(const PopupCallsSpy&) = delete;
    ~PopupCallsSpy() { PopupMenuCalls() = FSaved; }

    static inline std::vector<HWND> Windows;

private:
    static BOOL WINAPI Foreground(HWND wnd) {
        Windows.push_back(wnd);
        Log->push_back("foreground");
        return TRUE;
    }
    static BOOL WINAPI Track(HMENU, UINT, int x, int y, int, HWND wnd, const RECT*) {
        Windows.push_back(wnd);
        Log->push_back("track " + std::to_string(x) + "," + std::to_string(y));
        return static_cast<BOOL>(Chosen);
    }
    static BOOL WINAPI Post(HWND wnd, UINT msg, WPARAM, LPARAM) {
        Windows.push_back(wnd);
        Log->push_back(msg == WM_NULL ? "post WM_NULL" : "post " + std::to_string(msg));
        return TRUE;
    }

    static inline std::vector<std::string>* Log = nullptr;
    static inline UINT Chosen = 0;
    TPopupMenuCalls FSaved;
};

// The colour a window shows at a client point (0x00RRGGBB), read from the window's own surface.
inline std::uint32_t WindowPixel(HWND wnd, int x, int y) {
    ::UpdateWindow(wnd);
    const WindowDc dc(wnd);
    const COLORREF c = ::GetPixel(dc.get(), x, y);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

} // namespace tn::test
