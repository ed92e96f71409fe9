// gyrelle-sim on Linux: without the live server and the pictures, which it
// hands over to gyrelle-sim-full beside it (sim/run/hand_over.h).
#include "sim/command_line.h"
#include "sim/run/hand_over.h"
#include "sim/serve/serve_options.h"

int main(int argc, char** argv) {
  sim::ServeOptions serve;
  sim::Program lean;
  lean.addOptions = [&](CLI::App& app) { sim::addServeOptions(app, serve); };
  // After the outputs' paths are checked, so that gyrelle-sim's own program is
  // refused as an output also when gyrelle-sim-full writes them.
  lean.beforeRun = [&](const sim::RunOptions& o) {
    if (sim::needsFullProgram(o, serve.serve)) sim::handOverToFullProgram(argv);
  };
  return sim::runCommandLine(argc, argv, lean);
}
