// Where two cells meet, one border line is drawn: the heavier of the two cells' sides, as in the
// common spreadsheet programs. Shared by the sheet view and the print layout.
#pragma once

#include "host/sheet_layout.hpp"

namespace vardex::host {

/// The weight of a line in that contest: none, hair, dotted, dashed, thin, medium, double, thick.
inline int BorderStrength(BorderLine line) noexcept {
  switch (line) {
    case BorderLine::kNone:
      return 0;
    case BorderLine::kHair:
      return 1;
    case BorderLine::kDotted:
      return 2;
    case BorderLine::kDashed:
      return 3;
    case BorderLine::kThin:
    case BorderLine::kOther:
      return 4;
    case BorderLine::kMedium:
      return 5;
    case BorderLine::kDouble:
      return 6;
    case BorderLine::kThick:
      return 7;
  }
  return 0;
}

/// The side drawn where sides `a` and `b` meet; `a` when they weigh the same.
inline const BorderSide& StrongerBorder(const BorderSide& a, const BorderSide& b) noexcept {
  return BorderStrength(b.line) > BorderStrength(a.line) ? b : a;
}

}  // namespace vardex::host
