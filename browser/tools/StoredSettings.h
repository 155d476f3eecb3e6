// Browser settings of the user that the component reads and restores: the navigation sound
// scheme, the version of the browser library and the start page; the application's stored main
// window placement and last visited page (under HKEY_LOCAL_MACHINE "SOFTWARE\" + the application's
// title); and the browser window's own commands.
#pragma once

#include <windows.h>

#include <string>

namespace tn {

// Disable moves the sound of the "Navigating" event aside ("Old_Current"); enable moves it back.
// Registry failures are swallowed: the sound then stays as it is.
void SetNavigationSoundScheme(bool Disable) noexcept;
// The file version text of the browser library in the system folder; empty when unreadable.
[[nodiscard]] std::wstring GetBrowserFileVersion();
// The major number of that version (the text up to its first "."); -1 when it cannot be read.
[[nodiscard]] int GetBrowserMajorVersion() noexcept;
// The same rule over a given text, for the version read above.
[[nodiscard]] int MajorVersionOf(const std::wstring& version) noexcept;

// The main form takes the stored Left, Top, Width, Height and window state (0 normal, 1 minimized,
// 2 maximized; another number leaves the state), in that order, until a value cannot be read. No
// main form or no stored placement: nothing changes.
void RestoreMainFormPlacement() noexcept;
// Stores the main form's Top, Left, Width, Height and window state; failures are swallowed.
void SaveMainFormPlacement() noexcept;

// The browser's start page of the current user; failures are swallowed.
void SetBrowserStartPage(const std::wstring& HomePage) noexcept;

// The stored last page, handed out whatever it holds (empty when there is none); true when it is
// not empty and holds a ".".
bool ReadLastVisitedPage(std::wstring& LastVisitedPage) noexcept;
// Stores the last page (removing a key of that name that stands in the value's way); true when
// it was written.
bool WriteLastVisitedPage(const std::wstring& URL) noexcept;

// The browser window's own commands, sent to it: its version dialog, and a desktop shortcut of
// its page.
inline constexpr WORD kVersionDialogCommand = 336;
inline constexpr WORD kDesktopShortcutCommand = 284;
void ShowVersionDialogCommand(HWND Window) noexcept;
void CreateShortcutCommand(HWND Window) noexcept;

} // namespace tn
