// Fuzz target for picture intake: the header test, then the decoder it chooses, then the
// crop over whatever came out. Built with libFuzzer by scripts/fuzz, or with replay_main.cpp
// to run a folder of inputs through the same entry point.
#include <QtGlobal>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "intake/crop.hpp"
#include "intake/picture.hpp"

namespace {

// Smaller than the real limits, so that a header claiming a large picture costs
// milliseconds, not seconds; the size checks themselves are the same code.
constexpr zimbor::PictureLimits kFuzzLimits{.max_side = 4096, .max_pixels = 1 << 20};

void IgnoreQtMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Qt reports damaged files through its log as well; the outcome is what counts here.
    static const QtMessageHandler previous = qInstallMessageHandler(IgnoreQtMessages);
    static_cast<void>(previous);

    const std::span<const std::uint8_t> bytes(data, size);
    const zimbor::PictureFormat format = zimbor::RecognisePictureFormat(bytes);
    if (format == zimbor::PictureFormat::Unrecognised) return 0;
    try {
        zimbor::SourcePicture picture = zimbor::DecodePicture(bytes, format, "fuzz", kFuzzLimits);
        const auto pixels =
            static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
        if (picture.width <= 0 || picture.height <= 0 || picture.width > kFuzzLimits.max_side ||
            picture.height > kFuzzLimits.max_side || picture.pixels.size() != pixels) {
            std::abort();  // a decoder handed back a malformed picture
        }
        zimbor::PictureCrop crop;
        crop.Load(std::move(picture));
        crop.Pan(INT_MIN, INT_MIN);  // clamps to the far corner
        crop.Pan(crop.Horizontal().min / 2, -1);
    } catch (const zimbor::PictureError&) {
        // Refused or undecodable: the expected outcome for most inputs.
    }
    return 0;
}
