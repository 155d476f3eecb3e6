#include "windows/ModuleSteps.h"

#include "browser/BrowserModule.h"
#include "services/PublicUnit.h"

namespace tn {

namespace {
struct ModuleStep {
    void (*startup)();
    void (*shutdown)() noexcept;
};

// The one place that fixes the order: the browser component, then the launcher services, then
// GDI+. Shutdown runs from the bottom up.
constexpr ModuleStep kSteps[] = {
    {&BrowserModuleStartup, &BrowserModuleShutdown},
    {&LoadConfig, &ClearConfig},
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
