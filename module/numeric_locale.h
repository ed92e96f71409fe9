// Numbers the module reads from typed text and prints on the display always
// use the decimal point, whatever locale the host process runs in.
#pragma once

#include <locale.h>

// While it lives, the calling thread's numeric conventions are the "C"
// locale's (uselocale is per thread, so the host's own locale is untouched).
class ClassicNumbers {
 public:
  ClassicNumbers();
  ~ClassicNumbers();
  ClassicNumbers(const ClassicNumbers&) = delete;
  ClassicNumbers& operator=(const ClassicNumbers&) = delete;

 private:
  locale_t previous_;
};
