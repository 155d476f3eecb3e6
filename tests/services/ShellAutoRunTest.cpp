#include "services/Shell.h"

#include "classlib/Application.h"
#include "classlib/Registry.h"
#include "services/PublicUnit.h"

#include <gtest/gtest.h>

#include <string>

namespace tn {
namespace {

constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kTitle[] = L"TnShellTestTitle";
constexpr wchar_t kName[] = L"TnShellTestValue";

class AutoRun : public ::testing::Test {
protected:
    void SetUp() override {
        FOldTitle = Application->Title();
        FOldExeName = LanderExeName;
        Application->SetTitle(kTitle);
        LanderExeName = L"tn";
        ASSERT_TRUE(FRun.OpenKey(kRunKey, true));
        Clean();
    }
    void TearDown() override {
        Clean();
        Application->SetTitle(FOldTitle);
        LanderExeName = FOldExeName;
    }
    void Clean() const {
        (void)FRun.DeleteValue(kTitle);
        (void)FRun.DeleteValue(kName);
    }
    TRegistry FRun{HKEY_CURRENT_USER};
    std::wstring FOldTitle, FOldExeName;
};

TEST_F(AutoRun, StartsTheDataFolderCopyWithTheAutorunSwitch) {
    SetAutoRun(kName);
    EXPECT_EQ(FRun.ReadString(kName), L"\"C:\\ProgramData\\Brisa\\tn\\tn.exe\" /autorun");
    EXPECT_FALSE(FRun.ValueExists(kTitle));

    (void)FRun.DeleteValue(kName);
    LanderExeName = L"其他";
    SetAutoRun(kName);
    EXPECT_EQ(FRun.ReadString(kName), L"\"" + GetAppDataDir() + L"其他.exe\" /autorun");
}

TEST_F(AutoRun, AnExistingValueKeepsItsData) {
    FRun.WriteString(kName, L"\"D:\\elsewhere.exe\"");
    SetAutoRun(kName);
    EXPECT_EQ(FRun.ReadString(kName), L"\"D:\\elsewhere.exe\"");
}

TEST_F(AutoRun, AnEmptyNameStandsForTheApplicationTitle) {
    EXPECT_FALSE(IsAutoRunSet());
    SetAutoRun(L"");
    EXPECT_TRUE(FRun.ValueExists(kTitle));
    EXPECT_TRUE(IsAutoRunSet());
    // Only the title's value counts as set.
    (void)FRun.DeleteValue(kTitle);
    SetAutoRun(kName);
    EXPECT_FALSE(IsAutoRunSet());
}

TEST_F(AutoRun, RemoveDeletesOnlyTheNamedValue) {
    SetAutoRun(L"");
    SetAutoRun(kName);
    RemoveAutoRun(L""); // not replaced by the title
    EXPECT_TRUE(FRun.ValueExists(kTitle));
    EXPECT_TRUE(FRun.ValueExists(kName));

    RemoveAutoRun(kName);
    EXPECT_FALSE(FRun.ValueExists(kName));
    EXPECT_TRUE(IsAutoRunSet());
    RemoveAutoRun(kTitle);
    EXPECT_FALSE(IsAutoRunSet());
    RemoveAutoRun(kTitle); // absent: nothing happens
    EXPECT_FALSE(IsAutoRunSet());
}

TEST_F(AutoRun, AnEmptyNameLeavesTheKeysUnnamedValueAlone) {
    const bool hadDefault = FRun.ValueExists(L"");
    const std::wstring oldDefault = hadDefault ? FRun.ReadString(L"") : L"";
    FRun.WriteString(L"", L"\"C:\\other\\default.exe\"");
    RemoveAutoRun(L"");
    const bool kept = FRun.ValueExists(L"");
    const std::wstring data = kept ? FRun.ReadString(L"") : L"";
    if (hadDefault)
        FRun.WriteString(L"", oldDefault);
    else
        (void)FRun.DeleteValue(L"");
    EXPECT_TRUE(kept);
    EXPECT_EQ(data, L"\"C:\\other\\default.exe\"");
}

} // namespace
} // namespace tn
