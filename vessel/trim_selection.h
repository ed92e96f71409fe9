// Axes of a velocity-trim command.
#pragma once

#include <cstdint>

enum TrimSelection : int32_t {
  TRIM_VERTICAL = 0,       // TRV
  TRIM_LATERAL = 1,        // TRL
  TRIM_FORE_AFT = 2,       // TRF
  TRIM_ALL = 3,            // TRA
  TRIM_VERT_LAT = 4,       // TVL
  TRIM_LAT_FORE_AFT = 5,   // TLF
  TRIM_VERT_FORE_AFT = 6,  // TVF
};

inline bool trimsVertical(int32_t s) { return s == 0 || s == 3 || s == 4 || s == 6; }
inline bool trimsLateral(int32_t s) { return s == 1 || s == 3 || s == 4 || s == 5; }
inline bool trimsForeAft(int32_t s) { return s == 2 || s == 3 || s == 5 || s == 6; }
