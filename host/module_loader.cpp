// Loading a module the host's way. Load: dlopen, DllMain(handle, 1, null),
// InitModule(handle). Unload: ExitModule(handle), DllMain(handle, 0, null),
// dlclose. A library whose entry routine refuses the attach (returns 0) is
// closed again and the load fails. Modes the module leaves registered after
// ExitModule are unregistered by the host before the library goes (when this
// was its last load).
#include <dlfcn.h>

#include <algorithm>
#include <stdexcept>

#include "host/world.h"

namespace halcyra {

std::vector<ModuleLoader*>& loadedModules() {
  static std::vector<ModuleLoader*> modules;
  return modules;
}

namespace {

template <typename Fn>
Fn lookUp(HINSTANCE h, const char* name) {
  return reinterpret_cast<Fn>(GetProcAddress(h, name));
}

// Whether code at this address belongs to the library behind the handle.
bool inLibrary(HINSTANCE h, const void* code) {
  Dl_info info{};
  if (dladdr(code, &info) == 0 || info.dli_fname == nullptr) return false;
  void* owner = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
  if (owner == nullptr) return false;
  dlclose(owner);  // RTLD_NOLOAD still counts a reference
  return owner == h;
}

// Unregisters the modes whose message procedure lives in the library, which
// closes the screens showing them: no instance may outlive its code.
void dropModesOf(HINSTANCE h) {
  World* w = World::current();
  if (w == nullptr) return;
  std::vector<int> ids;
  for (const ModeRegistration& m : w->modes())
    if (inLibrary(h, reinterpret_cast<const void*>(m.msgproc))) ids.push_back(m.id);
  for (int id : ids) w->unregisterMode(id);
}

}  // namespace

ModuleLoader::ModuleLoader(const std::string& path) {
  HINSTANCE h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (h == nullptr) {
    const char* why = dlerror();
    throw std::runtime_error("cannot load module '" + path +
                             "': " + (why != nullptr ? why : "unknown error"));
  }
  if (auto entry = lookUp<DllEntryRoutine>(h, "DllMain")) {
    if (entry(h, DLL_PROCESS_ATTACH, nullptr) == 0) {
      dlclose(h);
      throw std::runtime_error("module '" + path + "' refused to attach (DllMain returned 0)");
    }
  }
  handle_ = h;
  postStep_ = lookUp<PostStepFn>(h, "hpcPostStep");
  focusChanged_ = lookUp<FocusChangedFn>(h, "hpcFocusChanged");
  version_ = lookUp<GetModuleVersionFn>(h, "GetModuleVersion");
  loadedModules().push_back(this);
  if (auto init = lookUp<InitModuleFn>(h, "InitModule")) init(h);
}

ModuleLoader::~ModuleLoader() { unload(); }

void ModuleLoader::unload() {
  if (handle_ == nullptr) return;
  HINSTANCE h = handle_;
  auto& mods = loadedModules();
  mods.erase(std::remove(mods.begin(), mods.end(), this), mods.end());
  if (auto exitFn = lookUp<ExitModuleFn>(h, "ExitModule")) exitFn(h);
  // The same library loaded again stays in memory with its modes.
  const bool lastLoad = std::none_of(mods.begin(), mods.end(),
                                     [h](const ModuleLoader* m) { return m->handle() == h; });
  if (lastLoad) dropModesOf(h);  // a module that forgot to unregister
  if (auto entry = lookUp<DllEntryRoutine>(h, "DllMain")) entry(h, DLL_PROCESS_DETACH, nullptr);
  handle_ = nullptr;
  postStep_ = nullptr;
  focusChanged_ = nullptr;
  version_ = nullptr;
  dlclose(h);
}

void ModuleLoader::postStep(double simt, double simdt, double mjd) const {
  if (postStep_ != nullptr) postStep_(simt, simdt, mjd);
}

void ModuleLoader::focusChanged(OBJHANDLE newFocus, OBJHANDLE oldFocus) const {
  if (focusChanged_ != nullptr) focusChanged_(newFocus, oldFocus);
}

int32_t ModuleLoader::moduleVersion() const { return version_ != nullptr ? version_() : 0; }

}  // namespace halcyra
