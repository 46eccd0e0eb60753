// Reading and judging page setups: what the file says, the defaults when it says nothing, and
// the absurd values that stop a print with a message naming sheet and setting or are clamped.
#include <gtest/gtest.h>

#include "host/page_setup.hpp"
#include "print/print_settings.hpp"
#include "print_test_support.hpp"

namespace vardex {
namespace {

host::PageSetup SetupOf(const std::string& before, const std::string& after,
                        const std::string& names = "") {
  host::Workbook book =
      test::OpenWithNames({{"Other", "", ""}, {"水准表", "", after, before}}, names);
  return host::ReadPageSetup(book.Sheet("水准表"));
}

TEST(PageSetup, ReadsWhatTheTemplateWrites) {
  const host::PageSetup s = SetupOf(
      "<sheetPr><pageSetUpPr fitToPage=\"1\"/></sheetPr>",
      "<printOptions horizontalCentered=\"1\" gridLines=\"1\"/>"
      "<pageMargins left=\"0.5\" right=\"0.4\" top=\"0.6\" bottom=\"0.8\" header=\"0.3\" "
      "footer=\"0.35\"/><pageSetup paperSize=\"8\" fitToHeight=\"0\" orientation=\"landscape\"/>"
      "<headerFooter><oddFooter>&amp;L观测：&amp;R第 &amp;P 页</oddFooter></headerFooter>"
      "<rowBreaks><brk id=\"40\"/><brk id=\"20\"/></rowBreaks>",
      "<definedName name=\"_xlnm.Print_Titles\" localSheetId=\"1\">水准表!$1:$4</definedName>"
      "<definedName name=\"_xlnm.Print_Area\" localSheetId=\"0\">Other!$A$1:$B$2</definedName>");
  EXPECT_TRUE(s.fit_to_page);
  EXPECT_TRUE(s.center_horizontally);
  EXPECT_TRUE(s.gridlines);
  EXPECT_DOUBLE_EQ(s.right, 0.4);
  EXPECT_DOUBLE_EQ(s.footer, 0.35);
  EXPECT_EQ(s.paper_size, 8u);
  EXPECT_TRUE(s.landscape);
  EXPECT_DOUBLE_EQ(s.fit_to_width, 1);
  EXPECT_DOUBLE_EQ(s.fit_to_height, 0);
  EXPECT_EQ(s.odd_footer, "&L观测：&R第 &P 页");
  EXPECT_EQ(s.row_breaks, (std::vector<int32_t>{20, 40}));
  EXPECT_EQ(s.print_titles, "水准表!$1:$4");
  EXPECT_EQ(s.print_area, "");  // the other sheet's
}

TEST(PageSetup, NoSetupPrintsOnA4PortraitWithDefaultMargins) {
  const print::PrintSettings s = print::ResolvePrintSettings("水准表", SetupOf("", ""));
  EXPECT_NEAR(s.paper_width, 595.28, 0.01);
  EXPECT_NEAR(s.paper_height, 841.89, 0.01);
  EXPECT_DOUBLE_EQ(s.left, 0.7 * 72);
  EXPECT_DOUBLE_EQ(s.top, 0.75 * 72);
  EXPECT_FALSE(s.fit);
  EXPECT_EQ(s.scale, 100);
}

struct Absurd {
  const char* what;
  std::string after;
  std::string names;
  std::string message;  // empty: printed with a clamp
  int scale;
};

class AbsurdSetups : public ::testing::TestWithParam<Absurd> {};

TEST_P(AbsurdSetups, StopNamingSheetAndSettingOrAreClamped) {
  const Absurd& c = GetParam();
  if (c.message.empty()) {
    EXPECT_EQ(print::ResolvePrintSettings("水准表", SetupOf("", c.after, c.names)).scale, c.scale)
        << c.what;
    return;
  }
  try {
    print::ResolvePrintSettings("水准表", SetupOf("", c.after, c.names));
    ADD_FAILURE() << c.what << ": accepted";
  } catch (const print::PrintError& e) {
    EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
  }
}

const std::string kTitlesPrefix = "<definedName name=\"_xlnm.Print_Titles\" localSheetId=\"1\">";

INSTANTIATE_TEST_SUITE_P(
    Cases, AbsurdSetups,
    ::testing::Values(Absurd{"zero paper", "<pageSetup paperWidth=\"0mm\" paperHeight=\"297mm\"/>",
                             "", "工作表“水准表”的页面设置无效：纸张宽度“0mm”不可用", 0},
                      Absurd{"negative margin",
                             "<pageMargins left=\"-0.5\" right=\"0.7\" top=\"0.75\" "
                             "bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/>",
                             "", "工作表“水准表”的页面设置无效：左边距为 -0.5 英寸，不能为负数", 0},
                      Absurd{"margins wider than the paper",
                             "<pageMargins left=\"4\" right=\"4\" top=\"0.75\" "
                             "bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/>",
                             "", "左右边距合计 8 英寸，纸张上已没有打印单元格的地方", 0},
                      Absurd{"titles outside the sheet", "",
                             kTitlesPrefix + "水准表!$1:$1048577</definedName>",
                             "打印标题“水准表!$1:$1048577”不可用", 0},
                      Absurd{"titles of another sheet", "",
                             kTitlesPrefix + "Other!$1:$4</definedName>",
                             "打印标题“Other!$1:$4”不可用", 0},
                      Absurd{"a scale of 0", "<pageSetup scale=\"0\"/>", "", "", 10},
                      Absurd{"a scale of 10,000 %", "<pageSetup scale=\"10000\"/>", "", "", 400},
                      Absurd{"an unknown paper prints on A4",
                             "<pageSetup paperSize=\"999\" scale=\"80\"/>", "", "", 80}));

TEST(AreaReferences, ReadQuotedNamesWholeRowsAndColumns) {
  using R = host::RangeRef;
  EXPECT_EQ(print::ParseAreaReference("'It''s'!$A$1:$C$9", "It's"),
            (std::vector<R>{{{1, 1}, {9, 3}}}));
  EXPECT_EQ(print::ParseAreaReference("S!$2:$3,S!$A:$B", "S"),
            (std::vector<R>{{{2, 1}, {3, host::kMaxColumns}}, {{1, 1}, {host::kMaxRows, 2}}}));
  EXPECT_FALSE(print::ParseAreaReference("S!$A$1:$3", "S").has_value());
  EXPECT_FALSE(print::ParseAreaReference("#REF!", "S").has_value());
}

}  // namespace
}  // namespace vardex
