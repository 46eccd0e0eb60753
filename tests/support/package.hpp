// Workbook packages written byte by byte, for what only a file brings into a cell (booleans, error
// values, the empty text), for styles, views and merges laid out as a template has them, and for
// broken packages; the bytes a save writes and the parts they hold; scratch folders.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
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
  std::string before = {};  ///< elements before <sheetData>, e.g. <sheetViews>, <cols>
};

/// A zip archive of stored (uncompressed) entries holding `parts` (name, bytes) in order.
using Parts = std::vector<std::pair<std::string, std::string>>;
std::string ZipBytes(const Parts& parts);

/// A package holding `sheets` in order, `styles` as xl/styles.xml (the whole <styleSheet>
/// element) when given, `book_head` between <workbook> and <sheets> (e.g. <bookViews>) and
/// `book_tail` after <sheets> (e.g. <definedNames>).
std::string PackageBytes(const std::vector<PackageSheet>& sheets, const std::string& styles = "",
                         const std::string& book_head = "", const std::string& book_tail = "");
/// The package above, opened; messages name it "project.xlsx".
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

/// A <styleSheet> with the number formats `formats` under ids 164, 165, ... and one cell format
/// per entry of `cell_formats`, in order: its number format id, thin borders or none.
struct CellFormat {
  int number_format = 0;
  bool bordered = false;
};
std::string StyleSheet(const std::vector<std::string>& formats,
                       const std::vector<CellFormat>& cell_formats);

/// The bytes of a file; the bytes `book` saves as; the parts of a package's bytes in order, and
/// one part by name (uncompressed).
std::string FileBytes(const std::filesystem::path& path);
std::string SavedBytes(host::Workbook& book);
Parts PackageParts(const std::string& package);
std::string PackagePart(const std::string& package, const std::string& part);

/// A new empty folder in the temporary folder, removed with everything in it at the end.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace vardex::test
