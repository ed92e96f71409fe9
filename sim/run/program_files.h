// Where gyrelle-sim finds the files that come with it: the module library,
// gyrelle-sim-full (sim/run/hand_over.h) and the cockpit page.
//
// In the build tree and in the Windows folder they are beside the program. An
// installed copy (a package, cmake --install) keeps them in the package's own
// folder, GYRELLE_COMPANION_DIR relative to the program's folder ("../lib/gyrelle"
// from bin/, set by the build from its install folders), so that an unpacked
// package runs from wherever it is unpacked.
#pragma once

#include <string>

namespace sim {

// The file or folder `name` that comes with the running program: beside the
// program if it is there, else in the installed companion folder if it is
// there, else the path beside the program (whose absence the caller reports).
std::string companionFile(const std::string& name);

// The module library that comes with the program: libgyrelle.so, gyrelle.dll.
std::string defaultModuleFile();

}  // namespace sim
