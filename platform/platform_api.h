// What the host runtime library makes visible to the modules and programs that
// link it. On Linux the runtime is built with default visibility and these
// functions and classes are marked so that a hidden-visibility build still
// exports them. On Windows halcyra.dll exports all its symbols (the linker's
// automatic export) and its users import them through its import library.
#pragma once

#ifdef _WIN32
#define GYRELLE_PLATFORM_API
#else
#define GYRELLE_PLATFORM_API __attribute__((visibility("default")))
#endif
