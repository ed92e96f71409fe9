// Key names for the HTTP API, as scenarios name keys.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sim {

// The scan code of a key name; nullopt for a name no key has.
std::optional<uint32_t> keyCodeByName(const std::string& name);

}  // namespace sim
