// The hapi* operations: thin answers from the current world. Without an
// installed world, or given a handle that names nothing in it, each answers as
// for a null handle.
#include <algorithm>
#include <cstring>
#include <string>

#include "host/world.h"

using halcyra::toHandle;
using halcyra::toId;
using halcyra::World;

namespace {

HINSTANCE gInitLibHandle = nullptr;

// Written to when no world is installed, so that a module's debug output
// never lands in freed memory.
char gSpareDebugLine[256] = {};

int gDate2IntCalls = 0;

std::vector<size_t> gObjectPermutation;  // empty = the world's own order

}  // namespace

namespace halcyra {
HINSTANCE initLibHandle() { return gInitLibHandle; }
int date2IntCalls() { return gDate2IntCalls; }
void setObjectPermutation(std::vector<size_t> permutation) {
  gObjectPermutation = std::move(permutation);
}
}  // namespace halcyra

int hapiRegisterMFDMode(const MFDMODESPEC& spec) {
  World* w = World::current();
  return w != nullptr ? w->registerMode(spec) : 0;
}

bool hapiUnregisterMFDMode(int modeId) {
  World* w = World::current();
  return w != nullptr && w->unregisterMode(modeId);
}

VESSEL* hapiGetFocusInterface() { return hapiGetVesselInterface(hapiGetFocusObject()); }

OBJHANDLE hapiGetFocusObject() {
  World* w = World::current();
  if (w == nullptr || w->vessel(w->focus()) == nullptr) return nullptr;
  return toHandle(w->focus());
}

VESSEL* hapiGetVesselInterface(OBJHANDLE object) {
  World* w = World::current();
  halcyra::Vessel* v = w != nullptr ? w->vessel(toId(object)) : nullptr;
  return v != nullptr ? v->iface.get() : nullptr;
}

uint32_t hapiGetObjectCount() {
  World* w = World::current();
  return w != nullptr ? static_cast<uint32_t>(w->objectCount()) : 0;
}

OBJHANDLE hapiGetObjectByIndex(int index) {
  World* w = World::current();
  if (w == nullptr || index < 0) return nullptr;
  const auto i = static_cast<size_t>(index);
  const halcyra::ObjectId id =
      w->objectAt(i < gObjectPermutation.size() ? gObjectPermutation[i] : i);
  return id != 0 ? toHandle(id) : nullptr;
}

OBJHANDLE hapiGetObjectByName(const char* name) {
  World* w = World::current();
  if (w == nullptr || name == nullptr) return nullptr;
  return toHandle(w->findByName(name));
}

void hapiGetObjectName(OBJHANDLE object, char* buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) return;
  World* w = World::current();
  const std::string name = w != nullptr ? w->objectName(toId(object)) : std::string();
  const size_t n = std::min(name.size(), static_cast<size_t>(capacity) - 1);
  std::memcpy(buffer, name.data(), n);
  buffer[n] = '\0';
}

void hapiGetGlobalPos(OBJHANDLE object, VECTOR3* pos) {
  if (pos == nullptr) return;
  World* w = World::current();
  *pos = w != nullptr ? w->globalPosition(toId(object)) : VECTOR3{};
}

bool hapiOpenInputBox(const char* title, InputCallback callback, const char* initialText,
                      int /*visibleWidth*/, void* userData) {
  World* w = World::current();
  if (w == nullptr || callback == nullptr) return false;
  halcyra::InputBox box;
  box.title = title != nullptr ? title : "";
  box.callback = callback;
  box.userData = userData;
  box.initialText = initialText != nullptr ? initialText : "";
  return w->openInputBox(box);
}

char* hapiDebugString() {
  World* w = World::current();
  return w != nullptr ? w->debugString() : gSpareDebugLine;
}

void InitLib(HINSTANCE module) { gInitLibHandle = module; }

int Date2Int(const char* date) {
  ++gDate2IntCalls;
  // "Mmm dd yyyy" as the compiler's __DATE__ writes it ("Feb  6 2005").
  static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (date == nullptr) return 0;
  int month = 0;
  for (int i = 0; i < 12; ++i)
    if (std::strncmp(date, kMonths[i], 3) == 0) month = i + 1;
  if (month == 0) return 0;
  const char* p = date + 3;
  auto number = [&p](int maxDigits, int& value) {
    if (*p != ' ') return false;
    while (*p == ' ') ++p;
    int digits = 0;
    value = 0;
    while (*p >= '0' && *p <= '9' && digits < maxDigits) {
      value = value * 10 + (*p++ - '0');
      ++digits;
    }
    return digits > 0;
  };
  int day = 0, year = 0;
  if (!number(2, day) || !number(4, year) || *p != '\0') return 0;
  if (day < 1 || day > 31 || year < 1000) return 0;
  return year * 10000 + month * 100 + day;
}
