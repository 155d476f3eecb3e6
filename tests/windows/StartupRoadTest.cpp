#include "services/UnInstall.h"
#include "windows/Launcher.h"

#include "classlib/CommandLine.h"

#include <gtest/gtest.h>

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

TEST(StartupRoad, CommandLinesSplitAsTheSystemSplitsThem) {
    EXPECT_EQ(SplitCommandLine(L"\"C:\\Program Files\\tn.exe\" /autorun /setuprun"),
              (std::vector<std::wstring>{L"C:\\Program Files\\tn.exe", L"/autorun", L"/setuprun"}));
    EXPECT_EQ(SplitCommandLine(L"tn.exe \"a b\"  c"),
              (std::vector<std::wstring>{L"tn.exe", L"a b", L"c"}));
    EXPECT_EQ(ParamStr(0).empty(), false);
    EXPECT_EQ(ParamStr(ParamCount() + 1), L"");
}
