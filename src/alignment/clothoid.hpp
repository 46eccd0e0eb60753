// The clothoid (回旋线) of the transition curves: the points of a spiral whose curvature grows
// in proportion to the length run along it.
#pragma once

namespace vardex {

/// A point of a clothoid in the frame of its straight end: `X` along the tangent there, `Y`
/// across it towards the side the spiral turns to. Metres.
struct ClothoidOffsets {
  long double X = 0;
  long double Y = 0;
};

/// The point at `length` metres along a clothoid that starts straight (infinite radius) and has
/// the parameter A² = `a2` square metres (A² = R·Ls: radius at the far end times the spiral's
/// length). The tangent there has turned by length² / (2·A²) radians. Evaluated from the power
/// series of the Fresnel integrals in long double; the relative error stays below 1e-15 for
/// every turn up to π, which covers any transition a curve can hold. `length` ≥ 0, `a2` > 0.
ClothoidOffsets ClothoidPoint(double length, double a2);

}  // namespace vardex
