// Trigonometric functions and hypot of the core's own, so that every build computes the same
// bits: the C libraries of the systems Vardex runs on round the last bit of sin, cos, atan and
// hypot differently, and a stake-out record written on one system must match the other's.
#pragma once

namespace vardex {

/// sin, cos and tan of `x` radians, within 1 ulp. Arguments beyond 2^20 * pi/2 are first reduced
/// modulo the double nearest 2*pi, which is no longer accurate but still the same on every build.
double Sin(double x) noexcept;
double Cos(double x) noexcept;
double Tan(double x) noexcept;
/// Arc tangent in (-pi/2, pi/2), and of y/x in (-pi, pi] taking the quadrant from the signs, with
/// the usual results for zeros and infinities. Within 1 ulp.
double Atan(double x) noexcept;
double Atan2(double y, double x) noexcept;
/// sqrt(x^2 + y^2) without undue overflow or underflow, within 1 ulp.
double Hypot(double x, double y) noexcept;

}  // namespace vardex
