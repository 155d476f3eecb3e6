// The application of a window test, waiting on the message queue, driving the menus and boxes a
// test opens, and reading back what a window shows.
#pragma once

#include "classlib/Application.h"
#include "classlib/Dialogs.h"
#include "classlib/Handles.h"
#include "classlib/Menus.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tn::test {

// OLE and the application around the whole run, under the title given (none: the default).
class OleAppSetUp : public ::testing::Environment {
public:
    explicit OleAppSetUp(std::wstring title = {}) : FTitle(std::move(title)) {}
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        Application->Initialize();
        if (!FTitle.empty()) Application->SetTitle(FTitle);
    }
    void TearDown() override { ::OleUninitialize(); }

private:
    std::wstring FTitle;
};

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

// Runs the application's own loop (its message listeners and key pre-processing included) until
// done() holds. What other threads do (the stand-in's requests, a worker) sends no message, so the
// queue is not waited on for long.
inline bool LoopUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        Application->ProcessMessages();
        if (done()) return true;
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(timeoutMs - elapsed, 20),
                                    QS_ALLINPUT);
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

// While it lives, Ctrl and Shift are held or not as given, as this thread's keyboard state tells
// (GetKeyState), which a posted key message does not change.
class KeyState {
public:
    KeyState(bool ctrl, bool shift) {
        ::GetKeyboardState(FSaved);
        BYTE keys[256];
        ::GetKeyboardState(keys);
        keys[VK_CONTROL] = keys[VK_LCONTROL] = ctrl ? 0x80 : 0;
        keys[VK_SHIFT] = keys[VK_LSHIFT] = shift ? 0x80 : 0;
        ::SetKeyboardState(keys);
    }
    KeyState(const KeyState&) = delete;
    KeyState& operator=(const KeyState&) = delete;
    ~KeyState() { ::SetKeyboardState(FSaved); }

private:
    BYTE FSaved[256];
};

// Dispatches what is queued now.
inline void Pump() {
    PumpUntil([] { return true; }, 0);
}

struct ClassSearch {
    const wchar_t* cls;
    HWND found;
};

inline BOOL CALLBACK FindWindowOfClass(HWND wnd, LPARAM lp) {
    auto& search = *reinterpret_cast<ClassSearch*>(lp);
    wchar_t cls[16] = {};
    ::GetClassNameW(wnd, cls, 16);
    if (::lstrcmpW(cls, search.cls) != 0) return TRUE;
    search.found = wnd;
    return FALSE;
}

// A window of this thread of the class given (other programs may show theirs at the same time).
inline HWND ThreadWindowOfClass(const wchar_t* cls) {
    ClassSearch search{cls, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindWindowOfClass,
                        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The popup menu window this thread shows.
inline HWND ThreadMenuWindow() {
    return ThreadWindowOfClass(L"#32768");
}

// The message box this thread shows.
inline HWND ThreadBoxWindow() {
    return ThreadWindowOfClass(L"#32770");
}

// Runs inside a popup menu's modal loop: once the menu is open, notes its items, their checks and
// where it is, then picks one or cancels.
struct MenuDriver {
    static inline std::vector<std::wstring> captions;
    static inline std::vector<bool> checked;
    static inline RECT place{};
    static inline int pick = -1; // -1 cancels
    static inline UINT_PTR timer = 0;
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        const HWND menuWnd = ThreadMenuWindow();
        if (!menuWnd) return;
        Disarm();
        const auto menu = reinterpret_cast<HMENU>(::SendMessageW(menuWnd, MN_GETHMENU, 0, 0));
        ::GetWindowRect(menuWnd, &place);
        for (int i = 0; menu && i < ::GetMenuItemCount(menu); ++i) {
            wchar_t text[64] = {};
            ::GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
            captions.emplace_back(text);
            checked.push_back((::GetMenuState(menu, i, MF_BYPOSITION) & MF_CHECKED) != 0);
        }
        for (int i = 0; i <= pick; ++i)
            ::PostMessageW(menuWnd, WM_KEYDOWN, VK_DOWN, 0);
        ::PostMessageW(menuWnd, WM_KEYDOWN, pick < 0 ? VK_ESCAPE : VK_RETURN, 0);
    }
    static void Disarm() {
        if (timer) ::KillTimer(nullptr, std::exchange(timer, 0));
    }
    // Opens a menu through open() and chooses item pick (-1 cancels). A menu that closed before
    // the driver saw it leaves no captions.
    static void Choose(int item, const std::function<void()>& open) {
        captions.clear();
        checked.clear();
        pick = item;
        timer = ::SetTimer(nullptr, 0, 50, &OnTimer);
        open();
        Disarm();
    }
};

// While it lives, the system commands sent to windows of this thread are noted.
class SysCommandWatch {
public:
    SysCommandWatch()
        : FHook(::SetWindowsHookExW(WH_CALLWNDPROC, &Hook, nullptr, ::GetCurrentThreadId())) {
        sysCommands.clear();
    }
    SysCommandWatch(const SysCommandWatch&) = delete;
    SysCommandWatch& operator=(const SysCommandWatch&) = delete;
    ~SysCommandWatch() {
        if (FHook) ::UnhookWindowsHookEx(FHook);
    }
    [[nodiscard]] bool Hooked() const noexcept { return FHook != nullptr; }

    static inline std::vector<WPARAM> sysCommands;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp) {
        const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
        if (code == HC_ACTION && m->message == WM_SYSCOMMAND) sysCommands.push_back(m->wParam);
        return ::CallNextHookEx(nullptr, code, wp, lp);
    }
    HHOOK FHook;
};

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

