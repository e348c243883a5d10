// zimbor-convert: the converter on the command line.
#include <unistd.h>

#include <iostream>
#include <string_view>
#include <vector>

#include "cli/options.hpp"
#include "cli/run.hpp"

int main(int argc, char** argv) {
    using namespace zimbor::cli;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    try {
        const Options options = ParseOptions(args);
        if (options.help) {
            std::cout << UsageText();
            return kExitOk;
        }
        if (options.version) {
            std::cout << "zimbor-convert 1.0\n";
            return kExitOk;
        }
        return Run(options, std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
    } catch (const CliError& e) {
        std::cerr << "zimbor-convert: " << e.what() << "\n";
        return e.status();
    } catch (const std::exception& e) {
        std::cerr << "zimbor-convert: internal error: " << e.what() << "\n";
        return kExitInternal;
    }
}
