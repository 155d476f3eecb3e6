#include "classlib/Graphics.h"

#include "classlib/Jpeg.h"
#include "classlib/MemoryStream.h"

#include <cstring>
#include <limits>
#include <vector>

namespace tn {
namespace {

// Selects an object into a DC for one scope and puts the previous one back.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ obj) noexcept
        : dc_(dc), old_(obj ? ::SelectObject(dc, obj) : nullptr) {}
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    ~Selection() {
        if (old_) ::SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

constexpr std::uint64_t kMaxBitmapPixels = std::uint64_t{1} << 26;

std::uint32_t Le32(const std::uint8_t* p) noexcept {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
std::uint16_t Le16(const std::uint8_t* p) noexcept {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

} // namespace

COLORREF ColorToRGB(TColor c) noexcept {
    if (c & 0x80000000u) return ::GetSysColor(static_cast<int>(c & 0xFF));
    return c & 0xFFFFFF;
}

HCURSOR CursorHandle(TCursor c) noexcept {
    const wchar_t* id = nullptr;
    switch (c) {
    case TCursor::crArrow:
        id = IDC_ARROW;
        break;
    case TCursor::crCross:
        id = IDC_CROSS;
        break;
    case TCursor::crIBeam:
        id = IDC_IBEAM;
        break;
    case TCursor::crSizeNESW:
        id = IDC_SIZENESW;
        break;
    case TCursor::crSizeNS:
        id = IDC_SIZENS;
        break;
    case TCursor::crSizeNWSE:
        id = IDC_SIZENWSE;
        break;
    case TCursor::crSizeWE:
        id = IDC_SIZEWE;
        break;
    case TCursor::crHourGlass:
        id = IDC_WAIT;
        break;
    case TCursor::crNo:
        id = IDC_NO;
        break;
    case TCursor::crAppStart:
        id = IDC_APPSTARTING;
        break;
    case TCursor::crHelp:
        id = IDC_HELP;
        break;
    case TCursor::crHandPoint:
        id = IDC_HAND;
        break;
    case TCursor::crSizeAll:
        id = IDC_SIZEALL;
        break;
    default:
        return nullptr;
    }
    return ::LoadCursorW(nullptr, id);
}

// --- TFont ---------------------------------------------------------------------------------------

TFont& TFont::operator=(const TFont& o) {
    if (this != &o) {
        FName = o.FName;
        FHeight = o.FHeight;
        FColor = o.FColor;
        FStyle = o.FStyle;
        Changed();
    }
    return *this;
}

void TFont::SetName(const std::wstring& name) {
    if (name == FName) return;
    FName = name;
    Changed();
}
void TFont::SetHeight(int height) {
    if (height == FHeight) return;
    FHeight = height;
    Changed();
}
void TFont::SetColor(TColor color) {
    if (color == FColor) return;
    FColor = color;
    Changed();
}
void TFont::SetStyle(unsigned styles) {
    if (styles == FStyle) return;
    FStyle = styles;
    Changed();
}

void TFont::Changed() {
    FHandle.reset();
    if (OnChange) OnChange(this);
}

HFONT TFont::Handle() const {
    if (!FHandle) {
        LOGFONTW lf{};
        lf.lfHeight = FHeight;
        lf.lfWeight = (FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (FStyle & fsItalic) ? TRUE : FALSE;
        lf.lfUnderline = (FStyle & fsUnderline) ? TRUE : FALSE;
        lf.lfStrikeOut = (FStyle & fsStrikeOut) ? TRUE : FALSE;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfQuality = DEFAULT_QUALITY;
        ::lstrcpynW(lf.lfFaceName, FName.c_str(), LF_FACESIZE);
        FHandle.reset(::CreateFontIndirectW(&lf));
        if (!FHandle) return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    }
    return FHandle.get();
}

// --- TCanvas -------------------------------------------------------------------------------------

void TCanvas::TextOut(int x, int y, const std::wstring& text) {
    if (!FHandle) return;
    Selection font(FHandle, Font.Handle());
    ::SetTextColor(FHandle, ColorToRGB(Font.Color()));
    if (Brush.Style == TBrushStyle::bsClear) {
        ::SetBkMode(FHandle, TRANSPARENT);
    } else {
        ::SetBkMode(FHandle, OPAQUE);
        ::SetBkColor(FHandle, ColorToRGB(Brush.Color));
    }
    ::TextOutW(FHandle, x, y, text.c_str(), static_cast<int>(text.size()));
}

SIZE TCanvas::TextExtent(const std::wstring& text) const {
    SIZE size{};
    const auto measure = [&](HDC dc) {
        Selection font(dc, Font.Handle());
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    };
    if (FHandle) {
        measure(FHandle);
    } else {
        const WindowDc screen(nullptr);
        measure(screen.get());
    }
    return size;
}

void TCanvas::FillRect(const RECT& r) {
    if (!FHandle || Brush.Style == TBrushStyle::bsClear) return;
    const UniqueBrush brush(::CreateSolidBrush(ColorToRGB(Brush.Color)));
    if (brush) ::FillRect(FHandle, &r, brush.get());
}

void TCanvas::Rectangle(const RECT& r) {
    if (!FHandle) return;
    int style = PS_SOLID;
    switch (Pen.Style) {
    case TPenStyle::psDash:
        style = PS_DASH;
        break;
    case TPenStyle::psDot:
        style = PS_DOT;
        break;
    case TPenStyle::psClear:
        style = PS_NULL;
        break;
    default:
        break;
    }
    const UniqueHandle<HPEN, GdiObjectTraits<HPEN>> pen(
        ::CreatePen(style, Pen.Width, ColorToRGB(Pen.Color)));
    const UniqueBrush brush(Brush.Style == TBrushStyle::bsClear
                                ? nullptr
                                : ::CreateSolidBrush(ColorToRGB(Brush.Color)));
    Selection p(FHandle, pen.get());
    Selection b(FHandle, brush ? static_cast<HGDIOBJ>(brush.get()) : ::GetStockObject(NULL_BRUSH));
    ::Rectangle(FHandle, r.left, r.top, r.right, r.bottom);
}

void TCanvas::Draw(int x, int y, const TGraphic& graphic, BYTE opacity) {
    StretchDraw({x, y, x + graphic.Width(), y + graphic.Height()}, graphic, opacity);
}

void TCanvas::StretchDraw(const RECT& r, const TGraphic& graphic, BYTE opacity) {
    if (FHandle && !graphic.Empty()) graphic.Draw(*this, r, opacity);
}

// --- TGraphic ------------------------------------------------------------------------------------

void TGraphic::SetTransparent(bool value) {
    if (value == FTransparent) return;
    FTransparent = value;
    Changed();
}

void TGraphic::Changed() {
    if (OnChange) OnChange(this);
}

void TGraphic::Progress(TProgressStage stage, int percent) {
    if (OnProgress) OnProgress(this, stage, percent, false, RECT{0, 0, Width(), Height()}, L"");
}

// --- TBitmap -------------------------------------------------------------------------------------

TBitmap::TBitmap(const TBitmap& o) : TGraphic(o) {
    SetSize(o.FWidth, o.FHeight);
    if (FBits && o.FBits) {
        ::GdiFlush();
        std::memcpy(FBits, o.FBits, std::size_t(FWidth) * FHeight * 4);
    }
    FAlphaFormat = o.FAlphaFormat;
}

TBitmap::~TBitmap() {
    FCanvas.reset();
    Release();
}

void TBitmap::Release() noexcept {
    if (FDc && FOldBitmap) ::SelectObject(FDc.get(), FOldBitmap);
    FOldBitmap = nullptr;
    FDc.reset();
    FBitmap.reset();
    FBits = nullptr;
    FWidth = FHeight = 0;
}

void TBitmap::SetSize(int width, int height) {
    if (width == FWidth && height == FHeight) return;
    if (width < 0 || height < 0 || std::uint64_t(width) * std::uint64_t(height) > kMaxBitmapPixels)
        throw EInvalidGraphic("bitmap size out of range");
    Release();
    if (width > 0 && height > 0) {
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = width;
        bmi.bmiHeader.biHeight = -height; // top-down
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        FBitmap.reset(::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!FBitmap) throw EInvalidGraphic("out of system resources for a bitmap");
        FBits = static_cast<std::uint8_t*>(bits);
        FWidth = width;
        FHeight = height;
    }
    if (FCanvas) FCanvas->SetHandle(MemoryDc());
    Changed();
}

void TBitmap::SetAlphaFormat(TAlphaFormat f) {
    if (f == FAlphaFormat) return;
    FAlphaFormat = f;
    Changed();
}

HDC TBitmap::MemoryDc() const {
    if (!FDc) {
        FDc.reset(::CreateCompatibleDC(nullptr));
        if (!FDc) throw EInvalidGraphic("out of system resources for a device context");
        FOldBitmap = nullptr;
    }
    if (FBitmap && !FOldBitmap) FOldBitmap = ::SelectObject(FDc.get(), FBitmap.get());
    return FDc.get();
}

TCanvas& TBitmap::Canvas() {
    if (!FCanvas) FCanvas = std::make_unique<TCanvas>();
    FCanvas->SetHandle(MemoryDc());
    return *FCanvas;
}

void TBitmap::Draw(TCanvas& canvas, const RECT& r, BYTE opacity) const {
    if (Empty()) return;
    const HDC dst = canvas.Handle();
    const HDC src = MemoryDc();
    ::GdiFlush();
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (FAlphaFormat == TAlphaFormat::afPremultiplied || opacity != 255) {
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, opacity,
                                  FAlphaFormat == TAlphaFormat::afPremultiplied ? BYTE(AC_SRC_ALPHA)
                                                                                : BYTE(0)};
        ::AlphaBlend(dst, r.left, r.top, w, h, src, 0, 0, FWidth, FHeight, blend);
    } else if (Transparent()) {
        // The bottom-left pixel names the transparent colour.
        const std::uint8_t* p = FBits + std::size_t(FHeight - 1) * FWidth * 4;
        ::TransparentBlt(dst, r.left, r.top, w, h, src, 0, 0, FWidth, FHeight,
                         RGB(p[2], p[1], p[0]));
    } else {
        ::SetStretchBltMode(dst, COLORONCOLOR);
        ::StretchBlt(dst, r.left, r.top, w, h, src, 0, 0, FWidth, FHeight, SRCCOPY);
    }
}

std::unique_ptr<TGraphic> TBitmap::Clone() const {
    return std::make_unique<TBitmap>(*this);
}

void TBitmap::LoadFromBytes(const std::uint8_t* data, std::size_t size) {
    // File header (14 bytes), then an information header of 40 bytes or more.
    if (size < 14 + 40 || data[0] != 'B' || data[1] != 'M')
        throw EInvalidGraphic("not a bitmap file");
    const std::uint32_t offBits = Le32(data + 10);
    const std::uint8_t* info = data + 14;
    const std::uint32_t infoSize = Le32(info);
    const auto width = static_cast<std::int32_t>(Le32(info + 4));
    const auto height = static_cast<std::int32_t>(Le32(info + 8));
    const unsigned planes = Le16(info + 12), bpp = Le16(info + 14);
    const std::uint32_t compression = Le32(info + 16);
    std::uint32_t colours = Le32(info + 32);
    if (infoSize < 40 || infoSize > size - 14 || planes != 1)
        throw EInvalidGraphic("corrupt bitmap header");
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        throw EInvalidGraphic("unsupported bitmap depth");
    if (compression != BI_RGB && !(compression == BI_BITFIELDS && (bpp == 16 || bpp == 32)))
        throw EInvalidGraphic("unsupported bitmap compression");
    if (width <= 0 || height == 0 || height == std::numeric_limits<std::int32_t>::min())
        throw EInvalidGraphic("corrupt bitmap size");
    const std::uint64_t rows =
        static_cast<std::uint64_t>(height < 0 ? -std::int64_t{height} : height);
    if (std::uint64_t(width) * rows > kMaxBitmapPixels) throw EInvalidGraphic("bitmap too large");
    if (bpp <= 8 && (colours == 0 || colours > (1u << bpp))) colours = 1u << bpp;
    if (bpp > 8) colours = 0;
    const std::uint64_t masks = (compression == BI_BITFIELDS && infoSize == 40) ? 12 : 0;
    const std::uint64_t headerEnd =
        14 + std::uint64_t{infoSize} + masks + std::uint64_t{colours} * 4;
    const std::uint64_t stride = (std::uint64_t(width) * bpp + 31) / 32 * 4;
    if (headerEnd > size || offBits < headerEnd || std::uint64_t{offBits} + stride * rows > size)
        throw EInvalidGraphic("truncated bitmap file");
    Progress(TProgressStage::psStarting, 0);
    // The header is copied so that GDI reads nothing beyond what was checked.
    std::vector<std::uint8_t> header(info, data + headerEnd);
    auto* bmi = reinterpret_cast<BITMAPINFO*>(header.data());
    SetSize(width, static_cast<int>(rows));
    ::StretchDIBits(MemoryDc(), 0, 0, width, static_cast<int>(rows), 0, 0, width,
                    static_cast<int>(rows), data + offBits, bmi, DIB_RGB_COLORS, SRCCOPY);
    ::GdiFlush();
    FAlphaFormat = TAlphaFormat::afIgnored;
    Progress(TProgressStage::psEnding, 100);
    Changed();
}

void TBitmap::SaveToStream(TMemoryStream& stream) const {
    // The file's records have no pointer-sized field: the same bytes on every build.
    static_assert(sizeof(BITMAPFILEHEADER) == 14 && sizeof(BITMAPINFOHEADER) == 40);
    if (Empty()) throw EInvalidGraphic("an empty bitmap has no file form");
    const std::size_t stride = std::size_t(FWidth) * 4;
    const std::size_t pixels = stride * std::size_t(FHeight); // below 2^28 by the size bound
    constexpr DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfSize = headers + static_cast<DWORD>(pixels);
    file.bfOffBits = headers;
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(BITMAPINFOHEADER);
    info.biWidth = FWidth;
    info.biHeight = FHeight; // bottom-up, as every reader takes it
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(pixels);
    std::vector<std::uint8_t> bytes(headers + pixels);
    std::memcpy(bytes.data(), &file, sizeof file);
    std::memcpy(bytes.data() + sizeof file, &info, sizeof info);
    ::GdiFlush();
    for (int y = 0; y < FHeight; ++y)
        std::memcpy(bytes.data() + headers + std::size_t(FHeight - 1 - y) * stride,
                    FBits + std::size_t(y) * stride, stride);
    stream.Write(bytes.data(), bytes.size());
}

void TBitmap::SaveToFile(const std::wstring& path) const {
    TMemoryStream stream;
    SaveToStream(stream);
    stream.SaveToFile(path);
}

// --- TPngImage -----------------------------------------------------------------------------------

void TPngImage::Draw(TCanvas& canvas, const RECT& r, BYTE opacity) const {
    if (Empty()) return;
    if (!FPremultiplied) {
        auto bmp = std::make_unique<TBitmap>();
        bmp->SetSize(Width(), Height());
        const std::uint8_t* s = FImage.bgra.data();
        std::uint8_t* d = bmp->Bits();
        for (std::size_t i = 0, n = FImage.bgra.size(); i < n; i += 4) {
            const unsigned a = s[i + 3];
            d[i] = static_cast<std::uint8_t>((s[i] * a + 127) / 255);
            d[i + 1] = static_cast<std::uint8_t>((s[i + 1] * a + 127) / 255);
            d[i + 2] = static_cast<std::uint8_t>((s[i + 2] * a + 127) / 255);
            d[i + 3] = static_cast<std::uint8_t>(a);
        }
        bmp->SetAlphaFormat(TAlphaFormat::afPremultiplied);
        FPremultiplied = std::move(bmp);
    }
    FPremultiplied->Draw(canvas, r, opacity);
}

std::unique_ptr<TGraphic> TPngImage::Clone() const {
    return std::make_unique<TPngImage>(*this);
}

void TPngImage::LoadFromBytes(const std::uint8_t* data, std::size_t size) {
    Progress(TProgressStage::psStarting, 0);
    png::Image img;
    std::string error;
    if (!png::Decode(data, size, img, error)) throw EInvalidGraphic("PNG image: " + error);
    FImage = std::move(img);
    FPremultiplied.reset();
    Progress(TProgressStage::psEnding, 100);
    Changed();
}

// --- TPicture ------------------------------------------------------------------------------------

TPicture::TPicture(const TPicture& o)
    : TObject(o), FGraphic(o.FGraphic ? o.FGraphic->Clone() : nullptr) {
    Attach();
}

TPicture& TPicture::operator=(const TPicture& o) {
    if (this != &o) Assign(o);
    return *this;
}

TPicture::~TPicture() = default;

void TPicture::Assign(const TPicture& other) {
    if (&other == this) return;
    SetGraphic(other.FGraphic ? other.FGraphic->Clone() : nullptr);
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
    FGraphic = std::move(graphic);
    Attach();
    Changed();
}

void TPicture::Attach() {
    if (!FGraphic) return;
    FGraphic->OnChange = [this](TObject*) { Changed(); };
    FGraphic->OnProgress = [this](TObject*, TProgressStage stage, int percent, bool redraw,
                                  const RECT& r, const std::wstring& msg) {
        if (OnProgress) OnProgress(this, stage, percent, redraw, r, msg);
    };
}

void TPicture::Changed() {
    if (OnChange) OnChange(this);
}

TBitmap& TPicture::Bitmap() {
    if (!dynamic_cast<TBitmap*>(FGraphic.get())) SetGraphic(std::make_unique<TBitmap>());
    return static_cast<TBitmap&>(*FGraphic);
}

void TPicture::LoadFromBytes(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<TGraphic> g;
    if (png::HasSignature(data, size))
        g = std::make_unique<TPngImage>();
    else if (HasJpegSignature(data, size))
        g = std::make_unique<TJPEGImage>();
    else if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        g = std::make_unique<TBitmap>();
    else
        throw EInvalidGraphic("unknown picture format");
    g->OnProgress = [this](TObject*, TProgressStage stage, int percent, bool redraw, const RECT& r,
                           const std::wstring& msg) {
        if (OnProgress) OnProgress(this, stage, percent, redraw, r, msg);
    };
    g->LoadFromBytes(data, size);
    SetGraphic(std::move(g));
}

void TPicture::LoadFromFile(const std::wstring& path) {
    const UniqueHandleKernel file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                                nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size))
        throw EInvalidGraphic("cannot open the picture file");
    if (size.QuadPart > 0x7FFFFFFF) throw EInvalidGraphic("picture file too large");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() &&
        (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
         read != bytes.size()))
        throw EInvalidGraphic("cannot read the picture file");
    LoadFromBytes(bytes.data(), bytes.size());
}

void TPicture::LoadFromResource(const wchar_t* name, HMODULE module) {
    if (!module) module = ::GetModuleHandleW(nullptr);
    const HRSRC res = ::FindResourceW(module, name, MAKEINTRESOURCEW(10)); // RT_RCDATA
    const HGLOBAL mem = res ? ::LoadResource(module, res) : nullptr;
    const void* data = mem ? ::LockResource(mem) : nullptr;
    if (!data) throw EInvalidGraphic("picture resource not found");
    LoadFromBytes(static_cast<const std::uint8_t*>(data), ::SizeofResource(module, res));
}

} // namespace tn
