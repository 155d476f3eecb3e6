// System entry points that not every toolchain's import libraries carry (the x86_64 ones lack
// GetWindowSubclass), bound by name from their system library at first use.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace tn {

// comctl32's GetWindowSubclass; false where the library or the entry cannot be found.
[[nodiscard]] bool BoundGetWindowSubclass(HWND wnd, SUBCLASSPROC proc, UINT_PTR id,
                                          DWORD_PTR* refData) noexcept;

} // namespace tn
