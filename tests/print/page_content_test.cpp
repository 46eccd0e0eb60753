// What a laid-out page holds: texts where the cells are, aligned and running over empty
// neighbours as the view shows them, merged cells as one, titles repeated, header and footer
// fields filled in.
#include <gtest/gtest.h>

#include <algorithm>

#include "host/page_setup.hpp"
#include "print/header_footer.hpp"
#include "print/page_content.hpp"
#include "print_test_support.hpp"

namespace vardex {
namespace {

// Lays out page `index` of the one sheet of `book`.
print::PageContent LayOut(host::Workbook& book, std::size_t index, std::size_t* pages = nullptr) {
  const host::Worksheet& sheet = book.Sheet("Sheet");
  test::HalfEmMeasure measure;
  const print::SheetPlan plan =
      print::PlanSheet(sheet, print::ResolvePrintSettings("Sheet", host::ReadPageSetup(sheet)), 6);
  if (pages != nullptr) *pages = plan.PageCount();
  print::PageComposer composer(plan, measure);
  print::PageFields fields;
  fields.page = static_cast<int>(index) + 1;
  fields.pages = static_cast<int>(plan.PageCount());
  fields.sheet = "Sheet";
  return composer.Compose(index, fields);
}

const print::TextItem* Find(const print::PageContent& page, const std::string& text) {
  auto it = std::find_if(page.texts.begin(), page.texts.end(),
                         [&](const print::TextItem& t) { return t.text == text; });
  return it == page.texts.end() ? nullptr : &*it;
}

TEST(PageContent, NumbersRightAndTextsLeftInTheirCells) {
  host::Workbook book = test::NumberedSheet(3, 20, "", test::TestPaper());
  const print::PageContent page = LayOut(book, 0);
  // Column A from 36 to 96 points, B from 96 to 156; 11-point characters 5.5 wide, 2 of padding.
  const print::TextItem* number = Find(page, "2");
  const print::TextItem* text = Find(page, "row 2");
  ASSERT_TRUE(number && text);
  EXPECT_DOUBLE_EQ(number->x, 96 - 2 - 5.5);
  EXPECT_DOUBLE_EQ(text->x, 96 + 2);
  // Bottom-aligned: the descent and half the padding above the row's bottom (36 + 2 * 20).
  EXPECT_DOUBLE_EQ(text->y, 76 - 1 - 11 * 0.2);
}

TEST(PageContent, TextRunsOverEmptyNeighboursButNotOverFilledOnes) {
  const std::string long_text = "a text far too long for one cell";  // 176 points
  host::Workbook book = test::OpenPackage(
      {{"Sheet",
        "<row r=\"1\">" + test::TextCell("A1", long_text) + "</row><row r=\"2\">" +
            test::TextCell("A2", long_text) + test::TextCell("B2", "x") + "</row><row r=\"3\">" +
            test::TextCell("E3", "end") + "</row>",
        test::TestPaper(), "<cols><col min=\"1\" max=\"5\" width=\"10\"/></cols>"}});
  const print::PageContent page = LayOut(book, 0);
  std::vector<const print::TextItem*> runs;
  for (const print::TextItem& t : page.texts)
    if (t.text == long_text) runs.push_back(&t);
  ASSERT_EQ(runs.size(), 2u);
  // 120 points more than A holds: over B and C, as far as it needs.
  EXPECT_DOUBLE_EQ(runs[0]->clip.Right(), 36 + 3 * 60);
  EXPECT_DOUBLE_EQ(runs[1]->clip.Right(), 36 + 60);  // B2 holds a value
}

TEST(PageContent, MergedCellsShowOneCentredTextAndNoInnerLine) {
  host::Workbook book = test::OpenPackage(
      {{"Sheet", "<row r=\"1\">" + test::TextCell("A1", "title") + "</row>",
        "<mergeCells count=\"1\"><mergeCell ref=\"A1:B1\"/></mergeCells>" + test::TestPaper(),
        "<cols><col min=\"1\" max=\"2\" width=\"10\"/></cols>"}},
      "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
      "<fonts count=\"1\"><font><sz val=\"10\"/><name val=\"宋体\"/></font></fonts>"
      "<fills count=\"1\"><fill><patternFill patternType=\"none\"/></fill></fills>"
      "<borders count=\"2\"><border/><border><left style=\"thin\"/><right style=\"thin\"/>"
      "<top style=\"thin\"/><bottom style=\"thin\"/></border></borders>"
      "<cellXfs count=\"2\"><xf/><xf borderId=\"1\" applyBorder=\"1\" applyAlignment=\"1\">"
      "<alignment horizontal=\"center\"/></xf></cellXfs></styleSheet>");
  // Style 1 is not applied yet: give both cells of the merge the bordered, centred style.
  book.Sheet("Sheet").SetStyleIndex({1, 1}, 1);
  book.Sheet("Sheet").SetStyleIndex({1, 2}, 1);
  const print::PageContent page = LayOut(book, 0);
  const print::TextItem* title = Find(page, "title");
  ASSERT_NE(title, nullptr);
  EXPECT_DOUBLE_EQ(title->x, 36 + (120 - 25) / 2.0);
  for (const print::LineItem& line : page.lines) {
    EXPECT_FALSE(line.x1 == 96 && line.x2 == 96) << "a line inside the merged cell";
  }
  EXPECT_EQ(page.lines.size(), 4u);  // the merge's outline, each side one line
}

TEST(PageContent, TitleRowsRepeatAboveLaterPages) {
  host::Workbook book = test::NumberedSheet(
      30, 20, "", test::TestPaper(),
      "<definedName name=\"_xlnm.Print_Titles\" localSheetId=\"0\">Sheet!$1:$2</definedName>");
  const print::PageContent second = LayOut(book, 1);
  const print::TextItem* title = Find(second, "row 1");
  const print::TextItem* first_body = Find(second, "row 15");
  ASSERT_TRUE(title && first_body);
  EXPECT_LT(title->y, first_body->y);
  EXPECT_DOUBLE_EQ(first_body->y - title->y, 40);
  EXPECT_EQ(Find(second, "row 14"), nullptr);
}

TEST(PageContent, FooterFieldsCountPagesOfTheSheet) {
  host::Workbook book = test::NumberedSheet(
      30, 20, "",
      test::TestPaper() +
          "<headerFooter><oddFooter>&amp;L观测：&amp;C&amp;A&amp;R第 &amp;P 页 共 &amp;N 页"
          "</oddFooter></headerFooter>");
  std::size_t pages = 0;
  const print::PageContent last = LayOut(book, 2, &pages);
  ASSERT_EQ(pages, 3u);
  const print::TextItem* number = Find(last, "第 3 页 共 3 页");
  ASSERT_NE(number, nullptr);
  // Right section ends at the right margin; the line's bottom sits at the footer margin.
  EXPECT_DOUBLE_EQ(number->x + 11 * 0.5 * 11, 360 - 36);
  EXPECT_DOUBLE_EQ(number->y + 11 * 0.2, 360 - 18);
  EXPECT_NE(Find(last, "观测："), nullptr);
  EXPECT_NE(Find(last, "Sheet"), nullptr);
}

TEST(PageContent, FooterTakesTheSheetsScaleUnlessTheWorkbookSaysNot) {
  struct Case {
    std::string scale_with_doc;
    double size;
  };
  for (const Case& c :
       {Case{"", 5.5}, Case{" scaleWithDoc=\"1\"", 5.5}, Case{" scaleWithDoc=\"0\"", 11}}) {
    host::Workbook book =
        test::NumberedSheet(3, 20, "",
                            test::TestPaper("scale=\"50\"") + "<headerFooter" + c.scale_with_doc +
                                "><oddFooter>&amp;C&amp;A</oddFooter></headerFooter>");
    const print::TextItem* sheet = Find(LayOut(book, 0), "Sheet");
    ASSERT_NE(sheet, nullptr) << c.scale_with_doc;
    EXPECT_DOUBLE_EQ(sheet->font.size, c.size) << c.scale_with_doc;
    EXPECT_DOUBLE_EQ(sheet->y + c.size * 0.2, 360 - 18) << c.scale_with_doc;
  }
}

TEST(PageContent, HeadingsShiftTheCellsAndGridlinesFrameThem) {
  host::Workbook book = test::NumberedSheet(
      3, 20, "", "<printOptions headings=\"1\" gridLines=\"1\"/>" + test::TestPaper());
  const print::PageContent page = LayOut(book, 0);
  // Row numbers take two digit widths (6 points each) and a column letter row of 15 points.
  const print::TextItem* letter = Find(page, "B");
  const print::TextItem* number = Find(page, "3");  // the heading, and A3's number
  const print::TextItem* text = Find(page, "row 1");
  ASSERT_TRUE(letter && number && text);
  EXPECT_DOUBLE_EQ(text->x, 36 + 12 + 60 + 2);
  EXPECT_DOUBLE_EQ(text->y, 36 + 15 + 20 - 1 - 11 * 0.2);
  EXPECT_DOUBLE_EQ(letter->x, 36 + 12 + 60 + (60 - 5.5) / 2);
  // Gridlines: the grey hairlines round the cells (3 rows, 2 columns) besides the headings'.
  std::size_t hairlines = 0;
  for (const print::LineItem& line : page.lines) hairlines += line.width == 0.25 ? 1 : 0;
  EXPECT_EQ(hairlines, 4u + 3u);  // joined runs: 4 across, 3 down
}

TEST(PageContent, WrappedTextBreaksIntoLinesThatFitTheCell) {
  host::Workbook book = test::OpenPackage(
      {{"Sheet",
        "<row r=\"1\" ht=\"60\" customHeight=\"1\">" + test::TextCell("A1", "one two three four") +
            "</row>",
        test::TestPaper(), "<cols><col min=\"1\" max=\"1\" width=\"10\"/></cols>"}},
      "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
      "<fonts count=\"1\"><font><sz val=\"10\"/><name val=\"Arial\"/></font></fonts>"
      "<fills count=\"1\"><fill><patternFill patternType=\"none\"/></fill></fills>"
      "<borders count=\"1\"><border/></borders><cellXfs count=\"2\"><xf/>"
      "<xf applyAlignment=\"1\"><alignment wrapText=\"1\" vertical=\"top\"/></xf></cellXfs>"
      "</styleSheet>");
  book.Sheet("Sheet").SetStyleIndex({1, 1}, 1);
  const print::PageContent page = LayOut(book, 0);
  // 56 points inside the cell hold eleven 5-point characters: "one two" and "three four".
  const print::TextItem* first = Find(page, "one two");
  const print::TextItem* second = Find(page, "three four");
  ASSERT_TRUE(first && second);
  EXPECT_DOUBLE_EQ(second->y - first->y, 10);
  EXPECT_DOUBLE_EQ(first->y, 36 + 1 + 8);
}

struct CodeCase {
  std::string code;
  std::string left, center, right;
};

class HeaderCodes : public ::testing::TestWithParam<CodeCase> {};

std::string Joined(const std::vector<print::HeaderFooterRun>& runs) {
  std::string s;
  for (const auto& r : runs) s += r.text;
  return s;
}

TEST_P(HeaderCodes, ExpandToTheirSections) {
  print::PageFields f;
  f.page = 4;
  f.pages = 9;
  f.sheet = "水准表";
  f.file = "k1.xlsx";
  f.date = "2024/5/17";
  const print::HeaderFooterLine line = print::ExpandHeaderFooter(GetParam().code, f);
  EXPECT_EQ(Joined(line.left), GetParam().left);
  EXPECT_EQ(Joined(line.center), GetParam().center);
  EXPECT_EQ(Joined(line.right), GetParam().right);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HeaderCodes,
    ::testing::Values(CodeCase{"&P of &N", "", "4 of 9", ""},
                      CodeCase{"&L&A&C&F&R&D", "水准表", "k1.xlsx", "2024/5/17"},
                      CodeCase{"&R&\"宋体,常规\"&10第 &P+1 页", "", "", "第 5 页"},
                      CodeCase{"&LA && B&KFF0000 red", "A & B red", "", ""},
                      CodeCase{"&B&Ubold&B &Gplain", "", "bold plain", ""}));

TEST(HeaderCodes, FontCodesSetTheRunsFont) {
  const print::HeaderFooterLine line =
      print::ExpandHeaderFooter("&\"黑体,加粗\"&14A&\"-,Regular\"B", {});
  ASSERT_EQ(line.center.size(), 2u);
  EXPECT_EQ(line.center[0].font_name, "黑体");
  EXPECT_TRUE(line.center[0].bold);
  EXPECT_DOUBLE_EQ(line.center[0].size, 14);
  EXPECT_EQ(line.center[1].font_name, "");
  EXPECT_FALSE(line.center[1].bold);
}

}  // namespace
}  // namespace vardex
