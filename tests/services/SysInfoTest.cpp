#include "services/SysInfo.h"

#include "classlib/Text.h"

#include <gtest/gtest.h>

#include <regex>

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
    EXPECT_EQ(info.CPUSerial(), GetCpuSerialText());
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

} // namespace
} // namespace tn
