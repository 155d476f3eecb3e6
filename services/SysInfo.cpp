// The device and system calls of the machine information; the rules they feed live beside them.
#include "services/SysInfo.h"

#include "classlib/Handles.h"
#include "classlib/Registry.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <winioctl.h>

#include <cpuid.h>
#include <x86intrin.h>

#include <array>
#include <cstring>
#include <memory>

namespace tn {

namespace {

constexpr wchar_t kCpuKey[] = L"Hardware\\Description\\System\\CentralProcessor\\0";
constexpr int kDriveCount = 16;

std::wstring FromAnsi(const std::string& s) {
    if (s.empty()) return {};
    const int n =
        ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

std::wstring DriveName(int index) {
    return L"\\\\.\\PhysicalDrive" + std::to_wstring(index);
}

struct Regs {
    std::uint32_t a = 0, b = 0, c = 0, d = 0;
};

Regs Cpuid(std::uint32_t leaf) noexcept {
    Regs r;
    __cpuid(leaf, r.a, r.b, r.c, r.d);
    return r;
}

// A processor has CPUID when the ID flag (bit 21) of EFLAGS can be toggled.
bool HasCpuid() noexcept {
#if defined(__i386__)
    unsigned flags = 0, original = 0;
    __asm__ volatile("pushfl\n\t"
                     "pushfl\n\t"
                     "popl %0\n\t"
                     "movl %0, %1\n\t"
                     "xorl $0x200000, %0\n\t"
                     "pushl %0\n\t"
                     "popfl\n\t"
                     "pushfl\n\t"
                     "popl %0\n\t"
                     "popfl"
                     : "=&r"(flags), "=&r"(original)
                     :
                     : "cc");
    return ((flags ^ original) & 0x200000) != 0;
#else
    return true;
#endif
}

// Runs fn on the first processor, giving back the previous affinity afterwards.
template <typename Fn> void OnFirstProcessor(Fn&& fn) {
    const HANDLE process = ::GetCurrentProcess();
    DWORD_PTR processMask = 0, systemMask = 0;
    const bool pinned = ::GetProcessAffinityMask(process, &processMask, &systemMask) &&
                        processMask != 1 && ::SetProcessAffinityMask(process, 1);
    if (pinned) ::Sleep(0);
    fn();
    if (pinned) {
        ::SetProcessAffinityMask(process, processMask);
        ::Sleep(0);
    }
}

struct SidDeleter {
    void operator()(void* sid) const noexcept { ::FreeSid(sid); }
};
using UniqueSid = std::unique_ptr<void, SidDeleter>;

bool TokenHasEnabledGroup(HANDLE token, PSID sid) {
    DWORD size = 0;
    ::GetTokenInformation(token, TokenGroups, nullptr, 0, &size);
    if (size == 0) return false;
    std::vector<std::uint64_t> buffer((size + 7) / 8);
    if (!::GetTokenInformation(token, TokenGroups, buffer.data(), size, &size)) return false;
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
        const auto& g = groups->Groups[i];
        if (::EqualSid(g.Sid, sid) && (g.Attributes & SE_GROUP_ENABLED) &&
            !(g.Attributes & SE_GROUP_USE_FOR_DENY_ONLY))
            return true;
    }
    return false;
}

// The SMART IOCTLs answer into SENDCMDOUTPARAMS: identify data behind a 16-byte header.
std::string SerialFromSmartAnswer(const std::uint8_t* answer, std::size_t size,
                                  std::size_t swapBytes) {
    return SerialFromIdentify(std::span(answer + kSmartIdentifyOffset, size - kSmartIdentifyOffset),
                              swapBytes);
}

bool SmartVersion(HANDLE drive, std::array<std::uint8_t, 24>& version) noexcept {
    DWORD returned = 0;
    version.fill(0);
    return ::DeviceIoControl(drive, SMART_GET_VERSION, nullptr, 0, version.data(), version.size(),
                             &returned, nullptr) != 0;
}

UniqueHandleKernel OpenDrive(int index, DWORD access, DWORD share) noexcept {
    return UniqueHandleKernel(
        ::CreateFileW(DriveName(index).c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr));
}

} // namespace

bool IsAdmin() noexcept {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!::GetVersionExW(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT) return true;

    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID raw = nullptr;
    if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                    DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &raw))
        return false;
    const UniqueSid admins(raw);

    if (version.dwMajorVersion >= 5) {
        using CheckFn = BOOL(WINAPI*)(HANDLE, PSID, PBOOL);
        const HMODULE advapi = ::GetModuleHandleW(L"advapi32.dll");
        const auto check = advapi ? reinterpret_cast<CheckFn>(reinterpret_cast<void*>(
                                        ::GetProcAddress(advapi, "CheckTokenMembership")))
                                  : nullptr;
        BOOL member = FALSE;
        return check && check(nullptr, admins.get(), &member) && member;
    }
    UniqueHandleKernel token;
    if (!::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, token.put()) &&
        !::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()))
        return false;
    try {
        return TokenHasEnabledGroup(token.get(), admins.get());
    } catch (...) {
        return false;
    }
}

