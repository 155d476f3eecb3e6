#include "services/SysInfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace tn {
namespace {

// 512 bytes of identify data with text stored from byte 20 as the drive stores it: each pair of
// characters swapped.
std::vector<std::uint8_t> IdentifyWith(std::string_view storedFrom20) {
    std::vector<std::uint8_t> id(512, 0);
    std::memcpy(id.data() + 20, storedFrom20.data(), storedFrom20.size());
    return id;
}

TEST(SysInfoDecode, IdentifySerialIsSwappedAndRunsToTheFirstZero) {
    // Words 10-19 hold the serial with each pair swapped, as drives store it; the words after it
    // are not blank, so the text runs on into them up to the first zero byte.
    const auto id = IdentifyWith("DWW-AC1V325476 8    FW10E2  ");
    EXPECT_EQ(SerialFromIdentify(id, 40), "WD-WCAV12345678     WF012E  ");
    // The direct method swaps only the serial's own 20 bytes: what follows stays as stored.
    EXPECT_EQ(SerialFromIdentify(id, 20), "WD-WCAV12345678     FW10E2  ");
}

TEST(SysInfoDecode, IdentifySerialWithoutZeroStopsAtTheEndOfTheData) {
    std::vector<std::uint8_t> id(64, 'x');
    EXPECT_EQ(SerialFromIdentify(id, 40), std::string(44, 'x'));
    EXPECT_EQ(SerialFromIdentify(std::vector<std::uint8_t>(20, 'x'), 40), "");
}

TEST(SysInfoDecode, DecodeSerialText) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"2020575744", "WWD"},    // hex, then trimmed
        {"5a4b", "ZK"},           // lower-case hex
        {"4 4\t", "@@"},          // blank, tab and line feed read as "0"
        {"570041", "W"},          // a decoded zero ends the text
        {"5700zz", "5700zz"},     // ... but a later non-hex digit still abandons the hex reading
        {"57001F", "57001F"},     // ... and so does a later unprintable byte
        {"WD-123 ", "WD-123"},    // no hex: copied, then trimmed
        {"\tWD\n", ""},           // a tab is no printable character either
        {"1F41", "1F41"},         // 0x1F is not printable: copied as text
        {"414", "414"},           // odd length: the last digit has no partner
        {"57 4", "57 4"},         // 0x04 is not printable
        {"WD\x01X", ""},          // a control character stops the copy: nothing
        {"\xC8\xFD", "\xC8\xFD"}, // high bytes whose low seven bits are printable pass
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeSerialText(c.in), c.out) << c.in;
}

std::vector<std::uint8_t> DescriptorWith(std::string_view serial, std::uint32_t offset = 200) {
    std::vector<std::uint8_t> answer(8192, 0);
    answer[24] = static_cast<std::uint8_t>(offset);
    answer[25] = static_cast<std::uint8_t>(offset >> 8);
    if (offset + serial.size() <= answer.size())
        std::memcpy(answer.data() + offset, serial.data(), serial.size());
    return answer;
}

TEST(SysInfoDecode, StorageSerialIsDecodedTrimmedThenSwapped) {
    // Hex text of "  DW1C" (as the drive keeps it, blanks first): decoded, trimmed to "DW1C",
    // then swapped to "WDC1".
    EXPECT_EQ(SerialFromStorageDescriptor(DescriptorWith("202044573143")), "WDC1");
    // Plain text of odd length loses its last character.
    EXPECT_EQ(SerialFromStorageDescriptor(DescriptorWith("abc")), "ba");
    EXPECT_EQ(SerialFromStorageDescriptor(DescriptorWith("wxyz")), "xwzy");
    // Text that reads as hex is hex: "abcd" is the two bytes 0xAB 0xCD.
    EXPECT_EQ(SerialFromStorageDescriptor(DescriptorWith("abcd")), "\xCD\xAB");
}

