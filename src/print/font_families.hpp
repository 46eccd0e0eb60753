// The faces that stand in for a workbook's font: the named one first, then a metric twin where
// one is commonly installed, then a CJK face of the same kind (serif for the Song, Fang Song
// and Kai faces of Chinese forms, sans otherwise) for what the named face cannot show. Every
// drawing backend asks the system for its fonts in this order.
#pragma once

#include <string>
#include <vector>

namespace vardex::print {

std::vector<std::string> FontFamilies(const std::string& name);

}  // namespace vardex::print
