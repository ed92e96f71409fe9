// Numbers the module reads from typed text and prints on the display always
// use the decimal point, whatever locale the host process runs in.
#pragma once

#ifdef _WIN32
#include <string>
#else
#include <locale.h>
#endif

// While it lives, the calling thread's numeric conventions are the "C"
// locale's; the host's own locale, and that of its other threads, is
// untouched. On POSIX systems through uselocale (per thread by definition);
// on Windows the thread is switched to a locale of its own
// (_configthreadlocale) and its numeric category set to "C", both undone at the end.
class ClassicNumbers {
 public:
  ClassicNumbers();
  ~ClassicNumbers();
  ClassicNumbers(const ClassicNumbers&) = delete;
  ClassicNumbers& operator=(const ClassicNumbers&) = delete;

 private:
#ifdef _WIN32
  int previousMode_;             // what _configthreadlocale answered
  std::string previousNumeric_;  // the thread's LC_NUMERIC before; empty = unknown
#else
  locale_t previous_;
#endif
};
