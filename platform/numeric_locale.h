// Numbers the module reads from typed text and prints on the display always
// use the decimal point, whatever locale the host process runs in.
#pragma once

#ifdef _WIN32
#include <string>
#else
#include <locale.h>
#endif

// While it lives, the calling thread's numeric conventions are the "C"
// locale's, and afterwards the host's are as they were. On POSIX systems
// through uselocale, per thread by definition. On Windows the thread is given
// a locale of its own (_configthreadlocale) whose numeric category is set to
// "C"; where the C runtime has no per-thread locales (msvcrt.dll, which
// mingw-w64 links, lacks them), the process's numeric category is switched
// for that while instead. That is safe for the module, whose entry points all
// run on the host's one simulation thread (state/module_state.h).
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
