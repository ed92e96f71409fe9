#include "platform/numeric_locale.h"

namespace {
locale_t classicNumeric() {
  static const locale_t classic = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
  return classic;
}
}  // namespace

// A null locale (newlocale failed) leaves the thread's locale as it is.
ClassicNumbers::ClassicNumbers() : previous_(uselocale(classicNumeric())) {}

ClassicNumbers::~ClassicNumbers() {
  if (classicNumeric() != locale_t(nullptr)) uselocale(previous_);
}
