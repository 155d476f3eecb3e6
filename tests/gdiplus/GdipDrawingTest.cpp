// Real GDI+ under this Wine: pictures loaded from PNG fixtures, drawn into memory device contexts
// and bitmaps made, cloned, locked, changed and saved.
//
// Not called here: TGPImage::GetEncoderParameterList and the TGPGraphics::EnumerateMetafile forms
// reach exports of Wine's gdiplus.dll that stop the process when called (exception 0x80000100);
// the spy tests check which flat function they call and with what.
#include "DrawingSupport.h"

#include "gdiplus/Gdiplus.h"

#include "classlib/Handles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace tn::gdiplus;
using namespace tn::gdiplus::testing;

namespace {

std::wstring FixturePath(const wchar_t* name) {
    std::wstring path = L"Z:";
    if (const char* binary = std::getenv("TN_BINARY_DIR"))
        for (const char* c = binary; *c; ++c)
            path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path + L"\\tests\\gdiplus\\" + name;
}

CLSID PngEncoder() {
    UINT count = 0, size = 0;
    CLSID clsid{};
    if (Gdip().GdipGetImageEncodersSize(&count, &size) != Ok || size == 0) return clsid;
    std::vector<std::uint8_t> buffer(size);
    auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
    if (Gdip().GdipGetImageEncoders(count, size, codecs) != Ok) return clsid;
    for (UINT i = 0; i < count; ++i)
        if (std::wstring(codecs[i].MimeType) == L"image/png") clsid = codecs[i].Clsid;
    return clsid;
}

TEST(GdipDrawing, PictureFromFileReportsItsSizeAndPixelFormat) {
    auto skin = TGPImage::FromFile(FixturePath(L"quadrants.png"));
    ASSERT_TRUE(skin);
    EXPECT_EQ(skin->GetLastStatus(), Ok);
    for (int read = 0; read < 2; ++read) { // asked again each time
        EXPECT_EQ(skin->GetWidth(), 8u);
        EXPECT_EQ(skin->GetHeight(), 8u);
    }
    EXPECT_EQ(skin->GetPixelFormat(), PixelFormat32bppARGB);
    EXPECT_EQ(skin->GetType(), ImageTypeBitmap);
    EXPECT_EQ(skin->GetLastStatus(), Ok);

    auto rgb = TGPImage::FromFile(FixturePath(L"rgb.png"));
    EXPECT_EQ(rgb->GetWidth(), 3u);
    EXPECT_EQ(rgb->GetHeight(), 2u);
    EXPECT_EQ(rgb->GetPixelFormat(), PixelFormat24bppRGB);
}

TEST(GdipDrawing, MissingPictureGivesAnObjectWithAFailure) {
    auto missing = TGPImage::FromFile(FixturePath(L"no-such-picture.png"));
    ASSERT_TRUE(missing);
    EXPECT_NE(missing->GetLastStatus(), Ok);
    EXPECT_EQ(missing->GetLastStatus(), Ok);
    EXPECT_EQ(missing->GetWidth(), 0u);
    EXPECT_EQ(missing->GetHeight(), 0u);
    EXPECT_NE(missing->GetLastStatus(), Ok);
}

TEST(GdipDrawing, PictureIsDrawnScaledIntoAMemoryDcAsPremultipliedPixels) {
    auto skin = TGPImage::FromFile(FixturePath(L"quadrants.png"));
    ASSERT_EQ(skin->GetLastStatus(), Ok);
    MemoryCanvas canvas(16, 16);
    ASSERT_TRUE(canvas.valid());

    // The background window's road: graphics on the DC, the whole picture scaled, release.
    auto graphics = TGPGraphics::Create(canvas.dc());
    ASSERT_TRUE(graphics);
    EXPECT_EQ(graphics->GetLastStatus(), Ok);
    const REAL size = 2.0f * static_cast<REAL>(skin->GetWidth());
    EXPECT_EQ(graphics->DrawImage(skin.get(), 0.0f, 0.0f, size, size), Ok);
    graphics->ReleaseHDC(canvas.dc()); // without GetHDC, as the launcher calls it
    graphics.reset();

    // Quadrant interiors, away from the scaled edges.
    for (int y : {2, 3, 4, 5}) {
        for (int x : {2, 3, 4, 5}) {
            EXPECT_TRUE(Near(canvas.At(x, y), 0xFFFF0000, 2)) << x << "," << y;
            EXPECT_TRUE(Near(canvas.At(x + 8, y), 0xFF00FF00, 2)) << x + 8 << "," << y;
            EXPECT_TRUE(Near(canvas.At(x, y + 8), 0x80000080, 2))
                << x << "," << y + 8; // premultiplied
            EXPECT_EQ(canvas.At(x + 8, y + 8), 0u) << x + 8 << "," << y + 8;
        }
    }
}

TEST(GdipDrawing, BitmapsRoundTripThroughCloneLockSaveAndLoad) {
    constexpr ARGB kHalfOrange = 0x80FF8040;
    constexpr ARGB kDark = 0xFF112233;
    auto bitmap = TGPBitmap::Create(4, 3, PixelFormat32bppARGB);
    ASSERT_TRUE(bitmap);
    ASSERT_EQ(bitmap->GetLastStatus(), Ok);
    EXPECT_EQ(bitmap->GetWidth(), 4u);
    EXPECT_EQ(bitmap->GetPixelFormat(), PixelFormat32bppARGB);

    ASSERT_EQ(bitmap->SetPixel(1, 2, kHalfOrange), Ok);
    ARGB color = 0;
    ASSERT_EQ(bitmap->GetPixel(1, 2, color), Ok);
    EXPECT_EQ(color, kHalfOrange);

    BitmapData data{};
    ASSERT_EQ(bitmap->LockBits(TGPRect{0, 0, 4, 3}, ImageLockModeRead | ImageLockModeWrite,
                               PixelFormat32bppARGB, data),
              Ok);
    auto* rows = static_cast<std::uint8_t*>(data.Scan0);
    EXPECT_EQ(reinterpret_cast<ARGB*>(rows + 2 * data.Stride)[1], kHalfOrange);
    reinterpret_cast<ARGB*>(rows)[3] = kDark;
    ASSERT_EQ(bitmap->UnlockBits(data), Ok);
    ASSERT_EQ(bitmap->GetPixel(3, 0, color), Ok);
    EXPECT_EQ(color, kDark);

    auto area = bitmap->Clone(TGPRect{1, 1, 3, 2}, PixelFormat32bppARGB);
    ASSERT_TRUE(area);
    EXPECT_EQ(area->GetWidth(), 3u);
    EXPECT_EQ(area->GetHeight(), 2u);
    ASSERT_EQ(area->GetPixel(0, 1, color), Ok);
    EXPECT_EQ(color, kHalfOrange);
    auto whole = bitmap->Clone(TGPRectF{0, 0, 4, 3}, PixelFormat32bppARGB);
    ASSERT_TRUE(whole);
    ASSERT_EQ(whole->GetPixel(3, 0, color), Ok);
    EXPECT_EQ(color, kDark);

    const CLSID png = PngEncoder();
    const std::wstring file = TempPath(L"tn-gdip-roundtrip.png");
    ASSERT_EQ(bitmap->Save(file, png), Ok);
    auto loaded = TGPBitmap::FromFile(file);
    ASSERT_EQ(loaded->GetLastStatus(), Ok);
    EXPECT_EQ(loaded->GetWidth(), 4u);
    EXPECT_EQ(loaded->GetHeight(), 3u);
    ASSERT_EQ(loaded->GetPixel(1, 2, color), Ok);
    EXPECT_EQ(color, kHalfOrange);
    ASSERT_EQ(loaded->GetPixel(3, 0, color), Ok);
    EXPECT_EQ(color, kDark);
    loaded.reset();
    ::DeleteFileW(file.c_str());

    StreamOwner memory;
    ASSERT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, &memory.stream), S_OK);
    ASSERT_EQ(bitmap->Save(memory.stream, png), Ok);
    ASSERT_EQ(memory.stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr), S_OK);
    auto streamed = TGPBitmap::FromStream(memory.stream);
    ASSERT_EQ(streamed->GetLastStatus(), Ok);
    ASSERT_EQ(streamed->GetPixel(1, 2, color), Ok);
    EXPECT_EQ(color, kHalfOrange);

    HBITMAP gdiBitmap = nullptr;
    ASSERT_EQ(bitmap->GetHBITMAP(0xFF000000, gdiBitmap), Ok);
    const tn::UniqueBitmap ownedGdiBitmap(gdiBitmap);
    auto fromGdi = TGPBitmap::FromHBITMAP(gdiBitmap, nullptr);
    ASSERT_EQ(fromGdi->GetLastStatus(), Ok);
    ASSERT_EQ(fromGdi->GetPixel(3, 0, color), Ok);
    EXPECT_EQ(color, kDark);
}

