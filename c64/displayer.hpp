// The 4096-byte head of every program file: the BASIC line that starts it, the header bytes and
// the 6502 display routine.
#pragma once

#include <string_view>

#include "c64/bank.hpp"

namespace zimbor {

// A program file loads at $0800, one below the start of BASIC text, and carries our signature
// at $0811 (file bytes 19..23), behind the jump into the display routine.
inline constexpr int kProgramLoadAddress = 0x0800;
inline constexpr std::size_t kSignatureByte = 19;
inline constexpr std::string_view kProgramSignature = "zimbr";

// The template as it stands before any conversion: overlay colour 10 (Pink), background 0.
DisplayerTemplate MakeDisplayerTemplate();

}  // namespace zimbor
