#include "cli/options.hpp"

#include <cctype>
#include <charconv>

#include "colour/palette.hpp"
#include "intake/picture.hpp"

namespace zimbor::cli {

namespace {

[[noreturn]] void Fail(const std::string& message) { throw CliError(kExitBadInput, message); }

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

int ParseInt(std::string_view option, std::string_view text, int low, int high) {
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ptr != end || ec == std::errc::invalid_argument) {
        Fail(std::string(option) + ": " + Quoted(text) + " is not a whole number");
    }
    if (ec == std::errc::result_out_of_range || value < low || value > high) {
        Fail(std::string(option) + ": " + std::string(text) + " is out of range " +
             std::to_string(low) + ".." + std::to_string(high));
    }
    return value;
}

DitherMode ParseDither(std::string_view text) {
    if (text == "custom") return DitherMode::Custom;
    if (text == "forced") return DitherMode::Forced;
    if (text == "selective") return DitherMode::Selective;
    if (text == "none") return DitherMode::None;
    Fail("--dither: " + Quoted(text) + " is not one of custom, forced, selective, none");
}

// Lower case, with hyphens and underscores read as spaces.
std::string Normalised(std::string_view text) {
    std::string out;
    for (char c : text) {
        out += (c == '-' || c == '_') ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

}  // namespace

std::optional<int> ParseColour(std::string_view text) {
    int index = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, index);
    if (!text.empty() && ptr == end && ec == std::errc{}) {
        if (index >= 0 && index < kColourCount) return index;
        return std::nullopt;
    }
    const std::string wanted = Normalised(text);
    for (int i = 0; i < kColourCount; ++i) {
        if (Normalised(C64ColourNames[static_cast<std::size_t>(i)]) == wanted) return i;
    }
    return std::nullopt;
}

Options ParseOptions(std::span<const std::string_view> args) {
    Options o;
    // With --out-dir, --raw and --png name no file of their own: look for it first.
    bool batch = false;
    for (std::string_view a : args) {
        if (a == "--out-dir" || a.starts_with("--out-dir=")) batch = true;
        if (a == "--") break;
    }

    bool onlyPictures = false;
    bool conversionSetting = false;  // an option that only a conversion reads
    for (std::size_t k = 0; k < args.size(); ++k) {
        std::string_view arg = args[k];
        if (onlyPictures || !arg.starts_with("-")) {
            o.pictures.emplace_back(std::string(arg));
            continue;
        }
        if (arg == "--") {
            onlyPictures = true;
            continue;
        }
        // --name=value or --name value.
        std::string_view name = arg;
        std::optional<std::string_view> inlineValue;
        if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
        auto value = [&]() -> std::string_view {
            if (inlineValue) return *inlineValue;
            if (k + 1 >= args.size()) Fail(std::string(name) + " needs a value");
            return args[++k];
        };
        auto flag = [&] {
            if (inlineValue) Fail(std::string(name) + " takes no value");
        };
        auto path = [&]() {
            const std::string_view v = value();
            std::filesystem::path p{std::string(v)};
            if (!p.has_filename()) Fail(std::string(name) + " needs a file name, not " + Quoted(v));
            return p;
        };
        auto folder = [&]() {
            const std::string_view v = value();
            if (v.empty()) Fail(std::string(name) + " needs a folder name");
            return std::filesystem::path(std::string(v));
        };
        static constexpr std::string_view kConversionSettings[] = {
            "--red", "--green", "--blue", "--brightness", "--contrast", "--dither", "--rgb",
            "--skip-yuv-reduction", "--preview-only", "--bg", "--x", "--y", "--jobs", "-j"};
        for (std::string_view setting : kConversionSettings) conversionSetting |= name == setting;
        auto slider = [&](int& target) { target = ParseInt(name, value(), kSliderMin, kSliderMax); };

        Tone& tone = o.settings.tone;
        if (name == "--red") slider(tone.red);
        else if (name == "--green") slider(tone.green);
        else if (name == "--blue") slider(tone.blue);
        else if (name == "--brightness") slider(tone.brightness);
        else if (name == "--contrast") slider(tone.contrast);
        else if (name == "--dither") o.settings.dither = ParseDither(value());
        else if (name == "--rgb") { flag(); o.settings.yuvDistance = false; }
        else if (name == "--skip-yuv-reduction") { flag(); o.settings.skipYuvReduction = true; }
        else if (name == "--preview-only") { flag(); o.settings.previewOnly = true; }
        else if (name == "--bg") {
            const std::string_view v = value();
            const std::optional<int> colour = ParseColour(v);
            if (!colour) Fail("--bg: " + Quoted(v) + " is not a colour name or an index 0..15");
            o.settings.background = *colour;
        }
        else if (name == "--x") o.cropX = ParseInt(name, value(), 0, kMaxPictureSide);
        else if (name == "--y") o.cropY = ParseInt(name, value(), 0, kMaxPictureSide);
        else if (name == "-o" || name == "--output") o.program = path();
        else if (name == "--raw") {
            if (batch) { flag(); o.batchRaw = true; }
            else o.raw = path();
        }
        else if (name == "--png") {
            if (batch) { flag(); o.batchPng = true; }
            else o.png = path();
        }
        else if (name == "--scale") o.scale = ParseInt(name, value(), 1, 16);
        else if (name == "--dump") o.dump = folder();
        else if (name == "--out-dir") o.outDir = folder();
        else if (name == "--jobs" || name == "-j") o.jobs = ParseInt(name, value(), 1, 256);
        else if (name == "--render") o.render = path();
        else if (name == "--overlay") o.overlay = ParseInt(name, value(), 0, 15);
        else if (name == "--screen") { flag(); o.screen = true; }
        else if (name == "-h" || name == "--help") { flag(); o.help = true; }
        else if (name == "--version") { flag(); o.version = true; }
        else Fail("unknown option " + Quoted(name));
    }

    if (o.help || o.version) return o;

    if (o.render) {
        if (!o.pictures.empty()) Fail("--render reads a saved file and takes no picture");
        if (o.program || o.raw || o.outDir) Fail("--render writes only --png and --dump");
        if (conversionSetting) Fail("--render shows a saved file as it is and takes no conversion settings");
    } else {
        if (o.overlay) Fail("--overlay goes with --render of a raw file");
        if (o.screen) Fail("--screen goes with --render");
        if (o.pictures.empty()) Fail("no picture given (see --help)");
        if (o.outDir) {
            if (o.program) Fail("-o names one file; with --out-dir every picture gives DIR/NAME.prg");
            if (o.dump) Fail("--dump is for one picture, not with --out-dir");
            if (o.settings.previewOnly) {
                Fail("--preview-only makes no full conversion: there is no program file to write");
            }
        } else {
            if (o.pictures.size() > 1) Fail("several pictures need --out-dir DIR");
            if (o.settings.previewOnly && (o.program || o.raw)) {
                Fail("--preview-only makes no full conversion: nothing to save with -o or --raw");
            }
        }
    }
    return o;
}

std::string_view UsageText() {
    return R"(Usage: zimbor-convert [options] PICTURE
       zimbor-convert [options] --out-dir DIR PICTURE...
       zimbor-convert --render FILE [--overlay N] [--screen] [--png FILE] [--dump DIR]

Converts a picture into a C64 hires FLI picture with a sprite overlay (144 x 168 pixels).

Picture and crop:
  PICTURE                 a JPEG, BMP or PNG picture, or a 144 x 168 binary PPM (P6) crop
  --x N, --y N            top-left corner of the 144 x 168 crop in the picture (default 0 0)

Settings:
  --red N, --green N, --blue N   channel offsets, -256..256 (default 0)
  --brightness N, --contrast N   -256..256 (default 0)
  --dither MODE           custom, forced, selective or none (default selective)
  --rgb                   measure colour distance in R, G, B instead of Y, U, V
  --skip-yuv-reduction    reduce to the palette in R, G, B even with Y, U, V distance
  --preview-only          stop after the reduction to the C64 colours
  --bg COLOUR             background: a colour name (black, white, red, cyan, purple, green,
                          blue, yellow, orange, brown, pink, d-grey, m-grey, l-green, l-blue,
                          l-grey) or an index 0..15 (default black)

Output:
  -o, --output FILE       the C64 program file (".prg" appended when missing)
  --raw FILE              the 16384-byte bank $4000-$7FFF (".raw" appended when missing)
  --png FILE              the final picture (with --preview-only the colour-reduced one) as
                          PNG (".png" appended when missing)
  --scale N               PNG pixel size, 1..16 (default 2)
  --dump DIR              mapped.ppm, final.ppm, hires.ppm, sprite.ppm and info.txt

Batch:
  --out-dir DIR           convert every PICTURE into DIR/NAME.prg; with it, --raw and --png
                          take no file name and add DIR/NAME.raw and DIR/NAME.png
  -j, --jobs N            pictures converted at once (default: one per core)

Reading a saved file back:
  --render FILE           a program file, or a raw file with --overlay N; writes what it shows
                          through --png and --dump (final.ppm)
  --overlay N             the overlay colour of a raw file, 0..15
  --screen                the whole 320 x 200 screen instead of the 144 x 168 picture

Exit status: 0 done, 1 internal error, 2 bad options or picture, 3 a file could not be written.
)";
}

}  // namespace zimbor::cli
