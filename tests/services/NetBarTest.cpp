// Cafe-software detection against registry and file fixtures laid into the prefix's HKLM.
#include "services/NetBar.h"

#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "tests/support/TempDir.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tn {
namespace {

using testing::TempDir;

constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kWinlogon[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr wchar_t kUninstall[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

bool KeyExists(const std::wstring& path) {
    UniqueRegKey k;
    return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, k.put()) == ERROR_SUCCESS;
}

// Registry entries made for one case and taken back afterwards, old values restored.
class RegFixture {
public:
    RegFixture() = default;
    RegFixture(const RegFixture&) = delete;
    RegFixture& operator=(const RegFixture&) = delete;
    ~RegFixture() {
        for (auto it = FValues.rbegin(); it != FValues.rend(); ++it) {
            UniqueRegKey k;
            if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, it->key.c_str(), 0, KEY_SET_VALUE, k.put()) !=
                ERROR_SUCCESS)
                continue;
            if (it->old)
                ::RegSetValueExW(k.get(), it->name.c_str(), 0, it->oldType, it->old->data(),
                                 static_cast<DWORD>(it->old->size()));
            else
                ::RegDeleteValueW(k.get(), it->name.c_str());
        }
        for (auto it = FKeys.rbegin(); it != FKeys.rend(); ++it)
            ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, it->c_str());
    }

    void Key(const std::wstring& path) {
        // The first part of the path that is new is what goes again afterwards.
        for (std::size_t at = path.find(L'\\');; at = path.find(L'\\', at + 1)) {
            const std::wstring prefix = path.substr(0, at);
            if (!KeyExists(prefix)) {
                FKeys.push_back(prefix);
                break;
            }
            if (at == std::wstring::npos) break;
        }
        UniqueRegKey k;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, k.put(), nullptr),
                  ERROR_SUCCESS)
            << "cannot make HKLM\\" << text::ToUtf8(path);
    }

    void Text(const std::wstring& key, const std::wstring& name, const std::wstring& data) {
        SetValue(key, name, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    }
    void Number(const std::wstring& key, const std::wstring& name, DWORD data) {
        SetValue(key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    }

private:
    void SetValue(const std::wstring& key, const std::wstring& name, DWORD type, const BYTE* data,
                  DWORD size) {
        Key(key);
        UniqueRegKey k;
        ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS, k.put()),
                  ERROR_SUCCESS);
        Saved saved{key, name, std::nullopt, 0};
        DWORD oldType = 0, oldSize = 0;
        if (::RegQueryValueExW(k.get(), name.c_str(), nullptr, &oldType, nullptr, &oldSize) ==
            ERROR_SUCCESS) {
            std::vector<BYTE> old(oldSize);
            ::RegQueryValueExW(k.get(), name.c_str(), nullptr, &oldType, old.data(), &oldSize);
            saved.old = std::move(old);
            saved.oldType = oldType;
        }
        FValues.push_back(std::move(saved));
        ::RegSetValueExW(k.get(), name.c_str(), 0, type, data, size);
    }

    struct Saved {
        std::wstring key, name;
        std::optional<std::vector<BYTE>> old;
        DWORD oldType;
    };
    std::vector<std::wstring> FKeys;
    std::vector<Saved> FValues;
};

struct Case {
    const char* what;
    std::int32_t expected;
    std::function<void(RegFixture&, const TempDir&)> lay;
};

class NetBar : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* name :
             {L"PubwinClient.exe", L"clsmn.exe", L"barclient.exe", L"heiclent.exe", L"winlogon.exe",
              L"BarClientView.exe", L"gamebt.exe", L"other.exe"})
            testing::WriteFileBytes(FFiles.File(name), "MZ");
    }
    TempDir FFiles;
};

TEST_F(NetBar, NothingInstalledIsMinusOne) {
    EXPECT_EQ(DetectNetBar(), -1);
}

