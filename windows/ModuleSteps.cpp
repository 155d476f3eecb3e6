#include "windows/ModuleSteps.h"

#include "browser/component/BrowserModule.h"
#include "gdiplus/GdipApi.h"
#include "gdiplus/GdipObj.h"
#include "services/PublicUnit.h"
#include "services/Statistics.h"

namespace tn {

namespace {
// GDI+ is required: without the library or its start-up entry points nothing can be drawn, so
// the program stops before its first window.
void GdiplusModuleStartup() {
    gdiplus::LoadGdiplusEntryPoints();
    const auto availability = gdiplus::CheckGdiplusEntryPoints();
    if (!availability.ok) {
        gdiplus::UnloadGdiplusEntryPoints();
        throw TStartupError(availability.message);
    }
    gdiplus::StartupGdiplus();
}

void GdiplusModuleShutdown() noexcept {
    gdiplus::ShutdownGdiplus();
    gdiplus::UnloadGdiplusEntryPoints();
}

struct ModuleStep {
    void (*startup)();
    void (*shutdown)() noexcept;
};

// The one place that fixes the order: the browser component, then the launcher services, then
// GDI+. Shutdown runs from the bottom up.
constexpr ModuleStep kSteps[] = {
    {&BrowserModuleStartup, &BrowserModuleShutdown},
    {&LoadConfig, &ClearConfig},
    {&StatisticsModuleStartup, &StatisticsModuleShutdown},
    {&GdiplusModuleStartup, &GdiplusModuleShutdown},
};
constexpr int kStepCount = static_cast<int>(sizeof kSteps / sizeof kSteps[0]);
} // namespace

TModuleSession::TModuleSession() {
    try {
        for (; FStarted < kStepCount; ++FStarted)
            kSteps[FStarted].startup();
    } catch (...) {
        Unwind();
        throw;
    }
}

TModuleSession::~TModuleSession() {
    Unwind();
}

void TModuleSession::Unwind() noexcept {
    while (FStarted > 0)
        kSteps[--FStarted].shutdown();
}

} // namespace tn
