// VESSEL: the interface a module holds for one vessel. It keeps only the
// vessel's id and looks the vessel up in the current world at every call, so
// once the vessel is gone (or no world is installed) every member answers as
// for a null handle: zero vectors, zero counts, null handles, no effect.
#include <cmath>

#include "host/frames.h"
#include "host/world.h"

void (*halcyra::levelWatch)(double level) = nullptr;

using halcyra::toHandle;
using halcyra::toId;
using halcyra::Vessel;
using halcyra::World;

namespace {

Vessel* find(OBJHANDLE h) {
  World* w = World::current();
  return w != nullptr ? w->vessel(toId(h)) : nullptr;
}

const halcyra::Thruster* findThruster(const Vessel* v, THRUSTER_HANDLE th) {
  if (v == nullptr || th == nullptr) return nullptr;
  for (const halcyra::Thruster& t : v->thrusters)
    if (t.id == toId(th)) return &t;
  return nullptr;
}

// A commanded level: not a finite number counts as 0; a group runs at 0 to 1.
double groupLevel(double level) {
  if (!std::isfinite(level)) return 0.0;
  return std::fmin(std::fmax(level, 0.0), 1.0);
}

// Sets the raising and lowering group of one axis from a signed level.
void setPair(Vessel& v, int raising, int lowering, double level) {
  if (halcyra::levelWatch != nullptr) halcyra::levelWatch(level);
  if (!std::isfinite(level)) level = 0.0;
  v.groupLevel[static_cast<size_t>(raising)] = groupLevel(level);
  v.groupLevel[static_cast<size_t>(lowering)] = groupLevel(-level);
}

constexpr int kRotGroups[3][2] = {{THGROUP_PITCH_RAISE, THGROUP_PITCH_LOWER},
                                  {THGROUP_YAW_RAISE, THGROUP_YAW_LOWER},
                                  {THGROUP_ROLL_RAISE, THGROUP_ROLL_LOWER}};
constexpr int kLinGroups[3][2] = {{THGROUP_LIN_POS_X, THGROUP_LIN_NEG_X},
                                  {THGROUP_LIN_POS_Y, THGROUP_LIN_NEG_Y},
                                  {THGROUP_LIN_POS_Z, THGROUP_LIN_NEG_Z}};

}  // namespace

VESSEL::VESSEL(OBJHANDLE handle) : handle_(handle) {}

OBJHANDLE VESSEL::GetHandle() const { return find(handle_) != nullptr ? handle_ : nullptr; }

void VESSEL::GetStatus(VESSELSTATUS& status) const {
  const Vessel* v = find(handle_);
  status = VESSELSTATUS{};
  if (v != nullptr) World::current()->getStatus(*v, status);
}

double VESSEL::GetMass() const {
  const Vessel* v = find(handle_);
  return v != nullptr ? v->dryMass + v->propellant : 0.0;
}

void VESSEL::GetPMI(VECTOR3& pmi) const {
  const Vessel* v = find(handle_);
  pmi = v != nullptr ? v->pmi : VECTOR3{};
}

void VESSEL::Global2Local(const VECTOR3& global, VECTOR3& local) const {
  const Vessel* v = find(handle_);
  local = v != nullptr ? halcyra::transpose(v->rotation) * (global - v->position) : VECTOR3{};
}

// Own minus the object's; zero when either is not in the world.
void VESSEL::GetRelativePos(OBJHANDLE object, VECTOR3& pos) const {
  const Vessel* v = find(handle_);
  const World* w = World::current();
  const bool both = v != nullptr && w->exists(toId(object));
  pos = both ? v->position - w->globalPosition(toId(object)) : VECTOR3{};
}

void VESSEL::GetRelativeVel(OBJHANDLE object, VECTOR3& vel) const {
  const Vessel* v = find(handle_);
  const World* w = World::current();
  const bool both = v != nullptr && w->exists(toId(object));
  vel = both ? v->velocity - w->globalVelocity(toId(object)) : VECTOR3{};
}

double VESSEL::GetThrusterGroupLevel(THGROUP_TYPE group) const {
  const Vessel* v = find(handle_);
  if (v == nullptr || group < 0 || group >= THGROUP_COUNT) return 0.0;
  return v->groupLevel[static_cast<size_t>(group)];
}

void VESSEL::SetAttitudeRotLevel(const VECTOR3& levels) {
  for (int axis = 0; axis < 3; ++axis) SetAttitudeRotLevel(axis, levels[axis]);
}

void VESSEL::SetAttitudeRotLevel(int axis, double level) {
  Vessel* v = find(handle_);
  if (v == nullptr || axis < 0 || axis > 2) return;
  setPair(*v, kRotGroups[axis][0], kRotGroups[axis][1], level);
}

void VESSEL::SetAttitudeLinLevel(const VECTOR3& levels) {
  for (int axis = 0; axis < 3; ++axis) SetAttitudeLinLevel(axis, levels[axis]);
}

void VESSEL::SetAttitudeLinLevel(int axis, double level) {
  Vessel* v = find(handle_);
  if (v == nullptr || axis < 0 || axis > 2) return;
  setPair(*v, kLinGroups[axis][0], kLinGroups[axis][1], level);
}

void VESSEL::SetEngineLevel(ENGINETYPE engine, double level) {
  Vessel* v = find(handle_);
  if (halcyra::levelWatch != nullptr) halcyra::levelWatch(level);
  if (v == nullptr || engine < ENGINE_MAIN || engine > ENGINE_HOVER) return;
  v->groupLevel[static_cast<size_t>(engine)] = groupLevel(level);
}

uint32_t VESSEL::GetGroupThrusterCount(THGROUP_TYPE group) const {
  const Vessel* v = find(handle_);
  if (v == nullptr) return 0;
  uint32_t n = 0;
  for (const halcyra::Thruster& t : v->thrusters) n += t.group == group ? 1 : 0;
  return n;
}

THRUSTER_HANDLE VESSEL::GetGroupThruster(THGROUP_TYPE group, uint32_t index) const {
  const Vessel* v = find(handle_);
  if (v == nullptr) return nullptr;
  for (const halcyra::Thruster& t : v->thrusters)
    if (t.group == group && index-- == 0) return toHandle(t.id);
  return nullptr;
}

double VESSEL::GetThrusterMax(THRUSTER_HANDLE thruster) const {
  const halcyra::Thruster* t = findThruster(find(handle_), thruster);
  return t != nullptr ? t->max : 0.0;
}

void VESSEL::GetThrusterRef(THRUSTER_HANDLE thruster, VECTOR3& pos) const {
  const halcyra::Thruster* t = findThruster(find(handle_), thruster);
  pos = t != nullptr ? t->position : VECTOR3{};
}

uint32_t VESSEL::DockCount() const {
  const Vessel* v = find(handle_);
  return v != nullptr ? static_cast<uint32_t>(v->ports.size()) : 0;
}

DOCKHANDLE VESSEL::GetDockHandle(uint32_t port) const {
  const Vessel* v = find(handle_);
  if (v == nullptr || port >= v->ports.size()) return nullptr;
  return toHandle(v->ports[port].id);
}

OBJHANDLE VESSEL::GetDockStatus(DOCKHANDLE port) const {
  const Vessel* v = find(handle_);
  if (v == nullptr || port == nullptr) return nullptr;
  for (const halcyra::DockPort& p : v->ports)
    if (p.id == toId(port))
      return World::current()->exists(p.docked) ? toHandle(p.docked) : nullptr;
  return nullptr;
}
