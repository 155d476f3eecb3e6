// MD5 digests (RFC 1321) and their hex text. The string digest's input bytes are part of the
// machine id the statistics server keys on, so they are fixed: see Md5String.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tn {

using Md5Digest = std::array<std::uint8_t, 16>;

struct Md5Context {
    std::uint32_t State[4];
    std::uint32_t Count[2]; // bits processed, low word first
    std::uint8_t Buffer[64];
};

void Md5Init(Md5Context& context) noexcept;
void Md5Update(Md5Context& context, const void* bytes, std::size_t count) noexcept;
// Pads, appends the bit count, and wipes the context.
[[nodiscard]] Md5Digest Md5Final(Md5Context& context) noexcept;
void Md5Transform(std::uint32_t (&state)[4], const std::uint8_t* block) noexcept;

[[nodiscard]] Md5Digest Md5Buffer(const void* bytes, std::size_t count) noexcept;
// Digest of the first N bytes of the UTF-16LE text, N being its length in UTF-16 units. That is
// half of the text (N bytes, not 2N); the machine ids have always been computed this way.
[[nodiscard]] Md5Digest Md5String(std::wstring_view s);
// 32 lower-case hex digits, byte 0 first.
[[nodiscard]] std::wstring DigestToHex(const Md5Digest& digest);

} // namespace tn
