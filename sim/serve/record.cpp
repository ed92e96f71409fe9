#include "sim/serve/record.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "sim/outputs/number_text.h"
#include "sim/outputs/output_file.h"

namespace sim {

ActionRecord::ActionRecord(const std::string& path, const std::string& scenarioText,
                           const std::string& file, double step)
    : path_(path == "-" ? "standard output" : path), step_(step) {
  {
    // Written under a temporary name and committed at once: from now on the
    // file's name holds a whole scenario.
    OutputFile header(path);
    header.put("# gyrelle-sim --serve: " + file + " as flown live, with the actions taken then.\n");
    header.put(scenarioText);
    if (!scenarioText.empty() && scenarioText.back() != '\n') header.put("\n");
    header.put("\n# ---- actions taken live ----\n");
    header.commit();
  }
  file_ = path == "-" ? stdout : std::fopen(path.c_str(), "ab");
  if (file_ == nullptr) throw OutputError(path_ + ": cannot write: " + std::strerror(errno));
}

ActionRecord::~ActionRecord() {
  if (file_ != nullptr && file_ != stdout) std::fclose(file_);
}

// An event table (an input text is at most 255 bytes) is far smaller than the
// stream's buffer, which each append leaves empty: the flush writes the table
// to the system in one piece.
void ActionRecord::append(const std::string& text) {
  if (file_ == nullptr) throw OutputError(path_ + ": cannot write: the record is closed");
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() || std::fflush(file_) != 0)
    throw OutputError(path_ + ": cannot write: " + std::strerror(errno));
}

void ActionRecord::add(const std::string& eventTable) {
  append("\n" + eventTable);
  ++count_;
}

void ActionRecord::finished(double t, halcyra::World& /*world*/) {
  const std::string endTime = stepTimeText(uint64_t(std::llround(std::max(0.0, t) / step_)), step_);
  append("\n# " + std::to_string(count_) + " actions. The live flight ended at t = " + endTime +
         " s: replay with --until " + endTime + "\n");
  FILE* f = file_;
  file_ = nullptr;
  if (f != stdout && std::fclose(f) != 0)
    throw OutputError(path_ + ": cannot write: " + std::strerror(errno));
}

}  // namespace sim
