#include "sim/run/runner.h"

#include <limits>

#include "sim/run/flight.h"

namespace sim {

RunEnd flyScenario(const Scenario& s, const RunOptions& o, halcyra::World& world,
                   const PostStep& postStep) {
  Flight flight(s, o, world, postStep);
  flight.advance(std::numeric_limits<uint64_t>::max());
  return flight.finish();
}

RunEnd runScenario(const Scenario& s, const RunOptions& o) {
  ModuleWorld loaded(o.module);
  return flyScenario(s, o, loaded.world(), loaded.postStep());
}

}  // namespace sim
