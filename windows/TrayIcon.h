// The tray record of the launcher's windows and the one call that hands it to the shell: each
// window that shows a tray icon uses this record with its own handle and tip.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string_view>

namespace tn {

// The shell's call: the system's in production, a double in tests.
struct TTrayIconCalls {
    BOOL(WINAPI* ShellNotifyIcon)(DWORD message, PNOTIFYICONDATAW record);
};
// The call every tray icon makes; a test may replace it and must put it back.
[[nodiscard]] TTrayIconCalls& TrayIconCalls() noexcept;

// Adds (remove false) or deletes the window's tray icon; the shell's result. The record: size
// field 88, the window, identifier 0, message, icon and tip valid, callback WM_BARICON, the icon,
// and the tip cut to the tip field.
bool SetTrayIcon(HWND wnd, HICON icon, std::wstring_view tip, bool remove) noexcept;

// The shell's registered "TaskbarCreated" message, which every top-level window receives when
// the shell makes its taskbar (again, after a restart, without the old icons); 0 when it cannot
// be registered.
[[nodiscard]] UINT TaskbarCreatedMessage() noexcept;

} // namespace tn
