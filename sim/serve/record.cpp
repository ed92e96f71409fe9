#include "sim/serve/record.h"

namespace sim {

ActionRecord::ActionRecord(const std::string& path, const std::string& scenarioText,
                           const std::string& file)
    : file_(path) {
  FILE* f = file_.stream();
  std::fprintf(f, "# gyrelle-sim --serve: %s as flown live, with the actions taken then.\n",
               file.c_str());
  std::fputs(scenarioText.c_str(), f);
  if (!scenarioText.empty() && scenarioText.back() != '\n') std::fputc('\n', f);
  std::fputs("\n# ---- actions taken live ----\n", f);
  file_.check();
}

void ActionRecord::add(const std::string& eventTable) {
  std::fprintf(file_.stream(), "\n%s", eventTable.c_str());
  file_.check();
  ++count_;
}

void ActionRecord::finish(double t) {
  std::fprintf(file_.stream(),
               "\n# %zu actions. The live flight ended at t = %.17g s: replay with --until %.17g\n",
               count_, t, t);
  file_.commit();
}

}  // namespace sim
