// Helpers shared by the intake tests: scratch folders, the cjpeg/djpeg tools, and comparing a
// decoded picture with another decoder's output.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>

#include "fixtures.hpp"
#include "intake/picture.hpp"

namespace zimbor::testsupport {

inline const std::filesystem::path kDataDir = ZIMBOR_TEST_DATA_DIR;
inline const std::filesystem::path kExamplesDir = ZIMBOR_EXAMPLES_DIR;
inline const std::string kCjpeg = ZIMBOR_CJPEG;
inline const std::string kDjpeg = ZIMBOR_DJPEG;

// A fresh folder per test, removed afterwards.
class ScratchDir {
  public:
    ScratchDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string leaf = std::string(info->test_suite_name()) + "." + info->name();
        for (char& c : leaf) {
            if (c == '/') c = '_';
        }
        path_ = std::filesystem::path(::testing::TempDir()) /
                ("zimbor-intake-" + std::to_string(getpid())) / leaf;
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

inline std::string Quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

// Runs a command line; returns its exit status (djpeg exits 2 after a warning).
inline int Run(const std::string& command) {
    const int status = std::system((command + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#define ZIMBOR_REQUIRE_JPEG_TOOLS()                                                         \
    do {                                                                                    \
        if (::zimbor::testsupport::kCjpeg.empty() || ::zimbor::testsupport::kDjpeg.empty()) \
            GTEST_SKIP() << "cjpeg or djpeg not found (package libjpeg-turbo-progs)";       \
    } while (false)

// Decodes with djpeg as the independent decoder: accurate integer DCT, PPM (or PGM for grey).
// Fancy upsampling and block smoothing are djpeg's defaults. -memsrc reads the file the way
// we do, so a truncated file ends at the same place.
inline fixtures::Netpbm Djpeg(const std::filesystem::path& jpeg, const std::string& extra = "") {
    const std::filesystem::path out = jpeg.string() + ".pnm";
    const int status = Run(kDjpeg + " -dct int -memsrc -pnm " + extra + " -outfile " + Quoted(out) +
                           " " + Quoted(jpeg));
    if (status != 0 && status != 2) throw std::runtime_error("djpeg failed on " + jpeg.string());
    return fixtures::ReadNetpbm(out);
}

// Pixel for pixel; a grey reference must come out with equal R, G and B.
inline ::testing::AssertionResult SamePixels(const SourcePicture& picture,
                                             const fixtures::Netpbm& reference) {
    if (picture.width != reference.width || picture.height != reference.height) {
        return ::testing::AssertionFailure()
               << "size " << picture.width << " x " << picture.height << ", reference "
               << reference.width << " x " << reference.height;
    }
    int differing = 0;
    std::string first;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::size_t at =
                (static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width) +
                 static_cast<std::size_t>(x)) *
                static_cast<std::size_t>(reference.channels);
            const unsigned r = reference.samples[at];
            const unsigned g = reference.channels == 3 ? reference.samples[at + 1] : r;
            const unsigned b = reference.channels == 3 ? reference.samples[at + 2] : r;
            const std::uint32_t want = fixtures::Canvas(r, g, b);
            if (picture.At(x, y) != want && differing++ == 0) {
                std::ostringstream text;
                text << std::hex << "first at (" << std::dec << x << ", " << y << "): 0x"
                     << std::hex << picture.At(x, y) << ", reference 0x" << want;
                first = text.str();
            }
        }
    }
    if (differing == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " pixels differ; " << first;
}

}  // namespace zimbor::testsupport
