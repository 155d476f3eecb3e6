#include "browser/BrowserModule.h"

#include <windows.h>
#include <ole2.h>

#include "browser/HwbControl.h"
#include "browser/HwbUtils.h"
#include "classlib/Fpu.h"

namespace tn {

namespace {
// The module's own state: whether OLE must be undone, and the control word to give back.
bool OleStarted = false;
std::uint16_t SavedControlWord = 0;
// The process's focus and mouse-wheel hooks.
TComponent::Owned<THwbControl> HwbControl;
} // namespace

void BrowserModuleStartup() {
    SavedControlWord = Get8087CW();
    // S_FALSE (already initialised on this thread) counts as success and is balanced too.
    OleStarted = SUCCEEDED(::OleInitialize(nullptr));
    if (!HwbControl) {
        HwbControl = TComponent::CreateOwned<THwbControl>();
        HwbControl->FocusControl().SetActive(true);
        HwbControl->MouseWheelFix().SetActive(true);
    }
}

void BrowserModuleShutdown() noexcept {
    // Freeing it switches both hooks off.
    HwbControl.reset();
    // The help and moniker libraries loaded on demand go before OLE does.
    HwbUtilsShutdown();
    Set8087CW(SavedControlWord);
    if (OleStarted) ::OleUninitialize();
    OleStarted = false;
}

} // namespace tn
