// The entry page of the real libgyrelle.so on a near-vertical ascent, redraw
// after redraw with the entry-interface hold running: the time to go shown is
// the truth's for the state of the moment, never undefined, and the hold stays on.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry/vector_math.h"
#include "kepler_truth.h"
#include "sim/outputs/page_reading.h"
#include "support/flight_fixture.h"

namespace {

class LoadedEntry : public gyrelle_test::FlightFixture {};

TEST_F(LoadedEntry, ANearVerticalAscentShowsTheTruthAtEveryRedrawAndKeepsItsHold) {
  // 6,600 km from the centre, rising at 5 km/s, 1.2e-8 rad off the vertical.
  constexpr double kOffVertical = 1.2e-8;  // [rad]
  const VECTOR3 up{0.6, 0.8, 0.0}, across{0.0, 0.0, 1.0};
  halcyra::Vessel* v = world->vessel(vessel);
  v->position = 6.6e6 * up;  // from Earth's centre, which is at the origin
  v->velocity = 5000.0 * std::cos(kOffVertical) * up + 5000.0 * std::sin(kOffVertical) * across;
  const size_t screen = loadModuleWithScreen();
  ASSERT_TRUE(world->pressKey(screen, gyrelle_test::kScan4));
  ASSERT_TRUE(world->pressKey(screen, gyrelle_test::kScanH));

  for (int redraw = 1; redraw <= 40; ++redraw) {
    fly(1.0);
    const sim::PageReading page = sim::readPage(world->redraw(screen));
    const auto truth =
        gyrelle_test::truthCrossing(world->globalPosition(vessel), world->globalVelocity(vessel),
                                    gyrelle_test::kEarthMu, 6470000.0);
    ASSERT_TRUE(truth.ahead);
    EXPECT_EQ(page.mode, "Entry Interface") << "redraw " << redraw;
    EXPECT_TRUE(page.hold) << "redraw " << redraw;
    ASSERT_TRUE(page.timeToGo) << "undefined at redraw " << redraw;
    // Printed to the second, from a state refreshed up to 0.3 s before the redraw.
    EXPECT_NEAR(*page.timeToGo, static_cast<double>(truth.timeToGo), 1.0) << "redraw " << redraw;
  }
}

}  // namespace
