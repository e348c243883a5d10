// Writes the fuzz seed corpus: small valid JPEG, BMP and PNG files of every layout the
// intake reads, made from a photo crop.
#include <cstdio>
#include <exception>
#include <filesystem>

#include "fixtures.hpp"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER [PHOTO.ppm]\n", argv[0]);
        return 2;
    }
    try {
        const std::filesystem::path folder = argv[1];
        const std::filesystem::path photo =
            argc == 3 ? argv[2] : ZIMBOR_TEST_DATA_DIR "/photo-crop.ppm";
        std::filesystem::create_directories(folder);
        int written = 0;
        for (const auto& sample : zimbor::fixtures::SampleFiles(photo)) {
            zimbor::fixtures::WriteBytes(folder / sample.name, sample.bytes);
            ++written;
        }
        std::printf("%d seeds written to %s\n", written, folder.c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