TEST(GdipDrawing, BitmapsOnOwnPixelsAndGraphicsOnABitmap) {
    ARGB pixels[2 * 2] = {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004};
    auto bitmap = TGPBitmap::Create(2, 2, 2 * sizeof(ARGB), PixelFormat32bppARGB,
                                    reinterpret_cast<BYTE*>(pixels));
    ASSERT_EQ(bitmap->GetLastStatus(), Ok);
    ARGB color = 0;
    ASSERT_EQ(bitmap->GetPixel(0, 1, color), Ok);
    EXPECT_EQ(color, 0xFF000003u);
    ASSERT_EQ(bitmap->SetPixel(1, 1, 0xFFABCDEF), Ok);
    EXPECT_EQ(pixels[3], 0xFFABCDEFu);

    auto canvas = TGPBitmap::Create(3, 3);
    auto graphics = TGPGraphics::FromImage(canvas.get());
    ASSERT_EQ(graphics->GetLastStatus(), Ok);
    EXPECT_EQ(graphics->Clear(0xFF00FF00), Ok);
    EXPECT_EQ(graphics->DrawImage(bitmap.get(), 1, 1), Ok);
    graphics.reset();
    ASSERT_EQ(canvas->GetPixel(0, 0, color), Ok);
    EXPECT_EQ(color, 0xFF00FF00u);
    ASSERT_EQ(canvas->GetPixel(2, 2, color), Ok);
    EXPECT_EQ(color, 0xFFABCDEFu);
}

} // namespace
