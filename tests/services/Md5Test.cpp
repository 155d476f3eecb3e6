#include "services/Md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include <string>
#include <vector>

namespace tn {
namespace {

std::wstring HexOf(std::string_view ascii) {
    return DigestToHex(Md5Buffer(ascii.data(), ascii.size()));
}

TEST(Md5, BufferMatchesTheReferenceSuite) {
    const struct {
        const char* input;
        const wchar_t* digest;
    } cases[] = {
        {"", L"d41d8cd98f00b204e9800998ecf8427e"},
        {"a", L"0cc175b9c0f1b6a831c399e269772661"},
        {"abc", L"900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", L"f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", L"c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         L"d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         L"57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HexOf(c.input), c.digest) << c.input;
}

TEST(Md5, UpdatesInPiecesEqualOneUpdate) {
    // Lengths around the 56- and 64-byte padding edges, fed in uneven pieces.
    for (std::size_t len : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 1000u}) {
        std::vector<std::uint8_t> data(len);
        for (std::size_t i = 0; i < len; ++i)
            data[i] = static_cast<std::uint8_t>(i * 7 + 3);
        Md5Context ctx;
        Md5Init(ctx);
        for (std::size_t at = 0, step = 1; at < len; at += step, step = step * 2 + 1)
            Md5Update(ctx, data.data() + at, std::min(step, len - at));
        EXPECT_EQ(Md5Final(ctx), Md5Buffer(data.data(), len)) << len;
    }
}

TEST(Md5, FinalWipesTheContext) {
    Md5Context ctx;
    Md5Init(ctx);
    Md5Update(ctx, "abc", 3);
    (void)Md5Final(ctx);
    const Md5Context zero{};
    EXPECT_EQ(std::memcmp(&ctx, &zero, sizeof ctx), 0);
}

TEST(Md5, StringDigestCoversTheFirstNBytesOfUtf16Le) {
    EXPECT_EQ(DigestToHex(Md5String(L"")), L"d41d8cd98f00b204e9800998ecf8427e");
    // a, 0, b: three characters give three bytes, not six.
    EXPECT_EQ(DigestToHex(Md5String(L"abc")), L"70350f6027bce3713f6b76473084309b");
    EXPECT_NE(DigestToHex(Md5String(L"abc")), L"900150983cd24fb0d6963f7d28e17f72");

    const struct {
        const wchar_t* text;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {L"abcd", {'a', 0, 'b', 0}},
        {L"abcde", {'a', 0, 'b', 0, 'c'}}, // odd N: the middle character's low byte last
        {L"迅闪", {0xC5, 0x8F}},           // U+8FC5 U+95EA
        {L"\U0001F600", {0x3D, 0xD8}},     // one astral character is two UTF-16 units
    };
    for (const auto& c : cases)
        EXPECT_EQ(Md5String(c.text), Md5Buffer(c.bytes.data(), c.bytes.size())) << c.bytes.size();
}

TEST(Md5, HexIsLowerCaseByteZeroFirst) {
    Md5Digest d{};
    d[0] = 0xAB;
    d[15] = 0x0F;
    EXPECT_EQ(DigestToHex(d), L"ab00000000000000000000000000000f");
}

} // namespace
} // namespace tn
