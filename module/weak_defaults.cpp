// Least bodies of the subsystems the spine calls, as weak symbols: each
// subsystem's own file defines the real (strong) symbol, which the linker takes
// in preference. Removed once every subsystem defines its symbols.
#include "control/attitude_hold.h"
#include "control/velocity_trim.h"
#include "control/vessel_control.h"
#include "entry/entry_prediction.h"
#include "geometry/reference_frames.h"
#include "mfd/display.h"
#include "mfd/gyrelle_mfd.h"
#include "mfd/mode_select.h"
#include "targets/target_commands.h"

#define WEAK __attribute__((weak))

WEAK VESSEL* controlVessel = nullptr;
WEAK VECTOR3 pmi = {0.0, 0.0, 0.0};
WEAK double responseTime = 1.0;
WEAK double axisTorque[3] = {0.0, 0.0, 0.0};
WEAK double linearThrust[3] = {0.0, 0.0, 0.0};
WEAK double engineThrust[3] = {0.0, 0.0, 0.0};
WEAK void setupVesselControl(VESSEL*, double) {}
WEAK void controlStep(GyrelleMFD&) {}
WEAK void toggleHold(GyrelleMFD& mfd) { mfd.holdActive = 1 - mfd.holdActive; }
WEAK void endHold(GyrelleMFD& mfd) { mfd.holdActive = 0; }
WEAK void trimCommand(GyrelleMFD&, int32_t) {}
WEAK void endTrim(GyrelleMFD& mfd) { mfd.trimActive = 0; }

WEAK void captureUserReference(GyrelleMFD& mfd) { mfd.refAttitude = mfd.status.orientation; }
WEAK void refreshReference(GyrelleMFD&) {}
WEAK void updateTargetRelative(GyrelleMFD&) {}
WEAK void enterReferenceMode(GyrelleMFD&, int) {}

WEAK void appendTarget(TargetList&, OBJHANDLE) {}
WEAK void clearTargetList(TargetList&) {}
WEAK void enterTargetMode(GyrelleMFD&) {}
WEAK void closestTarget(GyrelleMFD&) {}
WEAK void nextTarget(GyrelleMFD&) {}
WEAK void previousTarget(GyrelleMFD&) {}
WEAK bool targetNameEntered(void*, char*, void*) { return false; }
WEAK bool selectBaseTarget(GyrelleMFD&) { return false; }
WEAK bool checkTarget(GyrelleMFD& mfd) { return mfd.targetHandle != nullptr; }

WEAK void predictEntryInterface(EntryPrediction& prediction) { prediction.valid = false; }
WEAK VECTOR3 attitudeDeviation(const VECTOR3&, const VECTOR3&, const VECTOR3&, const VESSEL&) {
  return VECTOR3{0.0, 0.0, 0.0};
}
WEAK VECTOR3 directionAngles(const VECTOR3&) { return VECTOR3{0.0, 0.0, 0.0}; }

WEAK COLORREF setTextStyle(HDC dc, COLORREF colour) {
  SetBkMode(dc, TRANSPARENT);
  return SetTextColor(dc, colour);
}
WEAK void formatDistance(char* buffer, size_t capacity, double) {
  if (capacity > 0) buffer[0] = '\0';
}
WEAK void drawHelpPage(GyrelleMFD&) {}
WEAK void drawIndicators(GyrelleMFD&) {}
WEAK void GyrelleMFD::Redraw(HDC) {}

