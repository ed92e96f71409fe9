// Loading a module the host's way. Load: open the library (which runs its
// entry routine with DLL_PROCESS_ATTACH), InitModule(handle). Unload:
// ExitModule(handle), then close the library (DLL_PROCESS_DETACH). A library
// whose entry routine refuses the attach (returns 0) is not loaded. Modes the
// module leaves registered after ExitModule are unregistered by the host
// before the library goes (when this was its last load). The platform's part:
// platform/library.h.
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "host/world.h"
#include "platform/library.h"

namespace halcyra {

std::vector<ModuleLoader*>& loadedModules() {
  static std::vector<ModuleLoader*> modules;
  return modules;
}

namespace {

// Unregisters the modes whose message procedure lives in the library, which
// closes the screens showing them: no instance may outlive its code.
void dropModesOf(HINSTANCE h) {
  World* w = World::current();
  if (w == nullptr) return;
  std::vector<int> ids;
  for (const ModeRegistration& m : w->modes())
    if (libraryContains(h, reinterpret_cast<const void*>(m.msgproc))) ids.push_back(m.id);
  for (int id : ids) w->unregisterMode(id);
}

}  // namespace

ModuleLoader::ModuleLoader(const std::string& path) {
  std::string why;
  HINSTANCE h = openLibrary(path, why);
  if (h == nullptr) throw std::runtime_error("cannot load module '" + path + "': " + why);
  handle_ = h;
  postStep_ = procAddress<PostStepFn>(h, "hpcPostStep");
  focusChanged_ = procAddress<FocusChangedFn>(h, "hpcFocusChanged");
  version_ = procAddress<GetModuleVersionFn>(h, "GetModuleVersion");
  loadedModules().push_back(this);
  if (auto init = procAddress<InitModuleFn>(h, "InitModule")) init(h);
}

ModuleLoader::~ModuleLoader() { unload(); }

void ModuleLoader::unload() {
  if (handle_ == nullptr) return;
  HINSTANCE h = handle_;
  auto& mods = loadedModules();
  mods.erase(std::remove(mods.begin(), mods.end(), this), mods.end());
  if (auto exitFn = procAddress<ExitModuleFn>(h, "ExitModule")) exitFn(h);
  // The same library loaded again stays in memory with its modes.
  const bool lastLoad = std::none_of(mods.begin(), mods.end(),
                                     [h](const ModuleLoader* m) { return m->handle() == h; });
  if (lastLoad) dropModesOf(h);  // a module that forgot to unregister
  handle_ = nullptr;
  postStep_ = nullptr;
  focusChanged_ = nullptr;
  version_ = nullptr;
  closeLibrary(h);
}

void ModuleLoader::postStep(double simt, double simdt, double mjd) const {
  // A step of no length, a negative one or one that is not a number is not a
  // step the host takes (World::step refuses it too): the module is not told.
  if (!(simdt > 0.0) || !std::isfinite(simdt)) return;
  if (postStep_ != nullptr) postStep_(simt, simdt, mjd);
}

void ModuleLoader::focusChanged(OBJHANDLE newFocus, OBJHANDLE oldFocus) const {
  if (focusChanged_ != nullptr) focusChanged_(newFocus, oldFocus);
}

int32_t ModuleLoader::moduleVersion() const { return version_ != nullptr ? version_() : 0; }

}  // namespace halcyra