// While it lives, the dialogs note what they were asked to show and answer as set here, without
// a window; the system's dialogs are back afterwards.
class DialogCallsSpy {
public:
    DialogCallsSpy() : FSaved(DialogCalls()) {
        Boxes.clear();
        BoxAnswer = IDOK;
        Inputs.clear();
        InputAnswer.reset();
        Opens.clear();
        Saves.clear();
        FileAnswer.reset();
        Folders.clear();
        FolderAnswer.reset();
        DialogCalls() = {&Box, &Input, &Open, &Save, &Folder};
    }
    DialogCallsSpy(const DialogCallsSpy&) = delete;
    DialogCallsSpy& operator=(const DialogCallsSpy&) = delete;
    ~DialogCallsSpy() { DialogCalls() = FSaved; }

    struct BoxCall {
        HWND owner;
        std::wstring text, caption;
        UINT flags;
    };
    static inline std::vector<BoxCall> Boxes;
    static inline int BoxAnswer = IDOK;
    struct InputCall {
        std::wstring caption, prompt, value;
    };
    static inline std::vector<InputCall> Inputs;
    static inline std::optional<std::wstring> InputAnswer; // none: Cancel
    // The requests as they arrived.
    static inline std::vector<TFileDialogRequest> Opens, Saves;
    static inline std::optional<std::wstring> FileAnswer; // none: Cancel
    struct FolderCall {
        HWND owner;
        std::wstring title;
    };
    static inline std::vector<FolderCall> Folders;
    static inline std::optional<std::wstring> FolderAnswer; // none: Cancel

private:
    static int WINAPI Box(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags) {
        Boxes.push_back({owner, text ? text : L"", caption ? caption : L"", flags});
        return BoxAnswer;
    }
    static bool Input(const std::wstring& caption, const std::wstring& prompt,
                      std::wstring& value) {
        Inputs.push_back({caption, prompt, value});
        if (!InputAnswer) return false;
        value = *InputAnswer;
        return true;
    }
    static bool Answer(std::vector<TFileDialogRequest>& log, TFileDialogRequest& request) {
        log.push_back(request);
        if (!FileAnswer) return false;
        request.FileName = *FileAnswer;
        return true;
    }
    static bool Open(TFileDialogRequest& request) { return Answer(Opens, request); }
    static bool Save(TFileDialogRequest& request) { return Answer(Saves, request); }
    static bool Folder(HWND owner, const std::wstring& title, std::wstring& folder) {
        Folders.push_back({owner, title});
        if (!FolderAnswer) return false;
        folder = *FolderAnswer;
        return true;
    }

    TDialogCalls FSaved;
};

// A hidden popup window of a class of the test's own, destroyed with the object. The class is
// registered on first use, with the procedure given then.
class ClassWindow {
public:
    explicit ClassWindow(const wchar_t* className, WNDPROC proc = &::DefWindowProcW) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = className;
        (void)::RegisterClassW(&wc); // refused when registered before: that class serves
        FWnd = ::CreateWindowExW(0, className, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    }
    ClassWindow(const ClassWindow&) = delete;
    ClassWindow& operator=(const ClassWindow&) = delete;
    ~ClassWindow() {
        if (FWnd) ::DestroyWindow(FWnd);
    }
    [[nodiscard]] HWND get() const noexcept { return FWnd; }

private:
    HWND FWnd;
};

inline RECT WindowRect(HWND wnd) {
    RECT r{};
    ::GetWindowRect(wnd, &r);
    return r;
}

inline LONG ExStyle(HWND wnd) {
    return ::GetWindowLongW(wnd, GWL_EXSTYLE);
}

// The colour a window shows at a client point (0x00RRGGBB), read from the window's own surface.
inline std::uint32_t WindowPixel(HWND wnd, int x, int y) {
    ::UpdateWindow(wnd);
    const WindowDc dc(wnd);
    const COLORREF c = ::GetPixel(dc.get(), x, y);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

} // namespace tn::test
