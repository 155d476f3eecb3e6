#include "browser/component/BrowserModule.h"

#include <windows.h>
#include <ole2.h>

#include "browser/host/HwbControl.h"
#include "browser/host/HwbUtils.h"
#include "browser/tools/ProxyOptions.h"
#include "browser/tools/StoredSettings.h"
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

void BrowserModuleStartup() {
    SavedWord = Get8087CW();
    Flags = {};
    // S_FALSE (already initialised on this thread) counts as success and is balanced too.
    OleStarted = SUCCEEDED(::OleInitialize(nullptr));
    if (!HwbControl) {
        HwbControl = TComponent::CreateOwned<THwbControl>();
        HwbControl->FocusControl().SetActive(true);
        HwbControl->MouseWheelFix().SetActive(true);
    }
}

void BrowserModuleShutdown(const BrowserShutdownCalls& calls) noexcept {
    // Each scope that a proxy write reached goes back to what it held before.
    if (Flags.ProxyChangedProcessWide)
        (void)calls.resetProxyServer(Flags.ProxyBeforeProcessWide, true);
    if (Flags.ProxyChangedOnHandle) (void)calls.resetProxyServer(Flags.ProxyBeforeOnHandle, false);
    if (Flags.NavSoundOff) calls.setNavigationSoundScheme(false);
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
