// What a worksheet says about printing it: paper, orientation, margins, scale and fitting, page
// order, centring, gridlines and headings, header and footer, manual page breaks, and the print
// area and print titles that the workbook keeps as defined names. Read from the package as the
// file has it; judging the values (and clamping the absurd ones) is the print layout's business.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/cell_ref.hpp"

namespace vardex::host {

class Worksheet;

struct PageSetup {
  bool has_page_setup = false;  ///< the sheet has a <pageSetup> element
  bool has_margins = false;     ///< the sheet has a <pageMargins> element

  uint32_t paper_size = 9;   ///< paperSize code (9 = A4; also when the file names none)
  std::string paper_width;   ///< paperWidth ("210mm", "8.5in"), overrides paper_size
  std::string paper_height;  ///< paperHeight
  bool landscape = false;
  double scale = 100;          ///< percent, as written (not yet clamped)
  bool fit_to_page = false;    ///< sheetPr/pageSetUpPr fitToPage: fit_* count, scale does not
  double fit_to_width = 1;     ///< pages across; 0: as many as needed
  double fit_to_height = 1;    ///< pages down; 0: as many as needed
  bool down_then_over = true;  ///< page order
  bool use_first_page_number = false;
  double first_page_number = 1;

  // Margins in inches (the defaults are those of a sheet that never had its page set up).
  double left = 0.7, right = 0.7, top = 0.75, bottom = 0.75, header = 0.3, footer = 0.3;

  bool center_horizontally = false;
  bool center_vertically = false;
  bool gridlines = false;
  bool headings = false;

  std::string odd_header, odd_footer, even_header, even_footer, first_header, first_footer;
  bool different_odd_even = false;
  bool different_first = false;
  bool scale_header_footer = true;  ///< scaleWithDoc: header and footer follow the sheet's scale

  /// Manual breaks: a row (column) number after which a new page starts, 1-based, ascending.
  std::vector<int32_t> row_breaks;
  std::vector<int32_t> column_breaks;

  /// The defined names _xlnm.Print_Area and _xlnm.Print_Titles of the sheet, as written
  /// ("水准表!$A$1:$I$44", "'My sheet'!$1:$4,'My sheet'!$A:$B"); empty when absent.
  std::string print_area;
  std::string print_titles;
};

/// The page setup of `sheet`. A sheet without one gives the defaults (A4 portrait). Throws
/// HostError(kErrCannotOpen) naming the file and part when the part cannot be read again.
PageSetup ReadPageSetup(const Worksheet& sheet);

/// The style a cell shows: its own, else its row's (when the row has one), else its column's.
uint32_t ShownStyleIndex(const Worksheet& sheet, CellRef cell);

}  // namespace vardex::host
