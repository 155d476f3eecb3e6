// Start-up and shutdown of the browser component's module: OLE and the floating-point control word.
#pragma once

namespace tn {

// Initialises OLE and saves the floating-point control word.
void BrowserModuleStartup();
// Restores the control word and uninitialises OLE (only after a successful initialisation).
void BrowserModuleShutdown() noexcept;

} // namespace tn
