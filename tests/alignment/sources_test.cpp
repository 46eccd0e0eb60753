// Where alignments come from and where points go: the sheet "线路数据" with the cell of every
// bad value, LandXML (the example road's file against its sheet, import into the sheet, bad
// files with the element named), and the point list written into "数据输入".
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "alignment/alignment_error.hpp"
#include "alignment/alignment_sheet.hpp"
#include "alignment/landxml.hpp"
#include "alignment/road_alignment.hpp"
#include "alignment/station_list.hpp"
#include "host/cell_ref.hpp"
#include "support/project_book.hpp"

namespace vardex {
namespace {

using host::CellRef;
using host::ParseCellRef;
using host::Workbook;

const char* const kSheet = "线路数据";

std::string ExampleXml() {
  std::ifstream in("examples/road-k7.xml", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Workbook ExampleProject() { return Workbook::Open(test::ExampleFile("road-k7")); }

std::string ErrorOf(const std::function<void()>& work) {
  try {
    work();
  } catch (const AlignmentError& error) {
    return error.what();
  }
  return "(no error)";
}

TEST(AlignmentSheet, BadValuesAreReportedAtTheirCell) {
  const struct {
    const char* cell;
    const char* typed;
    const char* reported_at;
    const char* says;
  } cases[] = {
      {"E6", "0", "E6", "半径应大于 0，实为 0"},
      {"E6", "-400", "E6", "半径应大于 0，实为 -400"},
      {"F6", "400", "F6", "缓和曲线过长：Ls1 + Ls2 = 460 m"},
      {"B6", "abc", "B6", "应为数字，实为“abc”"},
      {"C7", "", "C7", "应为数字，实为（空）"},
      {"E5", "100", "E5", "起点和终点“BP”不设曲线"},
      {"D5", "K7-000", "D5", "应为桩号（如 K1+240.000）或以米计的数，实为“K7-000”"},
      {"D8", "K8+000", "D8", "点“JD3”的桩号 K8+000.000 与由坐标推算的"},
      {"E7", "3000", "A7", "交点“JD1”与“JD2”的曲线重叠"},
      {"K6", "40000", "I6", "变坡点 K7+000.000 与 K7+460.000 的竖曲线重叠"},
      {"K5", "100", "K5", "第一个和最后一个变坡点不设竖曲线"},
      {"I6", "K9+000", "I6", "桩号 K9+000.000 不在线路上"},
      {"N7", "陡", "N7", "应为数字，实为“陡”"},
      {"Q5", "K9+500", "Q5", "断链前桩号 K9+500.000 不在线路上"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cell);
    Workbook book = ExampleProject();
    book.Sheet(kSheet).SetValue(*ParseCellRef(c.cell), c.typed);
    const std::string error = ErrorOf([&] { RoadAlignment::Build(ReadAlignmentSheet(book)); });
    EXPECT_NE(
        error.find(std::string("road-k7.xlsx：工作表“线路数据”单元格 ") + c.reported_at + "："),
        std::string::npos)
        << error;
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
  // JD2 in a straight line with JD1 and JD3 moved, or on top of JD1.
  for (const auto& [row, x, y, says] :
       {std::tuple{8, 3413400.0, 513990.0, "交点“JD2”与前后两点在一条直线上，没有转角"},
        std::tuple{7, 3412900.0, 513050.0, "点“JD2”与上一点“JD1”重合"}}) {
    Workbook book = ExampleProject();
    book.Sheet(kSheet).SetValue({row, 2}, x);
    book.Sheet(kSheet).SetValue({row, 3}, y);
    const std::string error = ErrorOf([&] { RoadAlignment::Build(ReadAlignmentSheet(book)); });
    EXPECT_NE(error.find("单元格 A7："), std::string::npos) << error;
    EXPECT_NE(error.find(says), std::string::npos) << error;
  }
  // A project made before the sheet existed.
  const std::string missing = ErrorOf([] { ReadAlignmentSheet(test::MakeProjectBook()); });
  EXPECT_NE(missing.find("项目中没有工作表“线路数据”"), std::string::npos) << missing;
}

TEST(LandXml, ExampleFileAgreesWithTheExampleSheet) {
  // Two layouts, one from the sheet by series, one written by numerical integration.
  const RoadAlignment sheet = RoadAlignment::Build(ReadAlignmentSheet(ExampleProject()));
  const RoadAlignment file = RoadAlignment::Build(ParseLandXml(ExampleXml(), "road-k7.xml"));
  EXPECT_EQ(file.Name(), "K7 主线");
  ASSERT_NEAR(file.Horizontal().Length(), sheet.Horizontal().Length(), 1e-4);
  ASSERT_NEAR(file.Stations().EndStation(), sheet.Stations().EndStation(), 1e-4);
  for (double d = 0; d <= sheet.Horizontal().Length(); d += 5) {
    const RoadPoint a = sheet.AtDistance(d, 7.5);
    const RoadPoint b = file.AtDistance(d, 7.5);
    EXPECT_NEAR(a.X, b.X, 1e-4) << d;
    EXPECT_NEAR(a.Y, b.Y, 1e-4) << d;
    EXPECT_NEAR(a.Station, b.Station, 1e-6) << d;
    EXPECT_NEAR(*sheet.AtDistance(d, 0).Elevation, *file.AtDistance(d, 0).Elevation, 1e-4) << d;
  }
}

TEST(LandXml, DirAttributesAreAzimuthsInTheFilesUnit) {
  // Without the spirals' PI the tangent directions come from dirStart and dirEnd, written in
  // decimal degrees clockwise from north.
  std::string without_pi = ExampleXml();
  for (std::size_t at; (at = without_pi.find("<PI>")) != std::string::npos;) {
    without_pi.erase(at, without_pi.find("</PI>", at) + 5 - at);
  }
  const AlignmentInput with = ParseLandXml(ExampleXml(), "road-k7.xml");
  const AlignmentInput without = ParseLandXml(without_pi, "road-k7.xml");
  ASSERT_EQ(without.Points.size(), with.Points.size());
  for (std::size_t i = 0; i < with.Points.size(); ++i) {
    EXPECT_NEAR(without.Points[i].X, with.Points[i].X, 1e-4) << i;
    EXPECT_NEAR(without.Points[i].Y, with.Points[i].Y, 1e-4) << i;
  }
}

TEST(LandXml, ImportIntoTheSheetKeepsTheAlignmentAndTheCrossSlopes) {
  const AlignmentInput imported = ParseLandXml(ExampleXml(), "road-k7.xml");
  Workbook book = ExampleProject();
  WriteAlignmentSheet(book, imported);
  const AlignmentInput reread = ReadAlignmentSheet(book);
  ASSERT_EQ(reread.Points.size(), 5u);
  EXPECT_EQ(reread.Points[1].Name, "JD1");
  EXPECT_EQ(book.Sheet(kSheet).Text(*ParseCellRef("D5")), "K7+000.000");
  EXPECT_EQ(reread.Equations.size(), 1u);
  EXPECT_EQ(reread.Slopes.size(), 9u);  // the sheet's own, untouched
  const RoadAlignment direct = RoadAlignment::Build(imported);
  const RoadAlignment through_sheet = RoadAlignment::Build(reread);
  for (double d = 0; d <= direct.Horizontal().Length(); d += 50) {
    EXPECT_NEAR(direct.AtDistance(d, 0).X, through_sheet.AtDistance(d, 0).X, 1e-6);
    EXPECT_NEAR(*direct.AtDistance(d, 0).Elevation, *through_sheet.AtDistance(d, 0).Elevation,
                1e-6);
  }
  // The sheet must be there before anything is written.
  Workbook old = test::MakeProjectBook();
  EXPECT_THROW(WriteAlignmentSheet(old, imported), AlignmentError);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(LandXml, BadFilesNameTheElementAndItsLine) {
  const std::string good = ExampleXml();
  const struct {
    std::string bytes;
    const char* says;
  } cases[] = {
      {"<LandXML><Alignments>", "road-k7.xml：不是有效的 XML 文件（第 1 行"},
      {Replaced(Replaced(good, "<LandXML ", "<Land "), "</LandXML>", "</Land>"),
       "不是 LandXML 文件：根元素是 <Land>"},
      {Replaced(good, "linearUnit=\"meter\"", "linearUnit=\"foot\""), "只能读取以米为单位的文件"},
      {Replaced(good, "spiType=\"clothoid\"", "spiType=\"cubic\""),
       "第 9 行的 <Spiral> 元素：只能读取回旋线（clothoid）缓和曲线，这里是“cubic”"},
      {Replaced(Replaced(good, "<Line ", "<Chain "), "</Line>", "</Chain>"),
       "第 8 行的 <Chain> 元素：不支持 <Chain> 元素"},
      {Replaced(good, "<End>3412775.592636", "<End>3412775.692636"),
       "第 9 行的 <Spiral> 元素：与前一元素不相连：相距 0.1 m"},
      {Replaced(good, "radiusEnd=\"400.000000\"", "radiusEnd=\"410\""),
       "第 9 行的 <Spiral> 元素：缓和曲线接圆曲线一端的半径 410 m 与圆曲线半径 400 m 不符"},
      {Replaced(Replaced(good, "3412841.952371 513016.862647", "3412842.002371 513016.862647"),
                "3412841.952371 513016.862647", "3412842.002371 513016.862647"),
       "第 9 行的 <Spiral> 元素：与交点法算出的曲线不符：HY 点相差 0.05 m"},
      {Replaced(good, "<End>3413700.000000 514050.000000</End></Line>",
                "<End>3413660 513940</End></Line><Line><Start>3413660 513940</Start>"
                "<End>3413700 514050</End></Line>"),
       "第 18 行的 <Line> 元素：不在交点法算出的线路上"},
      {Replaced(Replaced(good, "<ParaCurve", "<CircCurve"), "</ParaCurve>", "</CircCurve>"),
       "<CircCurve> 元素：不支持 <CircCurve> 元素"},
      {Replaced(Replaced(good, "<Alignments name=\"road-k7\">", "<Nothing>"), "</Alignments>",
                "</Nothing>"),
       "文件中没有线路"},
  };
  for (const auto& c : cases) {
    const std::string error = ErrorOf([&] { ParseLandXml(c.bytes, "road-k7.xml"); });
    EXPECT_NE(error.find(c.says), std::string::npos) << c.says << " / " << error;
  }
  EXPECT_NE(ErrorOf([] { ReadLandXml("no-such-file.xml"); }).find("文件不存在"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { ParseLandXml(good, "road-k7.xml", "K8"); }).find("没有名为“K8”的线路"),
            std::string::npos);
}

TEST(StationList, RangeIntervalMainPointsAndOffsetsInOrder) {
  const RoadAlignment road = RoadAlignment::Build(ReadAlignmentSheet(ExampleProject()));
  StationListRequest request;
  request.From = 7300;
  request.To = 7640;
  request.Every = 20;
  request.Offsets = {-7.5, 0, 7.5};
  request.MainPoints = true;
  request.At = {7400, 7324.9919664};  // once more an interval station, once JD1's ZH
  const std::vector<StakeOutRow> rows = ListStations(road, request);
  ASSERT_EQ(rows.size(), (18u + 5u) * 3u);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < rows.size(); i += 3) {
    names.push_back(rows[i].Name);
    EXPECT_EQ(rows[i + 1].Name, rows[i].Name);
    EXPECT_EQ(rows[i].Point.Offset, -7.5);
    EXPECT_EQ(rows[i + 2].Point.Offset, 7.5);
    if (i > 0) {
      EXPECT_GT(rows[i].Point.Distance, rows[i - 1].Point.Distance);
    }
  }
  EXPECT_EQ(names.front(), "K7+300");
  EXPECT_EQ(names[1], "K7+320");
  EXPECT_EQ(names[2], "ZH K7+324.992");
  EXPECT_EQ(names.back(), "K7+640");
  EXPECT_EQ(std::count(names.begin(), names.end(), "K7+400"), 1);
  EXPECT_EQ(std::count_if(names.begin(), names.end(),
                          [](const std::string& n) { return n.rfind("HZ ", 0) == 0; }),
            1);

  // Across the short chain K7+680 = K7+690 the interval stations follow the stationing.
  request = {};
  request.From = 7640;
  request.To = 7740;
  request.Every = 20;
  std::vector<std::string> across;
  for (const StakeOutRow& row : ListStations(road, request)) across.push_back(row.Name);
  EXPECT_EQ(across,
            (std::vector<std::string>{"K7+640", "K7+660", "K7+680", "K7+700", "K7+720", "K7+740"}));
}

TEST(StationList, RequestsTheAlignmentCannotMeetAreRefused) {
  const RoadAlignment road = RoadAlignment::Build(ReadAlignmentSheet(ExampleProject()));
  const struct {
    std::optional<double> from, to;
    double every;
    std::vector<double> at;
    const char* says;
  } cases[] = {
      {6900, 7100, 20, {}, "桩号 K6+900.000 不在线路上（线路自 K7+000.000 至 K8+825.874）"},
      {7685, 7700, 20, {}, "落在断链（短链）跳过的范围内"},
      {7500, 7400, 20, {}, "起始桩号应在终止桩号之前"},
      {{}, {}, 0.001, {}, "待放样点过多"},
      {{}, {}, 0, {9000}, "桩号 K9+000.000 不在线路上"}};
  for (const auto& c : cases) {
    StationListRequest request;
    request.From = c.from;
    request.To = c.to;
    request.Every = c.every;
    request.At = c.at;
    std::string error;
    try {
      ListStations(road, request);
    } catch (const AlignmentRequestError& e) {
      error = e.what();
    }
    EXPECT_NE(error.find(c.says), std::string::npos) << c.says << " / " << error;
  }
  // A station past the profile has no design elevation.
  AlignmentInput shorter = ReadAlignmentSheet(ExampleProject());
  shorter.Grades.back().Station = 8600;
  StationListRequest request;
  request.At = {8700};
  EXPECT_THROW(ListStations(RoadAlignment::Build(shorter), request), AlignmentRequestError);
}

TEST(StationList, WrittenIntoDataInputReplacingTheWholeOldList) {
  Workbook book = ExampleProject();
  host::Worksheet& input = book.Sheet("数据输入");
  for (int32_t row = 8; row < 108; ++row) {
    for (int32_t column = 1; column <= 6; ++column) input.SetValue({row, column}, "old");
  }
  const RoadAlignment road = RoadAlignment::Build(ReadAlignmentSheet(book));
  StationListRequest request;
  request.At = {7400, 7500};
  request.Offsets = {-7.5, 0};
  WritePointList(book, ListStations(road, request));
  const RoadPoint left = road.AtStation(7400, -7.5);
  EXPECT_EQ(input.Text({8, 1}), "K7+400");
  EXPECT_EQ(input.Value({8, 2}), host::CellValue(-7.5));
  EXPECT_NEAR(std::get<double>(input.Value({8, 3})), left.X, 5e-5);
  EXPECT_NEAR(std::get<double>(input.Value({8, 4})), left.Y, 5e-5);
  EXPECT_NEAR(std::get<double>(input.Value({8, 5})), *left.Elevation, 5e-5);
  EXPECT_TRUE(host::IsEmpty(input.Value({8, 6})));
  EXPECT_EQ(input.Value({9, 2}), host::CellValue(0.0));
  EXPECT_EQ(input.Text({11, 1}), "K7+500");
  for (const char* cell : {"A12", "F12", "A107", "F107"}) {
    EXPECT_TRUE(host::IsEmpty(input.Value(*ParseCellRef(cell)))) << cell;
  }
  // No "数据输入", nothing written.
  Workbook other = Workbook();
  EXPECT_THROW(WritePointList(other, {}), AlignmentError);
}

}  // namespace
}  // namespace vardex
