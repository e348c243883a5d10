// The 4096-byte head of every program file: the BASIC line that starts it, the header bytes and
// the 6502 display routine.
#pragma once

#include "c64/bank.hpp"

namespace zimbor {

// The template as it stands before any conversion: overlay colour 10 (Pink), background 0.
DisplayerTemplate MakeDisplayerTemplate();

}  // namespace zimbor
