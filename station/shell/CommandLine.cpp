#include "CommandLine.h"

#include <cstdio>
#include <string_view>

#include "scanning/LHDLLInterface.h"
#include "LindhollowVersion.h"

namespace {

const char* const kUsage =
    "Usage: VrelScanning [--help | --version]\n"
    "The program of one ballot-scanning station. It reads its settings from\n"
    "KestranaLindhollow.ini in the user's configuration folder, which lindhollow-admin writes.\n"
    "  -h, --help  print this help\n"
    "  --version   print the release and the ballot-reading library the station loads\n";

}  // namespace

std::optional<int> AnswerCommandLine(int argc, char** argv) {
    if (argc != 2) {
        return std::nullopt;
    }
    const std::string_view option = argv[1];
    if (option == "--help" || option == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (option != "--version") {
        return std::nullopt;
    }
    std::printf("VrelScanning %s\n", LINDHOLLOW_VERSION);
    // Loading the library shows where the run path finds it, or that it does not.
    try {
        std::printf("Ballot-reading library: %s\n", LHDLLInterface::LibraryFile().c_str());
    } catch (const LHDLLInterface::LibraryError& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "VrelScanning: %s\n", error.what());
        return 1;
    }
    return 0;
}
