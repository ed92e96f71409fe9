// What the entry-interface prediction finds (entry/entry_prediction.h): the
// next descending crossing of the focus vessel's orbit through its reference
// body's atmospheric entry interface, as the instance record keeps it.
#pragma once

#include "hostapi/host_api.h"

struct EntryPrediction {
  bool valid;          // the fields below describe a crossing ahead on this orbit
  double entryAngle;   // |flight-path angle| at the crossing, (0, pi/2] [rad]
  double timeToGo;     // from now to the descending crossing [s]
  VECTOR3 eiPosition;  // at the crossing, relative to the body, status axes [m]
  VECTOR3 eiVelocity;  // at the crossing, relative to the body, status axes [m/s]
};
