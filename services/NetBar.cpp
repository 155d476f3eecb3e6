#include "services/NetBar.h"

#include "classlib/FileUtil.h"
#include "classlib/Registry.h"
#include "classlib/Text.h"

#include <string>

namespace tn {

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

struct KeyProbe {
    const wchar_t* SubKey;
    std::int32_t Code;
};

constexpr KeyProbe kSoftwareKeys[] = {
    {L"Hintsoft\\PubwinClient", 0},
    {L"Hintsoft\\pubwin", 0},
    {L"Sicent\\wx2004Clt", 1},
    {L"MpSoft\\smenu", 2},
    {L"Microsoft\\jingzu", 4},
    {L"iCafe8", 6},
    {L"Goyoo\\i8desk", 7},
    {L"Hintsoft1\\XunShanPro", 8},
    {L"SyncExpertNetBar", 9},
    {L"EYOOCLIENTSTATUS", 11},
    {L"Richtech", 12},
};

enum class Hit {
    FileInFolder, // the value is a folder holding Arg
    FileExists,   // the value names an existing file
    FileName,     // the value names an existing file called Arg
    UserinitList, // some item of the comma list names an existing file called Arg
    BootFileName, // as FileName, once a trailing " /boot" is cut off
};

struct ValueProbe {
    const wchar_t* Key;
    const wchar_t* Value;
    Hit Rule;
    const wchar_t* Arg;
    std::int32_t Code;
};

const ValueProbe kValueProbes[] = {
    {L"Software\\Hintsoft\\PubwinClient", L"InstallDir", Hit::FileInFolder, L"PubwinClient.exe", 0},
    {L"SOFTWARE\\Hintsoft\\pubwin", L"ExEPath", Hit::FileExists, nullptr, 0},
    {kRunKey, L"wxClient", Hit::FileName, L"clsmn.exe", 1},
    {L"Software\\MpSoft\\smenu", L"", Hit::FileInFolder, L"smenu.exe", 2},
    {L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", L"Userinit", Hit::UserinitList,
     L"barclient.exe", 3},
    {kRunKey, L"jzu", Hit::FileName, L"heiclent.exe", 4},
    {kRunKey, L"逍遥游网络大管家客户端", Hit::FileName, L"winlogon.exe", 5},
    {L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\BarClientView.exe", L"",
     Hit::FileName, L"barclientview.exe", 6},
    {L"SOFTWARE\\Goyoo\\i8desk", L"InstCPath", Hit::FileInFolder, L"BarOnline.exe", 7},
    {L"SOFTWARE\\Hintsoft1\\XunShanPro", L"XsGameList_FPath", Hit::FileExists, nullptr, 8},
    {L"SOFTWARE\\SyncExpertNetBar", L"ClientDir", Hit::FileInFolder, L"SEBarClt.exe", 9},
    {kRunKey, L"ZGamebtClient", Hit::BootFileName, L"gamebt.exe", 10},
};

struct NameProbe {
    const wchar_t* Fragment;
    std::int32_t Code;
};

const NameProbe kDisplayNames[] = {
    {L"迅闪", 8},
    {L"EYOO2008 For EYOONET", 11},
    {L"锐起游戏共享精灵", 12},
    {L"天下网吧Qmenu", 13},
};

bool IsFileCalled(const std::wstring& path, const wchar_t* name) {
    return text::LowerCase(ExtractFileName(path)) == name && FileExists(path);
}

bool UserinitHit(const std::wstring& list, const wchar_t* name) {
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = list.find(L',', from);
        const std::wstring item = text::ReplaceAll(
            list.substr(from, comma == std::wstring::npos ? std::wstring::npos : comma - from),
            L"\"", L"");
        if (IsFileCalled(item, name)) return true;
        if (comma == std::wstring::npos) return false;
        from = comma + 1;
    }
}

bool ProbeHits(const ValueProbe& probe) {
    TRegistry reg(HKEY_LOCAL_MACHINE);
    if (!reg.OpenKeyReadOnly(probe.Key)) return false;
    std::wstring value = reg.ReadString(probe.Value);
    switch (probe.Rule) {
    case Hit::FileInFolder:
        return !value.empty() && FileExists(IncludeTrailingBackslash(value) + probe.Arg);
    case Hit::FileExists:
        return !value.empty() && FileExists(value);
    case Hit::FileName:
        return IsFileCalled(value, probe.Arg);
    case Hit::UserinitList:
        return UserinitHit(value, probe.Arg);
    case Hit::BootFileName:
        if (value.size() >= 6 && value.compare(value.size() - 6, 6, L" /boot") == 0)
            value.resize(value.size() - 6);
        return IsFileCalled(value, probe.Arg);
    }
    return false;
}

std::int32_t Detect() {
    {
        TRegistry reg(HKEY_LOCAL_MACHINE);
        if (reg.OpenKeyReadOnly(L"software"))
            for (const KeyProbe& probe : kSoftwareKeys)
                if (reg.KeyExists(std::wstring(L"software\\") + probe.SubKey)) return probe.Code;
    }
    for (const ValueProbe& probe : kValueProbes)
        if (ProbeHits(probe)) return probe.Code;

    constexpr wchar_t kUninstall[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    TRegistry list(HKEY_LOCAL_MACHINE);
    if (!list.OpenKeyReadOnly(kUninstall)) return -1;
    for (const std::wstring& name : list.GetKeyNames()) {
        TRegistry entry(HKEY_LOCAL_MACHINE);
        if (!entry.OpenKey(std::wstring(kUninstall) + L"\\" + name, false)) continue;
        std::wstring displayName;
        try {
            displayName = entry.ReadString(L"DisplayName");
        } catch (const ERegistryException&) {
            // A value that cannot be read as text names nothing.
        }
        for (const NameProbe& probe : kDisplayNames)
            if (displayName.find(probe.Fragment) != std::wstring::npos) return probe.Code;
    }
    return -1;
}

} // namespace

std::int32_t DetectNetBar() noexcept {
    try {
        return Detect();
    } catch (...) {
        // Any failure while probing means no cafe software was recognised.
        return -1;
    }
}

} // namespace tn
