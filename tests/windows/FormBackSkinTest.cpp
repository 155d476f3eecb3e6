// What the skin drawing hands to the layered window: this program's import of UpdateLayeredWindow
// is pointed at a recorder, which reads the source bitmap's pixels at the moment of the call and
// then passes the call on. The pixels must be the picture's own, premultiplied by its alpha: a
// see-through corner that reached the window opaque would show there.
#include "windows/FormBack.h"

#include "classlib/Png.h"
#include "classlib/Text.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace tn;

// Points this program's import of one function at a replacement while it lives.
class ImportPatch {
public:
    ImportPatch(const wchar_t* dll, const char* name, FARPROC replacement) {
        original_ = ::GetProcAddress(::GetModuleHandleW(dll), name);
        auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (!original_ || !imports.VirtualAddress) return;
        for (auto* d =
                 reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             d->Name; ++d) {
            for (auto* t = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
                 t->u1.Function; ++t) {
                if (t->u1.Function != reinterpret_cast<ULONG_PTR>(original_)) continue;
                slot_ = &t->u1.Function;
                Write(reinterpret_cast<ULONG_PTR>(replacement));
                return;
            }
        }
    }
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;
    ~ImportPatch() {
        if (slot_) Write(reinterpret_cast<ULONG_PTR>(original_));
    }

    [[nodiscard]] bool patched() const noexcept { return slot_ != nullptr; }
    [[nodiscard]] FARPROC original() const noexcept { return original_; }

private:
    void Write(ULONG_PTR value) {
        DWORD old = 0;
        ::VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &old);
        *slot_ = value;
        ::VirtualProtect(slot_, sizeof *slot_, old, &old);
    }

    FARPROC original_ = nullptr;
    decltype(IMAGE_THUNK_DATA::u1.Function)* slot_ = nullptr;
};

using UpdateLayeredWindowFn = decltype(&::UpdateLayeredWindow);

struct Received {
    int calls = 0;
    DWORD flags = 0;
    BLENDFUNCTION blend{};
    SIZE size{};
    POINT source{-1, -1};
    bool positionGiven = true;
    std::vector<std::uint8_t> bgra; // the source bitmap, top-down 32-bit rows
};
Received g_received;
UpdateLayeredWindowFn g_real = nullptr;

BOOL WINAPI RecordUpdateLayeredWindow(HWND wnd, HDC dst, POINT* position, SIZE* size, HDC src,
                                      POINT* source, COLORREF key, BLENDFUNCTION* blend,
                                      DWORD flags) {
    Received& r = g_received;
    ++r.calls;
    r.flags = flags;
    r.positionGiven = position != nullptr;
    if (blend) r.blend = *blend;
    if (size) r.size = *size;
    if (source) r.source = *source;
    r.bgra.clear();
    if (size && src) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = size->cx;
        info.bmiHeader.biHeight = -size->cy;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        r.bgra.resize(static_cast<std::size_t>(size->cx) * static_cast<std::size_t>(size->cy) * 4);
        const auto bitmap = static_cast<HBITMAP>(::GetCurrentObject(src, OBJ_BITMAP));
        if (::GetDIBits(src, bitmap, 0, static_cast<UINT>(size->cy), r.bgra.data(), &info,
                        DIB_RGB_COLORS) != size->cy)
            r.bgra.clear();
    }
    return g_real(wnd, dst, position, size, src, source, key, blend, flags);
}

std::wstring BuiltFile(const wchar_t* relative) {
    return L"Z:" + text::ReplaceAll(text::FromUtf8(std::getenv("TN_BINARY_DIR")), L"/", L"\\") +
           relative;
}

png::Image Picture(const std::wstring& path) {
    const std::string bytes = tn::testing::ReadFileBytes(path);
    png::Image image;
    std::string error;
    EXPECT_TRUE(png::Decode(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                            image, error))
        << error;
    return image;
}

