#include "classlib/Png.h"

#include "tests/classlib/PngFixtures.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using tn::png::Decode;
using tn::png::Image;
using Bytes = std::vector<std::uint8_t>;
using namespace tn::test;

TEST(PngDecode, FixturesGiveTheirExpectedPixels) {
    const auto fixtures = PngManifest();
    ASSERT_GE(fixtures.size(), 100u) << "fixture list missing at " << PngFixtureDir();
    for (const auto& f : fixtures) {
        SCOPED_TRACE(f.name);
        const Bytes file = ReadBytes(PngFixtureDir() + f.name + ".png");
        const Bytes want = ReadBytes(PngFixtureDir() + f.name + ".bgra");
        Image img;
        std::string error;
        ASSERT_TRUE(Decode(file.data(), file.size(), img, error)) << error;
        EXPECT_EQ(img.width, f.width);
        EXPECT_EQ(img.height, f.height);
        EXPECT_EQ(img.bgra, want);
        const bool alpha = f.name.rfind("c4", 0) == 0 || f.name.rfind("c6", 0) == 0 ||
                           f.name.ends_with("_t") || f.name == "wide_rgba";
        EXPECT_EQ(img.hasAlpha, alpha);
    }
}

// A 2 x 2 RGB picture, rows filtered with "none".
const Bytes kRows2x2{0, 1, 2, 3, 4, 5, 6, 0, 7, 8, 9, 10, 11, 12};

bool Refuses(const Bytes& file, std::string& error) {
    Image img;
    const bool ok = Decode(file.data(), file.size(), img, error);
    EXPECT_TRUE(img.bgra.empty() || ok);
    return !ok;
}

