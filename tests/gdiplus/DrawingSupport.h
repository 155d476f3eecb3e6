// What the tests against this platform's GDI+ share: a memory canvas to read pixels back from,
// a colour comparison with a tolerance, brushes made through the flat API, and scratch files and
// streams.
#pragma once

#include "Attached.h"

#include "classlib/Handles.h"
#include "gdiplus/Gdiplus.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace tn::gdiplus::testing {

// A 32-bit top-down DIB section selected into a memory device context, cleared to zero.
class MemoryCanvas {
public:
    MemoryCanvas(int width, int height) : width_(width), dc_(::CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        bits_ = static_cast<const std::uint32_t*>(bits);
        old_ = ::SelectObject(dc_.get(), bitmap_.get());
    }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;
    ~MemoryCanvas() { ::SelectObject(dc_.get(), old_); }

    [[nodiscard]] bool valid() const { return dc_ && bitmap_ && bits_; }
    [[nodiscard]] HDC dc() const { return dc_.get(); }
    // 0xAARRGGBB as GDI holds it (B, G, R, A in memory), premultiplied.
    [[nodiscard]] std::uint32_t At(int x, int y) const {
        ::GdiFlush();
        return bits_[y * width_ + x];
    }

private:
    int width_;
    tn::UniqueMemDc dc_;
    tn::UniqueBitmap bitmap_;
    const std::uint32_t* bits_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

// Every channel within the tolerance.
inline ::testing::AssertionResult Near(std::uint32_t actual, std::uint32_t expected,
                                       int tolerance = 3) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int a = static_cast<int>((actual >> shift) & 0xFF);
        const int e = static_cast<int>((expected >> shift) & 0xFF);
        if (std::abs(a - e) > tolerance) {
            char text[64];
            std::snprintf(text, sizeof text, "%08X, expected %08X", actual, expected);
            return ::testing::AssertionFailure() << text;
        }
    }
    return ::testing::AssertionSuccess();
}

// A solid brush made through the flat API, so that the brush class is not under test.
inline std::unique_ptr<TGPBrush> SolidBrush(ARGB color) {
    GpSolidFill* fill = nullptr;
    EXPECT_EQ(Gdip().GdipCreateSolidFill(color, &fill), Ok);
    return MakeAttached<TGPBrush>(static_cast<GpBrush*>(fill));
}

inline std::wstring TempPath(const wchar_t* name) {
    wchar_t dir[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

struct StreamOwner {
    IStream* stream = nullptr;
    ~StreamOwner() {
        if (stream) stream->Release();
    }
};

} // namespace tn::gdiplus::testing
