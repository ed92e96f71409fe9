// Dynamic-library pieces of the platform: the library entry routine that the
// loader calls after loading and before unloading a module, the export
// marker of a module's entry points, and GetProcAddress.
//
// On Windows these are <windows.h>'s own: the system loader calls DllMain
// (reasons DLL_PROCESS_ATTACH = 1, DLL_PROCESS_DETACH = 0; thread attach and
// detach also arrive), and GetProcAddress returns a FARPROC. Elsewhere the
// host's loader calls the module's exported "DllMain" itself (reasons 1 and 0
// only), and GetProcAddress is dlsym.
#pragma once

#include <cstdint>

#include "platform/platform_api.h"

#ifdef _WIN32

#include "platform/windows_headers.h"

// The exports of a module are named by module/exports.map, which the linker
// honours on Windows too; it never exports DllMain there, which the system
// loader finds as the image's entry routine.
#define GYRELLE_MODULE_EXPORT extern "C"

using DllReason = DWORD;

#else

#define GYRELLE_MODULE_EXPORT extern "C" __attribute__((visibility("default")))

typedef void* HINSTANCE;  // the handle that dlopen returned for the module
typedef int BOOL;
using DllReason = uint32_t;

// Reason codes of the library entry routine.
constexpr uint32_t DLL_PROCESS_DETACH = 0;
constexpr uint32_t DLL_PROCESS_ATTACH = 1;

// The library entry routine every module exports under the name "DllMain":
// (module handle, reason, reserved) -> nonzero on success.
using DllEntryRoutine = BOOL (*)(HINSTANCE module, uint32_t reason, void* reserved);

// Address of an exported symbol of a loaded module, or null.
GYRELLE_PLATFORM_API void* GetProcAddress(HINSTANCE module, const char* name);

#endif  // _WIN32

// GetProcAddress's answer as a function of type Fn, or null. The address is
// cast through the generic function-pointer type void (*)(), the one type that
// converts to every other without a cast-function-type warning.
template <typename Fn>
Fn procAddress(HINSTANCE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
