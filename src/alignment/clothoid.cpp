// Clothoid points by the power series of the Fresnel integrals.
#include "alignment/clothoid.hpp"

#include <cmath>

namespace vardex {

ClothoidOffsets ClothoidPoint(double length, double a2) {
  // With t = l² / (2A²), the turn of the tangent:
  //   x = l · Σ (−1)^n t^(2n)   / ((4n + 1) (2n)!)
  //   y = l · Σ (−1)^n t^(2n+1) / ((4n + 3) (2n + 1)!)
  // Term k of both together is t^k / k! / (2k + 1), even k for x and odd k for y, the sign
  // changing every second k.
  const long double l = length;
  const long double t = l * l / (2.0L * static_cast<long double>(a2));
  long double power = 1.0L;  // t^k / k!
  long double x = 0.0L;
  long double y = 0.0L;
  for (int k = 0; k < 80; ++k) {
    if (k > 0) power *= t / static_cast<long double>(k);
    const long double term = power / static_cast<long double>(2 * k + 1);
    const bool negative = (k / 2) % 2 == 1;
    long double& sum = k % 2 == 0 ? x : y;
    sum += negative ? -term : term;
    // Past the largest term the terms only shrink; stop once they no longer reach the last bit.
    if (static_cast<long double>(k) > t && term < 1e-21L * (1.0L + std::fabs(x))) break;
  }
  return ClothoidOffsets{l * x, l * y};
}

}  // namespace vardex
