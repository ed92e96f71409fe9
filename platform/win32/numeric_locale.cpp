// The "C" numeric conventions for the calling thread on Windows. The C
// runtime's locale is process-wide unless the thread asks for its own with
// _configthreadlocale; setlocale then changes that thread's only. Where the
// runtime cannot (mingw-w64's msvcrt answers -1), setlocale changes the
// process's numeric category, put back by the destructor.
#include "platform/numeric_locale.h"

#include <locale.h>

ClassicNumbers::ClassicNumbers() : previousMode_(_configthreadlocale(_ENABLE_PER_THREAD_LOCALE)) {
  const char* numeric = setlocale(LC_NUMERIC, nullptr);
  if (numeric != nullptr) previousNumeric_ = numeric;
  setlocale(LC_NUMERIC, "C");
}

ClassicNumbers::~ClassicNumbers() {
  if (!previousNumeric_.empty()) setlocale(LC_NUMERIC, previousNumeric_.c_str());
  // -1 is the answer of a runtime that failed the call: nothing to restore then.
  if (previousMode_ != -1) _configthreadlocale(previousMode_);
}
