// The command line's options, parsed into plain values. Every value from outside is checked here
// once, with a message that names the option and the problem.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "fli/process.hpp"

namespace zimbor::cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitInternal = 1;  // a fault of ours
inline constexpr int kExitBadInput = 2;  // bad options, unreadable or unrecognised pictures
inline constexpr int kExitWriteFailed = 3;

// A failure with its exit status and a one-line message.
class CliError : public std::runtime_error {
public:
    CliError(int status, const std::string& message) : std::runtime_error(message), status_(status) {}
    int status() const { return status_; }

private:
    int status_;
};

struct Options {
    std::vector<std::filesystem::path> pictures;
    Settings settings{};
    int cropX = 0;  // top-left corner of the crop in the picture
    int cropY = 0;

    std::optional<std::filesystem::path> program;  // -o, --output
    std::optional<std::filesystem::path> raw;      // --raw FILE
    std::optional<std::filesystem::path> png;      // --png FILE
    int scale = 2;
    std::optional<std::filesystem::path> dump;

    // Batch: every picture gives DIR/NAME.prg, and NAME.raw / NAME.png with --raw / --png.
    std::optional<std::filesystem::path> outDir;
    bool batchRaw = false;
    bool batchPng = false;
    int jobs = 0;  // pictures converted at once; 0 = one per core

    // Reading a saved file back.
    std::optional<std::filesystem::path> render;
    std::optional<int> overlay;
    bool screen = false;

    bool help = false;
    bool version = false;
};

// Parses the arguments after the program name. Throws CliError with kExitBadInput.
Options ParseOptions(std::span<const std::string_view> args);

// The background selector's colour from a name ("L Grey", "l-grey", "l grey", any case) or an
// index 0..15; nullopt when it names none.
std::optional<int> ParseColour(std::string_view text);

std::string_view UsageText();

}  // namespace zimbor::cli
