#include "services/PublicUnit.h"

#include "Deploy.h"
#include "classlib/FileUtil.h"
#include "tests/support/TempDir.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

using namespace tn;

namespace {
// Each test starts without lander.ini and UpGrade.ini and leaves none behind.
struct ConfigFiles : ::testing::Test {
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        ::DeleteFileW(GetIniPath(false).c_str());
        ::DeleteFileW(GetIniPath(true).c_str());
    }
};
} // namespace

TEST_F(ConfigFiles, AMissingFileYieldsEveryDefault) {
    LoadConfig();
    EXPECT_EQ(LanderExeName, L"tn");
    EXPECT_EQ(GameLoginUrl, std::wstring(deploy::kPlatformServer) + L"/tn/wd2/index.html");
    EXPECT_EQ(VersionCheckUrl,
              std::wstring(deploy::kDownloadServer) + L"/Varkel/tn/official/app.ini");
    EXPECT_EQ(VersionDownloadUrl,
              std::wstring(deploy::kDownloadServer) + L"/Varkel/tn/official/Setup_Varkelbn.exe");
    EXPECT_EQ(GameCloseStyle, 0);
    EXPECT_EQ(Referer, L"client");
    EXPECT_EQ(Frm, L"");
    EXPECT_FALSE(TopMost);
    EXPECT_EQ(AutoRun, 0);
    EXPECT_EQ(GetLastUpgradeVersion(), L"0.0.0.0");
}

TEST_F(ConfigFiles, ReadsEveryCommonKey) {
    tn::testing::WriteFileBytes(GetIniPath(false),
                                "[Common]\r\nLanderExeName=tn2\r\nGameLoginUrl=http://a/login\r\n"
                                "VersionCheck=http://a/v.ini\r\nVersionDownLoad=http://a/s.exe\r\n"
                                "GameCloseStyle=3\r\nreferer=site\r\nfrm=abc\r\nTopMost=2\r\n"
                                "AutoRun=x\r\n");
    tn::testing::WriteFileBytes(GetIniPath(true), "[Common]\r\nLastTimeUpGradeVersion=1.0.0.9\r\n");
    LoadConfig();
    EXPECT_EQ(LanderExeName, L"tn2");
    EXPECT_EQ(GameLoginUrl, L"http://a/login");
    EXPECT_EQ(VersionCheckUrl, L"http://a/v.ini");
    EXPECT_EQ(VersionDownloadUrl, L"http://a/s.exe");
    EXPECT_EQ(GameCloseStyle, 3);
    EXPECT_EQ(Referer, L"site");
    EXPECT_EQ(Frm, L"abc");
    EXPECT_TRUE(TopMost);  // any non-zero number is true
    EXPECT_EQ(AutoRun, 0); // not a number
    EXPECT_EQ(GetLastUpgradeVersion(), L"1.0.0.9");
    ClearConfig();
    EXPECT_EQ(LanderExeName, L"");
    EXPECT_EQ(GameLoginUrl, L"");
}

TEST(PublicUnitPaths, FoldersEndWithABackslashAndAreMadeOnDemand) {
    EXPECT_EQ(GetShellFolderPath(CSIDL_COMMON_APPDATA), L"C:\\ProgramData\\");
    EXPECT_EQ(GetAppDataDir(), L"C:\\ProgramData\\Brisa\\tn\\");
    EXPECT_TRUE(DirectoryExists(GetAppDataDir()));
    EXPECT_EQ(GetIniPath(false), L"C:\\ProgramData\\Brisa\\tn\\lander.ini");
    EXPECT_EQ(GetIniPath(true), L"C:\\ProgramData\\Brisa\\tn\\UpGrade.ini");
    EXPECT_EQ(GetAnimateExePath(), L"C:\\ProgramData\\Brisa\\tn\\tnAnimate.exe");
    EXPECT_EQ(GetIconTipsExePath(), L"C:\\ProgramData\\Brisa\\tn\\tnIconTips.exe");
    EXPECT_EQ(GetLoginBackImagePath(), ExeFolder() + L"Skin\\loginback.png");
    EXPECT_EQ(GetDownloadDir(), ExeFolder() + L"Upgrade");
    for (const bool user : {true, false}) {
        const std::wstring group = GetProgramsGroupPath(user);
        EXPECT_EQ(group, GetShellFolderPath(user ? CSIDL_PROGRAMS : CSIDL_COMMON_PROGRAMS) +
                             L"MorvelBrisa游戏\\");
        EXPECT_TRUE(DirectoryExists(group));
        ::RemoveDirectoryW(group.c_str());
    }
    EXPECT_EQ(GetStartMenuPath(true), GetShellFolderPath(CSIDL_STARTMENU));
    EXPECT_EQ(GetStartMenuPath(false), GetShellFolderPath(CSIDL_COMMON_STARTMENU));
    EXPECT_EQ(GetDesktopPath().back(), L'\\');
}

TEST(PublicUnitRules, VersionRanges) {
    struct Case {
        const wchar_t* list;
        bool inRange;
    } cases[] = {
        {L"", true},
        {L"900-1100", true},
        {L"1000", true},
        {L"1001", false},
        {L"900-999,1000", true},
        {L",1000", false},
        {L"1000-", false},
        {L"-1000", true},
        {L"900-999", false},
        {L"999,1001", false},
        {L"1000-1000", true},
        {L"abc,1000", true},
        {L"900-999,,1000", false},
        {L"1000,", true},
        {L"x-y", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsVersionInRange(c.list), c.inRange) << "list: " << c.list;
}

TEST(PublicUnitRules, ServerIdIsTakenFromTheGameServerHostName) {
    const std::wstring frag = GameHostFragment();
    EXPECT_EQ(frag, std::wstring(L".tn.") + deploy::kGameHostLabel);
    EXPECT_EQ(ExtractServerId(L"http://s12" + frag + L".com/wd_play_1016.php?x=1"), L"12");
    EXPECT_EQ(ExtractServerId(L"http://sabc7" + frag + L"/"), L"abc7");
    EXPECT_EQ(ExtractServerId(L"http://www.example.com/wd_play_1016.php"), L"");
    EXPECT_EQ(ExtractServerId(L"http://s" + frag), L"");
    EXPECT_EQ(ExtractServerId(L""), L"");
}

TEST(PublicUnitRules, PayUrlNeedsAServerId) {
    ServerId.clear();
    EXPECT_EQ(GetPayUrl(), L"");
    ServerId = L"S12";
    EXPECT_EQ(GetPayUrl(),
              std::wstring(deploy::kPlatformServer) + L"/action/redirect_pay.php?gid=1016&sid=S12");
    ServerId = L"%s";
    EXPECT_EQ(GetPayUrl(),
              std::wstring(deploy::kPlatformServer) + L"/action/redirect_pay.php?gid=1016&sid=%s");
    ServerId.clear();
}
