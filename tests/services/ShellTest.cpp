#include "services/Shell.h"

#include "classlib/FileUtil.h"
#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "services/PublicUnit.h"
#include "tests/services/InstallerCallsSpy.h"
#include "tests/services/WaitFile.h"
#include "tests/support/ComDoubles.h"
#include "tests/support/Standin.h"
#include "tests/support/TempDir.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>
#include <mshtml.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tn {
namespace {

using testing::ReadFileBytes;

std::size_t Lines(const std::wstring& file) {
    const std::string bytes = ReadFileBytes(file);
    return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
}

class Shell : public ::testing::Test {
protected:
    void SetUp() override {
        FStandin.Reset();
        testing::RemoveTree(FFolder);
    }
    void TearDown() override {
        FStandin.Reset();
        testing::RemoveTree(FFolder);
    }
    testing::Standin FStandin;
    const std::wstring FFolder = IncludeTrailingBackslash(GetDownloadDir());
};

TEST_F(Shell, BothInstallersAreSavedAndStarted) {
    EXPECT_TRUE(DownloadAnimateIcon());
    EXPECT_TRUE(DownloadIconTips());
    EXPECT_EQ(ReadFileBytes(FFolder + L"IconAnimate_Update.exe").substr(0, 2), "MZ");
    EXPECT_EQ(ReadFileBytes(FFolder + L"IconTips_Update.exe").substr(0, 2), "MZ");
    // Each fake installer writes one line when it runs.
    const std::wstring ran = FFolder + L"ran.txt";
    ASSERT_TRUE(testing::WaitInFolder(
        FFolder, [&] { return Lines(ran) >= 2; }, 30000));
    const std::string log = ReadFileBytes(ran);
    EXPECT_NE(log.find("IconAnimate_Update.exe\t\""), std::string::npos) << log;
    EXPECT_NE(log.find("IconTips_Update.exe\t\""), std::string::npos) << log;
}

TEST_F(Shell, AFailedDownloadKeepsTheOlderInstaller) {
    ASSERT_TRUE(ForceDirectories(FFolder));
    testing::WriteFileBytes(FFolder + L"IconTips_Update.exe", "older");
    testing::StandinReply broken;
    broken.status = 500;
    FStandin.Set("/Varkel/pfr/pfrIconTips/pfrIconTipsSetup.exe", broken);
    EXPECT_FALSE(DownloadIconTips());
    broken.status = 200;
    broken.size = 100000;
    broken.cut = 5000; // the connection ends midway
    FStandin.Set("/Varkel/pfr/pfrIconTips/pfrIconTipsSetup.exe", broken);
    EXPECT_FALSE(DownloadIconTips());
    EXPECT_EQ(ReadFileBytes(FFolder + L"IconTips_Update.exe"), "older");
}

// ---- the installer's start

using Spy = testing::InstallerCallsSpy;

// Wine asks for no rights: the system's refusals come from the doubles. A program that needs
// administrator rights is refused with 740 and goes through the shell, which asks the user.
TEST(Installer, AStartRefusedForWantOfRightsGoesThroughTheShellAndTheUserMaySayNo) {
    Spy spy;
    const std::wstring file = L"C:\\Program Files\\BrisaTarn\\Setup_Varkelpfr.exe";
    const struct {
        const char* name;
        DWORD createError, shellError;
        TInstallerStart want;
        bool throughShell;
    } cases[] = {
        {"started at once", 0, 0, TInstallerStart::Started, false},
        {"no program", ERROR_BAD_EXE_FORMAT, 0, TInstallerStart::Failed, false},
        {"rights given", 740, 0, TInstallerStart::Started, true},
        {"rights refused by the user", 740, ERROR_CANCELLED, TInstallerStart::Declined, true},
        {"the shell fails otherwise", 740, ERROR_FILE_NOT_FOUND, TInstallerStart::Failed, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Spy::CommandLines.clear();
        Spy::ShellStarts.clear();
        Spy::CreateError = c.createError;
        Spy::ShellError = c.shellError;
        EXPECT_EQ(StartInstaller(file), c.want);
        EXPECT_EQ(Spy::CommandLines, std::vector<std::wstring>{L"\"" + file + L"\""});
        if (!c.throughShell) {
            EXPECT_TRUE(Spy::ShellStarts.empty());
            continue;
        }
        ASSERT_EQ(Spy::ShellStarts.size(), 1u);
        EXPECT_EQ(Spy::ShellStarts[0].file, file); // the same file
        EXPECT_EQ(Spy::ShellStarts[0].verb, L"open");
        // Done before the call returns, and no error box of the shell's own.
        EXPECT_EQ(Spy::ShellStarts[0].mask & (SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI),
                  ULONG{SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI});
    }
}

// Writes that the system redirects into the user's own store would hide the installer from its
// elevated run; so would a folder the program cannot write at all.
TEST(Installer, IsSavedWhereAnInstallerWithAdministratorRightsCanReadIt) {
    Spy spy;
    testing::TempDir dir;
    EXPECT_EQ(InstallerFolder(dir.Path()), dir.Path());
    EXPECT_EQ(InstallerFolder(dir.Path() + L"missing\\"), GetTempDir());
    Spy::Virtualized = true;
    EXPECT_EQ(InstallerFolder(dir.Path()), GetTempDir());
    EXPECT_FALSE(GetTempDir().empty());
    // The look leaves nothing behind.
    WIN32_FIND_DATAW found;
    const UniqueFind none(::FindFirstFileW((dir.Path() + L"*.tmp").c_str(), &found));
    EXPECT_FALSE(none);
}

// ---- the saved installer up to its start

// The companions' installers as the stand-in serves them, saved and started through the doubles.
class SavedInstaller : public Shell {
protected:
    void TearDown() override {
        for (const std::wstring& line : Spy::CommandLines)
            for (const std::wstring& file : {Spy::FileOf(line), Spy::FileOf(line) + L".moved"})
                ::DeleteFileW(file.c_str());
        Shell::TearDown();
    }
    const std::wstring FTemp = GetTempDir();
};

// Every program of the user may write the temporary folder: there an installer is a new file
// with a name nobody can foresee, whatever lies there under the installer's own name.
TEST_F(SavedInstaller, InTheTemporaryFolderIsANewFileOfANameOfItsOwn) {
    Spy spy;
    Spy::Virtualized = true;
    const std::wstring fixed = FTemp + L"IconAnimate_Update.exe";
    testing::WriteFileBytes(fixed, "another program's file");
    EXPECT_TRUE(DownloadAnimateIcon());
    EXPECT_TRUE(DownloadAnimateIcon());
    ASSERT_EQ(Spy::CommandLines.size(), 2u);
    const std::wstring first = Spy::FileOf(Spy::CommandLines[0]);
    const std::wstring second = Spy::FileOf(Spy::CommandLines[1]);
    EXPECT_NE(first, second);
    for (const std::wstring& file : {first, second}) {
        SCOPED_TRACE(text::ToUtf8(file));
        EXPECT_EQ(ExtractFilePath(file), FTemp);
        EXPECT_TRUE(ExtractFileName(file).starts_with(L"IconAnimate_Update_"));
        EXPECT_TRUE(file.ends_with(L".exe"));
        EXPECT_EQ(ReadFileBytes(file).substr(0, 2), "MZ"); // started: it stays for the installer
    }
    EXPECT_TRUE(ReadFileBytes(fixed) == "another program's file") << "opened and written";
    ::DeleteFileW(fixed.c_str());

    // One that started nothing goes: no program, or the user said no.
    const struct {
        const char* name;
        DWORD createError, shellError;
    } unstarted[] = {{"no program", ERROR_BAD_EXE_FORMAT, 0}, {"declined", 740, ERROR_CANCELLED}};
    for (const auto& c : unstarted) {
        SCOPED_TRACE(c.name);
        Spy::CreateError = c.createError;
        Spy::ShellError = c.shellError;
        EXPECT_TRUE(DownloadAnimateIcon());
        const std::wstring file = Spy::FileOf(Spy::CommandLines.back());
        EXPECT_EQ(ExtractFilePath(file), FTemp);
        EXPECT_FALSE(FileExists(file));
    }
}

// From the save until the start returns, the file can be read as the system's loader reads it,
// and nobody can write, delete or rename it: what the administrator agrees to run is what came.
TEST_F(SavedInstaller, IsHeldAgainstWritesRenamesAndDeletionWhileItsStartRuns) {
    const struct {
        const char* name;
        bool virtualized;
        DWORD createError; // 740: through the shell, after the plain start's refusal
    } cases[] = {
        {"the download folder, started at once", false, 0},
        {"the download folder, through the shell", false, 740},
        {"the temporary folder, started at once", true, 0},
        {"the temporary folder, through the shell", true, 740},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Spy spy;
        Spy::Virtualized = c.virtualized;
        Spy::CreateError = c.createError;
        struct Tries {
            bool read, written, deleted, renamed;
        };
        std::vector<Tries> tries;
        Spy::DuringStart = [&](const std::wstring& file) {
            Tries t{};
            t.read = UniqueHandleKernel(::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_EXECUTE,
                                                      FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                                      OPEN_EXISTING, 0, nullptr))
                         .valid();
            t.written = UniqueHandleKernel(
                            ::CreateFileW(file.c_str(), GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, 0, nullptr))
                            .valid();
            t.deleted = ::DeleteFileW(file.c_str()) != FALSE;
            t.renamed = ::MoveFileW(file.c_str(), (file + L".moved").c_str()) != FALSE;
            tries.push_back(t);
        };
        EXPECT_TRUE(DownloadIconTips());
        ASSERT_EQ(tries.size(), c.createError ? 2u : 1u);
        for (const Tries& t : tries) {
            EXPECT_TRUE(t.read);
            EXPECT_FALSE(t.written);
            EXPECT_FALSE(t.deleted);
            EXPECT_FALSE(t.renamed);
        }
        for (const std::wstring& line : Spy::CommandLines)
            ::DeleteFileW(Spy::FileOf(line).c_str());
    }
}

// Between the save and the hold another program may reach the file: then nothing starts, and
// the file goes, wherever it lies.
TEST_F(SavedInstaller, ChangedBeforeItIsHeldStartsNothing) {
    UniqueHandleKernel kept;
    const struct {
        const char* name;
        std::function<void(const std::wstring& file)> change;
    } cases[] = {
        {"rewritten", [](const std::wstring& file) { testing::WriteFileBytes(file, "MZ other"); }},
        {"as long, other bytes",
         [](const std::wstring& file) {
             const std::string bytes = ReadFileBytes(file);
             testing::WriteFileBytes(file, bytes.substr(0, bytes.size() - 1) + '!');
         }},
        {"deleted and made anew",
         [](const std::wstring& file) {
             const std::string bytes = ReadFileBytes(file);
             ::DeleteFileW(file.c_str());
             testing::WriteFileBytes(file, "MZ" + bytes.substr(2, 40));
         }},
        {"kept open for writing",
         [&kept](const std::wstring& file) {
             kept.reset(::CreateFileW(file.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
         }},
    };
    for (const bool virtualized : {false, true}) {
        const std::wstring folder =
            virtualized ? FTemp : IncludeTrailingBackslash(GetDownloadDir());
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (virtualized ? ", temporary folder" : ""));
            Spy spy;
            Spy::Virtualized = virtualized;
            const auto before = testing::SavedInstallers(folder, L"IconTips_Update");
            int changed = 0;
            Spy::BeforeHold = [&](const std::wstring& file) {
                ++changed;
                c.change(file);
            };
            EXPECT_FALSE(DownloadIconTips());
            kept.reset();
            EXPECT_TRUE(Spy::CommandLines.empty());
            EXPECT_TRUE(Spy::ShellStarts.empty());
            EXPECT_EQ(changed, 1);
            EXPECT_EQ(testing::SavedInstallers(folder, L"IconTips_Update"), before);
        }
    }
}

// ---- OpenUrl

struct ShellCall {
    HWND Owner;
    std::optional<std::wstring> Verb, File, Parameters, Folder;
    INT Show;
};
std::vector<ShellCall> ShellCalls;
std::vector<INT_PTR> ShellResults; // one per call, in order

std::optional<std::wstring> Text(LPCWSTR s) {
    if (!s) return std::nullopt;
    return std::wstring(s);
}

HINSTANCE WINAPI RecordShellExecute(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                    LPCWSTR folder, INT show) {
    ShellCalls.push_back({owner, Text(verb), Text(file), Text(parameters), Text(folder), show});
    const INT_PTR result = ShellResults.at(ShellCalls.size() - 1);
    return reinterpret_cast<HINSTANCE>(result);
}

TEST(OpenUrl, TriesTheBrowserProgramFirstThenTheShellsOwnHandler) {
    const auto owner = reinterpret_cast<HWND>(0x1234);
    const std::wstring url = L"http://127.0.0.1/pay?gid=1016&sid=S12";

    ShellCalls.clear();
    ShellResults = {42};
    OpenUrl(owner, url, &RecordShellExecute);
    ASSERT_EQ(ShellCalls.size(), 1u);
    EXPECT_EQ(ShellCalls[0].Owner, owner);
    EXPECT_EQ(ShellCalls[0].Verb, L"open");
    EXPECT_EQ(ShellCalls[0].File, L"IExplore.EXE");
    EXPECT_EQ(ShellCalls[0].Parameters, url);
    EXPECT_EQ(ShellCalls[0].Folder, std::nullopt);
    EXPECT_EQ(ShellCalls[0].Show, SW_SHOWNORMAL);

    // 32 and below are the shell's failures.
    for (const INT_PTR failure : {INT_PTR{ERROR_FILE_NOT_FOUND}, INT_PTR{32}}) {
        ShellCalls.clear();
        ShellResults = {failure, 2};
        OpenUrl(owner, url, &RecordShellExecute);
        ASSERT_EQ(ShellCalls.size(), 2u);
        EXPECT_EQ(ShellCalls[1].Owner, owner);
        EXPECT_EQ(ShellCalls[1].Verb, std::nullopt);
        EXPECT_EQ(ShellCalls[1].File, url);
        EXPECT_EQ(ShellCalls[1].Parameters, std::nullopt);
        EXPECT_EQ(ShellCalls[1].Folder, std::nullopt);
        EXPECT_EQ(ShellCalls[1].Show, SW_SHOWNORMAL);
    }
}

// ---- IsForegroundFullScreen

struct WindowDestroyer {
    void operator()(HWND wnd) const noexcept { ::DestroyWindow(wnd); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

class ForegroundFullScreen : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        ASSERT_NE(::RegisterClassW(&wc), 0);
    }
    static UniqueWindow Popup(int x, int y, int width, int height, HWND owner = nullptr) {
        UniqueWindow wnd(::CreateWindowExW(0, kClass, L"", WS_POPUP, x, y, width, height, owner,
                                           nullptr, ::GetModuleHandleW(nullptr), nullptr));
        // An empty region: the window covers no other test's pixels while it stands.
        ::SetWindowRgn(wnd.get(), ::CreateRectRgn(0, 0, 0, 0), FALSE);
        return wnd;
    }
    static bool BringToFront(HWND wnd) {
        ::ShowWindow(wnd, SW_SHOW);
        ::SetForegroundWindow(wnd);
        return test::PumpUntil([&] { return ::GetForegroundWindow() == wnd; });
    }
    static constexpr wchar_t kClass[] = L"TnFullScreenProbe";
    const int FWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const int FHeight = ::GetSystemMetrics(SM_CYSCREEN);
};

TEST_F(ForegroundFullScreen, AWindowOverTheWholeScreenCounts) {
    const UniqueWindow full = Popup(0, 0, FWidth, FHeight);
    ASSERT_TRUE(BringToFront(full.get()));
    EXPECT_TRUE(IsForegroundFullScreen());
    // Larger than the screen still covers it.
    ::SetWindowPos(full.get(), nullptr, -8, -8, FWidth + 16, FHeight + 16,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(IsForegroundFullScreen());
}

TEST_F(ForegroundFullScreen, ASmallerWindowDoesNot) {
    const UniqueWindow small = Popup(10, 10, 200, 150);
    ASSERT_TRUE(BringToFront(small.get()));
    EXPECT_FALSE(IsForegroundFullScreen());
    // One row short of the screen is not full screen.
    ::SetWindowPos(small.get(), nullptr, 0, 0, FWidth, FHeight - 1, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_FALSE(IsForegroundFullScreen());
}

TEST_F(ForegroundFullScreen, ASmallWindowOwnedByAFullScreenOneCounts) {
    const UniqueWindow full = Popup(0, 0, FWidth, FHeight);
    const UniqueWindow small = Popup(10, 10, 200, 150, full.get());
    ::ShowWindow(full.get(), SW_SHOWNA);
    ASSERT_TRUE(BringToFront(small.get()));
    EXPECT_TRUE(IsForegroundFullScreen());
}

// ---- CallPageScript

using test::Counted;
using test::CountedDispatch;

class FakeScript : public CountedDispatch<IDispatch> {
public:
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override {
        NameCount = count;
        NameLocale = lcid;
        AskedName = names[0];
        if (AskedName != KnownName) {
            ids[0] = DISPID_UNKNOWN;
            return DISP_E_UNKNOWNNAME;
        }
        ids[0] = kFunctionId;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT*) override {
        ++Invocations;
        InvokedId = id;
        InvokeLocale = lcid;
        InvokeFlags = flags;
        NamedCount = params->cNamedArgs;
        Arguments.assign(params->rgvarg, params->rgvarg + params->cArgs);
        // A returned object is the caller's to free.
        if (result) {
            result->vt = VT_UNKNOWN;
            result->punkVal = &Returned;
            Returned.AddRef();
        }
        if (InvokeResult == DISP_E_EXCEPTION && exception) {
            exception->bstrSource = ::SysAllocString(L"page");
            exception->bstrDescription = ::SysAllocString(L"thrown");
        }
        return InvokeResult;
    }

    static constexpr DISPID kFunctionId = 77;
    std::wstring KnownName = L"A4F07C19E2B35D86C0E1F4A97B2D";
    HRESULT InvokeResult = S_OK;
    Counted<IUnknown> Returned;
    UINT NameCount = 0;
    LCID NameLocale = 0;
    std::wstring AskedName;
    int Invocations = 0;
    DISPID InvokedId = 0;
    LCID InvokeLocale = 0;
    WORD InvokeFlags = 0;
    UINT NamedCount = 0;
    std::vector<VARIANT> Arguments; // only VT_I4 arrive, so plain copies do
};

// The routine reads only the script object, and the second document interface's table begins
// with the first one's, so this double answers for both.
class FakeDocument : public CountedDispatch<IHTMLDocument> {
public:
    HRESULT STDMETHODCALLTYPE get_Script(IDispatch** out) override {
        *out = Script;
        if (Script) Script->AddRef();
        return Script ? S_OK : E_FAIL;
    }

    bool IsHtml = true;
    IDispatch* Script = nullptr;

protected:
    [[nodiscard]] bool Answers(REFIID iid) const override {
        return iid == IID_IHTMLDocument || (iid == IID_IHTMLDocument2 && IsHtml) ||
               CountedDispatch::Answers(iid);
    }
};

// The browser control's dispatch interface: property 203 is its document.
class FakeBrowser : public CountedDispatch<IDispatch> {
public:
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        if (id != 203 || !(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
        result->vt = VT_DISPATCH;
        result->pdispVal = Document;
        if (Document) Document->AddRef();
        return S_OK;
    }

    IDispatch* Document = nullptr;
};

class PageScript : public ::testing::Test {
protected:
    void SetUp() override {
        FDocument.Script = &FScript;
        FBrowser.Document = &FDocument;
    }
    void ExpectAllReleased() const {
        EXPECT_EQ(FBrowser.Count(), 1u);
        EXPECT_EQ(FDocument.Count(), 1u);
        EXPECT_EQ(FScript.Count(), 1u);
        EXPECT_EQ(FScript.Returned.Count(), 1u);
    }
    FakeScript FScript;
    FakeDocument FDocument;
    FakeBrowser FBrowser;
};

TEST_F(PageScript, CallsTheNamedFunctionWithBothArgumentsInSlotOrder) {
    EXPECT_TRUE(CallPageScript(11, -22, FScript.KnownName, &FBrowser));
    EXPECT_EQ(FScript.AskedName, FScript.KnownName);
    EXPECT_EQ(FScript.NameCount, 1u);
    EXPECT_EQ(FScript.NameLocale, 2048u);
    ASSERT_EQ(FScript.Invocations, 1);
    EXPECT_EQ(FScript.InvokedId, FakeScript::kFunctionId);
    EXPECT_EQ(FScript.InvokeLocale, 2048u);
    EXPECT_EQ(FScript.InvokeFlags, DISPATCH_METHOD);
    EXPECT_EQ(FScript.NamedCount, 0u);
    ASSERT_EQ(FScript.Arguments.size(), 2u);
    EXPECT_EQ(FScript.Arguments[0].vt, VT_I4);
    EXPECT_EQ(FScript.Arguments[0].lVal, 11);
    EXPECT_EQ(FScript.Arguments[1].vt, VT_I4);
    EXPECT_EQ(FScript.Arguments[1].lVal, -22);
    ExpectAllReleased();
}

TEST_F(PageScript, AnUnknownFunctionIsNotCalled) {
    EXPECT_FALSE(CallPageScript(0, 0, L"NotOnThisPage", &FBrowser));
    EXPECT_EQ(FScript.AskedName, L"NotOnThisPage");
    EXPECT_EQ(FScript.Invocations, 0);
    ExpectAllReleased();
}

TEST_F(PageScript, EveryMissingPieceOrFailingCallIsFalse) {
    FakeDocument plain; // a document that is not an HTML one
    plain.IsHtml = false;
    plain.Script = &FScript;
    FakeDocument scriptless;
    const struct {
        const char* Case;
        IDispatch* Document;
        HRESULT InvokeResult;
    } cases[] = {
        {"no document", nullptr, S_OK},
        {"not an HTML document", &plain, S_OK},
        {"no script object", &scriptless, S_OK},
        {"the script raises", &FDocument, DISP_E_EXCEPTION},
        {"the call fails", &FDocument, E_FAIL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        FBrowser.Document = c.Document;
        FScript.InvokeResult = c.InvokeResult;
        EXPECT_FALSE(CallPageScript(0, 0, FScript.KnownName, &FBrowser));
        ExpectAllReleased();
        EXPECT_EQ(plain.Count(), 1u);
        EXPECT_EQ(scriptless.Count(), 1u);
    }
    EXPECT_FALSE(CallPageScript(0, 0, FScript.KnownName, nullptr));
}

} // namespace
} // namespace tn
