#include "cli/ppm.hpp"

#include <cctype>
#include <string_view>

#include "cli/options.hpp"

namespace zimbor::cli {

namespace {

class HeaderReader {
public:
    HeaderReader(std::span<const std::uint8_t> bytes, const std::string& name)
        : bytes_(bytes), name_(name) {}

    // A decimal field after white space and comments.
    int Number(std::string_view what) {
        SkipSpaceAndComments();
        if (pos_ >= bytes_.size() || !std::isdigit(bytes_[pos_])) {
            Fail("the PPM header has no " + std::string(what));
        }
        long value = 0;
        while (pos_ < bytes_.size() && std::isdigit(bytes_[pos_])) {
            value = value * 10 + (bytes_[pos_++] - '0');
            if (value > 65535) Fail("the PPM header's " + std::string(what) + " is too large");
        }
        return static_cast<int>(value);
    }

    // Exactly one white-space byte ends the header.
    std::size_t EndOfHeader() {
        if (pos_ >= bytes_.size() || !std::isspace(bytes_[pos_])) Fail("the PPM header is malformed");
        return pos_ + 1;
    }

    [[noreturn]] void Fail(const std::string& problem) const {
        throw CliError(kExitBadInput, name_ + ": " + problem);
    }

private:
    void SkipSpaceAndComments() {
        while (pos_ < bytes_.size()) {
            if (std::isspace(bytes_[pos_])) {
                ++pos_;
            } else if (bytes_[pos_] == '#') {
                while (pos_ < bytes_.size() && bytes_[pos_] != '\n') ++pos_;
            } else {
                break;
            }
        }
    }

    std::span<const std::uint8_t> bytes_;
    const std::string& name_;
    std::size_t pos_ = 2;  // after "P6"
};

}  // namespace

bool LooksLikePpm(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 2 && bytes[0] == 'P' && bytes[1] == '6';
}

CanvasImage ParsePpmCrop(std::span<const std::uint8_t> bytes, const std::string& name) {
    HeaderReader header(bytes, name);
    if (!LooksLikePpm(bytes)) header.Fail("not a binary PPM (P6) file");
    const int width = header.Number("width");
    const int height = header.Number("height");
    const int maxval = header.Number("maximum value");
    const std::size_t start = header.EndOfHeader();
    if (maxval != 255) header.Fail("the PPM's maximum value is " + std::to_string(maxval) + ", not 255");
    if (width != kWidth || height != kHeight) {
        header.Fail("the crop is " + std::to_string(width) + " x " + std::to_string(height) +
                    ", not 144 x 168");
    }
    const std::size_t needed = static_cast<std::size_t>(kPixels) * 3;
    if (bytes.size() - start < needed) {
        header.Fail("the PPM is truncated: " + std::to_string(bytes.size() - start) + " of " +
                    std::to_string(needed) + " pixel bytes");
    }
    CanvasImage crop{};
    for (std::size_t i = 0; i < kPixels; ++i) {
        const std::uint8_t* p = bytes.data() + start + 3 * i;
        crop[i] = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                  static_cast<std::uint32_t>(p[2]) << 16;
    }
    return crop;
}

std::vector<std::uint8_t> EncodePpm(std::span<const std::int32_t> pixels, int width, int height) {
    const std::string header =
        "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    std::vector<std::uint8_t> out(header.begin(), header.end());
    out.reserve(out.size() + pixels.size() * 3);
    for (std::int32_t c : pixels) {
        out.push_back(static_cast<std::uint8_t>(RedOf(c)));
        out.push_back(static_cast<std::uint8_t>(GreenOf(c)));
        out.push_back(static_cast<std::uint8_t>(BlueOf(c)));
    }
    return out;
}

}  // namespace zimbor::cli
