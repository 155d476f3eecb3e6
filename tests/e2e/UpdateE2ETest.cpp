// The real tn.exe under Wine on its update road: the version file and the installer come from the
// stand-in, the installer is the fake one that notes its start, and the messages are answered as
// a user would. Cases without an update end through the tray menu's "退出", which must end the
// program at once whatever the check is waiting for.
#include "classlib/FileUtil.h"
#include "classlib/Handles.h"
#include "classlib/IniFile.h"
#include "classlib/Text.h"
#include "services/PublicUnit.h"
#include "tests/e2e/ProbeSupport.h"
#include "tests/services/WaitFile.h"
#include "tests/support/Process.h"
#include "tests/support/Standin.h"
#include "tests/support/TempDir.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tn {
namespace {

using testing::BoxWatch;
using testing::BuildFile;
using testing::Process;
using testing::ReadFileBytes;
using testing::StandinReply;
using testing::WriteFileBytes;

constexpr wchar_t kExeName[] = L"tnUpdateE2E.exe";
constexpr char kVersionPath[] = "/upd/app.ini";
constexpr char kInstallerPath[] = "/upd/Setup_Varkelbn.exe"; // served: the fake installer
constexpr UINT WM_BARICON = WM_USER + 206;

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

HWND WindowOf(const Process& p, const wchar_t* cls) {
    return probe::WindowOf(p.Id, cls);
}

// Waits for what another process does; the test thread has no window of its own to serve.
bool Eventually(const std::function<bool()>& done, DWORD ms = 15000) {
    const ULONGLONG deadline = ::GetTickCount64() + ms;
    while (!done()) {
        if (::GetTickCount64() >= deadline) return false;
        ::Sleep(50);
    }
    return true;
}

// Notes, from its making on, the names removed from a folder: a file that comes and goes before
// anyone looks is still seen to have gone.
class RemovalWatch {
public:
    explicit RemovalWatch(const std::wstring& folder)
        : FFolder(::CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
                                nullptr)),
          FEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        Arm();
    }
    RemovalWatch(const RemovalWatch&) = delete;
    RemovalWatch& operator=(const RemovalWatch&) = delete;
    ~RemovalWatch() {
        if (FFolder) ::CancelIo(FFolder.get());
    }

    // True once a file of that name (any case) was removed, false when ms pass first.
    bool Removed(const std::wstring& name, DWORD ms) {
        const ULONGLONG deadline = ::GetTickCount64() + ms;
        for (;;) {
            for (const std::wstring& gone : FRemoved)
                if (::lstrcmpiW(gone.c_str(), name.c_str()) == 0) return true;
            const ULONGLONG now = ::GetTickCount64();
            if (!FArmed || now >= deadline) return false;
            if (::WaitForSingleObject(FEvent.get(), static_cast<DWORD>(deadline - now)) !=
                WAIT_OBJECT_0)
                return false;
            DWORD bytes = 0;
            FArmed = false;
            if (!::GetOverlappedResult(FFolder.get(), &FOverlapped, &bytes, FALSE)) return false;
            for (std::size_t at = 0; bytes;) {
                const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(FBuffer + at);
                if (info->Action == FILE_ACTION_REMOVED)
                    FRemoved.emplace_back(info->FileName, info->FileNameLength / sizeof(WCHAR));
                if (!info->NextEntryOffset) break;
                at += info->NextEntryOffset;
            }
            Arm();
        }
    }

private:
    void Arm() {
        ::ResetEvent(FEvent.get());
        FOverlapped = {};
        FOverlapped.hEvent = FEvent.get();
        FArmed = FFolder && ::ReadDirectoryChangesW(FFolder.get(), FBuffer, sizeof FBuffer, FALSE,
                                                    FILE_NOTIFY_CHANGE_FILE_NAME, nullptr,
                                                    &FOverlapped, nullptr);
    }

    UniqueHandleKernel FFolder, FEvent;
    OVERLAPPED FOverlapped{};
    alignas(DWORD) BYTE FBuffer[16384];
    bool FArmed = false;
    std::vector<std::wstring> FRemoved;
};

