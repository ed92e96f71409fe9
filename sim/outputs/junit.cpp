#include "sim/outputs/junit.h"

#include "sim/outputs/number_text.h"

namespace sim {

std::string xmlEscaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      case '\n':
        out += "&#10;";  // kept in attributes, where a plain line break reads as a space
        break;
      default:
        out += (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r') ? '?' : c;
    }
  }
  return out;
}

std::string junitXml(const std::string& suite, const std::vector<Verdict>& verdicts, double time) {
  size_t failures = 0, skipped = 0;
  for (const Verdict& v : verdicts) {
    failures += v.outcome == Outcome::Failed ? 1 : 0;
    skipped += v.outcome == Outcome::Skipped ? 1 : 0;
  }
  const std::string counts = " tests=\"" + std::to_string(verdicts.size()) + "\" failures=\"" +
                             std::to_string(failures) + "\" errors=\"0\" skipped=\"" +
                             std::to_string(skipped) + "\"";
  const std::string name = xmlEscaped(suite);
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites" + counts + ">\n";
  out += "  <testsuite name=\"" + name + "\"" + counts + " time=\"";
  appendTime(out, time);
  out += "\">\n";
  for (const Verdict& v : verdicts) {
    out += "    <testcase classname=\"" + name + "\" name=\"" + xmlEscaped(v.name) + "\" file=\"" +
           name + "\" line=\"" + std::to_string(v.line) + "\"";
    const std::string message = xmlEscaped(v.message);
    if (v.outcome == Outcome::Passed) {
      out += ">\n      <system-out>" + message + "</system-out>\n    </testcase>\n";
    } else {
      const char* kind = v.outcome == Outcome::Failed ? "failure" : "skipped";
      out += ">\n      <" + std::string(kind) + " message=\"" + message + "\">" + message + "</" +
             kind + ">\n    </testcase>\n";
    }
  }
  return out + "  </testsuite>\n</testsuites>\n";
}

}  // namespace sim
