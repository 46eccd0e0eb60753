// A sheet's page setup judged and made ready for layout: paper and margins in points, the scale
// or the page counts to fit, the print areas and titles as ranges. Absurd values either stop the
// print with a message naming the sheet and the setting, or are clamped to what spreadsheet
// programs accept:
//   - an unknown paper size code prints on A4;
//   - a fixed scale outside 10 % to 400 % is clamped into that range;
//   - fit-to counts below zero count as 0 (as many pages as needed), above 32767 as 32767;
//   - a first page number outside -32768 to 32767 is clamped into it;
//   - manual breaks outside the sheet are dropped.
// Stops: a paper width or height that is not a positive length up to 10 m, a negative margin,
// margins that leave no room on the paper, a print area or print titles that are not a range of
// this sheet.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/cell_ref.hpp"
#include "host/page_setup.hpp"

namespace vardex::print {

/// A print that cannot go on: bad page setup, a device that failed. what() is the message.
class PrintError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Rows or columns `first` to `last`, 1-based and inclusive.
struct Span {
  int32_t first = 1;
  int32_t last = 1;
  friend bool operator==(const Span&, const Span&) = default;
};

struct PrintSettings {
  double paper_width = 595.28;  ///< points, as oriented
  double paper_height = 841.89;
  double left = 50.4, right = 50.4, top = 54, bottom = 54, header = 21.6, footer = 21.6;
  bool fit = false;    ///< fit to fit_width by fit_height pages rather than a fixed scale
  int fit_width = 1;   ///< 0: any number
  int fit_height = 1;  ///< 0: any number
  int scale = 100;     ///< percent, when not fitting
  bool down_then_over = true;
  bool center_horizontally = false;
  bool center_vertically = false;
  bool gridlines = false;
  bool headings = false;
  int first_page_number = 1;

  std::vector<host::RangeRef> areas;  ///< print areas; empty: the sheet's used cells
  std::optional<Span> title_rows;
  std::optional<Span> title_columns;
  std::vector<int32_t> row_breaks;     ///< last row of a page
  std::vector<int32_t> column_breaks;  ///< last column of a page

  std::string odd_header, odd_footer, even_header, even_footer, first_header, first_footer;
  bool different_odd_even = false;
  bool different_first = false;
  bool scale_header_footer = true;  ///< header and footer fonts take the scale of the cells
};

/// Judges `setup` of the sheet named `sheet`. Throws PrintError naming the sheet and the
/// setting for the absurd values listed above; clamps the others.
PrintSettings ResolvePrintSettings(std::string_view sheet, const host::PageSetup& setup);

/// Paper size in points (portrait) of a paperSize code; nothing for a code it does not know.
std::optional<std::pair<double, double>> PaperSize(uint32_t code);

/// The ranges of a print area or print titles reference ("'A b'!$A$1:$C$9,'A b'!$1:$2"):
/// whole rows and columns included. Nothing when a part is not a reference to `sheet`.
std::optional<std::vector<host::RangeRef>> ParseAreaReference(std::string_view text,
                                                              std::string_view sheet);

}  // namespace vardex::print
