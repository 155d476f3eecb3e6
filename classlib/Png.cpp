#include "classlib/Png.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <new>
#include <span>

namespace tn::png {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature{137, 80, 78, 71, 13, 10, 26, 10};

constexpr std::uint32_t ChunkType(const char (&s)[5]) noexcept {
    return std::uint32_t(std::uint8_t(s[0])) << 24 | std::uint32_t(std::uint8_t(s[1])) << 16 |
           std::uint32_t(std::uint8_t(s[2])) << 8 | std::uint32_t(std::uint8_t(s[3]));
}
constexpr std::uint32_t kIHDR = ChunkType("IHDR"), kPLTE = ChunkType("PLTE"),
                        kIDAT = ChunkType("IDAT"), kIEND = ChunkType("IEND"),
                        kTRNS = ChunkType("tRNS");

std::uint32_t Be32(const std::uint8_t* p) noexcept {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}
std::uint16_t Be16(const std::uint8_t* p) noexcept {
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

struct Header {
    std::uint32_t width = 0, height = 0;
    unsigned depth = 0, colorType = 0, interlace = 0;
};

unsigned Channels(unsigned colorType) noexcept {
    switch (colorType) {
    case 0:
        return 1;
    case 2:
        return 3;
    case 3:
        return 1;
    case 4:
        return 2;
    case 6:
        return 4;
    default:
        return 0;
    }
}

bool ValidDepth(unsigned colorType, unsigned depth) noexcept {
    switch (colorType) {
    case 0:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6:
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

struct Pass {
    unsigned x0, y0, dx, dy;
};
constexpr std::array<Pass, 7> kAdam7{{{0, 0, 8, 8},
                                      {4, 0, 8, 8},
                                      {0, 4, 4, 8},
                                      {2, 0, 4, 4},
                                      {0, 2, 2, 4},
                                      {1, 0, 2, 2},
                                      {0, 1, 1, 2}}};
constexpr Pass kWhole{0, 0, 1, 1};

struct PassGeometry {
    Pass pass;
    std::uint64_t width = 0, height = 0, rowBytes = 0; // rowBytes without the filter byte
};

std::uint64_t Span(std::uint64_t size, unsigned start, unsigned step) noexcept {
    return size > start ? (size - start + step - 1) / step : 0;
}

// Owns a zlib inflate stream for the lifetime of one decode.
class Inflater {
public:
    Inflater() noexcept { ok_ = inflateInit(&zs_) == Z_OK; }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    ~Inflater() {
        if (ok_) inflateEnd(&zs_);
    }
    [[nodiscard]] bool ok() const noexcept { return ok_; }
    [[nodiscard]] bool finished() const noexcept { return ended_; }

    // Appends what in yields to out, never beyond want bytes in total. False on a corrupt stream.
    bool Feed(const std::uint8_t* in, std::size_t len, std::vector<std::uint8_t>& out,
              std::size_t want) {
        while (len > 0 && !ended_ && out.size() < want) {
            const uInt slice = static_cast<uInt>(std::min<std::size_t>(len, 1u << 30));
            zs_.next_in = const_cast<Bytef*>(in);
            zs_.avail_in = slice;
            while (zs_.avail_in > 0 && !ended_ && out.size() < want) {
                const std::size_t have = out.size();
                const std::size_t grow =
                    std::min<std::size_t>(want - have, std::max<std::size_t>(have, 1u << 16));
                out.resize(have + grow);
                zs_.next_out = out.data() + have;
                zs_.avail_out = static_cast<uInt>(std::min<std::size_t>(grow, 1u << 30));
                const int rc = inflate(&zs_, Z_NO_FLUSH);
                out.resize(have + (grow - zs_.avail_out));
                if (rc == Z_STREAM_END)
                    ended_ = true;
                else if (rc == Z_BUF_ERROR)
                    break; // needs more input than this chunk has
                else if (rc != Z_OK)
                    return false;
            }
            const std::size_t used = slice - zs_.avail_in;
            in += used;
            len -= used;
            if (used == 0) break;
        }
        return true;
    }

private:
    z_stream zs_{};
    bool ok_ = false;
    bool ended_ = false;
};

std::uint8_t Paeth(std::uint8_t a, std::uint8_t b, std::uint8_t c) noexcept {
    const int p = int(a) + int(b) - int(c);
    const int pa = p > a ? p - a : a - p;
    const int pb = p > b ? p - b : b - p;
    const int pc = p > c ? p - c : c - p;
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// Reverses the row filters of one pass in place. prior is null for the first row.
bool Unfilter(std::uint8_t* rows, const PassGeometry& g, std::size_t bpp) noexcept {
    const std::size_t stride = static_cast<std::size_t>(g.rowBytes) + 1;
    const std::uint8_t* prior = nullptr;
    for (std::uint64_t y = 0; y < g.height; ++y) {
        std::uint8_t* line = rows + static_cast<std::size_t>(y) * stride;
        const unsigned filter = line[0];
        std::uint8_t* cur = line + 1;
        const std::size_t n = static_cast<std::size_t>(g.rowBytes);
        switch (filter) {
        case 0:
            break;
        case 1:
            for (std::size_t i = bpp; i < n; ++i)
                cur[i] = std::uint8_t(cur[i] + cur[i - bpp]);
            break;
        case 2:
            if (prior)
                for (std::size_t i = 0; i < n; ++i)
                    cur[i] = std::uint8_t(cur[i] + prior[i]);
            break;
        case 3:
            for (std::size_t i = 0; i < n; ++i) {
                const unsigned left = i >= bpp ? cur[i - bpp] : 0;
                const unsigned up = prior ? prior[i] : 0;
                cur[i] = std::uint8_t(cur[i] + ((left + up) >> 1));
            }
            break;
        case 4:
            for (std::size_t i = 0; i < n; ++i) {
                const std::uint8_t left = i >= bpp ? cur[i - bpp] : 0;
                const std::uint8_t up = prior ? prior[i] : 0;
                const std::uint8_t upLeft = prior && i >= bpp ? prior[i - bpp] : 0;
                cur[i] = std::uint8_t(cur[i] + Paeth(left, up, upLeft));
            }
            break;
        default:
            return false;
        }
        prior = cur;
    }
    return true;
}

struct Transparency {
    bool present = false;
    std::array<std::uint16_t, 3> key{}; // grey or RGB key, at full sample precision
};

struct Palette {
    Palette() noexcept { entries.fill({0, 0, 0, 255}); }
    std::array<std::array<std::uint8_t, 4>, 256> entries; // R, G, B, A; unused entries opaque black
    unsigned count = 0;
};

class Converter {
public:
    Converter(const Header& h, const Palette& pal, const Transparency& trns) noexcept
        : h_(h), pal_(pal), trns_(trns) {}

    // Writes one filtered-out row of a pass into the picture.
    void Row(const std::uint8_t* row, const PassGeometry& g, std::uint64_t passY,
             Image& img) const noexcept {
        const std::uint64_t y = g.pass.y0 + passY * g.pass.dy;
        std::uint8_t* dst = img.bgra.data() + static_cast<std::size_t>(y * img.width * 4);
        for (std::uint64_t i = 0; i < g.width; ++i) {
            const std::uint64_t x = g.pass.x0 + i * g.pass.dx;
            Pixel(row, static_cast<std::size_t>(i), dst + static_cast<std::size_t>(x * 4));
        }
    }

private:
    [[nodiscard]] unsigned Sample(const std::uint8_t* row, std::size_t index) const noexcept {
        switch (h_.depth) {
        case 8:
            return row[index];
        case 16:
            return Be16(row + index * 2);
        default: {
            const std::size_t bit = index * h_.depth;
            const unsigned shift = 8 - h_.depth - static_cast<unsigned>(bit % 8);
            return (row[bit / 8] >> shift) & ((1u << h_.depth) - 1);
        }
        }
    }
    [[nodiscard]] std::uint8_t To8(unsigned v) const noexcept {
        switch (h_.depth) {
        case 1:
            return static_cast<std::uint8_t>(v * 255);
        case 2:
            return static_cast<std::uint8_t>(v * 85);
        case 4:
            return static_cast<std::uint8_t>(v * 17);
        case 16:
            return static_cast<std::uint8_t>(v >> 8);
        default:
            return static_cast<std::uint8_t>(v);
        }
    }
    void Pixel(const std::uint8_t* row, std::size_t i, std::uint8_t* out) const noexcept {
        std::uint8_t r, g, b, a = 255;
        switch (h_.colorType) {
        case 0: {
            const unsigned v = Sample(row, i);
            r = g = b = To8(v);
            if (trns_.present && v == trns_.key[0]) a = 0;
            break;
        }
        case 2: {
            const unsigned sr = Sample(row, i * 3), sg = Sample(row, i * 3 + 1),
                           sb = Sample(row, i * 3 + 2);
            r = To8(sr);
            g = To8(sg);
            b = To8(sb);
            if (trns_.present && sr == trns_.key[0] && sg == trns_.key[1] && sb == trns_.key[2])
                a = 0;
            break;
        }
        case 3: {
            const auto& e = pal_.entries[Sample(row, i) & 0xFF];
            r = e[0];
            g = e[1];
            b = e[2];
            a = e[3];
            break;
        }
        case 4:
            r = g = b = To8(Sample(row, i * 2));
            a = To8(Sample(row, i * 2 + 1));
            break;
        default:
            r = To8(Sample(row, i * 4));
            g = To8(Sample(row, i * 4 + 1));
            b = To8(Sample(row, i * 4 + 2));
            a = To8(Sample(row, i * 4 + 3));
            break;
        }
        out[0] = b;
        out[1] = g;
        out[2] = r;
        out[3] = a;
    }

    const Header& h_;
    const Palette& pal_;
    const Transparency& trns_;
};

class Decoder {
public:
    Decoder(const std::uint8_t* data, std::size_t size, const Limits& limits) noexcept
        : p_(data), end_(data + size), limits_(limits) {}

    bool Run(Image& out) {
        if (!HasSignature(p_, static_cast<std::size_t>(end_ - p_))) return Fail("not a PNG file");
        p_ += kSignature.size();
        if (!inflater_.ok()) return Fail("inflate could not start");
        bool seenIdat = false, idatEnded = false;
        for (;;) {
            if (end_ - p_ < 12) return Fail("truncated file");
            const std::uint32_t length = Be32(p_);
            const std::uint32_t type = Be32(p_ + 4);
            if (length > 0x7FFFFFFFu) return Fail("invalid chunk length");
            if (static_cast<std::uint64_t>(end_ - p_) < std::uint64_t{length} + 12)
                return Fail("truncated file");
            const std::uint8_t* body = p_ + 8;
            if (!ValidType(p_ + 4)) return Fail("invalid chunk type");
            const uLong crc = crc32(crc32(0L, Z_NULL, 0), p_ + 4, length + 4);
            if (crc != Be32(body + length)) return Fail("CRC mismatch in chunk " + Name(p_ + 4));
            p_ = body + length + 4;

            if (type != kIHDR && !haveHeader_) return Fail("first chunk is not IHDR");
            if (seenIdat && type != kIDAT) idatEnded = true;
            if (type == kIHDR) {
                if (haveHeader_) return Fail("second IHDR chunk");
                if (!ReadHeader(body, length)) return false;
            } else if (type == kPLTE) {
                if (seenIdat) return Fail("PLTE after image data");
                if (!ReadPalette(body, length)) return false;
            } else if (type == kTRNS) {
                if (seenIdat) return Fail("tRNS after image data");
                ReadTransparency(body, length);
            } else if (type == kIDAT) {
                if (idatEnded) return Fail("image data not contiguous");
                if (h_.colorType == 3 && pal_.count == 0) return Fail("palette missing");
                seenIdat = true;
                if (!inflater_.Feed(body, length, raw_, static_cast<std::size_t>(rawSize_)))
                    return Fail("corrupt compressed image data");
            } else if (type == kIEND) {
                break;
            } else if ((type >> 24 & 0x20) ==
                       0) { // ancillary chunks have a lower-case first letter
                return Fail("unknown critical chunk " + Name(body - 4));
            }
        }
        if (!seenIdat) return Fail("no image data");
        if (raw_.size() < rawSize_) return Fail("image data truncated");
        return Build(out);
    }

    [[nodiscard]] const std::string& error() const noexcept { return error_; }

private:
    bool Fail(std::string why) {
        error_ = std::move(why);
        return false;
    }
    static bool ValidType(const std::uint8_t* t) noexcept {
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t c = t[i];
            if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
        }
        return true;
    }
    static std::string Name(const std::uint8_t* t) {
        return std::string(reinterpret_cast<const char*>(t), 4);
    }

    bool ReadHeader(const std::uint8_t* b, std::uint32_t length) {
        if (length != 13) return Fail("invalid IHDR length");
        h_.width = Be32(b);
        h_.height = Be32(b + 4);
        h_.depth = b[8];
        h_.colorType = b[9];
        h_.interlace = b[12];
        if (h_.width == 0 || h_.height == 0 || h_.width > 0x7FFFFFFFu || h_.height > 0x7FFFFFFFu)
            return Fail("invalid picture size");
        if (Channels(h_.colorType) == 0) return Fail("invalid colour type");
        if (!ValidDepth(h_.colorType, h_.depth)) return Fail("invalid bit depth");
        if (b[10] != 0 || b[11] != 0) return Fail("unknown compression or filter method");
        if (h_.interlace > 1) return Fail("unknown interlace method");
        if (std::uint64_t{h_.width} * h_.height > limits_.maxPixels)
            return Fail("picture too large");
        const std::uint64_t bits = std::uint64_t{Channels(h_.colorType)} * h_.depth;
        passes_.clear();
        rawSize_ = 0;
        const auto passes =
            h_.interlace ? std::span<const Pass>(kAdam7) : std::span<const Pass>(&kWhole, 1);
        for (const Pass& pass : passes) {
            PassGeometry g{pass};
            g.width = Span(h_.width, pass.x0, pass.dx);
            g.height = Span(h_.height, pass.y0, pass.dy);
            if (g.width == 0 || g.height == 0) continue; // an empty pass has no filter bytes
            g.rowBytes = (g.width * bits + 7) / 8;
            rawSize_ += g.height * (g.rowBytes + 1);
            passes_.push_back(g);
        }
        if (rawSize_ > SIZE_MAX / 2) return Fail("picture too large");
        haveHeader_ = true;
        return true;
    }

    bool ReadPalette(const std::uint8_t* b, std::uint32_t length) {
        if (h_.colorType != 3 && h_.colorType != 2 && h_.colorType != 6)
            return true; // a grey picture's palette is ignored, as common decoders do
        if (length == 0 || length % 3 != 0 || length / 3 > 256) {
            if (h_.colorType == 3) return Fail("invalid palette");
            return true;
        }
        if (h_.colorType != 3) return true; // only a suggestion for true-colour pictures
        if (pal_.count != 0) return Fail("second palette");
        pal_.count = length / 3;
        for (unsigned i = 0; i < pal_.count; ++i)
            pal_.entries[i] = {b[i * 3], b[i * 3 + 1], b[i * 3 + 2], 255};
        return true;
    }

    // A malformed tRNS is ignored rather than fatal, as common decoders treat it.
    void ReadTransparency(const std::uint8_t* b, std::uint32_t length) noexcept {
        switch (h_.colorType) {
        case 0:
            if (length == 2) {
                trns_.present = true;
                trns_.key[0] = Be16(b);
            }
            break;
        case 2:
            if (length == 6) {
                trns_.present = true;
                trns_.key = {Be16(b), Be16(b + 2), Be16(b + 4)};
            }
            break;
        case 3:
            if (pal_.count != 0 && length > 0 && length <= pal_.count) {
                trns_.present = true;
                for (unsigned i = 0; i < length; ++i)
                    pal_.entries[i][3] = b[i];
            }
            break;
        default:
            break;
        }
    }

    bool Build(Image& out) {
        Image img;
        img.width = h_.width;
        img.height = h_.height;
        img.hasAlpha = h_.colorType == 4 || h_.colorType == 6 || trns_.present;
        img.bgra.assign(static_cast<std::size_t>(std::uint64_t{h_.width} * h_.height * 4), 0);
        const std::size_t bpp = std::max<std::size_t>(1, Channels(h_.colorType) * h_.depth / 8);
        const Converter convert(h_, pal_, trns_);
        std::uint8_t* rows = raw_.data();
        for (const PassGeometry& g : passes_) {
            if (!Unfilter(rows, g, bpp)) return Fail("invalid row filter");
            const std::size_t stride = static_cast<std::size_t>(g.rowBytes) + 1;
            for (std::uint64_t y = 0; y < g.height; ++y)
                convert.Row(rows + static_cast<std::size_t>(y) * stride + 1, g, y, img);
            rows += static_cast<std::size_t>(g.height) * stride;
        }
        out = std::move(img);
        return true;
    }

    const std::uint8_t* p_;
    const std::uint8_t* end_;
    const Limits& limits_;
    Header h_;
    bool haveHeader_ = false;
    Palette pal_;
    Transparency trns_;
    std::vector<PassGeometry> passes_;
    std::uint64_t rawSize_ = 0;
    std::vector<std::uint8_t> raw_;
    Inflater inflater_;
    std::string error_;
};

} // namespace

bool HasSignature(const std::uint8_t* data, std::size_t size) noexcept {
    return data && size >= kSignature.size() &&
           std::memcmp(data, kSignature.data(), kSignature.size()) == 0;
}

bool Decode(const std::uint8_t* data, std::size_t size, Image& out, std::string& error,
            const Limits& limits) noexcept {
    out = Image{};
    try {
        Decoder d(data, size, limits);
        if (d.Run(out)) return true;
        error = d.error();
    } catch (const std::bad_alloc&) {
        error = "out of memory";
    } catch (...) {
        error = "decoding failed";
    }
    out = Image{};
    return false;
}

} // namespace tn::png
