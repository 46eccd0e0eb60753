// The worked levelling line in every form the tests need.
#include "support/field_examples.hpp"

namespace vardex::test {
namespace {

MeasuredSight Sight(const char* point, double reading, std::optional<double> distance) {
  return {point, reading, distance, {"worked", 0}};
}

}  // namespace

MeasuredLevellingLine WorkedLine() {
  MeasuredLevellingLine line;
  line.Setups.push_back(
      {Sight("BM1", 1.523, 30.0), {Sight("P1", 0.520, 12.0)}, Sight("TP1", 0.412, 28.0)});
  line.Setups.push_back({Sight("TP1", 1.204, 25.0),
                         {Sight("P2", 1.829, 10.0), Sight("X9", 2.000, std::nullopt)},
                         Sight("BM2", 1.062, 27.0)});
  return line;
}

LevellingBlock WorkedFieldProject() {
  LevellingBlock block;
  block.start_name = std::string("BM1");
  block.start_elevation = 100.0;
  block.end_name = std::string("BM2");
  block.end_elevation = 101.25;
  block.rows = {{std::string("P1"), {}, 101.0, {}},
                {std::string("P2"), {}, 100.5, {}},
                {std::string("P3"), {}, {}, {}}};
  return block;
}

std::string WorkedGsi8() {
  return "410001+?......1 \n"
         "110002+00000BM1 83..00+00000000 \n"
         "110003+00000BM1 32...0+00030000 331.00+00001523 \n"
         "110004+000000P1 32...0+00012000 333.00+00000520 \n"
         "110005+000000P1 83..00+00001003 \n"
         "110006+00000TP1 32...0+00028000 332.00+00000412 \n"
         "110007+00000TP1 573..0-00003000 574..0+00058000 83..00+00001111 \n"
         "110008+00000TP1 32...0+00025000 331.00+00001204 \n"
         "110009+000000P2 32...0+00010000 333.00+00001829 \n"
         "110010+000000X9 333.00+00002000 \n"
         "110011+00000BM2 32...0+00027000 332.00+00001062 \n"
         "110012+00000BM2 573..0-00001000 574..0+00110000 83..00+00001253 \n";
}

std::string WorkedGsi16() {
  return "*410001+?..............1 \n"
         "*110002+0000000000000BM1 32...8+0000000003000000 331.08+0000000000152300 \n"
         "*110003+00000000000000P1 32...8+0000000001200000 333.08+0000000000052000 \n"
         "*110004+0000000000000TP1 32...8+0000000002800000 332.08+0000000000041200 \n"
         "*110005+0000000000000TP1 32...8+0000000002500000 331.08+0000000000120400 \n"
         "*110006+00000000000000P2 32...8+0000000001000000 333.08+0000000000182900 \n"
         "*110007+00000000000000X9 333.08+0000000000200000 \n"
         "*110008+0000000000000BM2 32...8+0000000002700000 332.08+0000000000106200 \n";
}

std::string WorkedM5() {
  return "For M5|Adr     1|TO  Start-Line         BF     1|                      |"
         "                      |                      |\n"
         "For M5|Adr     2|KD1      BM1      08:00:001  1|Rb        1.52300 m   |"
         "HD         30.000 m   |                      |\n"
         "For M5|Adr     3|KD1       P1      08:01:001  1|Rz        0.52000 m   |"
         "HD         12.000 m   |Z       101.00300 m   |\n"
         "For M5|Adr     4|KD1      TP1      08:02:001  1|Rf        0.41200 m   |"
         "HD         28.000 m   |                      |\n"
         "For M5|Adr     5|KD1      TP1      08:03:001  1|Rb        1.20400 m   |"
         "HD         25.000 m   |                      |\n"
         "For M5|Adr     6|KD1       P2      08:04:001  1|Rz        1.82900 m   |"
         "HD         10.000 m   |                      |\n"
         "For M5|Adr     7|KD1       X9      08:05:001  1|Rz        2.00000 m   |"
         "                      |                      |\n"
         "For M5|Adr     8|KD1      BM2      08:06:001  1|Rf        1.06200 m   |"
         "HD         27.000 m   |                      |\n"
         "For M5|Adr     9|TO  End-Line                  1|                      |"
         "                      |                      |\n";
}

std::string WorkedFieldBook() {
  return "点号,后视,中视,前视,距离\n"
         "BM1,1.523,,,30\n"
         "P1,,0.520,,12\n"
         "TP1,1.204,,0.412,28/25\n"
         "P2,,1.829,,10\n"
         "X9,,2.000,,\n"
         "BM2,,,1.062,27\n";
}

}  // namespace vardex::test