std::wstring GetCpuSerialText() {
    if (!HasCpuid()) return {};
    Regs r;
    OnFirstProcessor([&r] { r = Cpuid(1); });
    return FormatCpuSerial(r.a, r.b, r.c, r.d);
}

std::string HddSerialBySmart() {
    for (int drive = 0; drive < kDriveCount; ++drive) {
        const UniqueHandleKernel h =
            OpenDrive(drive, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
        if (!h) continue;
        std::array<std::uint8_t, 24> version;
        if (!SmartVersion(h.get(), version)) continue;
        const std::uint8_t deviceMap = version[3]; // bIDEDeviceMap
        if (deviceMap == 0) continue;

        std::array<std::uint8_t, 32> in{};
        in[0] = 0x00; // cBufferSize = 512, little-endian
        in[1] = 0x02;
        in[5] = 1; // sector count
        in[9] = (drive & 1) ? 0xB0 : 0xA0;
        in[10] =
            ((deviceMap >> drive) & 0x10) ? 0xA1 : 0xEC; // packet devices answer IDENTIFY PACKET
        in[12] = static_cast<std::uint8_t>(drive);
        std::array<std::uint8_t, 544> out{};
        DWORD returned = 0;
        if (!::DeviceIoControl(h.get(), SMART_RCV_DRIVE_DATA, in.data(), in.size(), out.data(),
                               out.size(), &returned, nullptr))
            continue;
        return SerialFromSmartAnswer(out.data(), out.size(), 40);
    }
    return {};
}

std::string HddSerialByStorageQuery() {
    for (int drive = 0; drive < kDriveCount; ++drive) {
        const UniqueHandleKernel h = OpenDrive(drive, 0, FILE_SHARE_READ | FILE_SHARE_WRITE);
        if (!h) continue;
        STORAGE_PROPERTY_QUERY query{};
        query.PropertyId = StorageDeviceProperty;
        query.QueryType = PropertyStandardQuery;
        static_assert(sizeof query == 12);
        std::vector<std::uint8_t> answer(8192);
        DWORD returned = 0;
        if (!::DeviceIoControl(h.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query,
                               answer.data(), static_cast<DWORD>(answer.size()), &returned,
                               nullptr))
            continue;
        if (std::string serial = SerialFromStorageDescriptor(answer); !serial.empty())
            return serial;
    }
    return {};
}

std::string HddSerialBySmartDirect() {
    for (int drive = 0; drive < kDriveCount; ++drive) {
        const UniqueHandleKernel h =
            OpenDrive(drive, GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        if (!h) continue;
        std::array<std::uint8_t, 24> version;
        if (!SmartVersion(h.get(), version)) continue;
        std::array<std::uint8_t, 33> in{};
        in[10] = 0xEC;
        std::array<std::uint8_t, 545> out{};
        DWORD returned = 0;
        if (!::DeviceIoControl(h.get(), SMART_RCV_DRIVE_DATA, in.data(), in.size(), out.data(),
                               out.size(), &returned, nullptr))
            continue;
        if (std::string serial = SerialFromSmartAnswer(out.data(), out.size(), 20); !serial.empty())
            return serial;
    }
    return {};
}

std::wstring TSysInfo::HDDSerial() const {
    std::string serial;
    if (IsAdmin()) serial = HddSerialBySmart();
    if (serial.empty()) serial = HddSerialByStorageQuery();
    if (serial.empty()) serial = HddSerialBySmartDirect();
    return FromAnsi(serial);
}

std::wstring TSysInfo::MacAddress() const {
    // One call into a fixed buffer: 21 adapter records; more adapters than that give no list.
    constexpr std::size_t kBufferSize = 13440;
    std::vector<IP_ADAPTER_INFO> buffer(kBufferSize / sizeof(IP_ADAPTER_INFO));
    ULONG size = static_cast<ULONG>(buffer.size() * sizeof(IP_ADAPTER_INFO));
    if (::GetAdaptersInfo(buffer.data(), &size) != ERROR_SUCCESS) return {};
    std::vector<std::vector<std::uint8_t>> addresses;
    for (const IP_ADAPTER_INFO* a = buffer.data(); a; a = a->Next) {
        const std::size_t len = std::min<std::size_t>(a->AddressLength, sizeof a->Address);
        addresses.emplace_back(a->Address, a->Address + len);
    }
    return FormatMacList(addresses);
}

namespace {

// Time-stamp counter against the performance counter over 10,000-count windows until three
// results agree, at time-critical priority so that the windows are not cut by other threads.
std::int32_t TscAgainstPerformanceCounter() {
    LARGE_INTEGER frequency;
    if (!::QueryPerformanceFrequency(&frequency) || frequency.QuadPart == 0) return 0;
    const HANDLE thread = ::GetCurrentThread();
    const int oldPriority = ::GetThreadPriority(thread);
    ::SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL);
    std::int64_t last[3] = {};
    std::int64_t speed = 0;
    for (int round = 1; round <= 20; ++round) {
        LARGE_INTEGER start, now;
        ::QueryPerformanceCounter(&start);
        const std::uint64_t tscStart = __rdtsc();
        do
            ::QueryPerformanceCounter(&now);
        while (now.QuadPart - start.QuadPart < 10000);
        const std::uint64_t tscEnd = __rdtsc();
        speed = static_cast<std::int64_t>(
            (tscEnd - tscStart) * static_cast<double>(frequency.QuadPart) /
            static_cast<double>(now.QuadPart - start.QuadPart) / 1000000.0);
        last[0] = last[1];
        last[1] = last[2];
        last[2] = speed;
        if (round >= 3) {
            const std::int64_t sum = last[0] + last[1] + last[2];
            bool steady = true;
            for (const std::int64_t v : last)
                steady = steady && (v * 3 - sum <= 3 && sum - v * 3 <= 3);
            if (steady) break;
        }
    }
    ::SetThreadPriority(thread, oldPriority);
    return static_cast<std::int32_t>(speed);
}

std::int32_t TscOverSleep() {
    LARGE_INTEGER frequency, start, end;
    if (!::QueryPerformanceFrequency(&frequency) || frequency.QuadPart == 0) return 0;
    ::QueryPerformanceCounter(&start);
    const std::uint64_t tscStart = __rdtsc();
    ::Sleep(200);
    const std::uint64_t tscEnd = __rdtsc();
    ::QueryPerformanceCounter(&end);
    const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) /
                           static_cast<double>(frequency.QuadPart);
    if (seconds <= 0) return 0;
    return static_cast<std::int32_t>(static_cast<double>(tscEnd - tscStart) / seconds / 1000000.0);
}

void ReadCpuInfoInto(TCPU& cpu) {
    if (!HasCpuid()) return;
    cpu.Serial = GetCpuSerialText();

    const Regs leaf0 = Cpuid(0);
    std::array<std::uint8_t, 12> vendorText;
    std::memcpy(vendorText.data(), &leaf0.b, 4);
    std::memcpy(vendorText.data() + 4, &leaf0.d, 4);
    std::memcpy(vendorText.data() + 8, &leaf0.c, 4);
    cpu.Vendor = VendorFromText(vendorText);

    CpuTopologyInput topology;
    topology.Vendor = cpu.Vendor;
    if (leaf0.a >= 1) {
        const Regs leaf1 = Cpuid(1);
        topology.Leaf1Ebx = leaf1.b;
        topology.Leaf1Edx = leaf1.d;
        if (leaf1.d & (1u << 0)) cpu.Instructions |= iFPU;
        if (leaf1.d & (1u << 23)) cpu.Instructions |= iMMX;
        if (leaf1.d & (1u << 25)) cpu.Instructions |= iSSE;
        if (leaf1.d & (1u << 26)) cpu.Instructions |= iSSE2;
        if (leaf1.c & (1u << 0)) cpu.Instructions |= iSSE3;
    }
    if (leaf0.a >= 4) {
        topology.HasLeaf4 = true;
        unsigned a, b, c, d;
        __cpuid_count(4, 0, a, b, c, d);
        topology.Leaf4Eax = a;
    }
    const std::uint32_t maxExtended = Cpuid(0x80000000).a;
    if (maxExtended >= 0x80000001) {
        const std::uint32_t edx = Cpuid(0x80000001).d;
        if (edx & (1u << 29)) cpu.Instructions |= iX64;
        if (edx & (1u << 22)) cpu.Instructions |= iExMMX;
        if (edx & (1u << 30)) cpu.Instructions |= iEx3DNow;
        if (edx & (1u << 31)) cpu.Instructions |= i3DNow;
    }
    if (maxExtended >= 0x80000008) {
        topology.HasExt8 = true;
        topology.Ext8Ecx = Cpuid(0x80000008).c;
    }
    const CpuTopology t = CpuTopologyOf(topology);
    cpu.Cores = t.Cores;
    cpu.ThreadsPerCore = t.ThreadsPerCore;

    TRegistry reg(HKEY_LOCAL_MACHINE, KEY_READ);
    const bool keyOpen = reg.OpenKeyReadOnly(kCpuKey);
    if (keyOpen && reg.ValueExists(L"~MHz")) cpu.Speed = reg.ReadInteger(L"~MHz");
    if (cpu.Speed == 0)
        cpu.Speed =
            std::max(RoundCpuSpeed(TscAgainstPerformanceCounter()), RoundCpuSpeed(TscOverSleep()));
    if (keyOpen) cpu.Name = reg.ReadString(L"ProcessorNameString");
    if (cpu.Name.empty()) cpu.Name = VendorDefaultName(cpu.Vendor);
}

// Every value gathered before a failing read is kept: the serial, which comes first, feeds the
// machine id whatever the registry holds.
TCPU ReadCpuInfo() noexcept {
    TCPU cpu;
    try {
        ReadCpuInfoInto(cpu);
    } catch (...) {
        // A registry value of an unexpected type leaves the rest at its default.
    }
    return cpu;
}

} // namespace

