#include "c64/files.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

#if __has_include(<unistd.h>)
#include <unistd.h>  // fsync, where the platform has it
#define ZIMBOR_HAVE_FSYNC 1
#endif

namespace zimbor {

ProgramBuffer BuildProgramBuffer(const DisplayerTemplate& displayerTemplate,
                                 const C64Memory& memory) {
    ProgramBuffer buffer{};
    std::copy(displayerTemplate.begin(), displayerTemplate.end(), buffer.begin());
    std::copy_n(memory.begin() + kBankStart, kBankSize,
                buffer.begin() + static_cast<std::ptrdiff_t>(kProgramBankOffset));
    return buffer;
}

namespace {

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view tail) {
    if (tail.size() > text.size()) return false;
    return std::equal(tail.begin(), tail.end(),
                      text.end() - static_cast<std::ptrdiff_t>(tail.size()),
                      [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
}

[[noreturn]] void Fail(const std::filesystem::path& path, const std::string& reason) {
    throw SaveError("cannot save \"" + path.string() + "\": " + reason);
}

std::string Reason(int error, const char* fallback) {
    return error != 0 ? std::generic_category().message(error) : std::string(fallback);
}

// A name in the target's folder that no other file has: the file is created exclusively, and a
// clash only means another try with another name.
std::FILE* CreateTemporary(const std::filesystem::path& path, std::filesystem::path& temporary) {
    static constexpr int kAttempts = 16;
    std::random_device entropy;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        char suffix[9];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(entropy()));
        temporary = path.parent_path() / (std::string(".zimbor-") + suffix + ".tmp");
        errno = 0;
        std::FILE* file = std::fopen(temporary.string().c_str(), "wbx");
        if (file != nullptr) return file;
        if (errno != EEXIST) Fail(path, Reason(errno, "cannot create a file in its folder"));
    }
    Fail(path, "no free name for a temporary file in its folder");
}

}  // namespace

std::filesystem::path WithExtension(const std::filesystem::path& name, std::string_view extension) {
    if (!name.has_filename()) return name;  // a folder: nothing to name, the save refuses it
    if (EndsWithIgnoringCase(name.filename().string(), extension)) return name;
    std::filesystem::path result = name;
    result += extension;
    return result;
}

void SaveFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    if (!path.has_filename()) Fail(path, "no file name");

    std::filesystem::path temporary;
    std::FILE* file = CreateTemporary(path, temporary);
    const auto discard = [&temporary] {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
    };

    // Every step is checked: a full disk may show only at the flush or the close.
    errno = 0;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    int error = errno;
    if (written && std::fflush(file) != 0) {
        written = false;
        error = errno;
    }
#ifdef ZIMBOR_HAVE_FSYNC
    if (written && ::fsync(::fileno(file)) != 0) {
        written = false;
        error = errno;
    }
#endif
    errno = 0;
    if (std::fclose(file) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        discard();
        Fail(path, Reason(error, "the file could not be written completely"));
    }

    // A file that is replaced keeps its permissions.
    std::error_code statError;
    const std::filesystem::file_status old = std::filesystem::status(path, statError);
    if (!statError && std::filesystem::is_regular_file(old)) {
        std::error_code ignored;
        std::filesystem::permissions(temporary, old.permissions(), ignored);
    }

    // Replacing by rename is atomic: the target is the old file or the whole new one.
    std::error_code renamed;
    std::filesystem::rename(temporary, path, renamed);
    if (renamed) {
        discard();
        Fail(path, renamed.message());
    }
}

std::filesystem::path SaveProgramFile(const std::filesystem::path& name,
                                      const DisplayerTemplate& displayerTemplate,
                                      const C64Memory& memory) {
    const std::filesystem::path path = WithExtension(name, kProgramExtension);
    const ProgramBuffer buffer = BuildProgramBuffer(displayerTemplate, memory);
    SaveFileAtomically(path, buffer);
    return path;
}

std::filesystem::path SaveRawFile(const std::filesystem::path& name, const RawBuffer& bank) {
    const std::filesystem::path path = WithExtension(name, kRawExtension);
    SaveFileAtomically(path, bank);
    return path;
}

}  // namespace zimbor