TEST(SysInfoDecode, StorageSerialOffsetsOutsideTheAnswerGiveNothing) {
    EXPECT_EQ(SerialFromStorageDescriptor(DescriptorWith("abcd", 0)), "");
    EXPECT_EQ(SerialFromStorageDescriptor(DescriptorWith("", 9000)), "");
    // A text that runs to the end of the answer without a zero ends there.
    auto answer = DescriptorWith("");
    std::memset(answer.data() + 8188, 'q', 4);
    answer[24] = static_cast<std::uint8_t>(8188 & 0xFF);
    answer[25] = static_cast<std::uint8_t>(8188 >> 8);
    EXPECT_EQ(SerialFromStorageDescriptor(answer), "qqqq");
    EXPECT_EQ(SerialFromStorageDescriptor(std::vector<std::uint8_t>(20, 0)), "");
}

TEST(SysInfoDecode, CpuSerialAndMacList) {
    EXPECT_EQ(FormatCpuSerial(0x000306A9, 0x00100800, 0x7FBAE3FF, 0xBFEBFBFF),
              L"000306A9-00100800-7FBAE3FF-BFEBFBFF");
    EXPECT_EQ(FormatMacList({}), L"");
    EXPECT_EQ(
        FormatMacList({{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}, {0xF0, 0xDE, 0xF1, 0x00, 0x00, 0x0A}}),
        L"00-1A-2B-3C-4D-5E,F0-DE-F1-00-00-0A");
    EXPECT_EQ(FormatMacList({{0xAB}, {}}), L"AB,");
}

TEST(SysInfoDecode, RoundCpuSpeedSnapsToTheNearerStep) {
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {2000, 2000}, {2009, 2000}, {2010, 2020}, {2026, 2020}, {2027, 2033},
        {2041, 2033}, {2042, 2050}, {2063, 2066}, {2085, 2090}, {2094, 2090},
        {2095, 2100}, {2099, 2100}, {2055, 2060}, // tie: the upper step
        {45, 50},     {0, 0},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(RoundCpuSpeed(in), out) << in;
}

TEST(SysInfoDecode, VendorTable) {
    // Twelve bytes; a shorter text is followed by zero bytes.
    const auto vendor = [](std::string_view text) {
        std::array<std::uint8_t, 12> bytes{};
        std::memcpy(bytes.data(), text.data(), std::min<std::size_t>(text.size(), 12));
        return VendorFromText(bytes);
    };
    EXPECT_EQ(vendor("GenuineIntel"), TVendor::cvIntel);
    EXPECT_EQ(vendor("AuthenticAMD"), TVendor::cvAMD);
    EXPECT_EQ(vendor("UMC UMC UMC "), TVendor::cvUMC);
    EXPECT_EQ(vendor("SiS SiS SiS"), TVendor::cvSiS); // the twelfth byte is zero
    EXPECT_EQ(vendor("SiS SiS SiS "), TVendor::cvUnknown);
    EXPECT_EQ(vendor("HygonGenuine"), TVendor::cvUnknown);
    EXPECT_EQ(VendorDefaultName(TVendor::cvCentaur), L"Centaur (VIA)");
    EXPECT_EQ(VendorDefaultName(TVendor::cvNSC), L"National Semiconductor");
    EXPECT_EQ(VendorDefaultName(TVendor::cvUnknown), L"Unknown");
}

