// Cells of the two plane record sheets and the header texts both sheets show. Internal to
// src/plane: shared by the writer and the check so that both name the same cells.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "host/cell_ref.hpp"
#include "numeric/survey_functions.hpp"

namespace vardex::detail {

// Columns of a record row.
inline constexpr int32_t kColA = 1;
inline constexpr int32_t kColC = 3;
inline constexpr int32_t kColE = 5;
inline constexpr int32_t kColG = 7;
inline constexpr int32_t kColI = 9;
inline constexpr int32_t kColK = 11;
inline constexpr int32_t kColM = 13;
inline constexpr int32_t kColN = 14;
inline constexpr int32_t kColO = 15;
inline constexpr int32_t kColP = 16;
inline constexpr int32_t kColQ = 17;

/// One header cell and the text written into it.
struct HeaderCell {
  host::CellRef cell;
  std::string text;
};

/// The ten header cells in writing order: B3, D3:D5 (station), G3, J3:J5 (back-sight), then S and
/// ɑ in column `distance_column` (N on the stake-out record, M on the inspection table), rows 3
/// and 4. `back_sight_distance` in metres, `azimuth_text` as AngleToDmsText gives it.
std::array<HeaderCell, 10> HeaderCells(const PlanePoint& station, const PlanePoint& back_sight,
                                       double back_sight_distance, const std::string& azimuth_text,
                                       int32_t distance_column);

/// M of the stake-out record: measured minus design distance in whole millimetres, from the two
/// distances as they stand in K and I. The writer and the check both take M from here, on the
/// numbers read back from those cells, so the record cannot disagree with its own check.
std::string DistanceDifferenceText(double measured_distance, double design_distance);

}  // namespace vardex::detail
