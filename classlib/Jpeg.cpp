#include "classlib/Jpeg.h"

#include <windows.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

// After windows.h: the library's configuration then takes the system's boolean and INT32.
#include <jpeglib.h>
#include <jerror.h>

namespace tn {
namespace {

// The library's default error exit ends the process. Ours jumps back to the call that started
// the library's work, which then raises: no C++ exception ever passes through the library's
// frames, and no frame the jump skips holds an object with a destructor.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings (a file cut short, for one) are not printed: a GUI program has no console.
void OutputMessage(j_common_ptr) {}

void InitErrors(ErrorManager& err) {
    jpeg_std_error(&err.pub);
    err.pub.error_exit = &ErrorExit;
    err.pub.output_message = &OutputMessage;
    err.message[0] = '\0';
}

[[noreturn]] void RaiseLibraryError(const ErrorManager& err) {
    throw EInvalidGraphic(std::string("JPEG image: ") + err.message);
}

// --- encoding into memory ------------------------------------------------------------------------

struct Destination {
    jpeg_destination_mgr pub;
    std::vector<std::uint8_t>* out;
    JOCTET buffer[4096];
};

bool Append(std::vector<std::uint8_t>& out, const JOCTET* data, std::size_t size) noexcept {
    try {
        out.insert(out.end(), data, data + size);
        return true;
    } catch (...) {
        return false; // reported to the library, which exits through ErrorExit
    }
}

void InitDestination(j_compress_ptr info) {
    auto* d = reinterpret_cast<Destination*>(info->dest);
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = sizeof d->buffer;
}

boolean EmptyOutputBuffer(j_compress_ptr info) {
    auto* d = reinterpret_cast<Destination*>(info->dest);
    if (!Append(*d->out, d->buffer, sizeof d->buffer)) ERREXIT1(info, JERR_OUT_OF_MEMORY, 1);
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = sizeof d->buffer;
    return TRUE;
}

void TermDestination(j_compress_ptr info) {
    auto* d = reinterpret_cast<Destination*>(info->dest);
    if (!Append(*d->out, d->buffer, sizeof d->buffer - d->pub.free_in_buffer))
        ERREXIT1(info, JERR_OUT_OF_MEMORY, 2);
}

struct Encoder {
    ErrorManager err;
    jpeg_compress_struct info;
    Destination dest;

    explicit Encoder(std::vector<std::uint8_t>& out) : err{}, info{}, dest{} {
        InitErrors(err);
        info.err = &err.pub;
        dest.pub.init_destination = &InitDestination;
        dest.pub.empty_output_buffer = &EmptyOutputBuffer;
        dest.pub.term_destination = &TermDestination;
        dest.out = &out;
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;
    // Safe also when the library never set the object up.
    ~Encoder() { jpeg_destroy_compress(&info); }
};

// The library's whole run over top-down BGRA rows; false when its error exit jumped back here.
bool RunCompress(Encoder& e, const std::uint8_t* bits, int width, int height, int quality) {
    if (setjmp(e.err.jump)) return false;
    jpeg_create_compress(&e.info);
    e.info.dest = &e.dest.pub;
    e.info.image_width = static_cast<JDIMENSION>(width);
    e.info.image_height = static_cast<JDIMENSION>(height);
    e.info.input_components = 3;
    e.info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&e.info);
    jpeg_set_quality(&e.info, quality, TRUE);
    jpeg_start_compress(&e.info, TRUE);
    // The row lives in the library's own pool, released with the object.
    JSAMPARRAY row = (*e.info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&e.info),
                                                 JPOOL_IMAGE, e.info.image_width * 3, 1);
    const std::size_t stride = std::size_t(width) * 4;
    while (e.info.next_scanline < e.info.image_height) {
        const std::uint8_t* s = bits + e.info.next_scanline * stride;
        JSAMPROW d = row[0];
        for (int x = 0; x < width; ++x, s += 4, d += 3) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
        }
        (void)jpeg_write_scanlines(&e.info, row, 1);
    }
    jpeg_finish_compress(&e.info);
    return true;
}

// --- decoding from memory ------------------------------------------------------------------------

const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr) {}

// The bytes ran out: the image ends there, as it does for a file cut short.
boolean FillInputBuffer(j_decompress_ptr info) {
    WARNMS(info, JWRN_JPEG_EOF);
    info->src->next_input_byte = kEndOfImage;
    info->src->bytes_in_buffer = sizeof kEndOfImage;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count) {
    if (count <= 0) return;
    while (static_cast<unsigned long>(count) > info->src->bytes_in_buffer) {
        count -= static_cast<long>(info->src->bytes_in_buffer);
        (void)FillInputBuffer(info);
    }
    info->src->next_input_byte += count;
    info->src->bytes_in_buffer -= static_cast<std::size_t>(count);
}