TEST(PngDecode, RefusesMalformedFiles) {
    const Bytes garbage{0xDE, 0xAD};
    struct Case {
        const char* name;
        Bytes file;
        const char* error;
    };
    const Case cases[] = {
        {"empty", {}, "not a PNG"},
        {"signature only", PngBuilder().bytes(), "truncated"},
        {"no header first", PngBuilder().Data(kRows2x2).Header(2, 2, 8, 2).End().bytes(), "IHDR"},
        {"short header", PngBuilder().Chunk("IHDR", {0, 0, 0, 2}).bytes(), "IHDR length"},
        {"zero width", PngBuilder().Header(0, 2, 8, 2).Data(kRows2x2).End().bytes(), "size"},
        {"width past 2^31", PngBuilder().Header(0x80000000u, 1, 8, 2).End().bytes(), "size"},
        {"colour type 5", PngBuilder().Header(2, 2, 8, 5).Data(kRows2x2).End().bytes(), "colour"},
        {"RGB of 4 bits", PngBuilder().Header(2, 2, 4, 2).Data(kRows2x2).End().bytes(),
         "bit depth"},
        {"palette of 16 bits", PngBuilder().Header(2, 2, 16, 3).End().bytes(), "bit depth"},
        {"compression 1", PngBuilder().Header(2, 2, 8, 2, 0, 1).End().bytes(), "method"},
        {"filter method 1", PngBuilder().Header(2, 2, 8, 2, 0, 0, 1).End().bytes(), "method"},
        {"interlace 2", PngBuilder().Header(2, 2, 8, 2, 2).End().bytes(), "interlace"},
        {"second header",
         PngBuilder().Header(2, 2, 8, 2).Header(2, 2, 8, 2).Data(kRows2x2).End().bytes(), "second"},
        {"no image data", PngBuilder().Header(2, 2, 8, 2).End().bytes(), "no image data"},
        {"no end chunk", PngBuilder().Header(2, 2, 8, 2).Data(kRows2x2).bytes(), "truncated"},
        {"short image data",
         PngBuilder()
             .Header(2, 2, 8, 2)
             .Data(Bytes(kRows2x2.begin(), kRows2x2.end() - 1))
             .End()
             .bytes(),
         "truncated"},
        {"not deflate", PngBuilder().Header(2, 2, 8, 2).Chunk("IDAT", {1, 2, 3, 4}).End().bytes(),
         "compressed"},
        {"row filter 5",
         PngBuilder()
             .Header(2, 2, 8, 2)
             .Data({5, 1, 2, 3, 4, 5, 6, 0, 7, 8, 9, 10, 11, 12})
             .End()
             .bytes(),
         "filter"},
        {"palette missing", PngBuilder().Header(2, 2, 8, 3).Data({0, 0, 0, 0, 0, 0}).End().bytes(),
         "palette"},
        {"palette of 2 bytes",
         PngBuilder()
             .Header(2, 2, 8, 3)
             .Chunk("PLTE", {1, 2})
             .Data({0, 0, 0, 0, 0, 0})
             .End()
             .bytes(),
         "palette"},
        {"palette after data",
         PngBuilder().Header(2, 2, 8, 2).Data(kRows2x2).Chunk("PLTE", {1, 2, 3}).End().bytes(),
         "PLTE"},
        {"split image data",
         PngBuilder()
             .Header(2, 2, 8, 2)
             .Chunk("IDAT", {})
             .Chunk("tEXt", {'a', 0, 'b'})
             .Data(kRows2x2)
             .End()
             .bytes(),
         "contiguous"},
        {"unknown critical chunk",
         PngBuilder().Header(2, 2, 8, 2).Chunk("ABCD", {}).Data(kRows2x2).End().bytes(),
         "critical"},
        {"chunk type not letters",
         PngBuilder().Header(2, 2, 8, 2).Chunk("ab1d", {}).Data(kRows2x2).End().bytes(), "type"},
        {"too large for the limit", PngBuilder().Header(1u << 14, 1u << 13, 8, 2).End().bytes(),
         "large"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        EXPECT_TRUE(Refuses(c.file, error));
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

TEST(PngDecode, AcceptsAncillaryChunksTrailingBytesAndOddTransparency) {
    Bytes file = PngBuilder()
                     .Header(2, 2, 8, 2)
                     .Chunk("gAMA", {0, 0, 0xB1, 0x8F})
                     .Chunk("tRNS", {0, 1}) // wrong length for RGB: ignored
                     .Chunk("IDAT", {})
                     .Data(kRows2x2)
                     .End()
                     .bytes();
    file.insert(file.end(), {'j', 'u', 'n', 'k'});
    Image img;
    std::string error;
    ASSERT_TRUE(Decode(file.data(), file.size(), img, error)) << error;
    EXPECT_FALSE(img.hasAlpha);
    EXPECT_EQ(img.bgra, (Bytes{3, 2, 1, 255, 6, 5, 4, 255, 9, 8, 7, 255, 12, 11, 10, 255}));
}

TEST(PngDecode, PaletteIndexBeyondThePaletteIsOpaqueBlack) {
    const Bytes file = PngBuilder()
                           .Header(2, 1, 8, 3)
                           .Chunk("PLTE", {10, 20, 30})
                           .Chunk("tRNS", {128})
                           .Data({0, 0, 7})
                           .End()
                           .bytes();
    Image img;
    std::string error;
    ASSERT_TRUE(Decode(file.data(), file.size(), img, error)) << error;
    EXPECT_EQ(img.bgra, (Bytes{30, 20, 10, 128, 0, 0, 0, 255}));
}

TEST(PngDecode, RefusesEveryTruncationAndEverySingleByteChange) {
    const Bytes file = ReadBytes(PngFixtureDir() + "c2d16_13x11_i_t.png");
    ASSERT_FALSE(file.empty());
    std::string error;
    for (std::size_t n = 0; n < file.size(); ++n) {
        // Copied, so the sanitizers see any read past the shorter buffer.
        const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
        ASSERT_TRUE(Refuses(cut, error)) << "prefix of " << n << " bytes";
    }
    for (std::size_t i = 0; i < file.size(); ++i) {
        Bytes changed = file;
        changed[i] ^= 0x10;
        ASSERT_TRUE(Refuses(changed, error)) << "byte " << i;
    }
}

TEST(PngDecode, LimitRefusesBeforeTakingPixelMemory) {
    const Bytes file = PngBuilder().Header(100, 100, 8, 2).Data(Bytes(100 * 301, 0)).End().bytes();
    Image img;
    std::string error;
    EXPECT_FALSE(Decode(file.data(), file.size(), img, error, {.maxPixels = 9999}));
    EXPECT_TRUE(Decode(file.data(), file.size(), img, error, {.maxPixels = 10000})) << error;
}

} // namespace
