// The key table: what each key does in each reference mode.
#include "control/attitude_hold.h"
#include "vessel/trim_selection.h"
#include "control/velocity_trim.h"
#include "mfd/gyrelle_mfd.h"
#include "mfd/key_codes.h"
#include "mfd/mode_select.h"
#include "state/module_state.h"
#include "targets/target_commands.h"

namespace {

constexpr int kHelpPageCount = 7;
constexpr int kInputWidth = 20;  // visible characters of an input box

void openBox(GyrelleMFD& mfd, const char* title, InputCallback callback) {
  hapiOpenInputBox(title, callback, nullptr, kInputWidth, instanceToken(mfd.serial));
}

}  // namespace

// A trim command stops or switches a running trim anywhere; it starts one
// only where the trim can fly.
void GyrelleMFD::trim(int32_t selection) {
  if (trimActive != 0 || flies()) trimCommand(*this, selection);
}

void GyrelleMFD::turnHelpPage() {
  helpPage += 1;
  if (helpPage > kHelpPageCount) helpPage = 0;  // back to the normal display
}

bool GyrelleMFD::ConsumeKeyBuffered(uint32_t key) {
  if (helpPage != 0) {  // any key at all turns the page
    turnHelpPage();
    return true;
  }
  const bool targetMode = refMode == RefMode::kTargetRelative;
  switch (key) {
    case kKey1:
      selectMode(*this, RefMode::kUserAttitude);
      break;
    case kKey2:
      selectMode(*this, RefMode::kVelocity);
      break;
    case kKey3:
      selectMode(*this, RefMode::kTargetRelative);
      break;
    case kKey4:
      selectMode(*this, RefMode::kEntryInterface);
      break;
    case kKeyR:
      if (!targetMode) openBox(*this, "Select Roll", rollOffsetEntered);
      break;
    case kKeyT:
      if (targetMode) openBox(*this, "Select Target", targetNameEntered);
      break;
    case kKeyY:
      if (!targetMode) openBox(*this, "Select Yaw", yawOffsetEntered);
      break;
    case kKeyP:
      if (targetMode) {
        previousTarget(*this);
      } else {
        openBox(*this, "Select Pitch", pitchOffsetEntered);
      }
      break;
    case kKeyH:
      // Switching off always works; on only where the hold can fly.
      if (holdActive == 1 || flies()) toggleHold(*this);
      break;
    case kKeyC:
      colourMode = (colourMode + 1) % 3;
      break;
    case kKeyB:
      if (targetMode) selectBaseTarget(*this);
      break;
    case kKeyN:
      if (targetMode) nextTarget(*this);
      break;
    case kKeyM:
      // The box stays open; the number typed into it selects the final mode.
      openBox(*this, "Select Mode", modeEntered);
      selectMode(*this, RefMode::kUserAttitude);
      break;
    case kKeyPeriod:
      // REF: nothing is recomputed until the next refresh.
      if (refMode == RefMode::kUserAttitude) refAttitude = status.orientation;
      break;
    case kKeySpace:
      if (targetMode) closestTarget(*this);
      break;
    case kKeyPad7:
      trim(TRIM_VERT_LAT);
      break;
    case kKeyPad8:
      trim(TRIM_LAT_FORE_AFT);
      break;
    case kKeyPad9:
      trim(TRIM_VERT_FORE_AFT);
      break;
    case kKeyPad5:
      trim(TRIM_ALL);
      break;
    case kKeyPad1:
      trim(TRIM_VERTICAL);
      break;
    case kKeyPad2:
      trim(TRIM_LATERAL);
      break;
    case kKeyPad3:
      trim(TRIM_FORE_AFT);
      break;
    case kKeyPad0:
      helpPage = 1;
      break;
    default:
      return false;
  }
  return true;
}
