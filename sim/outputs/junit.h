// --junit FILE: the results of a run's expectations as JUnit XML, as CI
// systems read it: one <testsuite> named after the scenario file, one
// <testcase> per expectation (and per conditional event, which passes when it
// fired), a <failure> with the message (what was measured, and when) for
// each that failed.
#pragma once

#include <string>
#include <vector>

namespace sim {

// One expectation's (or conditional event's) result.
struct Verdict {
  std::string name;
  bool passed = false;
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
