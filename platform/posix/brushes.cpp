// Brush bookkeeping of the GDI stand-in.
//
// A brush handle is the address of a GdiObject. Brushes that DeleteObject frees
// are retired, not released: their memory stays valid until the process ends,
// so that a stale handle can never alias a later brush and reading it through a
// device context that still has it selected is harmless. A module makes a few
// brushes per MFD instance, so the retired set stays small.
#include <deque>
#include <unordered_set>

#include "platform/posix/recording_dc.h"

namespace {

struct BrushTable {
  std::deque<GdiObject> storage;  // every brush ever made; addresses stay put
  std::unordered_set<const GdiObject*> live;
  GdiObject stock{RGB(0, 0, 0)};
};

BrushTable& table() {
  static BrushTable t;
  return t;
}

}  // namespace

HBRUSH stockBrush() { return &table().stock; }

bool isLiveBrush(HGDIOBJ object) { return object != nullptr && table().live.count(object) != 0; }

HBRUSH CreateSolidBrush(COLORREF colour) {
  BrushTable& t = table();
  t.storage.push_back(GdiObject{colour});
  GdiObject* brush = &t.storage.back();
  t.live.insert(brush);
  return brush;
}

BOOL DeleteObject(HGDIOBJ object) {
  BrushTable& t = table();
  if (object == &t.stock) return 1;  // stock objects are never freed; deleting one is harmless
  return t.live.erase(object) != 0 ? 1 : 0;
}
