// Reference-mode selection and the text the pilot types into the mode's boxes.
#include "mfd/mode_select.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "control/velocity_trim.h"
#include "geometry/angle_units.h"
#include "instance/instance_record.h"
#include "platform/numeric_locale.h"
#include "reference/reference_frames.h"
#include "state/module_state.h"
#include "vessel/levels.h"

namespace {

// The instance a callback names, or null when it has been destroyed since the
// box was opened (or the text is missing).
InstanceRecord* liveTarget(const char* text, void* userData) {
  if (text == nullptr) return nullptr;
  return liveInstance(userData);
}

// The longest prefix of s (after leading white space) that forms a decimal
// number: optional sign, digits, optional point and fraction digits, optional
// exponent. Nothing readable gives 0. Hexadecimal, "nan" and "inf" are not
// numbers here.
double readDecimal(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  const size_t start = i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  }
  if (digits == 0) return 0.0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    const size_t expStart = j;
    while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
    if (j > expStart) i = j;
  }
  return std::strtod(s.substr(start, i - start).c_str(), nullptr);
}

bool offsetEntered(char* text, void* userData, int axis) {
  InstanceRecord* mfd = liveTarget(text, userData);
  if (mfd == nullptr) return false;
  const ClassicNumbers decimalPoint;  // "-10.5" reads as -10.5 in every host locale
  // The first blank stands for the decimal point: "10 5" reads as 10.5.
  std::string s(text);
  for (char& c : s) {
    if (c == ' ' || c == '\t') {
      c = '.';
      break;
    }
  }
  // The number the grammar reads is the one checked: "1e999" overflows and is
  // refused, nothing changed; "0x1p2000", "nan" and "inf" have no decimal
  // number in front and read as 0.
  const double degrees = readDecimal(s);
  if (!std::isfinite(degrees)) return false;
  mfd->attOffset[axis] = degrees * kRadPerDeg;
  return true;  // takes effect at the next refresh
}

}  // namespace

void selectMode(InstanceRecord& mfd, RefMode mode) {
  VESSEL* const vessel = moduleState.focusVessel;
  if (vessel != nullptr) vessel->SetAttitudeRotLevel(VECTOR3{0.0, 0.0, 0.0});
  endTrim(mfd);  // a trim does not outlive the mode it was flown in
  mfd.refMode = mode;
  mfd.holdActive = 0;
  enterReferenceMode(mfd, mode);
}

bool modeEntered(void* /*id*/, char* text, void* userData) {
  InstanceRecord* mfd = liveTarget(text, userData);
  if (mfd == nullptr) return false;
  errno = 0;
  const long number = std::strtol(text, nullptr, 10);  // no digits read as 0
  const std::optional<RefMode> mode = refModeFromNumber(number);
  if (errno == ERANGE || !mode) return false;
  selectMode(*mfd, *mode);
  return true;
}

bool pitchOffsetEntered(void* /*id*/, char* text, void* userData) {
  return offsetEntered(text, userData, 0);
}
bool yawOffsetEntered(void* /*id*/, char* text, void* userData) {
  return offsetEntered(text, userData, 1);
}
bool rollOffsetEntered(void* /*id*/, char* text, void* userData) {
  return offsetEntered(text, userData, 2);
}
