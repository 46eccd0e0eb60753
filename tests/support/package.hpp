// Workbook packages written byte by byte, for what only a file brings into a cell (booleans, error
// values, the empty text) and for styles and merges laid out as a template has them.
#pragma once

#include <string>
#include <vector>

#include "host/workbook.hpp"

namespace vardex::test {

/// Cell elements of a sheet's <sheetData>.
std::string NumberCell(const std::string& ref, const std::string& value);
std::string BooleanCell(const std::string& ref, bool value);
std::string ErrorCell(const std::string& ref, const std::string& code);
std::string TextCell(const std::string& ref, const std::string& text);

struct PackageSheet {
  std::string name;
  std::string rows;         ///< the <row> elements of its <sheetData>
  std::string after = {};   ///< elements after <sheetData>, e.g. <mergeCells>
  std::string before = {};  ///< elements before <sheetData>, e.g. <sheetPr>, <cols>
};

/// Opens a package holding `sheets` in order and, when given, `styles` as xl/styles.xml (the
/// whole <styleSheet> element). Messages name it "project.xlsx".
/// `defined_names` are the <definedName> elements of the workbook part.
host::Workbook OpenPackage(const std::vector<PackageSheet>& sheets, const std::string& styles = "",
                           const std::string& defined_names = "");

}  // namespace vardex::test
