// Velocity trim: nulls the velocity relative to the target along the selected
// vessel axes with the linear RCS levels, or with an engine for large changes.
#pragma once

#include <cstdint>

class GyrelleMFD;

void trimCommand(GyrelleMFD& mfd, int32_t selection);  // a TrimSelection
void toggleTrim(GyrelleMFD& mfd);
void trimStep(GyrelleMFD& mfd);
void trimLateral(GyrelleMFD& mfd);
void trimVertical(GyrelleMFD& mfd);
void trimForeAft(GyrelleMFD& mfd);
// Ends a running trim from outside (commands, the hold's automatic ends, a mode
// change): clears trimActive and sets the linear levels and the engine levels
// the selection uses to zero. Does nothing when no trim runs.
void endTrim(GyrelleMFD& mfd);
