// Plane survey functions: distance, azimuth and angle text of the stake-out records.
#include "numeric/survey_functions.hpp"

#include <cmath>

#include "host/number_format.hpp"
#include "numeric/portable_math.hpp"

namespace vardex {

double PlaneDistance(const PlanePoint& a, const PlanePoint& b) {
  const double dy = b.Y - a.Y;
  const double dx = b.X - a.X;
  // The square root of the sum of squares, not hypot: a distance rounds to the same last bit,
  // and hence to the same 3-place text, as the records' (dY^2 + dX^2)^0.5. sqrt is rounded
  // correctly on every system, where the C libraries' general power functions each miss the
  // last bit in their own rare cases.
  return std::sqrt(dy * dy + dx * dx);
}

double PlaneAzimuth(const PlanePoint& a, const PlanePoint& b) {
  const double dy = b.Y - a.Y;
  const double dx = b.X - a.X;
  if (dy != 0) {
    const double sign_dy = dy > 0 ? 1.0 : -1.0;
    // Evaluated left to right as written: (atan * 180) / PiConstant.
    return (180.0 - 90.0 * sign_dy) - Atan(dx / dy) * 180.0 / PiConstant;
  }
  if (dx == 0) return 0.0;
  const double sign_dx = dx > 0 ? 1.0 : -1.0;
  return 90.0 - 90.0 * sign_dx;
}

std::string AngleToDmsText(double degrees) {
  // A day fraction in which an hour stands for a degree: "[h]" then counts whole degrees
  // without wrapping at 24, and the formatter's rounding carries seconds into minutes and
  // minutes into degrees.
  return host::WorksheetText(degrees / 24.0, DmsFormat);
}

}  // namespace vardex
