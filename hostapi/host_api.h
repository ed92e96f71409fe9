// The host operations a module calls, and the types they pass.
//
// Implemented by the host runtime (libhalcyra.so); a module links against it as
// against its host's import library. This header is the only host header a
// module includes.
//
// ---------------------------------------------------------------------------
// Host conventions (every operation below keeps them)
//
// Frames and angles. A vessel's orientation is R = Rx(alpha) * Ry(beta) * Rz(gamma)
// with
//   Rx(a) = [1 0 0; 0 ca sa; 0 -sa ca], Ry(b) = [cb 0 -sb; 0 1 0; sb 0 cb],
//   Rz(g) = [cg sg 0; -sg cg 0; 0 0 1]
// (rows separated by ';'). R maps vessel axes to global axes: its columns are
// the vessel's x, y, z axes in global coordinates. GetStatus reports
// (alpha, beta, gamma) extracted from R:
//   beta = -asin(R[0][2]), gamma = atan2(R[0][1], R[0][0]), alpha = atan2(R[1][2], R[2][2]).
// Global2Local(p) = R^T (p - vessel's global position).
// Vessel axes: +x lateral, +y vertical (up), +z forward (the nose).
//
// Angular velocity. The status angular velocity w (vessel axes, rad/s) obeys
// dR/dt = -R [w]x, where [w]x is the matrix of v -> w x v. So positive w.x
// raises the nose (+z turns towards +y), positive w.y turns the nose towards
// -x, positive w.z turns +x towards -y.
//
// Thruster groups (THGROUP_TYPE) and levels. Groups 0/1/2 are the main (+z),
// retro (-z) and hover (+y) engines. Rotation pairs raise / lower one
// component of w: pitch 3/4 (w.x), yaw 6/5 (w.y), roll 8/7 (w.z). Linear pairs
// push +/- along one axis: 9/10 (x), 11/12 (y), 13/14 (z).
// SetAttitudeRotLevel(axis, L) sets the raising group of that axis to max(L, 0)
// and the lowering group to max(-L, 0); the VECTOR3 form does this for all
// three axes. SetAttitudeLinLevel does the same for the linear pairs (axis 0
// lateral x, 1 vertical y, 2 fore/aft z). SetEngineLevel(type, L) sets group 0,
// 1 or 2 to L. Every group level is limited to [0, 1] (a thruster never gives
// more than its maximum), and a level that is not a finite number is taken as 0. Levels persist
// until replaced. Every thruster of a group runs at the group's level: force = level * max *
// direction at its position, torque r x F.
//
// Propellant. Thrust burns propellant at thrust / exhaust speed; a vessel out of
// propellant gets no thrust. GetMass = dry mass + propellant.
//
// Gravity. Bodies are point masses fixed in global space; a vessel's reference
// body (the one its status is relative to) is the body whose pull is strongest.
//
// Relative quantities. GetRelativePos(h) = own global position - object's;
// GetRelativeVel(h) = own global velocity - object's. Bodies and bases have
// zero velocity.
//
// Objects and lifetime. The host enumerates bodies, then bases, then vessels,
// each group in scenario order; a vessel created later goes last. Handles are
// ids, never reused and never dereferenced: every operation given a handle of
// an object that has left the world answers as for a null handle (zero vector,
// empty name, null interface, no effect). A VESSEL interface stays valid as an
// object until the world ends; once its vessel is deleted, it answers as for
// a null handle.
//
// Docking. A port is engaged when another vessel is docked there;
// GetDockStatus then returns that vessel's handle, else null.
//
// Input boxes. hapiOpenInputBox opens a box on the screen that is handling the
// current key or button and returns at once; the host later calls the
// callback with the text. If the callback returns false the box stays open for
// another answer. A new box replaces an open one. Closing a screen's mode
// closes its open box without calling back.
//
// Screens. Switching a screen to a mode sends message 1 to the mode's message
// procedure with the packed size (width | height << 16) and the focus vessel;
// switching away, and a rebuild, delete the instance through its virtual
// destructor. Button events: bit 0 set = press, otherwise release.
// ---------------------------------------------------------------------------
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/dll.h"
#include "platform/gdi.h"

