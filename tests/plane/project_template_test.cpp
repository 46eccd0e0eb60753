// The plane tables on the real project template: its merged record rows, number formats and
// a save and reopen, followed by the table check.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "plane/plane_check.hpp"
#include "plane/plane_tables.hpp"
#include "plane_test_support.hpp"

namespace vardex {
namespace {

namespace fs = std::filesystem;

fs::path TemplateFile() {
  const char* binary_dir = std::getenv("VARDEX_BINARY_DIR");
  return binary_dir == nullptr ? fs::path() : fs::path(binary_dir) / "bin" / "work.xltx";
}

TEST(ProjectTemplateTest, LongListOnTheTemplateSurvivesSaveAndCheck) {
  const fs::path template_file = TemplateFile();
  if (template_file.empty() || !fs::exists(template_file)) {
    GTEST_SKIP() << "the project template is not built";
  }
  host::Workbook book = host::Workbook::Open(template_file);
  std::vector<plane_test::InputPoint> points;
  for (int i = 0; i < 40; ++i) {
    points.push_back({"K1+" + std::to_string(100 + 20 * i), i % 3 == 0 ? -3.5 : 4.25,
                      3512000.0 + 7.5 * i, 512300.0 - 3.25 * i});
  }
  plane_test::TypeInput(book, std::string("GPS1"), 3512100.123, 512250.456, 35.5,
                        std::string("GPS2"), 3512400.789, 512100.012, 36.25, points);
  auto random = MakeSeededRandomSource(2024);
  GeneratePlaneTables(book, SurveySettings{}, *random);
  // Twice, so that the second run pastes over the merges the first one laid out.
  GeneratePlaneTables(book, SurveySettings{}, *random);

  const host::Worksheet& stake_out = book.Sheet(plane_test::kStakeOut);
  const host::Worksheet& inspection = book.Sheet(plane_test::kInspection);
  for (const host::Worksheet* sheet : {&stake_out, &inspection}) {
    EXPECT_EQ(sheet->StyleIndex({47, 7}), sheet->StyleIndex({8, 7})) << sheet->Name();
    EXPECT_EQ(sheet->NumberFormatCode({47, 7}), sheet->NumberFormatCode({8, 7}));
  }
  EXPECT_EQ(stake_out.Text({8, 7}), AngleToDmsText(plane_test::NumberAt(stake_out, {8, 7}) * 24.0));

  const fs::path saved = fs::temp_directory_path() / "vardex-plane-template-test.xlsx";
  book.SaveAs(saved);
  const host::Workbook reopened = host::Workbook::Open(saved);
  fs::remove(saved);
  const auto findings = CheckPlaneTables(reopened, SurveySettings{});
  for (const auto& f : findings) {
    ADD_FAILURE() << f.sheet << "!" << host::FormatCellRef(f.cell) << " " << f.message;
  }
}

}  // namespace
}  // namespace vardex
