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
  size_t failures = 0;
  for (const Verdict& v : verdicts) failures += v.passed ? 0 : 1;
  const std::string counts = " tests=\"" + std::to_string(verdicts.size()) + "\" failures=\"" +
                             std::to_string(failures) + "\" errors=\"0\"";
  const std::string name = xmlEscaped(suite);
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites" + counts + ">\n";
  out += "  <testsuite name=\"" + name + "\"" + counts + " skipped=\"0\" time=\"";
  appendTime(out, time);
  out += "\">\n";
  for (const Verdict& v : verdicts) {
    out += "    <testcase classname=\"" + name + "\" name=\"" + xmlEscaped(v.name) + "\" file=\"" +
           name + "\" line=\"" + std::to_string(v.line) + "\"";
    if (v.passed) {
      out += ">\n      <system-out>" + xmlEscaped(v.message) + "</system-out>\n    </testcase>\n";
      continue;
    }
    out += ">\n      <failure message=\"" + xmlEscaped(v.message) + "\">" + xmlEscaped(v.message) +
           "</failure>\n    </testcase>\n";
  }
  return out + "  </testsuite>\n</testsuites>\n";
}

}  // namespace sim
