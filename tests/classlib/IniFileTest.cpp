#include "classlib/IniFile.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace tn;
using tn::testing::TempDir;

TEST(IniFile, ReadsWithDefaultsAndConvertsNumbers) {
    TempDir dir;
    const std::wstring path = dir.File(L"a.ini");
    tn::testing::WriteFileBytes(
        path, "[Common]\r\nName=tn2\r\nNum=42\r\nHex=$10\r\nBad=12x\r\nFlag=2\r\nZero=0\r\n");
    const TIniFile ini(path);
    EXPECT_EQ(ini.ReadString(L"Common", L"Name", L"d"), L"tn2");
    EXPECT_EQ(ini.ReadString(L"Common", L"Missing", L"d"), L"d");
    EXPECT_EQ(ini.ReadString(L"Other", L"Name", L"d"), L"d");
    EXPECT_EQ(ini.ReadInteger(L"Common", L"Num", 7), 42);
    EXPECT_EQ(ini.ReadInteger(L"Common", L"Hex", 7), 16);
    EXPECT_EQ(ini.ReadInteger(L"Common", L"Bad", 7), 7);
    EXPECT_EQ(ini.ReadInteger(L"Common", L"Missing", 7), 7);
    EXPECT_TRUE(ini.ReadBool(L"Common", L"Flag", false));
    EXPECT_FALSE(ini.ReadBool(L"Common", L"Zero", true));
    EXPECT_TRUE(ini.ReadBool(L"Common", L"Missing", true));
    EXPECT_EQ(TIniFile(dir.File(L"none.ini")).ReadString(L"Common", L"Name", L"d"), L"d");
}

TEST(IniFile, WritesRoundTripIncludingChineseText) {
    // A new file is written in the ANSI code page: the tests run with code page 936, as the
    // target desktops do, so Chinese text must survive.
    TempDir dir;
    const TIniFile ini(dir.File(L"new.ini"));
    ini.WriteString(L"Install", L"GUID", L"{ABC}");
    ini.WriteInteger(L"Common", L"RunCount", -3);
    ini.WriteBool(L"Common", L"TopMost", true);
    ini.WriteString(L"Common", L"Name", L"游戏");
    EXPECT_EQ(ini.ReadString(L"Install", L"GUID", L""), L"{ABC}");
    EXPECT_EQ(ini.ReadInteger(L"Common", L"RunCount", 0), -3);
    EXPECT_TRUE(ini.ReadBool(L"Common", L"TopMost", false));
    EXPECT_EQ(ini.ReadString(L"Common", L"Name", L""), L"游戏");
}

TEST(IniFile, DirectReadsKeepAtMost259Characters) {
    TempDir dir;
    const std::wstring path = dir.File(L"b.ini");
    ASSERT_TRUE(WriteIniValue(path, L"History", L"PopupList", std::wstring(300, L'x')));
    EXPECT_EQ(ReadIniValue260(path, L"History", L"PopupList"), std::wstring(259, L'x'));
    EXPECT_EQ(ReadIniValue260(path, L"History", L"Missing"), L"");
    // A folder that does not exist cannot take the file.
    EXPECT_FALSE(WriteIniValue(dir.File(L"no\\such\\c.ini"), L"S", L"K", L"v"));
    EXPECT_THROW(TIniFile(dir.File(L"no\\such\\c.ini")).WriteString(L"S", L"K", L"v"),
                 TIniFileError);
}
