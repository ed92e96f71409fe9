#include "entry/universal_kepler.h"

#include <cmath>

#include "geometry/vector_math.h"

namespace {

// Below this |z| the power series is summed. Its terms fall as 1 / (2k+2)!, so
// ten of them reach the last bit at |z| = 1; from there on the closed forms
// lose at most a few bits (S: (x - sin x) keeps all but 3 at x = 1).
constexpr double kSeriesBound = 1.0;
constexpr int kSeriesTerms = 10;

double dot(const VECTOR3& a, const VECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

}  // namespace

double stumpffC(double z) {
  if (std::fabs(z) < kSeriesBound) {
    // C(z) = sum over k of (-z)^k / (2k + 2)!
    double term = 0.5;
    double sum = term;
    for (int k = 1; k < kSeriesTerms; ++k) {
      term *= -z / ((2 * k + 1) * (2 * k + 2));
      sum += term;
    }
    return sum;
  }
  // 1 - cos x as 2 sin^2(x / 2), which keeps its digits as x nears 2 pi.
  if (z > 0.0) {
    const double halfSin = std::sin(0.5 * std::sqrt(z));
    return 2.0 * halfSin * halfSin / z;
  }
  const double halfSinh = std::sinh(0.5 * std::sqrt(-z));
  return -2.0 * halfSinh * halfSinh / z;
}

double stumpffS(double z) {
  if (std::fabs(z) < kSeriesBound) {
    // S(z) = sum over k of (-z)^k / (2k + 3)!
    double term = 1.0 / 6.0;
    double sum = term;
    for (int k = 1; k < kSeriesTerms; ++k) {
      term *= -z / ((2 * k + 2) * (2 * k + 3));
      sum += term;
    }
    return sum;
  }
  if (z > 0.0) {
    const double x = std::sqrt(z);
    return (x - std::sin(x)) / (z * x);
  }
  const double x = std::sqrt(-z);
  return (std::sinh(x) - x) / (-z * x);
}

double timeOfFlight(const VECTOR3& r0, const VECTOR3& v0, double alpha, double mu, double chi) {
  const double sqrtMu = std::sqrt(mu);
  const double r0Length = vectorLength(r0);
  const double sigma0 = dot(r0, v0) / sqrtMu;  // [m^0.5]
  const double chiSq = chi * chi;              // [m]
  const double z = alpha * chiSq;
  return (sigma0 * chiSq * stumpffC(z) + (1.0 - alpha * r0Length) * chiSq * chi * stumpffS(z) +
          r0Length * chi) /
         sqrtMu;
}

void propagateConic(const VECTOR3& r0, const VECTOR3& v0, double alpha, double mu, double chi,
                    double rEnd, VECTOR3& r, VECTOR3& v) {
  const double sqrtMu = std::sqrt(mu);
  const double r0Length = vectorLength(r0);
  const double sigma0 = dot(r0, v0) / sqrtMu;  // [m^0.5]
  const double chiSq = chi * chi;              // [m]
  const double z = alpha * chiSq;
  const double c = stumpffC(z);
  const double s = stumpffS(z);
  const double f = 1.0 - chiSq * c / r0Length;
  // g = dt - chi^3 S / sqrt(mu), written without that difference: on a long
  // step with a short chord (a near-radial rise and fall) it keeps its digits.
  const double g = (sigma0 * chiSq * c + r0Length * chi * (1.0 - z * s)) / sqrtMu;  // [s]
  const double fDot = sqrtMu / (r0Length * rEnd) * (z * s - 1.0) * chi;             // [1/s]
  const double gDot = 1.0 - chiSq * c / rEnd;
  r = {f * r0.x + g * v0.x, f * r0.y + g * v0.y, f * r0.z + g * v0.z};
  v = {fDot * r0.x + gDot * v0.x, fDot * r0.y + gDot * v0.y, fDot * r0.z + gDot * v0.z};
}
