// <windows.h> as the platform layer includes it: without the min/max macros
// (they break std::min and std::max) and without the rarely used parts.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

// Two empty macros of 16-bit Windows that would swallow these ordinary words.
#undef near
#undef far
