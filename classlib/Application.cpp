#include "classlib/Application.h"

#include "classlib/Forms.h"
#include "classlib/Thread.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace tn {

namespace {
constexpr wchar_t kAppWindowClass[] = L"TApplication";
// Posted to the application window to run queued synchronise calls.
constexpr UINT WM_TN_SYNCHRONIZE = WM_APP + 0x3F00;

TApplication TheApplication;

// The hooks and the message listeners are both kept as (cookie, callback) in the order added.
template <typename List> void EraseByCookie(List& list, int cookie) noexcept {
    const auto it = std::find_if(list.begin(), list.end(),
                                 [cookie](const auto& entry) { return entry.first == cookie; });
    if (it != list.end()) list.erase(it);
}
} // namespace

TApplication* Application = &TheApplication;

TApplication::~TApplication() {
    DestroyComponents();
    if (FHandle) ::DestroyWindow(FHandle);
}

void TApplication::Initialize() {
    if (FHandle) return;
    const HINSTANCE inst = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TApplication::WndProc;
    wc.hInstance = inst;
    wc.lpszClassName = kAppWindowClass;
    FIcon = ::LoadIconW(inst, L"MAINICON");
    wc.hIcon = FIcon;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw std::runtime_error("cannot register the application window class");
    FHandle = ::CreateWindowExW(WS_EX_TOOLWINDOW, kAppWindowClass, FTitle.c_str(), WS_POPUP, 0, 0,
                                0, 0, nullptr, nullptr, inst, this);
    if (!FHandle) throw std::runtime_error("cannot create the application window");
    const HWND wnd = FHandle;
    SetSynchronizeWakeup(::GetCurrentThreadId(),
                         [wnd] { ::PostMessageW(wnd, WM_TN_SYNCHRONIZE, 0, 0); });
}

void TApplication::SetTitle(const std::wstring& title) {
    FTitle = title;
    if (FHandle) ::SetWindowTextW(FHandle, FTitle.c_str());
}

void TApplication::SetIcon(HICON icon) noexcept {
    UniqueIcon copy(icon ? ::CopyIcon(icon) : nullptr);
    FIcon = copy ? copy.get() : ::LoadIconW(nullptr, IDI_APPLICATION);
    if (FHandle) ::SendMessageW(FHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon));
    FOwnedIcon = std::move(copy); // the previous copy goes once the window shows this one
}

LRESULT CALLBACK TApplication::WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<TApplication*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
        if (self) self->FHandle = nullptr;
    }
    if (!self) return ::DefWindowProcW(wnd, msg, wParam, lParam);
    try {
        return self->AppWndProc(wnd, msg, wParam, lParam);
    } catch (...) {
        // A failing hook must not unwind through the system's dispatcher.
        return 0;
    }
}

LRESULT TApplication::AppWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == CM_ACTIVATE) FActivatePosted = false;
    // Copy, so that a hook may unhook itself.
    const auto hooks = FHooks;
    for (const auto& [cookie, hook] : hooks) {
        LRESULT result = 0;
        if (hook(msg, wParam, lParam, result)) return result;
    }
    switch (msg) {
    case WM_TN_SYNCHRONIZE:
        CheckSynchronize();
        return 0;
    case WM_CLOSE:
        // The hidden window is closed by the program, never by the user.
        return 0;
    case WM_ACTIVATEAPP:
        // Posted, so that its handlers see the activation finished.
        if (wParam) PostActivate();
        return ::DefWindowProcW(wnd, msg, wParam, lParam);
    default:
        return ::DefWindowProcW(wnd, msg, wParam, lParam);
    }
}

int TApplication::HookMainWindow(MainWindowHook hook) {
    const int cookie = FNextHook++;
    FHooks.emplace_back(cookie, std::move(hook));
    return cookie;
}

void TApplication::UnhookMainWindow(int cookie) noexcept {
    EraseByCookie(FHooks, cookie);
}

void TApplication::PostActivate() noexcept {
    // The application and its form are activated together: the hooks look once.
    if (FActivatePosted || !FHandle) return;
    FActivatePosted = ::PostMessageW(FHandle, CM_ACTIVATE, 0, 0) != FALSE;
}

int TApplication::AddMessageListener(TMessageEvent listener) {
    const int cookie = FNextListener++;
    FListeners.emplace_back(cookie, std::move(listener));
    return cookie;
}

void TApplication::RemoveMessageListener(int cookie) noexcept {
    EraseByCookie(FListeners, cookie);
}

bool TApplication::NotifyMessageListeners(MSG& msg) noexcept {
    // The list is in cookie order. Each step asks the next listener after the last one asked,
    // so one removed by an earlier listener (its window freed, say) is not asked, and none
    // added meanwhile is; nothing is copied per message.
    const int newest = FNextListener - 1;
    int last = 0;
    for (;;) {
        const auto it =
            std::find_if(FListeners.begin(), FListeners.end(),
                         [last](const auto& listener) { return listener.first > last; });
        if (it == FListeners.end() || it->first > newest) return false;
        last = it->first;
        if (!it->second) continue;
        // The running listener keeps its own copy: it may remove itself.
        const TMessageEvent listener = it->second;
        bool handled = false;
        try {
            listener(msg, handled);
        } catch (...) {
            // An exception leaving the loop would end the program; the message goes on.
            handled = false;
        }
        if (handled) return true;
    }
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (msg.message == WM_QUIT) {
        FTerminated = true;
        return false;
    }
    bool handled = NotifyMessageListeners(msg);
    if (!handled) handled = IsKeyMsg(msg);
    if (!handled) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return true;
}

bool TApplication::IsKeyMsg(MSG& msg) noexcept {
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        break;
    default:
        return false;
    }
    // While a control has captured the mouse, keys go to it (a menu loop, a drag).
    HWND target = ::GetCapture();
    if (!target) target = msg.hwnd;
    TWinControl* control = FindControlAtOrAbove(target);
    if (!control) return false;
    // Restored, not cleared: a loop run while the key is offered (a box from a key handler)
    // offers its own keys, and the one offered here must still be found afterwards.
    struct Offered {
        const MSG*& slot;
        const MSG* outer;
        ~Offered() { slot = outer; }
    } offered{FKeyMessage, FKeyMessage};
    FKeyMessage = &msg;
    try {
        return control->Perform(CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
    } catch (...) {
        // A control that fails on the offer has not taken the key; it is dispatched as usual.
        return false;
    }
}

bool TApplication::HandleMessage() {
    MSG msg;
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) return false;
    if (got == 0) {
        FTerminated = true;
        return false;
    }
    return ProcessMessage(msg);
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        if (!ProcessMessage(msg)) break;
}

void TApplication::Run() {
    if (!FMainForm) return;
    FMainForm->Show();
    // Synchronise calls queued before the loop started are served by the first wake-up message.
    CheckSynchronize();
    while (!FTerminated)
        if (!HandleMessage()) break;
    FMainForm = nullptr;
    DestroyComponents();
}

TApplicationEvents::TApplicationEvents(TComponent* owner)
    : TComponent(owner), FCookie(Application->AddMessageListener([this](MSG& msg, bool& handled) {
          if (OnMessage) OnMessage(msg, handled);
      })) {}

TApplicationEvents::~TApplicationEvents() {
    Application->RemoveMessageListener(FCookie);
}

void TApplication::Terminate() noexcept {
    if (FTerminated.exchange(true)) return;
    if (::GetCurrentThreadId() == GuiThreadId())
        ::PostQuitMessage(0);
    else
        ::PostThreadMessageW(GuiThreadId(), WM_QUIT, 0, 0);
}

} // namespace tn
