// Browser settings of the user that the component reads and restores: the navigation sound
// scheme and the version of the browser library.
#pragma once

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

} // namespace tn
