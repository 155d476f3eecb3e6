// The generated PNG fixtures: where they lie in the build tree and what the list says of them.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace tn::test {

// The build tree as this program sees it: a Unix path natively, a Z: drive path under Wine.
inline std::string BinaryDir() {
    const char* dir = std::getenv("TN_BINARY_DIR");
    std::string d = dir ? dir : ".";
#ifdef _WIN32
    if (!d.empty() && d[0] == '/') d = "Z:" + d;
    for (char& c : d)
        if (c == '/') c = '\\';
#endif
    return d;
}

inline std::string PngFixtureDir() {
#ifdef _WIN32
    return BinaryDir() + "\\tests\\classlib\\png\\";
#else
    return BinaryDir() + "/tests/classlib/png/";
#endif
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct PngFixture {
    std::string name;
    std::uint32_t width = 0, height = 0;
};

inline std::vector<PngFixture> PngManifest() {
    std::ifstream in(PngFixtureDir() + "manifest.txt");
    std::vector<PngFixture> list;
    PngFixture f;
    while (in >> f.name >> f.width >> f.height)
        list.push_back(f);
    return list;
}

// Crafted files: every chunk gets a correct CRC, so only the rule under test is broken.
class PngBuilder {
public:
    PngBuilder() : bytes_{137, 80, 78, 71, 13, 10, 26, 10} {}
    PngBuilder& Chunk(const char* type, const std::vector<std::uint8_t>& body) {
        Put32(static_cast<std::uint32_t>(body.size()));
        const std::size_t start = bytes_.size();
        bytes_.insert(bytes_.end(), type, type + 4);
        bytes_.insert(bytes_.end(), body.begin(), body.end());
        Put32(static_cast<std::uint32_t>(
            crc32(0, bytes_.data() + start, static_cast<uInt>(bytes_.size() - start))));
        return *this;
    }
    PngBuilder& Header(std::uint32_t w, std::uint32_t h, int depth, int type, int interlace = 0,
                       int compression = 0, int filter = 0) {
        std::vector<std::uint8_t> b;
        for (const std::uint32_t v : {w, h})
            for (int s = 24; s >= 0; s -= 8)
                b.push_back(static_cast<std::uint8_t>(v >> s));
        b.insert(b.end(), {std::uint8_t(depth), std::uint8_t(type), std::uint8_t(compression),
                           std::uint8_t(filter), std::uint8_t(interlace)});
        return Chunk("IHDR", b);
    }
    PngBuilder& Data(const std::vector<std::uint8_t>& raw) { return Chunk("IDAT", Compress(raw)); }
    PngBuilder& End() { return Chunk("IEND", {}); }
    [[nodiscard]] const std::vector<std::uint8_t>& bytes() const noexcept { return bytes_; }

    static std::vector<std::uint8_t> Compress(const std::vector<std::uint8_t>& raw) {
        uLongf n = compressBound(static_cast<uLong>(raw.size()));
        std::vector<std::uint8_t> out(n);
        compress(out.data(), &n, raw.data(), static_cast<uLong>(raw.size()));
        out.resize(n);
        return out;
    }

private:
    void Put32(std::uint32_t v) {
        for (int s = 24; s >= 0; s -= 8)
            bytes_.push_back(static_cast<std::uint8_t>(v >> s));
    }
    std::vector<std::uint8_t> bytes_;
};

// A picture of straight RGBA pixels (R, G, B, A per pixel), rows unfiltered.
inline std::vector<std::uint8_t> RgbaPng(std::uint32_t w, std::uint32_t h,
                                         const std::vector<std::uint8_t>& rgba) {
    std::vector<std::uint8_t> raw;
    for (std::uint32_t y = 0; y < h; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgba.begin() + y * w * 4, rgba.begin() + (y + 1) * w * 4);
    }
    return PngBuilder().Header(w, h, 8, 6).Data(raw).End().bytes();
}

} // namespace tn::test
