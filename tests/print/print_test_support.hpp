// Shared set-up of the print tests: a text measure with simple, hand-computable metrics and
// one-sheet workbooks with page setups written as a file would have them.
#pragma once

#include <string>

#include "host/workbook.hpp"
#include "print/canvas.hpp"
#include "support/package.hpp"

namespace vardex::test {

/// A 5 by 5 inch paper with half-inch margins, 288 by 288 points for cells, and `more`
/// attributes of the page setup.
inline std::string TestPaper(const std::string& more = "") {
  return "<pageMargins left=\"0.5\" right=\"0.5\" top=\"0.5\" bottom=\"0.5\" header=\"0.25\" "
         "footer=\"0.25\"/><pageSetup paperWidth=\"5in\" paperHeight=\"5in\" " +
         more + "/>";
}

/// Every character is half the font size wide, digits too; a column width unit is 6 points.
class HalfEmMeasure final : public print::TextMeasure {
 public:
  double Width(const print::FontSpec& font, std::string_view utf8) override {
    double n = 0;
    for (std::size_t i = 0; i < utf8.size();) {
      print::NextCodePoint(utf8, i);
      ++n;
    }
    return n * font.size / 2;
  }
  print::FontExtents Extents(const print::FontSpec& font) override {
    return {font.size * 0.8, font.size * 0.2};
  }
  double DigitWidth(const print::FontSpec&) override { return 6; }
};

/// OpenPackage with `defined_names` (the <definedName> elements of the workbook part).
inline host::Workbook OpenWithNames(const std::vector<PackageSheet>& sheets,
                                    const std::string& defined_names) {
  return host::Workbook::OpenBytes(
      PackageBytes(
          sheets, "", "",
          defined_names.empty() ? "" : "<definedNames>" + defined_names + "</definedNames>"),
      "project.xlsx");
}

/// `rows` rows of `height` points, each with the number of its row in column A and a text in
/// column B; columns A and B `width` units wide. `before` and `after` surround the cell data.
inline host::Workbook NumberedSheet(int rows, double height, const std::string& before,
                                    const std::string& after, const std::string& defined_names = "",
                                    double width = 10) {
  std::string data;
  for (int r = 1; r <= rows; ++r) {
    const std::string n = std::to_string(r);
    data += "<row r=\"" + n + "\" ht=\"" + std::to_string(height) + "\" customHeight=\"1\">" +
            NumberCell("A" + n, n) + TextCell("B" + n, "row " + n) + "</row>";
  }
  return OpenWithNames({{"Sheet", data, after,
                         before + "<cols><col min=\"1\" max=\"2\" width=\"" +
                             std::to_string(width) + "\"/></cols>"}},
                       defined_names);
}

}  // namespace vardex::test
