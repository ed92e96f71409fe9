// --gif on Windows: the animation is written by the imaging component's GIF
// encoder, and refused before the run, with exit 1 and nothing written (no
// other output either, no folder made), where it cannot be: a folder that
// cannot be made, or an encoder that writes frames but no looping nor delays,
// as Wine's does (a file that would play once, at a player's own pace, is
// not the animation asked for). The test programs run under Wine; the Linux
// build's animations: gif_linux_test.cpp.
#include <gtest/gtest.h>

#include "sim_run.h"

namespace {

class GifRefused : public simtest::SimRun {};

TEST_F(GifRefused, BeforeTheRunWritingNothing) {
  const std::string file = writeScenario(
      "s.toml", std::string(simtest::kTwoVessels) + "[[screen]]\nmode = \"Gyrelle\"\n");
  struct Case {
    const char* what;
    std::string dir;    // --gif DIR
    std::string error;  // after "gyrelle-sim: "
  } cases[] = {
      {"a folder inside a file", path("s.toml/g"), path("s.toml/g") + ": cannot create the folder"},
      {"an encoder without metadata", path("g"),
       path("g") + "/screen0.gif: cannot write: the GIF encoder of this system's imaging component "
                   "writes no looping nor frame delays, which an animation needs\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const simtest::RunResult r =
        run({file, "--gif", c.dir, "--telemetry", path("t.csv"), "--dump", path("d.txt")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("gyrelle-sim: " + c.error, 0), 0u) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(files(), std::vector<std::string>{"s.toml"});
  }
}

}  // namespace
