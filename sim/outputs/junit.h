// --junit FILE: the results of a run's expectations as JUnit XML, as CI
// systems read it: one <testsuite> named after the scenario file, one
// <testcase> per expectation (and per conditional event, which passes when it
// fired), a <failure> with the message (what was measured, and when) for
// each that failed, a <skipped> with why for each not judged.
#pragma once

#include <string>
#include <vector>

namespace sim {

// One expectation's (or conditional event's) result. Skipped: a flight cut
// short by --until could not decide it (its window reaches past the end).
enum class Outcome { Passed, Failed, Skipped };  // in this order: it indexes counts
struct Verdict {
  std::string name;
  Outcome outcome = Outcome::Failed;
  std::string message;  // what was measured; on a failure, what failed and when
  int line = 0;         // of its table in the scenario file
};

// The XML document; suite names the scenario, time [s] is the flight's end.
std::string junitXml(const std::string& suite, const std::vector<Verdict>& verdicts, double time);

// Text for XML character data and attribute values: &, <, >, " and '
// escaped, and the control characters XML 1.0 cannot hold (all below 0x20 but
// tab, line feed and carriage return) written as '?'.
std::string xmlEscaped(const std::string& text);

}  // namespace sim
