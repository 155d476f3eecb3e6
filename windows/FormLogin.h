// The login window: the platform's login page in a browser over the background window, with the
// load retry, the update check, the first-activation record and the hand-over to the game window.
#pragma once

#include "browser/HostedWB.h"
#include "classlib/Forms.h"
#include "classlib/Http.h"
#include "classlib/Messages.h"
#include "classlib/StdCtrls.h"
#include "classlib/Thread.h"
#include "services/Shell.h"
#include "windows/ZorButton.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace tn {

class TUpdataThread;

class TFormLogin : public TForm {
public:
    // What a test puts in place of the browser class and of the shell call behind external links.
    struct TSeams {
        std::function<THostedWB*(TFormLogin& owner)> CreateBrowser;
        TShellExecute shellExecute = nullptr;
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
};

// The version check: makes sure the animated-icon companion exists, fetches the remote version
// file, and when a newer version applies to this client, asks the user, downloads and starts the
// full installer, records the version and closes the login window. Frees itself when it ends.
class TUpdataThread : public TThread {
public:
    // The configuration and paths it needs are copied here: shutdown clears the configuration
    // while the thread may still wait on the network.
    TUpdataThread();

    // Shows FMsg in the simple message box; run on the GUI thread.
    void ShowMsg();

protected:
    void Execute() override;

private:
    // Runs step on the GUI thread with the login window; false when that window is gone.
    bool WithLoginWindow(const std::function<void(TFormLogin&)>& step) noexcept;
    // "网络出错", and the login window back when the update had hidden it.
    void ReportFailure(bool loginWasShown) noexcept;

    // One client for both requests; no read time-out for the version file.
    THttpClient IdHTTP1;
    std::wstring FMsg;
    const std::wstring FVersionCheckUrl;
    const std::wstring FVersionDownloadUrl;
    const std::wstring FVersionFile;   // the executable's path + ".ini"
    const std::wstring FInstallerFile; // the executable's folder + "Setup_Varkelpfr.exe"
};

// A dotted version as the update test compares it: the digits left after deleting every ".";
// 0 when that is not a number or does not fit.
[[nodiscard]] std::int32_t UpgradeVersionNumber(const std::wstring& dotted) noexcept;

// The body limit of the installer download, above the client's default.
inline constexpr std::size_t kInstallerMaxBodySize = 256u << 20;
// A download that receives nothing for this long has failed.
inline constexpr unsigned long kInstallerStallMs = 60000;

} // namespace tn
