// The campaign's random numbers: Philox2x64-10 (Salmon et al., "Parallel
// random numbers: as easy as 1, 2, 3", SC'11; Random123), a counter-based
// generator, so that any draw is a pure function of its key and counter:
//   run K's seed    = Philox(key = campaign seed, counter = (K, 0)), first word;
//   a dispersion's draw n = Philox(key = run seed, counter = (FNV-1a 64 of
//                     the dispersion's name, n)), both words.
// A draw therefore depends on (campaign seed, K, name, n) alone: not on the
// other dispersions, the runs flown before, nor the process flying it.
#pragma once

#include <cstdint>
#include <string_view>

namespace sim {

// FNV-1a, 64 bits (Fowler, Noll, Vo; offset basis 0xcbf29ce484222325,
// prime 0x100000001b3).
uint64_t fnv1a64(std::string_view text, uint64_t h = 0xcbf29ce484222325ull);

uint64_t campaignRunSeed(uint64_t campaignSeed, uint64_t k);

// One dispersion's draws in one run, in order.
class DrawStream {
 public:
  DrawStream(uint64_t runSeed, uint64_t nameHash) : seed_(runSeed), name_(nameHash) {}

  // Uniform in (0, 1] (Random123's u01 of one 64-bit word).
  double uniform01();
  // Uniform in [-1, 1] (Random123's uneg11).
  double uniformMinus11();
  // Standard normal: Box and Muller (Ann. Math. Stat. 29, 1958) through
  // Random123's boxmuller of the draw's two words; the second normal is not used.
  double normal();

  uint64_t drawsTaken() const { return next_; }

 private:
  struct Words {
    uint64_t a, b;
  };
  Words take();

  uint64_t seed_;
  uint64_t name_;
  uint64_t next_ = 0;  // the next draw number
};

}  // namespace sim