#define HAPI GYRELLE_PLATFORM_API

// A vector of three doubles: positions [m], velocities [m/s], angle triples [rad].
struct VECTOR3 {
  double x;
  double y;
  double z;

  double& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
  double operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }
};

inline VECTOR3 operator+(const VECTOR3& a, const VECTOR3& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline VECTOR3 operator-(const VECTOR3& a, const VECTOR3& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline VECTOR3 operator*(const VECTOR3& a, double k) { return {a.x * k, a.y * k, a.z * k}; }
inline VECTOR3 operator*(double k, const VECTOR3& a) { return {a.x * k, a.y * k, a.z * k}; }

// Opaque handles: ids issued by the host, never pointers to host memory.
typedef void* OBJHANDLE;        // a body, base or vessel
typedef void* THRUSTER_HANDLE;  // one thruster of a vessel
typedef void* DOCKHANDLE;       // one docking port of a vessel

// A vessel's status record.
struct VESSELSTATUS {
  VECTOR3 relPos;       // position relative to the reference body, global axes [m]
  VECTOR3 relVel;       // velocity relative to the reference body, global axes [m/s]
  VECTOR3 angVel;       // angular velocity, vessel axes [rad/s] (sense above)
  VECTOR3 orientation;  // orientation angles (alpha, beta, gamma) [rad]
  OBJHANDLE refBody;    // the reference body (strongest pull)
  OBJHANDLE base;       // the base named for the vessel in the scenario, or null
};

enum THGROUP_TYPE : int {
  THGROUP_MAIN = 0,         // main engine, thrust +z
  THGROUP_RETRO = 1,        // retro engine, thrust -z
  THGROUP_HOVER = 2,        // hover engine, thrust +y
  THGROUP_PITCH_RAISE = 3,  // raises w.x
  THGROUP_PITCH_LOWER = 4,  // lowers w.x
  THGROUP_YAW_LOWER = 5,    // lowers w.y
  THGROUP_YAW_RAISE = 6,    // raises w.y
  THGROUP_ROLL_LOWER = 7,   // lowers w.z
  THGROUP_ROLL_RAISE = 8,   // raises w.z
  THGROUP_LIN_POS_X = 9,
  THGROUP_LIN_NEG_X = 10,
  THGROUP_LIN_POS_Y = 11,
  THGROUP_LIN_NEG_Y = 12,
  THGROUP_LIN_POS_Z = 13,
  THGROUP_LIN_NEG_Z = 14,
};
constexpr int THGROUP_COUNT = 15;

enum ENGINETYPE : int { ENGINE_MAIN = 0, ENGINE_RETRO = 1, ENGINE_HOVER = 2 };

// The host's interface of one vessel. Owned by the host; a module keeps the
// pointer but never deletes it.
class HAPI VESSEL {
 public:
  explicit VESSEL(OBJHANDLE handle);
  VESSEL(const VESSEL&) = delete;
  VESSEL& operator=(const VESSEL&) = delete;

  OBJHANDLE GetHandle() const;
  void GetStatus(VESSELSTATUS& status) const;
  double GetMass() const;           // dry mass + propellant [kg]
  void GetPMI(VECTOR3& pmi) const;  // mass-normalised principal moments [m^2]
  void Global2Local(const VECTOR3& global, VECTOR3& local) const;
  void GetRelativePos(OBJHANDLE object, VECTOR3& pos) const;  // own - object's [m]
  void GetRelativeVel(OBJHANDLE object, VECTOR3& vel) const;  // own - object's [m/s]

  double GetThrusterGroupLevel(THGROUP_TYPE group) const;  // [0, 1]
  void SetAttitudeRotLevel(const VECTOR3& levels);
  void SetAttitudeRotLevel(int axis, double level);
  void SetAttitudeLinLevel(const VECTOR3& levels);
  void SetAttitudeLinLevel(int axis, double level);
  void SetEngineLevel(ENGINETYPE engine, double level);

  uint32_t GetGroupThrusterCount(THGROUP_TYPE group) const;
  THRUSTER_HANDLE GetGroupThruster(THGROUP_TYPE group, uint32_t index) const;
  double GetThrusterMax(THRUSTER_HANDLE thruster) const;              // [N]
  void GetThrusterRef(THRUSTER_HANDLE thruster, VECTOR3& pos) const;  // vessel frame [m]

  uint32_t DockCount() const;
  DOCKHANDLE GetDockHandle(uint32_t port) const;
  OBJHANDLE GetDockStatus(DOCKHANDLE port) const;  // the docked vessel, or null

 private:
  OBJHANDLE handle_;
};

// Button menu entry of an MFD mode.
struct MFDBUTTONMENU {
  const char* line1;  // first description line
  const char* line2;  // second line, or null
  char selchar;       // selection character, 0 for none
};

// Message procedure of an MFD mode: (message, mode id, packed size
// width | height << 16, VESSEL pointer) -> the new instance for message 1.
typedef intptr_t (*MFDMsgProc)(uint32_t msg, uint32_t mode, uint32_t packedSize, intptr_t vessel);
constexpr uint32_t MFD_MSG_OPENED = 1;

struct MFDMODESPEC {
  const char* name;
  uint32_t key;  // selection key scan code
  MFDMsgProc msgproc;
};

// The base of every MFD mode instance. The host constructs instances through
// the mode's message procedure and destroys them through the virtual destructor.
class HAPI MFD {
 public:
  MFD(uint32_t width, uint32_t height, VESSEL* vessel);
  virtual ~MFD();
  virtual void Redraw(HDC dc);
  virtual bool ConsumeKeyBuffered(uint32_t key);
  virtual bool ConsumeKeyImmediate(char* keyState);  // the base answers false
  virtual bool ConsumeButton(int button, int event);
  virtual const char* ButtonLabel(int button);
  virtual int ButtonMenu(const MFDBUTTONMENU** menu) const;
  virtual void WriteStatus(FILE* file) const;  // the four status operations do nothing
  virtual void ReadStatus(FILE* file);
  virtual void StoreStatus() const;
  virtual void RecallStatus();

 protected:
  uint32_t baseWidth;   // [pixels]
  uint32_t baseHeight;  // [pixels]
  VESSEL* baseVessel;   // the vessel the host passed
};

// Input-box callback: (box id, the text typed, user data) -> accepted.
typedef bool (*InputCallback)(void* id, char* text, void* userData);

extern "C" {
HAPI int hapiRegisterMFDMode(const MFDMODESPEC& spec);
HAPI bool hapiUnregisterMFDMode(int modeId);

HAPI VESSEL* hapiGetFocusInterface();
HAPI OBJHANDLE hapiGetFocusObject();
HAPI VESSEL* hapiGetVesselInterface(OBJHANDLE object);
HAPI uint32_t hapiGetObjectCount();
HAPI OBJHANDLE hapiGetObjectByIndex(int index);
HAPI OBJHANDLE hapiGetObjectByName(const char* name);
// Writes the object's name, cut to capacity - 1 characters and terminated.
HAPI void hapiGetObjectName(OBJHANDLE object, char* buffer, int capacity);
HAPI void hapiGetGlobalPos(OBJHANDLE object, VECTOR3* pos);  // [m]

HAPI bool hapiOpenInputBox(const char* title, InputCallback callback, const char* initialText,
                           int visibleWidth, void* userData);
// The host's writable debug-line buffer of 256 characters.
HAPI char* hapiDebugString();

HAPI void InitLib(HINSTANCE module);
// A date "Mmm dd yyyy" as an integer yyyymmdd; 0 for a text that is no date.
HAPI int Date2Int(const char* date);
}

// The entry points a module exports, by name.
using InitModuleFn = void (*)(HINSTANCE);
using ExitModuleFn = void (*)(HINSTANCE);
using GetModuleVersionFn = int32_t (*)();
using PostStepFn = void (*)(double simt, double simdt, double mjd);
using FocusChangedFn = void (*)(OBJHANDLE newFocus, OBJHANDLE oldFocus);
