// What the machine is: processor, memory, operating system, network adapters and the first fixed
// disk. The CPU serial, disk serial and MAC list feed the machine id and are exact byte for byte.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tn {

enum class TVendor {
    cvUnknown,
    cvAMD,
    cvCentaur,
    cvCyrix,
    cvIntel,
    cvTransmeta,
    cvNexGen,
    cvRise,
    cvUMC,
    cvNSC,
    cvSiS
};

enum TInstruction : std::uint16_t {
    iFPU = 1 << 0,
    iMMX = 1 << 1,
    iSSE = 1 << 2,
    iSSE2 = 1 << 3,
    iSSE3 = 1 << 4,
    iX64 = 1 << 5,
    iExMMX = 1 << 6,
    iEx3DNow = 1 << 7,
    i3DNow = 1 << 8,
};
using TInstructions = std::uint16_t; // a set of TInstruction bits

struct TCPU {
    TVendor Vendor = TVendor::cvUnknown;
    std::wstring Name;
    std::uint8_t Cores = 0;
    std::uint8_t ThreadsPerCore = 0;
    std::int32_t Speed = 0;
    std::wstring Serial;
    TInstructions Instructions = 0;
};

class TSysInfo {
public:
    TSysInfo() = default;

    [[nodiscard]] const std::wstring& CPUName();
    [[nodiscard]] std::uint8_t CPUCores();
    [[nodiscard]] const std::wstring& CPUSerial();
    [[nodiscard]] std::int32_t CPUSpeed();
    [[nodiscard]] std::uint8_t CPUThreadsPerCore();
    [[nodiscard]] const std::wstring& SupportedInstructionsDescription();
    [[nodiscard]] std::int32_t TotalPhysicalMemory();
    [[nodiscard]] std::int32_t AvailablePhysicalMemory();
    [[nodiscard]] const std::wstring& OSDescription();
    // Both asked afresh on every call.
    [[nodiscard]] std::wstring HDDSerial() const;
    [[nodiscard]] std::wstring MacAddress() const;

private:
    void GatherCpu();
    void GatherMemory();

    bool FCpuInit = false;
    bool FMemoryInit = false;
    std::wstring FCPUName;
    std::uint8_t FCPUCores = 0;
    std::int32_t FCPUSpeed = 0;
    std::uint8_t FCPUThreadsPerCore = 0;
    std::int32_t FTotalPhysicalMemory = 0;
    std::int32_t FAvailablePhysicalMemory = 0;
    std::wstring FOSDescription;
    std::wstring FSupportedInstructionsDescription;
    std::wstring FCPUSerial;
};

// Administrators group membership; always true outside the NT family.
[[nodiscard]] bool IsAdmin() noexcept;
// CPUID leaf 1 on the first processor, "%.8X-%.8X-%.8X-%.8X"; empty without CPUID.
[[nodiscard]] std::wstring GetCpuSerialText();
// Every method below returns the empty text when it finds nothing.
[[nodiscard]] std::string HddSerialBySmart();
[[nodiscard]] std::string HddSerialByStorageQuery();
[[nodiscard]] std::string HddSerialBySmartDirect();

// --- Byte-level rules, kept apart from the device calls so that fixtures can hold them ---------

// Identify data starts this far into a SMART answer.
inline constexpr std::size_t kSmartIdentifyOffset = 16;
// The serial of ATA identify data: swapBytes bytes from byte 20 are pair-swapped, then the text
// runs from byte 20 to the first zero byte (past the serial's own words if need be), and at the
// latest to the end of the data.
[[nodiscard]] std::string SerialFromIdentify(std::span<const std::uint8_t> identify,
                                             std::size_t swapBytes);
// Hex-encoded or plain serial text to plain text, blanks trimmed; empty when it is neither.
[[nodiscard]] std::string DecodeSerialText(std::string_view source);
// The serial of a storage device descriptor answer: the text at its serial-number offset,
// decoded, trimmed and then pair-swapped over a 1,024-byte buffer.
[[nodiscard]] std::string SerialFromStorageDescriptor(std::span<const std::uint8_t> answer);

[[nodiscard]] std::wstring FormatCpuSerial(std::uint32_t eax, std::uint32_t ebx, std::uint32_t ecx,
                                           std::uint32_t edx);
// Adapters' addresses as "XX-XX-..", joined by ",".
[[nodiscard]] std::wstring FormatMacList(const std::vector<std::vector<std::uint8_t>>& addresses);
// Snaps the last two digits of a clock speed to the usual steps.
[[nodiscard]] std::int32_t RoundCpuSpeed(std::int32_t speed) noexcept;

// The 12 bytes of CPUID leaf 0 (EBX, EDX, ECX).
[[nodiscard]] TVendor VendorFromText(std::span<const std::uint8_t, 12> vendor) noexcept;
[[nodiscard]] std::wstring VendorDefaultName(TVendor vendor);
[[nodiscard]] std::wstring InstructionsDescription(TInstructions set);

// Core and thread counts from the CPUID answers; the leaves that do not exist are passed as absent.
struct CpuTopologyInput {
    TVendor Vendor = TVendor::cvUnknown;
    std::uint32_t Leaf1Ebx = 0, Leaf1Edx = 0;
    bool HasLeaf4 = false;
    std::uint32_t Leaf4Eax = 0;
    bool HasExt8 = false;
    std::uint32_t Ext8Ecx = 0;
};
struct CpuTopology {
    std::uint8_t Cores = 1;
    std::uint8_t ThreadsPerCore = 1;
};
[[nodiscard]] CpuTopology CpuTopologyOf(const CpuTopologyInput& in) noexcept;

struct OsVersionFacts {
    std::uint32_t Major = 0, Minor = 0;
    bool Workstation = false;
    std::uint16_t SuiteMask = 0;
    std::wstring ServicePack;
    std::uint16_t Architecture = 0;
    std::uint32_t ProductType = 0; // from the product-info call, version 6 only
};
[[nodiscard]] std::wstring OsVersionToText(const OsVersionFacts& os);
[[nodiscard]] std::wstring ProductEditionText(std::uint32_t productType);

} // namespace tn
