// The module's folders include downwards only, as the data flows, from the
// ground floor up:
//   platform/  -> hostapi/ (the host interface) -> geometry/ -> instance/
//   -> state/ (module-wide storage) -> vessel/ (levels and the autopilot's
//   ends) -> targets/, entry/ -> reference/ -> control/ -> mfd/ (the display)
//   -> module/ (the exported entry points and the mode's registration).
// The host (host/, sim/, render/, python/) never includes a module folder, and the
// module no host folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "support/test_paths.h"

namespace {

namespace fs = std::filesystem;

struct Include {
  std::string file;    // relative to the source tree
  std::string target;  // the quoted path
};

// Every quoted include of the .h and .cpp files in one folder of the tree,
// its subfolders included.
std::vector<Include> includesOf(const std::string& folder) {
  std::vector<Include> found;
  const std::regex quoted(R"(^\s*#\s*include\s*"([^"]+)\")");
  const fs::path root(testsupport::envPath("GYRELLE_SOURCE_DIR"));
  for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".h" && ext != ".cpp") continue;
    std::ifstream in(entry.path());
    std::string line;
    std::smatch m;
    while (std::getline(in, line)) {
      if (std::regex_search(line, m, quoted))
        found.push_back(Include{fs::relative(entry.path(), root).generic_string(), m[1]});
    }
  }
  return found;
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.find('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The module's floors, lowest first; a folder may include its own floor and
// those below it.
const std::map<std::string, int> kModuleFloor = {{"platform", 0}, {"hostapi", 1}, {"geometry", 2},
                                                 {"instance", 3}, {"state", 4},   {"vessel", 5},
                                                 {"targets", 6},  {"entry", 6},   {"reference", 7},
                                                 {"control", 8},  {"mfd", 9},     {"module", 10}};

TEST(IncludeLayering, EachModuleFolderIncludesOnlyItsFloorAndThoseBelow) {
  for (const auto& [folder, floor] : kModuleFloor) {
    const std::vector<Include> includes = includesOf(folder);
    // A renamed folder would otherwise make the rule pass vacuously.
    EXPECT_FALSE(includes.empty()) << folder;
    for (const Include& inc : includes) {
      const auto to = kModuleFloor.find(folderOf(inc.target));
      ASSERT_NE(to, kModuleFloor.end()) << inc.file << " includes " << inc.target;
      EXPECT_LE(to->second, floor) << inc.file << " includes " << inc.target;
      // Floors shared by two folders do not see each other.
      if (to->second == floor) {
        EXPECT_EQ(to->first, folder) << inc.file << " includes " << inc.target;
      }
    }
  }
}

TEST(IncludeLayering, TheHostSeesOnlyTheHostInterfaceOfTheModule) {
  for (const char* folder : {"host", "sim", "render", "python"}) {
    for (const Include& inc : includesOf(folder)) {
      const auto to = kModuleFloor.find(folderOf(inc.target));
      if (to == kModuleFloor.end()) continue;
      EXPECT_TRUE(to->first == "hostapi" || to->first == "platform")
          << inc.file << " includes " << inc.target;
    }
  }
}

}  // namespace
