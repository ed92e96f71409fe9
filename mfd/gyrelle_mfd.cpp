// Construction, destruction, the per-step update and the settings that an
// instance leaves for the next one.
#include "mfd/gyrelle_mfd.h"

#include <cmath>
#include <cstring>

#include "control/attitude_hold.h"
#include "vessel/vessel_control.h"
#include "control/vessel_release.h"
#include "state/module_state.h"
#include "reference/reference_frames.h"

namespace {
constexpr double kRefreshPeriod = 0.25;   // [s] of simulation time between refreshes
constexpr double kControlPeriod = 0.25;   // [s] response time of the hold
constexpr uint32_t kLinesPerScreen = 28;  // text grid of the display

// A freed slot goes to the newest live instance without one (a third screen
// bumped from slot 1), so that no live instance stays without steps while a
// slot is free.
void giveSlotToWaitingInstance() {
  for (size_t i = liveInstanceCount(); i-- > 0;) {
    auto* waiting = static_cast<GyrelleMFD*>(liveInstanceAt(i));
    if (!holdsInstanceSlot(waiting)) {
      takeInstanceSlot(waiting);
      return;
    }
  }
}

// The focus vessel's handle, or null without a focus vessel.
OBJHANDLE focusHandle() {
  const VESSEL* const vessel = moduleState.focusVessel;
  return vessel != nullptr ? vessel->GetHandle() : nullptr;
}
}  // namespace

GyrelleMFD::GyrelleMFD(uint32_t width, uint32_t height, VESSEL* vessel)
    : MFD(width, height, vessel) {
  targetList = TargetList{};
  serial = registerLiveInstance(this);  // may throw; nothing else has changed yet
  // An instance that fails to build (out of memory) must leave no slot behind:
  // the message procedure then answers 0 and the slots are as they were.
  GyrelleMFD** const slot = moduleState.instanceSlot;
  GyrelleMFD* const slotsBefore[2] = {slot[0], slot[1]};
  takeInstanceSlot(this);
  try {
    construct(width, height);
  } catch (...) {
    slot[0] = slotsBefore[0];
    slot[1] = slotsBefore[1];
    unregisterLiveInstance(serial);
    clearTargetList(targetList);
    DeleteObject(positiveBrush);
    DeleteObject(negativeBrush);
    throw;
  }
  // With slot 0 taken, this instance took slot 1: the instance that held it
  // gets no more steps, so nothing it set may stay in force, and it shows no
  // hold or trim that nobody flies.
  if (slotsBefore[0] != nullptr && slotsBefore[1] != nullptr) {
    leaveVessel(*slotsBefore[1], VesselChange::kNoVessel);
  }
}

// Construction steps after the slot is taken, in their order.
void GyrelleMFD::construct(uint32_t width, uint32_t height) {
  refMode = RefMode::kUserAttitude;
  refreshTimer = 0.0;
  attOffset = VECTOR3{0.0, 0.0, 0.0};
  holdActive = 0;
  trimActive = 0;
  // The module's calculations use the focus vessel, not the vessel the host
  // passed: an instance created after a focus change works on the new vessel.
  moduleState.focusVessel = hapiGetFocusInterface();
  setupVesselControl(moduleState.focusVessel, kControlPeriod);
  refresh();
  captureUserReference(*this);
  mfdHeight = height;
  colourMode = 0;
  helpPage = 0;
  lineHeight = height / kLinesPerScreen;
  mfdWidth = width;
  positiveBrush = CreateSolidBrush(RGB(0, 200, 0));
  negativeBrush = CreateSolidBrush(RGB(100, 100, 100));
  textY = 0;
  if (moduleState.settingsSaved) restoreSettings();
}

GyrelleMFD::~GyrelleMFD() {
  const bool slotted = holdsInstanceSlot(this);
  if (slotted) releaseVessel(*this);  // nothing it set stays in force
  leaveInstanceSlot(this);
  unregisterLiveInstance(serial);
  saveSettings();
  if (slotted) giveSlotToWaitingInstance();
  clearTargetList(targetList);
  DeleteObject(positiveBrush);
  DeleteObject(negativeBrush);
}

bool GyrelleMFD::flies() const {
  return moduleState.focusVessel != nullptr && holdsInstanceSlot(this);
}

void GyrelleMFD::stepUpdate(double stepLength) {
  // A step of no length, a negative one or one that is not a number is no
  // step at all: nothing is controlled and the refresh timer keeps its time.
  if (!(stepLength > 0.0) || !std::isfinite(stepLength)) return;
  if (stepLength >= kRefreshPeriod) {
    // Every such step refreshes. Doing it first lets the control act on the
    // state this step reached, not on the one a whole (long) step before:
    // under time acceleration that lag alone makes the laws ring. The state
    // does not change between the control and a refresh after it, so one
    // refresh serves the display as well.
    refresh();
    controlStep(*this, stepLength);
    return;
  }
  controlStep(*this, stepLength);
  refreshTimer += stepLength;
  if (refreshTimer < kRefreshPeriod) return;
  refresh();
}

void GyrelleMFD::refresh() {
  VESSEL* const vessel = moduleState.focusVessel;
  if (vessel != nullptr) {
    vessel->GetStatus(status);
    hapiGetGlobalPos(vessel->GetHandle(), &globalPos);
    vesselMass = vessel->GetMass();
  }
  refreshReference(*this);
  // Reset, not reduced by the period: with 0.1 s steps the refresh runs every third step.
  refreshTimer = 0.0;
}

void GyrelleMFD::saveSettings() const {
  SavedSettings& savedSettings = moduleState.savedSettings;
  moduleState.settingsSaved = true;
  savedSettings.vessel = focusHandle();
  savedSettings.refMode = refMode;
  savedSettings.holdActive = holdActive;
  if (refMode == RefMode::kTargetRelative) {
    savedSettings.targetHandle = targetHandle;
    std::memcpy(savedSettings.targetName, targetName, sizeof targetName);
    savedSettings.targetName[sizeof savedSettings.targetName - 1] = '\0';
    savedSettings.trimActive = trimActive;
    savedSettings.trimSelection = trimSelection;
  } else {
    savedSettings.refAttitude = refAttitude;
    savedSettings.attOffset = attOffset;
  }
  savedSettings.colourMode = colourMode;
}

void GyrelleMFD::restoreSettings() {
  const SavedSettings& savedSettings = moduleState.savedSettings;
  refMode = savedSettings.refMode;
  holdActive = savedSettings.holdActive;
  if (refMode == RefMode::kTargetRelative) {
    targetHandle = savedSettings.targetHandle;
    std::memcpy(targetName, savedSettings.targetName, sizeof targetName);
    trimActive = savedSettings.trimActive;
    trimSelection = savedSettings.trimSelection;
  } else {
    refAttitude = savedSettings.refAttitude;
    attOffset = savedSettings.attOffset;
  }
  colourMode = savedSettings.colourMode;
  // A trim and a target-relative hold were set up against the motion of the
  // vessel they flew; on another vessel (or none) the pilot engages them again.
  const OBJHANDLE vessel = focusHandle();
  if (vessel == nullptr || vessel != savedSettings.vessel) {
    trimActive = 0;
    if (vessel == nullptr || refMode == RefMode::kTargetRelative) holdActive = 0;
  }
  // The restored mode's figures are computed before any control step acts on
  // them: a trim would otherwise see every axis matched and an entry-interface hold no
  // interface, and both would end. Control starts with the next host step.
  refresh();
}
