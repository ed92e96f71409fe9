// A redraw recorded on the GDI stand-in's device context, which keeps the
// operations itself.
#include "platform/recording.h"

#include "platform/posix/recording_dc.h"

struct Recording::Surface {
  DeviceContext dc;
};

Recording::Recording(uint32_t width, uint32_t height)
    : surface_(new Surface{DeviceContext(width, height)}) {}

Recording::~Recording() = default;

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
