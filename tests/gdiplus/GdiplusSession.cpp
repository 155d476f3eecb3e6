// GDI+ bound and started around every test of the executable, as the program does around its run.
#include "gdiplus/Gdiplus.h"

#include <gtest/gtest.h>

namespace {

class GdiplusSession : public ::testing::Environment {
public:
    void SetUp() override {
        tn::gdiplus::LoadGdiplusEntryPoints();
        ASSERT_TRUE(tn::gdiplus::CheckGdiplusEntryPoints().ok);
        tn::gdiplus::StartupGdiplus();
    }
    void TearDown() override {
        tn::gdiplus::ShutdownGdiplus();
        tn::gdiplus::UnloadGdiplusEntryPoints();
    }
};

// gtest owns registered environments.
[[maybe_unused]] const auto* const kSession =
    ::testing::AddGlobalTestEnvironment(new GdiplusSession);

} // namespace
