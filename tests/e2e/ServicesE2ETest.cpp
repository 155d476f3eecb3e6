// The real tn.exe under Wine on its service roads: the setup report, the resource check and the
// uninstall. The uninstall's questions are answered by clicking the real message boxes.
#include "classlib/FileUtil.h"
#include "classlib/Handles.h"
#include "classlib/IniFile.h"
#include "classlib/Text.h"
#include "services/PublicUnit.h"
#include "tests/services/LinkFixture.h"
#include "tests/services/StatQuery.h"
#include "tests/services/WaitFile.h"
#include "tests/support/Process.h"
#include "tests/support/Standin.h"
#include "tests/support/TempDir.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tn {
namespace {

using testing::BoxWatch;
using testing::BuildFile;
using testing::ExpectStatQuery;
using testing::kRunBound;
using testing::Process;
using testing::ReadFileBytes;
using testing::Start;
using testing::TempDir;
using testing::WaitExit;
using testing::WriteFileBytes;

// A name of its own: the uninstall ends every other process of its file name, and other tests may
// be running tn.exe in this prefix.
constexpr wchar_t kExeName[] = L"tnServicesE2E.exe";

std::string Narrow(const std::wstring& s) {
    return text::ToUtf8(s);
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::size_t LineCount(const std::wstring& file) {
    const std::string bytes = ReadFileBytes(file);
    return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
}

// A copy of tn.exe in a folder of its own, as an installation would have it.
struct Install {
    explicit Install(TempDir& dir, const wchar_t* folder, bool withSkin)
        : Folder(dir.Path() + folder + L"\\") {
        EXPECT_TRUE(ForceDirectories(Folder));
        Exe = Folder + kExeName;
        EXPECT_TRUE(::CopyFileW(BuildFile(L"windows/tn.exe").c_str(), Exe.c_str(), FALSE))
            << "tn.exe not built?";
        if (withSkin) {
            EXPECT_TRUE(ForceDirectories(Folder + L"Skin"));
            WriteFileBytes(Folder + L"Skin\\loginback.png", "not looked at on these roads");
        }
    }
    std::wstring Folder, Exe;
};

// Each test owns the data folder's lander.ini and the stand-in; what was there comes back after.
class ServicesE2E : public ::testing::Test {
protected:
    void SetUp() override {
        FIni = GetIniPath(false);
        FHadIni = Exists(FIni);
        if (FHadIni) FSavedIni = ReadFileBytes(FIni);
        ::DeleteFileW(FIni.c_str());
        FStandin.Reset();
    }
    void TearDown() override {
        ::DeleteFileW(FIni.c_str());
        if (FHadIni) WriteFileBytes(FIni, FSavedIni);
        FStandin.Reset();
    }
    std::wstring Ini(const wchar_t* section, const wchar_t* key) const {
        return ReadIniValue260(FIni, section, key);
    }
    [[nodiscard]] std::string GuidSent() const {
        return Narrow(text::ReplaceAll(
            text::ReplaceAll(text::ReplaceAll(Ini(L"Install", L"GUID"), L"{", L""), L"}", L""),
            L"-", L""));
    }

    testing::Standin FStandin;
    TempDir FDir;
    std::wstring FIni;
    bool FHadIni = false;
    std::string FSavedIni;
};

TEST_F(ServicesE2E, SetupReportSendsOneRecordAndEndsWithoutAWindow) {
    for (const bool withSkin : {false, true}) {
        SCOPED_TRACE(withSkin ? "with the skin picture" : "without the skin picture");
        ::DeleteFileW(FIni.c_str());
        FStandin.Reset();
        Install install(FDir, withSkin ? L"skin" : L"bare", withSkin);
        BoxWatch boxes;
        const Process tn = Start(install.Exe, withSkin ? L"/SetupSucc" : L"/setupsucc");
        EXPECT_EQ(WaitExit(tn), 0u);
        EXPECT_FALSE(boxes.SawBoxOf(tn.Id));

        const auto queries = FStandin.StatQueries();
        ASSERT_EQ(queries.size(), 1u);
        ASSERT_FALSE(Ini(L"Install", L"GUID").empty());
        EXPECT_FALSE(Ini(L"Install", L"InstallTime").empty());
        ExpectStatQuery(queries[0], {"2", "203.0.113.7", GuidSent()});
        EXPECT_EQ(FStandin.Queries("/ic.asp").size(), 1u);
    }
    // An installation of type 1 reports as record 3.
    FStandin.Reset();
    ASSERT_TRUE(WriteIniValue(FIni, L"Install", L"InstallType", L"1"));
    Install install(FDir, L"type1", false);
    EXPECT_EQ(WaitExit(Start(install.Exe, L"/setupsucc")), 0u);
    const auto queries = FStandin.StatQueries();
    ASSERT_EQ(queries.size(), 1u);
    ExpectStatQuery(queries[0], {"3", "203.0.113.7", GuidSent()});
}

TEST_F(ServicesE2E, SetupReportWithDownloadStartsBothCompanionInstallers) {
    Install install(FDir, L"down", false);
    EXPECT_EQ(WaitExit(Start(install.Exe, L"/SETUPSUCCANDDOWN")), 0u);
    ASSERT_EQ(FStandin.StatQueries().size(), 1u);
    ExpectStatQuery(FStandin.StatQueries()[0], {"2", "203.0.113.7", GuidSent()});

    const std::wstring upgrade = install.Folder + L"Upgrade\\";
    EXPECT_TRUE(Exists(upgrade + L"IconAnimate_Update.exe"));
    EXPECT_TRUE(Exists(upgrade + L"IconTips_Update.exe"));
    ASSERT_TRUE(testing::WaitInFolder(
        upgrade, [&] { return LineCount(upgrade + L"ran.txt") >= 2; }, kRunBound));
    const std::string ran = ReadFileBytes(upgrade + L"ran.txt");
    EXPECT_NE(ran.find("IconAnimate_Update.exe\t"), std::string::npos) << ran;
    EXPECT_NE(ran.find("IconTips_Update.exe\t"), std::string::npos) << ran;
}

TEST_F(ServicesE2E, AMissingSkinIsReportedAfterTheCompanionsStart) {
    const std::wstring data = GetAppDataDir();
    const std::wstring fake = BuildFile(L"standin-files/VarkelAnimateIcon.exe");
    for (const std::wstring& companion : {GetAnimateExePath(), GetIconTipsExePath()})
        ASSERT_TRUE(::CopyFileW(fake.c_str(), companion.c_str(), FALSE));
    ::DeleteFileW((data + L"ran.txt").c_str());

    Install install(FDir, L"noskin", false);
    BoxWatch boxes;
    const Process tn = Start(install.Exe, L"");
    const auto box = boxes.Next(tn);
    ASSERT_TRUE(box) << "no message box";
    EXPECT_EQ(BoxWatch::Caption(*box), L"错误");
    EXPECT_EQ(BoxWatch::Message(*box), L"您的资源缺失，请下载新的程序或联系Varkel客服，谢谢！");
    BoxWatch::Click(*box, IDOK);
    EXPECT_TRUE(WaitExit(tn).has_value());
    EXPECT_TRUE(testing::WaitInFolder(
        data, [&] { return LineCount(data + L"ran.txt") >= 2; }, kRunBound));
    EXPECT_TRUE(FStandin.StatQueries().empty());

    for (const std::wstring& left : {GetAnimateExePath(), GetIconTipsExePath(), data + L"ran.txt"})
        ::DeleteFileW(left.c_str());
}

// What an installation leaves that the uninstall takes away, and what it must leave alone.
class Installed {
public:
    explicit Installed(const Install& install) {
        const std::wstring desktop = GetDesktopPath(), startMenu = GetStartMenuPath(true);
        wchar_t system[MAX_PATH] = {};
        ::GetSystemDirectoryW(system, MAX_PATH);
        OtherProgram = std::wstring(system) + L"\\notepad.exe";
        OwnDesktopLink = desktop + L"TnE2EGame.lnk";
        OtherDesktopLink = desktop + L"TnE2EOther.lnk";
        OwnStartLink = startMenu + L"TnE2EGame.lnk";
        testing::MakeLink(OwnDesktopLink, install.Exe);
        testing::MakeLink(OtherDesktopLink, OtherProgram);
        testing::MakeLink(OwnStartLink, install.Exe);
        for (const bool user : {true, false}) {
            const std::wstring product = GetProgramsGroupPath(user) + L"BrisaTarn\\";
            EXPECT_TRUE(ForceDirectories(product));
            testing::MakeLink(product + L"BrisaTarn.lnk", install.Exe);
            Programs.push_back(product);
        }
        const std::wstring run = L"\"" + install.Exe + L"\" /autorun";
        ::SHSetValueW(HKEY_CURRENT_USER, kRun, L"BrisaTarn", REG_SZ, run.c_str(),
                      static_cast<DWORD>((run.size() + 1) * sizeof(wchar_t)));
        ::SHSetValueW(HKEY_LOCAL_MACHINE, kProductKey, L"DisplayName", REG_SZ, L"BrisaTarn",
                      sizeof L"BrisaTarn");
    }
    Installed(const Installed&) = delete;
    Installed& operator=(const Installed&) = delete;
    ~Installed() {
        for (const std::wstring& link : {OwnDesktopLink, OtherDesktopLink, OwnStartLink})
            ::DeleteFileW(link.c_str());
        for (const std::wstring& product : Programs) {
            testing::RemoveTree(product);
            ::RemoveDirectoryW(ExtractFilePath(product.substr(0, product.size() - 1)).c_str());
        }
        ::SHDeleteValueW(HKEY_CURRENT_USER, kRun, L"BrisaTarn");
        ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, kProductKey);
    }

    [[nodiscard]] static bool RunValueExists() {
        return ::SHGetValueW(HKEY_CURRENT_USER, kRun, L"BrisaTarn", nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS;
    }
    [[nodiscard]] static bool ProductKeyExists() {
        UniqueRegKey k;
        return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, k.put()) ==
               ERROR_SUCCESS;
    }

    static constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    static constexpr wchar_t kProductKey[] =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BrisaTarn";
    std::wstring OtherProgram, OwnDesktopLink, OtherDesktopLink, OwnStartLink;
    std::vector<std::wstring> Programs;
};

class Uninstall : public ServicesE2E {
protected:
    static void SetUpTestSuite() {
        ASSERT_HRESULT_SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    }
    static void TearDownTestSuite() { ::CoUninitialize(); }
    void SetUp() override {
        ServicesE2E::SetUp();
        ASSERT_TRUE(
            WriteIniValue(FIni, L"Install", L"GUID", L"{0A0B0C0D-1111-2222-3333-444455556666}"));
        ASSERT_TRUE(WriteIniValue(FIni, L"Install", L"InstallTime", L"2001-02-03 04:05:06"));
    }
};

TEST_F(Uninstall, CancelChangesNothingAndSendsNothing) {
    Install install(FDir, L"keep", false);
    Installed installed(install);
    const std::string ini = ReadFileBytes(FIni);

    BoxWatch boxes;
    const Process tn = Start(install.Exe, L"/UNINST");
    const auto box = boxes.Next(tn);
    ASSERT_TRUE(box) << "no question";
    EXPECT_EQ(BoxWatch::Caption(*box), L"卸载提示");
    EXPECT_EQ(BoxWatch::Message(*box), L"您确定要卸载BrisaTarn吗？");
    BoxWatch::Click(*box, IDCANCEL);
    EXPECT_TRUE(WaitExit(tn).has_value());

    EXPECT_TRUE(FStandin.Requests().empty());
    EXPECT_EQ(ReadFileBytes(FIni), ini);
    EXPECT_TRUE(Exists(installed.OwnDesktopLink));
    EXPECT_TRUE(Exists(installed.OwnStartLink));
    for (const std::wstring& product : installed.Programs)
        EXPECT_TRUE(Exists(product + L"BrisaTarn.lnk"));
    EXPECT_TRUE(Installed::RunValueExists());
    EXPECT_TRUE(Installed::ProductKeyExists());
    EXPECT_TRUE(Exists(install.Exe));
}

TEST_F(Uninstall, OkRemovesTheInstallationAndEndsTheOtherCopy) {
    Install install(FDir, L"inst", false);
    Installed installed(install);
    // A second copy that stays up: without its skin it waits on its error box.
    Install other(FDir, L"other", false);
    BoxWatch boxes;
    const Process copy = Start(other.Exe, L"");
    ASSERT_TRUE(boxes.Next(copy)) << "the second copy did not come up";

    wchar_t tempBuf[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, tempBuf);
    const std::wstring temp = tempBuf, batch = temp + L"~bnuninstmyself.bat";

    const Process tn = Start(install.Exe, L"/uninst");
    const auto first = boxes.Next(tn);
    ASSERT_TRUE(first) << "no first question";
    EXPECT_EQ(BoxWatch::Message(*first), L"您确定要卸载BrisaTarn吗？");
    BoxWatch::Click(*first, IDOK);
    const auto second = boxes.Next(tn);
    ASSERT_TRUE(second) << "no second question";
    EXPECT_EQ(BoxWatch::Caption(*second), L"卸载提示");
    EXPECT_EQ(BoxWatch::Message(*second),
              L"检测到您正在运行 BrisaTarn，您确定要强制退出并且卸载吗？");
    BoxWatch::Click(*second, IDOK);

    EXPECT_EQ(WaitExit(tn), 0u);
    EXPECT_TRUE(WaitExit(copy, 5000).has_value()) << "the other copy still runs";

    const auto queries = FStandin.StatQueries();
    ASSERT_EQ(queries.size(), 1u);
    ExpectStatQuery(queries[0], {"6", "203.0.113.7", "0A0B0C0D111122223333444455556666", "2"});

    EXPECT_FALSE(Exists(installed.OwnDesktopLink));
    EXPECT_TRUE(Exists(installed.OtherDesktopLink));
    EXPECT_FALSE(Exists(installed.OwnStartLink));
    for (const std::wstring& product : installed.Programs)
        EXPECT_FALSE(Exists(product));
    EXPECT_FALSE(Installed::RunValueExists());
    EXPECT_FALSE(Installed::ProductKeyExists());
    EXPECT_FALSE(Exists(FIni));

    // The batch file takes the program's folder once the program has ended, then itself.
    const std::wstring folder = install.Folder.substr(0, install.Folder.size() - 1);
    EXPECT_TRUE(testing::WaitInFolder(
        FDir.Path(), [&] { return !Exists(folder); }, kRunBound))
        << "the install folder is still there";
    EXPECT_TRUE(testing::WaitInFolder(
        temp, [&] { return !Exists(batch); }, kRunBound))
        << "the batch file stayed";
    EXPECT_TRUE(Exists(other.Exe)); // another folder, untouched
}

} // namespace
} // namespace tn
