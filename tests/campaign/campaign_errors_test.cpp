// A campaign file that is wrong is refused with the place of what is wrong:
// "FILE:LINE:COLUMN: what".
#include <gtest/gtest.h>

#include "campaign_files.h"

namespace {

using campaigntest::CampaignFiles;

struct BadCase {
  const char* name;
  const char* dispersions;  // from line 6 of the campaign file
  const char* where;        // "LINE:COLUMN"
  const char* what;         // a part of the message
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }

// A dispersion that is right but for the line given.
#define DISPERSION(vessel, quantity, law) \
  "[[dispersion]]\nname = \"d\"\n" vessel "\nquantity = \"" quantity "\"\n" law "\n"

const BadCase kBadCases[] = {
    {"UnknownVessel", DISPERSION("vessel = \"Nobody\"", "propellant", "uniform = [1.0, 2.0]"),
     "8:10", "unknown vessel 'Nobody' (the scenario's vessels: Gyre-1, Tender)"},
    {"UnknownQuantity", DISPERSION("vessel = \"Tender\"", "fuel", "uniform = [1.0, 2.0]"), "9:12",
     "unknown quantity 'fuel'"},
    {"EventBeyondTheScenarios", DISPERSION("event = 3", "t", "uniform = [1.0, 2.0]"), "8:9",
     "must be an [[event]] of the scenario, 0 to 3 - 1"},
    {"TimeOfAConditionalEvent", DISPERSION("event = 2", "t", "uniform = [1.0, 2.0]"), "8:9",
     "is a conditional event"},
    {"InputOfAKeyEvent", DISPERSION("event = 0", "input", "uniform = [1.0, 2.0]"), "8:9",
     "is not an input event"},
    {"VectorGivenAScalarLaw",
     DISPERSION("vessel = \"Tender\"", "angular_velocity", "uniform = [1.0, 2.0]"), "10:11",
     "'angular_velocity' a vector: give 'each' or 'direction' and 'magnitude'"},
    {"ScalarGivenAVectorLaw",
     DISPERSION("vessel = \"Tender\"", "propellant", "each = { uniform = [1.0, 2.0] }"), "10:8",
     "'propellant' a scalar"},
    {"UniformMinNotBelowMax",
     DISPERSION("vessel = \"Tender\"", "propellant", "uniform = [2.0, 1.0]"), "10:11",
     "needs min < max"},
    {"NormalSigmaNotPositive",
     DISPERSION("vessel = \"Tender\"", "propellant", "normal = { mean = 1.0, sigma = 0.0 }"),
     "10:32", "'sigma' in normal must be positive"},
    {"NormalMinNotBelowMax",
     DISPERSION("vessel = \"Tender\"", "propellant",
                "normal = { mean = 1.0, sigma = 1.0, min = 2.0, max = 2.0 }"),
     "10:54", "'max' in normal must be above min"},
    {"TruncationLeavesTooLittle",
     DISPERSION("vessel = \"Tender\"", "propellant",
                "normal = { mean = 0.0, sigma = 1.0, min = 5.0, max = 6.0 }"),
     "10:10", "holds too little of the distribution"},
    {"LogNormalSigmaNotPositive",
     DISPERSION("vessel = \"Tender\"", "propellant", "lognormal = { mu = 1.0, sigma = -1.0 }"),
     "10:33", "'sigma' in lognormal must be positive"},
    {"WeightsNotMatchingValues",
     DISPERSION("vessel = \"Tender\"", "propellant",
                "choice = { values = [1.0, 2.0], weights = [1.0] }"),
     "10:43", "one weight per value (2)"},
    {"NegativeWeight",
     DISPERSION("vessel = \"Tender\"", "propellant",
                "choice = { values = [1.0, 2.0], weights = [1.0, -1.0] }"),
     "10:49", "a weight must not be negative"},
    {"TwoLaws",
     DISPERSION("vessel = \"Tender\"", "propellant",
                "uniform = [1.0, 2.0]\nlognormal = { mu = 1.0, sigma = 1.0 }"),
     "11:13", "more than one distribution ('uniform' and 'lognormal')"},
    {"NoLaw", DISPERSION("vessel = \"Tender\"", "propellant", ""), "6:1",
     "needs a distribution (uniform, normal, lognormal or choice)"},
    {"OrbitOfAVesselPlacedByItsState",
     DISPERSION("vessel = \"Tender\"", "orbit.inclination", "uniform = [0.0, 0.1]"), "9:12",
     "vessel 'Tender' is not placed by 'orbit'"},
    {"ConeWithoutSigma", DISPERSION("vessel = \"Tender\"", "orientation", "rotation = \"cone\""),
     "6:1", "[[dispersion]] needs 'sigma'"},
    {"RotationUnknown", DISPERSION("vessel = \"Tender\"", "orientation", "rotation = \"wobble\""),
     "10:12", "must be \"uniform\" or \"cone\""},
    {"OrientationAdded",
     DISPERSION("vessel = \"Tender\"", "orientation", "rotation = \"uniform\"\napply = \"add\""),
     "11:9", "must be \"set\" for 'orientation'"},
    {"ApplyUnknown",
     DISPERSION("vessel = \"Tender\"", "propellant", "uniform = [1.0, 2.0]\napply = \"multiply\""),
     "11:9", "must be \"set\", \"add\" or \"scale\""},
    {"RelativeToItself",
     DISPERSION("vessel = \"Tender\"", "relative_position",
                "relative_to = \"Tender\"\neach = { uniform = [1.0, 2.0] }"),
     "10:15", "must name another vessel"},
    {"RelativeToADispersedState",
     DISPERSION(
         "vessel = \"Tender\"", "relative_position",
         "relative_to = \"Gyre-1\"\neach = { uniform = [1.0, 2.0] }") "\n[[dispersion]]\nname = "
                                                                      "\"e\"\nvessel = "
                                                                      "\"Gyre-1\"\nquantity = "
                                                                      "\"velocity\"\n"
                                                                      "each = { uniform = [1.0, "
                                                                      "2.0] }\n",
     "6:1", "whose state 'e' disperses too"},
    {"UnknownKey",
     DISPERSION("vessel = \"Tender\"", "propellant", "uniform = [1.0, 2.0]\ncolour = \"red\""),
     "11:1", "unknown key 'colour' in [[dispersion]]"},
    {"NameNotAWord",
     "[[dispersion]]\nname = \"fuel mass\"\nvessel = \"Tender\"\nquantity = \"propellant\"\n"
     "uniform = [1.0, 2.0]\n",
     "7:8", "must be letters, digits, '_' and '-'"},
    {"DuplicateName",
     DISPERSION("vessel = \"Tender\"", "propellant", "uniform = [1.0, 2.0]")
         DISPERSION("vessel = \"Tender\"", "dry_mass", "uniform = [1.0, 2.0]"),
     "11:1", "a second dispersion named 'd'"},
    {"DecimalsOfANonInput",
     DISPERSION("vessel = \"Tender\"", "propellant", "uniform = [1.0, 2.0]\ndecimals = 2"), "11:12",
     "goes with quantity 'input' only"},
};

class BadCampaign : public CampaignFiles, public ::testing::WithParamInterface<BadCase> {};

TEST_P(BadCampaign, IsRefusedWhereItIsWrong) {
  const BadCase& c = GetParam();
  const std::string file = writeCampaign(c.dispersions);
  try {
    sim::CampaignPlan plan(file);
    FAIL() << "accepted";
  } catch (const sim::ScenarioError& e) {
    const std::string what = e.what();
    EXPECT_EQ(what.rfind(file + ":" + c.where + ": ", 0), 0u) << what;
    EXPECT_NE(what.find(c.what), std::string::npos) << what;
  }
}

INSTANTIATE_TEST_SUITE_P(Campaigns, BadCampaign, ::testing::ValuesIn(kBadCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
