// A module that does the least a module does, for the host's loader tests. It
// writes one letter per entry point into the host's debug line, in call order:
// A = attach, I = InitModule, P = hpcPostStep, F = hpcFocusChanged,
// E = ExitModule, D = detach. InitModule registers the mode "Fixture".
#include <cstring>

#include "hostapi/host_api.h"

namespace {

int gModeId = 0;
bool gForgetToUnregister = false;

void note(char c) {
  char* line = hapiDebugString();
  const size_t n = std::strlen(line);
  if (n + 1 < 256) {
    line[n] = c;
    line[n + 1] = '\0';
  }
}

class FixtureMFD : public MFD {
 public:
  using MFD::MFD;
  ~FixtureMFD() override { note('~'); }
  void Redraw(HDC dc) override { TextOutA(dc, 1, 2, "fixture", 7); }
};

intptr_t msgProc(uint32_t msg, uint32_t /*mode*/, uint32_t packedSize, intptr_t vessel) {
  if (msg != MFD_MSG_OPENED) return 0;
  return reinterpret_cast<intptr_t>(
      new FixtureMFD(packedSize & 0xffff, packedSize >> 16, reinterpret_cast<VESSEL*>(vessel)));
}

}  // namespace

// Thread attach and detach, which the Windows loader also reports, are no
// events of the host's.
GYRELLE_MODULE_EXPORT BOOL DllMain(HINSTANCE, DllReason reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) note('A');
  if (reason == DLL_PROCESS_DETACH) note('D');
  return 1;
}
GYRELLE_MODULE_EXPORT void InitModule(HINSTANCE) {
  note('I');
  gForgetToUnregister = false;
  gModeId = hapiRegisterMFDMode(MFDMODESPEC{"Fixture", 22, msgProc});
}
GYRELLE_MODULE_EXPORT void ExitModule(HINSTANCE) {
  note('E');
  if (!gForgetToUnregister) hapiUnregisterMFDMode(gModeId);
}
// Makes ExitModule leave the mode registered, as a careless module would.
GYRELLE_MODULE_EXPORT void fixtureForgetToUnregister() { gForgetToUnregister = true; }
GYRELLE_MODULE_EXPORT int32_t GetModuleVersion() { return 42; }
GYRELLE_MODULE_EXPORT void hpcPostStep(double, double, double) { note('P'); }
GYRELLE_MODULE_EXPORT void hpcFocusChanged(OBJHANDLE, OBJHANDLE) { note('F'); }
