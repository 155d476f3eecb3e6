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

// The tray icon of a window that hides to the tray: wanted from the hide until the window comes
// back, shown while the shell holds it. An add the shell refuses (no taskbar yet at a start at
// logon, a busy shell) is made again every few seconds and when a new taskbar announces itself.
class TTrayIcon {
public:
    explicit TTrayIcon(std::wstring_view tip) noexcept : FTip(tip) {}

    // The window goes to the tray.
    void Add(HWND wnd, HICON icon) noexcept;
    // The window is back or goes: the icon is deleted, whatever the shell says.
    void Remove(HWND wnd, HICON icon) noexcept;
    // The shell announced a taskbar: a new one without the icon, or the old one still holding it.
    void TaskbarCreated(HWND wnd, HICON icon) noexcept;
    // A timer message of the window; false when it is not the retry timer's.
    bool Timer(HWND wnd, HICON icon, UINT_PTR id) noexcept;

    [[nodiscard]] bool Wanted() const noexcept { return FWanted; }
    [[nodiscard]] bool Shown() const noexcept { return FShown; }

    // The retry timer's identifier: not a window handle, which the windows' own timers use.
    static constexpr UINT_PTR kRetryTimer = 1;
    static constexpr UINT kRetryMs = 3000;

private:
    void Show(HWND wnd, HICON icon) noexcept;

    std::wstring_view FTip;
    bool FWanted = false;
    bool FShown = false;
};

// The shell's registered "TaskbarCreated" message, which every top-level window receives when
// the shell makes its taskbar (again, after a restart, without the old icons); 0 when it cannot
// be registered.
[[nodiscard]] UINT TaskbarCreatedMessage() noexcept;

} // namespace tn
