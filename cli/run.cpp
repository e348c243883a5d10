#include "cli/run.hpp"

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "c64/files.hpp"
#include "c64/readback.hpp"
#include "cli/png.hpp"
#include "cli/ppm.hpp"
#include "intake/crop.hpp"
#include "intake/picture.hpp"

namespace zimbor::cli {

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

[[noreturn]] void BadInput(const std::string& message) { throw CliError(kExitBadInput, message); }

std::string Describe(const fs::path& path) { return path.string(); }

// The whole of an input file, or a clear error when it cannot be read.
Bytes ReadInput(const fs::path& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) BadInput(Describe(path) + ": is a folder, not a file");
    try {
        return ReadPictureFile(path);
    } catch (const PictureError& e) {
        BadInput(e.what());
    }
}

void CheckCorner(const char* option, int value, int size, int cropSize, const fs::path& path) {
    const int last = std::max(0, size - cropSize);
    if (value > last) {
        BadInput(std::string(option) + " " + std::to_string(value) + " is outside 0.." +
                 std::to_string(last) + " for " + Describe(path) + " (" + std::to_string(size) +
                 " pixels " + (cropSize == kWidth ? "wide" : "high") + ")");
    }
}

// The 144 x 168 crop of a picture file with its top-left corner at (x, y) in the picture. A
// picture smaller than the crop sits in the top-left corner on black.
CanvasImage ReadCrop(const fs::path& path, int x, int y) {
    const Bytes bytes = ReadInput(path);
    if (LooksLikePpm(bytes)) {
        CheckCorner("--x", x, kWidth, kWidth, path);
        CheckCorner("--y", y, kHeight, kHeight, path);
        return ParsePpmCrop(bytes, Describe(path));
    }
    const PictureFormat format = RecognisePictureFormat(bytes);
    if (format == PictureFormat::Unrecognised) {
        BadInput(Describe(path) + ": not a JPEG, BMP, PNG or PPM picture");
    }
    SourcePicture picture;
    try {
        picture = DecodePicture(bytes, format, Describe(path));
    } catch (const PictureError& e) {
        BadInput(e.what());
    }
    CheckCorner("--x", x, picture.width, kWidth, path);
    CheckCorner("--y", y, picture.height, kHeight, path);
    PictureCrop crop;
    crop.Load(std::move(picture));
    crop.Pan(-x, -y);
    return crop.Working();
}

// Shows the stages on a terminal: the status text and how far it has come.
class TerminalProgress final : public Reporter {
public:
    explicit TerminalProgress(std::ostream& err) : err_(err) {}
    ~TerminalProgress() override { err_ << "\r\033[K" << std::flush; }

    void SetStatus(std::string_view text) override {
        status_ = std::string(text.substr(0, text.find_last_not_of(' ') + 1));
        Draw(0);
    }
    void SetProgress(int position) override {
        if (position % 42 == 0) Draw(position);
    }

private:
    void Draw(int position) {
        err_ << "\r\033[K" << status_ << " " << position * 100 / kHeight << "%" << std::flush;
    }
    std::ostream& err_;
    std::string status_;
};

struct OutputFile {
    fs::path path;
    Bytes bytes;
};

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Refuses, before anything is written, an output that would replace one of the pictures read.
void RefuseOverwritingInputs(const std::vector<OutputFile>& files,
                             const std::vector<fs::path>& inputs) {
    for (const OutputFile& f : files) {
        std::error_code ec;
        if (!fs::exists(f.path, ec)) continue;
        for (const fs::path& input : inputs) {
            if (fs::equivalent(f.path, input, ec)) {
                BadInput("writing " + Describe(f.path) + " would replace the picture " +
                         Describe(input));
            }
        }
    }
}

// Writes every output, each complete or not at all; `written` names those that are there, also
// when a later one fails.
void WriteAll(const std::vector<OutputFile>& files, std::vector<fs::path>& written) {
    for (const OutputFile& f : files) {
        try {
            SaveFileAtomically(f.path, f.bytes);
        } catch (const SaveError& e) {
            throw CliError(kExitWriteFailed, e.what());
        }
        written.push_back(f.path);
    }
}

void MakeFolder(const fs::path& dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir)) {
        throw CliError(kExitWriteFailed,
                       Describe(dir) + ": cannot create the folder: " +
                           (ec ? ec.message() : std::string("a file of that name exists")));
    }
}

std::string ColourName(int index) {
    return std::to_string(index) + " (" +
           std::string(C64ColourNames[static_cast<std::size_t>(index & 15)]) + ")";
}

