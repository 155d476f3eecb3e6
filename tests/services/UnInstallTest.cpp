#include "services/UnInstall.h"

#include "classlib/FileUtil.h"
#include "classlib/Handles.h"
#include "classlib/IniFile.h"
#include "services/PublicUnit.h"
#include "tests/services/LinkFixture.h"
#include "tests/support/TempDir.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

namespace tn {
namespace {

using testing::MakeLink;
using testing::TempDir;

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class UnInstall : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_HRESULT_SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    }
    static void TearDownTestSuite() { ::CoUninitialize(); }
};

TEST(UnInstallBatch, DeletesTheProgramThenItsUnprotectedFolderThenItselfAndGivesUpInTheEnd) {
    const struct {
        const char* name;
        const wchar_t* exe;
        const wchar_t* folder;
        bool removeFolder;
        const wchar_t* batch;
    } cases[] = {
        {"the tries in order", L"C:\\Games\\tn\\tn.exe", L"C:\\Games\\tn", true,
         L"set tries=0\r\n"
         L":try\r\n"
         L"del /q /f \"C:\\Games\\tn\\tn.exe\"\r\n"
         L"rmdir /s /q \"C:\\Games\\tn\"\r\n"
         L"if not exist \"C:\\Games\\tn\\tn.exe\" goto end\r\n"
         L"set /a tries+=1\r\n"
         L"if %tries% geq 60 goto end\r\n"
         L"ping -n 2 127.0.0.1 >nul\r\n"
         L"goto try\r\n"
         L":end\r\n"
         L"del %0\r\n"},
        // "%x%" in a batch file would be read as a variable; doubled, it reads back as written.
        {"percent signs name the same folder", L"C:\\100%\\a%b%\\tn.exe", L"C:\\100%\\a%b%", true,
         L"set tries=0\r\n"
         L":try\r\n"
         L"del /q /f \"C:\\100%%\\a%%b%%\\tn.exe\"\r\n"
         L"rmdir /s /q \"C:\\100%%\\a%%b%%\"\r\n"
         L"if not exist \"C:\\100%%\\a%%b%%\\tn.exe\" goto end\r\n"
         L"set /a tries+=1\r\n"
         L"if %tries% geq 60 goto end\r\n"
         L"ping -n 2 127.0.0.1 >nul\r\n"
         L"goto try\r\n"
         L":end\r\n"
         L"del %0\r\n"},
        {"a protected folder is not removed", L"C:\\tn.exe", L"C:", false,
         L"set tries=0\r\n:try\r\ndel /q /f \"C:\\tn.exe\"\r\n"
         L"if not exist \"C:\\tn.exe\" goto end\r\nset /a tries+=1\r\n"
         L"if %tries% geq 60 goto end\r\nping -n 2 127.0.0.1 >nul\r\ngoto try\r\n"
         L":end\r\ndel %0\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SelfDeleteBatchText(c.exe, c.folder, c.removeFolder), c.batch) << c.name;
}

// cmd.exe reads a batch file in the OEM code page: an accented name is spelt in it, and a name it
// cannot spell is written in its short form, which it can.
TEST(UnInstallBatch, IsWrittenInTheOemCodePageWithShortNamesForWhatItCannotSpell) {
    constexpr UINT kWesternOem = 850;
    std::string bytes;
    ASSERT_TRUE(EncodeBatch(L"del \"C:\\Jeux \u00e9t\u00e9\\tn.exe\"", kWesternOem, bytes));
    EXPECT_EQ(bytes, "del \"C:\\Jeux \x82t\x82\\tn.exe\""); // 0xE9 in the ANSI code page
    EXPECT_FALSE(EncodeBatch(L"\u6e38\u620f", kWesternOem, bytes));

    TempDir dir;
    const std::wstring folder = dir.Path() + L"\u6e38\u620f";
    ASSERT_TRUE(ForceDirectories(folder));
    const std::wstring exe = folder + L"\\tn.exe";
    tn::testing::WriteFileBytes(exe, "program");
    wchar_t shortExe[MAX_PATH], shortFolder[MAX_PATH];
    ASSERT_GT(::GetShortPathNameW(exe.c_str(), shortExe, MAX_PATH), 0u);
    ASSERT_GT(::GetShortPathNameW(folder.c_str(), shortFolder, MAX_PATH), 0u);
    ASSERT_TRUE(SelfDeleteBatchBytes(exe, folder, true, bytes, kSelfDeleteTries, kWesternOem));
    std::string expected;
    ASSERT_TRUE(
        EncodeBatch(SelfDeleteBatchText(shortExe, shortFolder, true), kWesternOem, expected));
    EXPECT_EQ(bytes, expected);
}

// The batch file, written as the uninstall writes it, run by cmd.exe as the uninstall runs it
// (run again by CTest under a Western locale, whose ANSI and OEM code pages differ).
class UnInstallBatchRun : public ::testing::Test {
protected:
    // Runs the batch for the program in folder, with two tries; true once cmd.exe has ended.
    bool Run(const std::wstring& exe, const std::wstring& folder) {
        std::string bytes;
        EXPECT_TRUE(SelfDeleteBatchBytes(exe, folder, true, bytes, 2));
        tn::testing::WriteFileBytes(FBatch, bytes);
        const UniqueHandleKernel started = StartSelfDeleteBatch(FBatch, GetTempDir());
        if (!started) return false;
        return ::WaitForSingleObject(started.get(), 60000) == WAIT_OBJECT_0;
    }
    void TearDown() override { ::DeleteFileW(FBatch.c_str()); }

    TempDir FDir;
    const std::wstring FBatch = GetTempDir() + L"~tnbatchtest.bat";
};

TEST_F(UnInstallBatchRun, AnAccentedInstallFolderIsRemovedWithTheBatchFile) {
    const std::wstring folder = FDir.Path() + L"Jeux \u00e9t\u00e9";
    ASSERT_TRUE(ForceDirectories(folder + L"\\Skin"));
    const std::wstring exe = folder + L"\\tn.exe";
    tn::testing::WriteFileBytes(exe, "program");
    tn::testing::WriteFileBytes(folder + L"\\Skin\\loginback.png", "skin");
    ASSERT_TRUE(Run(exe, folder));
    EXPECT_FALSE(Exists(folder)) << "code pages: ANSI " << ::GetACP() << ", OEM " << ::GetOEMCP();
    EXPECT_FALSE(Exists(FBatch));
}

// A program that cannot be deleted (a standard user's uninstall of an install under Program Files,
// here a program held open without delete sharing): the tries end, and the batch file goes.
TEST_F(UnInstallBatchRun, TheTriesEndWhenTheProgramCannotBeDeleted) {
    const std::wstring folder = FDir.Path() + L"held";
    ASSERT_TRUE(ForceDirectories(folder));
    const std::wstring exe = folder + L"\\tn.exe";
    tn::testing::WriteFileBytes(exe, "program");
    const UniqueHandleKernel held(::CreateFileW(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    EXPECT_TRUE(Run(exe, folder)) << "the batch file still runs";
    EXPECT_TRUE(Exists(exe));
    EXPECT_FALSE(Exists(FBatch));
}

TEST(UnInstallBatch, ProtectedFolders) {
    const std::vector<std::wstring> system = {L"C:\\Windows\\", L"C:\\Program Files\\",
                                              L"C:\\users\\ann\\Desktop\\", L"C:\\ProgramData\\"};
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"C:", true},
        {L"C:\\", true},
        {L"", true},
        {L"\\\\server\\share", true},
        {L"\\\\server\\share\\games\\tn", false},
        {L"C:\\Windows", true},
        {L"c:\\windows\\", true}, // any case
        {L"C:\\Program Files", true},
        {L"C:\\users", true}, // holds a system folder
        {L"C:\\users\\ann\\Desktop", true},
        {L"C:\\users\\ann\\Desktop\\tn", false},
        {L"C:\\Program Files\\Brisa\\tn", false},
        {L"C:\\ProgramData\\Brisa\\tn", false}, // the data folder itself may go
        {L"C:\\Win", false},                    // a prefix of a name is not its parent
        {L"D:\\Games\\tn", false},
    };
    for (const auto& [folder, protect] : cases)
        EXPECT_EQ(IsProtectedFolder(folder, system), protect)
            << std::string(folder, folder + wcslen(folder));

    const std::vector<std::wstring> real = SystemFolders();
    wchar_t windows[MAX_PATH];
    ASSERT_GT(::GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    EXPECT_TRUE(IsProtectedFolder(windows, real));
    EXPECT_TRUE(IsProtectedFolder(GetDesktopPath(), real));
    EXPECT_FALSE(IsProtectedFolder(GetAppDataDir(), real));
}

TEST_F(UnInstall, DeleteDirectoryRemovesTheWholeTree) {
    TempDir dir;
    const std::wstring root = dir.Path() + L"BrisaTarn";
    ASSERT_TRUE(ForceDirectories(root + L"\\a\\b"));
    testing::WriteFileBytes(root + L"\\x.lnk", "x");
    testing::WriteFileBytes(root + L"\\a\\b\\y.txt", "y");
    EXPECT_FALSE(IsDirectoryEmpty(root));
    DeleteDirectory(root + L"\\");
    EXPECT_FALSE(Exists(root));
    EXPECT_TRUE(IsDirectoryEmpty(dir.Path()));
    EXPECT_TRUE(IsDirectoryEmpty(dir.Path() + L"missing"));
    DeleteDirectory(L""); // nothing
}

TEST_F(UnInstall, DeleteDirectoryNeverEntersALinkedFolder) {
    TempDir dir;
    ASSERT_TRUE(ForceDirectories(dir.Path() + L"outside"));
    ASSERT_TRUE(ForceDirectories(dir.Path() + L"tree"));
    testing::WriteFileBytes(dir.Path() + L"outside\\keep.txt", "keep");
    const std::wstring link = dir.Path() + L"tree\\link";
    const DWORD attrs = ::CreateSymbolicLinkW(link.c_str(), (dir.Path() + L"outside").c_str(),
                                              SYMBOLIC_LINK_FLAG_DIRECTORY)
                            ? ::GetFileAttributesW(link.c_str())
                            : INVALID_FILE_ATTRIBUTES;
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_REPARSE_POINT))
        GTEST_SKIP() << "this system shows no folder links";
    DeleteDirectory(dir.Path() + L"tree");
    EXPECT_TRUE(Exists(dir.Path() + L"outside\\keep.txt"));
    EXPECT_FALSE(Exists(dir.Path() + L"tree"));
}

TEST_F(UnInstall, ShortcutTargetIsResolved) {
    TempDir dir;
    const std::wstring target = dir.File(L"game.exe");
    testing::WriteFileBytes(target, "MZ");
    MakeLink(dir.File(L"game.lnk"), target);
    EXPECT_EQ(GetShortcutTarget(dir.File(L"game.lnk")), target);
    testing::WriteFileBytes(dir.File(L"broken.lnk"), "not a link");
    EXPECT_EQ(GetShortcutTarget(dir.File(L"broken.lnk")), L"");
    EXPECT_EQ(GetShortcutTarget(dir.File(L"missing.lnk")), L"");
}

TEST_F(UnInstall, OnlyLinksToThisProgramAreRemoved) {
    TempDir other;
    const std::wstring otherProgram = other.File(L"other.exe");
    testing::WriteFileBytes(otherProgram, "MZ");
    const std::wstring self = ExeFileName();
    const std::wstring desktop = GetDesktopPath(), startMenu = GetStartMenuPath(true);
    // Same file name as this program, in a folder that does not exist.
    const std::wstring gone = other.Path() + L"gone\\" + ExtractFileName(self);

    MakeLink(desktop + L"TnOwn.lnk", self);
    MakeLink(desktop + L"BrisaTarn.lnk", otherProgram); // another program, whatever its caption
    MakeLink(startMenu + L"TnOwn.lnk", self);
    MakeLink(startMenu + L"TnGone.lnk", gone);
    MakeLink(startMenu + L"TnOther.lnk", otherProgram);

    RemoveDesktopShortcuts();
    RemoveStartMenuEntries();
    EXPECT_FALSE(Exists(desktop + L"TnOwn.lnk"));
    EXPECT_TRUE(Exists(desktop + L"BrisaTarn.lnk"));
    EXPECT_FALSE(Exists(startMenu + L"TnOwn.lnk"));
    EXPECT_TRUE(Exists(startMenu + L"TnGone.lnk"));
    EXPECT_TRUE(Exists(startMenu + L"TnOther.lnk"));
    for (const wchar_t* left : {L"BrisaTarn.lnk"})
        ::DeleteFileW((desktop + left).c_str());
    for (const wchar_t* left : {L"TnGone.lnk", L"TnOther.lnk"})
        ::DeleteFileW((startMenu + left).c_str());
}

TEST_F(UnInstall, ProgramsFolderEntriesGoWithAnEmptyPublisherFolder) {
    const std::wstring user = GetProgramsGroupPath(true), common = GetProgramsGroupPath(false);
    ASSERT_TRUE(ForceDirectories(user + L"BrisaTarn\\Help"));
    testing::WriteFileBytes(user + L"BrisaTarn\\BrisaTarn.lnk", "x");
    testing::WriteFileBytes(user + L"BrisaTarn\\Help\\readme.txt", "x");
    ASSERT_TRUE(ForceDirectories(common + L"BrisaTarn"));
    ASSERT_TRUE(ForceDirectories(common + L"OtherGame"));

    RemoveStartMenuEntries();
    EXPECT_FALSE(Exists(user)); // emptied, so removed
    EXPECT_FALSE(Exists(common + L"BrisaTarn"));
    EXPECT_TRUE(Exists(common + L"OtherGame")); // the publisher's other product stays
    ::RemoveDirectoryW((common + L"OtherGame").c_str());
    ::RemoveDirectoryW(common.c_str());
}

TEST_F(UnInstall, RegistryEntriesOfTheProductAreRemoved) {
    constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    constexpr wchar_t kProductKey[] =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BrisaTarn";
    const wchar_t data[] = L"\"C:\\x\\tn.exe\" /autorun";
    ASSERT_EQ(::SHSetValueW(HKEY_CURRENT_USER, kRun, L"BrisaTarn", REG_SZ, data, sizeof data),
              ERROR_SUCCESS);
    ASSERT_EQ(::SHSetValueW(HKEY_CURRENT_USER, kRun, L"TnOther", REG_SZ, data, sizeof data),
              ERROR_SUCCESS);
    ASSERT_EQ(::SHSetValueW(HKEY_LOCAL_MACHINE, (std::wstring(kProductKey) + L"\\Sub").c_str(),
                            L"DisplayName", REG_SZ, data, sizeof data),
              ERROR_SUCCESS);

    RemoveRegistryEntries();
    EXPECT_NE(::SHGetValueW(HKEY_CURRENT_USER, kRun, L"BrisaTarn", nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(::SHGetValueW(HKEY_CURRENT_USER, kRun, L"TnOther", nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    HKEY k;
    EXPECT_NE(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, &k), ERROR_SUCCESS);
    ::SHDeleteValueW(HKEY_CURRENT_USER, kRun, L"TnOther");
    RemoveRegistryEntries(); // nothing left to remove: no harm
}

TEST_F(UnInstall, ConfigFileGoesAndTheVersionFileStays) {
    const std::wstring lander = GetIniPath(false), upgrade = GetIniPath(true);
    const bool hadLander = Exists(lander), hadUpgrade = Exists(upgrade);
    const std::string landerBytes = testing::ReadFileBytes(lander),
                      upgradeBytes = testing::ReadFileBytes(upgrade);
    ASSERT_TRUE(WriteIniValue(lander, L"Common", L"RunCount", L"3"));
    ASSERT_TRUE(WriteIniValue(upgrade, L"Common", L"LastTimeUpGradeVersion", L"1.0.0.1"));
    DeleteConfigFile();
    EXPECT_FALSE(Exists(lander));
    EXPECT_TRUE(Exists(upgrade));
    DeleteConfigFile();
    if (hadLander) testing::WriteFileBytes(lander, landerBytes);
    if (hadUpgrade)
        testing::WriteFileBytes(upgrade, upgradeBytes);
    else
        ::DeleteFileW(upgrade.c_str());
}

TEST_F(UnInstall, OtherProcessesAreFoundAndEnded) {
    wchar_t system[MAX_PATH];
    ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
    std::wstring command = L"\"" + std::wstring(system) + L"\\notepad.exe\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &si, &pi));
    const UniqueHandleKernel thread(pi.hThread), process(pi.hProcess);
    ::WaitForInputIdle(process.get(), 10000);

    PROCESSENTRY32W entry{};
    EXPECT_TRUE(FindOtherProcess(L"Z:\\anywhere\\NOTEPAD.EXE", &entry));
    EXPECT_EQ(entry.th32ProcessID, pi.dwProcessId);
    EXPECT_FALSE(FindOtherProcess(ExeFileName())); // this process does not count
    EXPECT_FALSE(FindOtherProcess(L""));
    KillProcessByName(L"notepad.exe");
    EXPECT_EQ(::WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0);
    DWORD code = 1;
    ::GetExitCodeProcess(process.get(), &code);
    EXPECT_EQ(code, 0u);
}

} // namespace
} // namespace tn
