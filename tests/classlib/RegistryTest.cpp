#include "classlib/Registry.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tn;

namespace {
const std::wstring kTestKey = L"Software\\TnRegistryTest";
struct RegistryTest : ::testing::Test {
    void TearDown() override { TRegistry(HKEY_CURRENT_USER).DeleteKey(kTestKey); }
};
} // namespace

TEST_F(RegistryTest, OpensCreatesReadsAndWrites) {
    TRegistry reg(HKEY_CURRENT_USER);
    EXPECT_FALSE(reg.OpenKey(kTestKey, false));
    // A leading backslash names the same key below the root.
    ASSERT_TRUE(reg.OpenKey(L"\\" + kTestKey, true));
    EXPECT_FALSE(reg.ValueExists(L"Name"));
    EXPECT_EQ(reg.ReadString(L"Name"), L"");
    reg.WriteString(L"Name", L"\"C:\\ProgramData\\Brisa\\tn\\tn.exe\" /autorun");
    reg.WriteInteger(L"Count", 7);
    EXPECT_TRUE(reg.ValueExists(L"Name"));
    EXPECT_EQ(reg.ReadString(L"Name"), L"\"C:\\ProgramData\\Brisa\\tn\\tn.exe\" /autorun");
    EXPECT_EQ(reg.ReadInteger(L"Count"), 7);
    EXPECT_THROW((void)reg.ReadInteger(L"Name"), ERegistryException);
    EXPECT_THROW((void)reg.ReadString(L"Count"), ERegistryException);
    EXPECT_THROW((void)reg.ReadInteger(L"Missing"), ERegistryException);
    EXPECT_TRUE(reg.DeleteValue(L"Name"));
    EXPECT_FALSE(reg.DeleteValue(L"Name"));
    reg.CloseKey();
    EXPECT_THROW(reg.WriteString(L"X", L"y"), ERegistryException);
}

TEST_F(RegistryTest, ListsSubkeysAndDeletesWholeTrees) {
    TRegistry reg(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey(kTestKey + L"\\A\\Deep", true));
    ASSERT_TRUE(reg.OpenKey(kTestKey + L"\\B", true));
    ASSERT_TRUE(reg.OpenKeyReadOnly(kTestKey));
    auto names = reg.GetKeyNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"A", L"B"}));
    EXPECT_THROW(reg.WriteString(L"X", L"y"), ERegistryException); // read-only
    reg.CloseKey();
    EXPECT_TRUE(reg.KeyExists(kTestKey + L"\\A\\Deep"));
    EXPECT_TRUE(reg.DeleteKey(kTestKey + L"\\A"));
    EXPECT_FALSE(reg.KeyExists(kTestKey + L"\\A"));
    EXPECT_TRUE(reg.KeyExists(kTestKey + L"\\B"));
    EXPECT_FALSE(reg.DeleteKey(L"\\")); // never the root itself
}
