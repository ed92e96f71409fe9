// Where a test finds the programs the build made and the files of the source
// tree: in environment variables that ctest gives every test
// (tests/CMakeLists.txt), never compiled in, so that the test objects do not
// depend on the folder the clone sits in and a fresh clone reuses compiled
// objects. GYRELLE_MODULE_PATH, HALCYRA_PATH, GYRELLE_SIM_PATH and
// HOST_FIXTURE_MODULE_PATH name files; GYRELLE_SOURCE_DIR names the top folder
// of the sources.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace testsupport {

// The value of the environment variable `name`. A test program started by
// hand without it stops at once, saying which one to set.
inline const char* envPath(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') {
    std::fprintf(stderr,
                 "%s is not set: run the tests through ctest, or set it as "
                 "tests/CMakeLists.txt does\n",
                 name);
    std::fflush(stderr);
    std::exit(2);
  }
  return value;
}

}  // namespace testsupport
