// The login window: the platform's login page in a browser over the background window, with the
// load retry, the update check, the first-activation record and the hand-over to the game window.
#pragma once

#include "browser/component/HostedWB.h"
#include "classlib/Forms.h"
#include "classlib/Http.h"
#include "classlib/MemoryStream.h"
#include "classlib/Messages.h"
#include "classlib/StdCtrls.h"
#include "classlib/Thread.h"
#include "services/Shell.h"
#include "windows/ZorButton.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace tn {

class TUpdataThread;

// What joins the update thread's steps on files and programs to the program's end: once the gate
// is closed, or the application told to end, no step starts, and closing waits for the step
// under way. The steps wait on nothing but the file system and the programs they start.
class TUpdateGate final : public TStepGate {
public:
    // Runs step unless closed or ending; false when it did not run.
    bool Run(const std::function<void()>& step) override;
    void Close() noexcept;
    [[nodiscard]] bool Closed() noexcept;

private:
    std::mutex FLock;
    bool FClosed = false;
};

class TFormLogin : public TForm {
public:
    // What a test puts in place of the browser class, of the shell call behind external links and
    // of the game window's creation at the hand-over.
    struct TSeams {
        std::function<THostedWB*(TFormLogin& owner)> CreateBrowser;
        TShellExecute shellExecute = nullptr;
        std::function<void()> ShowGame;
    };

    explicit TFormLogin(TComponent* owner);
    TFormLogin(TComponent* owner, TSeams seams);

    // Layout.
    TLabel* lblNavigateInfos;
    TZorButton* imgClose;
    TZorButton* imgMin;
    THostedWB* browser;

    // Handlers bound by the layout.
    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void browserBeforeNavigate2(TObject* ASender, IDispatch* pDisp, VARIANT& URL, VARIANT& Flags,
                                VARIANT& TargetFrameName, VARIANT& PostData, VARIANT& Headers,
                                bool& Cancel);
    void browserDocumentComplete(TObject* ASender, IDispatch* pDisp, VARIANT& URL);
    void browserNavigateError(TObject* ASender, IDispatch* pDisp, VARIANT& URL, VARIANT& Frame,
                              VARIANT& StatusCode, bool& Cancel);
    void imgCloseClick(TObject* Sender);
    void imgMinClick(TObject* Sender);

    // Message handlers.
    void FormDragMsg(TWMNCHitTest& Msg);
    void WMNavigateRetry(TWMNoParams& Msg);
    void WMTimer(TWMTimer& Msg);
    void WMSysCommand(TWMSysCommand& Msg);

    void InitLayout();
    // The browser in its area (true) or parked outside the window (false).
    void ShowBrowser(bool visible);
    void CenterNavigateInfo();
    // Closes the window and with it the program; the update thread runs it on the GUI thread.
    void CloseApp();

    [[nodiscard]] bool NavigateError() const noexcept { return FNavigateError; }
    [[nodiscard]] bool NavigateSuccess() const noexcept { return FNavigateSuccess; }
    // Started by FormCreate; it frees itself, so this is never read once it may have ended.
    TUpdataThread* UpdataThread = nullptr;

protected:
    [[nodiscard]] const wchar_t* ClassName() const noexcept override { return L"TFormLogin"; }
    void BeforeDestruction() noexcept override;

private:
    void HandOverToGame(const std::wstring& url);
    // The user name of the login page's form, when the document shows one.
    void ScanUserName();

    bool FNavigateError = false;
    bool FNavigateSuccess = false;
    TShellExecute FShellExecute = nullptr;
    std::function<void()> FShowGame;
    // Shared with the update thread, which may outlive this window.
    std::shared_ptr<TUpdateGate> FUpdateGate = std::make_shared<TUpdateGate>();
};

// The version check: makes sure the animated-icon companion exists, fetches the remote version
// file, and when a newer version applies to this client, asks the user, downloads and starts the
// full installer, records the version and closes the login window. Frees itself when it ends.
class TUpdataThread : public TThread {
public:
    // The configuration and paths it needs are copied here: shutdown clears the configuration
    // while the thread may still wait on the network. Its steps on files and programs go through
    // gate.
    explicit TUpdataThread(std::shared_ptr<TUpdateGate> gate);

    // Shows FMsg in the simple message box, owned by a visible window of the program and brought
    // to the front; run on the GUI thread.
    void ShowMsg();

protected:
    void Execute() override;

private:
    // Runs step on the GUI thread with the login window; false when that window is gone.
    bool WithLoginWindow(const std::function<void(TFormLogin&)>& step) noexcept;
    // "网络出错", then the login window back.
    void ReportFailure(bool loginWasShown) noexcept;
    // The login window back when the update had hidden it.
    void ShowLoginAgain(bool loginWasShown) noexcept;
    // The downloaded installer saved, started and, once started, recorded; a file that started
    // nothing is deleted. False when the program is ending and nothing was done.
    bool RunInstaller(const TMemoryStream& stream, const std::wstring& version,
                      TInstallerStart& started) noexcept;

    // One client for both requests; no read time-out for the version file.
    THttpClient IdHTTP1;
    std::wstring FMsg;
    const std::shared_ptr<TUpdateGate> FGate;
    const std::wstring FVersionCheckUrl;
    const std::wstring FVersionDownloadUrl;
    const std::wstring FVersionFile; // the executable's path + ".ini"
    const std::wstring FExeFolder;
};

// A dotted version as the update test compares it: the digits left after deleting every ".";
// 0 when that is not a number or does not fit.
[[nodiscard]] std::int32_t UpgradeVersionNumber(const std::wstring& dotted) noexcept;

// The body limit of the installer download, above the client's default.
inline constexpr std::size_t kInstallerMaxBodySize = 256u << 20;
// A download that receives nothing for this long has failed.
inline constexpr unsigned long kInstallerStallMs = 60000;

} // namespace tn
