// The world's objects: bodies, bases and vessels under ids that are never
// reused, their enumeration order, lookups, deletion, the focus and a
// vessel's status (position and velocity relative to the body of strongest
// pull, the orientation angles taken from its rotation matrix).
#include "host/world.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "host/frames.h"
#include "host/vessel_classes.h"

namespace halcyra {

namespace {

World* gCurrent = nullptr;

// VESSEL interfaces of deleted vessels and of ended worlds. A module keeps its
// focus VESSEL pointer for as long as it is loaded, which can outlast the
// vessel and the world; the interface then answers as for a null handle
// instead of pointing into freed memory. Never destroyed: a World with static
// storage may end after this list would have, when the process exits.
std::vector<std::unique_ptr<VESSEL>>& retiredInterfaces() {
  static auto* interfaces = new std::vector<std::unique_ptr<VESSEL>>();
  return *interfaces;
}

void requireFinite(const VECTOR3& v, const std::string& what) {
  if (!isFinite(v)) throw std::invalid_argument(what + " is not a finite vector");
}

void requireFinite(double v, const std::string& what) {
  if (!std::isfinite(v)) throw std::invalid_argument(what + " is not a finite number");
}

// Bodies and bases are few: they are looked up by walking their list.
template <class T>
const T* findById(const std::vector<T>& objects, ObjectId id) {
  for (const T& o : objects)
    if (id != 0 && o.id == id) return &o;
  return nullptr;
}

}  // namespace

World::World() = default;

World::~World() {
  // Instances are the module's objects and may call back into this world from
  // their destructors, so they go first, while the world is still installed.
  for (Screen& s : screens_) closeScreenInstance(s);
  if (gCurrent == this) gCurrent = nullptr;
  for (Vessel* v : vesselList_) retiredInterfaces().push_back(std::move(v->iface));
}

World* World::current() { return gCurrent; }
void World::install(World* world) { gCurrent = world; }

void World::requireFreeName(const char* kind, const std::string& name) const {
  if (name.empty() || findByName(name) != 0)
    throw std::invalid_argument(std::string(kind) + " name '" + name +
                                "' is empty or already taken");
}

ObjectId World::addBody(const std::string& name, double mu, double radius,
                        const VECTOR3& position) {
  requireFreeName("body", name);
  requireFinite(mu, "mu of body '" + name + "'");
  requireFinite(radius, "radius of body '" + name + "'");
  requireFinite(position, "position of body '" + name + "'");
  if (mu <= 0.0 || radius < 0.0)
    throw std::invalid_argument("body '" + name + "' needs mu > 0 and radius >= 0");
  bodies_.push_back(Body{nextId_++, name, mu, radius, position});
  idByName_[name] = bodies_.back().id;
  return bodies_.back().id;
}

ObjectId World::addBase(const std::string& name, const std::string& bodyName,
                        const VECTOR3& relPos) {
  requireFreeName("base", name);
  requireFinite(relPos, "position of base '" + name + "'");
  const ObjectId b = findByName(bodyName);
  if (findById(bodies_, b) == nullptr)
    throw std::invalid_argument("base '" + name + "': unknown body '" + bodyName + "'");
  bases_.push_back(Base{nextId_++, name, b, relPos});
  idByName_[name] = bases_.back().id;
  return bases_.back().id;
}

ObjectId World::addVessel(const VesselSpec& spec) {
  const std::string& n = spec.name;
  requireFreeName("vessel", n);
  std::optional<VesselClass> cls = builtInClass(spec.vesselClass);
  if (!cls)
    throw std::invalid_argument("vessel '" + n + "': unknown class '" + spec.vesselClass +
                                "' (known: generic, none)");
  VECTOR3 origin{};
  if (!spec.body.empty()) {
    const Body* b = findById(bodies_, findByName(spec.body));
    if (b == nullptr)
      throw std::invalid_argument("vessel '" + n + "': unknown body '" + spec.body + "'");
    origin = b->position;
  }
  ObjectId baseId = 0;
  if (!spec.base.empty()) {
    baseId = findByName(spec.base);
    if (findById(bases_, baseId) == nullptr)
      throw std::invalid_argument("vessel '" + n + "': unknown base '" + spec.base + "'");
  }
  requireFinite(spec.position, "position of vessel '" + n + "'");
  requireFinite(spec.velocity, "velocity of vessel '" + n + "'");
  requireFinite(spec.orientation, "orientation of vessel '" + n + "'");
  requireFinite(spec.angularVelocity, "angular velocity of vessel '" + n + "'");

  auto v = std::make_unique<Vessel>();
  v->name = n;
  v->position = origin + spec.position;
  requireFinite(v->position, "global position of vessel '" + n + "'");
  v->velocity = spec.velocity;
  v->rotation = orientationMatrix(spec.orientation);
  v->angVel = spec.angularVelocity;
  v->dryMass = spec.dryMass.value_or(cls->dryMass);
  v->propellant = spec.propellant.value_or(cls->propellant);
  v->pmi = spec.pmi.value_or(cls->pmi);
  const int docks = spec.docks.value_or(cls->docks);
  requireFinite(v->dryMass, "dry mass of vessel '" + n + "'");
  requireFinite(v->propellant, "propellant of vessel '" + n + "'");
  requireFinite(v->pmi, "pmi of vessel '" + n + "'");
  if (v->dryMass <= 0.0 || v->propellant < 0.0)
    throw std::invalid_argument("vessel '" + n + "' needs dry mass > 0 and propellant >= 0");
  if (v->pmi.x <= 0.0 || v->pmi.y <= 0.0 || v->pmi.z <= 0.0)
    throw std::invalid_argument("vessel '" + n + "' needs every pmi component > 0");
  if (docks < 0 || docks > 64)
    throw std::invalid_argument("vessel '" + n + "' needs 0 to 64 docking ports");

  std::vector<Thruster> thrusters = cls->thrusters;
  for (const Thruster& t : spec.extraThrusters) {
    const std::string what = "thruster of vessel '" + n + "'";
    requireFinite(t.position, what + ": position");
    requireFinite(t.direction, what + ": direction");
    requireFinite(t.max, what + ": max");
    requireFinite(t.exhaustSpeed, what + ": exhaust speed");
    if (t.group < 0 || t.group >= THGROUP_COUNT)
      throw std::invalid_argument(what + ": group " + std::to_string(t.group) + " is not 0 to 14");
    if (length(t.direction) == 0.0 || t.max < 0.0 || t.exhaustSpeed <= 0.0)
      throw std::invalid_argument(what +
                                  " needs a non-zero direction, max >= 0 and exhaust speed > 0");
    Thruster u = t;
    u.direction = t.direction * (1.0 / length(t.direction));
    thrusters.push_back(u);
  }
  v->id = nextId_++;
  for (Thruster& t : thrusters) t.id = nextId_++;
  v->thrusters = std::move(thrusters);
  for (int i = 0; i < docks; ++i) v->ports.push_back(DockPort{nextId_++, 0});
  v->base = baseId;
  v->iface = std::make_unique<VESSEL>(toHandle(v->id));
  const ObjectId id = v->id;
  idByName_[n] = id;
  vesselList_.push_back(v.get());
  vesselById_.resize(nextId_);
  vesselById_[id] = std::move(v);
  return id;
}

bool World::deleteObject(ObjectId id) {
  auto erase = [&](auto& objects) {
    auto o =
        std::find_if(objects.begin(), objects.end(), [&](const auto& x) { return x.id == id; });
    if (o == objects.end()) return false;
    idByName_.erase(o->name);
    objects.erase(o);
    return true;
  };
  if (erase(bodies_) || erase(bases_)) return true;
  Vessel* v = vessel(id);
  if (v == nullptr) return false;
  retiredInterfaces().push_back(std::move(v->iface));
  idByName_.erase(v->name);
  vesselList_.erase(std::find(vesselList_.begin(), vesselList_.end(), v));
  vesselById_[id].reset();
  // A port holding the deleted vessel frees.
  for (Vessel* other : vesselList_)
    for (DockPort& p : other->ports)
      if (p.docked == id) p.docked = 0;
  // The focus does not stay on a vessel that is gone: it moves to the first
  // vessel left in world order, or to none, and the modules are told, with
  // the deleted vessel's handle as the old focus.
  if (focus_ == id) {
    focus_ = vesselList_.empty() ? 0 : vesselList_.front()->id;
    for (ModuleLoader* m : loadedModules()) m->focusChanged(toHandle(focus_), toHandle(id));
  }
  return true;
}

ObjectId World::findByName(const std::string& name) const {
  const auto found = idByName_.find(name);
  return found != idByName_.end() ? found->second : 0;
}

bool World::exists(ObjectId id) const {
  return vessel(id) != nullptr || findById(bodies_, id) != nullptr ||
         findById(bases_, id) != nullptr;
}

size_t World::objectCount() const { return bodies_.size() + bases_.size() + vesselList_.size(); }

VECTOR3 World::globalPosition(ObjectId id) const {
  if (const Vessel* v = vessel(id)) return v->position;
  if (const Body* b = findById(bodies_, id)) return b->position;
  if (const Base* s = findById(bases_, id)) {
    const Body* b = findById(bodies_, s->body);
    return b != nullptr ? b->position + s->relPos : s->relPos;  // its body may have left the world
  }
  return {};
}

VECTOR3 World::globalVelocity(ObjectId id) const {
  const Vessel* v = vessel(id);
  return v != nullptr ? v->velocity : VECTOR3{};  // bodies and bases stand still
}

std::string World::objectName(ObjectId id) const {
  if (const Body* b = findById(bodies_, id)) return b->name;
  if (const Base* b = findById(bases_, id)) return b->name;
  const Vessel* v = vessel(id);
  return v != nullptr ? v->name : std::string();
}

ObjectId World::referenceBody(const Vessel& v) const {
  ObjectId best = 0;
  double strongest = -1.0;  // [m/s^2]
  for (const Body& b : bodies_) {
    const VECTOR3 d = v.position - b.position;
    const double r2 = dot(d, d);
    const double pull = r2 > 0.0 ? b.mu / r2 : INFINITY;
    if (pull > strongest) {
      strongest = pull;
      best = b.id;
    }
  }
  return best;
}

void World::getStatus(const Vessel& v, VESSELSTATUS& status) const {
  status = VESSELSTATUS{};
  const ObjectId ref = referenceBody(v);
  status.relPos = v.position - globalPosition(ref);  // bodies stand still
  status.relVel = v.velocity;
  status.angVel = v.angVel;
  status.orientation = orientationAngles(v.rotation);
  status.refBody = toHandle(ref);
  status.base = exists(v.base) ? toHandle(v.base) : nullptr;
}

bool World::setFocus(ObjectId id) {
  if (vessel(id) == nullptr) return false;
  const ObjectId old = focus_;
  focus_ = id;
  if (old != id)
    for (ModuleLoader* m : loadedModules()) m->focusChanged(toHandle(id), toHandle(old));
  return true;
}

bool World::dock(ObjectId id, uint32_t port, ObjectId other) {
  Vessel* v = vessel(id);
  if (v == nullptr || port >= v->ports.size() || id == other || vessel(other) == nullptr ||
      v->ports[port].docked != 0)
    return false;
  v->ports[port].docked = other;
  return true;
}

bool World::undock(ObjectId id, uint32_t port) {
  Vessel* v = vessel(id);
  if (v == nullptr || port >= v->ports.size() || v->ports[port].docked == 0) return false;
  v->ports[port].docked = 0;
  return true;
}

}  // namespace halcyra
