// Process-wide configuration values read from lander.ini, the login values the windows set, every
// file and folder path of the launcher, and the small rules on server ids, pay links and versions.
#pragma once

#include <cstdint>
#include <string>

namespace tn {

// Product name: window captions, application title, start-at-logon value, uninstall key.
inline constexpr wchar_t kProductName[] = L"BrisaTarn";
inline constexpr wchar_t kGameId[] = L"1016";
inline constexpr std::int32_t kClientVersion = 1000;
// The fixed game code: companion program names and the game-server host names.
inline constexpr wchar_t kGameCode[] = L"tn";

// Configuration values ("Common" of lander.ini), read once by LoadConfig.
extern std::wstring LanderExeName;
extern std::wstring GameLoginUrl;
extern std::wstring VersionCheckUrl;
extern std::wstring VersionDownloadUrl;
extern std::int32_t GameCloseStyle;
extern std::wstring Referer;
extern std::wstring Frm;
extern bool TopMost;
extern std::int32_t AutoRun;
// Login values, set by the windows while the program runs.
extern std::wstring ServerId;
extern std::wstring LoginUserName;
extern const std::wstring PayUrlFormat;

void LoadConfig();
// The module's shutdown step: the string values are cleared.
void ClearConfig() noexcept;

[[nodiscard]] std::wstring GetShellFolderPath(int csidl);
[[nodiscard]] std::wstring GetDesktopPath();
[[nodiscard]] std::wstring GetStartMenuPath(bool user);
[[nodiscard]] std::wstring GetProgramsGroupPath(bool user);
[[nodiscard]] std::wstring GetAppDataDir();
[[nodiscard]] std::wstring GetIniPath(bool upgrade);
[[nodiscard]] std::wstring GetLoginBackImagePath();
[[nodiscard]] std::wstring GetAnimateExePath();
[[nodiscard]] std::wstring GetIconTipsExePath();
// Executable folder + "Upgrade", where downloaded installers are saved.
[[nodiscard]] std::wstring GetDownloadDir();
// The user's temporary folder with a trailing backslash; empty when the system names none.
[[nodiscard]] std::wstring GetTempDir();

[[nodiscard]] std::wstring GetLastUpgradeVersion();
[[nodiscard]] std::wstring ExtractServerId(const std::wstring& url);
[[nodiscard]] std::wstring GetPayUrl();
[[nodiscard]] bool IsVersionInRange(const std::wstring& list);

// The host-name fragment of the game servers (".tn.<label>"), as ExtractServerId looks for it.
[[nodiscard]] std::wstring GameHostFragment();

} // namespace tn
