#include "sim/outputs/output_paths.h"

#include <filesystem>
#include <vector>

#include "platform/library.h"
#include "sim/run/run_bounds.h"

namespace sim {
namespace {

namespace fs = std::filesystem;

// How the message names a file ("--dump", "the scenario file"), and its path.
using Named = std::pair<std::string, std::string>;

bool samePath(const std::string& a, const std::string& b) {
  if (a == "-" || b == "-") return a == b;  // standard output
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) {
    const bool same = fs::equivalent(a, b, ec);
    if (!ec) return same;
  }
  // A file yet to be made: compare where the two paths lead.
  const fs::path ca = fs::weakly_canonical(fs::absolute(a, ec), ec);
  if (ec) return false;
  const fs::path cb = fs::weakly_canonical(fs::absolute(b, ec), ec);
  return !ec && ca == cb;
}

}  // namespace

void checkOutputPaths(const std::string& scenarioPath, const RunOptions& o) {
  std::vector<Named> inputs;
  if (!scenarioPath.empty()) inputs.push_back({"the scenario file", scenarioPath});
  if (!o.module.empty()) inputs.push_back({"the module", o.module});
  const std::string program = programFile(), hostLibrary = hostLibraryFile();
  if (!program.empty()) inputs.push_back({"gyrelle-sim's own program", program});
  if (!hostLibrary.empty()) inputs.push_back({"the host runtime library", hostLibrary});
  std::vector<Named> outputs;
  if (!o.dumpPath.empty()) outputs.push_back({"--dump", o.dumpPath});
  if (!o.telemetryPath.empty()) outputs.push_back({"--telemetry", o.telemetryPath});
  if (!o.framesDir.empty()) outputs.push_back({"--frames", o.framesDir});
  if (!o.screensPath.empty()) outputs.push_back({"--screens", o.screensPath});
  if (!o.reportPath.empty()) outputs.push_back({"--report", o.reportPath});
  if (!o.gifDir.empty()) outputs.push_back({"--gif", o.gifDir});
  if (!o.junitPath.empty()) outputs.push_back({"--junit", o.junitPath});

  for (size_t i = 0; i < outputs.size(); ++i) {
    const auto& [what, path] = outputs[i];
    for (const auto& [input, inputPath] : inputs)
      if (samePath(path, inputPath))
        throw UsageError(what + " " + path + " is " + input + "; choose another path");
    std::error_code ec;
    for (size_t j = 0; j < i; ++j)
      if (samePath(path, outputs[j].second) && !fs::is_character_file(path, ec))
        throw UsageError(what + " " + path + " is also the path of " + outputs[j].first +
                         "; choose another path");
  }
}

}  // namespace sim
