// The stand-in host's world: bodies, bases and vessels with stable handles,
// the focus, MFD screens and input boxes, the registered modes and the debug
// line. The hapi* functions and VESSEL members (host_api.cpp) answer from the
// current world; gyrelle-sim and the tests build and drive it through this
// header. Conventions: hostapi/host_api.h.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/frames.h"
#include "hostapi/host_api.h"
#include "platform/gdi_ops.h"

namespace halcyra {

// Object ids start at 1 and are never reused; a handle is the id cast to a pointer.
using ObjectId = uint64_t;
inline OBJHANDLE toHandle(ObjectId id) { return reinterpret_cast<OBJHANDLE>(id); }
inline ObjectId toId(OBJHANDLE h) { return reinterpret_cast<ObjectId>(h); }

struct Body {
  ObjectId id = 0;
  std::string name;
  double mu = 0.0;      // [m^3/s^2]
  double radius = 0.0;  // [m]
  VECTOR3 position{};   // global, fixed [m]
};

struct Base {
  ObjectId id = 0;
  std::string name;
  ObjectId body = 0;
  VECTOR3 relPos{};  // relative to its body, global axes [m]
};

struct Thruster {
  ObjectId id = 0;               // thruster handles are ids too
  int group = 0;                 // THGROUP_TYPE
  VECTOR3 position{};            // vessel frame [m]
  VECTOR3 direction{};           // unit thrust direction, vessel frame
  double max = 0.0;              // [N]
  double exhaustSpeed = 3000.0;  // [m/s]
};

struct DockPort {
  ObjectId id = 0;      // dock handles are ids too
  ObjectId docked = 0;  // the vessel docked here, 0 = free
};

// What a scenario or a spawn event gives for a new vessel.
struct VesselSpec {
  std::string name;
  std::string vesselClass = "generic";  // "generic" or "none"
  std::string body;                     // position and velocity are relative to it
  VECTOR3 position{};                   // [m]
  VECTOR3 velocity{};                   // [m/s]
  VECTOR3 orientation{};                // (alpha, beta, gamma) [rad]
  VECTOR3 angularVelocity{};            // status convention [rad/s]
  std::optional<double> dryMass;        // [kg], overrides the class
  std::optional<double> propellant;     // [kg]
  std::optional<VECTOR3> pmi;           // [m^2]
  std::optional<int> docks;
  std::string base;                      // optional
  std::vector<Thruster> extraThrusters;  // added to the class's
};

struct Vessel {
  ObjectId id = 0;
  std::string name;
  VECTOR3 position{};       // global [m]
  VECTOR3 velocity{};       // global [m/s]
  Matrix3 rotation{};       // vessel axes -> global axes
  VECTOR3 angVel{};         // status convention, vessel axes [rad/s]
  double dryMass = 0.0;     // [kg]
  double propellant = 0.0;  // [kg]
  VECTOR3 pmi{};            // mass-normalised [m^2]
  std::vector<Thruster> thrusters;
  std::array<double, THGROUP_COUNT> groupLevel{};  // [0, 1]
  std::vector<DockPort> ports;
  ObjectId base = 0;
  // What the thrusters have burnt since the vessel came, for flight reports.
  std::array<double, THGROUP_COUNT> propellantBurnt{};  // by group [kg]
  double rocketDeltaV = 0.0;      // sum of ve ln(m0 / m1) over the steps [m/s]
  std::unique_ptr<VESSEL> iface;  // handed to modules; kept until the world ends
};

struct InputBox {
  std::string title;
  InputCallback callback = nullptr;
  void* userData = nullptr;
  std::string initialText;
  uint64_t serial = 0;  // set by World::openInputBox
};

struct Screen {
  uint32_t width = 256;
  uint32_t height = 280;
  std::string mode;         // registered mode name, empty = none
  MFD* instance = nullptr;  // owned by the screen while the mode is shown
  std::optional<InputBox> inputBox;
  std::vector<GdiOp> lastDrawing;      // ops of the last redraw
  std::vector<std::string> spareText;  // text buffers for the next redraw
};

struct ModeRegistration {
  int id = 0;
  std::string name;
  uint32_t key = 0;
  MFDMsgProc msgproc = nullptr;
};

class World {
 public:
  World();
  ~World();  // deletes every screen's instance first; VESSEL interfaces outlive it
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  // The world the hapi* functions answer from. Null when none is installed.
  static World* current();
  static void install(World* world);

  // Objects. The add functions throw std::invalid_argument for a duplicate or
  // empty name or an unknown body / class / base.
  ObjectId addBody(const std::string& name, double mu, double radius, const VECTOR3& position);
  ObjectId addBase(const std::string& name, const std::string& body, const VECTOR3& relPos);
  ObjectId addVessel(const VesselSpec& spec);
  // false if no such object. Deleting the focus vessel moves the focus to the
  // first vessel left (or none) and tells the loaded modules.
  bool deleteObject(ObjectId id);

  Vessel* vessel(ObjectId id) { return id < vesselById_.size() ? vesselById_[id].get() : nullptr; }
  const Vessel* vessel(ObjectId id) const {
    return id < vesselById_.size() ? vesselById_[id].get() : nullptr;
  }
  ObjectId findByName(const std::string& name) const;  // 0 if none
  bool exists(ObjectId id) const;
  size_t objectCount() const;                 // O(1)
  ObjectId objectAt(size_t index) const;      // bodies, bases, vessels; 0 past the end; O(1)
  VECTOR3 globalPosition(ObjectId id) const;  // zero for no object
  VECTOR3 globalVelocity(ObjectId id) const;
  std::string objectName(ObjectId id) const;  // empty for no object
  const std::vector<Body>& bodies() const { return bodies_; }
  // Every vessel in world order; valid until a vessel is added or deleted.
  const std::vector<Vessel*>& vessels() const { return vesselList_; }

