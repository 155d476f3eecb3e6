#include "services/Shell.h"

#include "classlib/FileUtil.h"
#include "services/PublicUnit.h"
#include "tests/services/WaitFile.h"
#include "tests/support/Standin.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tn {
namespace {

using testing::ReadFileBytes;

std::size_t Lines(const std::wstring& file) {
    const std::string bytes = ReadFileBytes(file);
    return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
}

class Shell : public ::testing::Test {
protected:
    void SetUp() override {
        FStandin.Reset();
        testing::RemoveTree(FFolder);
    }
    void TearDown() override {
        FStandin.Reset();
        testing::RemoveTree(FFolder);
    }
    testing::Standin FStandin;
    const std::wstring FFolder = IncludeTrailingBackslash(GetDownloadDir());
};

TEST_F(Shell, BothInstallersAreSavedAndStarted) {
    EXPECT_TRUE(DownloadAnimateIcon());
    EXPECT_TRUE(DownloadIconTips());
    EXPECT_EQ(ReadFileBytes(FFolder + L"IconAnimate_Update.exe").substr(0, 2), "MZ");
    EXPECT_EQ(ReadFileBytes(FFolder + L"IconTips_Update.exe").substr(0, 2), "MZ");
    // Each fake installer writes one line when it runs.
    const std::wstring ran = FFolder + L"ran.txt";
    ASSERT_TRUE(testing::WaitInFolder(
        FFolder, [&] { return Lines(ran) >= 2; }, 30000));
    const std::string log = ReadFileBytes(ran);
    EXPECT_NE(log.find("IconAnimate_Update.exe\t\""), std::string::npos) << log;
    EXPECT_NE(log.find("IconTips_Update.exe\t\""), std::string::npos) << log;
}

TEST_F(Shell, AFailedDownloadKeepsTheOlderInstaller) {
    ASSERT_TRUE(ForceDirectories(FFolder));
    testing::WriteFileBytes(FFolder + L"IconTips_Update.exe", "older");
    testing::StandinReply broken;
    broken.status = 500;
    FStandin.Set("/Varkel/pfr/pfrIconTips/pfrIconTipsSetup.exe", broken);
    EXPECT_FALSE(DownloadIconTips());
    broken.status = 200;
    broken.size = 100000;
    broken.cut = 5000; // the connection ends midway
    FStandin.Set("/Varkel/pfr/pfrIconTips/pfrIconTipsSetup.exe", broken);
    EXPECT_FALSE(DownloadIconTips());
    EXPECT_EQ(ReadFileBytes(FFolder + L"IconTips_Update.exe"), "older");
}

} // namespace
} // namespace tn
