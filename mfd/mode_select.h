// Reference-mode selection and the input-box callbacks of the mode.
#pragma once

#include "instance/ref_mode.h"

struct InstanceRecord;

// Rotation levels to zero, hold off, refMode := mode, then the mode's entry computation.
void selectMode(InstanceRecord& mfd, RefMode mode);
bool modeEntered(void* id, char* text, void* userData);
bool pitchOffsetEntered(void* id, char* text, void* userData);
bool yawOffsetEntered(void* id, char* text, void* userData);
bool rollOffsetEntered(void* id, char* text, void* userData);
