// The Windows build has no giflib: --gif is refused before the run with a
// clear message and exit 1, and no output is written (the Linux build's
// animated screens: gif_linux_test.cpp).
#include <gtest/gtest.h>

#include "sim_run.h"

namespace {

class GifRefused : public simtest::SimRun {};

TEST_F(GifRefused, BeforeTheRunAndWritingNothing) {
  const std::string file = writeScenario(
      "s.toml", std::string(simtest::kTwoVessels) + "[[screen]]\nmode = \"Gyrelle\"\n");
  const simtest::RunResult r =
      run({file, "--gif", path("g"), "--telemetry", path("t.csv"), "--dump", path("d.txt")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "gyrelle-sim: " + path("g") +
                       ": animated screens (--gif) are not available in the Windows build\n");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(files(), std::vector<std::string>{"s.toml"});
}

}  // namespace
