// The decoder against the platform's own: every fixture decoded by GDI+ (bound by name here) must
// give the same pixels.
#include "classlib/Png.h"

#include "classlib/Handles.h"
#include "tests/classlib/PngFixtures.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

namespace {

using namespace tn::test;

// The few flat-API entry points this test needs, declared from their documented signatures.
struct StartupInput {
    UINT32 version = 1;
    void* debugCallback = nullptr;
    BOOL suppressBackgroundThread = FALSE;
    BOOL suppressExternalCodecs = FALSE;
};
struct Rect {
    INT x, y, width, height;
};
struct BitmapData {
    UINT width, height;
    INT stride;
    INT pixelFormat;
    void* scan0;
    UINT_PTR reserved;
};
constexpr INT kFormat32bppARGB = 0x26200A;
constexpr UINT kLockRead = 1;

class Gdiplus {
public:
    Gdiplus() : lib_(::LoadLibraryW(L"gdiplus.dll")) {
        if (!lib_) return;
        Bind(startup_, "GdiplusStartup");
        Bind(shutdown_, "GdiplusShutdown");
        Bind(fromFile_, "GdipCreateBitmapFromFile");
        Bind(dispose_, "GdipDisposeImage");
        Bind(lock_, "GdipBitmapLockBits");
        Bind(unlock_, "GdipBitmapUnlockBits");
        Bind(width_, "GdipGetImageWidth");
        Bind(height_, "GdipGetImageHeight");
        StartupInput in;
        ok_ = startup_ && shutdown_ && fromFile_ && dispose_ && lock_ && unlock_ && width_ &&
              height_ && startup_(&token_, &in, nullptr) == 0;
    }
    ~Gdiplus() {
        if (ok_) shutdown_(token_);
    }
    [[nodiscard]] bool ok() const noexcept { return ok_; }

    // The file's pixels as 32-bit ARGB (B, G, R, A bytes); false when GDI+ refuses the file.
    bool Load(const std::wstring& path, UINT& w, UINT& h, std::vector<std::uint8_t>& pixels) {
        void* bitmap = nullptr;
        if (fromFile_(path.c_str(), &bitmap) != 0) return false;
        width_(bitmap, &w);
        height_(bitmap, &h);
        const Rect r{0, 0, static_cast<INT>(w), static_cast<INT>(h)};
        BitmapData data{};
        const bool locked = lock_(bitmap, &r, kLockRead, kFormat32bppARGB, &data) == 0;
        if (locked) {
            pixels.resize(std::size_t{w} * h * 4);
            for (UINT y = 0; y < h; ++y)
                std::memcpy(pixels.data() + std::size_t{y} * w * 4,
                            static_cast<const std::uint8_t*>(data.scan0) +
                                std::ptrdiff_t{data.stride} * y,
                            std::size_t{w} * 4);
            unlock_(bitmap, &data);
        }
        dispose_(bitmap);
        return locked;
    }

private:
    template <typename F> void Bind(F& f, const char* name) {
        f = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(lib_.get(), name)));
    }
    tn::UniqueModule lib_;
    bool ok_ = false;
    ULONG_PTR token_ = 0;
    int(WINAPI* startup_)(ULONG_PTR*, const StartupInput*, void*) = nullptr;
    void(WINAPI* shutdown_)(ULONG_PTR) = nullptr;
    int(WINAPI* fromFile_)(const wchar_t*, void**) = nullptr;
    int(WINAPI* dispose_)(void*) = nullptr;
    int(WINAPI* lock_)(void*, const Rect*, UINT, INT, BitmapData*) = nullptr;
    int(WINAPI* unlock_)(void*, BitmapData*) = nullptr;
    int(WINAPI* width_)(void*, UINT*) = nullptr;
    int(WINAPI* height_)(void*, UINT*) = nullptr;
};

std::wstring Wide(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

TEST(PngDecode, GivesThePixelsOfThePlatformDecoder) {
    Gdiplus gdiplus;
    ASSERT_TRUE(gdiplus.ok());
    const auto fixtures = PngManifest();
    ASSERT_FALSE(fixtures.empty());
    for (const auto& f : fixtures) {
        SCOPED_TRACE(f.name);
        const std::string path = PngFixtureDir() + f.name + ".png";
        UINT w = 0, h = 0;
        std::vector<std::uint8_t> theirs;
        ASSERT_TRUE(gdiplus.Load(Wide(path), w, h, theirs));
        const auto file = ReadBytes(path);
        tn::png::Image ours;
        std::string error;
        ASSERT_TRUE(tn::png::Decode(file.data(), file.size(), ours, error)) << error;
        ASSERT_EQ(ours.width, w);
        ASSERT_EQ(ours.height, h);
        EXPECT_EQ(ours.bgra, theirs);
    }
}

} // namespace
