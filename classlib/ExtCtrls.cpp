#include "classlib/ExtCtrls.h"

#include <stdexcept>

namespace tn {
namespace {
constexpr wchar_t kTimerClass[] = L"TTimerWindow";
constexpr UINT_PTR kTimerId = 1;
} // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    const HINSTANCE inst = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!::GetClassInfoExW(inst, kTimerClass, &wc)) {
        wc.lpfnWndProc = &TTimer::WndProc;
        wc.hInstance = inst;
        wc.lpszClassName = kTimerClass;
        if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            throw std::runtime_error("cannot register the timer window class");
    }
    FWindow =
        ::CreateWindowExW(0, kTimerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, inst, nullptr);
    if (!FWindow) throw std::runtime_error("cannot create the timer window");
    ::SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TTimer::~TTimer() {
    ::KillTimer(FWindow, kTimerId);
    ::SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
    ::DestroyWindow(FWindow);
}

void TTimer::SetEnabled(bool value) {
    FEnabled = value;
    Update();
}
void TTimer::SetInterval(UINT ms) {
    FInterval = ms;
    Update();
}
void TTimer::SetOnTimer(TNotifyEvent handler) {
    FOnTimer = std::move(handler);
    Update();
}

void TTimer::Update() {
    ::KillTimer(FWindow, kTimerId);
    if (FEnabled && FInterval > 0 && FOnTimer) ::SetTimer(FWindow, kTimerId, FInterval, nullptr);
}

LRESULT CALLBACK TTimer::WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg == WM_TIMER && wParam == kTimerId) {
        auto* self = reinterpret_cast<TTimer*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
        if (self && self->FOnTimer) {
            try {
                // A copy: the handler may free the timer or replace its own handler.
                const TNotifyEvent handler = self->FOnTimer;
                handler(self);
            } catch (...) {
                // Swallowed here so that no exception crosses the system's dispatcher.
            }
        }
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

} // namespace tn
