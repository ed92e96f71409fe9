// The 30 soft buttons: labels, the menu the host shows, and the key each
// button sends. Every button but MOD acts through its key, so each action is
// defined once, by the key handler.
#include "mfd/gyrelle_mfd.h"
#include "mfd/key_codes.h"
#include "mfd/mode_select.h"

namespace {

constexpr int kButtonCount = 30;
constexpr int kButtonPitch = 1;        // PCH: works outside target-relative mode
constexpr int kButtonPrevTarget = 13;  // PVT: works only in target-relative mode

struct ButtonEntry {
  const char* label;
  uint32_t key;  // the key code the button sends; kKeyNone for blank buttons
};

constexpr ButtonEntry kButtons[kButtonCount] = {
    {"MOD", kKeyM},      {"PCH", kKeyP},    {"YAW", kKeyY},    {"ROL", kKeyR},
    {"REF", kKeyPeriod}, {"HLD", kKeyH},    {"TGT", kKeyT},    {"CLT", kKeySpace},
    {"TRA", kKeyPad5},   {"TRV", kKeyPad1}, {"TRL", kKeyPad2}, {"TRF", kKeyPad3},
    {"NXT", kKeyN},      {"PVT", kKeyP},    {"BAS", kKeyB},    {"", kKeyNone},
    {"", kKeyNone},      {"", kKeyNone},    {"TVL", kKeyPad7}, {"TLF", kKeyPad8},
    {"TVF", kKeyPad9},   {"", kKeyNone},    {"", kKeyNone},    {"", kKeyNone},
    {"ATT", kKey1},      {"VEL", kKey2},    {"TGT", kKey3},    {"ENT", kKey4},
    {"HLP", kKeyPad0},   {"CLR", kKeyC},
};

constexpr MFDBUTTONMENU kMenu[kButtonCount] = {
    {"Select Mode", nullptr, 'M'},
    {"Set Pitch", nullptr, 'P'},
    {"Set Yaw", nullptr, 'Y'},
    {"Set Roll", nullptr, 'R'},
    {"Set Reference", "Attitude", '.'},
    {"Attitude Hold", nullptr, 'H'},
    {"Select Target", "(Target Mode)", 'T'},
    {"Closest Target", "(Target Mode)", ' '},
    {"Trim All", "(Numpad)", '5'},
    {"Trim Vertical", "(Numpad)", '1'},
    {"Trim Lateral", "(Numpad)", '2'},
    {"Trim F/A", "(Numpad)", '3'},
    {"Next Target", "(Target Mode)", 'N'},
    {"Prev Target", "(Target Mode)", 'P'},
    {"Select Base", "(Target Mode)", 'B'},
    {"", "", 0},
    {"", "", 0},
    {"", "", 0},
    {"Trim Vert, Lat", "(Numpad)", '7'},
    {"Trim Lat, F/A", "(Numpad)", '8'},
    {"Trim Vert, F/A", "(Numpad)", '9'},
    {"", "", 0},
    {"", "", 0},
    {"", "", 0},
    {"User Att", "Mode", '1'},
    {"Velocity", "Mode", '2'},
    {"Target Rel", "Mode", '3'},
    {"Entry Interface", "Mode", '4'},
    {"MFD Help", "(Numpad)", '0'},
    {"Toggle Color Mode", nullptr, 'C'},
};

}  // namespace

const char* GyrelleMFD::ButtonLabel(int button) {
  if (button < 0 || button >= kButtonCount) return nullptr;
  return kButtons[button].label;
}

int GyrelleMFD::ButtonMenu(const MFDBUTTONMENU** menu) const {
  if (menu != nullptr) *menu = kMenu;
  return kButtonCount;
}

bool GyrelleMFD::ConsumeButton(int button, int event) {
  if ((event & 1) == 0) return false;  // only presses act
  if (button < 0 || button >= kButtonCount) return false;
  if (helpPage != 0) {
    turnHelpPage();
    return true;
  }
  // PCH and PVT send the same key; each button works only in its own modes.
  const bool targetMode = refMode == RefMode::kTargetRelative;
  if (button == kButtonPitch && targetMode) return false;
  if (button == kButtonPrevTarget && !targetMode) return false;
  const uint32_t key = kButtons[button].key;
  if (key == kKeyM) {  // MOD cycles the mode instead of asking for it
    selectMode(*this, nextRefMode(refMode));
    return true;
  }
  return ConsumeKeyBuffered(key);
}
