// Stake-out coordinate files: what each format means (the DAT convention's east before north),
// every format written and read back to the same coordinates, and what cannot be written.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fielddata/stakeout_files.hpp"
#include "host/text_codec.hpp"

namespace vardex {
namespace {

// Point K1 at north 3412593.102, east 512897.243, elevation 108.07, in every format.
TEST(StakeoutFiles, EachFormatReadsNorthAndEast) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"p.csv", "点名,X,Y,H\r\nK1,3412593.102,512897.243,108.07\r\n"},
      {"p.txt", "K1\t3412593.102\t512897.243\t108.07\n"},
      {"p.dat", "K1,,512897.243,3412593.102,108.07\n"},  // east (Y) first
      {"p.gsi",
       "*110001+00000000000000K1 81...6+0000005128972430 82...6+0000034125931020 "
       "83...6+0000000001080700 \r\n"},
      {"p.gsi8", "110001+000000K1 81...0+12897243 82...0+93102000 83...0+00108070\n"},
      {"p.xml",
       "<?xml version=\"1.0\"?>\n<LandXML><CgPoints>\n"
       "<CgPoint name=\"K1\">3412593.102 512897.243 108.07</CgPoint>\n"
       "</CgPoints></LandXML>\n"},
      {"p.dxf",
       "  0\nSECTION\n  2\nENTITIES\n  0\nPOINT\n  8\nSTAKE_POINT\n 10\n512897.243\n"
       " 20\n3412593.102\n 30\n108.07\n  0\nTEXT\n  1\nK1\n  0\nENDSEC\n  0\nEOF\n"},
  };
  for (const Case& c : cases) {
    const std::vector<SurveyedPoint> points = ReadSurveyedPoints({c.name, c.bytes});
    ASSERT_EQ(points.size(), 1u) << c.name;
    EXPECT_EQ(points[0].Name, "K1") << c.name;
    if (std::string(c.name) == "p.gsi8") {
      // GSI-8 holds eight digits: the grid's leading digits do not fit, as on the instrument.
      EXPECT_NEAR(points[0].X, 93102.0, 1e-9);
      continue;
    }
    EXPECT_NEAR(points[0].X, 3412593.102, 1e-6) << c.name;
    EXPECT_NEAR(points[0].Y, 512897.243, 1e-6) << c.name;
    ASSERT_TRUE(points[0].H.has_value()) << c.name;
    EXPECT_NEAR(*points[0].H, 108.07, 1e-6) << c.name;
  }
}

TEST(StakeoutFiles, EveryFormatReadsBackWhatItWrote) {
  const std::vector<SurveyedPoint> points = {
      {"D17", 3412697.736, 513031.251, 114.206, {}},
      {"K1+240左12.5米", 3412593.1023, 512897.2431, 108.07, {}},
      {"1#墩-1", -12.5, 0.0001, std::nullopt, {}},
      {"名,称", 1, 2, 3, {}},  // a separator inside a name
  };
  const StakeoutFormat formats[] = {StakeoutFormat::Csv, StakeoutFormat::Dat, StakeoutFormat::Gsi16,
                                    StakeoutFormat::Dxf, StakeoutFormat::LandXml};
  for (const StakeoutFormat format : formats) {
    for (const FileEncoding encoding : {FileEncoding::Utf8, FileEncoding::Gbk}) {
      const std::string name = "out" + std::string(StakeoutFileExtension(format));
      std::vector<SurveyedPoint> written = points;
      if (format == StakeoutFormat::Gsi16) {
        // GSI holds ASCII names of at most 16 characters, and no separators.
        written = {points[0],
                   {"K1+240L12.5", points[1].X, points[1].Y, points[1].H, {}},
                   {"P3", -12.5, 0.0001, std::nullopt, {}}};
      }
      const std::string bytes =
          WriteStakeoutFile(written, format, encoding, name, "2024-05-01T08:30:00");
      const std::vector<SurveyedPoint> read = ReadSurveyedPoints({name, bytes});
      const std::string label = std::string(StakeoutFormatName(format));
      ASSERT_EQ(read.size(), written.size()) << label;
      // GSI keeps a tenth of a millimetre; the text formats keep fifteen digits.
      const double precision = format == StakeoutFormat::Gsi16 ? 0.5e-4 : 1e-9;
      for (std::size_t i = 0; i < written.size(); ++i) {
        EXPECT_EQ(read[i].Name, written[i].Name) << label;
        EXPECT_NEAR(read[i].X, written[i].X, precision) << label << " " << written[i].Name;
        EXPECT_NEAR(read[i].Y, written[i].Y, precision) << label << " " << written[i].Name;
        // A DXF point always has an elevation: none is written as 0.
        EXPECT_NEAR(read[i].H.value_or(0), written[i].H.value_or(0), precision) << label;
      }
    }
  }
}

