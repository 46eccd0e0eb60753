// The errors of the road alignment: bad alignment data, and stations or points that the
// alignment does not reach. Each message names the sheet and cell, or the file and element.
#pragma once

#include <stdexcept>
#include <string>

namespace vardex {

/// Alignment data that cannot be used: a missing sheet, text where a number belongs, a radius of
/// 0, a transition too long for its curve, overlapping curves, a file that is not LandXML. what()
/// names the place ("road.xlsx：工作表“线路数据”单元格 E7：…").
class AlignmentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// A request the alignment cannot meet: a station or a point it does not reach (before its
/// start, after its end, in the gap of a short chain), an empty range, too many points. The
/// alignment data itself is fine.
class AlignmentRequestError : public AlignmentError {
 public:
  using AlignmentError::AlignmentError;
};

}  // namespace vardex
