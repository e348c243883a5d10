// The two output files, built as bytes from the conversion's results, and written safely.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string_view>

#include "c64/bank.hpp"

namespace zimbor {

// A program file: load address $0800, then C64 memory $0800..$7FFF.
//   0 .. 4095      the displayer template (BASIC line, header bytes, display routine)
//   4096 .. 14337  zero
//   14338 ..       the bank $4000..$7FFF
inline constexpr std::size_t kProgramFileSize = 30722;
inline constexpr std::size_t kProgramBankOffset = 14338;  // $3802
using ProgramBuffer = std::array<std::uint8_t, kProgramFileSize>;

ProgramBuffer BuildProgramBuffer(const DisplayerTemplate& displayerTemplate,
                                 const C64Memory& memory);

inline constexpr std::string_view kProgramExtension = ".prg";
inline constexpr std::string_view kRawExtension = ".raw";

// The name with the extension appended, unless it already ends with it (ignoring case):
// pic gives pic.prg, pic.prg and PIC.PRG stay as they are, pic.raw gives pic.raw.prg.
std::filesystem::path WithExtension(const std::filesystem::path& name, std::string_view extension);

// A file that could not be written; the message names the file and the reason.
class SaveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes the bytes to a temporary file in the target's folder, flushes it and renames it over
// the target only when it is complete: the target is either the old file or the whole new one.
// Throws SaveError; no temporary file is left behind.
void SaveFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// The two saves as the user asks for them: the extension added by WithExtension, the file
// written by SaveFileAtomically. They return the path written and throw SaveError.
std::filesystem::path SaveProgramFile(const std::filesystem::path& name,
                                      const DisplayerTemplate& displayerTemplate,
                                      const C64Memory& memory);
std::filesystem::path SaveRawFile(const std::filesystem::path& name, const RawBuffer& bank);

}  // namespace zimbor