class FormBackSkin : public ::testing::TestWithParam<const wchar_t*> {
protected:
    void SetUp() override {
        g_received = {};
        g_real = reinterpret_cast<UpdateLayeredWindowFn>(
            reinterpret_cast<void (*)()>(patch_.original()));
        ASSERT_TRUE(patch_.patched()) << "no import of UpdateLayeredWindow to point elsewhere";
        wnd_ = ::CreateWindowExW(0, L"STATIC", L"skin", WS_POPUP, 30, 40, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
        ASSERT_NE(wnd_, nullptr);
    }
    void TearDown() override {
        if (wnd_) ::DestroyWindow(wnd_);
    }

    ImportPatch patch_{
        L"user32.dll", "UpdateLayeredWindow",
        reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&RecordUpdateLayeredWindow))};
    HWND wnd_ = nullptr;
};

TEST_P(FormBackSkin, TheWindowReceivesThePicturesPixelsPremultipliedSeeThroughWhereItIs) {
    const std::wstring path = BuiltFile(GetParam());
    const png::Image picture = Picture(path);
    ASSERT_TRUE(picture.hasAlpha);
    ASSERT_TRUE(TFormBack::DrawLayeredImage(wnd_, path, 100));

    const Received& r = g_received;
    ASSERT_EQ(r.calls, 1);
    EXPECT_EQ(r.flags, DWORD{ULW_ALPHA});
    EXPECT_EQ(r.blend.BlendOp, AC_SRC_OVER);
    EXPECT_EQ(r.blend.SourceConstantAlpha, 255);
    EXPECT_EQ(r.blend.AlphaFormat, AC_SRC_ALPHA);
    EXPECT_FALSE(r.positionGiven);
    EXPECT_EQ(r.source.x, 0);
    EXPECT_EQ(r.source.y, 0);
    ASSERT_EQ(r.size.cx, static_cast<LONG>(picture.width));
    ASSERT_EQ(r.size.cy, static_cast<LONG>(picture.height));
    ASSERT_EQ(r.bgra.size(), picture.bgra.size()) << "the source bitmap could not be read";

    // Every pixel: the alpha exact, each colour the picture's times its alpha, within rounding.
    std::size_t seeThrough = 0, opaque = 0, wrong = 0;
    std::string first;
    for (std::size_t i = 0; i < picture.bgra.size(); i += 4) {
        const int alpha = picture.bgra[i + 3];
        seeThrough += alpha == 0;
        opaque += alpha == 255;
        bool ok = r.bgra[i + 3] == alpha;
        for (std::size_t c = 0; c < 3; ++c)
            ok = ok && std::abs(r.bgra[i + c] - (picture.bgra[i + c] * alpha + 127) / 255) <= 2;
        if (!ok && wrong++ == 0) {
            const std::size_t pixel = i / 4;
            char text[96];
            std::snprintf(text, sizeof text, "(%u,%u) BGRA %d,%d,%d,%d, picture alpha %d",
                          static_cast<unsigned>(pixel % picture.width),
                          static_cast<unsigned>(pixel / picture.width), r.bgra[i], r.bgra[i + 1],
                          r.bgra[i + 2], r.bgra[i + 3], alpha);
            first = text;
        }
    }
    EXPECT_GT(seeThrough, 0u);
    EXPECT_GT(opaque, 0u);
    EXPECT_EQ(wrong, 0u) << "first: " << first;
    // The corners are see-through in both skins.
    const auto alphaAt = [&](std::uint32_t x, std::uint32_t y) {
        return r.bgra[(static_cast<std::size_t>(y) * picture.width + x) * 4 + 3];
    };
    const std::uint32_t w = picture.width - 1, h = picture.height - 1;
    EXPECT_EQ(alphaAt(0, 0) + alphaAt(w, 0) + alphaAt(0, h) + alphaAt(w, h), 0);
}

INSTANTIATE_TEST_SUITE_P(Skins, FormBackSkin,
                         ::testing::Values(L"\\windows\\Skin\\loginback.png",
                                           L"\\assets\\skin_small.png"));

} // namespace
