// Shell services of the launcher: fetching and starting the companion programs' installers.
#pragma once

namespace tn {

// Each fetches its installer into the download folder beside the executable and starts it; true
// when the file was saved and the start was attempted.
[[nodiscard]] bool DownloadIconTips() noexcept;
[[nodiscard]] bool DownloadAnimateIcon() noexcept;

} // namespace tn
