// The launcher's entry routine: module start-up, one road chosen by the command line, the message
// loop, and the modules' shutdown in reverse order.
#include "classlib/Application.h"
#include "services/PublicUnit.h"
#include "services/Statistics.h"
#include "services/UnInstall.h"
#include "windows/FormBack.h"
#include "windows/FormMain.h"
#include "windows/Launcher.h"
#include "windows/ModuleSteps.h"

#include <windows.h>

#include <future>
#include <utility>

namespace tn {
namespace {

void RunRoad() {
    // The forms go before the modules they paint with, also when the start-up stops half-way;
    // the cache walks stop before the calls they walk with are torn down.
    struct FormsGuard {
        ~FormsGuard() {
            Application->SetMainForm(nullptr);
            Application->DestroyComponents();
            TClearCacheThread::StopAll();
        }
    } forms;
    // The skin is drawn beside the making of the application window and the road's checks; the
    // background window waits for it and only puts it on. A road without that window drops it
    // here, after it is drawn.
    const bool uninstall = IsUninstallMode();
    std::future<TLayeredPicture> skin;
    if (!uninstall) skin = TLayeredPicture::PaintAside(GetLoginBackImagePath(), 100);
    Application->Initialize();
    Application->SetTitle(kProductName);
    Application->MainFormOnTaskBar = true;

    if (uninstall) {
        (void)DoUninstall();
    } else if (StatisticsManager && StatisticsManager->CheckSendSetupStatistics()) {
        // The setup report is the whole road: no window.
    } else if (CheckResource()) {
        FormBack = Application->CreateForm<TFormBack>(std::move(skin));
    }
    Application->Run();
}

} // namespace
} // namespace tn

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace tn;
    try {
        TModuleSession modules;
        RunRoad();
    } catch (const TStartupError& e) {
        // The same caption as the missing-resource box: both tell the user the program cannot
        // start.
        ::MessageBoxW(nullptr, e.Message().c_str(), L"错误", MB_OK | MB_ICONERROR);
        return 1;
    } catch (...) {
        // Nothing above reports failures to the user; an unexpected one still ends the program
        // cleanly.
        return 1;
    }
    return 0;
}
