// Any bytes go in; the decoder must refuse or decode them without a sanitizer finding.
#include "classlib/Png.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

void DecodeOnce(const std::uint8_t* data, std::size_t size) {
    tn::png::Image img;
    std::string error;
    // A small limit keeps each run quick; the size rules are the same at any limit.
    if (tn::png::Decode(data, size, img, error, {.maxPixels = 1u << 20})) {
        if (img.bgra.size() != std::size_t{img.width} * img.height * 4) __builtin_trap();
    } else if (error.empty() || !img.bgra.empty()) {
        __builtin_trap();
    }
}

// Most mutations break a CRC, and the decoder would stop at the first chunk; a copy with every
// chunk's CRC made right lets the mutations reach the chunk rules and the pixel code.
std::vector<std::uint8_t> WithCrcsFixed(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> b(data, data + size);
    std::size_t p = 8;
    while (p + 12 <= b.size()) {
        const std::size_t len = std::size_t{b[p]} << 24 | std::size_t{b[p + 1]} << 16 |
                                std::size_t{b[p + 2]} << 8 | b[p + 3];
        if (len > b.size() - p - 12) break;
        const uLong crc = crc32(0, b.data() + p + 4, static_cast<uInt>(len + 4));
        for (int i = 0; i < 4; ++i)
            b[p + 8 + len + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        p += len + 12;
    }
    return b;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DecodeOnce(data, size);
    const auto fixed = WithCrcsFixed(data, size);
    DecodeOnce(fixed.data(), fixed.size());
    return 0;
}
