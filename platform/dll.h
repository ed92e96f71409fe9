// Dynamic-library pieces of the platform: the library entry routine that the
// loader calls after loading and before unloading a module, and
// GetProcAddress, which on this platform is dlsym.
#pragma once

#include <cstdint>

#define GYRELLE_PLATFORM_API __attribute__((visibility("default")))

typedef void* HINSTANCE;  // the handle that dlopen returned for the module

// Reason codes of the library entry routine.
constexpr uint32_t DLL_PROCESS_DETACH = 0;
constexpr uint32_t DLL_PROCESS_ATTACH = 1;

// The library entry routine every module exports under the name "DllMain":
// (module handle, reason, reserved) -> nonzero on success.
using DllEntryRoutine = int (*)(HINSTANCE module, uint32_t reason, void* reserved);

// Address of an exported symbol of a loaded module, or null.
GYRELLE_PLATFORM_API void* GetProcAddress(HINSTANCE module, const char* name);
