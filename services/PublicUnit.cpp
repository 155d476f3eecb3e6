#include "services/PublicUnit.h"

#include "Deploy.h"
#include "classlib/FileUtil.h"
#include "classlib/IniFile.h"

#include <windows.h>
#include <shlobj.h>

namespace tn {

namespace {
constexpr wchar_t kCommon[] = L"Common";
constexpr wchar_t kDataFolderParent[] = L"Brisa";
constexpr wchar_t kPublisherFolder[] = L"MorvelBrisa游戏";

std::wstring DefaultLoginUrl() {
    return std::wstring(deploy::kPlatformServer) + L"/tn/wd2/index.html";
}
std::wstring DefaultVersionCheckUrl() {
    return std::wstring(deploy::kDownloadServer) + L"/Varkel/tn/official/app.ini";
}
std::wstring DefaultVersionDownloadUrl() {
    return std::wstring(deploy::kDownloadServer) + L"/Varkel/tn/official/Setup_Varkelbn.exe";
}
} // namespace

std::wstring LanderExeName = L"tn";
std::wstring GameLoginUrl = DefaultLoginUrl();
std::wstring VersionCheckUrl = DefaultVersionCheckUrl();
std::wstring VersionDownloadUrl = DefaultVersionDownloadUrl();
std::int32_t GameCloseStyle = 0;
std::wstring Referer = L"client";
std::wstring Frm;
bool TopMost = false;
std::int32_t AutoRun = 0;
std::wstring ServerId;
std::wstring LoginUserName;
const std::wstring PayUrlFormat =
    std::wstring(deploy::kPlatformServer) + L"/action/redirect_pay.php?gid=%s&sid=%s";

void LoadConfig() {
    const TIniFile ini(GetIniPath(false));
    LanderExeName = ini.ReadString(kCommon, L"LanderExeName", L"tn");
    GameLoginUrl = ini.ReadString(kCommon, L"GameLoginUrl", DefaultLoginUrl());
    VersionCheckUrl = ini.ReadString(kCommon, L"VersionCheck", DefaultVersionCheckUrl());
    VersionDownloadUrl = ini.ReadString(kCommon, L"VersionDownLoad", DefaultVersionDownloadUrl());
    GameCloseStyle = ini.ReadInteger(kCommon, L"GameCloseStyle", 0);
    Referer = ini.ReadString(kCommon, L"referer", L"client");
    Frm = ini.ReadString(kCommon, L"frm", L"");
    TopMost = ini.ReadBool(kCommon, L"TopMost", false);
    AutoRun = ini.ReadInteger(kCommon, L"AutoRun", 0);
}

void ClearConfig() noexcept {
    for (auto* s : {&LanderExeName, &GameLoginUrl, &VersionCheckUrl, &VersionDownloadUrl, &Referer,
                    &Frm, &ServerId, &LoginUserName})
        s->clear();
}

std::wstring GetShellFolderPath(int csidl) {
    // The shell may be unable to name the folder; the result is then empty, without a backslash.
    wchar_t buf[MAX_PATH + 1] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, buf, csidl, FALSE) || buf[0] == L'\0') return {};
    return IncludeTrailingBackslash(buf);
}

std::wstring GetDesktopPath() {
    return GetShellFolderPath(CSIDL_DESKTOPDIRECTORY);
}

std::wstring GetStartMenuPath(bool user) {
    return GetShellFolderPath(user ? CSIDL_STARTMENU : CSIDL_COMMON_STARTMENU);
}

std::wstring GetProgramsGroupPath(bool user) {
    const std::wstring path = GetShellFolderPath(user ? CSIDL_PROGRAMS : CSIDL_COMMON_PROGRAMS) +
                              kPublisherFolder + L"\\";
    ForceDirectories(path);
    return path;
}

std::wstring GetAppDataDir() {
    const std::wstring path =
        GetShellFolderPath(CSIDL_COMMON_APPDATA) + kDataFolderParent + L"\\" + kGameCode + L"\\";
    ForceDirectories(path);
    return path;
}

std::wstring GetIniPath(bool upgrade) {
    return GetAppDataDir() + (upgrade ? L"UpGrade.ini" : L"lander.ini");
}

std::wstring GetLoginBackImagePath() {
    return ExeFolder() + L"Skin\\loginback.png";
}

std::wstring GetAnimateExePath() {
    return GetAppDataDir() + kGameCode + L"Animate.exe";
}

std::wstring GetIconTipsExePath() {
    return GetAppDataDir() + kGameCode + L"IconTips.exe";
}

std::wstring GetDownloadDir() {
    return ExeFolder() + L"Upgrade";
}

std::wstring GetTempDir() {
    wchar_t buf[MAX_PATH + 1];
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, buf);
    if (n == 0 || n > MAX_PATH) return {};
    return IncludeTrailingBackslash(std::wstring(buf, n));
}

std::wstring GetLastUpgradeVersion() {
    return TIniFile(GetIniPath(true)).ReadString(kCommon, L"LastTimeUpGradeVersion", L"0.0.0.0");
}

std::wstring GetPayUrl() {
    if (ServerId.empty()) return {};
    // The format's two "%s" take the game id and the server id, in that order; what a value
    // holds is not looked at again.
    const std::wstring values[] = {kGameId, ServerId};
    std::wstring out;
    std::size_t at = 0;
    for (const auto& value : values) {
        const auto hit = PayUrlFormat.find(L"%s", at);
        if (hit == std::wstring::npos) break;
        out.append(PayUrlFormat, at, hit - at).append(value);
        at = hit + 2;
    }
    return out.append(PayUrlFormat, at, std::wstring::npos);
}

} // namespace tn
