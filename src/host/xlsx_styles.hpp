// The styles part (xl/styles.xml): number formats and cell formats resolved for the model and
// the desktop view; the part itself is written back unchanged unless formats were added.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/sheet_layout.hpp"

namespace vardex::host::detail {

struct StyleTable {
  std::vector<CellStyle> xfs;                                ///< one per cellXfs entry
  std::unordered_map<uint32_t, std::string> custom_formats;  ///< numFmtId -> code
  std::string part;  ///< the styles part's name; empty when the package has none
  std::size_t original_xfs = 0;
  std::vector<std::pair<uint32_t, std::string>> added_formats;  ///< new numFmt entries
  std::vector<std::pair<uint32_t, uint32_t>> added_xfs;         ///< (base xf, numFmtId) per new xf

  /// The number format code of a style; "General" when none.
  std::string FormatCode(uint32_t style) const;
  bool Modified() const noexcept { return !added_xfs.empty(); }
};

/// Reads styles.xml (and the theme's colours for theme-coloured fonts and fills).
/// Throws HostError(kErrCannotOpen) naming the file and part on malformed XML.
void ReadStyles(std::string_view xml, std::string_view theme_xml, const std::string& file,
                const std::string& part, StyleTable& table);

/// The styles part with the added number formats and cell formats.
std::string WriteStyles(std::string_view original, const StyleTable& table);

/// A minimal styles part for a workbook made from scratch (one font, fill, border and format).
std::string_view DefaultStylesXml();

}  // namespace vardex::host::detail
