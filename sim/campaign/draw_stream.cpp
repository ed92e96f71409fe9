#include "sim/campaign/draw_stream.h"

#include <Random123/philox.h>

#include <Random123/boxmuller.hpp>
#include <Random123/uniform.hpp>

namespace sim {

uint64_t fnv1a64(std::string_view text, uint64_t h) {
  for (unsigned char c : text) h = (h ^ c) * 0x100000001b3ull;
  return h;
}

uint64_t campaignRunSeed(uint64_t campaignSeed, uint64_t k) {
  r123::Philox2x64 philox;
  const r123::Philox2x64::ctr_type counter = {{k, 0}};
  const r123::Philox2x64::key_type key = {{campaignSeed}};
  return philox(counter, key)[0];
}

DrawStream::Words DrawStream::take() {
  r123::Philox2x64 philox;
  const r123::Philox2x64::ctr_type counter = {{name_, next_++}};
  const r123::Philox2x64::key_type key = {{seed_}};
  const r123::Philox2x64::ctr_type out = philox(counter, key);
  return {out[0], out[1]};
}

double DrawStream::uniform01() { return r123::u01<double>(take().a); }

double DrawStream::uniformMinus11() { return r123::uneg11<double>(take().a); }

double DrawStream::normal() {
  const Words w = take();
  return r123::boxmuller(w.a, w.b).x;
}

}  // namespace sim
