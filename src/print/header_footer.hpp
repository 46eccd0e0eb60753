// Page header and footer codes as the spreadsheet formats write them: three sections (&L, &C,
// &R), fields (&P page, &N pages, &A sheet, &D date, &T time, &F file, &Z folder, &P+n), fonts
// (&"name,style", &nn size, &B, &I, &U, &S toggles) and "&&" for an ampersand. Pictures (&G) and
// colours (&K) are left out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vardex::print {

/// One run of text in one font. An empty name or a size of 0 means the default font.
struct HeaderFooterRun {
  std::string text;  ///< may hold line breaks
  std::string font_name;
  double size = 0;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike = false;
};

struct HeaderFooterLine {
  std::vector<HeaderFooterRun> left, center, right;
  bool Empty() const noexcept { return left.empty() && center.empty() && right.empty(); }
};

/// What the fields of one page stand for.
struct PageFields {
  int page = 1;
  int pages = 1;
  std::string sheet;
  std::string file;    ///< file name without folder
  std::string folder;  ///< folder of the file, with a trailing separator
  std::string date;    ///< as shown, e.g. "2024/5/17"
  std::string time;    ///< as shown, e.g. "9:05"
};

/// The sections of a header or footer code with every field replaced.
HeaderFooterLine ExpandHeaderFooter(std::string_view code, const PageFields& fields);

}  // namespace vardex::print
