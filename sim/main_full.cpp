// gyrelle-sim-full on Linux: everything linked, the live server too; the
// lean gyrelle-sim hands the command lines that need it over to it.
#include "sim/command_line.h"
#include "sim/serve/serve.h"

int main(int argc, char** argv) {
  sim::ServeOptions serve;
  sim::Program full;
  full.addOptions = [&](CLI::App& app) { sim::addServeOptions(app, serve); };
  full.fly = [&](const sim::Scenario& s, const std::string& text, const sim::RunOptions& o) {
    return serve.serve ? sim::serveScenario(s, text, o, serve) : sim::runScenario(s, o);
  };
  return sim::runCommandLine(argc, argv, full);
}
