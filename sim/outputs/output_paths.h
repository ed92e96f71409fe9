// An output must not overwrite the run's own inputs or another of its
// outputs: a --dump onto the scenario file would destroy it, one onto the
// program or a library it runs with would break every run after it, and two
// outputs on one file would clobber each other.
#pragma once

#include <string>

#include "sim/run/runner.h"

namespace sim {

// Throws UsageError (exit 2) when an output path names the scenario file
// (scenarioPath, empty for the built-in one), the module, gyrelle-sim's own
// program or the host runtime library, or another output.
// Paths name the same file when they resolve to it (links followed, also hard
// links); several outputs may share a character device such as /dev/null.
void checkOutputPaths(const std::string& scenarioPath, const RunOptions& options);

}  // namespace sim
