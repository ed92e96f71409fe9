#include "sim/serve/serve.h"

#include <cstdio>
#include <optional>
#include <thread>

#include "platform/interrupt.h"
#include "sim/run/program_files.h"
#include "sim/serve/http_guard.h"
#include "sim/serve/http_server.h"
#include "sim/serve/record.h"
#include "sim/serve/session.h"

namespace sim {
namespace {

// How often a server whose flight has ended looks for an interruption.
constexpr std::chrono::milliseconds kEndPoll{50};

std::string url(const std::string& address, int port) {
  const bool v6 = address.find(':') != std::string::npos;
  return "http://" + (v6 ? "[" + address + "]" : address) + ":" + std::to_string(port) + "/";
}

}  // namespace

RunEnd serveScenario(const Scenario& s, const std::string& scenarioText, RunOptions run,
                     const ServeOptions& o) {
  std::optional<ActionRecord> record;
  if (!o.recordPath.empty()) record.emplace(o.recordPath, scenarioText, s.file, s.step);
  LiveSession session(o.speed, s.step, run.until, record ? &*record : nullptr);
  CockpitServer server(session, o.assetsDir.empty() ? companionFile("cockpit") : o.assetsDir);
  const int port = server.bind(o.bind, o.port);
  if (!isLoopback(o.bind))
    std::fprintf(stderr,
                 "gyrelle-sim: warning: --bind %s lets other machines reach the cockpit; "
                 "whoever reaches it can fly the vessel\n",
                 o.bind.c_str());
  if (server.assetCount() == 0)
    std::fprintf(stderr,
                 "gyrelle-sim: warning: the cockpit page is not installed; the API works\n");
  std::printf("gyrelle-sim: cockpit at %s\n", url(o.bind, port).c_str());
  std::fflush(stdout);
  server.start();
  run.live = &session;
  if (record) run.more.push_back(&*record);
  // Ctrl-C ends a paused or waiting flight too, at the end of its step.
  session.setStopCheck([] { return interruptStatus() != 0; });
  // The server stops with `server` on the way out, also on an exception.
  const RunEnd end = runScenario(s, run);
  if (end.interruptStatus == 0) {
    // The flight reached its end: the cockpit keeps showing it (actions are
    // answered 503) until the person closes the server.
    if (!run.quiet)
      std::fprintf(stderr,
                   "gyrelle-sim: the flight has ended at t = %s s; the cockpit shows it until "
                   "interrupted (Ctrl-C)\n",
                   session.timeText(end.t).c_str());
    while (interruptStatus() == 0) std::this_thread::sleep_for(kEndPoll);
  }
  server.stop();
  return end;
}

}  // namespace sim
