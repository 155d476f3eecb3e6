// The game window: the game-page frame under a skinned title bar with its buttons, the settings
// menu, the boss key with its tray icon, the routing of keys and the right mouse button to the
// game page, and the thread that empties the browser's URL cache.
#pragma once

#include "browser/tools/UrlCache.h"
#include "classlib/Application.h"
#include "classlib/Forms.h"
#include "classlib/Menus.h"
#include "classlib/Messages.h"
#include "classlib/StdCtrls.h"
#include "classlib/Thread.h"
#include "services/Shell.h"
#include "windows/FrameWeb.h"
#include "windows/TrayIcon.h"
#include "windows/ZorButton.h"

#include <windows.h>

#include <string>

namespace tn {

// Empties the user's URL cache. It holds no window or browser: the game window may close while
// the walk goes on. The program's end stops it, before the calls it walks with are gone.
class TClearCacheThread : public TThread {
public:
    explicit TClearCacheThread(const TInternetClientCalls& calls);
    ~TClearCacheThread() override;

    // Tells every walk under way to stop after its current entry and waits until all have ended.
    static void StopAll() noexcept;

protected:
    void Execute() override;

private:
    const TInternetClientCalls& FCalls;
};

class TFormMain : public TForm {
public:
    explicit TFormMain(TComponent* owner);

    // Layout.
    TPanel* pnlTitle = nullptr;
    TImage* imgTitleLeft = nullptr;
    TImage* img1 = nullptr;
    TLabel* lblwebtitle = nullptr;
    TLabel* lblBackservicelist = nullptr;
    TZorButton* imgClose = nullptr;
    TZorButton* imgMax = nullptr;
    TZorButton* imgMin = nullptr;
    TZorButton* imgBossKey = nullptr;
    TZorButton* imgSetting = nullptr;
    TZorButton* imgBbs = nullptr;
    TZorButton* imgHomePage = nullptr;
    TZorButton* imgPay = nullptr;
    TZorButton* imgService = nullptr;
    TImage* imgFoot = nullptr;
    TPanel* Panel1 = nullptr;
    TPopupMenu* popmenuSetting = nullptr;
    TMenuItem* mitemFresh = nullptr;
    TMenuItem* mitemClearCache = nullptr;
    TMenuItem* mniStartup = nullptr;
    TApplicationEvents* ApplicationEvents1 = nullptr;
    TPopupMenu* pmtaskbar = nullptr;
    TMenuItem* N1 = nullptr;
    TMenuItem* N2 = nullptr;

    // The game-page frame; null once the window is being destroyed.
    TFrameWeb* NewFrame = nullptr;

    // Handlers bound by the layout.
    void FormCreate(TObject* Sender);
    void FormDestroy(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormResize(TObject* Sender);
    void FrameBeforeNavigate2(TObject* ASender, IDispatch* pDisp, VARIANT& URL, VARIANT& Flags,
                              VARIANT& TargetFrameName, VARIANT& PostData, VARIANT& Headers,
                              bool& Cancel);
    void imgCloseClick(TObject* Sender);
    void imgMaxClick(TObject* Sender);
    void imgMinClick(TObject* Sender);
    void imgBossKeyClick(TObject* Sender);
    void imgSettingClick(TObject* Sender);
    void imgBbsClick(TObject* Sender);
    void imgHomePageClick(TObject* Sender);
    void imgPayClick(TObject* Sender);
    void imgServiceClick(TObject* Sender);
    void imgTitleLeftMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void lblBackservicelistClick(TObject* Sender);
    void lblBackservicelistMouseEnter(TObject* Sender);
    void lblBackservicelistMouseLeave(TObject* Sender);
    void lblBackservicelistMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X,
                                   int Y);
    void popmenuSettingPopup(TObject* Sender);
    void mitemFreshClick(TObject* Sender);
    void mitemClearCacheClick(TObject* Sender);
    void mniStartupClick(TObject* Sender);
    void N1Click(TObject* Sender);
    void N2Click(TObject* Sender);
    // Keys and the right mouse button over the game page; never raises.
    void ApplicationEvents1Message(MSG& Msg, bool& Handled) noexcept;

    // Message handlers.
    void WMRevigate(TWMNoParams& Msg);
    void WMGetMinMaxInfo(TWMGetMinMaxInfo& Msg);
    // Holds the maximized window to its maximum tracking size.
    void WMWindowPosChanging(TWMNoParams& Msg);
    void WMSysCommand(TWMSysCommand& Msg);
    void WMBarIconClick(TWMNotifyIcon& Msg);
    // The shell made its taskbar again: a window in the tray adds its icon again.
    void WMTaskbarCreated(TWMNoParams& Msg);
    // The retry of a tray icon the shell refused.
    void WMTimer(TWMTimer& Msg);

    // Makes the frame in Panel1, routes its navigations here, and sends it to GameUrl.
    TFrameWeb* AddNewFrame();
    // Calls a page function that receives (x, y); false on any failure.
    bool CallFrameScript(int x, int y, const std::wstring& name) noexcept;
    // Deletes this window's tray icon.
    void DisposBarIco();

    [[nodiscard]] const std::wstring& RevigateUrl() const noexcept { return FRevigateUrl; }
    [[nodiscard]] bool RightMouseDown() const noexcept { return FRightMouseDown; }

protected:
    [[nodiscard]] const wchar_t* ClassName() const noexcept override { return L"TFormMain"; }
    // Its own taskbar button, owned by nobody (not by the background window).
    void CreateParams(TCreateParams& params) override;
    void BeforeDestruction() noexcept override;

    // Seams at the platform, for the tests.
    virtual TFrameWeb* MakeFrame(TComponent& owner);
    [[nodiscard]] virtual const TInternetClientCalls& CacheCalls() const noexcept;
    // The shell call of the external pages; null for the system's.
    TShellExecute FShellExecute = nullptr;

private:
    void OpenPage(const std::wstring& url);
    [[nodiscard]] bool RouteMessage(MSG& msg);

    std::wstring FRevigateUrl;
    bool FRightMouseDown = false;
    // Hidden to the tray by the boss key, until its icon is disposed of.
    TTrayIcon FTray;
};

// The hand-over from the login page: a new game window, owned by the application and assigned to
// FormMain, shown.
TFormMain* ShowGameWindow();

} // namespace tn
