// A JPEG picture over the JPEG library: decoded from bytes into a bitmap, assigned from a bitmap
// and encoded to bytes or a file. Every failure of the library raises EInvalidGraphic.
#pragma once

#include "classlib/Graphics.h"
#include "classlib/MemoryStream.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tn {

// The quality a picture encodes with until it is told another: high enough that page text stays
// legible, on the library's scale of 1 to 100.
inline constexpr int kJpegDefaultQuality = 90;

class TJPEGImage : public TGraphic {
public:
    TJPEGImage() = default;
    TJPEGImage(const TJPEGImage& o);
    TJPEGImage& operator=(const TJPEGImage&) = delete;
    ~TJPEGImage() override;

    [[nodiscard]] int Width() const noexcept override;
    [[nodiscard]] int Height() const noexcept override;
    [[nodiscard]] int CompressionQuality() const noexcept { return FQuality; }
    // Clamped to 1..100.
    void SetCompressionQuality(int quality) noexcept;
    // The pixels, decoded or assigned; empty while the picture is.
    [[nodiscard]] const TBitmap& Bitmap() const noexcept { return *FBitmap; }

    // Takes a copy of the bitmap's pixels (alpha is dropped when encoding).
    void Assign(const TBitmap& bitmap);
    // Baseline JPEG of the pixels in the picture's quality, written at the stream's position.
    // Raises EInvalidGraphic for an empty picture or a failure of the library; the stream is then
    // unchanged.
    void SaveToStream(TMemoryStream& stream) const;
    // The same as a file, which is replaced; nothing is written when encoding fails. Raises
    // EInvalidGraphic, and EFileError when the file cannot be written.
    void SaveToFile(const std::wstring& path) const;

    void Draw(TCanvas& canvas, const RECT& r, BYTE opacity = 255) const override;
    [[nodiscard]] std::unique_ptr<TGraphic> Clone() const override;
    // Grey-scale and colour JPEG files; EInvalidGraphic when the library refuses them.
    void LoadFromBytes(const std::uint8_t* data, std::size_t size) override;

private:
    std::unique_ptr<TBitmap> FBitmap = std::make_unique<TBitmap>();
    int FQuality = kJpegDefaultQuality;
};

// The bytes start as a JPEG file does.
[[nodiscard]] bool HasJpegSignature(const std::uint8_t* data, std::size_t size) noexcept;

} // namespace tn
