#include "sim/run/program_files.h"

#include <filesystem>
#include <system_error>

#include "platform/library.h"

// GYRELLE_COMPANION_DIR: set by the build from its install folders
// (cmake/install.cmake), the one place that layout is stated.

namespace sim {

namespace fs = std::filesystem;

std::string companionFile(const std::string& name) {
  const std::string program = programFile();
  if (program.empty()) return name;  // the system does not say: the working folder
  const fs::path folder = fs::path(program).parent_path();
  const fs::path beside = folder / name;
  std::error_code ec;
  if (fs::exists(beside, ec)) return beside.string();
  const fs::path installed = (folder / GYRELLE_COMPANION_DIR / name).lexically_normal();
  if (fs::exists(installed, ec)) return installed.string();
  return beside.string();
}

std::string defaultModuleFile() { return companionFile(libraryFileName("gyrelle")); }

}  // namespace sim
