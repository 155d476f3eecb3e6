// What drives and adapters answer: the serial-number text, SMART identify data, the storage
// property answer and the adapters' addresses. Each routine reads only the bytes it is given; a
// serial is printable text no longer than its source; the MAC list gives back every address byte;
// the machine id over them is always 32 lower-case hex digits.
#include "FuzzSupport.h"
#include "services/Statistics.h"
#include "services/SysInfo.h"

#include <algorithm>
#include <span>
#include <vector>

namespace {

bool Printable(std::string_view s) {
    for (const char c : s) {
        const unsigned low = static_cast<unsigned char>(c) & 0x7Fu;
        if (low < 32 || low == 127) return false;
    }
    return true;
}

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// Reads the list back: groups of two upper-case hex digits joined by "-", adapters by ",".
bool ListHolds(std::wstring_view list, const std::vector<std::vector<std::uint8_t>>& adapters) {
    std::size_t at = 0;
    for (std::size_t a = 0; a < adapters.size(); ++a) {
        if (a && (at >= list.size() || list[at++] != L',')) return false;
        for (std::size_t i = 0; i < adapters[a].size(); ++i) {
            if (i && (at >= list.size() || list[at++] != L'-')) return false;
            if (list.size() - at < 2) return false;
            const int hi = HexDigit(list[at]), lo = HexDigit(list[at + 1]);
            if (hi < 0 || lo < 0 || (hi << 4 | lo) != adapters[a][i]) return false;
            at += 2;
        }
    }
    return at == list.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tn;
    const std::span<const std::uint8_t> bytes(data, size);

    const std::string serial =
        DecodeSerialText(std::string_view(reinterpret_cast<const char*>(data), size));
    TN_FUZZ_CHECK(serial.size() <= size);
    TN_FUZZ_CHECK(Printable(serial));
    TN_FUZZ_CHECK(serial.empty() || (!Blank(serial.front()) && !Blank(serial.back())));

    // The SMART method swaps the serial words and the ones after them, the direct method the
    // serial words only.
    for (const std::size_t swapBytes : {40u, 20u}) {
        const std::string identify = SerialFromIdentify(bytes, swapBytes);
        TN_FUZZ_CHECK(size > 20 ? identify.size() <= size - 20 : identify.empty());
        TN_FUZZ_CHECK(identify.find('\0') == std::string::npos);
    }

    const std::string storage = SerialFromStorageDescriptor(bytes);
    TN_FUZZ_CHECK(storage.size() < 1024 && storage.size() <= size);
    TN_FUZZ_CHECK(Printable(storage));

    // The same bytes as adapter records: a length byte, then that many address bytes. A record
    // holds eight address bytes at most, and the adapter call's buffer 21 records.
    std::vector<std::vector<std::uint8_t>> adapters;
    for (std::size_t at = 0; at < size && adapters.size() < 21;) {
        const std::size_t len = std::min<std::size_t>(data[at] % 9, size - at - 1);
        adapters.emplace_back(data + at + 1, data + at + 1 + len);
        at += 1 + len;
    }
    const std::wstring macs = FormatMacList(adapters);
    TN_FUZZ_CHECK(ListHolds(macs, adapters));

    std::wstring disk;
    for (const unsigned char c : storage)
        disk.push_back(c);
    const std::wstring id =
        MachineIdOf(FormatCpuSerial(0x000306A9, 0x00100800, 0x7FBAE3FF, 0xBFEBFBFF), disk, macs);
    TN_FUZZ_CHECK(id.size() == 32 &&
                  id.find_first_not_of(L"0123456789abcdef") == std::wstring::npos);
    return 0;
}
