#include "services/Md5.h"

#include "classlib/Text.h"

#include <cstring>

namespace tn {

namespace {

constexpr std::uint32_t F(std::uint32_t x, std::uint32_t y, std::uint32_t z) noexcept {
    return (x & y) | (~x & z);
}
constexpr std::uint32_t G(std::uint32_t x, std::uint32_t y, std::uint32_t z) noexcept {
    return (x & z) | (y & ~z);
}
constexpr std::uint32_t H(std::uint32_t x, std::uint32_t y, std::uint32_t z) noexcept {
    return x ^ y ^ z;
}
constexpr std::uint32_t I(std::uint32_t x, std::uint32_t y, std::uint32_t z) noexcept {
    return y ^ (x | ~z);
}

constexpr std::uint32_t Rotl(std::uint32_t x, int n) noexcept {
    return (x << n) | (x >> (32 - n));
}

// One step of a round: a = b + ((a + f(b, c, d) + x + t) <<< s).
#define TN_MD5_STEP(f, a, b, c, d, x, s, t)                                                        \
    a += f(b, c, d) + (x) + (t);                                                                   \
    a = Rotl(a, s) + b

void Encode(std::uint8_t* out, const std::uint32_t* in, std::size_t words) noexcept {
    for (std::size_t i = 0; i < words; ++i) {
        out[4 * i] = static_cast<std::uint8_t>(in[i]);
        out[4 * i + 1] = static_cast<std::uint8_t>(in[i] >> 8);
        out[4 * i + 2] = static_cast<std::uint8_t>(in[i] >> 16);
        out[4 * i + 3] = static_cast<std::uint8_t>(in[i] >> 24);
    }
}

void Decode(std::uint32_t* out, const std::uint8_t* in, std::size_t words) noexcept {
    for (std::size_t i = 0; i < words; ++i)
        out[i] = static_cast<std::uint32_t>(in[4 * i]) |
                 static_cast<std::uint32_t>(in[4 * i + 1]) << 8 |
                 static_cast<std::uint32_t>(in[4 * i + 2]) << 16 |
                 static_cast<std::uint32_t>(in[4 * i + 3]) << 24;
}

} // namespace

void Md5Init(Md5Context& context) noexcept {
    std::memset(&context, 0, sizeof context);
    context.State[0] = 0x67452301;
    context.State[1] = 0xefcdab89;
    context.State[2] = 0x98badcfe;
    context.State[3] = 0x10325476;
}

void Md5Transform(std::uint32_t (&state)[4], const std::uint8_t* block) noexcept {
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    std::uint32_t x[16];
    Decode(x, block, 16);

    TN_MD5_STEP(F, a, b, c, d, x[0], 7, 0xd76aa478);
    TN_MD5_STEP(F, d, a, b, c, x[1], 12, 0xe8c7b756);
    TN_MD5_STEP(F, c, d, a, b, x[2], 17, 0x242070db);
    TN_MD5_STEP(F, b, c, d, a, x[3], 22, 0xc1bdceee);
    TN_MD5_STEP(F, a, b, c, d, x[4], 7, 0xf57c0faf);
    TN_MD5_STEP(F, d, a, b, c, x[5], 12, 0x4787c62a);
    TN_MD5_STEP(F, c, d, a, b, x[6], 17, 0xa8304613);
    TN_MD5_STEP(F, b, c, d, a, x[7], 22, 0xfd469501);
    TN_MD5_STEP(F, a, b, c, d, x[8], 7, 0x698098d8);
    TN_MD5_STEP(F, d, a, b, c, x[9], 12, 0x8b44f7af);
    TN_MD5_STEP(F, c, d, a, b, x[10], 17, 0xffff5bb1);
    TN_MD5_STEP(F, b, c, d, a, x[11], 22, 0x895cd7be);
    TN_MD5_STEP(F, a, b, c, d, x[12], 7, 0x6b901122);
    TN_MD5_STEP(F, d, a, b, c, x[13], 12, 0xfd987193);
    TN_MD5_STEP(F, c, d, a, b, x[14], 17, 0xa679438e);
    TN_MD5_STEP(F, b, c, d, a, x[15], 22, 0x49b40821);

    TN_MD5_STEP(G, a, b, c, d, x[1], 5, 0xf61e2562);
    TN_MD5_STEP(G, d, a, b, c, x[6], 9, 0xc040b340);
    TN_MD5_STEP(G, c, d, a, b, x[11], 14, 0x265e5a51);
    TN_MD5_STEP(G, b, c, d, a, x[0], 20, 0xe9b6c7aa);
    TN_MD5_STEP(G, a, b, c, d, x[5], 5, 0xd62f105d);
    TN_MD5_STEP(G, d, a, b, c, x[10], 9, 0x02441453);
    TN_MD5_STEP(G, c, d, a, b, x[15], 14, 0xd8a1e681);
    TN_MD5_STEP(G, b, c, d, a, x[4], 20, 0xe7d3fbc8);
    TN_MD5_STEP(G, a, b, c, d, x[9], 5, 0x21e1cde6);
    TN_MD5_STEP(G, d, a, b, c, x[14], 9, 0xc33707d6);
    TN_MD5_STEP(G, c, d, a, b, x[3], 14, 0xf4d50d87);
    TN_MD5_STEP(G, b, c, d, a, x[8], 20, 0x455a14ed);
    TN_MD5_STEP(G, a, b, c, d, x[13], 5, 0xa9e3e905);
    TN_MD5_STEP(G, d, a, b, c, x[2], 9, 0xfcefa3f8);
    TN_MD5_STEP(G, c, d, a, b, x[7], 14, 0x676f02d9);
    TN_MD5_STEP(G, b, c, d, a, x[12], 20, 0x8d2a4c8a);

    TN_MD5_STEP(H, a, b, c, d, x[5], 4, 0xfffa3942);
    TN_MD5_STEP(H, d, a, b, c, x[8], 11, 0x8771f681);
    TN_MD5_STEP(H, c, d, a, b, x[11], 16, 0x6d9d6122);
    TN_MD5_STEP(H, b, c, d, a, x[14], 23, 0xfde5380c);
    TN_MD5_STEP(H, a, b, c, d, x[1], 4, 0xa4beea44);
    TN_MD5_STEP(H, d, a, b, c, x[4], 11, 0x4bdecfa9);
    TN_MD5_STEP(H, c, d, a, b, x[7], 16, 0xf6bb4b60);
    TN_MD5_STEP(H, b, c, d, a, x[10], 23, 0xbebfbc70);
    TN_MD5_STEP(H, a, b, c, d, x[13], 4, 0x289b7ec6);
    TN_MD5_STEP(H, d, a, b, c, x[0], 11, 0xeaa127fa);
    TN_MD5_STEP(H, c, d, a, b, x[3], 16, 0xd4ef3085);
    TN_MD5_STEP(H, b, c, d, a, x[6], 23, 0x04881d05);
    TN_MD5_STEP(H, a, b, c, d, x[9], 4, 0xd9d4d039);
    TN_MD5_STEP(H, d, a, b, c, x[12], 11, 0xe6db99e5);
    TN_MD5_STEP(H, c, d, a, b, x[15], 16, 0x1fa27cf8);
    TN_MD5_STEP(H, b, c, d, a, x[2], 23, 0xc4ac5665);

    TN_MD5_STEP(I, a, b, c, d, x[0], 6, 0xf4292244);
    TN_MD5_STEP(I, d, a, b, c, x[7], 10, 0x432aff97);
    TN_MD5_STEP(I, c, d, a, b, x[14], 15, 0xab9423a7);
    TN_MD5_STEP(I, b, c, d, a, x[5], 21, 0xfc93a039);
    TN_MD5_STEP(I, a, b, c, d, x[12], 6, 0x655b59c3);
    TN_MD5_STEP(I, d, a, b, c, x[3], 10, 0x8f0ccc92);
    TN_MD5_STEP(I, c, d, a, b, x[10], 15, 0xffeff47d);
    TN_MD5_STEP(I, b, c, d, a, x[1], 21, 0x85845dd1);
    TN_MD5_STEP(I, a, b, c, d, x[8], 6, 0x6fa87e4f);
    TN_MD5_STEP(I, d, a, b, c, x[15], 10, 0xfe2ce6e0);
    TN_MD5_STEP(I, c, d, a, b, x[6], 15, 0xa3014314);
    TN_MD5_STEP(I, b, c, d, a, x[13], 21, 0x4e0811a1);
    TN_MD5_STEP(I, a, b, c, d, x[4], 6, 0xf7537e82);
    TN_MD5_STEP(I, d, a, b, c, x[11], 10, 0xbd3af235);
    TN_MD5_STEP(I, c, d, a, b, x[2], 15, 0x2ad7d2bb);
    TN_MD5_STEP(I, b, c, d, a, x[9], 21, 0xeb86d391);

    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    std::memset(x, 0, sizeof x);
}

#undef TN_MD5_STEP

void Md5Update(Md5Context& context, const void* bytes, std::size_t count) noexcept {
    const auto* in = static_cast<const std::uint8_t*>(bytes);
    std::size_t index = (context.Count[0] >> 3) & 0x3F;
    // The bit count is kept modulo 2^64, as the RFC's two words do.
    const std::uint64_t bits =
        (static_cast<std::uint64_t>(context.Count[1]) << 32 | context.Count[0]) +
        (static_cast<std::uint64_t>(count) << 3);
    context.Count[0] = static_cast<std::uint32_t>(bits);
    context.Count[1] = static_cast<std::uint32_t>(bits >> 32);

    const std::size_t partLen = 64 - index;
    std::size_t i = 0;
    if (count >= partLen) {
        std::memcpy(&context.Buffer[index], in, partLen);
        Md5Transform(context.State, context.Buffer);
        for (i = partLen; i + 63 < count; i += 64)
            Md5Transform(context.State, &in[i]);
        index = 0;
    }
    if (count > i) std::memcpy(&context.Buffer[index], &in[i], count - i);
}

Md5Digest Md5Final(Md5Context& context) noexcept {
    static constexpr std::uint8_t kPadding[64] = {0x80};
    std::uint8_t bits[8];
    Encode(bits, context.Count, 2);
    const std::size_t index = (context.Count[0] >> 3) & 0x3F;
    const std::size_t padLen = index < 56 ? 56 - index : 120 - index;
    Md5Update(context, kPadding, padLen);
    Md5Update(context, bits, 8);
    Md5Digest digest{};
    Encode(digest.data(), context.State, 4);
    std::memset(&context, 0, sizeof context);
    return digest;
}

Md5Digest Md5Buffer(const void* bytes, std::size_t count) noexcept {
    Md5Context context;
    Md5Init(context);
    Md5Update(context, bytes, count);
    return Md5Final(context);
}

Md5Digest Md5String(std::wstring_view s) {
    const std::vector<std::uint8_t> bytes = text::ToUtf16LeBytes(s);
    return Md5Buffer(bytes.data(), bytes.size() / 2);
}

std::wstring DigestToHex(const Md5Digest& digest) {
    static constexpr wchar_t kHex[] = L"0123456789abcdef";
    std::wstring out;
    out.reserve(32);
    for (const std::uint8_t b : digest) {
        out.push_back(kHex[b >> 4]);
        out.push_back(kHex[b & 0xF]);
    }
    return out;
}

} // namespace tn
