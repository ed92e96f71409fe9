// Keys and buttons by the names a pilot reads on the screen.
//
// Keys: scan codes of the PC keyboard (set 1), named as the help pages write
// them: the letters "A".."Z", the digits "0".."9", "Period" (also "."),
// "Space", and "Numpad0".."Numpad9" (also "Numpad-5"). An optional "Shift-"
// prefix is the modifier the pilot holds to send a key to a display; the
// display receives the same scan code with or without it. Names are matched
// without regard to case.
//
// Buttons: a label ("HLD") names the button of the screen's current mode that
// shows it, asked of the mode's instance as the host's button bar does.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostapi/host_api.h"

namespace sim {

// The scan code of a key name, or nothing for a name that is not a key.
std::optional<uint32_t> scanCodeOfKey(std::string_view name);

// The name of a scan code ("H", "Numpad5"), or empty when it has none.
std::string keyNameOfScanCode(uint32_t scanCode);

// Every key name (without the Shift- prefix and aliases), in scan-code order.
std::vector<std::string> keyNames();

// The labels an instance shows on its buttons, by index: as many buttons as
// its button menu counts (at most kMaxButtons); a button without a label is
// empty. A null instance has none.
constexpr int kMaxButtons = 1000;
std::vector<std::string> buttonLabels(MFD* instance);

// What a label names among the labels of a screen's buttons.
struct ButtonLookup {
  std::optional<int> index;  // the button, when exactly one shows the label
  std::string problem;       // otherwise why not: no such label, or shown twice
};
// Labels are compared without regard to case.
ButtonLookup findButton(const std::vector<std::string>& labels, std::string_view label);

}  // namespace sim
