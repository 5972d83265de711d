// The station's own command-line options, answered without starting the station.
#pragma once

#include <optional>

// The exit status when the command line asks for the usage or the version, which are printed;
// nothing when the station is to start.
std::optional<int> AnswerCommandLine(int argc, char** argv);
