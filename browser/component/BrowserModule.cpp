#include "browser/component/BrowserModule.h"

#include <windows.h>
#include <ole2.h>

#include "browser/host/HwbControl.h"
#include "browser/host/HwbUtils.h"
#include "browser/tools/ProxyOptions.h"
#include "browser/tools/StoredSettings.h"
#include "classlib/Application.h"
#include "classlib/Fpu.h"

namespace tn {

namespace {
// The module's own state: whether OLE must be undone, the control word to give back, and the
// flags the component's instances share.
bool OleStarted = false;
// The run-time library's word until the start-up saves it, so that a component loaded before
// the start-up never unmasks every exception.
std::uint16_t SavedWord = Get8087CW();
TBrowserModuleFlags Flags;
// The process's focus and mouse-wheel hooks.
TComponent::Owned<THwbControl> HwbControl;

bool ResetProxy(const TProxyConnectionSettings& before, bool processWide) noexcept {
    try {
        return ResetProxyServer(before, processWide);
    } catch (...) {
        return false; // no memory for the option list: nothing was written
    }
}

const BrowserShutdownCalls kSystemShutdownCalls{&ResetProxy, &SetNavigationSoundScheme};

// The application window's hook that sees the session end, and the calls it puts back through.
int SessionEndHook = 0;
BrowserShutdownCalls SessionEndCalls = kSystemShutdownCalls;

// The user's settings that reach beyond the process go back as they were: each proxy scope a
// write reached, and the navigation sound. What was put back owes nothing more; a proxy scope
// that could not be (no session) is still owed.
void RestoreUserSettings(const BrowserShutdownCalls& calls) noexcept {
    if (Flags.ProxyChangedProcessWide && calls.resetProxyServer(Flags.ProxyBeforeProcessWide, true))
        Flags.ProxyChangedProcessWide = false;
    if (Flags.ProxyChangedOnHandle && calls.resetProxyServer(Flags.ProxyBeforeOnHandle, false))
        Flags.ProxyChangedOnHandle = false;
    if (Flags.NavSoundOff) calls.setNavigationSoundScheme(false);
    Flags.NavSoundOff = false;
}

// The process may be ended as soon as the session-end message returns, with no shutdown after
// it: a logoff must not leave the user's other programs on this program's proxy, nor the user's
// clicks silent.
bool OnMainWindowMessage(UINT msg, WPARAM wParam) noexcept {
    if (msg == WM_ENDSESSION && wParam) RestoreUserSettings(SessionEndCalls);
    return false;
}
} // namespace

const BrowserShutdownCalls& SystemBrowserShutdownCalls() noexcept {
    return kSystemShutdownCalls;
}

std::uint16_t SavedControlWord() noexcept {
    return SavedWord;
}

TBrowserModuleFlags& BrowserModuleFlags() noexcept {
    return Flags;
}

void BrowserModuleStartup(const BrowserShutdownCalls& calls) {
    SavedWord = Get8087CW();
    Flags = {};
    SessionEndCalls = calls;
    if (!SessionEndHook)
        SessionEndHook =
            Application->HookMainWindow([](UINT msg, WPARAM wParam, LPARAM, LRESULT&) noexcept {
                return OnMainWindowMessage(msg, wParam);
            });
    // S_FALSE (already initialised on this thread) counts as success and is balanced too.
    OleStarted = SUCCEEDED(::OleInitialize(nullptr));
    if (!HwbControl) {
        HwbControl = TComponent::CreateOwned<THwbControl>();
        HwbControl->FocusControl().SetActive(true);
        HwbControl->MouseWheelFix().SetActive(true);
    }
}

void BrowserModuleShutdown(const BrowserShutdownCalls& calls) noexcept {
    Application->UnhookMainWindow(SessionEndHook);
    SessionEndHook = 0;
    RestoreUserSettings(calls);
    Flags = {};
    // The help and moniker libraries loaded on demand go before OLE does.
    HwbUtilsShutdown();
    Set8087CW(SavedWord);
    if (OleStarted) ::OleUninitialize();
    OleStarted = false;
    // Freeing it switches both hooks off.
    HwbControl.reset();
}

} // namespace tn
