// PNG decoding on zlib's inflate: every colour type, bit depth and interlace method, CRCs checked.
// Makes no Win32 call, so it builds natively for the sanitizer and fuzz runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tn::png {

// Decoded picture: top-down rows of 4-byte pixels in B, G, R, A order, alpha not premultiplied.
struct Image {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool hasAlpha = false; // an alpha channel or a tRNS chunk was present
    std::vector<std::uint8_t> bgra;
};

struct Limits {
    // Refuses pictures larger than this before any pixel memory is taken.
    std::uint64_t maxPixels = std::uint64_t{1} << 26;
};

// True and the picture in out, or false and a one-line reason in error (out is then empty).
// Never reads past data + size, whatever the bytes are.
[[nodiscard]] bool Decode(const std::uint8_t* data, std::size_t size, Image& out,
                          std::string& error, const Limits& limits = {}) noexcept;

// Whether the bytes begin with the PNG signature.
[[nodiscard]] bool HasSignature(const std::uint8_t* data, std::size_t size) noexcept;

} // namespace tn::png
