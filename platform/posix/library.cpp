// Module libraries through dlopen; the library entry routine is called here,
// as no system loader does it.
#include "platform/library.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

HINSTANCE openLibrary(const std::string& path, std::string& error) {
  HINSTANCE h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (h == nullptr) {
    const char* why = dlerror();
    error = why != nullptr ? why : "unknown error";
    return nullptr;
  }
  if (auto entry = procAddress<DllEntryRoutine>(h, "DllMain")) {
    if (entry(h, DLL_PROCESS_ATTACH, nullptr) == 0) {
      dlclose(h);
      error = "its entry routine refused to attach (DllMain returned 0)";
      return nullptr;
    }
  }
  return h;
}

void closeLibrary(HINSTANCE library) {
  if (library == nullptr) return;
  if (auto entry = procAddress<DllEntryRoutine>(library, "DllMain"))
    entry(library, DLL_PROCESS_DETACH, nullptr);
  dlclose(library);
}

bool libraryContains(HINSTANCE library, const void* code) {
  Dl_info info{};
  if (dladdr(code, &info) == 0 || info.dli_fname == nullptr) return false;
  void* owner = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
  if (owner == nullptr) return false;
  dlclose(owner);  // RTLD_NOLOAD still counts a reference
  return owner == library;
}

std::string libraryFileName(const std::string& name) { return "lib" + name + ".so"; }

std::string programFile() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, size_t(n)) : std::string();
}

std::string hostLibraryFile() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&hostLibraryFile), &info) == 0 ||
      info.dli_fname == nullptr)
    return "";
  return info.dli_fname;
}
