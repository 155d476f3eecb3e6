#include "services/UnInstall.h"
#include "windows/Launcher.h"

#include "classlib/CommandLine.h"
#include "classlib/Handles.h"
#include "classlib/Text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace tn;

TEST(StartupRoad, SwitchesAreTestedOnTheWholeArgument) {
    using Args = std::vector<std::wstring>;
    struct Case {
        Args args;
        bool uninstall, autorun, tray;
    } cases[] = {
        {{}, false, false, false},
        {{L"/uninst"}, true, false, false},
        {{L"/UNINST"}, true, false, false},
        {{L"/uninstall"}, false, false, false},
        {{L"x", L"/uninst"}, false, false, false},
        {{L"/autorun"}, false, true, true},
        {{L"/AUTORUN"}, false, false, false}, // exact case: a plain start
        {{L"/autorun", L"/setuprun"}, false, true, false},
        {{L"/autorun", L"/SETUPRUN"}, false, true, true},
        {{L"/setuprun"}, false, false, false},
        {{L"/setuprun", L"/autorun"}, false, false, false},
        {{L"/autorun", L"x", L"/setuprun"}, false, true, true},
    };
    for (const auto& c : cases) {
        std::wstring shown;
        for (const auto& a : c.args)
            shown += a + L" ";
        EXPECT_EQ(IsUninstallMode(c.args), c.uninstall) << shown;
        EXPECT_EQ(IsAutoRunStart(c.args), c.autorun) << shown;
        EXPECT_EQ(IsTrayStart(c.args), c.tray) << shown;
    }
}

// Started again as a child with TN_ROAD_CHILD set, this program reports the roads that its own
// command line takes, as its exit code, before the tests would run.
[[maybe_unused]] const bool kRoadChild = [] {
    if (!std::getenv("TN_ROAD_CHILD")) return false;
    const std::vector<std::wstring> args = ProgramArgs();
    const UINT code = (IsUninstallMode() ? 1u : 0u) | (IsAutoRunStart(args) ? 2u : 0u) |
                      (IsTrayStart(args) ? 4u : 0u) | (static_cast<UINT>(ParamCount()) << 3) |
                      (ParamStr(ParamCount() + 1).empty() ? 0u : 0x80u);
    ::ExitProcess(code);
}();

TEST(StartupRoad, TheProcessesOwnCommandLineIsReadAfterTheProgramName) {
    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    ASSERT_TRUE(::SetEnvironmentVariableW(L"TN_ROAD_CHILD", L"1"));
    const struct {
        const wchar_t* args;
        bool uninstall, autorun, tray;
        UINT count;
    } cases[] = {
        {L"", false, false, false, 0},
        {L" /autorun", false, true, true, 1},
        {L" \"/autorun\" /setuprun", false, true, false, 2},
        {L" \"/autorun /setuprun\"", false, false, false, 1}, // one argument
        {L"  /UNINST  x", true, false, false, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(text::ToUtf8(c.args));
        std::wstring line = L"\"" + std::wstring(self) + L"\"" + c.args;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(::CreateProcessW(self, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     nullptr, &si, &pi));
        const UniqueHandleKernel process(pi.hProcess), thread(pi.hThread);
        ASSERT_EQ(::WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0) << "no end in 30 s";
        DWORD code = 0;
        ::GetExitCodeProcess(process.get(), &code);
        EXPECT_EQ(code & 1, c.uninstall ? 1u : 0u);
        EXPECT_EQ(code & 2, c.autorun ? 2u : 0u);
        EXPECT_EQ(code & 4, c.tray ? 4u : 0u);
        EXPECT_EQ((code >> 3) & 0xF, c.count);
        EXPECT_EQ(code & 0x80, 0u) << "an argument past the last one is not empty";
    }
    ::SetEnvironmentVariableW(L"TN_ROAD_CHILD", nullptr);
}
