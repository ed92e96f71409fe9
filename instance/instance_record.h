// The record of one instance: every per-screen field, in one type below the
// display. The reference modes, the target commands and the autopilot work on
// this record alone; the display class adds the host's virtual operations.
#pragma once

#include <cstdint>

#include "hostapi/host_api.h"
#include "instance/predicted_entry.h"
#include "instance/ref_mode.h"
#include "instance/target_list.h"

struct InstanceRecord {
  HDC drawDc = nullptr;     // the device context of the redraw in progress
  uint32_t mfdWidth = 0;    // [pixels]
  uint32_t mfdHeight = 0;   // [pixels]
  uint32_t lineHeight = 0;  // text line pitch: mfdHeight / 28 [pixels]
  int32_t textY = 0;        // y of the next text line during a redraw [pixels]
  RefMode refMode = RefMode::kUserAttitude;
  VECTOR3 refAttitude{};       // reference orientation angles (alpha, beta, gamma) [rad]
  VECTOR3 attOffset{};         // user offsets (pitch, yaw, roll) [rad]
  VECTOR3 attDeviation{};      // pitch, yaw, roll relative to the reference [rad]
  double rotThrustLevel[3]{};  // net rotation levels pitch, yaw, roll, set at each redraw
  int32_t holdActive = 0;      // 0 or 1
  TargetList targetList;       // targets ordered by distance
  OBJHANDLE targetHandle = nullptr;
  char targetName[50]{};      // terminated
  double rangeRate = 0.0;     // relative velocity along the line of sight [m/s]
  VECTOR3 targetRelPos{};     // target minus vessel, vessel axes [m]
  VECTOR3 targetRelVel{};     // host's GetRelativeVel of the target, vessel axes [m/s]
  uint32_t trimActive = 0;    // a velocity trim is running
  int32_t trimSelection = 0;  // TrimSelection of the last trim command
  EntryPrediction entryPrediction{};
  VESSELSTATUS status{};           // focus vessel's status as last refreshed
  VECTOR3 globalPos{};             // focus vessel's global position as last refreshed [m]
  double vesselMass = 0.0;         // focus vessel's mass as last refreshed [kg]
  HBRUSH positiveBrush = nullptr;  // RGB(0, 200, 0)
  HBRUSH negativeBrush = nullptr;  // RGB(100, 100, 100)
  int32_t colourMode = 0;          // colour of negative values: 0 green, 1 white, 2 red
  int32_t helpPage = 0;            // 0 normal display, 1..7 help page
  double refreshTimer = 0.0;       // simulation time since the last refresh [s]
  // Names the instance for its whole life and never another one: input boxes
  // carry it as their user data (state/module_state.h). 0 = not registered.
  uintptr_t serial = 0;
};
