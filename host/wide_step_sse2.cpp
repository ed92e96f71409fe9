// The wide step on SSE2, which every x86-64 processor has: two lanes to a
// register. Elsewhere the lanes are plain doubles, one after the other.
#include "host/wide_step.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace halcyra {

namespace {

#if defined(__SSE2__) || defined(_M_X64)
struct Sse2 {
  using Reg = __m128d;
  static constexpr int kPerReg = 2;
  static Reg load(const double* p) { return _mm_load_pd(p); }
  static void store(double* p, Reg x) { _mm_store_pd(p, x); }
  static Reg broadcast(double x) { return _mm_set1_pd(x); }
  static Reg add(Reg a, Reg b) { return _mm_add_pd(a, b); }
  static Reg sub(Reg a, Reg b) { return _mm_sub_pd(a, b); }
  static Reg mul(Reg a, Reg b) { return _mm_mul_pd(a, b); }
  static Reg div(Reg a, Reg b) { return _mm_div_pd(a, b); }
  // -x flips the sign bit, as negating a double does.
  static Reg negate(Reg a) { return _mm_xor_pd(a, _mm_set1_pd(-0.0)); }
  // MAXPD gives its first operand where it is greater, else the second: x > 0 ? x : +0.
  static Reg positivePart(Reg x) { return _mm_max_pd(x, _mm_setzero_pd()); }
  static Reg dropWhereZero(Reg dist2, Reg term) {
    return _mm_andnot_pd(_mm_cmpeq_pd(dist2, _mm_setzero_pd()), term);
  }
  static Reg squareRoot(Reg x) { return _mm_sqrt_pd(x); }
};
#else
struct Sse2 {  // no SSE2: one double to a "register"
  using Reg = double;
  static constexpr int kPerReg = 1;
  static Reg load(const double* p) { return *p; }
  static void store(double* p, Reg x) { *p = x; }
  static Reg broadcast(double x) { return x; }
  static Reg add(Reg a, Reg b) { return a + b; }
  static Reg sub(Reg a, Reg b) { return a - b; }
  static Reg mul(Reg a, Reg b) { return a * b; }
  static Reg div(Reg a, Reg b) { return a / b; }
  static Reg negate(Reg a) { return -a; }
  static Reg positivePart(Reg x) { return halcyra::positivePart(x); }
  static Reg dropWhereZero(Reg dist2, Reg term) { return halcyra::dropWhereZero(dist2, term); }
  static Reg squareRoot(Reg x) { return halcyra::squareRoot(x); }
};
#endif

}  // namespace

NonFiniteLanes wideStepSse2(const WideModel& model, WideState& state, double dt) {
  return wideStepWith<RegisterLanes<Sse2>>(model, state, dt);
}

}  // namespace halcyra