void TSysInfo::GatherCpu() {
    if (FCpuInit) return;
    FCpuInit = true;
    const TCPU cpu = ReadCpuInfo();
    FCPUName = cpu.Name;
    FCPUCores = cpu.Cores;
    FCPUSpeed = cpu.Speed;
    FCPUThreadsPerCore = cpu.ThreadsPerCore;
    FCPUSerial = cpu.Serial;
    FSupportedInstructionsDescription = InstructionsDescription(cpu.Instructions);
}

const std::wstring& TSysInfo::CPUName() {
    return GatherCpu(), FCPUName;
}
std::uint8_t TSysInfo::CPUCores() {
    return GatherCpu(), FCPUCores;
}
const std::wstring& TSysInfo::CPUSerial() {
    return GatherCpu(), FCPUSerial;
}
std::int32_t TSysInfo::CPUSpeed() {
    return GatherCpu(), FCPUSpeed;
}
std::uint8_t TSysInfo::CPUThreadsPerCore() {
    return GatherCpu(), FCPUThreadsPerCore;
}
const std::wstring& TSysInfo::SupportedInstructionsDescription() {
    return GatherCpu(), FSupportedInstructionsDescription;
}

void TSysInfo::GatherMemory() {
    if (FMemoryInit) return;
    FMemoryInit = true;
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!::GlobalMemoryStatusEx(&status)) return;
    FTotalPhysicalMemory = static_cast<std::int32_t>(status.ullTotalPhys / 1048576);
    FAvailablePhysicalMemory = static_cast<std::int32_t>(status.ullAvailPhys / 1048576);
}

