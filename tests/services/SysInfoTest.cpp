#include "services/SysInfo.h"

#include "classlib/Handles.h"
#include "classlib/Text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <regex>
#include <vector>

namespace tn {
namespace {

std::string Narrow(const std::wstring& s) {
    return text::ToUtf8(s);
}

TEST(SysInfo, IdentityInputsHaveTheirTextForms) {
    TSysInfo info;
    EXPECT_TRUE(
        std::regex_match(Narrow(info.CPUSerial()), std::regex("[0-9A-F]{8}(-[0-9A-F]{8}){3}")))
        << Narrow(info.CPUSerial());
    // Read on the first processor, so another object (and another run) gets the same serial.
    EXPECT_EQ(TSysInfo().CPUSerial(), info.CPUSerial());
    const std::wstring macs = info.MacAddress();
    EXPECT_TRUE(macs.empty() ||
                std::regex_match(
                    Narrow(macs),
                    std::regex("([0-9A-F]{2}(-[0-9A-F]{2})*)?(,([0-9A-F]{2}(-[0-9A-F]{2})*)?)*")))
        << Narrow(macs);
    // Asked afresh each time, and the same machine answers the same.
    EXPECT_EQ(info.MacAddress(), macs);
    EXPECT_EQ(info.HDDSerial(), TSysInfo().HDDSerial());
}

TEST(SysInfo, OtherValuesAreGathered) {
    TSysInfo info;
    EXPECT_FALSE(info.CPUName().empty());
    EXPECT_GE(info.CPUCores(), 1);
    EXPECT_GE(info.CPUThreadsPerCore(), 1);
    EXPECT_GT(info.CPUSpeed(), 0);
    EXPECT_GT(info.TotalPhysicalMemory(), 0);
    EXPECT_LE(info.AvailablePhysicalMemory(), info.TotalPhysicalMemory());
    EXPECT_FALSE(info.OSDescription().empty());
    EXPECT_TRUE(IsAdmin()); // the prefix's user is an administrator
}

// A processor name of the wrong type makes its read fail; the serial, read before it, must still
// feed the machine id.
TEST(SysInfo, AProcessorKeyValueOfTheWrongTypeKeepsTheSerial) {
    constexpr wchar_t kKey[] = L"Hardware\\Description\\System\\CentralProcessor\\0";
    constexpr wchar_t kName[] = L"ProcessorNameString";
    UniqueRegKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key.put()) !=
        ERROR_SUCCESS)
        GTEST_SKIP() << "the processor key cannot be written here";
    DWORD type = 0, size = 0;
    const bool had =
        ::RegQueryValueExW(key.get(), kName, nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    std::vector<BYTE> old(size);
    if (had) ::RegQueryValueExW(key.get(), kName, nullptr, &type, old.data(), &size);
    const DWORD number = 7;
    ASSERT_EQ(::RegSetValueExW(key.get(), kName, 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&number), sizeof number),
              ERROR_SUCCESS);

    TSysInfo info;
    const std::wstring serial = info.CPUSerial();
    const std::wstring name = info.CPUName();

    if (had)
        ::RegSetValueExW(key.get(), kName, 0, type, old.data(), size);
    else
        ::RegDeleteValueW(key.get(), kName);
    EXPECT_EQ(serial, GetCpuSerialText());
    EXPECT_FALSE(serial.empty());
    EXPECT_EQ(name, L"");
}

} // namespace
} // namespace tn
