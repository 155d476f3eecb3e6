// The JPEG picture over the JPEG library: what it encodes decodes to the same picture, and every
// failure of the library comes back as EInvalidGraphic in this process.
#include "classlib/Jpeg.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace tn;
using Bytes = std::vector<std::uint8_t>;

// Left half red, right half blue, over the given size.
TBitmap TwoColours(int w, int h) {
    TBitmap b;
    b.SetSize(w, h);
    b.Canvas().Brush.Color = clRed;
    b.Canvas().FillRect({0, 0, w / 2, h});
    b.Canvas().Brush.Color = 0xFF0000; // blue
    b.Canvas().FillRect({w / 2, 0, w, h});
    return b;
}

// B, G, R of a pixel.
std::array<int, 3> Pixel(const TBitmap& b, int x, int y) {
    ::GdiFlush();
    const std::uint8_t* p = b.Bits() + (std::size_t(y) * b.Width() + x) * 4;
    return {p[0], p[1], p[2]};
}

void ExpectColour(const TBitmap& b, int x, int y, std::array<int, 3> bgr, int tolerance) {
    const auto p = Pixel(b, x, y);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(p[i], bgr[i], tolerance) << "channel " << i << " at " << x << "," << y;
}

Bytes Encode(const TJPEGImage& jpeg) {
    TMemoryStream s;
    jpeg.SaveToStream(s);
    return s.Bytes();
}

TEST(Jpeg, EncodesABitmapThatDecodesToItsSizeAndColours) {
    TJPEGImage jpeg;
    EXPECT_EQ(jpeg.CompressionQuality(), kJpegDefaultQuality);
    jpeg.Assign(TwoColours(64, 32));
    ASSERT_EQ(jpeg.Width(), 64);
    const Bytes file = Encode(jpeg);
    ASSERT_GT(file.size(), 4u);
    EXPECT_TRUE(HasJpegSignature(file.data(), file.size()));
    EXPECT_EQ(file[file.size() - 2], 0xFF);
    EXPECT_EQ(file.back(), 0xD9); // the image is complete

    TJPEGImage back;
    back.LoadFromBytes(file.data(), file.size());
    ASSERT_EQ(back.Width(), 64);
    ASSERT_EQ(back.Height(), 32);
    // Flat areas away from the colour edge come back within a few steps.
    ExpectColour(back.Bitmap(), 8, 16, {0, 0, 255}, 8);
    ExpectColour(back.Bitmap(), 56, 16, {255, 0, 0}, 8);

    // The picture class reads it by its first bytes, from a file as well.
    const tn::testing::TempDir dir;
    jpeg.SaveToFile(dir.File(L"shot.jpg"));
    TPicture pic;
    pic.LoadFromFile(dir.File(L"shot.jpg"));
    ASSERT_NE(dynamic_cast<TJPEGImage*>(pic.Graphic()), nullptr);
    EXPECT_EQ(pic.Width(), 64);
    EXPECT_EQ(pic.Height(), 32);
}

TEST(Jpeg, TheQualityDecidesTheEncoding) {
    // Noise is what a low quality throws away.
    TBitmap noise;
    noise.SetSize(64, 64);
    ::GdiFlush();
    std::srand(7);
    for (int i = 0; i < 64 * 64 * 4; ++i)
        noise.Bits()[i] = static_cast<std::uint8_t>(std::rand());
    TJPEGImage jpeg;
    jpeg.Assign(noise);
    jpeg.SetCompressionQuality(10);
    const std::size_t low = Encode(jpeg).size();
    jpeg.SetCompressionQuality(500);
    EXPECT_EQ(jpeg.CompressionQuality(), 100);
    EXPECT_GT(Encode(jpeg).size(), 2 * low);
}

TEST(Jpeg, FailuresOfTheLibraryRaiseAndLeaveThePictureUsable) {
    const tn::testing::TempDir dir;
    TJPEGImage jpeg;
    TMemoryStream stream;
    EXPECT_THROW(jpeg.SaveToStream(stream), EInvalidGraphic) << "0 x 0";
    EXPECT_THROW(jpeg.SaveToFile(dir.File(L"empty.jpg")), EInvalidGraphic);

    // Wider than the format allows: the library's own error exit, which must come back here.
    jpeg.Assign(TwoColours(65501, 1));
    try {
        jpeg.SaveToFile(dir.File(L"wide.jpg"));
        ADD_FAILURE() << "encoded";
    } catch (const EInvalidGraphic& e) {
        EXPECT_NE(std::string(e.what()).find("65500"), std::string::npos) << e.what();
    }
    EXPECT_EQ(::GetFileAttributesW(dir.File(L"wide.jpg").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(stream.Size(), 0u);

    jpeg.Assign(TwoColours(16, 8));
    const Bytes good = Encode(jpeg);
    for (const Bytes& bad : {Bytes{0x89, 'P', 'N', 'G'}, Bytes{0xFF, 0xD8, 0xFF},
                             Bytes(good.begin(), good.begin() + 20)}) {
        EXPECT_THROW(jpeg.LoadFromBytes(bad.data(), bad.size()), EInvalidGraphic);
        EXPECT_EQ(jpeg.Width(), 16) << "a refused file leaves the picture as it was";
    }
    EXPECT_THROW(jpeg.LoadFromBytes(nullptr, 0), EInvalidGraphic);

    // A file cut short inside its picture data still gives a picture of its size, as desktops
    // show such a file.
    TJPEGImage big;
    big.Assign(TwoColours(64, 32));
    const Bytes whole = Encode(big);
    const Bytes scanStart{0xFF, 0xDA};
    const auto sos = std::search(whole.begin(), whole.end(), scanStart.begin(), scanStart.end());
    ASSERT_LT(sos + 40, whole.end());
    const Bytes cut(whole.begin(), sos + 40);
    TJPEGImage partial;
    partial.LoadFromBytes(cut.data(), cut.size());
    EXPECT_EQ(partial.Width(), 64);
    EXPECT_EQ(partial.Height(), 32);
    EXPECT_EQ(Encode(jpeg), good) << "the same picture encodes as before";
}

} // namespace
