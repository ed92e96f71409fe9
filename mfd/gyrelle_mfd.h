// GyrelleMFD: the instance the host creates for one screen switched to the
// Gyrelle mode. Its per-screen state is the instance record it derives from
// (instance/instance_record.h); the class runs the per-step update and
// answers the host's virtual calls.
#pragma once

#include <cstdint>

#include "instance/instance_record.h"
#include "hostapi/host_api.h"

class GyrelleMFD : public MFD, public InstanceRecord {
 public:
  GyrelleMFD(uint32_t width, uint32_t height, VESSEL* vessel);
  ~GyrelleMFD() override;

  void Redraw(HDC dc) override;
  bool ConsumeKeyBuffered(uint32_t key) override;
  bool ConsumeButton(int button, int event) override;
  const char* ButtonLabel(int button) override;
  int ButtonMenu(const MFDBUTTONMENU** menu) const override;

  // Per-step update: control at every step, a refresh once 0.25 s has gathered.
  void stepUpdate(double stepLength);  // [s]
  // The refresh alone: the focus vessel's state read anew and the current
  // mode's figures computed, no control. Construction runs only this.
  void refresh();
  void saveSettings() const;
  void restoreSettings();
  // Next help page; after the last one, the normal display.
  void turnHelpPage();
  // The instance can fly the vessel: there is a focus vessel and the instance
  // gets the per-step update. A hold or trim is started only then.
  bool flies() const;

 private:
  void construct(uint32_t width, uint32_t height);
  void trim(int32_t selection);  // a TrimSelection's key or button
};
