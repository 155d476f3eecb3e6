#include "classlib/Graphics.h"

#include "classlib/MemoryStream.h"
#include "tests/classlib/PngFixtures.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace tn;
using Bytes = std::vector<std::uint8_t>;

// B, G, R, A of a bitmap pixel.
std::array<int, 4> Pixel(TBitmap& b, int x, int y) {
    ::GdiFlush();
    const std::uint8_t* p = b.Bits() + (std::size_t(y) * b.Width() + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

void ExpectNear(std::array<int, 4> got, std::array<int, 3> bgr, int tolerance = 2) {
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(got[i], bgr[i], tolerance) << "channel " << i;
}

TBitmap WhiteBitmap(int w, int h) {
    TBitmap b;
    b.SetSize(w, h);
    b.Canvas().Brush.Color = clWhite;
    b.Canvas().FillRect({0, 0, w, h});
    return b;
}

// A bottom-up 24-bit BMP of 2 x 2 pixels: bottom row blue, white; top row red, black.
Bytes SmallBmp() {
    Bytes b{'B', 'M'};
    const auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    const auto put16 = [&](std::uint16_t v) {
        b.push_back(static_cast<std::uint8_t>(v));
        b.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    put32(14 + 40 + 16);
    put32(0);
    put32(14 + 40);
    put32(40);
    put32(2);
    put32(2);
    put16(1);
    put16(24);
    for (int i = 0; i < 6; ++i)
        put32(0);
    b.insert(b.end(), {255, 0, 0, 255, 255, 255, 0, 0}); // bottom row, padded to 8 bytes
    b.insert(b.end(), {0, 0, 255, 0, 0, 0, 0, 0});       // top row
    return b;
}

TEST(Picture, LoadsPngAndBmpByContentAndRefusesOthersUnchanged) {
    TPicture pic;
    const Bytes png = test::RgbaPng(2, 1, {255, 0, 0, 255, 0, 255, 0, 128});
    pic.LoadFromBytes(png.data(), png.size());
    ASSERT_NE(dynamic_cast<TPngImage*>(pic.Graphic()), nullptr);
    EXPECT_EQ(pic.Width(), 2);
    EXPECT_TRUE(pic.Graphic()->SupportsPartialTransparency());

    const Bytes bmp = SmallBmp();
    pic.LoadFromBytes(bmp.data(), bmp.size());
    auto* bitmap = dynamic_cast<TBitmap*>(pic.Graphic());
    ASSERT_NE(bitmap, nullptr);
    ExpectNear(Pixel(*bitmap, 0, 0), {0, 0, 255}, 0); // top-left red
    ExpectNear(Pixel(*bitmap, 0, 1), {255, 0, 0}, 0); // bottom-left blue

    for (const Bytes& bad : {Bytes{'G', 'I', 'F', '8'}, Bytes(bmp.begin(), bmp.end() - 3),
                             Bytes(png.begin(), png.end() - 1)}) {
        EXPECT_THROW(pic.LoadFromBytes(bad.data(), bad.size()), EInvalidGraphic);
        EXPECT_EQ(pic.Graphic(), bitmap);
    }
    EXPECT_THROW(pic.LoadFromFile(L"Z:\\no\\such\\picture.png"), EInvalidGraphic);
}

TEST(Picture, CopiesAreDeepAndChangesAreReported) {
    TPicture a;
    int changes = 0;
    std::vector<TProgressStage> stages;
    a.OnChange = [&](TObject* s) {
        EXPECT_EQ(s, &a);
        ++changes;
    };
    a.OnProgress = [&](TObject*, TProgressStage st, int, bool, const RECT&, const std::wstring&) {
        stages.push_back(st);
    };
    const Bytes png = test::RgbaPng(1, 1, {1, 2, 3, 255});
    a.LoadFromBytes(png.data(), png.size());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(stages, (std::vector{TProgressStage::psStarting, TProgressStage::psEnding}));

    TPicture b(a);
    ASSERT_TRUE(b.HasGraphic());
    EXPECT_NE(b.Graphic(), a.Graphic());
    a.Graphic()->SetTransparent(true); // a change of the graphic is the picture's change
    EXPECT_EQ(changes, 2);
    EXPECT_FALSE(b.Graphic()->Transparent());

    TPicture empty;
    a = empty;
    EXPECT_FALSE(a.HasGraphic());
    EXPECT_TRUE(b.HasGraphic());
    EXPECT_EQ(changes, 3);
    a.Bitmap().SetSize(4, 3); // the bitmap that Bitmap() makes reports to the picture too
    EXPECT_EQ(changes, 5);
    EXPECT_EQ(a.Width(), 4);
}

TEST(Picture, PngDrawsWithItsAlphaStretchedAndWithConstantOpacity) {
    TPngImage png;
    const Bytes file = test::RgbaPng(2, 1, {255, 0, 0, 128, 0, 255, 0, 255});
    png.LoadFromBytes(file.data(), file.size());

    TBitmap target = WhiteBitmap(2, 1);
    target.Canvas().Draw(0, 0, png);
    ExpectNear(Pixel(target, 0, 0), {127, 127, 255}); // half red over white
    ExpectNear(Pixel(target, 1, 0), {0, 255, 0});

    TBitmap wide = WhiteBitmap(4, 2);
    wide.Canvas().StretchDraw({0, 0, 4, 2}, png);
    ExpectNear(Pixel(wide, 1, 1), {127, 127, 255});
    ExpectNear(Pixel(wide, 3, 1), {0, 255, 0});

    TBitmap faded = WhiteBitmap(2, 1);
    faded.Canvas().Draw(0, 0, png, 128);
    ExpectNear(Pixel(faded, 1, 0), {127, 255, 127});
}

TEST(Picture, BitmapDrawsOpaqueOrWithItsBottomLeftColourTransparent) {
    TPicture pic;
    const Bytes bmp = SmallBmp();
    pic.LoadFromBytes(bmp.data(), bmp.size());
    TBitmap opaque = WhiteBitmap(2, 2);
    opaque.Canvas().Draw(0, 0, *pic.Graphic());
    ExpectNear(Pixel(opaque, 0, 1), {255, 0, 0}, 0);

    pic.Graphic()->SetTransparent(true); // bottom-left is blue: blue stays see-through
    TBitmap keyed = WhiteBitmap(2, 2);
    keyed.Canvas().Draw(0, 0, *pic.Graphic());
    ExpectNear(Pixel(keyed, 0, 1), {255, 255, 255}, 0);
    ExpectNear(Pixel(keyed, 0, 0), {0, 0, 255}, 0);
}

std::uint32_t Le32At(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}

TEST(Picture, BitmapFileIs32BitBottomUpAndReadsBackExactly) {
    TBitmap b;
    b.SetSize(3, 2);
    ::GdiFlush();
    for (int i = 0; i < 3 * 2 * 4; ++i)
        b.Bits()[i] = static_cast<std::uint8_t>(10 * i + 1);
    TMemoryStream stream;
    stream.Write("x", 1); // written at the position, after what is there
    b.SaveToStream(stream);
    const Bytes file(stream.Bytes().begin() + 1, stream.Bytes().end());

    ASSERT_EQ(file.size(), 54u + 24u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Le32At(file, 2), 78u);  // file size
    EXPECT_EQ(Le32At(file, 10), 54u); // pixel offset
    EXPECT_EQ(Le32At(file, 14), 40u); // information header
    EXPECT_EQ(Le32At(file, 18), 3u);
    EXPECT_EQ(Le32At(file, 22), 2u);             // positive: bottom-up
    EXPECT_EQ(Le32At(file, 26), 1u | 32u << 16); // planes, bits per pixel
    EXPECT_EQ(Le32At(file, 30), 0u);             // uncompressed
    EXPECT_EQ(Le32At(file, 34), 24u);
    // The bottom row first.
    EXPECT_EQ(Bytes(file.begin() + 54, file.begin() + 66), Bytes(b.Bits() + 12, b.Bits() + 24));
    EXPECT_EQ(Bytes(file.begin() + 66, file.end()), Bytes(b.Bits(), b.Bits() + 12));

    TBitmap back;
    back.LoadFromBytes(file.data(), file.size());
    ASSERT_EQ(back.Width(), 3);
    ASSERT_EQ(back.Height(), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const auto p = Pixel(b, x, y);
            ExpectNear(Pixel(back, x, y), {p[0], p[1], p[2]}, 0);
        }

    const tn::testing::TempDir dir;
    b.SaveToFile(dir.File(L"shot.bmp"));
    EXPECT_EQ(tn::testing::ReadFileBytes(dir.File(L"shot.bmp")),
              std::string(file.begin(), file.end()));
    EXPECT_THROW(b.SaveToFile(dir.File(L"missing\\shot.bmp")), EFileError);
    EXPECT_THROW(TBitmap().SaveToStream(stream), EInvalidGraphic);
    EXPECT_EQ(stream.Size(), 1u + 78u);
}

TEST(Canvas, TextIsMeasuredWithTheFontAndDrawnInItsColour) {
    TBitmap b = WhiteBitmap(120, 40);
    TCanvas& c = b.Canvas();
    c.Font.SetHeight(-12);
    const int small = c.TextWidth(L"BrisaTarn");
    c.Font.SetHeight(-24);
    EXPECT_GT(c.TextWidth(L"BrisaTarn"), small);
    EXPECT_GT(c.TextHeight(L"Bg"), 20);
    c.Font.SetColor(clRed);
    c.Brush.Style = TBrushStyle::bsClear;
    c.TextOut(2, 2, L"WWW");
    int red = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x) {
            const auto p = Pixel(b, x, y);
            red += p[2] > 200 && p[1] < 60 && p[0] < 60;
        }
    EXPECT_GT(red, 20);
}

} // namespace
