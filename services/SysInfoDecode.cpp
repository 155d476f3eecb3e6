// The byte-level rules of the machine information: no device or system call here.
#include "services/SysInfo.h"

#include <algorithm>
#include <cstring>

namespace tn {

namespace {

bool IsPrintable(std::uint8_t b) noexcept {
    const unsigned low = b & 0x7Fu;
    return low >= 32 && low != 127;
}

bool IsBlank(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n';
}

int HexValue(char c) noexcept {
    if (IsBlank(c)) return 0;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The zero-terminated text at bytes[from], ending at the buffer's end at the latest.
std::string TextAt(std::span<const std::uint8_t> bytes, std::size_t from) {
    std::string out;
    for (std::size_t i = from; i < bytes.size() && bytes[i] != 0; ++i)
        out.push_back(static_cast<char>(bytes[i]));
    return out;
}

std::uint32_t LoadLe32(std::span<const std::uint8_t> bytes, std::size_t at) noexcept {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

void SwapPairs(std::uint8_t* bytes, std::size_t count) noexcept {
    for (std::size_t i = 0; i + 1 < count; i += 2)
        std::swap(bytes[i], bytes[i + 1]);
}

} // namespace

std::string SerialFromIdentify(std::span<const std::uint8_t> identify, std::size_t swapBytes) {
    constexpr std::size_t kSerialAt = 20;
    if (identify.size() <= kSerialAt) return {};
    std::vector<std::uint8_t> data(identify.begin(), identify.end());
    SwapPairs(data.data() + kSerialAt, std::min(swapBytes, data.size() - kSerialAt));
    return TextAt(data, kSerialAt);
}

std::string DecodeSerialText(std::string_view source) {
    // Hexadecimal first: two digits a byte. A decoded zero ends the text, but the digits after it
    // are still read, and one that is not hex abandons the hex reading all the same.
    std::string out;
    bool hex = true, ended = false;
    for (std::size_t i = 0; i < source.size(); i += 2) {
        const int hi = HexValue(source[i]);
        const int lo = i + 1 < source.size() ? HexValue(source[i + 1]) : -1;
        if (hi < 0 || lo < 0) {
            hex = false;
            break;
        }
        const auto b = static_cast<std::uint8_t>(hi << 4 | lo);
        if (b == 0) {
            ended = true;
            continue;
        }
        if (!IsPrintable(b)) {
            hex = false;
            break;
        }
        if (!ended) out.push_back(static_cast<char>(b));
    }
    if (!hex) {
        out.clear();
        for (const char c : source) {
            if (!IsPrintable(static_cast<std::uint8_t>(c))) return {};
            out.push_back(c);
        }
    }
    std::size_t b = 0, e = out.size();
    while (b < e && IsBlank(out[b]))
        ++b;
    while (e > b && IsBlank(out[e - 1]))
        --e;
    return out.substr(b, e - b);
}

std::string SerialFromStorageDescriptor(std::span<const std::uint8_t> answer) {
    constexpr std::size_t kSerialOffsetAt = 24; // STORAGE_DEVICE_DESCRIPTOR.SerialNumberOffset
    if (answer.size() < kSerialOffsetAt + 4) return {};
    const std::uint32_t offset = LoadLe32(answer, kSerialOffsetAt);
    if (offset == 0 || offset >= answer.size()) return {};
    const std::string decoded = DecodeSerialText(TextAt(answer, offset));
    // The decoded text sits in a zeroed 1,024-byte buffer whose every pair is swapped, so the last
    // character of an odd-length text moves behind the terminator.
    std::uint8_t buffer[1024] = {};
    std::memcpy(buffer, decoded.data(), std::min(decoded.size(), sizeof buffer - 1));
    SwapPairs(buffer, sizeof buffer);
    return TextAt(buffer, 0);
}

std::wstring FormatCpuSerial(std::uint32_t eax, std::uint32_t ebx, std::uint32_t ecx,
                             std::uint32_t edx) {
    static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring out;
    for (const std::uint32_t r : {eax, ebx, ecx, edx}) {
        if (!out.empty()) out.push_back(L'-');
        for (int shift = 28; shift >= 0; shift -= 4)
            out.push_back(kHex[(r >> shift) & 0xF]);
    }
    return out;
}

std::wstring FormatMacList(const std::vector<std::vector<std::uint8_t>>& addresses) {
    static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring out;
    for (std::size_t a = 0; a < addresses.size(); ++a) {
        if (a) out.push_back(L',');
        for (std::size_t i = 0; i < addresses[a].size(); ++i) {
            if (i) out.push_back(L'-');
            out.push_back(kHex[addresses[a][i] >> 4]);
            out.push_back(kHex[addresses[a][i] & 0xF]);
        }
    }
    return out;
}

std::int32_t RoundCpuSpeed(std::int32_t speed) noexcept {
    static constexpr std::int32_t kSteps[] = {0, 20, 33, 50, 60, 66, 80, 90, 100, 133};
    const std::int32_t r = speed % 100;
    for (std::size_t i = 1; i < std::size(kSteps); ++i) {
        if (kSteps[i] > r) {
            const std::int32_t nearer =
                r - kSteps[i - 1] < kSteps[i] - r ? kSteps[i - 1] : kSteps[i];
            return speed - r + nearer;
        }
    }
    return speed;
}

TVendor VendorFromText(std::span<const std::uint8_t, 12> vendor) noexcept {
    struct Row {
        TVendor Vendor;
        char Text[13];
    };
    static constexpr Row kRows[] = {
        {TVendor::cvAMD, "AuthenticAMD"},
        {TVendor::cvCentaur, "CentaurHauls"},
        {TVendor::cvCyrix, "CyrixInstead"},
        {TVendor::cvIntel, "GenuineIntel"},
        {TVendor::cvTransmeta, "GenuineTMx86"},
        {TVendor::cvNexGen, "NexGenDriven"},
        {TVendor::cvRise, "RiseRiseRise"},
        {TVendor::cvUMC, "UMC UMC UMC "},
        {TVendor::cvNSC, "Geode by NSC"},
        {TVendor::cvSiS, "SiS SiS SiS"}, // twelfth byte zero
    };
    for (auto row = std::rbegin(kRows); row != std::rend(kRows); ++row)
        if (std::memcmp(row->Text, vendor.data(), 12) == 0) return row->Vendor;
    return TVendor::cvUnknown;
}

std::wstring VendorDefaultName(TVendor vendor) {
    switch (vendor) {
    case TVendor::cvAMD:
        return L"AMD";
    case TVendor::cvCentaur:
        return L"Centaur (VIA)";
    case TVendor::cvCyrix:
        return L"Cyrix";
    case TVendor::cvIntel:
        return L"Intel";
    case TVendor::cvTransmeta:
        return L"Transmeta";
    case TVendor::cvNexGen:
        return L"NexGen";
    case TVendor::cvRise:
        return L"Rise";
    case TVendor::cvUMC:
        return L"UMC";
    case TVendor::cvNSC:
        return L"National Semiconductor";
    case TVendor::cvSiS:
        return L"SiS";
    case TVendor::cvUnknown:
        break;
    }
    return L"Unknown";
}

std::wstring InstructionsDescription(TInstructions set) {
    std::wstring out;
    const std::pair<TInstruction, const wchar_t*> kNames[] = {
        {iMMX, L"MMX"}, {iSSE, L"SSE"}, {i3DNow, L"3DNow!"}, {iX64, L"X64"}};
    for (const auto& [bit, name] : kNames) {
        if (!(set & bit)) continue;
        if (!out.empty()) out.push_back(L',');
        out += name;
    }
    return out;
}

CpuTopology CpuTopologyOf(const CpuTopologyInput& in) noexcept {
    CpuTopology t;
    std::uint32_t logical = (in.Leaf1Ebx >> 16) & 0xFF;
    if (logical == 0) logical = 1;
    std::uint32_t cores = 0;
    if (in.Vendor == TVendor::cvAMD) {
        cores = in.HasExt8 ? (in.Ext8Ecx & 0xFF) + 1 : 1;
    } else if (in.Vendor == TVendor::cvIntel && (in.Leaf1Edx & (1u << 28))) {
        cores = in.HasLeaf4 ? ((in.Leaf4Eax >> 26) & 0x3F) + 1 : 1;
    } else {
        return t;
    }
    t.Cores = static_cast<std::uint8_t>(cores);
    t.ThreadsPerCore = static_cast<std::uint8_t>(logical / cores);
    return t;
}

std::wstring ProductEditionText(std::uint32_t productType) {
    struct Edition {
        std::uint8_t Codes[8]; // zero-padded
        const wchar_t* Text;
    };
    static constexpr Edition kEditions[] = {
        {{1, 28, 71}, L"Ultimate Edition"},
        {{2, 5, 67}, L"Home Basic Edition"},
        {{3, 26, 68}, L"Home Premium Edition"},
        {{4, 27, 70, 10, 14, 15, 38, 41}, L"Enterprise Edition"},
        {{6, 16}, L"Business Edition"},
        {{7, 13, 36}, L"Standard Edition"},
        {{8, 12, 37, 39}, L"Datacenter Edition"},
        {{9, 24, 35}, L"Small Business Server"},
        {{11, 47, 66}, L"Starter Edition"},
        {{17, 29}, L"Web Edition"},
        {{20, 21, 22, 23}, L"Storage Server"},
        {{48, 49, 69}, L"Professional Edition"},
    };
    if (productType == 0 || productType > 0xFF) return {};
    for (const Edition& e : kEditions)
        for (const std::uint8_t code : e.Codes)
            if (code == productType) return e.Text;
    return {};
}

std::wstring OsVersionToText(const OsVersionFacts& os) {
    // Suite bits of the version information.
    constexpr std::uint16_t kSmallBusiness = 0x0001, kEnterprise = 0x0002, kDataCenter = 0x0080,
                            kPersonal = 0x0200, kBlade = 0x0400, kHomeServer = 0x8000;
    std::wstring text;
    const auto add = [&text](const std::wstring& part) {
        text = text.empty() ? part : text + L" " + part;
    };
    const auto suite = [&os](std::uint16_t bit) { return (os.SuiteMask & bit) != 0; };
    if (os.Major == 5 && os.Minor == 0) {
        add(L"Windows 2000");
        if (os.Workstation)
            add(L"Professional");
        else if (suite(kDataCenter))
            add(L"DataCenter Server");
        else if (suite(kEnterprise))
            add(L"Advanced Server");
        else
            add(L"Server");
    } else if (os.Major == 5 && os.Minor == 1) {
        add(L"Windows XP");
        if (!os.Workstation)
            add(L"Server");
        else
            add(suite(kPersonal) ? L"Home Edition" : L"Professional");
    } else if (os.Major == 5 && os.Minor == 2) {
        add(L"Windows Server 2003");
        if (suite(kDataCenter))
            add(L"DataCenter Edition");
        else if (suite(kEnterprise))
            add(L"Enterprise Edition");
        else if (suite(kBlade))
            add(L"Web Edition");
        else if (suite(kSmallBusiness))
            add(L"Small Business Edition");
        else if (suite(kHomeServer))
            add(L"Home Server");
        else
            add(L"Standard Edition");
    } else if (os.Major == 6 && (os.Minor == 0 || os.Minor == 1)) {
        if (os.Minor == 0)
            add(os.Workstation ? L"Windows Vista" : L"Windows Server 2008");
        else
            add(os.Workstation ? L"Windows 7" : L"Windows Server 2008 R2");
        if (const std::wstring edition = ProductEditionText(os.ProductType); !edition.empty())
            add(edition);
    } else {
        return L"Unknown OS";
    }
    if (!os.ServicePack.empty()) add(os.ServicePack);
    switch (os.Architecture) {
    case 0:
        add(L"X86");
        break;
    case 6:
        add(L"IA64");
        break;
    case 9:
        add(L"X64");
        break;
    default:
        break;
    }
    return text;
}

} // namespace tn
