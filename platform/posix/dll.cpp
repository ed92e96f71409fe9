// GetProcAddress over dlsym.
#include "platform/dll.h"

#include <dlfcn.h>

void* GetProcAddress(HINSTANCE module, const char* name) {
  // dlsym(nullptr, ...) would search the whole process (RTLD_DEFAULT); a null
  // module handle names no module and gets no symbol.
  if (module == nullptr || name == nullptr) return nullptr;
  return dlsym(module, name);
}
