// A redraw recorded on the GDI stand-in's device context, which keeps the
// operations itself.
#include "platform/recording.h"

#include "platform/posix/recording_dc.h"

struct Recording::Surface {
  DeviceContext dc;
  // The surface of the last recording that ended on this thread, kept for the
  // next one: a host redrawing its screens allocates none.
  static thread_local std::unique_ptr<Surface> spare;
};

thread_local std::unique_ptr<Recording::Surface> Recording::Surface::spare;

Recording::Recording(uint32_t width, uint32_t height) {
  if (Surface::spare) {
    surface_ = std::move(Surface::spare);
    // A fresh device context: the drawing state as the screen starts it.
    // The lists it drops are empty (finish took them), so this frees nothing.
    surface_->dc = DeviceContext(width, height);
  } else {
    surface_.reset(new Surface{DeviceContext(width, height)});
  }
}

Recording::~Recording() {
  if (!Surface::spare) Surface::spare = std::move(surface_);
}

HDC Recording::dc() const { return &surface_->dc; }

void Recording::reuse(std::vector<GdiOp>& ops, std::vector<std::string>& spareText) {
  DeviceContext& dc = surface_->dc;
  dc.ops.swap(ops);
  dc.spareText.swap(spareText);
  dc.recycle();
}

std::vector<GdiOp> Recording::finish() { return std::move(surface_->dc.ops); }

void Recording::finish(std::vector<GdiOp>& ops, std::vector<std::string>& spareText) {
  ops.swap(surface_->dc.ops);
  spareText.swap(surface_->dc.spareText);
}
