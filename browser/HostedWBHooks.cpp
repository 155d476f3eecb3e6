// The owner hook with the activated-dialog check, the child-window subclasses and the
// context-menu filter of the browser component.
#include "browser/HostedWB.h"

namespace tn {

void THostedWB::InstallOwnerHook() {}
void THostedWB::RemoveOwnerHook() noexcept {}
void THostedWB::OwnerWindowProc(TMessage& m) {
    if (FOldWindowProc) FOldWindowProc(m);
}
void THostedWB::CheckActivatedDialog(HWND) noexcept {}
void THostedWB::HookChildWindowsIfNeeded() {}
void THostedWB::HookChildWindows() {}
void THostedWB::UnhookChildWindows() noexcept {}
LRESULT THostedWB::ChildWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    return ::DefWindowProcW(wnd, msg, wParam, lParam);
}
void THostedWB::ActivateBrowser(TForm*) {}
bool THostedWB::IsMenuFilterActive() {
    return TCustomHostedWB::IsMenuFilterActive();
}
void THostedWB::FilterPopupMenu(DWORD ID, HMENU Menu, IDispatch* Context) {
    TCustomHostedWB::FilterPopupMenu(ID, Menu, Context);
}

} // namespace tn