class UpdateE2E : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto* f : {&FLander, &FUpgrade}) {
            f->had = Exists(f->path);
            if (f->had) f->bytes = ReadFileBytes(f->path);
            ::DeleteFileW(f->path.c_str());
        }
        FStandin.Reset();
        const auto url = [&](const char* path) { return FStandin.Url(text::FromUtf8(path)); };
        ASSERT_TRUE(
            WriteIniValue(FLander.path, L"Common", L"GameLoginUrl", url("/upd/login.html")));
        ASSERT_TRUE(WriteIniValue(FLander.path, L"Common", L"VersionCheck", url(kVersionPath)));
        ASSERT_TRUE(
            WriteIniValue(FLander.path, L"Common", L"VersionDownLoad", url(kInstallerPath)));

        FFolder = FDir.Path();
        FExe = FFolder + kExeName;
        ASSERT_TRUE(::CopyFileW(BuildFile(L"windows/tn.exe").c_str(), FExe.c_str(), FALSE));
        ASSERT_TRUE(ForceDirectories(FFolder + L"Skin"));
        ASSERT_TRUE(::CopyFileW(BuildFile(L"windows/Skin/loginback.png").c_str(),
                                (FFolder + L"Skin\\loginback.png").c_str(), FALSE));
    }
    void TearDown() override {
        if (FProcess && !testing::WaitExit(*FProcess, 0))
            ::TerminateProcess(FProcess->Handle.get(), 9);
        if (FProcess) (void)testing::WaitExit(*FProcess, 10000);
        FProcess.reset();
        for (auto* f : {&FLander, &FUpgrade}) {
            ::DeleteFileW(f->path.c_str());
            if (f->had) WriteFileBytes(f->path, f->bytes);
        }
        FStandin.Reset();
    }

    void SetVersionFile(const std::string& body) const {
        FStandin.Set(kVersionPath, StandinReply{.body = body, .contentType = "text/plain"});
    }
    void Start() {
        FProcess.emplace(testing::Start(FExe, L""));
        ASSERT_EQ(::WaitForInputIdle(FProcess->Handle.get(), 30000), 0u);
        ASSERT_TRUE(Eventually([&] { return WindowOf(*FProcess, L"TFormLogin") != nullptr; }));
    }
    // Requests to path seen by the stand-in, once there are count of them or ms passed.
    std::size_t Requests(const std::string& path, std::size_t count, DWORD ms) const {
        const std::string body =
            FStandin.Control("/_standin/times?path=" + testing::PercentEncode(path) +
                             "&count=" + std::to_string(count) + "&timeout=" + std::to_string(ms));
        return static_cast<std::size_t>(std::count(body.begin(), body.end(), '\n'));
    }
    [[nodiscard]] bool LoginShown() const {
        return ::IsWindowVisible(WindowOf(*FProcess, L"TFormLogin")) != FALSE;
    }
    // "退出" of the tray menu: the program must end at once.
    void ExitFromTrayMenu() {
        const HWND back = WindowOf(*FProcess, L"TFormBack");
        ASSERT_NE(back, nullptr);
        ::SendNotifyMessageW(back, WM_BARICON, 0, WM_RBUTTONDOWN);
        HWND menu = nullptr;
        ASSERT_TRUE(Eventually([&] { return (menu = WindowOf(*FProcess, L"#32768")) != nullptr; }));
        for (int i = 0; i < 2; ++i)
            ::PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
        ::PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_EQ(testing::WaitExit(*FProcess, 10000), std::optional<DWORD>(0));
    }
    [[nodiscard]] std::wstring VersionFile() const { return FExe + L".ini"; }
    [[nodiscard]] std::wstring Recorded() const {
        return ReadIniValue260(FUpgrade.path, L"Common", L"LastTimeUpGradeVersion");
    }

    struct SavedFile {
        std::wstring path;
        bool had = false;
        std::string bytes;
    };
    SavedFile FLander{GetIniPath(false), false, {}}, FUpgrade{GetIniPath(true), false, {}};
    testing::Standin FStandin;
    testing::TempDir FDir;
    std::wstring FFolder, FExe;
    std::optional<Process> FProcess;
};

