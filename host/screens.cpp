// MFD modes, screens and input boxes.
//
// A screen owns the instance of the mode it shows. Opening a mode sends message
// 1 to the mode's procedure with the packed size (width | height << 16) and the
// focus VESSEL; closing deletes the instance through its virtual destructor and
// drops the screen's input box without calling back. Keys, buttons and input
// answers mark their screen as the active one while they run, so that an input
// box opened meanwhile attaches to it; the previous one comes back after (an
// input callback can run inside another call).
#include <algorithm>
#include <stdexcept>
#include <utility>

#include "host/world.h"
#include "platform/recording.h"

namespace halcyra {

const ModeRegistration* World::findMode(const std::string& name) const {
  for (const ModeRegistration& m : modes_)
    if (m.name == name) return &m;
  return nullptr;
}

int World::registerMode(const MFDMODESPEC& spec) {
  if (spec.name == nullptr || spec.name[0] == '\0' || spec.msgproc == nullptr) return 0;
  if (findMode(spec.name) != nullptr) return 0;  // a mode name is taken once
  modes_.push_back(ModeRegistration{nextModeId_++, spec.name, spec.key, spec.msgproc});
  return modes_.back().id;
}

bool World::unregisterMode(int id) {
  auto m = std::find_if(modes_.begin(), modes_.end(),
                        [&](const ModeRegistration& r) { return r.id == id; });
  if (m == modes_.end()) return false;
  const std::string name = m->name;
  for (Screen& s : screens_) {
    if (s.mode != name) continue;
    closeScreenInstance(s);
    s.mode.clear();
  }
  // Look it up again: an instance's destructor may have changed the table.
  modes_.erase(std::remove_if(modes_.begin(), modes_.end(),
                              [&](const ModeRegistration& r) { return r.id == id; }),
               modes_.end());
  return true;
}

size_t World::addScreen(uint32_t width, uint32_t height) {
  if (width == 0 || height == 0 || width > 0xffff || height > 0xffff)
    throw std::invalid_argument("screen size " + std::to_string(width) + "x" +
                                std::to_string(height) + " is not 1 to 65535 pixels a side");
  Screen s;
  s.width = width;
  s.height = height;
  screens_.push_back(std::move(s));
  return screens_.size() - 1;
}

Screen& World::screen(size_t index) {
  if (index >= screens_.size())
    throw std::out_of_range("screen " + std::to_string(index) + " of " +
                            std::to_string(screens_.size()));
  return screens_[index];
}

void World::closeScreenInstance(Screen& s) {
  s.inputBox.reset();
  MFD* instance = s.instance;
  s.instance = nullptr;  // cleared first: the destructor may call back into the host
  delete instance;
}

void World::openScreenInstance(Screen& s) {
  const ModeRegistration* m = findMode(s.mode);
  if (m == nullptr) return;
  const uint32_t packed = s.width | (s.height << 16);
  Vessel* focus = vessel(focus_);
  const intptr_t vesselArg = reinterpret_cast<intptr_t>(focus ? focus->iface.get() : nullptr);
  s.instance = reinterpret_cast<MFD*>(
      m->msgproc(MFD_MSG_OPENED, static_cast<uint32_t>(m->id), packed, vesselArg));
}

bool World::setScreenMode(size_t index, const std::string& mode) {
  Screen& s = screen(index);
  const std::string wanted = mode == "none" ? std::string() : mode;
  if (!wanted.empty() && findMode(wanted) == nullptr)
    return false;  // no such mode: the screen keeps what it shows
  if (wanted == s.mode && (wanted.empty() || s.instance != nullptr)) return true;
  closeScreenInstance(s);
  s.mode = wanted;
  if (!wanted.empty()) openScreenInstance(s);
  return true;
}

void World::rebuildScreens() {
  // Screen by screen: each instance goes, then its successor comes, so that a
  // mode which hands its settings from one instance to the next keeps every
  // screen as it was.
  for (Screen& s : screens_) {
    if (s.mode.empty()) continue;
    closeScreenInstance(s);
    openScreenInstance(s);
  }
}

bool World::pressKey(size_t index, uint32_t key) {
  Screen& s = screen(index);
  if (s.instance == nullptr) return false;
  const auto previous = std::exchange(activeScreen_, index);
  const bool taken = s.instance->ConsumeKeyBuffered(key);
  activeScreen_ = previous;
  return taken;
}

bool World::pressButton(size_t index, int button, bool press) {
  Screen& s = screen(index);
  if (s.instance == nullptr) return false;
  const auto previous = std::exchange(activeScreen_, index);
  const bool taken = s.instance->ConsumeButton(button, press ? 1 : 0);  // bit 0 set = press
  activeScreen_ = previous;
  return taken;
}

bool World::openInputBox(const InputBox& box) {
  if (!activeScreen_ || *activeScreen_ >= screens_.size() || box.callback == nullptr)
    return false;  // no screen is handling a key or button: nowhere to show the box
  Screen& s = screens_[*activeScreen_];
  s.inputBox = box;  // replaces an open one
  s.inputBox->serial = ++inputBoxSerial_;
  return true;
}

bool World::answerInput(size_t index, const std::string& text) {
  Screen& s = screen(index);
  if (!s.inputBox) return false;
  const InputBox box = *s.inputBox;
  // The callback gets a writable copy, as a text field would hand it over.
  std::vector<char> buffer(text.begin(), text.end());
  buffer.resize(std::max<size_t>(text.size() + 1, 256), '\0');
  const auto previous = std::exchange(activeScreen_, index);
  const bool accepted = box.callback(&screens_[index], buffer.data(), box.userData);
  activeScreen_ = previous;
  // The callback may have opened a new box (it stays) or the screen may have
  // changed mode (the box is gone already).
  Screen& after = screen(index);
  if (accepted && after.inputBox && after.inputBox->serial == box.serial) after.inputBox.reset();
  return accepted;
}

bool World::cancelInput(size_t index) {
  Screen& s = screen(index);
  if (!s.inputBox) return false;
  s.inputBox.reset();
  return true;
}

const std::vector<GdiOp>& World::redraw(size_t index) {
  Screen& s = screen(index);
  // The last drawing's lists are recorded into again: after the first few
  // redraws a page costs no allocation.
  Recording recording(s.width, s.height);
  recording.reuse(s.lastDrawing, s.spareText);
  if (s.instance != nullptr) s.instance->Redraw(recording.dc());
  recording.finish(s.lastDrawing, s.spareText);
  return s.lastDrawing;
}

}  // namespace halcyra
