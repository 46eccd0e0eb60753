// What the record checks report: one broken rule at one cell. Shared by the levelling and
// plane checks so that `vardex check` and the tests read one list.
#pragma once

#include <string>

#include "host/cell_ref.hpp"

namespace vardex {

struct CheckFinding {
  std::string sheet;    ///< sheet name, e.g. "水准表"
  host::CellRef cell;   ///< the cell that breaks the rule
  std::string message;  ///< what is wrong, in Chinese, with the expected and found values
};

}  // namespace vardex
