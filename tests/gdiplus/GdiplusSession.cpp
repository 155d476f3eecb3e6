// GDI+ bound and started around every test of the executable, as the program does around its run.
// Every real start-up made meanwhile, the session's own or a test's, must be shut down again with
// its token by the time the session ends.
#include "gdiplus/GdipApiTesting.h"
#include "gdiplus/Gdiplus.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace tn::gdiplus;

decltype(EntryPointTable::GdiplusStartup) g_startup = nullptr;
decltype(EntryPointTable::GdiplusShutdown) g_shutdown = nullptr;
std::multiset<ULONG_PTR> g_running;

Status WINAPI CountedStartup(ULONG_PTR* token, const GdiplusStartupInput* input,
                             GdiplusStartupOutput* output) {
    const Status status = g_startup(token, input, output);
    if (status == Ok) g_running.insert(*token);
    return status;
}

void WINAPI CountedShutdown(ULONG_PTR token) {
    if (const auto it = g_running.find(token); it != g_running.end()) {
        g_running.erase(it);
    } else {
        ADD_FAILURE() << "GDI+ shut down with token " << token << ", which no start-up gave";
    }
    g_shutdown(token);
}

class GdiplusSession : public ::testing::Environment {
public:
    void SetUp() override {
        LoadGdiplusEntryPoints();
        ASSERT_TRUE(CheckGdiplusEntryPoints().ok);
        EntryPointTable& table = MutableEntryPoints();
        g_startup = table.GdiplusStartup;
        g_shutdown = table.GdiplusShutdown;
        table.GdiplusStartup = &CountedStartup;
        table.GdiplusShutdown = &CountedShutdown;
        StartupGdiplus();
        EXPECT_EQ(g_running.size(), 1u);
    }
    void TearDown() override {
        ShutdownGdiplus();
        EXPECT_TRUE(g_running.empty())
            << g_running.size() << " start-up(s) of GDI+ were never shut down";
        UnloadGdiplusEntryPoints();
    }
};

// gtest owns registered environments.
[[maybe_unused]] const auto* const kSession =
    ::testing::AddGlobalTestEnvironment(new GdiplusSession);

} // namespace
