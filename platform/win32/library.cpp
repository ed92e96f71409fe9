// Module libraries through the system loader, which calls DllMain itself.
#include "platform/library.h"

#include <string>

namespace {

// The system's text for an error code, without its trailing line break.
std::string systemMessage(DWORD code) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = n != 0 && text != nullptr ? std::string(text, n) : std::string();
  if (text != nullptr) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  return "error " + std::to_string(code) + (message.empty() ? "" : ": " + message);
}

}  // namespace

HINSTANCE openLibrary(const std::string& path, std::string& error) {
  // No dialog box for a missing dependency: the host runs unattended.
  const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HINSTANCE h = LoadLibraryA(path.c_str());
  const DWORD code = GetLastError();
  SetErrorMode(previousMode);
  if (h == nullptr) {
    // ERROR_DLL_INIT_FAILED is the loader's answer when DllMain returned FALSE.
    error = code == ERROR_DLL_INIT_FAILED
                ? "its entry routine refused to attach (DllMain returned 0)"
                : systemMessage(code);
  }
  return h;
}

void closeLibrary(HINSTANCE library) {
  if (library != nullptr) FreeLibrary(library);
}

bool libraryContains(HINSTANCE library, const void* code) {
  HMODULE owner = nullptr;
  if (!GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<const char*>(code), &owner))
    return false;
  return owner == library;
}

std::string libraryFileName(const std::string& name) { return name + ".dll"; }

namespace {

std::string moduleFile(HMODULE module) {
  char buffer[MAX_PATH];
  const DWORD n = GetModuleFileNameA(module, buffer, sizeof buffer);
  return n == 0 || n >= sizeof buffer ? std::string() : std::string(buffer, n);
}

}  // namespace

std::string programFile() { return moduleFile(nullptr); }

std::string hostLibraryFile() {
  HMODULE self = nullptr;
  if (!GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<const char*>(&hostLibraryFile), &self))
    return "";
  return moduleFile(self);
}
