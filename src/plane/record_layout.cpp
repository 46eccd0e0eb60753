// Header texts of the plane record sheets.
#include "plane/record_layout.hpp"

#include "numeric/number_text.hpp"
#include "numeric/numeric_helpers.hpp"
#include "plane/plane_texts.hpp"

namespace vardex::detail {
namespace {

std::string Prefixed(std::string_view prefix, double value) {
  return std::string(prefix) + GeneralNumberText(value);
}

}  // namespace

std::array<HeaderCell, 10> HeaderCells(const PlanePoint& station, const PlanePoint& back_sight,
                                       double back_sight_distance, const std::string& azimuth_text,
                                       int32_t distance_column) {
  return {{
      {{3, 2}, station.Name},
      {{3, 4}, Prefixed(plane_text::kXPrefix, station.X)},
      {{4, 4}, Prefixed(plane_text::kYPrefix, station.Y)},
      {{5, 4}, Prefixed(plane_text::kHPrefix, station.H)},
      {{3, 7}, back_sight.Name},
      {{3, 10}, Prefixed(plane_text::kXPrefix, back_sight.X)},
      {{4, 10}, Prefixed(plane_text::kYPrefix, back_sight.Y)},
      {{5, 10}, Prefixed(plane_text::kHPrefix, back_sight.H)},
      {{3, distance_column},
       std::string(plane_text::kBackSightDistancePrefix) + DecimalText(back_sight_distance, 3) +
           std::string(plane_text::kBackSightDistanceSuffix)},
      {{4, distance_column}, std::string(plane_text::kBackSightAzimuthPrefix) + azimuth_text},
  }};
}

std::string DistanceDifferenceText(double measured_distance, double design_distance) {
  // Both distances carry three decimals, so the difference lies within a few ulps of a whole
  // number of millimetres; rounding to whole millimetres removes that noise.
  return DecimalText((measured_distance - design_distance) * 1000.0, 0);
}

}  // namespace vardex::detail
