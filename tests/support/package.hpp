// Workbook packages written byte by byte, for what only a file brings into a cell (booleans, error
// values, the empty text) and for styles and merges laid out as a template has them.
#pragma once

#include <functional>
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
  std::string rows;        ///< the <row> elements of its <sheetData>
  std::string after = {};  ///< elements after <sheetData>, e.g. <mergeCells>
};

/// Opens a package holding `sheets` in order and, when given, `styles` as xl/styles.xml (the
/// whole <styleSheet> element). Messages name it "project.xlsx".
host::Workbook OpenPackage(const std::vector<PackageSheet>& sheets, const std::string& styles = "");
/// The bytes of that package; with `zip64`, every size and offset in the zip64 fields.
std::string PackageBytes(const std::vector<PackageSheet>& sheets, const std::string& styles,
                         bool zip64);

/// `package` with each part's bytes passed through `edit(name, bytes)`.
std::string EditedPackage(
    const std::string& package,
    const std::function<std::string(const std::string& name, std::string bytes)>& edit);

/// `package` as writers on the .NET Open XML SDK save it: in every XML part with one default
/// namespace, that namespace bound to the prefix "x" and every element written as <x:...>.
std::string PrefixedPackage(const std::string& package);

}  // namespace vardex::test
