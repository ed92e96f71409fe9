// "Hello": the smallest useful module for the Halcyra host. It registers one
// display mode that shows the focus vessel's name, its distance from the
// reference body's centre and its rotation rate, and one button, "DMP", that
// switches on a rate damper: every step it fires the rotation thrusters
// against the vessel's angular velocity until the vessel stops turning.
//
// Built against the installed SDK (find_package(Halcyra), or pkg-config
// halcyra) and flown with gyrelle-sim:
//   gyrelle-sim hello.toml --module ./libhello.so --dump -
#include <cmath>
#include <cstdio>
#include <cstring>

#include "hostapi/host_api.h"

namespace {

constexpr double kDamperGain = 20.0;  // [level per rad/s] thruster level against the rate
constexpr double kRadToDeg = 57.29577951308232;

int modeId = 0;
bool damping = false;

double length(const VECTOR3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

class HelloMFD : public MFD {
 public:
  HelloMFD(uint32_t width, uint32_t height, VESSEL* vessel) : MFD(width, height, vessel) {}

  void Redraw(HDC dc) override {
    SetTextColor(dc, RGB(0, 255, 0));
    line(dc, 0, "Hello");
    VESSEL* vessel = hapiGetFocusInterface();
    if (vessel == nullptr) return line(dc, 1, "no focus vessel");
    char name[64];
    hapiGetObjectName(vessel->GetHandle(), name, sizeof name);
    VESSELSTATUS status;
    vessel->GetStatus(status);
    char text[96];
    std::snprintf(text, sizeof text, "Vessel %s", name);
    line(dc, 1, text);
    std::snprintf(text, sizeof text, "Radius %.1f km", length(status.relPos) / 1000.0);
    line(dc, 2, text);
    std::snprintf(text, sizeof text, "Rate %.2f deg/s", length(status.angVel) * kRadToDeg);
    line(dc, 3, text);
    line(dc, 4, damping ? "Damper on" : "Damper off");
  }

  bool ConsumeButton(int button, int event) override {
    if (button != 0 || (event & 1) == 0) return false;  // presses of the first button only
    damping = !damping;
    if (!damping) {
      if (VESSEL* vessel = hapiGetFocusInterface()) vessel->SetAttitudeRotLevel({0.0, 0.0, 0.0});
    }
    return true;
  }

  const char* ButtonLabel(int button) override { return button == 0 ? "DMP" : nullptr; }

  int ButtonMenu(const MFDBUTTONMENU** menu) const override {
    static const MFDBUTTONMENU entries[] = {{"Rate damper", "on/off", 'D'}};
    if (menu != nullptr) *menu = entries;
    return 1;
  }

 private:
  static void line(HDC dc, int row, const char* text) {
    TextOutA(dc, 10, 10 + 20 * row, text, static_cast<int>(std::strlen(text)));
  }
};

intptr_t helloMsgProc(uint32_t msg, uint32_t /*mode*/, uint32_t packedSize, intptr_t vessel) {
  if (msg != MFD_MSG_OPENED) return 0;
  return reinterpret_cast<intptr_t>(
      new HelloMFD(packedSize & 0xffff, packedSize >> 16, reinterpret_cast<VESSEL*>(vessel)));
}

}  // namespace

GYRELLE_MODULE_EXPORT void InitModule(HINSTANCE /*module*/) {
  MFDMODESPEC spec{"Hello", 0x23 /* H */, helloMsgProc};
  modeId = hapiRegisterMFDMode(spec);
}

GYRELLE_MODULE_EXPORT void ExitModule(HINSTANCE /*module*/) {
  hapiUnregisterMFDMode(modeId);
  damping = false;
}

// Every time step: the damper's levels, each limited to [-1, 1] by the host.
GYRELLE_MODULE_EXPORT void hpcPostStep(double /*simt*/, double /*simdt*/, double /*mjd*/) {
  if (!damping) return;
  VESSEL* vessel = hapiGetFocusInterface();
  if (vessel == nullptr) return;
  VESSELSTATUS status;
  vessel->GetStatus(status);
  vessel->SetAttitudeRotLevel(status.angVel * -kDamperGain);
}
