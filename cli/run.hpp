// What one call of the command line does, once its options are parsed.
#pragma once

#include <ostream>

#include "cli/options.hpp"

namespace zimbor::cli {

// Runs the conversion (or the batch, or the read-back) the options ask for. Messages go to
// `out` and `err`; the result is the exit status. Throws CliError for failures of a single run.
int Run(const Options& options, std::ostream& out, std::ostream& err, bool progressOnTerminal);

}  // namespace zimbor::cli
