#include "services/SysInfo.h"

#include "classlib/Handles.h"
#include "classlib/Text.h"

#include <windows.h>
#include <iphlpapi.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

namespace tn {
namespace {

std::string Narrow(const std::wstring& s) {
    return text::ToUtf8(s);
}

// The adapters' addresses as the system lists them, formatted here: the oracle of the MAC list.
std::string AdapterAddresses() {
    ULONG size = 0;
    if (::GetAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW) return {};
    std::vector<std::uint8_t> buffer(size);
    auto* first = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
    if (::GetAdaptersInfo(first, &size) != ERROR_SUCCESS) return {};
    std::string out;
    for (const IP_ADAPTER_INFO* a = first; a; a = a->Next) {
        if (!out.empty()) out += ',';
        for (UINT i = 0; i < a->AddressLength && i < sizeof a->Address; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, i ? "-%02X" : "%02X", a->Address[i]);
            out += hex;
        }
    }
    return out;
}

// Whether the first disk names a serial of itself, asked without the code under test: its
// storage descriptor, or a SMART driver at all.
bool DiskReportsASerial() {
    const UniqueHandleKernel drive(::CreateFileW(L"\\\\.\\PhysicalDrive0", 0,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                 OPEN_EXISTING, 0, nullptr));
    if (!drive) return false;
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    std::vector<std::uint8_t> answer(4096);
    DWORD returned = 0;
    if (::DeviceIoControl(drive.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query,
                          answer.data(), static_cast<DWORD>(answer.size()), &returned, nullptr) &&
        returned >= sizeof(STORAGE_DEVICE_DESCRIPTOR)) {
        const auto* descriptor = reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(answer.data());
        const DWORD at = descriptor->SerialNumberOffset;
        if (at != 0 && at < returned && answer[at] != 0) return true;
    }
    GETVERSIONINPARAMS version{};
    return ::DeviceIoControl(drive.get(), SMART_GET_VERSION, nullptr, 0, &version, sizeof version,
                             &returned, nullptr) != FALSE;
}

TEST(SysInfo, IdentityInputsHaveTheirTextForms) {
    TSysInfo info;
    EXPECT_TRUE(
        std::regex_match(Narrow(info.CPUSerial()), std::regex("[0-9A-F]{8}(-[0-9A-F]{8}){3}")))
        << Narrow(info.CPUSerial());
    // Read on the first processor, so another object (and another run) gets the same serial.
    EXPECT_EQ(TSysInfo().CPUSerial(), info.CPUSerial());

    // This platform lists the host's adapters; the list is theirs, in the system's order.
    const std::string adapters = AdapterAddresses();
    ASSERT_FALSE(adapters.empty()) << "no adapter listed here";
    EXPECT_EQ(Narrow(info.MacAddress()), adapters);

    // Here the disk opens but names no serial (no descriptor text, no SMART): none is made up.
    const std::wstring disk = info.HDDSerial();
    if (DiskReportsASerial())
        EXPECT_FALSE(disk.empty());
    else
        EXPECT_EQ(disk, L"");
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