struct Converted {
    std::unique_ptr<ConversionState> state = std::make_unique<ConversionState>();
    int overlay = 0;
    int percent = 0;
};

Converted Convert(const CanvasImage& crop, const Settings& settings, Reporter& reporter,
                  const ConvertOptions& options = {}) {
    Converted c;
    Process(crop, settings, *c.state, reporter, options);
    c.overlay = c.state->displayerTemplate[kOverlayColourByte];
    c.percent = PixelErrorPercent(DifferingPixels(c.state->planes));
    return c;
}

std::string Summary(const Converted& c, const Settings& settings) {
    if (settings.previewOnly) return "reduced to the C64 colours only (preview only)";
    return "overlay " + ColourName(c.overlay) + ", pixel error " + std::to_string(c.percent) + "%";
}

Bytes ProgramBytes(const ConversionState& state) {
    const ProgramBuffer program = BuildProgramBuffer(state.displayerTemplate, state.memory);
    return Bytes(program.begin(), program.end());
}

Bytes RawBytes(const ConversionState& state) {
    return Bytes(state.rawBuffer.begin(), state.rawBuffer.end());
}

const Plane& PictureToShow(const Converted& c, const Settings& settings) {
    return settings.previewOnly ? c.state->planes.MappedImage : c.state->planes.FinalImage;
}

std::vector<OutputFile> DumpFiles(const fs::path& dir, const Converted& c, const Settings& settings) {
    const ColourPlanes& planes = c.state->planes;
    std::vector<OutputFile> files{{dir / "mapped.ppm", EncodePpm(planes.MappedImage, kWidth, kHeight)}};
    if (!settings.previewOnly) {
        files.push_back({dir / "final.ppm", EncodePpm(planes.FinalImage, kWidth, kHeight)});
        files.push_back({dir / "hires.ppm", EncodePpm(planes.HiresLayer, kWidth, kHeight)});
        files.push_back({dir / "sprite.ppm", EncodePpm(planes.SpriteLayer, kWidth, kHeight)});
        std::ostringstream info;
        info << "overlay " << c.overlay << "\n"
             << "background " << int{c.state->displayerTemplate[kBackgroundColourByte]} << "\n"
             << "layer_error " << LayerError(planes, ConversionDistance(settings)) << "\n"
             << "pixel_error " << c.percent << "\n";
        files.push_back({dir / "info.txt", ToBytes(info.str())});
    }
    return files;
}

int RunSingle(const Options& o, std::ostream& out, std::ostream& err, bool progressOnTerminal) {
    const fs::path& picture = o.pictures.front();
    const CanvasImage crop = ReadCrop(picture, o.cropX, o.cropY);

    NullReporter quiet;
    std::unique_ptr<TerminalProgress> terminal;
    if (progressOnTerminal) terminal = std::make_unique<TerminalProgress>(err);
    const Converted c = Convert(crop, o.settings, terminal ? *terminal : static_cast<Reporter&>(quiet));
    terminal.reset();

    std::vector<OutputFile> files;
    if (o.program) files.push_back({WithExtension(*o.program, kProgramExtension), ProgramBytes(*c.state)});
    if (o.raw) files.push_back({WithExtension(*o.raw, kRawExtension), RawBytes(*c.state)});
    if (o.png) {
        files.push_back({WithExtension(*o.png, ".png"),
                         EncodePng(PictureToShow(c, o.settings), kWidth, kHeight, o.scale)});
    }
    if (o.dump) {
        for (OutputFile& f : DumpFiles(*o.dump, c, o.settings)) files.push_back(std::move(f));
    }
    RefuseOverwritingInputs(files, o.pictures);
    out << Summary(c, o.settings) << "\n";
    if (o.dump) MakeFolder(*o.dump);
    std::vector<fs::path> written;
    const auto report = [&] {
        for (const fs::path& p : written) out << "wrote " << p.string() << "\n";
    };
    try {
        WriteAll(files, written);
    } catch (const CliError&) {
        report();
        throw;
    }
    report();
    return kExitOk;
}

struct BatchResult {
    int status = kExitOk;
    std::string message;  // the summary, or the error
    std::vector<fs::path> written;
};

