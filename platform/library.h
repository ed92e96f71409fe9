// Loading a module library the platform's way, for the host's loader.
//
// Linux: dlopen, then the loader calls the module's exported DllMain(handle,
// DLL_PROCESS_ATTACH, null) itself; closing calls DllMain(handle,
// DLL_PROCESS_DETACH, null), then dlclose. Windows: LoadLibrary and
// FreeLibrary, and the system loader calls DllMain. Either way a library whose
// entry routine refuses the attach is not loaded.
#pragma once

#include <string>

#include "platform/dll.h"

// Opens the library; null with a readable reason in error when it cannot be
// loaded or its entry routine refused.
GYRELLE_PLATFORM_API HINSTANCE openLibrary(const std::string& path, std::string& error);

// Detaches and closes a library openLibrary returned.
GYRELLE_PLATFORM_API void closeLibrary(HINSTANCE library);

// Whether code at this address belongs to the library behind the handle.
GYRELLE_PLATFORM_API bool libraryContains(HINSTANCE library, const void* code);

// The file name of the library named `name` with the platform's library
// naming: libNAME.so on Linux, NAME.dll on Windows.
GYRELLE_PLATFORM_API std::string libraryFileName(const std::string& name);

// The running program's own file; empty when the system does not say.
GYRELLE_PLATFORM_API std::string programFile();

// The file of the host runtime library (libhalcyra.so, halcyra.dll), the
// library this function is in; empty when the system does not say.
GYRELLE_PLATFORM_API std::string hostLibraryFile();
