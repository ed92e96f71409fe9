// The one MFD mode the module registers.
#pragma once

#include "hostapi/host_api.h"

constexpr const char* kModeName = "Gyrelle";
constexpr uint32_t kModeKey = 22;  // scan code of the U key

// Message procedure: message 1 creates an instance (width = low 16 bits of the
// packed size, height = high 16 bits); any other message answers 0.
intptr_t gyrelleMsgProc(uint32_t msg, uint32_t mode, uint32_t packedSize, intptr_t vessel);
