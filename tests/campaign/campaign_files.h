// A base scenario and campaign files written into a test's own folder.
#pragma once

#include <string>

#include "sim/campaign/campaign_plan.h"
#include "sim/sim_run.h"

namespace campaigntest {

// Two vessels on two bodies: Gyre-1 on a circular orbit of Earth, of class
// "generic"; Tender by a state vector about Luna, with a thruster of its own;
// a timed key, a timed input and a conditional event.
constexpr const char* kBaseScenario = R"(
[sim]
step = 0.02
until = 10.0

[[body]]
name = "Earth"
mu = 3.986e14
radius = 6371010.0

[[body]]
name = "Luna"
mu = 4.9e12
radius = 1737400.0
position = [3.844e8, 1.0e7, 0.0]

[[vessel]]
name = "Gyre-1"
body = "Earth"
orbit = { altitude = 400e3, inclination = 0.9, ascending_node = 0.5, true_anomaly = 1.0 }
orientation = [0.6, -0.3, 1.2]
angular_velocity = [0.01, -0.02, 0.005]

[[vessel]]
name = "Tender"
body = "Luna"
position = [2.0e6, 0.0, 0.0]
velocity = [0.0, 1500.0, 0.0]
propellant = 500.0

[[vessel.thruster]]
group = 0
position = [0.0, 0.0, -2.0]
direction = [0.0, 0.0, 1.0]
max = 2000.0
exhaust_speed = 2500.0

[[screen]]
mode = "Gyrelle"

[[event]]
t = 2.0
key = "Shift-H"

[[event]]
t = 4.0
input = "1.5"

[[event]]
when = { figure = "dev_yaw", within = 0.1, for = 1.0 }
key = "2"
)";

class CampaignFiles : public simtest::SimRun {
 protected:
  // Writes base.toml (the text given, or kBaseScenario) and NAME.campaign.toml
  // with a [campaign] table of runs and seed and then `dispersions`.
  std::string writeCampaign(const std::string& dispersions, uint64_t runs = 10, uint64_t seed = 7,
                            const std::string& name = "test",
                            const std::string& base = kBaseScenario) const {
    writeScenario("base.toml", base);
    return writeScenario(name + ".campaign.toml",
                         "[campaign]\nscenario = \"base.toml\"\nruns = " + std::to_string(runs) +
                             "\nseed = " + std::to_string(seed) + "\n\n" + dispersions);
  }
};

}  // namespace campaigntest