void TermSource(j_decompress_ptr) {}

struct Decoder {
    ErrorManager err;
    jpeg_decompress_struct info;
    jpeg_source_mgr src;

    Decoder(const std::uint8_t* data, std::size_t size) : err{}, info{}, src{} {
        InitErrors(err);
        info.err = &err.pub;
        src.init_source = &InitSource;
        src.fill_input_buffer = &FillInputBuffer;
        src.skip_input_data = &SkipInputData;
        src.resync_to_restart = &jpeg_resync_to_restart;
        src.term_source = &TermSource;
        src.next_input_byte = data;
        src.bytes_in_buffer = size;
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    ~Decoder() { jpeg_destroy_decompress(&info); }
};

// The header, which gives the size; false when the library's error exit jumped back here.
bool ReadHeader(Decoder& d) {
    if (setjmp(d.err.jump)) return false;
    jpeg_create_decompress(&d.info);
    d.info.src = &d.src;
    (void)jpeg_read_header(&d.info, TRUE);
    d.info.out_color_space = JCS_RGB;
    return true;
}

// The pixels into top-down BGRA rows of the header's size (no scaling is asked for, so the
// output has the image's size).
bool RunDecompress(Decoder& d, std::uint8_t* bits) {
    if (setjmp(d.err.jump)) return false;
    (void)jpeg_start_decompress(&d.info);
    JSAMPARRAY row = (*d.info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&d.info),
                                                 JPOOL_IMAGE, d.info.output_width * 3, 1);
    const std::size_t stride = std::size_t(d.info.output_width) * 4;
    while (d.info.output_scanline < d.info.output_height) {
        std::uint8_t* t = bits + d.info.output_scanline * stride;
        // Our source never suspends; the finish below raises for the rows missing.
        if (jpeg_read_scanlines(&d.info, row, 1) != 1) break;
        const JSAMPLE* s = row[0];
        for (JDIMENSION x = 0; x < d.info.output_width; ++x, s += 3, t += 4) {
            t[0] = s[2];
            t[1] = s[1];
            t[2] = s[0];
            t[3] = 0xFF;
        }
    }
    (void)jpeg_finish_decompress(&d.info);
    return true;
}

} // namespace

bool HasJpegSignature(const std::uint8_t* data, std::size_t size) noexcept {
    return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

TJPEGImage::TJPEGImage(const TJPEGImage& o)
    : TGraphic(o), FBitmap(std::make_unique<TBitmap>(*o.FBitmap)), FQuality(o.FQuality) {}

TJPEGImage::~TJPEGImage() = default;

int TJPEGImage::Width() const noexcept {
    return FBitmap->Width();
}
int TJPEGImage::Height() const noexcept {
    return FBitmap->Height();
}

void TJPEGImage::SetCompressionQuality(int quality) noexcept {
    FQuality = std::clamp(quality, 1, 100);
}

void TJPEGImage::Assign(const TBitmap& bitmap) {
    FBitmap = std::make_unique<TBitmap>(bitmap);
    Changed();
}

void TJPEGImage::SaveToStream(TMemoryStream& stream) const {
    if (Empty()) throw EInvalidGraphic("JPEG image: nothing to encode");
    ::GdiFlush();
    std::vector<std::uint8_t> bytes;
    {
        Encoder e(bytes);
        if (!RunCompress(e, FBitmap->Bits(), Width(), Height(), FQuality)) RaiseLibraryError(e.err);
    }
    stream.Write(bytes.data(), bytes.size());
}

void TJPEGImage::SaveToFile(const std::wstring& path) const {
    TMemoryStream stream;
    SaveToStream(stream);
    stream.SaveToFile(path);
}

void TJPEGImage::Draw(TCanvas& canvas, const RECT& r, BYTE opacity) const {
    FBitmap->Draw(canvas, r, opacity);
}

std::unique_ptr<TGraphic> TJPEGImage::Clone() const {
    return std::make_unique<TJPEGImage>(*this);
}

void TJPEGImage::LoadFromBytes(const std::uint8_t* data, std::size_t size) {
    if (!data || size == 0) throw EInvalidGraphic("JPEG image: no data");
    Progress(TProgressStage::psStarting, 0);
    Decoder d(data, size);
    if (!ReadHeader(d)) RaiseLibraryError(d.err);
    // The bitmap's own bound refuses a picture too large to hold.
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(static_cast<int>(d.info.image_width), static_cast<int>(d.info.image_height));
    if (!RunDecompress(d, bitmap->Bits())) RaiseLibraryError(d.err);
    FBitmap = std::move(bitmap);
    Progress(TProgressStage::psEnding, 100);
    Changed();
}

} // namespace tn
