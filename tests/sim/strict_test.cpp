// --strict refuses before the run what a default run takes and then ignores,
// alters or only notes: one "FILE:LINE:COLUMN: what" line, exit 2, nothing
// written. Without it the same scenarios fly.
#include <gtest/gtest.h>

#include <filesystem>

#include "sim_run.h"
#include "support/test_paths.h"

namespace {

// kTwoVessels (28 lines), then these: the case's text starts on line 33.
const std::string kScreens = "\n[[screen]]\nmode = \"Gyrelle\"\n[[screen]]\n";

struct StrictCase {
  const char* name;
  const char* text;
  const char* where;  // LINE:COLUMN of the refusal; empty: --strict accepts it too
};

#define WHEN "{ figure = \"hold\", equals = 0 }"
const StrictCase kCases[] = {
    {"event after the end", "[[event]]\nt = 5.03\nkey = \"H\"\n", "34:5"},
    {"event at the end", "[[event]]\nt = 5.0\nkey = \"H\"\n", ""},
    {"vessel inside its body",
     "[[vessel]]\nname = \"C\"\nbody = \"Earth\"\nposition = [6371000.0, 0.0, 0.0]\n"
     "velocity = [0.0, 0.0, 0.0]\n",
     "36:12"},
    {"vessel inside another body",
     "[[body]]\nname = \"Moon\"\nmu = 4.9e12\nradius = 1737e3\nposition = [384e6, 0.0, 0.0]\n"
     "[[vessel]]\nname = \"C\"\nbody = \"Earth\"\nposition = [383e6, 0.0, 0.0]\n"
     "velocity = [0.0, 0.0, 0.0]\n",
     "41:12"},
    {"vessel placed by an orbit inside its body",
     "[[vessel]]\nname = \"C\"\nbody = \"Earth\"\norbit = { periapsis_altitude = -1e3, "
     "apoapsis_altitude = -1e3, inclination = 0.0, ascending_node = 0.0, "
     "argument_of_periapsis = 0.0, true_anomaly = 0.0 }\n",
     "36:9"},
    {"spawned vessel inside its body",
     "[[event]]\nt = 1.0\nspawn = { name = \"C\", body = \"Earth\", position = [0.0, 1e3, 0.0], "
     "velocity = [0.0, 0.0, 0.0] }\n",
     "35:50"},
    {"base inside its body",
     "[[base]]\nname = \"Deep\"\nbody = \"Earth\"\nposition = [0.0, 0.0, -6e6]\n", "36:12"},
    {"rotation level above 1", "[[event]]\nt = 1.0\nvessel = \"A\"\nrot = [0.0, 1.5, 0.0]\n",
     "36:7"},
    {"linear level below -1", "[[event]]\nt = 1.0\nvessel = \"A\"\nlin = [-1.01, 0.0, 0.0]\n",
     "36:7"},
    {"engine level below 0", "[[event]]\nt = 1.0\nvessel = \"A\"\nengine = [0.0, -0.5, 0.0]\n",
     "36:10"},
    {"engine level above 1", "[[event]]\nt = 1.0\nvessel = \"A\"\nengine = [0.0, 0.0, 1.2]\n",
     "36:10"},
    {"levels at their ends",
     "[[event]]\nt = 1.0\nvessel = \"A\"\nrot = [1.0, -1.0, 0.0]\nlin = [-1.0, 1.0, 0.0]\n"
     "engine = [1.0, 0.0, 1.0]\n",
     ""},
    {"unknown button label", "[[event]]\nt = 1.0\nbutton = \"XYZ\"\n", "35:10"},
    {"label two buttons show", "[[event]]\nt = 1.0\nbutton = \"TGT\"\n", "35:10"},
    {"label on a screen without a mode", "[[event]]\nt = 1.0\nscreen = 1\nbutton = \"HLD\"\n",
     "36:10"},
    {"label after the mode is taken away",
     "[[event]]\nt = 1.0\nmode = \"none\"\n[[event]]\nt = 2.0\nbutton = \"HLD\"\n", "38:10"},
    {"label after the mode is given",
     "[[event]]\nt = 1.0\nscreen = 1\nmode = \"Gyrelle\"\n[[event]]\nt = 2.0\nscreen = 1\n"
     "button = \"hld\"\n",
     ""},
    {"key as a bare digit", "[[event]]\nt = 1.0\nkey = 5\n", "35:7"},
    {"key as scan code 0", "[[event]]\nt = 1.0\nkey = 0\n", "35:7"},
    {"key as a scan code beyond the digits", "[[event]]\nt = 1.0\nkey = 35\n", ""},
    // Conditional events: the condition holds at once (no hold on screen 0).
    {"conditional key as a bare digit", "[[event]]\nwhen = " WHEN "\nkey = 5\n", "35:7"},
    {"conditional level above 1",
     "[[event]]\nwhen = " WHEN "\nvessel = \"A\"\nrot = [0.0, 1.5, 0.0]\n", "36:7"},
    {"conditional unknown button label", "[[event]]\nwhen = " WHEN "\nbutton = \"XYZ\"\n", "35:10"},
    {"conditional label the mode may be gone for",
     "[[event]]\nt = 2.0\nmode = \"none\"\n[[event]]\nwhen = " WHEN
     "\nafter = 1.0\nbutton = \"HLD\"\n",
     "39:10"},
    {"conditional label timed out before the mode goes",
     "[[event]]\nt = 2.0\nmode = \"none\"\n[[event]]\nwhen = " WHEN
     "\nafter = 1.0\ntimeout = 0.5\nbutton = \"HLD\"\n",
     ""},
    {"label a conditional event may take away",
     "[[event]]\nwhen = " WHEN "\nmode = \"none\"\n[[event]]\nt = 2.0\nbutton = \"HLD\"\n",
     "38:10"},
    {"conditional label and key that fit",
     "[[event]]\nwhen = " WHEN "\nbutton = \"hld\"\n"
     "[[event]]\nwhen = " WHEN "\nkey = \"5\"\n",
     ""},
};
#undef WHEN

class Strict : public simtest::SimRun {};

TEST_F(Strict, RefusesEachCaseWhereItStandsAndTheDefaultFliesIt) {
  for (const StrictCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string file =
        writeScenario("case.toml", std::string(simtest::kTwoVessels) + kScreens + c.text);
    const auto before = files();
    const auto strict = run({file, "--strict", "--dump", path("dump.txt"), "--quiet"});
    if (*c.where == '\0') {
      EXPECT_EQ(strict.status, 0) << strict.err;
    } else {
      EXPECT_EQ(strict.status, 2) << strict.err;
      EXPECT_EQ(simtest::lines(strict.err).size(), 1u) << strict.err;
      EXPECT_EQ(strict.err.rfind(file + ":" + c.where + ": ", 0), 0u) << strict.err;
      EXPECT_EQ(files(), before);  // nothing written
    }
    const auto plain = run({file, "--quiet"});
    EXPECT_EQ(plain.status, 0) << plain.err;
    std::filesystem::remove(path("dump.txt"));
  }
}

// An event after the end is judged against the end the command line sets, the
// first whole step at or past it (2.99 s would end at 3 s, 2.9 s at 2.9 s).
TEST_F(Strict, AnEventIsLateAgainstTheUntilOfTheCommandLine) {
  const std::string file = writeScenario("late.toml", std::string(simtest::kTwoVessels) + kScreens +
                                                          "[[event]]\nt = 3.0\nkey = \"H\"\n");
  EXPECT_EQ(run({file, "--strict", "--quiet", "--until", "2.9"}).status, 2);
  EXPECT_EQ(run({file, "--strict", "--quiet", "--until", "3"}).status, 0);
}

TEST_F(Strict, AcceptsEveryShippedScenario) {
  const std::filesystem::path folder =
      std::string(testsupport::envPath("GYRELLE_SOURCE_DIR")) + "/scenarios";
  int flown = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    if (e.path().extension() != ".toml") continue;
    const auto r = run({e.path().string(), "--strict", "--quiet"});
    EXPECT_EQ(r.status, 0) << e.path() << "\n" << r.err;
    ++flown;
  }
  EXPECT_GE(flown, 5);
}

}  // namespace
