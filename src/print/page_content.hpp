// One page laid out: the fills, lines and texts that show the page's cells as the sheet view
// shows them (number formats, fonts, fills, borders, merged cells, alignment, wrapping, text
// running over empty neighbours), its repeated titles, headings and gridlines, and its header
// and footer, all positioned on the paper in points.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "print/canvas.hpp"
#include "print/header_footer.hpp"
#include "print/pagination.hpp"

namespace vardex::print {

struct FillItem {
  Rect rect;
  uint32_t argb = 0;
};

struct LineItem {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  double width = 0.5;
  Dash dash = Dash::kSolid;
  uint32_t argb = 0xFF000000;
};

struct TextItem {
  FontSpec font;
  uint32_t argb = 0xFF000000;
  double x = 0;  ///< start of the text
  double y = 0;  ///< baseline
  std::string text;
  Rect clip;
};

struct PageContent {
  double width = 0;
  double height = 0;
  std::vector<FillItem> fills;  ///< drawn first
  std::vector<LineItem> lines;  ///< then the lines
  std::vector<TextItem> texts;  ///< then the texts
};

/// Lays out the pages of one sheet's plan. Keeps what it learns about styles and merged cells
/// between pages, so that a long sheet is laid out page after page at an even pace.
class PageComposer {
 public:
  /// `plan` and `measure` must outlive the composer.
  PageComposer(const SheetPlan& plan, TextMeasure& measure);
  ~PageComposer();
  PageComposer(const PageComposer&) = delete;
  PageComposer& operator=(const PageComposer&) = delete;

  /// Page `index` of the plan; `fields` give the header and footer their page number, count,
  /// sheet, file and date.
  PageContent Compose(std::size_t index, const PageFields& fields);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

/// Draws a laid-out page: BeginPage, the fills, lines and texts, EndPage.
void DrawPage(const PageContent& page, Canvas& canvas);

/// Points per unit of column width for a workbook whose default font is `font`: its widest
/// digit, as the spreadsheet programs measure column widths.
double WidthUnit(const FontSpec& font, TextMeasure& measure);

}  // namespace vardex::print