TEST_F(NetBar, EachProbeHitsWithItsCode) {
    const auto key = [](const wchar_t* sub) {
        return [sub](RegFixture& r, const TempDir&) { r.Key(std::wstring(L"software\\") + sub); };
    };
    const auto run = [](const wchar_t* name, const wchar_t* file, const wchar_t* suffix = L"") {
        return [=](RegFixture& r, const TempDir& d) { r.Text(kRun, name, d.File(file) + suffix); };
    };
    const auto displayName = [](const wchar_t* text) {
        return [text](RegFixture& r, const TempDir&) {
            r.Text(std::wstring(kUninstall) + L"\\TnFixtureProduct", L"DisplayName", text);
        };
    };
    const Case cases[] = {
        {"A Hintsoft\\PubwinClient", 0, key(L"Hintsoft\\PubwinClient")},
        {"A Hintsoft\\pubwin", 0, key(L"Hintsoft\\pubwin")},
        {"A Sicent\\wx2004Clt", 1, key(L"Sicent\\wx2004Clt")},
        {"A MpSoft\\smenu", 2, key(L"MpSoft\\smenu")},
        {"A Microsoft\\jingzu", 4, key(L"Microsoft\\jingzu")},
        {"A iCafe8", 6, key(L"iCafe8")},
        {"A Goyoo\\i8desk", 7, key(L"Goyoo\\i8desk")},
        {"A Hintsoft1\\XunShanPro", 8, key(L"Hintsoft1\\XunShanPro")},
        {"A SyncExpertNetBar", 9, key(L"SyncExpertNetBar")},
        {"A EYOOCLIENTSTATUS", 11, key(L"EYOOCLIENTSTATUS")},
        {"A Richtech", 12, key(L"Richtech")},
        {"B3 wxClient", 1, run(L"wxClient", L"clsmn.exe")},
        {"B5 Userinit, quoted second item", 3,
         [](RegFixture& r, const TempDir& d) {
             r.Text(kWinlogon, L"Userinit",
                    L"C:\\windows\\system32\\userinit.exe,\"" + d.File(L"BarClient.exe") + L"\"");
         }},
        {"B6 jzu", 4, run(L"jzu", L"heiclent.exe")},
        {"B7 逍遥游", 5, run(L"逍遥游网络大管家客户端", L"winlogon.exe")},
        {"B8 App Paths", 6,
         [](RegFixture& r, const TempDir& d) {
             r.Text(L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\BarClientView.exe",
                    L"", d.File(L"BarClientView.exe"));
         }},
        {"B12 ZGamebtClient with /boot", 10, run(L"ZGamebtClient", L"gamebt.exe", L" /boot")},
        {"B12 ZGamebtClient plain", 10, run(L"ZGamebtClient", L"gamebt.exe")},
        {"C1 迅闪 among other words", 8, displayName(L"某某迅闪网吧客户端 2.0")},
        {"C2 EYOO", 11, displayName(L"EYOO2008 For EYOONET v3")},
        {"C3 锐起", 12, displayName(L"锐起游戏共享精灵")},
        {"C4 Qmenu", 13, displayName(L"天下网吧Qmenu")},
    };
    for (const Case& c : cases) {
        RegFixture r;
        c.lay(r, FFiles);
        EXPECT_EQ(DetectNetBar(), c.expected) << c.what;
    }
    EXPECT_EQ(DetectNetBar(), -1) << "the fixtures were not taken back";
}

TEST_F(NetBar, NearMissesAndOrder) {
    const Case cases[] = {
        {"wxClient whose clsmn.exe is missing", -1,
         [](RegFixture& r, const TempDir& d) {
             r.Text(kRun, L"wxClient", d.Path() + L"gone\\clsmn.exe");
         }},
        {"wxClient naming another program", -1,
         [](RegFixture& r, const TempDir& d) { r.Text(kRun, L"wxClient", d.File(L"other.exe")); }},
        {"Userinit item whose barclient.exe is missing", -1,
         [](RegFixture& r, const TempDir& d) {
             r.Text(kWinlogon, L"Userinit",
                    L"userinit.exe,\"" + d.Path() + L"gone\\barclient.exe\"");
         }},
        {"Userinit item with a blank before it", -1,
         [](RegFixture& r, const TempDir& d) {
             r.Text(kWinlogon, L"Userinit", L"userinit.exe, " + d.File(L"barclient.exe"));
         }},
        {"ZGamebtClient ending in /BOOT", -1,
         [](RegFixture& r, const TempDir& d) {
             r.Text(kRun, L"ZGamebtClient", d.File(L"gamebt.exe") + L" /BOOT");
         }},
        {"DisplayName with EYOO in other case", -1,
         [](RegFixture& r, const TempDir&) {
             r.Text(std::wstring(kUninstall) + L"\\TnFixtureProduct", L"DisplayName",
                    L"eyoo2008 for eyoonet");
         }},
        {"stage A before stage B", 12,
         [](RegFixture& r, const TempDir& d) {
             r.Key(L"software\\Richtech");
             r.Text(kRun, L"wxClient", d.File(L"clsmn.exe"));
         }},
        {"Sicent key and wxClient value", 1,
         [](RegFixture& r, const TempDir& d) {
             r.Key(L"software\\Sicent\\wx2004Clt");
             r.Text(kRun, L"wxClient", d.File(L"clsmn.exe"));
         }},
        {"stage B before stage C", 4,
         [](RegFixture& r, const TempDir& d) {
             r.Text(std::wstring(kUninstall) + L"\\TnFixtureProduct", L"DisplayName", L"迅闪");
             r.Text(kRun, L"jzu", d.File(L"heiclent.exe"));
         }},
        {"the first name test wins within one entry", 8,
         [](RegFixture& r, const TempDir&) {
             r.Text(std::wstring(kUninstall) + L"\\TnFixtureProduct", L"DisplayName",
                    L"天下网吧Qmenu 迅闪版");
         }},
        {"a value that is not text ends the detection", -1,
         [](RegFixture& r, const TempDir& d) {
             r.Number(kRun, L"wxClient", 1);
             r.Text(kRun, L"jzu", d.File(L"heiclent.exe"));
         }},
        {"a DisplayName that is not text counts as empty", 13,
         [](RegFixture& r, const TempDir&) {
             r.Number(std::wstring(kUninstall) + L"\\TnFixtureA", L"DisplayName", 5);
             r.Text(std::wstring(kUninstall) + L"\\TnFixtureB", L"DisplayName", L"天下网吧Qmenu");
         }},
    };
    for (const Case& c : cases) {
        RegFixture r;
        c.lay(r, FFiles);
        EXPECT_EQ(DetectNetBar(), c.expected) << c.what;
    }
}

} // namespace
} // namespace tn
