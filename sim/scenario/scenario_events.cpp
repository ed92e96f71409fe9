// [[event]] tables: a time, exactly one action, and the keys that go with it.
#include <array>

#include "sim/scenario/expectation_reader.h"
#include "sim/scenario/key_names.h"
#include "sim/scenario/toml_reader.h"

namespace sim {
namespace {

struct ActionKey {
  const char* key;
  EventKind kind;
};
// 'vessel' starts a level command (rot / lin / engine).
constexpr std::array<ActionKey, 12> kActions{{{"key", EventKind::Key},
                                              {"button", EventKind::Button},
                                              {"input", EventKind::Input},
                                              {"cancel", EventKind::Cancel},
                                              {"mode", EventKind::Mode},
                                              {"rebuild", EventKind::Rebuild},
                                              {"focus", EventKind::Focus},
                                              {"dock", EventKind::Dock},
                                              {"undock", EventKind::Undock},
                                              {"delete", EventKind::Delete},
                                              {"spawn", EventKind::Spawn},
                                              {"vessel", EventKind::Levels}}};

// dock = [vessel, port, other] / undock = [vessel, port]
void readDocking(TableReader& r, const char* key, size_t size, Event& e) {
  const TomlValue* n = r.node(key);
  const TomlDocument& doc = r.document();
  const std::string shape =
      size == 3 ? "[\"vessel\", port, \"other vessel\"]" : "[\"vessel\", port]";
  const std::string what = "'" + std::string(key) + "' must be " + shape;
  if (!n->is_array() || n->as_array().size() != size || !n->as_array()[0].is_string() ||
      !n->as_array()[1].is_integer() || (size == 3 && !n->as_array()[2].is_string()))
    r.fail(doc.positionOf(*n), what);
  const auto& a = n->as_array();
  e.vesselName = a[0].as_string().str;
  e.valuePos = doc.positionOf(a[0]);
  checkName(e.vesselName, e.valuePos, doc.file(), "the vessel of '" + std::string(key) + "'");
  const std::optional<int64_t> port = doc.integerOf(a[1]);
  if (!port || *port < 0 || *port > 64) r.fail(doc.positionOf(a[1]), "port must be 0 to 64");
  e.port = uint32_t(*port);
  if (size == 3) {
    e.otherName = a[2].as_string().str;
    e.otherPos = doc.positionOf(a[2]);
    checkName(e.otherName, e.otherPos, doc.file(), "the other vessel of 'dock'");
  }
}

// key = 35 (a scan code) or key = "H" / "Shift-H" / "Numpad5" (a name).
void readKey(TableReader& r, Event& e) {
  if (r.node("key")->is_string()) {
    const std::string name = *r.string("key");
    const std::optional<uint32_t> code = scanCodeOfKey(name);
    if (!code) {
      std::string known;
      for (const std::string& k : keyNames()) known += (known.empty() ? "" : " ") + k;
      r.fail(r.valuePos("key"), "unknown key name '" + name + "' (a scan code, or one of: " +
                                    known + ", each with an optional Shift- prefix)");
    }
    e.key = *code;
    return;
  }
  const int64_t k = *r.integer("key");
  r.check(k >= 0 && k <= 0xffff, "key", "must be a scan code 0 to 65535 or a key name");
  e.key = uint32_t(k);
  e.keyByScanCode = true;
}

}  // namespace

Event readEvent(const TomlValue& table, const TomlDocument& doc) {
  TableReader r(table, doc, "[[event]]");
  Event e;
  e.pos = r.tablePos();
  if (r.has("when")) {
    e.trigger = readTrigger(r);
    e.t = e.trigger->after;
  } else {
    e.t = r.required(r.number("t"), "t");
    e.tPos = r.valuePos("t");
    r.check(e.t >= 0.0, "t", "must not be negative");
  }
  if (auto s = r.integer("screen")) {
    r.check(*s >= 0, "screen", "must not be negative");
    e.screen = size_t(*s);
  }
  e.screenPos = r.valuePos("screen");

  const ActionKey* action = nullptr;
  for (const ActionKey& a : kActions) {
    if (!r.has(a.key)) continue;
    if (!action) {
      action = &a;
    } else {
      // Name the later of the two in the file.
      const bool laterIsA = r.valuePos(action->key) < r.valuePos(a.key);
      const ActionKey& later = laterIsA ? a : *action;
      const ActionKey& earlier = laterIsA ? *action : a;
      r.fail(r.valuePos(later.key), "[[event]] has more than one action ('" +
                                        std::string(earlier.key) + "' and '" + later.key + "')");
    }
  }
  if (!action)
    r.fail(e.pos,
           "[[event]] needs an action: key, button, input, cancel, mode, rebuild, focus, dock, "
           "undock, delete, spawn, or vessel with rot / lin / engine");
  e.kind = action->kind;
  e.valuePos = r.valuePos(action->key);

  switch (e.kind) {
    case EventKind::Key:
      readKey(r, e);
      break;
    case EventKind::Button:
      if (r.node("button")->is_string()) {
        e.buttonLabel = *r.string("button");
        r.check(!e.buttonLabel.empty(), "button", "must be a label or an index");
      } else {
        const int64_t b = *r.integer("button");
        r.check(b >= 0 && b <= kMaxButtons, "button", "must be 0 to 1000");
        e.button = int32_t(b);
      }
      e.release = r.boolean("release").value_or(false);
      break;
    case EventKind::Input:
      e.typedText = *r.text("input");  // the module judges it
      break;
    case EventKind::Cancel:
      r.check(*r.boolean("cancel"), "cancel", "must be true");
      break;
    case EventKind::Rebuild:
      r.check(*r.boolean("rebuild"), "rebuild", "must be true");
      break;
    case EventKind::Mode:
      e.modeName = *r.string("mode");
      if (e.modeName == "none") e.modeName.clear();
      break;
    case EventKind::Focus:
      e.focusName = *r.string("focus");
      break;
    case EventKind::Delete:
      e.deletedName = *r.string("delete");
      break;
    case EventKind::Dock:
      readDocking(r, "dock", 3, e);
      break;
    case EventKind::Undock:
      readDocking(r, "undock", 2, e);
      break;
    case EventKind::Spawn: {
      const TomlValue* n = r.node("spawn");
      if (!n->is_table()) r.fail(e.valuePos, "'spawn' must be a table of a vessel");
      e.spawn = readVessel(*n, doc, "spawn");
      break;
    }
    case EventKind::Levels:
      e.vesselName = *r.string("vessel");
      e.rot = r.vector("rot");
      e.lin = r.vector("lin");
      e.engine = r.vector("engine");
      e.rotPos = r.valuePos("rot");
      e.linPos = r.valuePos("lin");
      e.enginePos = r.valuePos("engine");
      if (!e.rot && !e.lin && !e.engine)
        r.fail(e.valuePos, "'vessel' in [[event]] needs rot, lin or engine levels");
      break;
  }
  if (e.kind != EventKind::Button && r.has("release"))
    r.fail(r.valuePos("release"), "'release' goes only with 'button'");
  if (e.kind != EventKind::Levels)
    for (const char* k : {"rot", "lin", "engine"})
      if (r.has(k)) r.fail(r.valuePos(k), "'" + std::string(k) + "' goes only with 'vessel'");
  if (e.trigger && (e.kind == EventKind::Spawn || e.kind == EventKind::Delete))
    r.fail(e.valuePos,
           "a conditional event cannot spawn or delete: names are checked in time order");
  r.finish();
  return e;
}

}  // namespace sim
