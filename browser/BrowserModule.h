// Start-up and shutdown of the browser component's module: OLE, the floating-point control word
// and the focus and mouse-wheel hooks.
#pragma once

namespace tn {

// Initialises OLE, saves the floating-point control word and switches the focus and mouse-wheel
// hooks on.
void BrowserModuleStartup();
// Switches the hooks off, restores the control word and uninitialises OLE (only after a
// successful initialisation).
void BrowserModuleShutdown() noexcept;

} // namespace tn
