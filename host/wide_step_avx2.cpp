// The wide step on AVX2: four lanes to a register. This file alone is built
// with -mavx2 (and without -mfma: a fused multiply-add would change the
// bits), and runs only on a processor that has AVX2 (wideStep()). Its types
// are its own, so nothing it compiles stands in for code built for the others.
#include <immintrin.h>

#include "host/wide_step.h"

namespace halcyra {

namespace {

struct Avx2 {
  using Reg = __m256d;
  static constexpr int kPerReg = 4;
  static Reg load(const double* p) { return _mm256_load_pd(p); }
  static void store(double* p, Reg x) { _mm256_store_pd(p, x); }
  static Reg broadcast(double x) { return _mm256_set1_pd(x); }
  static Reg add(Reg a, Reg b) { return _mm256_add_pd(a, b); }
  static Reg sub(Reg a, Reg b) { return _mm256_sub_pd(a, b); }
  static Reg mul(Reg a, Reg b) { return _mm256_mul_pd(a, b); }
  static Reg div(Reg a, Reg b) { return _mm256_div_pd(a, b); }
  // -x flips the sign bit, as negating a double does.
  static Reg negate(Reg a) { return _mm256_xor_pd(a, _mm256_set1_pd(-0.0)); }
  // VMAXPD gives its first operand where it is greater, else the second: x > 0 ? x : +0.
  static Reg positivePart(Reg x) { return _mm256_max_pd(x, _mm256_setzero_pd()); }
  static Reg dropWhereZero(Reg dist2, Reg term) {
    return _mm256_andnot_pd(_mm256_cmp_pd(dist2, _mm256_setzero_pd(), _CMP_EQ_OQ), term);
  }
  static Reg squareRoot(Reg x) { return _mm256_sqrt_pd(x); }
};

}  // namespace

NonFiniteLanes wideStepAvx2(const WideModel& model, WideState& state, double dt) {
  return wideStepWith<RegisterLanes<Avx2>>(model, state, dt);
}

}  // namespace halcyra