std::int32_t TSysInfo::TotalPhysicalMemory() {
    return GatherMemory(), FTotalPhysicalMemory;
}
std::int32_t TSysInfo::AvailablePhysicalMemory() {
    return GatherMemory(), FAvailablePhysicalMemory;
}

const std::wstring& TSysInfo::OSDescription() {
    if (!FOSDescription.empty()) return FOSDescription;
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) return FOSDescription;
    OsVersionFacts os;
    os.Major = version.dwMajorVersion;
    os.Minor = version.dwMinorVersion;
    os.Workstation = version.wProductType == VER_NT_WORKSTATION;
    os.SuiteMask = version.wSuiteMask;
    os.ServicePack = version.szCSDVersion;
    SYSTEM_INFO system{};
    ::GetNativeSystemInfo(&system);
    os.Architecture = system.wProcessorArchitecture;
    if (os.Major == 6) {
        using ProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);
        const auto productInfo = reinterpret_cast<ProductInfoFn>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetProductInfo")));
        DWORD type = 0;
        if (productInfo && productInfo(os.Major, os.Minor, version.wServicePackMajor,
                                       version.wServicePackMinor, &type))
            os.ProductType = type;
    }
    FOSDescription = OsVersionToText(os);
    return FOSDescription;
}

} // namespace tn