  // Focus. setFocus notifies the loaded modules (hpcFocusChanged).
  ObjectId focus() const { return focus_; }
  bool setFocus(ObjectId vessel);

  // Status and frames.
  void getStatus(const Vessel& v, VESSELSTATUS& status) const;
  ObjectId referenceBody(const Vessel& v) const;  // strongest pull

  // Docking (design: docked vessels keep flying independently).
  bool dock(ObjectId vessel, uint32_t port, ObjectId other);
  bool undock(ObjectId vessel, uint32_t port);

  // Dynamics: advance every vessel by dt with the levels in force. Returns the
  // first vessel whose state is no longer finite, or 0.
  ObjectId step(double dt);  // [s]

  // Modes.
  int registerMode(const MFDMODESPEC& spec);
  bool unregisterMode(int id);  // false if not registered
  const std::vector<ModeRegistration>& modes() const { return modes_; }

  // Screens. Index-based; a bad index throws std::out_of_range.
  size_t addScreen(uint32_t width, uint32_t height);
  Screen& screen(size_t index);
  size_t screenCount() const { return screens_.size(); }
  bool setScreenMode(size_t index, const std::string& mode);  // "" or "none" = none
  void rebuildScreens();
  bool pressKey(size_t index, uint32_t key);
  bool pressButton(size_t index, int button, bool press = true);
  // Answers the screen's open input box; false if none is open or the callback refused.
  bool answerInput(size_t index, const std::string& text);
  bool cancelInput(size_t index);
  // Redraws the screen into a fresh recording; returns its ops (also kept as lastDrawing).
  const std::vector<GdiOp>& redraw(size_t index);
  // Opened by hapiOpenInputBox: attaches to the screen handling the current key/button.
  bool openInputBox(const InputBox& box);

  char* debugString() { return debug_; }

 private:
  std::vector<Body> bodies_;
  std::vector<Base> bases_;
  std::vector<Vessel*> vesselList_;  // in world order
  // Vessels are owned by the slot of their id: ids are handed out in sequence
  // and never again, so a look-up by id is one read, with no hashing (null for
  // an id that is not a vessel's). Names are indexed too: lookups stay O(1) in
  // worlds of many objects.
  std::vector<std::unique_ptr<Vessel>> vesselById_;
  std::unordered_map<std::string, ObjectId> idByName_;
  std::vector<Screen> screens_;
  std::vector<ModeRegistration> modes_;
  ObjectId nextId_ = 1;
  ObjectId focus_ = 0;
  int nextModeId_ = 1;
  std::optional<size_t> activeScreen_;  // the screen handling a key or button
  uint64_t inputBoxSerial_ = 0;         // counts opened boxes, to tell a replaced box
  char debug_[256] = {};

  void closeScreenInstance(Screen& screen);
  void openScreenInstance(Screen& screen);
  const ModeRegistration* findMode(const std::string& name) const;  // null if not registered
  void requireFreeName(const char* kind, const std::string& name) const;
};

// Inline: a target list asks this of every object, from another file.
inline ObjectId World::objectAt(size_t index) const {
  if (index < bodies_.size()) return bodies_[index].id;
  index -= bodies_.size();
  if (index < bases_.size()) return bases_[index].id;
  index -= bases_.size();
  return index < vesselList_.size() ? vesselList_[index]->id : 0;
}

// Loads a module the host's way: open the library (its entry routine attaches),
// InitModule; unload: ExitModule, close the library (its entry routine
// detaches). Throws std::runtime_error with the platform's reason when the
// library cannot be loaded (platform/library.h).
class ModuleLoader {
 public:
  explicit ModuleLoader(const std::string& path);
  ~ModuleLoader();  // unloads if still loaded
  void unload();
  HINSTANCE handle() const { return handle_; }

  void postStep(double simt, double simdt, double mjd) const;
  void focusChanged(OBJHANDLE newFocus, OBJHANDLE oldFocus) const;
  int32_t moduleVersion() const;

 private:
  HINSTANCE handle_ = nullptr;
  PostStepFn postStep_ = nullptr;
  FocusChangedFn focusChanged_ = nullptr;
  GetModuleVersionFn version_ = nullptr;
};

// The modules loaded into this process, in load order; World::setFocus tells them.
std::vector<ModuleLoader*>& loadedModules();

// The module handle last given to InitLib, or null.
HINSTANCE initLibHandle();

// How many times Date2Int has been called in this process (modules are to cache it).
int date2IntCalls();

// A look at every thrust level a module hands the host, as it was asked for,
// before the host takes a level that is not a finite number as 0 and clamps
// the rest. For the fuzz harness and tests, which hold the module to levels
// that are finite and in [-1, 1]. Null (the default) = nobody watches.
extern void (*levelWatch)(double level);

// Test-only: the stand-in host can list its objects in another order, as a
// host that reorganises its tables may list the same objects differently
// from one call to the next. hapiGetObjectByIndex(i) then answers the object
// the world itself lists at permutation[i], for each of the first
// permutation.size() objects; an index beyond them is answered unchanged.
// Empty (the default): the world's own order. Nothing else changes.
void setObjectPermutation(std::vector<size_t> permutation);

}  // namespace halcyra