TEST_F(UpdateE2E, ANewerVersionInRangeIsDownloadedStartedRecordedAndTheProgramEnds) {
    SetVersionFile("[version]\r\ncurrentversion=1.0.0.2\r\nupgraderange=900-999,1000\r\n");
    BoxWatch boxes;
    Start();
    const auto box = boxes.Next(*FProcess);
    ASSERT_TRUE(box) << "no message";
    EXPECT_EQ(BoxWatch::Caption(*box), L"BrisaTarn");
    EXPECT_EQ(BoxWatch::Message(*box), L"检测到最新版本1.0.0.2，确认更新！");
    EXPECT_FALSE(Exists(VersionFile()));
    EXPECT_EQ(Requests(kInstallerPath, 0, 0), 0u); // nothing before the answer
    BoxWatch::Click(*box, IDOK);

    EXPECT_EQ(testing::WaitExit(*FProcess), std::optional<DWORD>(0));
    EXPECT_EQ(Requests(kVersionPath, 0, 0), 1u);
    EXPECT_EQ(Requests(kInstallerPath, 0, 0), 1u);
    EXPECT_EQ(Recorded(), L"1.0.0.2");
    EXPECT_FALSE(Exists(VersionFile()));
    const std::wstring ran = FFolder + L"ran.txt";
    ASSERT_TRUE(testing::WaitInFolder(
        FFolder, [&] { return Exists(ran); }, 30000));
    // Started once, with its quoted path as the whole command line.
    const std::string line = ReadFileBytes(ran);
    EXPECT_EQ(line.rfind("Setup_Varkelpfr.exe\t\"", 0), 0u) << line;
    EXPECT_TRUE(line.ends_with("\\Setup_Varkelpfr.exe\"\r\n")) << line;
    // The animated-icon companion was missing: its installer came first.
    EXPECT_TRUE(Exists(FFolder + L"Upgrade\\IconAnimate_Update.exe"));
}

