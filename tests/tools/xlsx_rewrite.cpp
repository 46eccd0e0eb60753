// xlsx-rewrite IN OUT [SHEET!REF=VALUE ...]: opens IN, puts each VALUE into its cell as if typed
// (an empty VALUE clears the cell's contents) and saves OUT. For round-trip tests and for
// checking the engine's output in other spreadsheet programs.
#include <cstdio>
#include <string>
#include <string_view>

#include "host/workbook.hpp"

namespace {

int Usage() {
  std::fputs("usage: xlsx-rewrite IN OUT [SHEET!REF=VALUE ...]\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vardex::host;
  if (argc < 3) return Usage();
  try {
    Workbook book = Workbook::Open(argv[1]);
    for (int i = 3; i < argc; ++i) {
      const std::string_view arg = argv[i];
      const std::size_t eq = arg.find('=');
      const std::size_t bang = eq == std::string_view::npos ? eq : arg.rfind('!', eq);
      if (bang == std::string_view::npos) {
        std::fprintf(stderr, "xlsx-rewrite: bad assignment \"%s\" (want SHEET!REF=VALUE)\n",
                     argv[i]);
        return 2;
      }
      const auto range = ParseRangeRef(arg.substr(bang + 1, eq - bang - 1));
      if (!range) {
        std::fprintf(stderr, "xlsx-rewrite: bad cell reference in \"%s\"\n", argv[i]);
        return 2;
      }
      Worksheet& sheet = book.Sheet(arg.substr(0, bang));
      const std::string_view value = arg.substr(eq + 1);
      if (value.empty()) {
        sheet.ClearContents(*range);
      } else {
        for (int32_t r = range->first.row; r <= range->last.row; ++r)
          for (int32_t c = range->first.column; c <= range->last.column; ++c)
            sheet.SetValue(CellRef{r, c}, value);
      }
    }
    book.SaveAs(argv[2]);
  } catch (const HostError& e) {
    std::fprintf(stderr, "xlsx-rewrite: %s (error %d)\n", e.what(), e.Number());
    return 1;
  }
  return 0;
}
