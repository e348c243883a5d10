// Running the literal oracle beside the production conversion and comparing what they leave.
#pragma once

#include <string>

#include "fli/process.hpp"
#include "tests/support/recording_reporter.hpp"

namespace zimbor::test {

// Sets the oracle's window controls from the settings.
void LoadControls(const Settings& settings);

// One Process run of the oracle on the crop, with the reporter calls it makes.
EventLog RunOracleProcess(const CanvasImage& crop, const Settings& settings);

// One overlay search and final pass of the oracle on the mapped planes it holds now.
EventLog RunOracleConversion(Distance mode, int background);

// Everything a production state holds against the oracle's process-wide state: the ten
// planes, the memory image, the raw buffer, the template (only bytes 25 and 26 may change) and
// the done flag. Empty when they agree, else one line per part that differs.
std::string StateDifferences(const ConversionState& state);

}  // namespace zimbor::test
