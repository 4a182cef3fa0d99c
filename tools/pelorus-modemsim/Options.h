#pragma once
// The command line of pelorus-modemsim.
#include <string>

#include "ModemState.h"

namespace modemsim {

struct Options {
    std::string link;
    std::string inbox;
    std::string sent;
    std::string control;
    int latencyMs = 0;
    int chunk = 0;
    int chunkGapMs = 5;
    bool silent = false;
    int dropAfter = 0;
    EngineOptions engine;
};

// Returns -1 to go on, otherwise the exit code (0 after --help).
int ParseOptions(int argc, char** argv, Options& o);

}  // namespace modemsim