// A missing installer, one whose server stops sending (after 60 s without a byte the download
// has failed), and one that is no program: nothing installed, so nothing recorded.
TEST_F(UpdateE2E, AFailedDownloadOrStartSaysSoAndBringsTheLoginWindowBack) {
    const struct {
        const char* name;
        StandinReply reply;
        DWORD bound;
        bool saved;
    } cases[] = {
        {"404", StandinReply{.status = 404}, testing::kRunBound, false},
        {"stalled", StandinReply{.holdBody = true, .size = 300000}, 120000, false},
        // Saved, and no program: what started nothing goes.
        {"not a program",
         StandinReply{.body = "no program here\r\n", .contentType = "application/octet-stream"},
         testing::kRunBound, false},
        {"empty", StandinReply{.body = "", .contentType = "application/octet-stream"},
         testing::kRunBound, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FStandin.Reset();
        SetVersionFile("[version]\r\ncurrentversion=1.0.0.2\r\nupgraderange=\r\n");
        FStandin.Set(kInstallerPath, c.reply);
        BoxWatch boxes;
        Start();
        const auto offer = boxes.Next(*FProcess);
        ASSERT_TRUE(offer);
        EXPECT_TRUE(LoginShown());
        BoxWatch::Click(*offer, IDOK);
        const auto failure = boxes.Next(*FProcess, c.bound);
        ASSERT_TRUE(failure);
        EXPECT_EQ(BoxWatch::Message(*failure), L"网络出错");
        EXPECT_FALSE(LoginShown()); // hidden for the download
        BoxWatch::Click(*failure, IDOK);
        EXPECT_TRUE(Eventually([&] { return LoginShown(); }));
        EXPECT_EQ(Requests(kInstallerPath, 0, 0), 1u);
        EXPECT_TRUE(Recorded().empty());
        EXPECT_EQ(Exists(FFolder + L"Setup_Varkelpfr.exe"), c.saved);
        EXPECT_FALSE(Exists(VersionFile()));
        ExitFromTrayMenu();
        ::DeleteFileW((FFolder + L"Setup_Varkelpfr.exe").c_str());
    }
}

TEST_F(UpdateE2E, NoUpdateIsOfferedUnlessNewerThanBothAndInRange) {
    const struct {
        const char* name;
        const char* version;
        const char* range;
        const wchar_t* lastInstalled; // null: none recorded
    } cases[] = {
        {"the client's own version", "1.0.0.0", "", L"0.0.0.2"},
        {"digits only: 101 is below 1009", "1.0.1", "", L"1.0.0.9"},
        {"a range without 1000", "1.0.0.2", "900-999,1001,1100-", nullptr},
        {"the version last installed", "1.0.0.2", "", L"1.0.0.2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FStandin.Reset();
        ::DeleteFileW(FUpgrade.path.c_str());
        if (c.lastInstalled) {
            ASSERT_TRUE(WriteIniValue(FUpgrade.path, L"Common", L"LastTimeUpGradeVersion",
                                      c.lastInstalled));
        }
        SetVersionFile(std::string("[version]\r\ncurrentversion=") + c.version +
                       "\r\nupgraderange=" + c.range + "\r\n");
        BoxWatch boxes;
        RemovalWatch removals(FFolder);
        Start();
        // The version file is read and gone: the check has decided.
        ASSERT_TRUE(removals.Removed(ExtractFileName(VersionFile()), 20000));
        EXPECT_FALSE(boxes.SawBoxOf(FProcess->Id)) << "an update was offered";
        EXPECT_TRUE(LoginShown());
        const DWORD id = FProcess->Id;
        ExitFromTrayMenu();
        EXPECT_FALSE(boxes.SawBoxOf(id)) << "an update was offered";
        EXPECT_EQ(Requests(kInstallerPath, 0, 0), 0u);
        EXPECT_EQ(Recorded(), c.lastInstalled ? c.lastInstalled : L"");
    }
}

TEST_F(UpdateE2E, AVersionFileThatCannotServeOrNeverComesIsNoUpdate) {
    const struct {
        const char* name;
        StandinReply reply;
        bool saved; // the client gets a file to save and read
    } cases[] = {
        {"not an INI file",
         StandinReply{.body = std::string("\x89PNG\r\n\x1a\n\0\xff[version", 17) +
                              "\r\ncurrentversion 9.9.9.9\r\n"},
         true},
        {"10 MB of noise", StandinReply{.size = 10u << 20}, true},
        // The check waits for ever, or has nothing to read: no offer can come.
        {"a server that never answers", StandinReply{.never = true}, false},
        {"a missing file", StandinReply{.status = 404}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FStandin.Reset();
        FStandin.Set(kVersionPath, c.reply);
        BoxWatch boxes;
        RemovalWatch removals(FFolder);
        Start();
        ASSERT_EQ(Requests(kVersionPath, 1, 20000), 1u);
        if (c.saved) {
            ASSERT_TRUE(removals.Removed(ExtractFileName(VersionFile()), 30000));
        }
        EXPECT_FALSE(boxes.SawBoxOf(FProcess->Id)) << "an update was offered";
        EXPECT_TRUE(LoginShown());
        const DWORD id = FProcess->Id;
        ExitFromTrayMenu();
        EXPECT_FALSE(boxes.SawBoxOf(id)) << "an update was offered";
        EXPECT_FALSE(Exists(VersionFile()));
        EXPECT_EQ(Requests(kInstallerPath, 0, 0), 0u);
    }
}

// The program closed while a large version file is being saved or read: the file goes with it.
TEST_F(UpdateE2E, ClosingWhileALargeVersionFileIsReadLeavesItNotBehind) {
    FStandin.Set(kVersionPath, StandinReply{.size = 20u << 20});
    Start();
    ASSERT_TRUE(testing::WaitInFolder(
        FFolder, [&] { return Exists(VersionFile()); }, 60000));
    ExitFromTrayMenu();
    EXPECT_FALSE(Exists(VersionFile()));
}

} // namespace
} // namespace tn
