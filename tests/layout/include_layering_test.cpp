// The module's folders include downwards only, as the data flows: host
// interface (module/) -> geometry -> targets / entry -> reference modes ->
// control and display. The display class (mfd/) is the top: nothing beneath it
// sees its headers, only the instance record below them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

// Every quoted include of the .h and .cpp files in one folder of the tree.
std::vector<Include> includesOf(const std::string& folder) {
  std::vector<Include> found;
  const std::regex quoted(R"(^\s*#\s*include\s*"([^"]+)\")");
  const fs::path root(testsupport::envPath("GYRELLE_SOURCE_DIR"));
  for (const auto& entry : fs::directory_iterator(root / folder)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".h" && ext != ".cpp") continue;
    std::ifstream in(entry.path());
    std::string line;
    std::smatch m;
    while (std::getline(in, line)) {
      if (std::regex_search(line, m, quoted))
        found.push_back(Include{folder + "/" + entry.path().filename().string(), m[1]});
    }
  }
  return found;
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.find('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

TEST(IncludeLayering, FoldersAreFoundAndHoldIncludes) {
  // A renamed folder would otherwise make every rule below pass vacuously.
  for (const char* folder : {"geometry", "targets", "entry", "reference", "control", "instance"})
    EXPECT_FALSE(includesOf(folder).empty()) << folder;
}

TEST(IncludeLayering, GeometryIncludesOnlyGeometryAndTheHostInterface) {
  for (const Include& inc : includesOf("geometry")) {
    const std::string folder = folderOf(inc.target);
    EXPECT_TRUE(folder == "geometry" || folder == "module")
        << inc.file << " includes " << inc.target;
  }
}

TEST(IncludeLayering, TargetsAndEntryDoNotReachUpIntoTheReferenceModes) {
  for (const char* folder : {"targets", "entry"}) {
    for (const Include& inc : includesOf(folder))
      EXPECT_NE(folderOf(inc.target), "reference") << inc.file << " includes " << inc.target;
  }
}

TEST(IncludeLayering, NothingBelowTheDisplaySeesItsHeaders) {
  for (const char* folder : {"control", "targets", "entry", "geometry", "reference", "instance"}) {
    for (const Include& inc : includesOf(folder))
      EXPECT_NE(folderOf(inc.target), "mfd") << inc.file << " includes " << inc.target;
  }
}

}  // namespace
