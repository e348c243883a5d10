// JPEG decoding with libjpeg-turbo through the libjpeg API.
//
// libjpeg reports a fatal error by calling error_exit, which must not return. Ours longjmps
// back to the libjpeg stage that was running. Each stage is a small function that holds no
// C++ object with a destructor between its setjmp and its libjpeg calls, so the jump skips
// nothing; the caller turns a failed stage into a PictureError, and the decoder object's
// destructor releases libjpeg's memory on every path.
//
// Warnings (corrupt entropy data, a premature end of the file) do not stop the decode:
// libjpeg fills what it could not decode and we keep the picture, as any viewer would.
#include <csetjmp>
#include <cstdio>
#include <vector>

// clang-format off
#include <jpeglib.h>  // after <cstdio>: it uses FILE and size_t without including them
#include <jerror.h>
// clang-format on

#include "intake/decoders.hpp"

namespace zimbor::intake {

namespace {

// A real progressive file has about ten scans; a crafted one can hold thousands of empty
// scans, each of which costs a pass over the whole coefficient buffer.
constexpr int kMaxScans = 500;

constexpr unsigned kFullScale = 255;

struct ErrorManager {
    jpeg_error_mgr pub;  // first member: libjpeg hands it back as cinfo->err
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

ErrorManager& ErrorsOf(j_common_ptr cinfo) {
    return *reinterpret_cast<ErrorManager*>(cinfo->err);
}

[[noreturn]] void OnError(j_common_ptr cinfo) {
    ErrorManager& errors = ErrorsOf(cinfo);
    (*errors.pub.format_message)(cinfo, errors.message);
    std::longjmp(errors.jump, 1);
}

// Warnings are counted by libjpeg (num_warnings) and otherwise stay quiet: nothing of ours
// writes to stderr.
void OnMessage(j_common_ptr) {}

void OnProgress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    const auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (dinfo->input_scan_number > kMaxScans) {
        ErrorManager& errors = ErrorsOf(cinfo);
        std::snprintf(errors.message, sizeof errors.message, "too many scans (more than %d)",
                      kMaxScans);
        std::longjmp(errors.jump, 1);
    }
}

struct Decoder {
    jpeg_decompress_struct cinfo{};
    ErrorManager errors{};
    jpeg_progress_mgr progress{};

    Decoder() {
        cinfo.err = jpeg_std_error(&errors.pub);
        errors.pub.error_exit = OnError;
        errors.pub.output_message = OnMessage;
        progress.progress_monitor = OnProgress;
    }
    // Safe on a structure that jpeg_CreateDecompress never finished: it checks cinfo.mem.
    ~Decoder() { jpeg_destroy_decompress(&cinfo); }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
};

// --- The libjpeg stages. Each returns false after a libjpeg error; errors.message says why.

bool ReadHeader(Decoder& d, const std::uint8_t* data, std::size_t size) {
    if (setjmp(d.errors.jump) != 0) return false;
    jpeg_CreateDecompress(&d.cinfo, JPEG_LIB_VERSION, sizeof d.cinfo);
    d.cinfo.progress = &d.progress;
    jpeg_mem_src(&d.cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&d.cinfo, TRUE);
    return true;
}

bool StartDecompress(Decoder& d) {
    if (setjmp(d.errors.jump) != 0) return false;
    jpeg_start_decompress(&d.cinfo);
    return true;
}

// Reads every output row and stores it as canvas colours (0x00BBGGRR). Its locals change
// while libjpeg runs, so it lives outside the function that calls setjmp.
bool ConvertRows(Decoder& d, JSAMPLE* row, std::uint32_t* out) {
    const JDIMENSION width = d.cinfo.output_width;
    const bool cmyk = d.cinfo.out_color_space == JCS_CMYK;
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        JSAMPROW rows[1] = {row};
        // A memory source never suspends, so no rows means the decoder has nothing more.
        if (jpeg_read_scanlines(&d.cinfo, rows, 1) != 1) return false;
        const JSAMPLE* in = row;
        for (JDIMENSION x = 0; x < width; ++x) {
            unsigned r = in[0];
            unsigned g = in[1];
            unsigned b = in[2];
            if (cmyk) {
                // Adobe's inverted CMYK, as libjpeg delivers it: 255 means no ink, so
                // each of C, M, Y times K (scaled back to 0..255) is R, G, B.
                const unsigned k = in[3];
                r = (r * k + kFullScale / 2) / kFullScale;
                g = (g * k + kFullScale / 2) / kFullScale;
                b = (b * k + kFullScale / 2) / kFullScale;
                in += 4;
            } else {
                in += 3;
            }
            *out++ = r | (g << 8) | (b << 16);
        }
    }
    return true;
}

bool ReadRows(Decoder& d, JSAMPLE* row, std::uint32_t* out) {
    if (setjmp(d.errors.jump) != 0) return false;
    return ConvertRows(d, row, out);
}

PictureError LibraryError(const Decoder& d, const std::string& name) {
    if (d.errors.message[0] == '\0') return MakeError(name, "the JPEG decoder stopped early");
    return MakeError(name, d.errors.message);
}

}  // namespace

SourcePicture DecodeJpeg(std::span<const std::uint8_t> bytes, const std::string& name,
                         const PictureLimits& limits) {
    Decoder d;
    if (!ReadHeader(d, bytes.data(), bytes.size())) {
        // Beyond libjpeg's own limit (65500 on a side) the header is refused inside
        // jpeg_read_header; report it like any other picture that is too large.
        if (d.errors.pub.msg_code == static_cast<int>(JERR_IMAGE_TOO_BIG)) {
            CheckPictureSize(d.cinfo.image_width, d.cinfo.image_height, limits, name);
        }
        throw LibraryError(d, name);
    }
    // Before start_decompress, which allocates the sample and coefficient buffers.
    CheckPictureSize(d.cinfo.image_width, d.cinfo.image_height, limits, name);

    // Full size, accurate integer DCT, fancy upsampling and block smoothing, 24-bit RGB out.
    // Grey files come out as RGB with equal channels; CMYK and YCCK files as CMYK, which
    // ConvertRows turns into RGB.
    d.cinfo.scale_num = 1;
    d.cinfo.scale_denom = 1;
    d.cinfo.dct_method = JDCT_ISLOW;
    d.cinfo.do_fancy_upsampling = TRUE;
    d.cinfo.do_block_smoothing = TRUE;
    d.cinfo.quantize_colors = FALSE;
    const J_COLOR_SPACE stored = d.cinfo.jpeg_color_space;
    d.cinfo.out_color_space = stored == JCS_CMYK || stored == JCS_YCCK ? JCS_CMYK : JCS_RGB;

    if (!StartDecompress(d)) throw LibraryError(d, name);

    const JDIMENSION width = d.cinfo.output_width;
    const JDIMENSION height = d.cinfo.output_height;
    CheckPictureSize(width, height, limits, name);
    const int components = d.cinfo.out_color_space == JCS_CMYK ? 4 : 3;
    if (d.cinfo.output_components != components) {
        throw MakeError(name, "unexpected JPEG sample layout");
    }
    SourcePicture picture;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    picture.pixels.assign(static_cast<std::size_t>(width) * height, 0u);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) *
                             static_cast<std::size_t>(components));

    if (!ReadRows(d, row.data(), picture.pixels.data())) throw LibraryError(d, name);
    // No jpeg_finish_decompress: every row is in, and an error in what follows the last
    // scan must not cost the picture. The destructor releases the decoder.
    return picture;
}

}  // namespace zimbor::intake