TEST(SysInfoDecode, InstructionsAndTopology) {
    EXPECT_EQ(InstructionsDescription(0), L"");
    EXPECT_EQ(InstructionsDescription(iFPU | iSSE2 | iSSE3 | iExMMX), L"");
    EXPECT_EQ(InstructionsDescription(iX64 | i3DNow | iSSE | iMMX), L"MMX,SSE,3DNow!,X64");

    CpuTopologyInput amd{TVendor::cvAMD, 8u << 16, 0, false, 0, true, 3};
    EXPECT_EQ(CpuTopologyOf(amd).Cores, 4);
    EXPECT_EQ(CpuTopologyOf(amd).ThreadsPerCore, 2);
    CpuTopologyInput intel{TVendor::cvIntel, 8u << 16, 1u << 28, true, 3u << 26, false, 0};
    EXPECT_EQ(CpuTopologyOf(intel).Cores, 4);
    EXPECT_EQ(CpuTopologyOf(intel).ThreadsPerCore, 2);
    intel.Leaf1Edx = 0; // no hyper-threading flag: the counts stay 1 and 1
    EXPECT_EQ(CpuTopologyOf(intel).Cores, 1);
    EXPECT_EQ(CpuTopologyOf(intel).ThreadsPerCore, 1);
}

TEST(SysInfoDecode, OsText) {
    const auto os = [](std::uint32_t major, std::uint32_t minor, bool workstation,
                       std::uint16_t suite, std::wstring sp, std::uint16_t arch,
                       std::uint32_t product = 0) {
        return OsVersionToText({major, minor, workstation, suite, std::move(sp), arch, product});
    };
    EXPECT_EQ(os(5, 0, true, 0, L"", 0), L"Windows 2000 Professional X86");
    EXPECT_EQ(os(5, 0, false, 0x80, L"", 0), L"Windows 2000 DataCenter Server X86");
    EXPECT_EQ(os(5, 0, false, 0x02, L"", 0), L"Windows 2000 Advanced Server X86");
    EXPECT_EQ(os(5, 1, true, 0x200, L"Service Pack 3", 0),
              L"Windows XP Home Edition Service Pack 3 X86");
    EXPECT_EQ(os(5, 1, true, 0, L"", 0), L"Windows XP Professional X86");
    EXPECT_EQ(os(5, 2, false, 0x82, L"", 9), L"Windows Server 2003 DataCenter Edition X64");
    EXPECT_EQ(os(5, 2, false, 0x400, L"", 6), L"Windows Server 2003 Web Edition IA64");
    EXPECT_EQ(os(5, 2, false, 0x8000, L"", 0), L"Windows Server 2003 Home Server X86");
    EXPECT_EQ(os(5, 2, false, 0, L"", 5), L"Windows Server 2003 Standard Edition");
    EXPECT_EQ(os(6, 0, true, 0, L"", 0, 3), L"Windows Vista Home Premium Edition X86");
    EXPECT_EQ(os(6, 1, true, 0, L"Service Pack 1", 9, 48),
              L"Windows 7 Professional Edition Service Pack 1 X64");
    EXPECT_EQ(os(6, 1, false, 0, L"", 9, 8), L"Windows Server 2008 R2 Datacenter Edition X64");
    EXPECT_EQ(os(6, 0, false, 0, L"", 0, 99), L"Windows Server 2008 X86");
    EXPECT_EQ(os(6, 2, true, 0, L"", 0, 48), L"Unknown OS");
    EXPECT_EQ(os(10, 0, true, 0, L"", 9), L"Unknown OS");
}

TEST(SysInfoDecode, ProductEditions) {
    const std::pair<std::uint32_t, const wchar_t*> cases[] = {
        {1, L"Ultimate Edition"},
        {71, L"Ultimate Edition"},
        {5, L"Home Basic Edition"},
        {26, L"Home Premium Edition"},
        {41, L"Enterprise Edition"},
        {10, L"Enterprise Edition"},
        {16, L"Business Edition"},
        {36, L"Standard Edition"},
        {39, L"Datacenter Edition"},
        {35, L"Small Business Server"},
        {66, L"Starter Edition"},
        {29, L"Web Edition"},
        {20, L"Storage Server"},
        {23, L"Storage Server"},
        {69, L"Professional Edition"},
        {0, L""},
        {18, L""},
        {100, L""},
    };
    for (const auto& [code, text] : cases)
        EXPECT_EQ(ProductEditionText(code), text) << code;
}

} // namespace
} // namespace tn
