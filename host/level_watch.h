// A look at every thrust level a module hands the host, as it was asked for,
// before the host takes a level that is not a finite number as 0 and clamps
// the rest. For the fuzz harness and tests, which hold the module to levels
// that are finite and in [-1, 1]. Null (the default) = nobody watches.
#pragma once

namespace halcyra {

extern void (*levelWatch)(double level);

}  // namespace halcyra