// With several pictures at once, each conversion keeps to its own thread.
BatchResult ConvertOne(const Options& o, const fs::path& picture, const ConvertOptions& options) {
    BatchResult r;
    try {
        const CanvasImage crop = ReadCrop(picture, o.cropX, o.cropY);
        NullReporter quiet;
        const Converted c = Convert(crop, o.settings, quiet, options);
        const fs::path base = *o.outDir / picture.stem();
        std::vector<OutputFile> files{{fs::path(base.string() + ".prg"), ProgramBytes(*c.state)}};
        if (o.batchRaw) files.push_back({fs::path(base.string() + ".raw"), RawBytes(*c.state)});
        if (o.batchPng) {
            files.push_back({fs::path(base.string() + ".png"),
                             EncodePng(PictureToShow(c, o.settings), kWidth, kHeight, o.scale)});
        }
        RefuseOverwritingInputs(files, o.pictures);
        r.message = Summary(c, o.settings);
        WriteAll(files, r.written);
    } catch (const CliError& e) {
        r.status = e.status();
        r.message = e.what();
        if (!r.written.empty()) {
            r.message += " (already written:";
            for (const fs::path& p : r.written) r.message += " " + p.string();
            r.message += ")";
        }
    } catch (const std::exception& e) {
        r.status = kExitInternal;
        r.message = Describe(picture) + ": " + e.what();
    }
    return r;
}

int RunBatch(const Options& o, std::ostream& out, std::ostream& err) {
    // Two pictures of the same name would write the same files.
    std::map<fs::path, fs::path> byStem;
    for (const fs::path& p : o.pictures) {
        const auto [it, fresh] = byStem.emplace(p.stem(), p);
        if (!fresh) {
            BadInput(Describe(p) + " and " + Describe(it->second) + " would both write " +
                     Describe(*o.outDir / p.stem()) + ".prg");
        }
    }
    MakeFolder(*o.outDir);

    const std::size_t count = o.pictures.size();
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t workers =
        std::min<std::size_t>(count, o.jobs > 0 ? static_cast<std::size_t>(o.jobs) : cores);
    const ConvertOptions options{.threads = workers > 1 ? 1 : 0};
    std::vector<BatchResult> results(count);
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < count; i = next++) {
            results[i] = ConvertOne(o, o.pictures[i], options);
        }
    };
    std::vector<std::jthread> pool;
    for (std::size_t t = 1; t < workers; ++t) pool.emplace_back(work);
    work();
    pool.clear();

    int status = kExitOk;
    for (std::size_t i = 0; i < count; ++i) {
        const BatchResult& r = results[i];
        if (r.status == kExitOk) {
            out << Describe(o.pictures[i]) << ": " << r.message;
            for (const fs::path& p : r.written) out << (p == r.written.front() ? " -> " : ", ") << p.string();
            out << "\n";
        } else {
            err << "zimbor-convert: " << r.message << "\n";
            status = std::max(status, r.status);
        }
    }
    return status;
}

// Reads a saved program or raw file back and writes the picture it shows.
int RunRender(const Options& o, std::ostream& out) {
    const fs::path& path = *o.render;
    const Bytes bytes = ReadInput(path);
    const bool raw = bytes.size() == kBankSize;
    if (raw && !o.overlay) {
        BadInput(Describe(path) + ": a raw file holds no overlay colour: give it with --overlay N");
    }
    if (!raw && o.overlay) {
        BadInput("--overlay is for raw files; " + Describe(path) +
                 " is read as a program file, which holds its own overlay colour");
    }
    ShownPicture shown;
    try {
        shown = raw ? ReadRawFile(bytes, *o.overlay) : ReadProgramFile(bytes);
    } catch (const SavedFileError& e) {
        BadInput(Describe(path) + ": " + e.what());
    }

    std::vector<std::int32_t> pixels(shown.pixels.begin(), shown.pixels.end());
    int width = kWidth;
    int height = kHeight;
    if (o.screen) {
        pixels = ShowScreen(shown).pixels;
        width = kScreenWidth;
        height = kScreenHeight;
    }
    std::vector<OutputFile> files;
    if (o.png) files.push_back({WithExtension(*o.png, ".png"), EncodePng(pixels, width, height, o.scale)});
    if (o.dump) files.push_back({*o.dump / "final.ppm", EncodePpm(pixels, width, height)});
    RefuseOverwritingInputs(files, {path});
    out << (raw ? "raw file" : "program file") << ": overlay " << ColourName(shown.overlayColour)
        << ", background " << ColourName(shown.backgroundColour) << "\n";
    if (o.dump) MakeFolder(*o.dump);
    std::vector<fs::path> written;
    WriteAll(files, written);
    for (const fs::path& p : written) out << "wrote " << p.string() << "\n";
    return kExitOk;
}

}  // namespace

int Run(const Options& o, std::ostream& out, std::ostream& err, bool progressOnTerminal) {
    if (o.render) return RunRender(o, out);
    if (o.outDir) return RunBatch(o, out, err);
    return RunSingle(o, out, err, progressOnTerminal);
}

}  // namespace zimbor::cli
