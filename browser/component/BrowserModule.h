// Start-up and shutdown of the browser component's module: OLE, the floating-point control word,
// the focus and mouse-wheel hooks, and the process-wide state the component's instances share.
#pragma once

#include "browser/tools/ProxyOptions.h"

#include <cstdint>

namespace tn {

// The platform calls of the shutdown that reach beyond the process (the user's proxy and sound
// settings); a test puts doubles in their place.
struct BrowserShutdownCalls {
    // Back to what the connection held before, in the scope given (true: the user's settings,
    // false: a session handle of its own).
    bool (*resetProxyServer)(const TProxyConnectionSettings& before, bool processWide) noexcept;
    void (*setNavigationSoundScheme)(bool disable) noexcept;
};
[[nodiscard]] const BrowserShutdownCalls& SystemBrowserShutdownCalls() noexcept;

// Initialises OLE, saves the floating-point control word and switches the focus and mouse-wheel
// hooks on. From then on the end of the user's session (the application window's WM_ENDSESSION)
// puts the user's proxy and sound settings back through calls at once, as the shutdown would: the
// process may be ended right after it.
void BrowserModuleStartup(const BrowserShutdownCalls& calls);
inline void BrowserModuleStartup() {
    BrowserModuleStartup(SystemBrowserShutdownCalls());
}

// Puts the proxy and the navigation sound back as they were when the component changed them,
// restores the control word, uninitialises OLE (only after a successful initialisation) and frees
// the hooks.
void BrowserModuleShutdown(const BrowserShutdownCalls& calls) noexcept;
inline void BrowserModuleShutdown() noexcept {
    BrowserModuleShutdown(SystemBrowserShutdownCalls());
}

// The control word saved at start-up.
[[nodiscard]] std::uint16_t SavedControlWord() noexcept;

// Process-wide flags of the component (GUI thread only).
struct TBrowserModuleFlags {
    // A proxy write succeeded in that scope since start-up, or since the session's end put it
    // back; the shutdown (or the session's end) resets that scope to what it held before the
    // first of them.
    bool ProxyChangedProcessWide = false;
    bool ProxyChangedOnHandle = false;
    TProxyConnectionSettings ProxyBeforeProcessWide;
    TProxyConnectionSettings ProxyBeforeOnHandle;
    // LoadSettings switched the navigation sound off; the shutdown switches it on again.
    bool NavSoundOff = false;
    // An instance hooks its owner's window procedure; at most one does.
    bool OwnerHooked = false;
    // The next page-setup dialog is filled from the print options.
    bool FillNextPrintDialog = false;
};
[[nodiscard]] TBrowserModuleFlags& BrowserModuleFlags() noexcept;

} // namespace tn