TEST(StakeoutFiles, GbkAndUtf8BytesOfTheSameName) {
  const std::vector<SurveyedPoint> points = {{"台帽左角", 1, 2, std::nullopt, {}}};
  const std::string gbk =
      WriteStakeoutFile(points, StakeoutFormat::Csv, FileEncoding::Gbk, "g.csv", "");
  const std::string utf8 =
      WriteStakeoutFile(points, StakeoutFormat::Csv, FileEncoding::Utf8, "u.csv", "");
  EXPECT_EQ(gbk, *host::Utf8ToGbk("台帽左角,1,2\r\n"));
  EXPECT_EQ(utf8, "台帽左角,1,2\r\n");
  // DXF spells Chinese as \U+ escapes, so that any drawing program reads the file.
  const std::string dxf =
      WriteStakeoutFile(points, StakeoutFormat::Dxf, FileEncoding::Gbk, "d.dxf", "");
  EXPECT_NE(dxf.find("\\U+53F0\\U+5E3D\\U+5DE6\\U+89D2"), std::string::npos);
}

TEST(StakeoutFiles, WhatAFormatCannotHold) {
  struct Case {
    SurveyedPoint point;
    StakeoutFormat format;
    FileEncoding encoding;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {{"K1+240左12.5米", 1, 2, {}, {}},
       StakeoutFormat::Gsi16,
       FileEncoding::Utf8,
       "文件“x.gsi”：点名“K1+240左12.5米”无法写入 GSI-16"},
      {{"ABCDEFGHIJKLMNOPQ", 1, 2, {}, {}},
       StakeoutFormat::Gsi16,
       FileEncoding::Utf8,
       "无法写入 GSI-16"},
      {{"P1", 1e13, 2, {}, {}},
       StakeoutFormat::Gsi16,
       FileEncoding::Utf8,
       "点“P1”的坐标超出 GSI-16 能记录的范围"},
      {{"😀", 1, 2, {}, {}},
       StakeoutFormat::Csv,
       FileEncoding::Gbk,
       "点名“😀”含有 GBK 编码无法表示的字符"},
  };
  for (const Case& c : cases) {
    try {
      WriteStakeoutFile({c.point}, c.format, c.encoding, "x.gsi", "");
      ADD_FAILURE() << c.point.Name << ": no error";
    } catch (const FieldDataError& e) {
      EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos) << e.what();
    }
  }
}

TEST(StakeoutFiles, BadCoordinateFilesNameFileAndLine) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"a.csv", "P1,1,2\nP2,1\n",
       "文件“a.csv”第 2 行：CSV 坐标行应为“点名,X,Y”或“点名,X,Y,H”，实有 2 列"},
      {"b.dat", "P1,,2,1,5\nP2,,x,1,5\n", "文件“b.dat”第 2 行：Y（东）坐标应为数字，实为“x”"},
      {"c.dat", "P1,2,1\n",
       "文件“c.dat”第 1 行：DAT 坐标行应为“点名,编码,Y(东),X(北),H”，实有 3 列"},
      {"d.gsi", "*110001+00000000000000P1 81...6+0000000000010000 \n",
       "文件“d.gsi”第 1 行：有东坐标（字 81）而缺少北坐标（字 82）"},
      {"e.xml", "<LandXML><CgPoints><CgPoint name=\"P1\">1 x</CgPoint></CgPoints></LandXML>",
       "文件“e.xml”第 1 行：CgPoint“P1”的坐标应为“北 东 [高程]”"},
      {"f.xml", "<LandXML><CgPoints>\n<CgPoint name=\"P1\">1 2</CgPoint>\n</LandXML>",
       "文件“f.xml”第 3 行：LandXML 无法解析"},
      {"g.dxf", "  0\nSECTION\n  2\nENTITIES\n  0\nPOINT\n 10\n1\n 20\n2\n  0\nENDSEC\n",
       "文件“g.dxf”第 5 行：DXF 点之后没有点名文字"},
      {"h.csv", "only one field\n", "文件“h.csv”第 1 行：不是可识别的坐标文件"},
  };
  for (const Case& c : cases) {
    try {
      ReadSurveyedPoints({c.name, c.bytes});
      ADD_FAILURE() << c.name << ": no error";
    } catch (const FieldDataError& e) {
      EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace vardex
