// Reading lines of levelling: the worked line in every format and encoding gives the same
// set-ups, and every kind of bad input names its file and line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fielddata/levelling_files.hpp"
#include "host/text_codec.hpp"
#include "support/field_examples.hpp"

namespace vardex {
namespace {

// Readings and distances of set-ups compared to a tenth of a millimetre (the GSI-16 file holds
// hundredths, the others whole millimetres).
void ExpectSameSight(const MeasuredSight& got, const MeasuredSight& want,
                     const std::string& where) {
  EXPECT_EQ(got.Point, want.Point) << where;
  EXPECT_NEAR(got.Reading, want.Reading, 1e-9) << where << " " << want.Point;
  ASSERT_EQ(got.Distance.has_value(), want.Distance.has_value()) << where << " " << want.Point;
  if (want.Distance) {
    EXPECT_NEAR(*got.Distance, *want.Distance, 1e-9) << where;
  }
}

void ExpectWorkedLine(const MeasuredLevellingLine& line, const std::string& format) {
  const MeasuredLevellingLine want = test::WorkedLine();
  ASSERT_EQ(line.Setups.size(), want.Setups.size()) << format;
  for (std::size_t k = 0; k < want.Setups.size(); ++k) {
    ExpectSameSight(line.Setups[k].Back, want.Setups[k].Back, format);
    ExpectSameSight(line.Setups[k].Fore, want.Setups[k].Fore, format);
    ASSERT_EQ(line.Setups[k].Intermediates.size(), want.Setups[k].Intermediates.size()) << format;
    for (std::size_t i = 0; i < want.Setups[k].Intermediates.size(); ++i) {
      ExpectSameSight(line.Setups[k].Intermediates[i], want.Setups[k].Intermediates[i], format);
    }
  }
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

TEST(LevellingFiles, WorkedLineInEveryFormat) {
  struct Case {
    const char* name;
    std::string bytes;
    LevellingFileFormat format;
  };
  const std::vector<Case> cases = {
      {"line.gsi", test::WorkedGsi8(), LevellingFileFormat::Gsi},
      {"line16.gsi", test::WorkedGsi16(), LevellingFileFormat::Gsi},
      {"line.m5", test::WorkedM5(), LevellingFileFormat::M5},
      {"book.csv", test::WorkedFieldBook(), LevellingFileFormat::FieldBook},
      // The same files as PCs and instruments also write them.
      {"crlf.gsi", Replace(test::WorkedGsi8(), "\n", "\r\n"), LevellingFileFormat::Gsi},
      {"cr.m5", Replace(test::WorkedM5(), "\n", "\r"), LevellingFileFormat::M5},
      {"bom.csv", "\xEF\xBB\xBF" + test::WorkedFieldBook(), LevellingFileFormat::FieldBook},
      {"blanks.csv", Replace(test::WorkedFieldBook(), "\n", " \t \r\n"),
       LevellingFileFormat::FieldBook},
      {"gbk.csv", *host::Utf8ToGbk(test::WorkedFieldBook()), LevellingFileFormat::FieldBook},
      {"tabs.csv", Replace(test::WorkedFieldBook(), ",", "\t"), LevellingFileFormat::FieldBook},
      {"fullwidth.csv", Replace(test::WorkedFieldBook(), ",", "，"),
       LevellingFileFormat::FieldBook},
      {"noheading.csv", test::WorkedFieldBook().substr(test::WorkedFieldBook().find('\n') + 1),
       LevellingFileFormat::FieldBook},
  };
  for (const Case& c : cases) {
    const FieldFile file{c.name, c.bytes};
    EXPECT_EQ(DetectLevellingFormat(file), c.format) << c.name;
    ExpectWorkedLine(ReadLevellingLine({file}), c.name);
  }
}

TEST(LevellingFiles, GbkPointNamesComeOutAsUtf8) {
  // "水准" in GBK (CB AE D7 BC) happens to be valid UTF-8 as well, of two-byte characters no
  // field file holds; it must still read as GBK.
  const std::string book =
      "点号,后视,中视,前视\n"
      "BM1,1.5,,\n"
      "1#墩-1,,1.2,\n"
      "台帽左角,,1.3,\n"
      "水准,,1.25,\n"
      "BM2,,,1.4\n";
  const MeasuredLevellingLine line = ReadLevellingLine({{"gbk.csv", *host::Utf8ToGbk(book)}});
  ASSERT_EQ(line.Setups.size(), 1u);
  ASSERT_EQ(line.Setups[0].Intermediates.size(), 3u);
  EXPECT_EQ(line.Setups[0].Intermediates[0].Point, "1#墩-1");
  EXPECT_EQ(line.Setups[0].Intermediates[1].Point, "台帽左角");
  EXPECT_EQ(line.Setups[0].Intermediates[1].Source.Line, 4);
  const std::string alone = *host::Utf8ToGbk("BM1,1.5,,\n水准,,1.25,\nBM2,,,1.4\n");
  EXPECT_EQ(ReadLevellingLine({{"w.csv", alone}}).Setups[0].Intermediates[0].Point, "水准");
}

TEST(LevellingFiles, TwoFilesMakeOneLineInTheOrderGiven) {
  const std::string gsi = test::WorkedGsi8();
  const std::size_t split = gsi.find("110008");
  const FieldFile first{"a.gsi", gsi.substr(0, split)};
  const FieldFile second{"b.gsi", gsi.substr(split)};
  const MeasuredLevellingLine line = ReadLevellingLine({first, second});
  ExpectWorkedLine(line, "two files");
  EXPECT_EQ(line.Setups[1].Back.Source.File, "b.gsi");
  EXPECT_EQ(line.Setups[1].Back.Source.Line, 1);
}

// GSI lengths by their units code: 1523 mm, 15230 tenths, 152300 hundredths of a millimetre,
// and feet (international, 0.3048 m) in thousandths and ten-thousandths.
TEST(LevellingFiles, GsiUnitCodes) {
  struct Case {
    const char* word;
    double metres;
  };
  const Case cases[] = {{"331.00+00001523", 1.523}, {"331.06+00015230", 1.523},
                        {"331.08+00152300", 1.523}, {"331.01+00005000", 1.524},
                        {"331.07+00050000", 1.524}, {"331.06-00015230", -1.523}};
  for (const Case& c : cases) {
    const std::string text =
        std::string("110001+00000BM1 ") + c.word + "\n" + "110002+00000BM2 332.00+00001000\n";
    const MeasuredLevellingLine line = ReadLevellingLine({{"u.gsi", text}});
    EXPECT_NEAR(line.Setups[0].Back.Reading, c.metres, 1e-12) << c.word;
  }
}

// BFFB (back, fore, fore, back) and the fore-first half of alternating methods: the set-up's
// readings of one target are averaged, and the order does not change the set-ups.
TEST(LevellingFiles, DoubleReadingsAndForeFirstSetups) {
  const std::string bffb =
      "110001+00000BM1 331.00+00001500\n"
      "110002+00000TP1 332.00+00001000\n"
      "110003+00000TP1 336.00+00001002\n"
      "110004+00000BM1 335.00+00001504\n"
      "110005+00000BM2 332.00+00000800\n"  // fore first: a new set-up
      "110006+00000TP1 331.00+00001700\n"
      "110007+00000BM2 336.00+00000804\n";
  const MeasuredLevellingLine line = ReadLevellingLine({{"bffb.gsi", bffb}});
  ASSERT_EQ(line.Setups.size(), 2u);
  EXPECT_NEAR(line.Setups[0].Back.Reading, 1.502, 1e-12);
  EXPECT_NEAR(line.Setups[0].Fore.Reading, 1.001, 1e-12);
  EXPECT_EQ(line.Setups[1].Back.Point, "TP1");
  EXPECT_NEAR(line.Setups[1].Back.Reading, 1.700, 1e-12);
  EXPECT_EQ(line.Setups[1].Fore.Point, "BM2");
  EXPECT_NEAR(line.Setups[1].Fore.Reading, 0.802, 1e-12);
}

// The level notes that a station was taken again: the readings before the note are void.
TEST(LevellingFiles, M5StationRepeatedCancelsTheStation) {
  const std::string m5 =
      "For M5|Adr 1|KD1 BM1 1|Rb 1.50000 m |HD 40.000 m | |\n"
      "For M5|Adr 2|KD1 A1 1|Rf 1.70000 m |HD 40.000 m | |\n"
      "For M5|Adr 3|TO Station repeated 1| | | |\n"
      "For M5|Adr 4|KD1 BM1 1|Rb 1.51000 m |HD 40.100 m | |\n"
      "For M5|Adr 5|KD1 A1 1|Lv 1.71000 m |E 40.200 m | |\n";
  const MeasuredLevellingLine line = ReadLevellingLine({{"r.m5", m5}});
  ASSERT_EQ(line.Setups.size(), 1u);
  EXPECT_NEAR(line.Setups[0].Back.Reading, 1.51, 1e-12);
  EXPECT_NEAR(line.Setups[0].Fore.Reading, 1.71, 1e-12);
  EXPECT_NEAR(*line.Setups[0].Fore.Distance, 40.2, 1e-12);
}

// Passed over without error: code and method blocks, measure-only and stake-out readings, the
// instrument's sums, remarks.
TEST(LevellingFiles, LinesTheRecordDoesNotNeed) {
  const std::string gsi =
      "410001+?......1\n"
      "110002+00000BM1 331.00+00001500\n"
      "110003+00000XX1 32...0+00012000 330.00+00001200 71....+0SURFACE\n"
      "110004+00005501 334.00+00001111\n"
      "410005+00000099 42....+00020692\n"
      "110006+00000BM2 332.00+00001000 390...+00000002 391.00+00000001\n"
      "110007+00000BM2 571..0+00000000 573..0+00000000 574..0+00000000\n";
  const MeasuredLevellingLine line = ReadLevellingLine({{"skip.gsi", gsi}});
  ASSERT_EQ(line.Setups.size(), 1u);
  EXPECT_TRUE(line.Setups[0].Intermediates.empty());
}

TEST(LevellingFiles, BadInputNamesFileAndLine) {
  struct Case {
    const char* what;
    std::string name;
    std::string bytes;
    std::string expected;  // in what()
  };
  const std::vector<Case> cases = {
      {"truncated GSI word", "t.gsi", "110001+00000BM1 331.00+0001523\n",
       "文件“t.gsi”第 1 行：第 2 个数据字“331.00+0001523”的数值有 7 位"},
      {"truncated GSI-16 line", "t16.gsi",
       "*110001+0000000000000BM1 331.08+0000000000152300\n*110002+0000000000000BM2 332.08+00000\n",
       "文件“t16.gsi”第 2 行：第 2 个数据字“332.08+00000”的数值有 5 位，GSI-16 应为 16 位"},
      {"unknown word index", "w.gsi", "110001+00000BM1 99..00+00001523\n",
       "文件“w.gsi”第 1 行：第 2 个数据字的字索引 99 无法识别"},
      {"units that are no length", "u.gsi", "110001+00000BM1 331.02+00001523\n",
       "文件“u.gsi”第 1 行：字 331 的单位代码“2”不是长度单位"},
      {"reading off any staff", "r.csv", "点号,后视,中视,前视\nBM1,8.5,,\nBM2,,,1\n",
       "文件“r.csv”第 2 行：水准尺读数 8.5 米超出任何水准尺的范围"},
      {"negative distance", "d.csv", "点号,后视,中视,前视,距离\nBM1,1.5,,,-3\nBM2,,,1,3\n",
       "文件“d.csv”第 2 行：视距 -3 米超出范围"},
      {"back sight without fore sight at the end", "e.csv",
       "点号,后视,中视,前视\nBM1,1.5,,\nTP1,1.2,,1.1\n",
       "文件“e.csv”第 3 行：最后一站的后视点“TP1”"},
      {"duplicate point id", "dup.csv",
       "点号,后视,中视,前视\nBM1,1.5,,\nP1,,1.2,\nP1,,1.3,\nBM2,,,1.1\n",
       "文件“dup.csv”第 4 行：点号“P1”重复（文件“dup.csv”第 3 行已观测过）"},
      {"fore sight before any back sight", "f.csv", "点号,后视,中视,前视\nBM1,,,1.5\n",
       "文件“f.csv”第 2 行：前视点“BM1”所在的测站没有后视"},
      {"back sight not on the turning point", "j.csv",
       "点号,后视,中视,前视\nBM1,1.5,,\nTP1,,,1.2\nTP2,1.3,,\nBM2,,,1\n",
       "文件“j.csv”第 4 行：后视点“TP2”不是上一站的前视点“TP1”"},
      {"text where a reading belongs", "n.csv", "点号,后视,中视,前视\nBM1,1.5m,,\n",
       "文件“n.csv”第 2 行：后视应为数字，实为“1.5m”"},
      {"not a field file", "notes.txt", "Dear surveyor,\nplease find attached...\n",
       "文件“notes.txt”第 1 行：不是可识别的水准观测文件"},
      {"binary file", "photo.gsi", std::string("\x89PNG\r\n\x1a\n\0\0\0", 11),
       "文件“photo.gsi”第 3 行：含有二进制数据"},
      {"UTF-16 text", "wide.csv", std::string("\xFF\xFE\x42\x00", 4),
       "文件“wide.csv”第 1 行：是 UTF-16"},
      {"neither UTF-8 nor GBK", "bad.csv", "点号,后视,中视,前视\nBM\xFF\xFF,1.5,,\n",
       "文件“bad.csv”第 2 行：既不是有效的 UTF-8 也不是有效的 GBK"},
      {"M5 line among others", "m.m5", "For M5|Adr 1|KD1 BM1 1|Rb 1.5 m | | |\nhello\n",
       "文件“m.m5”第 2 行：不是 M5 格式的行"},
      {"empty file", "empty.gsi", "", "文件“empty.gsi”：文件是空的"},
  };
  for (const Case& c : cases) {
    try {
      ReadLevellingLine({{c.name, c.bytes}});
      ADD_FAILURE() << c.what << ": no error";
    } catch (const FieldDataError& e) {
      EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos)
          << c.what << "\n  got: " << e.what();
    }
  }
}

}  // namespace
}  // namespace vardex
