// Plane survey functions of the stake-out records: horizontal distance and azimuth between two
// points in a north/east grid, and an angle written as degrees, minutes and seconds.
#pragma once

#include <string>
#include <string_view>

namespace vardex {

/// A known plane point. X is the north and Y the east coordinate; all in metres.
struct PlanePoint {
  std::string Name;
  double X = 0;
  double Y = 0;
  double H = 0;
};

/// Turns radians into degrees in PlaneAzimuth. Deliberately the 15-digit value the record
/// tables have always used, not the full double of pi: it keeps azimuths bit-identical to
/// records made earlier (a 45 degree direction comes out as 44.99999999999996).
inline constexpr double PiConstant = 3.14159265358979;

/// Number format of angles held as day fractions, one hour standing for one degree:
/// "[h]" whole degrees without wrap, U+00B0, minutes, U+2032, seconds with two decimals, U+2033.
inline constexpr std::string_view DmsFormat = "[h]°mm′ss.00″";

/// Horizontal distance from `a` to `b` in metres, (dY^2 + dX^2)^0.5 correctly rounded (the square
/// root, where a general power function misses the last bit in rare cases). Only X and Y are used.
/// Finite for finite coordinates below about 1e150.
double PlaneDistance(const PlanePoint& a, const PlanePoint& b);

/// Azimuth from `a` to `b` in decimal degrees, clockwise from north (+X): 0 <= result < 360 for
/// all practical inputs; 0 when the points coincide in plan. Never divides by zero.
double PlaneAzimuth(const PlanePoint& a, const PlanePoint& b);

/// `degrees` as the sheet's TEXT function shows degrees / 24 under DmsFormat, e.g. 45.2625 ->
/// "45°15′45.00″", 359.999999999 -> "360°00′00.00″" (rounding carries upward). Meant for
/// azimuths, which are never negative. Throws host::HostError when the formatter refuses the
/// value.
std::string AngleToDmsText(double degrees);

}  // namespace vardex
