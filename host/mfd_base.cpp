// The MFD base class: what a mode gets for every virtual it does not override.
#include "hostapi/host_api.h"

MFD::MFD(uint32_t width, uint32_t height, VESSEL* vessel)
    : baseWidth(width), baseHeight(height), baseVessel(vessel) {}

MFD::~MFD() = default;

void MFD::Redraw(HDC /*dc*/) {}
bool MFD::ConsumeKeyBuffered(uint32_t /*key*/) { return false; }
bool MFD::ConsumeKeyImmediate(char* /*keyState*/) { return false; }
bool MFD::ConsumeButton(int /*button*/, int /*event*/) { return false; }
const char* MFD::ButtonLabel(int /*button*/) { return nullptr; }

int MFD::ButtonMenu(const MFDBUTTONMENU** menu) const {
  if (menu != nullptr) *menu = nullptr;
  return 0;
}

// The base keeps no status: the four status operations do nothing.
void MFD::WriteStatus(FILE* /*file*/) const {}
void MFD::ReadStatus(FILE* /*file*/) {}
void MFD::StoreStatus() const {}
void MFD::RecallStatus() {}
